#pragma once
// What the emission editor does, apart from showing it: opening and closing the object data
// of the selected state, saving everything, the perspective states and the base year, the
// planned measures, and the completion of a source's geometry and of its evolving source.

#include <QObject>
#include <QStringList>
#include <functional>

namespace aeris {
class ProjectSession;
namespace obj {
class TDataModuleObj;
}
} // namespace aeris

namespace aeris::editor {

class EmissionEditor : public QObject {
    Q_OBJECT
public:
    EmissionEditor(ProjectSession& project, obj::TDataModuleObj& dm, QObject* parent = nullptr);

    obj::TDataModuleObj& data() { return m_dm; }
    bool ObjectDataOpen = false;

    void ReopenObjectData();
    void CloseObjectData();
    void RelabelStates();
    void SaveAll();
    void Refresh() { ReopenObjectData(); }
    // The selector moved to another state.
    void ComboBoxPersChange(int index);

    // "Копіювати на перспективу": a new last perspective, a copy of the state before it.
    void addPerspective();
    // "Видалити перспективу": the last one, after the user's Yes.
    void deletePerspective();
    // "Встановити базовий рік" with the year the dialog returned (ignored when 0 or less).
    void setBaseYear(int year);
    // "Показати заходи": the lines, or an empty list after telling why there are none.
    QStringList showMeasures();

    // The hidden command that copies the emissions of the sources of site 1 to their first
    // evolving source, in the existing state.
    void emissionsToEvolving();

    // Shift+Enter on the source grids and on the evolving-source grid.
    void CompleteSourceGeometry();
    void CompleteEvolvingSource();

    // Where the mini-map is repainted after the data reopened.
    std::function<void()> repaintMiniMap;

private:
    ProjectSession& m_project;
    obj::TDataModuleObj& m_dm;
};

} // namespace aeris::editor
