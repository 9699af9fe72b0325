#include "u_tileview.h"

#include "u_appexception.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace aeris {
namespace {

class TileDelegate : public QStyledItemDelegate {
public:
    explicit TileDelegate(TileView& view) : QStyledItemDelegate(&view), m_view(view) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        db::Dataset* ds = m_view.dataset();
        if (!ds || !ds->active()) return;
        const QRect r = option.rect.adjusted(1, 1, -1, -1);
        p->save();
        p->fillRect(r, (option.state & QStyle::State_Selected) ? QColor(0xd6, 0xe6, 0xf6) : QColor(Qt::white));
        p->setPen(QColor(0x8f, 0xaf, 0xcf));
        p->drawRect(r);
        p->setPen(Qt::black);
        const int line = option.fontMetrics.height();
        int y = r.top() + 2;
        for (const QString& name : m_view.fields()) {
            const db::Field* f = ds->findField(name);
            if (!f) continue;
            const QString text = ds->displayTextAt(index.row(), f->index());
            p->drawText(QRect(r.left() + 3, y, r.width() - 6, line), Qt::AlignLeft | Qt::AlignVCenter,
                        option.fontMetrics.elidedText(text, Qt::ElideRight, r.width() - 6));
            y += line;
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        const QSize g = m_view.gridSize();
        return g.isValid() ? g - QSize(1, 1) : QSize(60, 30);
    }

private:
    TileView& m_view;
};

} // namespace

TileView::TileView(int columns, int rows, QStringList fields, QWidget* parent)
    : QListView(parent), m_columns(columns), m_rows(rows), m_fields(std::move(fields))
{
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TileDelegate(*this));
}

TileView::~TileView() { setModel(nullptr); }

void TileView::setDataset(db::Dataset* ds)
{
    setModel(nullptr);
    m_model.reset();
    m_ds = ds;
    if (!ds) return;
    m_model = std::make_unique<db::DatasetModel>(*ds);
    setModel(m_model.get());
    connect(m_model.get(), &db::DatasetModel::currentRowChanged, this, &TileView::follow);
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, [this] { follow(m_model->currentRow()); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (m_syncing || !i.isValid() || i.row() == m_model->currentRow()) return;
        guardedNotify([&] {
            m_model->setCurrentRow(i.row());
            return true;
        });
    });
    follow(m_model->currentRow());
}

void TileView::follow(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount()) return;
    m_syncing = true;
    const QModelIndex i = m_model->index(row, 0);
    setCurrentIndex(i);
    scrollTo(i);
    m_syncing = false;
}

void TileView::resizeEvent(QResizeEvent* e)
{
    QListView::resizeEvent(e);
    const QSize area = viewport()->size();
    const int scroll = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int minHeight = int(m_fields.size()) * fontMetrics().height() + 6;
    setGridSize(QSize(std::max(40, (area.width() - scroll) / m_columns - 1), std::max(minHeight, area.height() / m_rows)));
}

void TileView::mouseDoubleClickEvent(QMouseEvent* e)
{
    QListView::mouseDoubleClickEvent(e);
    if (indexAt(e->position().toPoint()).isValid()) emit picked();
}

void TileView::keyPressEvent(QKeyEvent* e)
{
    const bool navigation = e->key() == Qt::Key_Left || e->key() == Qt::Key_Right || e->key() == Qt::Key_Up ||
                            e->key() == Qt::Key_Down || e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown ||
                            e->key() == Qt::Key_Home || e->key() == Qt::Key_End;
    if (navigation) {
        QListView::keyPressEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        emit picked();
        return;
    }
    emit keyTyped(e);
}

} // namespace aeris
