#include "f_infoprod.h"

#include "u_datagrid.h"
#include "u_toolbutton.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {

TFormInfoProd::TFormInfoProd(ref::InfoProdData& data, QWidget* parent) : QWidget(parent), m_data(data)
{
    setObjectName(QStringLiteral("FormInfoProd"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    LabelHead = makeTitleLabel(this, QStringLiteral("Виробництва"), 14);
    SpeedButtonSave = makeToolButton(this, "SpeedButtonSave", "Зберегти", QStyle::SP_DialogSaveButton);
    head->addWidget(LabelHead);
    head->addWidget(SpeedButtonSave);
    head->addStretch(1);
    layout->addLayout(head);
    connect(SpeedButtonSave, &QToolButton::clicked, this, &TFormInfoProd::SpeedButtonSaveClick);

    PageControl = new QTabWidget(this);
    layout->addWidget(PageControl, 1);
    DBGridSummary = new DataGrid(PageControl);
    DBGridSummary->setReadOnly(true);
    DBGridSummary->setDataset(&m_data.summary());
    PageControl->addTab(DBGridSummary, QStringLiteral("Зведений перелік"));
    const char* pages[] = {"Галузі", "Групи виробництв", "Виробництва"};
    for (size_t i = 0; i < m_data.tables().size(); ++i) {
        auto* grid = new DataGrid(PageControl);
        grid->setDataset(m_data.tables()[i]);
        tableGrids.push_back(grid);
        PageControl->addTab(grid, QString::fromUtf8(pages[i]));
    }
    connect(&m_data, &ref::ReferenceData::reloaded, this, [this] {
        // The summary shows the code and the name only.
        for (int c = 0; c < DBGridSummary->model()->columnCount(); ++c) {
            const QString f = DBGridSummary->datasetModel()->fieldAt(c).name();
            DBGridSummary->setColumnHidden(c, f != QLatin1String("PROD_ID") && f != QLatin1String("PROD_NAME"));
        }
        DBGridSummary->resizeColumnToContents(DBGridSummary->columnOf(QStringLiteral("PROD_ID")));
        DBGridSummary->horizontalHeader()->setStretchLastSection(true);
        for (DataGrid* g : tableGrids) g->resizeColumnsToContents();
    });
}

void TFormInfoProd::showData(const QString& infoFile) { m_data.show(infoFile); }

void TFormInfoProd::SpeedButtonSaveClick() { m_data.save(); }

void TFormInfoProd::hideEvent(QHideEvent* e)
{
    if (!e->spontaneous()) m_data.hide();
    QWidget::hideEvent(e);
}

} // namespace aeris
