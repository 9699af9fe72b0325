#include "u_datagrid.h"

#include "u_appexception.h"
#include "u_seams.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace aeris {

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(16);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
}

DataGrid::~DataGrid()
{
    setModel(nullptr);
}

void DataGrid::setDataset(db::Dataset* ds)
{
    setModel(nullptr);
    m_model.reset();
    m_ds = ds;
    if (!ds) return;
    m_model = std::make_unique<db::DatasetModel>(*ds);
    setModel(m_model.get());
    connect(m_model.get(), &db::DatasetModel::currentRowChanged, this, &DataGrid::followDataset);
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, [this] { followDataset(m_model->currentRow()); });
    connect(m_model.get(), &db::DatasetModel::editFailed, this, [](const QString&) { QApplication::beep(); });
    // While rows come and go the view moves its cursor by itself; the dataset is not moved then.
    for (auto about : {&QAbstractItemModel::rowsAboutToBeRemoved, &QAbstractItemModel::rowsAboutToBeInserted})
        connect(m_model.get(), about, this, [this] { m_syncing = true; });
    for (auto done : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::rowsInserted})
        connect(m_model.get(), done, this, [this] {
            m_syncing = false;
            followDataset(m_model->currentRow());
        });
    connect(m_model.get(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_syncing = true; });
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, [this] {
        m_syncing = false;
        if (!m_shown.isEmpty()) setColumns(m_shown, m_titles);
    });
    followDataset(m_model->currentRow());
}

void DataGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

int DataGrid::columnOf(const QString& field) const { return m_model ? m_model->columnOf(field) : -1; }

void DataGrid::showOnly(const QStringList& fields, const QStringList& titles) { setColumns(fields, titles); }

void DataGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QModelIndex at = indexAt(e->position().toPoint());
    if (at.isValid() && (m_readOnly || (m_model && m_pickFields.contains(m_model->fieldAt(at.column()).name())))) {
        setCurrentIndex(at);
        emit rowDoubleClicked();
        return;
    }
    QTableView::mouseDoubleClickEvent(e);
    if (at.isValid()) emit rowDoubleClicked();
}

void DataGrid::setColumns(const QStringList& fields, const QStringList& titles)
{
    m_shown = fields;
    m_titles = titles;
    // Fields are bound to their columns when the dataset first opens; until then only the
    // fields declared in advance exist.
    if (!m_model || !m_ds || !m_ds->active()) return;
    QHeaderView* h = horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c) setColumnHidden(c, !fields.contains(m_model->fieldAt(c).name()));
    for (int pos = 0; pos < fields.size(); ++pos) {
        const int logical = m_model->columnOf(fields[pos]);
        if (logical < 0) continue;
        if (pos < titles.size()) m_model->fieldAt(logical).setDisplayLabel(titles[pos]);
        h->moveSection(h->visualIndex(logical), pos);
        if (auto d = m_delegates.constFind(fields[pos]); d != m_delegates.constEnd()) setItemDelegateForColumn(logical, *d);
        if (!m_widthsApplied.contains(fields[pos]) && m_widths.contains(fields[pos])) {
            setColumnWidth(logical, m_widths.value(fields[pos]));
            m_widthsApplied.insert(fields[pos]);
        }
    }
    fitStretchField();
}

void DataGrid::fitStretchField()
{
    // The name column takes the width the other columns leave free.
    if (!m_model || m_stretch.isEmpty()) return;
    const int logical = m_model->columnOf(m_stretch);
    if (logical < 0 || isColumnHidden(logical)) return;
    int others = 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (c != logical && !isColumnHidden(c)) others += columnWidth(c);
    setColumnWidth(logical, std::max(80, viewport()->width() - others - 2));
}

void DataGrid::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    fitStretchField();
}

void DataGrid::selectField(const QString& field)
{
    if (!m_model) return;
    const int c = m_model->columnOf(field);
    if (c < 0 || isColumnHidden(c)) return;
    const int row = std::max(0, currentIndex().row());
    m_syncing = true;
    setCurrentIndex(m_model->index(row, c));
    m_syncing = false;
}

QString DataGrid::currentField() const
{
    const QModelIndex i = currentIndex();
    return (m_model && i.isValid()) ? m_model->fieldAt(i.column()).name() : QString();
}

void DataGrid::mouseReleaseEvent(QMouseEvent* e)
{
    QTableView::mouseReleaseEvent(e);
    const QModelIndex at = indexAt(e->position().toPoint());
    if (at.isValid() && m_model) emit cellClicked(m_model->fieldAt(at.column()).name());
}

void DataGrid::followDataset(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount()) return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = m_model->index(row, std::max(0, std::min(column, m_model->columnCount() - 1)));
    setCurrentIndex(target);
    scrollTo(target);
    m_syncing = wasSyncing;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !m_model || !current.isValid() || current.row() == m_model->currentRow()) return;
    // Leaving a row posts it (or drops it when untouched); a refusal keeps the cursor there.
    const bool moved = guardedNotify([&] {
        m_model->setCurrentRow(current.row());
        return true;
    });
    if (!moved) {
        QMetaObject::invokeMethod(this, [this] { followDataset(m_model ? m_model->currentRow() : -1); }, Qt::QueuedConnection);
    }
}

void DataGrid::keyPressEvent(QKeyEvent* e)
{
    if (!m_ds || !m_ds->active() || state() == QAbstractItemView::EditingState) {
        QTableView::keyPressEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Escape && m_ds->editing()) {
        m_ds->cancel();
        return;
    }
    if (!m_readOnly) {
        if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
            m_ds->insert();
            return;
        }
        if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
            if (!m_ds->isEmpty() && askYesNo(QStringLiteral("Видалити запис?"), QStringLiteral("Увага"))) m_ds->remove();
            return;
        }
        if (e->key() == Qt::Key_Down && m_appendOnDown && e->modifiers() == Qt::NoModifier &&
            (m_ds->isEmpty() || m_ds->recNo() == m_ds->recordCount()) && !(m_ds->state() == db::DatasetState::Insert && !m_ds->modified())) {
            m_ds->append();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

} // namespace aeris
