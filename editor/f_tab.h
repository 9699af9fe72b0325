#pragma once
// "Переліки": the object's own lists of production sites, productions and substances, docked
// in the emission editor. A click on a production or substance row finds it in the editor's
// lists; a double click picks a new code and name from the full reference.

#include <QWidget>

class QTabWidget;
class QToolButton;

namespace aeris {

class DataGrid;
class TFormSelSubst;
class TFormSelPro;
namespace obj {
class TDataModuleObj;
}

class TFormTab : public QWidget {
    Q_OBJECT
public:
    TFormTab(obj::TDataModuleObj& dm, TFormSelSubst& selSubst, TFormSelPro& selPro, QWidget* parent = nullptr);

    QTabWidget* PageControl = nullptr;
    DataGrid* DBGridSites = nullptr;
    DataGrid* DBGridPro = nullptr;
    DataGrid* DBGridSubst = nullptr;

    void showPage(int index);
    void productionClicked();
    void substanceClicked();
    void productionDoubleClicked();
    void substanceDoubleClicked();
    // The grids follow the data module's datasets (after the data reopened).
    void rebind();

signals:
    void shownChanged(bool shown);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    obj::TDataModuleObj& m_dm;
    TFormSelSubst& m_selSubst;
    TFormSelPro& m_selPro;
};

} // namespace aeris
