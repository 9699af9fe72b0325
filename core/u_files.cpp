#include "u_files.h"

#include "u_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace aeris::files {

QString findNoCase(const QString& dir, const QString& name)
{
    QDir d(dir);
    const QString exact = d.filePath(name);
    if (QFileInfo::exists(exact)) return exact;
    const QStringList entries = d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return d.filePath(e);
    return exact;
}

QString resolve(const QString& base, const QString& relativeName)
{
    QString rel = relativeName;
    rel.replace(u'\\', u'/');
    QString path = base;
    const QStringList parts = rel.split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) path = findNoCase(path, part);
    return QDir::cleanPath(path);
}

bool existsNoCase(const QString& base, const QString& relativeName)
{
    return QFileInfo::exists(resolve(base, relativeName));
}

void writeFileAtomically(const QString& path, const QByteArray& data)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw IoError(QStringLiteral("Не вдалося записати файл %1: %2").arg(path, f.errorString()));
    if (f.write(data) != data.size() || !f.commit())
        throw IoError(QStringLiteral("Не вдалося записати файл %1: %2").arg(path, f.errorString()));
}

bool copyIfAbsent(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to)) return true;
    const QString temp = to + QStringLiteral(".part");
    QFile::remove(temp);
    if (!QFile::copy(from, temp)) {
        QFile::remove(temp);
        return false;
    }
    // The template may be read-only in the program folder; the copy must be writable.
    QFile::setPermissions(temp, QFile::permissions(temp) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    if (QFileInfo::exists(to) || !QFile::rename(temp, to)) {
        QFile::remove(temp);
        return QFileInfo::exists(to);
    }
    return true;
}

void makePath(const QString& dir)
{
    if (!QDir().mkpath(dir)) throw IoError(QStringLiteral("Не вдалося створити папку %1").arg(dir));
}

} // namespace aeris::files
