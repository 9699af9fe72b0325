#pragma once
// Lets any Qt item view show and edit a Dataset: one column per visible field, display texts
// through the field's display conversion, entries through its entry conversion, and the
// dataset's current row kept in step with the view's current row.

#include "u_dataset.h"

#include <QAbstractTableModel>

namespace aeris::db {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int UpdateStatusRole = Qt::UserRole + 1;

    explicit DatasetModel(Dataset& ds, QObject* parent = nullptr);
    Dataset& dataset() const { return m_ds; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves the dataset to the row, starts editing and enters the text; a refused entry
    // returns false and is reported by editFailed with its message.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The field shown in a column, and the column of a field (-1 when hidden or absent).
    Field& fieldAt(int column) const;
    int columnOf(const QString& fieldName) const;

    int currentRow() const; // -1 when the dataset is closed or empty
    // Makes `row` the dataset's current row (posting a pending edit, as moving does).
    void setCurrentRow(int row);

signals:
    void currentRowChanged(int row);
    void editFailed(const QString& message);

private:
    void rebuildColumns();

    Dataset& m_ds;
    std::vector<int> m_columns; // field index per visible column
};

} // namespace aeris::db
