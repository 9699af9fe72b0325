#pragma once
// Rows of a dataset as tiles: a fixed number of columns and rows of tiles fill the visible
// page, each tile showing some fields of its row, one per line. The view's current tile and the
// dataset's current row follow each other; a double click on a tile emits picked().

#include "u_datasetmodel.h"

#include <QListView>
#include <memory>

namespace aeris {

class TileView : public QListView {
    Q_OBJECT
public:
    TileView(int columns, int rows, QStringList fields, QWidget* parent = nullptr);
    ~TileView() override;

    void setDataset(db::Dataset* ds);
    db::Dataset* dataset() const { return m_ds; }
    const QStringList& fields() const { return m_fields; }

signals:
    void picked();
    void keyTyped(QKeyEvent* e); // keys the view does not use itself

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void follow(int row);

    int m_columns;
    int m_rows;
    QStringList m_fields;
    db::Dataset* m_ds = nullptr;
    std::unique_ptr<db::DatasetModel> m_model;
    bool m_syncing = false;
};

} // namespace aeris
