#pragma once
// A grid bound to a Dataset: one column per visible field with its title, a row indicator
// showing the dataset's state, editing in place through the field's entry conversion, resizable
// columns, and the grid's current row kept in step with the dataset's (the current row stays in
// view). Keys: Insert inserts a row, Ctrl+Delete deletes one after a question, Escape cancels the
// edit, Down on the last row appends one unless that is switched off. A new row left untouched
// is dropped when the cursor leaves it.

#include "u_datasetmodel.h"

#include <QHash>
#include <QSet>
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
    // The same as setColumns (kept for the lists whose order is the dataset's own).
    void showOnly(const QStringList& fields, const QStringList& titles = {});
    // Shows exactly these fields, in this order, with these titles (the rest hidden). The
    // layout is applied again whenever the dataset reopens; widths only the first time.
    void setColumns(const QStringList& fields, const QStringList& titles);
    void setStretchField(const QString& field) { m_stretch = field; }
    void setFieldWidth(const QString& field, int width) { m_widths.insert(field, width); }
    void setFieldDelegate(const QString& field, QAbstractItemDelegate* delegate) { m_delegates.insert(field, delegate); }
    // The shown fields in their order (after setColumns), and moving the cursor to one.
    const QStringList& shownFields() const { return m_shown; }
    void selectField(const QString& field);
    // Fields whose double click picks a value instead of starting the in-place editor.
    void setPickFields(const QStringList& fields) { m_pickFields = fields; }
    // The field of the current column ("" without one).
    QString currentField() const;

signals:
    void rowDoubleClicked();
    void cellClicked(const QString& field);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void followDataset(int row);

    db::Dataset* m_ds = nullptr;
    std::unique_ptr<db::DatasetModel> m_model;
    bool m_readOnly = false;
    bool m_appendOnDown = true;
    bool m_syncing = false;
    QStringList m_pickFields;
    QStringList m_shown;
    QStringList m_titles;
    QString m_stretch;
    QHash<QString, int> m_widths;
    QHash<QString, QAbstractItemDelegate*> m_delegates;
    QSet<QString> m_widthsApplied; // fields whose first width was set; the user's resizing stays
    void fitStretchField();
};

} // namespace aeris
