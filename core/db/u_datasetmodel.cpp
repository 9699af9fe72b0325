#include "u_datasetmodel.h"

namespace aeris::db {

DatasetModel::DatasetModel(Dataset& ds, QObject* parent) : QAbstractTableModel(parent), m_ds(ds)
{
    rebuildColumns();
    connect(&ds, &Dataset::aboutToReset, this, [this] { beginResetModel(); });
    connect(&ds, &Dataset::reset, this, [this] {
        rebuildColumns();
        endResetModel();
    });
    connect(&ds, &Dataset::aboutToInsertRow, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(&ds, &Dataset::rowInserted, this, [this](int) { endInsertRows(); });
    connect(&ds, &Dataset::aboutToRemoveRow, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(&ds, &Dataset::rowRemoved, this, [this](int) { endRemoveRows(); });
    connect(&ds, &Dataset::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount() && columnCount() > 0) {
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
            emit headerDataChanged(Qt::Vertical, row, row);
        }
    });
    connect(&ds, &Dataset::stateChanged, this, [this] {
        const int row = currentRow();
        if (row >= 0) emit headerDataChanged(Qt::Vertical, row, row);
    });
    connect(&ds, &Dataset::currentRowChanged, this, [this](int row) { emit currentRowChanged(row); });
}

void DatasetModel::rebuildColumns()
{
    m_columns.clear();
    for (int i = 0; i < m_ds.fieldCount(); ++i)
        if (m_ds.field(i).visible()) m_columns.push_back(i);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_ds.active() ? 0 : m_ds.recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

Field& DatasetModel::fieldAt(int column) const { return m_ds.field(m_columns.at(size_t(column))); }

int DatasetModel::columnOf(const QString& fieldName) const
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_ds.field(m_columns[c]).name().compare(fieldName, Qt::CaseInsensitive) == 0) return int(c);
    return -1;
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int fi = m_columns.at(size_t(index.column()));
    switch (role) {
    case Qt::DisplayRole: return m_ds.displayTextAt(index.row(), fi);
    case Qt::EditRole: {
        if (index.row() == m_ds.recNo() - 1) return m_ds.field(fi).editText();
        return m_ds.displayTextAt(index.row(), fi);
    }
    case Qt::TextAlignmentRole:
        return m_ds.field(fi).isNumeric() ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case UpdateStatusRole: return int(m_ds.updateStatusAt(index.row()));
    default: return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal) {
        if (section < 0 || section >= columnCount()) return {};
        return fieldAt(section).displayLabel();
    }
    // The row indicator: the current row shows the dataset's state.
    if (section != currentRow()) return QString();
    switch (m_ds.state()) {
    case DatasetState::Edit: return QStringLiteral("I");
    case DatasetState::Insert: return QStringLiteral("*");
    default: return QStringLiteral("►");
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const Field& field = fieldAt(index.column());
    if (!field.readOnly() && !field.isCalculated()) f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole) return false;
    try {
        if (index.row() != currentRow()) setCurrentRow(index.row());
        m_ds.edit();
        fieldAt(index.column()).setText(value.toString());
        return true;
    } catch (const Abort&) {
        return false;
    } catch (const Error& e) {
        emit editFailed(e.message());
        return false;
    }
}

int DatasetModel::currentRow() const
{
    if (!m_ds.active() || m_ds.isEmpty()) return -1;
    return m_ds.recNo() - 1;
}

void DatasetModel::setCurrentRow(int row)
{
    if (row < 0 || row == currentRow() || !m_ds.active()) return;
    m_ds.setRecNo(row + 1);
}

} // namespace aeris::db
