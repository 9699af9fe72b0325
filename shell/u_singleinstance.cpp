#include "u_singleinstance.h"

#include <QDir>

namespace aeris {

SingleInstance::SingleInstance(const QString& name, const QString& dir)
{
    QString safe = name;
    safe.replace(u'\\', u'_').replace(u'/', u'_');
    m_path = QDir(dir.isEmpty() ? QDir::tempPath() : dir).filePath(safe + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // No age limit: a lock is stale only when the process that took it is gone.
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
}

} // namespace aeris
