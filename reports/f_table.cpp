#include "f_table.h"

#include "u_appexception.h"
#include "u_dataset.h"
#include "u_seams.h"
#include "u_toolbutton.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris::reports {

// The grid's strings as a Qt model: every row (header rows included) is a model row.
class TableGridModel : public QAbstractTableModel {
public:
    explicit TableGridModel(TableGrid& g) : m_g(g) {}
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : m_g.rowCount(); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : m_g.colCount(); }
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (!i.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        return m_g.cell(i.column(), i.row());
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        if (!i.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (i.row() >= m_g.fixedRows()) f |= Qt::ItemIsEditable;
        return f;
    }
    bool setData(const QModelIndex& i, const QVariant& v, int role) override
    {
        if (!i.isValid() || role != Qt::EditRole || i.row() < m_g.fixedRows()) return false;
        if (v.toString() == m_g.cell(i.column(), i.row())) return true;
        m_g.setCell(i.column(), i.row(), v.toString());
        emit dataChanged(i, i);
        return true;
    }
    void resetAll()
    {
        beginResetModel();
        endResetModel();
    }

private:
    TableGrid& m_g;
};

namespace {

constexpr int kFontPx = 11;

// Draws every cell: wrapped data text, the colours, the header borders by mask, the group lines.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(TableGrid& g, QTableView* view) : QStyledItemDelegate(view), m_g(g), m_view(view) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row(), col = index.column();
        const QRect r = option.rect;
        const bool header = row < m_g.fixedRows();
        QString text = m_g.cell(col, row);
        QColor back(Qt::white), fore(Qt::black);
        if (!header) {
            const int maxCol = r.width() / ((kFontPx * 7) / 12);
            text = TableGrid::wrap(text, maxCol);
            const bool marked = row == m_g.errorRow && (col == m_g.errorCol || m_g.errorCol == -1);
            if (marked) {
                back = QColor(0xFF, 0x55, 0x55);
                fore = QColor(0xFF, 0xFF, 0x00);
            } else if (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) {
                back = m_g.modified ? QColor(0xCC, 0xFF, 0xCC) : QColor(0xCC, 0xDD, 0xFF);
            }
            // Rows are raised lazily to what their text needs, never lowered here.
            const int lines = 1 + int(text.count(QLatin1String("\r\n")));
            const int needed = lines * kFontPx * 14 / 10;
            if (m_view->rowHeight(row) < needed)
                QMetaObject::invokeMethod(m_view, [v = m_view, row, needed] {
                    if (row < v->model()->rowCount() && v->rowHeight(row) < needed) v->setRowHeight(row, needed);
                }, Qt::QueuedConnection);
        }
        p->save();
        p->fillRect(r, back);
        p->setPen(fore);
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        p->drawText(r.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, shown);
        p->setPen(Qt::black);
        const int right = r.right(), bottom = r.bottom();
        if (header) {
            const std::uint32_t mask = m_g.headerMask[size_t(col)];
            const bool noRight = mask & (1u << (2 * row));
            const bool noBottom = mask & (1u << (2 * row + 1));
            if (!noRight) p->drawLine(right, r.top(), right, bottom);
            if (!noBottom) p->drawLine(r.left(), bottom, right, bottom);
            if (row == m_g.fixedRows() - 1) p->drawLine(r.left(), bottom - 1, right, bottom - 1); // the double line
        } else {
            p->drawLine(right, r.top(), right, bottom);
            if (m_g.dataBottomLine(col, row)) p->drawLine(r.left(), bottom, right, bottom);
        }
        p->restore();
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setCursorPosition(0); // the caret at the start
    }

private:
    TableGrid& m_g;
    QTableView* m_view;
};

void guarded(const std::function<void()>& f)
{
    guardedNotify([&] {
        f();
        return true;
    });
}

} // namespace

TFormTable::TFormTable(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormTable"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* heads = new QHBoxLayout;
    LabelHead = new QLabel(this);
    QFont hf(QStringLiteral("Arial"));
    hf.setPixelSize(16);
    hf.setBold(true);
    hf.setItalic(true);
    LabelHead->setFont(hf);
    LabelTitle = new QLabel(this);
    QFont tf(QStringLiteral("Arial"));
    tf.setPixelSize(13);
    tf.setBold(true);
    LabelTitle->setFont(tf);
    LabelTitle->setAlignment(Qt::AlignCenter);
    LabelTitle->setWordWrap(true);
    LabelRight = new QLabel(this);
    LabelRight->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = new QLabel(QStringLiteral("(перспектива)"), this);
    QFont lf(QStringLiteral("Arial"));
    lf.setPixelSize(16);
    lf.setBold(true);
    Label1->setFont(lf);
    Label1->setStyleSheet(QStringLiteral("color: #00FF00"));
    Label1->hide();
    heads->addWidget(LabelHead);
    heads->addWidget(Label1);
    heads->addWidget(LabelTitle, 1);
    heads->addWidget(LabelRight);
    layout->addLayout(heads);

    auto* strip = new QHBoxLayout;
    auto button = [&](const char* name, const char* hint, QStyle::StandardPixmap icon, void (TFormTable::*slot)()) {
        QToolButton* b = makeToolButton(this, name, hint, icon);
        b->setFixedSize(23, 22);
        connect(b, &QToolButton::clicked, this, [this, slot] { guarded([&] { (this->*slot)(); }); });
        strip->addWidget(b);
        return b;
    };
    SpeedButtonSave = button("SpeedButtonSave", "Зберегти", QStyle::SP_DialogSaveButton, &TFormTable::SaveTable);
    SpeedButtonRefresh = button("SpeedButtonRefresh", "Перезавантажити", QStyle::SP_BrowserReload, &TFormTable::refreshClick);
    SpeedButtonPrint = button("SpeedButtonPrint", "Друкована версія", QStyle::SP_FileDialogDetailedView, &TFormTable::printClick);
    SpeedButtonCopy = button("SpeedButtonCopy", "Копіювати", QStyle::SP_FileLinkIcon, &TFormTable::copyClick);
    SpeedButtonCut = button("SpeedButtonCut", "Вирізати", QStyle::SP_DialogDiscardButton, &TFormTable::cutClick);
    SpeedButtonPaste = button("SpeedButtonPaste", "Вставити", QStyle::SP_DialogApplyButton, &TFormTable::pasteClick);
    SpeedButtonInsert = button("SpeedButtonInsert", "Додати перед", QStyle::SP_ArrowUp, &TFormTable::insertClick);
    SpeedButtonAppend = button("SpeedButtonAppend", "Додати після", QStyle::SP_ArrowDown, &TFormTable::appendClick);
    SpeedButtonDel = button("SpeedButtonDel", "Видалити", QStyle::SP_TrashIcon, &TFormTable::deleteClick);
    SpeedButtonFind = button("SpeedButtonFind", "Знайти", QStyle::SP_FileDialogContentsView, &TFormTable::findClick);
    EditFind = new QLineEdit(this);
    EditFind->setObjectName(QStringLiteral("EditFind"));
    EditFind->setMaximumWidth(200);
    connect(EditFind, &QLineEdit::returnPressed, this, [this] { findClick(); });
    strip->addWidget(EditFind);
    ComboBoxOptions = new QComboBox(this);
    ComboBoxOptions->setObjectName(QStringLiteral("ComboBoxOptions"));
    ComboBoxOptions->setMaximumWidth(200);
    ComboBoxOptions->hide();
    connect(ComboBoxOptions, &QComboBox::activated, this, [this](int i) { guarded([&] { optionSelected(i); }); });
    strip->addWidget(ComboBoxOptions);
    strip->addStretch(1);
    layout->addLayout(strip);

    StringGrid = new QTableView(this);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    m_model = std::make_unique<TableGridModel>(m_grid);
    StringGrid->setModel(m_model.get());
    StringGrid->setItemDelegate(new CellDelegate(m_grid, StringGrid));
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->setShowGrid(false);
    StringGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    StringGrid->setTabKeyNavigation(true);
    StringGrid->verticalHeader()->setDefaultSectionSize(18);
    QFont gf(QStringLiteral("Arial"));
    gf.setPixelSize(kFontPx);
    StringGrid->setFont(gf);
    StringGrid->setStyleSheet(QStringLiteral("QTableView { background: #EEEEEE; }"));
    StringGrid->installEventFilter(this);
    StringGrid->viewport()->installEventFilter(this);
    connect(StringGrid, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.row() >= m_grid.fixedRows()) guarded([this] { pickForCell(); });
    });
    layout->addWidget(StringGrid, 1);
}

TFormTable::~TFormTable() { StringGrid->setModel(nullptr); }

void TFormTable::registerModule(int firstCode, int lastCode, int offset, int kind, ReportModule* module)
{
    m_routes.push_back({firstCode, lastCode, offset, kind, module});
}

const TFormTable::Route* TFormTable::routeOf(int code) const
{
    for (const Route& r : m_routes)
        if (code >= r.first && code <= r.last) return &r;
    return nullptr;
}

bool TFormTable::hasModuleFor(int code) const { return routeOf(code) != nullptr; }

void TFormTable::applyShape()
{
    m_model->resetAll();
    for (int c = 0; c < m_grid.colCount(); ++c)
        StringGrid->setColumnWidth(c, c < int(m_grid.columnWidths.size()) ? m_grid.columnWidths[size_t(c)] : 64);
    for (int r = 0; r < m_grid.fixedRows(); ++r)
        StringGrid->setRowHeight(r, r < int(m_grid.headerHeights.size()) ? m_grid.headerHeights[size_t(r)] : 20);
}

void TFormTable::ShowTable(int code)
{
    CurrentCode = 0;
    Label1->hide();
    if (m_grid.dataset && m_grid.dataset->active()) m_grid.dataset->close();
    m_grid.reset();
    const Route* route = routeOf(code);
    if (!route) {
        LabelHead->clear();
        LabelTitle->clear();
        LabelRight->clear();
        m_grid.setShape(0, 0, 0);
        applyShape();
        CurrentCode = code;
        return;
    }
    openModuleDatabase(route->kind);
    route->module->DefineTable(code - route->offset, m_grid);
    LabelHead->setText(m_grid.labelHead);
    LabelTitle->setText(m_grid.labelTitle);
    LabelRight->setText(m_grid.labelRight);
    SpeedButtonInsert->setEnabled(m_grid.insertEnabled);
    SpeedButtonAppend->setEnabled(m_grid.appendEnabled);
    SpeedButtonDel->setEnabled(m_grid.deleteEnabled);
    ComboBoxOptions->clear();
    ComboBoxOptions->addItems(m_grid.optionItems);
    ComboBoxOptions->setVisible(m_grid.optionsVisible);
    if (code >= 2001 && code <= 2999) Label1->setVisible(selectedState() > 0);
    FillGrid();
    StringGrid->setFocus();
    CurrentCode = code;
}

void TFormTable::FillGrid()
{
    m_grid.FillGrid();
    applyShape();
    if (m_grid.rowCount() > m_grid.fixedRows()) selectCell(0, m_grid.fixedRows());
}

void TFormTable::afterGridChange()
{
    m_model->resetAll();
    applyShape();
    for (int r : m_grid.takeRowsToRemeasure())
        if (r < m_grid.rowCount()) StringGrid->setRowHeight(r, StringGrid->verticalHeader()->defaultSectionSize());
}

Selection TFormTable::selection() const
{
    const QModelIndexList sel = StringGrid->selectionModel()->selectedIndexes();
    Selection s;
    const QModelIndex cur = StringGrid->currentIndex();
    if (sel.isEmpty()) {
        s.left = s.right = std::max(0, cur.column());
        s.top = s.bottom = std::max(m_grid.fixedRows(), cur.row());
        return s;
    }
    s.left = s.top = INT_MAX;
    s.right = s.bottom = -1;
    for (const QModelIndex& i : sel) {
        s.left = std::min(s.left, i.column());
        s.right = std::max(s.right, i.column());
        s.top = std::min(s.top, i.row());
        s.bottom = std::max(s.bottom, i.row());
    }
    s.top = std::max(s.top, m_grid.fixedRows());
    s.bottom = std::max(s.bottom, s.top);
    return s;
}

void TFormTable::selectCell(int col, int row)
{
    if (row < 0 || row >= m_grid.rowCount() || col < 0 || col >= m_grid.colCount()) return;
    const QModelIndex i = m_model->index(row, col);
    StringGrid->setCurrentIndex(i);
    StringGrid->scrollTo(i);
}

void TFormTable::SaveTable()
{
    const Route* route = routeOf(CurrentCode);
    if (!route || !m_grid.dataset) return;
    int col = -1, row = -1;
    m_grid.SaveTable(*route->module, CurrentCode - route->offset, &col, &row);
    afterGridChange();
    if (col >= 0 && row >= 0) selectCell(col, row);
}

void TFormTable::ReloadTable()
{
    const Route* route = routeOf(CurrentCode);
    if (!route) return;
    route->module->Reload(CurrentCode - route->offset);
    FillGrid();
}

void TFormTable::refreshClick()
{
    const Answer a = seams().messages->show(QStringLiteral("Перезавантажити дані з БД? Усі незбережені зміни будуть втрачені!"),
                                            QStringLiteral("Відкрити таблицю заново?"), MsgIcon::Question, BtnYes | BtnNo | BtnCancel);
    if (a == Answer::Yes) ReloadTable();
}

void TFormTable::insertClick()
{
    m_grid.InsertRowsBefore(selection());
    afterGridChange();
}

void TFormTable::appendClick()
{
    m_grid.InsertRowsAfter(selection());
    afterGridChange();
}

void TFormTable::deleteClick()
{
    m_grid.DeleteRows(selection());
    afterGridChange();
}

void TFormTable::copyClick()
{
    const TableGrid::Clip clip = m_grid.CopySelection(selection());
    if (clip.rtf.isEmpty()) seams().clipboard->setText(clip.text);
    else seams().clipboard->setRtf(clip.rtf, clip.desktopRtf);
}

void TFormTable::cutClick()
{
    const TableGrid::Clip clip = m_grid.Cut(selection());
    if (clip.rtf.isEmpty()) seams().clipboard->setText(clip.text);
    else seams().clipboard->setRtf(clip.rtf, clip.desktopRtf);
    afterGridChange();
}

void TFormTable::pasteClick()
{
    m_grid.PasteClipboard(seams().clipboard->text(), seams().clipboard->rtf(), selection());
    afterGridChange();
}

void TFormTable::findClick()
{
    const QModelIndex cur = StringGrid->currentIndex();
    int col = std::max(0, cur.column()), row = std::max(m_grid.fixedRows(), cur.row());
    if (m_grid.Find(EditFind->text(), col, row)) selectCell(col, row);
}

void TFormTable::printClick()
{
    if (const Route* route = routeOf(CurrentCode)) route->module->PrintTable(CurrentCode - route->offset);
}

void TFormTable::pickForCell()
{
    if (const Route* route = routeOf(CurrentCode)) {
        route->module->PickForCell(CurrentCode - route->offset, selection().left, m_grid);
        afterGridChange();
    }
}

void TFormTable::optionSelected(int)
{
    if (CurrentCode >= 2021 && CurrentCode <= 2023)
        if (const Route* route = routeOf(CurrentCode)) route->module->SelectResultOption(CurrentCode);
}

void TFormTable::hideEvent(QHideEvent* e)
{
    if (!e->spontaneous()) CurrentCode = 0; // the next button press shows the table again
    QWidget::hideEvent(e);
}

bool TFormTable::eventFilter(QObject* o, QEvent* e)
{
    if (o == StringGrid->viewport() && e->type() == QEvent::Wheel) return true; // the wheel is swallowed
    // While a cell is being edited its editor has the keys; the grid sees them only otherwise.
    if (o == StringGrid && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Delete) {
            m_grid.ClearCells(selection());
            afterGridChange();
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

} // namespace aeris::reports
