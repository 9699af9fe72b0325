#pragma once
// The emission editor "Викиди по об'єкту": the sources of the object with, for the current
// source, its evolving sources, its cleaning units and the emissions at each level, the state
// selector, and the commands on the object's states.

#include "u_columnfollow.h"
#include "u_emissedit.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolButton;

namespace aeris {

class DataGrid;
class TFormTab;
class TFormSelSubst;
class TFormSelPro;

class TFormEmissTab : public QWidget {
    Q_OBJECT
public:
    TFormEmissTab(ProjectSession& project, obj::TDataModuleObj& dm, TFormSelSubst& selSubst, TFormSelPro& selPro,
                  QWidget* parent = nullptr);
    ~TFormEmissTab() override;

    editor::EmissionEditor& logic() { return m_logic; }
    TFormTab& formTab() { return *m_tab; }

    // How the window asks its owner for the shared windows.
    std::function<void(const QStringList& lines)> showLog;  // the measures, modally
    std::function<int(int current)> askYear;                // 0 when cancelled

    void SpeedButtonSaveClick() { m_logic.SaveAll(); }
    void SpeedButtonTabClick();
    void SpeedButtonShowMeasClick();
    void SpeedButtonSetYearClick();
    // The double-click pickers of the emission grids and of the evolving-source grid.
    void pickSubstance(DataGrid& grid);
    void pickProduction();
    // What a click on a cell does to the other grids.
    void cellClicked(editor::Grid grid, const QString& field);
    // The hint for the title band at x of a grid (y inside the band).
    void hintAt(editor::Grid grid, int x);

    QLabel* LabelTitle = nullptr;
    QComboBox* ComboBoxPers = nullptr;
    QWidget* PanelHint = nullptr;
    QPlainTextEdit* MemoHint = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonRefresh = nullptr;
    QToolButton* SpeedButtonImport = nullptr;
    QToolButton* SpeedButtonExport = nullptr;
    QToolButton* SpeedButtonTab = nullptr;
    QToolButton* SpeedButtonMap = nullptr;
    QToolButton* SpeedButtonAddPers = nullptr;
    QToolButton* SpeedButtonDelPers = nullptr;
    QToolButton* SpeedButtonShowMeas = nullptr;
    QToolButton* SpeedButtonSetYear = nullptr;
    QToolButton* SpeedButtonGoCalc = nullptr;
    QToolButton* SpeedButtonEmisToEvol = nullptr;
    QMenu* PopupMenuImport = nullptr;
    QMenu* PopupMenuExport = nullptr;
    QWidget* Panel1 = nullptr;
    DataGrid* DBGridEmisSrc = nullptr;
    DataGrid* DBGridEvolSrc = nullptr;
    DataGrid* DBGridGou = nullptr;
    DataGrid* DBGridEmisData = nullptr;
    DataGrid* DBGridEvolData = nullptr;
    DataGrid* DBGridGouData = nullptr;
    QToolButton* rowButton(const QString& name) const;

protected:
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    QWidget* gridBlock(DataGrid*& grid, editor::Grid which, const char* const names[3], QWidget* parent);
    void fillStates();
    DataGrid* gridOf(editor::Grid g) const;

    ProjectSession& m_project;
    obj::TDataModuleObj& m_dm;
    TFormSelSubst& m_selSubst;
    TFormSelPro& m_selPro;
    editor::EmissionEditor m_logic;
    TFormTab* m_tab = nullptr;
    std::vector<QToolButton*> m_rowButtons;
};

} // namespace aeris
