#pragma once
// The two folders the program works with: its own folder (templates, reference, history, the
// engine) and the folder of the open project. Nothing else asks where the executable lies, so
// tests point the program folder at a temporary copy.

#include <QString>

namespace aeris {

class AppPaths {
public:
    AppPaths() = default;
    explicit AppPaths(QString programDir) : m_programDir(std::move(programDir)) {}

    const QString& programDir() const { return m_programDir; }
    void setProgramDir(const QString& dir) { m_programDir = dir; }
    const QString& projectDir() const { return m_projectDir; }
    void setProjectDir(const QString& dir) { m_projectDir = dir; }

    // A file of the program folder named the Windows way ("Data\OBJ.FDB").
    QString programFile(const QString& relativeName) const;
    QString dataDir() const { return programFile(QStringLiteral("Data")); }
    QString templateDir() const { return programFile(QStringLiteral("Template")); }
    QString utilsDir() const { return programFile(QStringLiteral("utils")); }

    // A file of a project folder (the open one by default), e.g. "aer.dat\OBJ.FDB".
    QString projectFile(const QString& relativeName) const { return projectFile(m_projectDir, relativeName); }
    static QString projectFile(const QString& projectDir, const QString& relativeName);
    QString projectDataDir() const { return projectFile(QStringLiteral("aer.dat")); }
    QString outDir() const { return projectFile(QStringLiteral("out")); }

    // The paths of this run; the application sets the program folder at start.
    static AppPaths& current();

private:
    QString m_programDir;
    QString m_projectDir;
};

} // namespace aeris
