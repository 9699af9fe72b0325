#include "f_emisstab.h"

#include "d_obj.h"
#include "f_sel_others.h"
#include "f_sel_subst.h"
#include "f_tab.h"
#include "u_appexception.h"
#include "u_datagrid.h"
#include "u_rowbuttons.h"
#include "u_project.h"
#include "u_seams.h"
#include "u_toolbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace aeris {
namespace {

using editor::Grid;

void guarded(const std::function<void()>& f)
{
    guardedNotify([&] {
        f();
        return true;
    });
}

// Column 2 of the source grid draws the source's shape instead of its letter.
class SourceTypeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(p, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect r = option.rect;
        p->save();
        p->setPen(Qt::NoPen);
        p->setBrush(Qt::white);
        p->drawRect(r);
        p->setPen(QPen(Qt::black));
        p->setBrush(QColor(128, 128, 128));
        const int side = std::min(r.width(), r.height());
        const QRect square(r.left() + (r.width() - side) / 2 + 2, r.top() + 2, side - 4, side - 4);
        if (text == QLatin1String("*")) p->drawEllipse(square);
        else if (text == QStringLiteral("ю")) p->drawRect(square);
        else if (text == QLatin1String("|")) p->drawLine(r.left() + 3, r.top() + 3, r.right() - 3, r.bottom() - 3);
        else if (text == QStringLiteral("Ы")) p->drawRect(r.adjusted(3, 3, -3, -3));
        p->restore();
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        // The pick list of the type column.
        auto* combo = new QComboBox(parent);
        combo->addItems({QStringLiteral("Т"), QStringLiteral("К"), QStringLiteral("Л"), QStringLiteral("П")});
        const QString t = index.data(Qt::DisplayRole).toString();
        combo->setCurrentIndex(t == QStringLiteral("ю") ? 1 : t == QLatin1String("|") ? 2 : t == QStringLiteral("Ы") ? 3 : 0);
        return combo;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }
};

struct GridSpec {
    QStringList fields;
    QStringList titles;
    QString stretch; // the name column that takes the free width
};

GridSpec specOf(Grid g)
{
    switch (g) {
    case editor::GridSources:
        return {{"SITE_ID", "EMISSRC_ID", "EMISSRC_TYPE", "EMISSRC_NAME", "X1", "Y1", "X2", "Y2", "ANGLE", "HEIGHT", "DIAMETER",
                 "SPEED", "VOLUME", "TEMP"},
                {"ПМ", "№", "Т", "Назва", "X1", "Y1", "X2", "Y2", "Кут", "H", "D", "м/с", "м3/с", "*С"},
                QStringLiteral("EMISSRC_NAME")};
    case editor::GridEvolving:
        return {{"EVOLSRC_ID", "VENT_ID", "EVOLSRC_NAME", "PROD_ID", "EVOLSRC_NUM", "LOAD", "VOLUME", "TEMP"},
                {"№", "В/с", "Назва джерела виділення", "Вироб.", "N", "Зав.", "м3/с", "*С"},
                QStringLiteral("EVOLSRC_NAME")};
    case editor::GridUnits:
        return {{"CHAIN_POS", "VENT_ID", "GOU_NAME", "GOU_CLASS", "GOU_CODE", "VOLUME_IN", "TEMP_IN", "VOLUME_OUT", "TEMP_OUT"},
                {"№", "В/с", "Назва ГОУ", "Клас", "Код", "м3/с", "*С", "м3/с", "*С"},
                QStringLiteral("GOU_NAME")};
    case editor::GridEmissions:
        return {{"SUBST_ID", "MGM3", "GS", "KGH", "TY", "METHOD"}, {"Речовина", "мг/м3", "г/с", "кг/год", "т/рік", "Метод"}, {}};
    case editor::GridEvolvingEmissions:
        return {{"SUBST_ID", "MGM3", "GS", "KGH", "METHOD"}, {"Речовина", "мг/м3", "г/с", "кг/год", "Метод"}, {}};
    case editor::GridUnitEmissions:
        return {{"SUBST_ID", "MGM3_IN", "MGM3_OUT", "EFFECT"}, {"Речовина", "мг/м3", "мг/м3", "Ефект."}, {}};
    }
    return {};
}

} // namespace

TFormEmissTab::TFormEmissTab(ProjectSession& project, obj::TDataModuleObj& dm, TFormSelSubst& selSubst, TFormSelPro& selPro,
                             QWidget* parent)
    : QWidget(parent), m_project(project), m_dm(dm), m_selSubst(selSubst), m_selPro(selPro), m_logic(project, dm)
{
    setObjectName(QStringLiteral("FormEmissTab"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    // The header strip.
    auto* head = new QHBoxLayout;
    LabelTitle = makeTitleLabel(this, QStringLiteral("Викиди по об'єкту"), 12);
    head->addWidget(LabelTitle);
    ComboBoxPers = new QComboBox(this);
    ComboBoxPers->setObjectName(QStringLiteral("ComboBoxPers"));
    ComboBoxPers->setMinimumWidth(170);
    ComboBoxPers->installEventFilter(this);
    head->addWidget(ComboBoxPers);
    auto tool = [&](const char* name, const char* hint, QStyle::StandardPixmap icon) {
        QToolButton* b = makeToolButton(this, name, hint, icon);
        head->addWidget(b);
        return b;
    };
    SpeedButtonSave = tool("SpeedButtonSave", "Зберегти", QStyle::SP_DialogSaveButton);
    SpeedButtonRefresh = tool("SpeedButtonRefresh", "Перезавантажити", QStyle::SP_BrowserReload);
    SpeedButtonImport = tool("SpeedButtonImport", "Імпорт", QStyle::SP_ArrowDown);
    SpeedButtonExport = tool("SpeedButtonExport", "Експорт", QStyle::SP_ArrowUp);
    SpeedButtonTab = tool("SpeedButtonTab", "Переліки", QStyle::SP_FileDialogListView);
    SpeedButtonTab->setCheckable(true);
    SpeedButtonMap = tool("SpeedButtonMap", "Міні-карта", QStyle::SP_DriveNetIcon);
    SpeedButtonMap->setEnabled(false); // the mini-map is not part of the program yet
    SpeedButtonAddPers = tool("SpeedButtonAddPers", "Копіювати на перспективу", QStyle::SP_FileDialogNewFolder);
    SpeedButtonDelPers = tool("SpeedButtonDelPers", "Видалити перспективу", QStyle::SP_DialogDiscardButton);
    SpeedButtonShowMeas = tool("SpeedButtonShowMeas", "Показати заходи", QStyle::SP_FileDialogInfoView);
    SpeedButtonSetYear = tool("SpeedButtonSetYear", "Встановити базовий рік", QStyle::SP_FileDialogDetailedView);
    SpeedButtonGoCalc = tool("SpeedButtonGoCalc", "На розрахунок...", QStyle::SP_MediaPlay);
    SpeedButtonGoCalc->setEnabled(false); // the dispersion transfer comes with its own part of the program
    head->addStretch(1);
    PanelHint = new QWidget(this);
    PanelHint->setObjectName(QStringLiteral("PanelHint"));
    auto* hl = new QHBoxLayout(PanelHint);
    hl->setContentsMargins(0, 0, 0, 0);
    MemoHint = new QPlainTextEdit(PanelHint);
    MemoHint->setObjectName(QStringLiteral("MemoHint"));
    MemoHint->setReadOnly(true);
    MemoHint->setFixedSize(260, 40);
    MemoHint->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hl->addWidget(MemoHint);
    PanelHint->hide();
    head->addWidget(PanelHint);
    layout->addLayout(head);

    PopupMenuImport = new QMenu(this);
    QAction* n11 = PopupMenuImport->addAction(QStringLiteral("БД АРМ-АЕР..."));
    n11->setObjectName(QStringLiteral("N11"));
    n11->setEnabled(false); // the DBF set import is not part of the program yet
    QAction* n21 = PopupMenuImport->addAction(QStringLiteral("БД \"Аеріс\"..."));
    n21->setObjectName(QStringLiteral("N21"));
    n21->setEnabled(false);
    QAction* xml = PopupMenuImport->addAction(QStringLiteral("XML ..."));
    xml->setObjectName(QStringLiteral("XML1"));
    xml->setVisible(false);
    QAction* n8 = PopupMenuImport->addAction(QStringLiteral("буфер обміну..."));
    n8->setObjectName(QStringLiteral("N8"));
    n8->setVisible(false);
    PopupMenuExport = new QMenu(this);
    for (const auto& [name, caption] : {std::pair{"N1", "Інвентаризація"}, {"N2", "ОВНС"}, {"N3", "Розсіювання"}, {"", ""},
                                        {"N5", "(усі таблиці)"}, {"", ""}, {"N6", "до БД \"Квота\" ..."}}) {
        if (!*name) {
            PopupMenuExport->addSeparator();
            continue;
        }
        QAction* a = PopupMenuExport->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(false); // the transfers come with their own parts of the program
    }
    auto popup = [this](QToolButton* b, QMenu* m) { m->popup(b->mapToGlobal(QPoint(b->width(), b->height()))); };
    connect(SpeedButtonImport, &QToolButton::clicked, this, [=] { popup(SpeedButtonImport, PopupMenuImport); });
    connect(SpeedButtonExport, &QToolButton::clicked, this, [=] { popup(SpeedButtonExport, PopupMenuExport); });

    // The grids: sources, evolving sources and units on the left, their emissions beside them.
    Panel1 = new QWidget(this);
    auto* pl = new QHBoxLayout(Panel1);
    pl->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, Panel1);
    auto* left = new QSplitter(Qt::Vertical, splitter);
    left->setObjectName(QStringLiteral("Panel3"));
    auto* right = new QSplitter(Qt::Vertical, splitter);
    static const char* const srcButtons[] = {"SpeedButtonInsert", "SpeedButtonAppend", "SpeedButtonDel"};
    static const char* const evolButtons[] = {"SpeedButton4", "SpeedButton3", "SpeedButton5"};
    static const char* const gouButtons[] = {"SpeedButton8", "SpeedButton7", "SpeedButton6"};
    static const char* const emisButtons[] = {"SpeedButton15", "SpeedButton1", "SpeedButton2"};
    static const char* const evolDataButtons[] = {"SpeedButton9", "SpeedButton10", "SpeedButton11"};
    static const char* const gouDataButtons[] = {"SpeedButton12", "SpeedButton13", "SpeedButton14"};
    left->addWidget(gridBlock(DBGridEmisSrc, editor::GridSources, srcButtons, left));
    left->addWidget(gridBlock(DBGridEvolSrc, editor::GridEvolving, evolButtons, left));
    left->addWidget(gridBlock(DBGridGou, editor::GridUnits, gouButtons, left));
    right->addWidget(gridBlock(DBGridEmisData, editor::GridEmissions, emisButtons, right));
    right->addWidget(gridBlock(DBGridEvolData, editor::GridEvolvingEmissions, evolDataButtons, right));
    right->addWidget(gridBlock(DBGridGouData, editor::GridUnitEmissions, gouDataButtons, right));
    // The emission grids stand at the same heights as the grids beside them.
    connect(left, &QSplitter::splitterMoved, right, [left, right] { right->setSizes(left->sizes()); });
    connect(right, &QSplitter::splitterMoved, left, [left, right] { left->setSizes(right->sizes()); });
    left->setSizes({300, 150, 150});
    right->setSizes({300, 150, 150});
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({600, 307});
    pl->addWidget(splitter);
    layout->addWidget(Panel1, 1);

    for (DataGrid* g : {DBGridEmisData, DBGridEvolData, DBGridGouData}) {
        g->setPickFields({QStringLiteral("SUBST_ID")});
        connect(g, &DataGrid::rowDoubleClicked, this, [this, g] {
            if (g->currentField() == QLatin1String("SUBST_ID")) guarded([&] { pickSubstance(*g); });
        });
    }
    DBGridEvolSrc->setPickFields({QStringLiteral("PROD_ID")});
    connect(DBGridEvolSrc, &DataGrid::rowDoubleClicked, this, [this] {
        if (DBGridEvolSrc->currentField() == QLatin1String("PROD_ID")) guarded([this] { pickProduction(); });
    });

    m_tab = new TFormTab(m_dm, m_selSubst, m_selPro, Panel1);
    m_tab->hide();
    connect(m_tab, &TFormTab::shownChanged, SpeedButtonTab, &QToolButton::setChecked);

    connect(SpeedButtonSave, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButtonSaveClick(); }); });
    connect(SpeedButtonRefresh, &QToolButton::clicked, this, [this] { guarded([this] { m_logic.Refresh(); }); });
    connect(SpeedButtonTab, &QToolButton::clicked, this, [this] { SpeedButtonTabClick(); });
    connect(SpeedButtonAddPers, &QToolButton::clicked, this, [this] { guarded([this] { m_logic.addPerspective(); }); });
    connect(SpeedButtonDelPers, &QToolButton::clicked, this, [this] { guarded([this] { m_logic.deletePerspective(); }); });
    connect(SpeedButtonShowMeas, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButtonShowMeasClick(); }); });
    connect(SpeedButtonSetYear, &QToolButton::clicked, this, [this] { guarded([this] { SpeedButtonSetYearClick(); }); });
    connect(ComboBoxPers, &QComboBox::activated, this, [this](int index) { guarded([&] { m_logic.ComboBoxPersChange(index); }); });
    connect(&m_project, &ProjectSession::statesChanged, this, &TFormEmissTab::fillStates);

    // Not in the default layout: copies the emissions of site 1 to the first evolving sources.
    SpeedButtonEmisToEvol = new QToolButton(this);
    SpeedButtonEmisToEvol->setObjectName(QStringLiteral("SpeedButtonEmisToEvol"));
    SpeedButtonEmisToEvol->hide();
    connect(SpeedButtonEmisToEvol, &QToolButton::clicked, this, [this] { guarded([this] { m_logic.emissionsToEvolving(); }); });
    installEventFilter(this);
    fillStates();
}

TFormEmissTab::~TFormEmissTab() = default;

QWidget* TFormEmissTab::gridBlock(DataGrid*& grid, Grid which, const char* const names[3], QWidget* parent)
{
    auto* block = new QWidget(parent);
    auto* l = new QVBoxLayout(block);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(1);
    auto* buttons = new QHBoxLayout;
    grid = new DataGrid(block);
    grid->setAppendOnDown(false); // arrowing past the end never adds a row
    db::Dataset* ds = nullptr;
    switch (which) {
    case editor::GridSources: ds = &m_dm.IBQueryEmisSrc; break;
    case editor::GridEvolving: ds = &m_dm.IBQueryEvolSrc; break;
    case editor::GridUnits: ds = &m_dm.IBQueryGou; break;
    case editor::GridEmissions: ds = &m_dm.IBQueryEmisData; break;
    case editor::GridEvolvingEmissions: ds = &m_dm.IBQueryEvolData; break;
    case editor::GridUnitEmissions: ds = &m_dm.IBQueryGouData; break;
    }
    for (QToolButton* b : makeRowButtons(block, buttons, ds, grid, names)) m_rowButtons.push_back(b);
    l->addLayout(buttons);
    const GridSpec spec = specOf(which);
    grid->setStretchField(spec.stretch);
    for (const QString& f : spec.fields)
        grid->setFieldWidth(f, f == QLatin1String("SUBST_ID") ? 90 : f == QLatin1String("METHOD") ? 120 : 52);
    if (which == editor::GridSources) grid->setFieldDelegate(QStringLiteral("EMISSRC_TYPE"), new SourceTypeDelegate(grid));
    grid->setDataset(ds);
    grid->setColumns(spec.fields, spec.titles);
    grid->installEventFilter(this);
    grid->horizontalHeader()->setMouseTracking(true);
    grid->horizontalHeader()->installEventFilter(this);
    grid->viewport()->setMouseTracking(true);
    grid->viewport()->installEventFilter(this);
    connect(grid, &DataGrid::cellClicked, this, [this, which](const QString& field) { guarded([&] { cellClicked(which, field); }); });
    l->addWidget(grid, 1);
    return block;
}

QToolButton* TFormEmissTab::rowButton(const QString& name) const
{
    for (QToolButton* b : m_rowButtons)
        if (b->objectName() == name) return b;
    return nullptr;
}

DataGrid* TFormEmissTab::gridOf(Grid g) const
{
    switch (g) {
    case editor::GridSources: return DBGridEmisSrc;
    case editor::GridEvolving: return DBGridEvolSrc;
    case editor::GridUnits: return DBGridGou;
    case editor::GridEmissions: return DBGridEmisData;
    case editor::GridEvolvingEmissions: return DBGridEvolData;
    case editor::GridUnitEmissions: return DBGridGouData;
    }
    return nullptr;
}

void TFormEmissTab::fillStates()
{
    const QSignalBlocker block(ComboBoxPers);
    ComboBoxPers->clear();
    ComboBoxPers->addItems(m_project.states());
    ComboBoxPers->setCurrentIndex(m_project.selectedState());
}

void TFormEmissTab::SpeedButtonTabClick()
{
    if (m_tab->isVisible()) {
        m_tab->hide();
        return;
    }
    m_tab->setParent(Panel1);
    m_tab->setWindowFlags(Qt::Widget);
    m_tab->rebind();
    m_tab->move(Panel1->width() - m_tab->width() - 5, Panel1->height() - m_tab->height() - 5);
    m_tab->show();
    m_tab->raise();
}

void TFormEmissTab::SpeedButtonShowMeasClick()
{
    const QStringList lines = m_logic.showMeasures();
    if (m_project.states().size() < 2) return;
    if (showLog) showLog(lines);
}

void TFormEmissTab::SpeedButtonSetYearClick()
{
    if (!askYear) return;
    const int year = askYear(m_dm.GetBaseYear());
    if (year > 0) m_logic.setBaseYear(year);
}

void TFormEmissTab::pickSubstance(DataGrid& grid)
{
    db::Dataset* ds = grid.dataset();
    if (!ds || !ds->active()) return;
    for (;;) {
        m_selSubst.NavDelete->hide();
        if (m_dm.IBQuerySubst.isEmpty()) {
            m_selSubst.CheckBoxAll->setChecked(true);
            m_selSubst.CheckBox2TP->show();
        }
        db::Dataset& list = m_selSubst.CheckBoxAll->isChecked() ? m_dm.substanceReference() : m_dm.IBQuerySubst;
        const QVariant current = ds->isEmpty() && !ds->editing() ? QVariant() : (*ds)[QStringLiteral("SUBST_ID")].value();
        if (current.isValid()) list.locate(QStringLiteral("SUBST_ID"), current);
        m_selSubst.SetListSource(&list);
        const int result = m_selSubst.pick();
        if (result == PickerForm::Picked) {
            if (list.isEmpty()) return;
            if (!ds->editing()) ds->edit();
            (*ds)[QStringLiteral("SUBST_ID")].setValue(list[QStringLiteral("SUBST_ID")].asLargeInt());
            return;
        }
        if (result != PickerForm::OtherList) return;
    }
}

void TFormEmissTab::pickProduction()
{
    db::Dataset& evol = m_dm.IBQueryEvolSrc;
    if (!evol.active()) return;
    for (;;) {
        m_selPro.NavDelete->hide();
        if (m_dm.IBQueryPro.isEmpty()) m_selPro.CheckBoxAll->setChecked(true);
        const QVariant current = evol.isEmpty() && !evol.editing() ? QVariant() : evol[QStringLiteral("PROD_ID")].value();
        db::Dataset* list = &m_dm.IBQueryPro;
        if (m_selPro.CheckBoxAll->isChecked()) {
            m_dm.IBQuerySelProAll.close();
            list = &m_dm.productionReference();
            if (current.isValid()) list->locate(QStringLiteral("PROD_ID"), current.toString());
        } else if (current.isValid()) {
            list->locate(QStringLiteral("PROD_ID"), current);
        }
        m_selPro.SetListSource(list);
        const int result = m_selPro.pick();
        if (result == PickerForm::Picked) {
            if (list->isEmpty()) return;
            bool ok = false;
            const int code = (*list)[QStringLiteral("PROD_ID")].asString().toInt(&ok);
            if (!ok) return; // an industry or a group of the classifier: no production number
            if (!evol.editing()) evol.edit();
            evol[QStringLiteral("PROD_ID")].setValue(code);
            return;
        }
        if (result != PickerForm::OtherList) return;
    }
}

void TFormEmissTab::cellClicked(Grid grid, const QString& field)
{
    if (grid == editor::GridSources || grid == editor::GridEvolving || grid == editor::GridUnits) {
        const editor::Follow f = editor::followColumns(grid, field);
        if (!f.sources.isEmpty()) DBGridEmisSrc->selectField(f.sources);
        if (!f.evolving.isEmpty()) DBGridEvolSrc->selectField(f.evolving);
        if (!f.units.isEmpty()) DBGridGou->selectField(f.units);
        if (grid == editor::GridSources && field == QLatin1String("SITE_ID")) m_tab->showPage(0);
        if (grid == editor::GridEvolving) {
            if (field == QLatin1String("PROD_ID")) m_tab->showPage(1);
            if (!m_dm.IBQueryEvolSrc.isEmpty() && m_dm.IBQueryPro.active())
                m_dm.IBQueryPro.locate(QStringLiteral("PROD_ID"), m_dm.IBQueryEvolSrc[QStringLiteral("PROD_ID")].value());
        }
        return;
    }
    db::Dataset* ds = gridOf(grid)->dataset();
    if (!ds || ds->isEmpty()) return;
    const QVariant id = (*ds)[QStringLiteral("SUBST_ID")].value();
    for (Grid other : {editor::GridEmissions, editor::GridEvolvingEmissions, editor::GridUnitEmissions}) {
        if (other == grid) continue;
        DataGrid* g = gridOf(other);
        if (g->dataset()->active()) g->dataset()->locate(QStringLiteral("SUBST_ID"), id);
        const QString target = editor::followEmissionField(grid, field, other, g->shownFields());
        if (!target.isEmpty()) g->selectField(target);
    }
    if (m_dm.IBQuerySubst.active()) m_dm.IBQuerySubst.locate(QStringLiteral("SUBST_ID"), id);
    m_tab->showPage(2);
}

void TFormEmissTab::hintAt(Grid grid, int x)
{
    DataGrid* g = gridOf(grid);
    QList<int> widths;
    for (const QString& f : g->shownFields()) widths << g->columnWidth(g->columnOf(f));
    // The grid's own indicator is as wide as its vertical header.
    const int column = editor::columnAtX(widths, x - g->verticalHeader()->width() + 16);
    const QString hint = editor::columnHint(grid, column);
    if (MemoHint->toPlainText() != hint) MemoHint->setPlainText(hint);
    PanelHint->setVisible(!hint.isEmpty());
}

bool TFormEmissTab::eventFilter(QObject* o, QEvent* e)
{
    if (o == ComboBoxPers && (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)) return true; // pick only
    if (e->type() == QEvent::MouseMove) {
        for (Grid g : {editor::GridSources, editor::GridEvolving, editor::GridUnits, editor::GridEmissions,
                       editor::GridEvolvingEmissions, editor::GridUnitEmissions}) {
            DataGrid* grid = gridOf(g);
            if (o == grid->horizontalHeader()) {
                hintAt(g, static_cast<QMouseEvent*>(e)->position().toPoint().x() + grid->verticalHeader()->width());
                return false;
            }
            if (o == grid->viewport()) {
                PanelHint->hide();
                return false;
            }
        }
        if (o == this) PanelHint->hide();
    }
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool shiftEnter = (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && (k->modifiers() & Qt::ShiftModifier);
        if (shiftEnter && qobject_cast<DataGrid*>(o)) {
            guarded([&] {
                if (o == DBGridEvolSrc) m_logic.CompleteEvolvingSource();
                else m_logic.CompleteSourceGeometry();
            });
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

void TFormEmissTab::hideEvent(QHideEvent* e)
{
    if (!e->spontaneous()) {
        guarded([this] { m_logic.CloseObjectData(); });
        m_tab->hide();
    }
    QWidget::hideEvent(e);
}

} // namespace aeris
