#include "f_sel_others.h"

#include "u_datagrid.h"
#include "u_tileview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {
namespace {

DataGrid* listGrid(PickerForm* owner)
{
    auto* g = new DataGrid(owner);
    g->setReadOnly(true);
    g->setAppendOnDown(false);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->horizontalHeader()->setStretchLastSection(true);
    QObject::connect(g, &DataGrid::rowDoubleClicked, owner, &PickerForm::rowPicked);
    return g;
}

} // namespace

TFormSelSrc::TFormSelSrc(QWidget* parent) : PickerForm(QStringLiteral("Вибір джерела"), parent)
{
    auto* layout = new QHBoxLayout(this);
    TileGrid = new TileView(8, 12, {QStringLiteral("EMISSRC_ID")}, this);
    ListGrid = listGrid(this);
    layout->addWidget(TileGrid, 3);
    layout->addWidget(ListGrid, 2);
    connect(TileGrid, &TileView::picked, this, &PickerForm::rowPicked);
    resize(720, 480);
}

void TFormSelSrc::SetListSource(db::Dataset* ds)
{
    PickerForm::SetListSource(ds);
    TileGrid->setDataset(ds);
    ListGrid->setDataset(ds);
    ListGrid->showOnly({QStringLiteral("SITE_ID"), QStringLiteral("EMISSRC_ID"), QStringLiteral("EMISSRC_NAME")});
}

TFormSelPro::TFormSelPro(QWidget* parent) : PickerForm(QStringLiteral("Вибір виробництв"), parent)
{
    auto* layout = new QVBoxLayout(this);
    ListGrid = listGrid(this);
    layout->addWidget(ListGrid, 1);
    auto* bottom = new QHBoxLayout;
    addFullListBox(bottom);
    bottom->addStretch(1);
    addNavigator(bottom);
    layout->addLayout(bottom);
    resize(560, 460);
}

void TFormSelPro::SetListSource(db::Dataset* ds)
{
    PickerForm::SetListSource(ds);
    ListGrid->setDataset(ds);
    ListGrid->showOnly({QStringLiteral("PROD_ID"), QStringLiteral("PROD_NAME")});
}

void TFormSelPro::fullListToggled(bool on) { NavDelete->setVisible(!on); }

TFormSelSum::TFormSelSum(QWidget* parent) : PickerForm(QStringLiteral("Вибір груп сумацій"), parent)
{
    auto* layout = new QVBoxLayout(this);
    ListGrid = listGrid(this);
    layout->addWidget(ListGrid, 1);
    auto* bottom = new QHBoxLayout;
    addFullListBox(bottom);
    bottom->addStretch(1);
    layout->addLayout(bottom);
    resize(720, 400);
}

void TFormSelSum::SetListSource(db::Dataset* ds)
{
    PickerForm::SetListSource(ds);
    ListGrid->setDataset(ds);
    QStringList fields{QStringLiteral("GROUP_ID")};
    for (int k = 1; k <= 10; ++k) fields << QStringLiteral("SUBST_ID%1").arg(k);
    ListGrid->showOnly(fields);
}

} // namespace aeris
