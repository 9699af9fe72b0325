#include "f_infosubst.h"

#include "u_datagrid.h"
#include "u_toolbutton.h"

#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {
namespace {

constexpr int kCardColumns = 3;
constexpr int kCardRows = 8;

// A card of the summary: the two codes on top, the name and the sanitary-list name below.
class CardDelegate : public QStyledItemDelegate {
public:
    explicit CardDelegate(const TFormInfoSubst& form) : m_form(form) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* model = static_cast<const db::DatasetModel*>(index.model());
        db::Dataset& ds = model->dataset();
        const int row = index.row();
        auto text = [&](const QString& f) { return ds.displayTextAt(row, ds.field(f).index()); };
        const QRect r = option.rect.adjusted(2, 2, -2, -2);
        p->save();
        const bool current = option.state & QStyle::State_Selected;
        p->fillRect(r, current ? QColor(0xd6, 0xe6, 0xf6) : QColor(Qt::white));
        p->setPen(QColor(0x8f, 0xaf, 0xcf));
        p->drawRect(r);
        p->setPen(Qt::black);
        QFont bold = option.font;
        bold.setBold(true);
        p->setFont(bold);
        const int line = option.fontMetrics.height();
        p->drawText(QRect(r.left() + 4, r.top() + 2, r.width() / 2, line), Qt::AlignLeft, text(QStringLiteral("SUBST_2TP_ID")));
        p->drawText(QRect(r.left() + r.width() / 2, r.top() + 2, r.width() / 2 - 4, line), Qt::AlignRight, text(QStringLiteral("SUBST_GDK_ID")));
        p->setFont(option.font);
        const QRect nameRect(r.left() + 4, r.top() + line + 4, r.width() - 8, (r.height() - line - 8) / 2);
        p->drawText(nameRect, Qt::TextWordWrap, text(m_form.cardNameField()));
        p->setPen(Qt::darkGray);
        p->drawText(nameRect.translated(0, nameRect.height()), Qt::TextWordWrap, text(QStringLiteral("SUBST_GDK_NAME")));
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        const QSize grid = m_form.DBCtrlGrid->gridSize();
        return grid.isValid() ? grid - QSize(2, 2) : QSize(160, 60);
    }

private:
    const TFormInfoSubst& m_form;
};

// Keeps 3 columns × 8 rows of cards on the visible page whatever the window's size.
class CardGrid : public QListView {
public:
    using QListView::QListView;

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QListView::resizeEvent(e);
        const QSize area = viewport()->size();
        const int scroll = verticalScrollBar()->isVisible() ? 0 : style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        setGridSize(QSize(std::max(120, (area.width() - scroll) / kCardColumns - 1),
                          std::max(3 * fontMetrics().height() + 10, area.height() / kCardRows)));
    }
};

const char* const kDetails[][2] = {
    {"Код 2-ТП", "SUBST_2TP_ID"}, {"Сан.код", "SUBST_GDK_ID"}, {"Назва 2-ТП", "SUBST_2TP_NAME"},
    {"Назва", "SUBST_GDK_NAME"}, {"Інші назви", "SUBST_NICKNAMES"}, {"Укруп.група", "GROUP_GEN_NAME"},
    {"Клас небезпеки", "DANGER_CLASS"}, {"Властивості", "PROPERTIES"}, {"ГДК макс. (мг/м3)", "GDK_MAX"},
    {"ГДК ден. (мг/м3)", "GDK_DAY"}, {"Вибух. мін.", "EXPLOSIV_MIN"}, {"ОБРВ (мг/м3)", "OBRV"},
    {"Вибух. макс.", "EXPLOSIV_MAX"}, {"Густина", "DENSITY"}, {"Джерела інформації", "INFO1_NAME"},
    {"", "INFO2_NAME"},
};

} // namespace

TFormInfoSubst::TFormInfoSubst(ref::InfoSubstData& data, QWidget* parent) : QWidget(parent), m_data(data)
{
    setObjectName(QStringLiteral("FormInfoSubst"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    LabelHead = makeTitleLabel(this, QStringLiteral("Речовини"), 14);
    SpeedButtonSave = makeToolButton(this, "SpeedButtonSave", "Зберегти", QStyle::SP_DialogSaveButton);
    EditFind = new QLineEdit(this);
    EditFind->setObjectName(QStringLiteral("EditFind"));
    SpeedButtonFind = new QToolButton(this);
    SpeedButtonFind->setObjectName(QStringLiteral("SpeedButtonFind"));
    SpeedButtonFind->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SpeedButtonFind->setToolTip(QStringLiteral("Видалити"));
    head->addWidget(LabelHead);
    head->addWidget(SpeedButtonSave);
    head->addStretch(1);
    head->addWidget(EditFind);
    head->addWidget(SpeedButtonFind);
    layout->addLayout(head);
    connect(SpeedButtonSave, &QToolButton::clicked, this, &TFormInfoSubst::SpeedButtonSaveClick);
    connect(SpeedButtonFind, &QToolButton::clicked, this, &TFormInfoSubst::SpeedButtonFindClick);
    connect(EditFind, &QLineEdit::returnPressed, this, &TFormInfoSubst::SpeedButtonFindClick);

    PageControl = new QTabWidget(this);
    layout->addWidget(PageControl, 1);

    auto* summary = new QWidget(PageControl);
    auto* sl = new QHBoxLayout(summary);
    DBCtrlGrid = new CardGrid(summary);
    DBCtrlGrid->setObjectName(QStringLiteral("DBCtrlGrid"));
    DBCtrlGrid->setViewMode(QListView::IconMode);
    DBCtrlGrid->setFlow(QListView::LeftToRight);
    DBCtrlGrid->setWrapping(true);
    DBCtrlGrid->setResizeMode(QListView::Adjust);
    DBCtrlGrid->setMovement(QListView::Static);
    DBCtrlGrid->setUniformItemSizes(true);
    DBCtrlGrid->setItemDelegate(new CardDelegate(*this));
    DBCtrlGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sl->addWidget(DBCtrlGrid, 3);

    auto* details = new QGridLayout;
    int row = 0;
    for (const auto& d : kDetails) {
        auto* edit = new QLineEdit(summary);
        edit->setReadOnly(true);
        edit->setObjectName(QStringLiteral("DBEdit_") + QLatin1String(d[1]));
        details->addWidget(new QLabel(QString::fromUtf8(d[0]), summary), row, 0);
        details->addWidget(edit, row, 1);
        m_details.emplace_back(QString::fromLatin1(d[1]), edit);
        ++row;
    }
    // The name selector: hidden, so the cards show SUBST_NAME.
    RadioButtonGdk = new QRadioButton(summary);
    RadioButton2TP = new QRadioButton(summary);
    RadioButtonGdk->setChecked(true);
    details->addWidget(RadioButtonGdk, 2, 2);
    details->addWidget(RadioButton2TP, 3, 2);
    RadioButtonGdk->hide();
    RadioButton2TP->hide();
    connect(RadioButtonGdk, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        m_cardName = QStringLiteral("SUBST_2TP_NAME");
        DBCtrlGrid->viewport()->update();
    });
    connect(RadioButton2TP, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        m_cardName = QStringLiteral("SUBST_GDK_NAME");
        DBCtrlGrid->viewport()->update();
    });
    details->setRowStretch(row, 1);
    sl->addLayout(details, 2);
    PageControl->addTab(summary, QStringLiteral("Зведений перелік"));

    const char* pages[] = {"ГДК", "2-ТП", "Зв'язок ГДК-2ТП", "Групи сумації", "Укруп.гр.", "Посилання"};
    for (size_t i = 0; i < m_data.tables().size(); ++i) {
        auto* grid = new DataGrid(PageControl);
        grid->setDataset(m_data.tables()[i]);
        tableGrids.push_back(grid);
        PageControl->addTab(grid, QString::fromUtf8(pages[i]));
    }

    m_summaryModel = std::make_unique<db::DatasetModel>(m_data.summary());
    DBCtrlGrid->setModel(m_summaryModel.get());
    connect(DBCtrlGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
        if (i.isValid() && i.row() != m_summaryModel->currentRow()) m_summaryModel->setCurrentRow(i.row());
    });
    connect(m_summaryModel.get(), &db::DatasetModel::currentRowChanged, this, [this](int r) {
        if (r >= 0) {
            const QModelIndex i = m_summaryModel->index(r, 0);
            DBCtrlGrid->setCurrentIndex(i);
            DBCtrlGrid->scrollTo(i);
        }
        refreshDetails();
    });
    connect(m_summaryModel.get(), &QAbstractItemModel::modelReset, this, &TFormInfoSubst::refreshDetails);
    connect(&m_data, &ref::ReferenceData::reloaded, this, &TFormInfoSubst::bindAll);
}

TFormInfoSubst::~TFormInfoSubst()
{
    DBCtrlGrid->setModel(nullptr);
}

void TFormInfoSubst::bindAll()
{
    for (DataGrid* g : tableGrids) g->resizeColumnsToContents();
    refreshDetails();
}

QLineEdit* TFormInfoSubst::detail(const QString& field) const
{
    for (const auto& [name, edit] : m_details)
        if (name == field) return edit;
    return nullptr;
}

void TFormInfoSubst::refreshDetails()
{
    db::Dataset& s = m_data.summary();
    for (const auto& [name, edit] : m_details)
        edit->setText(s.active() && !s.isEmpty() ? s.field(name).displayText() : QString());
}

void TFormInfoSubst::showData(const QString& infoFile) { m_data.show(infoFile); }

void TFormInfoSubst::SpeedButtonSaveClick() { m_data.save(); }

void TFormInfoSubst::SpeedButtonFindClick() { m_data.search(EditFind->text()); }

void TFormInfoSubst::hideEvent(QHideEvent* e)
{
    // Taken out of the panel (not a minimised main window): the connection closes.
    if (!e->spontaneous()) m_data.hide();
    QWidget::hideEvent(e);
}

} // namespace aeris
