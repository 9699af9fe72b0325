#include "f_sel_subst.h"

#include "u_dataset.h"
#include "u_tileview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {

TFormSelSubst::TFormSelSubst(QWidget* parent) : PickerForm(QStringLiteral("Вибір речовин"), parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grids = new QHBoxLayout;
    TileGrid = new TileView(8, 12, {QStringLiteral("SUBST_2TP_ID"), QStringLiteral("SUBST_GDK_ID")}, this);
    TileGrid->setObjectName(QStringLiteral("DBCtrlGridTiles"));
    ListGrid = new TileView(1, 9, {QStringLiteral("SUBST_2TP_ID"), QStringLiteral("SUBST_GDK_ID"), QStringLiteral("SUBST_2TP_NAME"),
                                   QStringLiteral("SUBST_GDK_NAME")}, this);
    ListGrid->setObjectName(QStringLiteral("DBCtrlGridList"));
    grids->addWidget(TileGrid, 3);
    grids->addWidget(ListGrid, 2);
    layout->addLayout(grids, 1);
    auto* bottom = new QHBoxLayout;
    addFullListBox(bottom);
    CheckBox2TP = new QCheckBox(QStringLiteral("Обирати назву за 2-ТП"), this);
    CheckBox2TP->setObjectName(QStringLiteral("CheckBox2TP"));
    CheckBox2TP->hide();
    bottom->addWidget(CheckBox2TP);
    bottom->addStretch(1);
    addNavigator(bottom);
    layout->addLayout(bottom);
    for (TileView* v : {TileGrid, ListGrid}) {
        connect(v, &TileView::picked, this, &PickerForm::rowPicked);
        connect(v, &TileView::keyTyped, this, [this, v](QKeyEvent* e) {
            if (v == ListGrid && e->key() == Qt::Key_Delete) clearSearch();
            else searchKey(e->text(), e->key());
        });
    }
    resize(760, 520);
}

void TFormSelSubst::SetListSource(db::Dataset* ds)
{
    PickerForm::SetListSource(ds);
    TileGrid->setDataset(ds);
    ListGrid->setDataset(ds);
}

void TFormSelSubst::fullListToggled(bool on)
{
    CheckBox2TP->setVisible(on);
    NavDelete->setVisible(!on);
}

void TFormSelSubst::searchKey(const QString& text, int key)
{
    if (key == Qt::Key_Backspace) {
        m_search.chop(1);
    } else if (!text.isEmpty() && text.at(0).isPrint()) {
        m_search += text;
    } else {
        return;
    }
    applySearch();
}

void TFormSelSubst::applySearch()
{
    setWindowTitle(m_search.isEmpty() ? QStringLiteral("Вибір речовин")
                                      : QStringLiteral("Вибір речовин - ПОШУК: \"") + m_search + u'"');
    db::Dataset* ds = listSource();
    if (!ds || !ds->active() || m_search.isEmpty()) return;
    const db::LocateOptions prefix{true, true};
    if (!ds->locate(QStringLiteral("SUBST_GDK_ID"), m_search, prefix)) ds->locate(QStringLiteral("SUBST_GDK_NAME"), m_search, prefix);
}

void TFormSelSubst::clearSearch()
{
    m_search.clear();
    setWindowTitle(QStringLiteral("Вибір речовин"));
    if (listSource() && listSource()->active()) listSource()->first();
}

} // namespace aeris
