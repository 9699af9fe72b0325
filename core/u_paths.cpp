#include "u_paths.h"

#include "u_files.h"

namespace aeris {

QString AppPaths::programFile(const QString& relativeName) const
{
    return files::resolve(m_programDir, relativeName);
}

QString AppPaths::projectFile(const QString& projectDir, const QString& relativeName)
{
    return files::resolve(projectDir, relativeName);
}

AppPaths& AppPaths::current()
{
    static AppPaths paths;
    return paths;
}

} // namespace aeris
