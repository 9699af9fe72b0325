#pragma once
// The table viewer: one window for every numbered report table. The report module that owns
// a table code describes the table and hands over its dataset; the viewer shows it as a grid
// of strings, lets the user edit, insert, delete, copy, cut, paste and find freely, and writes
// the whole grid back on "Зберегти".

#include "u_tablegrid.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace aeris::reports {

class TableGridModel;

class TFormTable : public QWidget {
    Q_OBJECT
public:
    explicit TFormTable(QWidget* parent = nullptr);
    ~TFormTable() override;

    // The module of a range of codes; it receives code − offset; `kind` is the report database
    // the viewer asks the main window to open first.
    void registerModule(int firstCode, int lastCode, int offset, int kind, ReportModule* module);
    bool hasModuleFor(int code) const;
    std::function<bool(int kind)> openModuleDatabase = [](int) { return false; };
    std::function<int()> selectedState = [] { return 0; }; // the emission editor's state index

    int CurrentCode = 0;
    TableGrid& grid() { return m_grid; }

    void ShowTable(int code);
    void FillGrid();
    void SaveTable();
    void ReloadTable();
    void refreshClick(); // asks first
    void insertClick();
    void appendClick();
    void deleteClick();
    void copyClick();
    void cutClick();
    void pasteClick();
    void findClick();
    void printClick();
    void pickForCell();
    void optionSelected(int index);

    Selection selection() const;
    void selectCell(int col, int row);

    QLabel* LabelHead = nullptr;
    QLabel* LabelTitle = nullptr;
    QLabel* LabelRight = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* SpeedButtonSave = nullptr;
    QToolButton* SpeedButtonRefresh = nullptr;
    QToolButton* SpeedButtonPrint = nullptr;
    QToolButton* SpeedButtonCopy = nullptr;
    QToolButton* SpeedButtonCut = nullptr;
    QToolButton* SpeedButtonPaste = nullptr;
    QToolButton* SpeedButtonInsert = nullptr;
    QToolButton* SpeedButtonAppend = nullptr;
    QToolButton* SpeedButtonDel = nullptr;
    QToolButton* SpeedButtonFind = nullptr;
    QLineEdit* EditFind = nullptr;
    QComboBox* ComboBoxOptions = nullptr;
    QTableView* StringGrid = nullptr;

protected:
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    struct Route {
        int first, last, offset, kind;
        ReportModule* module;
    };
    const Route* routeOf(int code) const;
    void afterGridChange();
    void applyShape();

    std::vector<Route> m_routes;
    TableGrid m_grid;
    std::unique_ptr<TableGridModel> m_model;
};

} // namespace aeris::reports
