#include "f_tab.h"

#include "d_obj.h"
#include "f_sel_others.h"
#include "f_sel_subst.h"
#include "u_appexception.h"
#include "u_datagrid.h"
#include "u_rowbuttons.h"
#include "u_seams.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {
namespace {

void run(const std::function<void()>& f)
{
    guardedNotify([&] {
        f();
        return true;
    });
}

} // namespace

TFormTab::TFormTab(obj::TDataModuleObj& dm, TFormSelSubst& selSubst, TFormSelPro& selPro, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_selSubst(selSubst), m_selPro(selPro)
{
    setObjectName(QStringLiteral("FormTab"));
    setWindowTitle(QStringLiteral("Переліки"));
    setWindowFlags(Qt::Tool);
    resize(330, 260);
    // Docked in the editor it floats over the grids: a frame and a background of its own.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#FormTab { background: palette(window); border: 1px solid #5f7f9f; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    PageControl = new QTabWidget(this);
    layout->addWidget(PageControl);

    struct Page {
        const char* caption;
        DataGrid** grid;
        db::Dataset* ds;
        const char* names[3];
    };
    const Page pages[] = {
        {"Проммайданчики", &DBGridSites, &m_dm.IBQuerySites, {"SpeedButton22", "SpeedButton23", "SpeedButton24"}},
        {"Виробництва", &DBGridPro, &m_dm.IBQueryPro, {"SpeedButton19", "SpeedButton20", "SpeedButton21"}},
        {"Речовини", &DBGridSubst, &m_dm.IBQuerySubst, {"SpeedButton16", "SpeedButton17", "SpeedButton18"}},
    };
    for (const Page& p : pages) {
        auto* page = new QWidget(PageControl);
        auto* pl = new QVBoxLayout(page);
        pl->setContentsMargins(0, 0, 0, 0);
        auto* buttons = new QHBoxLayout;
        db::Dataset* ds = p.ds;
        auto* grid = new DataGrid(page);
        makeRowButtons(page, buttons, ds, grid, p.names);
        pl->addLayout(buttons);
        grid->setAppendOnDown(false);
        *p.grid = grid;
        pl->addWidget(grid, 1);
        PageControl->addTab(page, QString::fromUtf8(p.caption));
    }
    DBGridPro->setPickFields({QStringLiteral("PROD_ID"), QStringLiteral("PROD_NAME")});
    DBGridSubst->setPickFields({QStringLiteral("SUBST_ID"), QStringLiteral("SUBST_NAME")});
    connect(DBGridPro, &DataGrid::cellClicked, this, [this] { run([this] { productionClicked(); }); });
    connect(DBGridSubst, &DataGrid::cellClicked, this, [this] { run([this] { substanceClicked(); }); });
    connect(DBGridPro, &DataGrid::rowDoubleClicked, this, [this] { run([this] { productionDoubleClicked(); }); });
    connect(DBGridSubst, &DataGrid::rowDoubleClicked, this, [this] { run([this] { substanceDoubleClicked(); }); });
    rebind();
}

void TFormTab::rebind()
{
    DBGridSites->setDataset(&m_dm.IBQuerySites);
    DBGridSites->showOnly({QStringLiteral("SITE_ID"), QStringLiteral("SITE_NAME")}, {QStringLiteral("№"), QStringLiteral("Назва")});
    DBGridPro->setDataset(&m_dm.IBQueryPro);
    DBGridPro->showOnly({QStringLiteral("PROD_ID"), QStringLiteral("PROD_NAME")}, {QStringLiteral("Код"), QStringLiteral("Назва")});
    DBGridSubst->setDataset(&m_dm.IBQuerySubst);
    DBGridSubst->showOnly({QStringLiteral("SUBST_ID"), QStringLiteral("SUBST_NAME")}, {QStringLiteral("Код"), QStringLiteral("Назва")});
}

void TFormTab::showPage(int index) { PageControl->setCurrentIndex(index); }

void TFormTab::productionClicked()
{
    if (m_dm.IBQueryPro.isEmpty() || !m_dm.IBQueryEvolSrc.active()) return;
    m_dm.IBQueryEvolSrc.locate(QStringLiteral("PROD_ID"), m_dm.IBQueryPro[QStringLiteral("PROD_ID")].value());
}

void TFormTab::substanceClicked()
{
    if (m_dm.IBQuerySubst.isEmpty()) return;
    const QVariant id = m_dm.IBQuerySubst[QStringLiteral("SUBST_ID")].value();
    for (db::Dataset* ds : {&m_dm.IBQueryEmisData, &m_dm.IBQueryEvolData, &m_dm.IBQueryGouData})
        if (ds->active()) ds->locate(QStringLiteral("SUBST_ID"), id);
}

void TFormTab::substanceDoubleClicked()
{
    db::Dataset& subst = m_dm.IBQuerySubst;
    db::Dataset& all = m_dm.substanceReference();
    m_selSubst.CheckBoxAll->setChecked(true);
    m_selSubst.CheckBoxAll->hide();
    m_selSubst.CheckBox2TP->show();
    m_selSubst.NavDelete->hide();
    if (!subst.isEmpty()) all.locate(QStringLiteral("SUBST_GDK_ID"), subst[QStringLiteral("SUBST_ID")].asLargeInt() % 100000);
    m_selSubst.SetListSource(&all);
    const int result = m_selSubst.pick();
    m_selSubst.CheckBoxAll->show();
    if (result != PickerForm::Picked || all.isEmpty()) return;
    if (!subst.editing()) subst.edit();
    subst[QStringLiteral("SUBST_ID")].setValue(all[QStringLiteral("SUBST_ID")].value());
    const QString name2tp = all[QStringLiteral("SUBST_2TP_NAME")].asString();
    subst[QStringLiteral("SUBST_NAME")].setValue(m_selSubst.CheckBox2TP->isChecked() && !name2tp.isEmpty()
                                                     ? name2tp
                                                     : all[QStringLiteral("SUBST_GDK_NAME")].asString());
}

void TFormTab::productionDoubleClicked()
{
    db::Dataset& pro = m_dm.IBQueryPro;
    db::Dataset& all = m_dm.productionReference();
    m_selPro.CheckBoxAll->setChecked(true);
    m_selPro.CheckBoxAll->hide();
    m_selPro.NavDelete->hide();
    if (!pro.isEmpty()) all.locate(QStringLiteral("PROD_ID"), pro[QStringLiteral("PROD_ID")].asString());
    m_selPro.SetListSource(&all);
    const int result = m_selPro.pick();
    m_selPro.CheckBoxAll->show();
    if (result != PickerForm::Picked || all.isEmpty()) return;
    bool ok = false;
    const int code = all[QStringLiteral("PROD_ID")].asString().toInt(&ok);
    if (!ok) {
        // An industry or a group of the classifier has no production number.
        showMessage(QStringLiteral("Оберіть виробництво з числовим кодом"), QStringLiteral("Увага"), MsgIcon::Warning);
        return;
    }
    if (!pro.editing()) pro.edit();
    pro[QStringLiteral("PROD_ID")].setValue(code);
    pro[QStringLiteral("PROD_NAME")].setValue(all[QStringLiteral("PROD_NAME")].value());
}

void TFormTab::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    emit shownChanged(true);
}

void TFormTab::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    emit shownChanged(false);
}

} // namespace aeris
