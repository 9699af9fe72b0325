#pragma once
// A grid bound to a Dataset: one column per visible field with its title, a row indicator
// showing the dataset's state, editing in place through the field's entry conversion, resizable
// columns, and the grid's current row kept in step with the dataset's (the current row stays in
// view). Keys: Insert inserts a row, Ctrl+Delete deletes one after a question, Escape cancels the
// edit, Down on the last row appends one unless that is switched off. A new row left untouched
// is dropped when the cursor leaves it.

#include "u_datasetmodel.h"

#include <QTableView>
#include <memory>

namespace aeris {

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataset(db::Dataset* ds);
    db::Dataset* dataset() const { return m_ds; }
    db::DatasetModel* datasetModel() const { return m_model.get(); }

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    void setAppendOnDown(bool on) { m_appendOnDown = on; }
    // The column of a field, or -1.
    int columnOf(const QString& field) const;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followDataset(int row);

    db::Dataset* m_ds = nullptr;
    std::unique_ptr<db::DatasetModel> m_model;
    bool m_readOnly = false;
    bool m_appendOnDown = true;
    bool m_syncing = false;
};

} // namespace aeris
