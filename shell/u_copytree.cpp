#include "u_copytree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace aeris {
namespace {

QString withSlash(const QString& p)
{
    QString c = QDir::cleanPath(QDir::fromNativeSeparators(p));
    if (!c.endsWith(u'/')) c += u'/';
    return c;
}

// Copies under a temporary name and renames over the target, so a failed copy never leaves a
// truncated file in place of a good one.
bool copyFileReplacing(const QString& from, const QString& to)
{
    const QString temp = to + QStringLiteral(".part");
    QFile::remove(temp);
    if (!QFile::copy(from, temp)) {
        QFile::remove(temp);
        return false;
    }
    QFile::setPermissions(temp, QFile::permissions(from) | QFileDevice::WriteOwner);
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

bool copyInto(const QString& source, const QString& target, const QString& outerTarget, bool overwrite,
              const CopyProgress& progress)
{
    if (!QFileInfo(source).isDir() || !QDir().mkpath(target)) return false;
    bool ok = true;
    const QFileInfoList entries = QDir(source).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString from = source + e.fileName();
        const QString to = target + e.fileName();
        if (e.isDir() && !e.isSymLink()) {
            if (withSlash(from) != outerTarget) ok = copyInto(withSlash(from), withSlash(to), outerTarget, overwrite, progress) && ok;
        } else if (overwrite || !QFileInfo::exists(to)) {
            ok = copyFileReplacing(from, to) && ok;
        }
        if (progress) progress(to);
    }
    return ok;
}

} // namespace

bool copyFolderTree(const QString& source, const QString& target, bool overwrite, const CopyProgress& progress)
{
    const QString s = withSlash(source);
    const QString t = withSlash(target);
    if (s == t) return false;
    return copyInto(s, t, t, overwrite, progress);
}

} // namespace aeris
