#pragma once
// The open project and the operations that open, create, copy and close projects. The main
// window and the batch tool both work through this object; every message goes through the
// seams.

#include "u_copytree.h"
#include "u_history.h"

#include <QObject>
#include <QStringList>

namespace aeris {

class AppPaths;

class ProjectSession : public QObject {
    Q_OBJECT
public:
    explicit ProjectSession(AppPaths& paths, QObject* parent = nullptr);

    const QString& projectPath() const { return m_path; }
    const QString& projectName() const { return m_name; }
    bool isOpen() const { return !m_path.isEmpty(); }
    // "АЕРІС" with no project, "АЕРІС - <name> <folder>" with one.
    QString caption() const;

    // The states of the open project as the emission editor's selector lists them:
    // "Існуюч. стан: 2009", "Перспектива: 2010", ... (perspective files taken in order).
    const QStringList& states() const { return m_states; }
    int selectedState() const { return m_selectedState; }
    void setSelectedState(int index);
    // Replaces the selector's items (the editor adds, removes and relabels perspectives).
    void setStates(const QStringList& items, int selected);

    ProjectHistory& history() { return m_history; }

    bool openProject(const QString& folder);
    bool createProject(const QString& folder, const QString& name);
    bool saveProjectCopy(const QString& newFolder, const QString& newName, const QString& oldFolder,
                         const CopyProgress& progress = {});
    // Asks before closing an open project; false when the user keeps it open.
    bool closeProject();
    // Re-reads the state list of the open project (after a perspective is added or deleted).
    void refreshStates();

    static QString readProjectName(const QString& folder);
    static QString readProjectComment(const QString& folder);
    // The selector's items for a project folder with the given base year.
    static QStringList stateList(const QString& folder, int baseYear);

signals:
    void projectChanged();
    void statesChanged();

private:
    AppPaths& m_paths;
    ProjectHistory m_history;
    QString m_path;
    QString m_name;
    QStringList m_states;
    int m_selectedState = 0;
};

} // namespace aeris
