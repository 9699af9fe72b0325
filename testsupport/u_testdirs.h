#pragma once
// Temporary folders for tests: a program folder with the built templates, and project folders
// with their own copies of the databases (an embedded database file is held by one process).

#include "u_paths.h"

#include <QString>
#include <QTemporaryDir>

namespace aeris::test {

// The program folder assembled by the build (build/aeris).
QString builtProgramDir();

class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Copies a template database of the built program folder ("OBJ.FDB") into this folder.
    QString copyTemplate(const QString& templateName, const QString& targetName = {}) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace aeris::test
