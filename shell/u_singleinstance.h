#pragma once
// One running program per user session: a lock file in the temporary folder named after the
// program's instance name. A lock left by a crashed run is recognised (its process is gone)
// and taken over.

#include <QLockFile>
#include <QString>
#include <memory>

namespace aeris {

class SingleInstance {
public:
    // "AERIS_MUTEX" with every "\" replaced by "_".
    explicit SingleInstance(const QString& name = QStringLiteral("AERIS_MUTEX"), const QString& dir = {});
    // True when this process holds the lock (held until the object is destroyed).
    bool acquired() const { return m_acquired; }
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

} // namespace aeris
