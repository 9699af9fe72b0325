#include "u_testdirs.h"

#include "u_error.h"
#include "u_files.h"

#include <QFileInfo>

#include <QDir>
#include <QFile>

namespace aeris::test {

QString builtProgramDir()
{
#ifdef AERIS_PROGRAM_DIR
    return QStringLiteral(AERIS_PROGRAM_DIR);
#else
    return QDir::currentPath();
#endif
}

TempDir::TempDir()
{
    if (!m_dir.isValid()) throw IoError(QStringLiteral("cannot create a temporary folder"));
}

QString TempDir::copyTemplate(const QString& templateName, const QString& targetName) const
{
    const QString from = builtProgramDir() + QStringLiteral("/Data/") + templateName;
    const QString to = file(targetName.isEmpty() ? templateName : targetName);
    if (!files::copyIfAbsent(from, to)) throw IoError(QStringLiteral("cannot copy template ") + from);
    return to;
}

void TempDir::write(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(file(name)).path());
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw IoError(QStringLiteral("cannot write ") + name);
}

QByteArray TempDir::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

} // namespace aeris::test
