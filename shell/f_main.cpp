#include "f_main.h"

#include "f_create.h"
#include "f_emisstab.h"
#include "f_sel_others.h"
#include "f_sel_subst.h"
#include "d_obj.h"
#include "f_files.h"
#include "f_table.h"
#include "f_infoprod.h"
#include "f_infosubst.h"
#include "u_refdata.h"
#include "f_log.h"
#include "f_progress.h"
#include "f_year.h"

#include <QLineEdit>
#include "u_files.h"
#include "u_seams.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace aeris {
namespace {

constexpr int kBarHeight = 49;
constexpr int kButton = 48;
constexpr int kTaskLeft = 248;
constexpr int kArrowWidth = 16;
constexpr int kLogoWidth = 60;

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& caption, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(20, 20));
    b->setFixedSize(kButton, kButton);
    QFont f = b->font();
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - 2));
    b->setFont(f);
    return b;
}

} // namespace

TMainForm::TMainForm(AppPaths& paths, QWidget* parent)
    : QMainWindow(parent), m_paths(paths), m_project(paths), m_infoSubstData(std::make_unique<ref::InfoSubstData>()),
      m_infoProdData(std::make_unique<ref::InfoProdData>())
{
    setWindowTitle(QStringLiteral("АЕРІС"));
    setMinimumSize(790, 550);

    // Data modules first, then the windows bound to them, each created once for the run.
    m_dmObj = std::make_unique<obj::TDataModuleObj>(m_paths, *m_infoSubstData, *m_infoProdData);
    m_dmObj->selectedState = [this] { return m_project.selectedState(); };
    buildBar();
    connect(&m_project, &ProjectSession::projectChanged, this, &TMainForm::updateCaption);

    m_formFiles = new TFormFiles(*this);
    m_formInfoSubst = new TFormInfoSubst(*m_infoSubstData);
    m_formInfoProd = new TFormInfoProd(*m_infoProdData);
    m_formSelSubst = new TFormSelSubst(this);
    m_formSelSrc = new TFormSelSrc(this);
    m_formSelPro = new TFormSelPro(this);
    m_formSelSum = new TFormSelSum(this);
    m_formEmissTab = new TFormEmissTab(m_project, *m_dmObj, *m_formSelSubst, *m_formSelPro);
    m_formTable = new reports::TFormTable;
    m_formTable->openModuleDatabase = [this](int kind) { return OpenModuleDatabase(kind); };
    m_formTable->selectedState = [this] { return m_project.selectedState(); };
    updateTableButtons();
    m_formCreate = new TFormCreate(this);
    m_formProgress = new TFormProgress(this);
    m_formYear = new TFormYear(this);
    m_formLog = new TFormLog(this);

    m_formEmissTab->showLog = [this](const QStringList& lines) {
        m_formLog->setWindowTitle(QStringLiteral("Заходи"));
        m_formLog->setLines(lines);
        m_formLog->exec();
    };
    m_formEmissTab->askYear = [this](int current) {
        m_formYear->setWindowTitle(QStringLiteral("Оберіть базовий рік"));
        m_formYear->Edit1->setText(QString::number(current));
        return m_formYear->exec() == QDialog::Accepted ? m_formYear->year() : 0;
    };
}

TMainForm::~TMainForm()
{
    // Forms taken out of the panel have no parent; they are ours all the same.
    ClearMainPanel();
    delete m_formFiles;
    delete m_formInfoSubst;
    delete m_formInfoProd;
    delete m_formEmissTab;
    delete m_formTable;
}

void TMainForm::showTableButton(int code)
{
    if (m_currentForm == m_formTable && m_formTable->CurrentCode == code) return;
    if (m_currentForm != m_formTable) ShowInMainPanel(m_formTable);
    m_formTable->ShowTable(code);
}

void TMainForm::updateTableButtons()
{
    for (const auto& [button, code] : m_tableButtons) button->setEnabled(m_formTable && m_formTable->hasModuleFor(code));
}

void TMainForm::addTable(Module m, const char* name, const char* caption, int code)
{
    addTask(m, name, caption, [this, code] { showTableButton(code); });
    m_tableButtons.emplace_back(m_tasks[m].back(), code);
}

void TMainForm::dock(QWidget* form, const std::function<bool()>& isShown, const std::function<void()>& enter)
{
    if (isShown() && m_currentForm == form) return;
    ShowInMainPanel(form);
    enter();
}

void TMainForm::buildBar()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_panelBar = new QWidget(central);
    m_panelBar->setObjectName(QStringLiteral("PanelBar"));
    m_panelBar->setFixedHeight(kBarHeight);
    m_panelBar->setAutoFillBackground(true);
    QPalette white = m_panelBar->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_panelBar->setPalette(white);

    const struct { const char* name; const char* caption; QStyle::StandardPixmap icon; } modules[ModuleCount] = {
        {"SpeedButtonEco", "Аерист", QStyle::SP_DesktopIcon},
        {"SpeedButtonObj", "ОБ'ЄКТ", QStyle::SP_DirHomeIcon},
        {"SpeedButtonInv", "Інвент.", QStyle::SP_FileDialogDetailedView},
        {"SpeedButtonOvns", "ОВНС", QStyle::SP_FileDialogContentsView},
        {"SpeedButtonCalc", "Розсіюв.", QStyle::SP_ComputerIcon},
    };
    for (int m = 0; m < ModuleCount; ++m) {
        QToolButton* b = makeButton(m_panelBar, QString::fromUtf8(modules[m].name), QString::fromUtf8(modules[m].caption), modules[m].icon);
        b->setCheckable(true);
        b->move(m * kButton, 0);
        connect(b, &QToolButton::clicked, this, [this, m](bool) {
            // At most one module is down; the others come up.
            for (int k = 0; k < ModuleCount; ++k)
                if (k != m) m_modules[k]->setChecked(false);
            layoutTasks();
        });
        m_modules[m] = b;
    }

    // The task strip lives in a clipping area; scrolling moves it by one row of buttons.
    m_taskArea = new QWidget(m_panelBar);
    m_panelTask = new QWidget(m_taskArea);
    m_panelTask->setObjectName(QStringLiteral("PanelTask"));
    m_up = new QLabel(QStringLiteral("▲"), m_panelBar);
    m_up->setObjectName(QStringLiteral("ImageUpTask"));
    m_down = new QLabel(QStringLiteral("▼"), m_panelBar);
    m_down->setObjectName(QStringLiteral("ImageDownTask"));
    for (QLabel* l : {m_up, m_down}) {
        l->setAlignment(Qt::AlignCenter);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        l->hide();
    }
    m_logo = new QLabel(QStringLiteral("АЕРІС"), m_panelBar);
    m_logo->setObjectName(QStringLiteral("ImageLogo"));
    m_logo->setAlignment(Qt::AlignCenter);
    QFont lf = m_logo->font();
    lf.setBold(true);
    m_logo->setFont(lf);

    m_panelLine = new QWidget(central);
    m_panelLine->setObjectName(QStringLiteral("PanelLine"));
    m_panelLine->setFixedHeight(4);
    m_panelLine->setAutoFillBackground(true);
    QPalette line = m_panelLine->palette();
    line.setColor(QPalette::Window, QColor(0x2f, 0x5f, 0x9f));
    m_panelLine->setPalette(line);

    m_panelMain = new QWidget(central);
    m_panelMain->setObjectName(QStringLiteral("PanelMain"));
    m_panelMain->setAutoFillBackground(true);
    m_panelMain->setPalette(white);
    auto* mainLayout = new QVBoxLayout(m_panelMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);

    column->addWidget(m_panelBar);
    column->addWidget(m_panelLine);
    column->addWidget(m_panelMain, 1);
    setCentralWidget(central);

    auto none = std::function<void()>();
    addTask(ModEco, "SpeedButtonEcoProj", "проекти", [this] { m_formFiles->showPage(); });
    addTask(ModEco, "SpeedButtonEcoOpt", "довідка", [this] { openManual(); });
    const QString info = QStringLiteral("Data\\INFO.FDB");
    addTask(ModEco, "SpeedButtonInfoSubst", "реч-ни", [this, info] {
        dock(m_formInfoSubst, [this] { return m_formInfoSubst->isShown(); },
             [this, info] { m_formInfoSubst->showData(m_paths.programFile(info)); });
    });
    addTask(ModEco, "SpeedButtonInfoPro", "вироб.", [this, info] {
        dock(m_formInfoProd, [this] { return m_formInfoProd->isShown(); },
             [this, info] { m_formInfoProd->showData(m_paths.programFile(info)); });
    });
    addTask(ModObj, "SpeedButtonObjEmissTab", "Викиди", [this] {
        dock(m_formEmissTab, [this] { return m_formEmissTab->logic().ObjectDataOpen; },
             [this] { m_formEmissTab->logic().ReopenObjectData(); });
    });
    addTask(ModInv, "SpeedButtonInvTitle", "титул", none);
    addTable(ModInv, "SpeedButtonInvT22", "дж.викид.", 22);
    addTable(ModInv, "SpeedButtonInvT21", "дж.вид.", 21);
    addTable(ModInv, "SpeedButtonInvT23", "ГОУ", 23);
    addTable(ModInv, "SpeedButtonInvT24", "питом.", 24);
    struct Table {
        const char* name;
        const char* caption;
        int code; // 0: a window of its own
    };
    const Table ovns[] = {{"SpeedButtonOvnsSubst", "заб.реч.", 1201}, {"SpeedButtonOvnsSrc", "дж.вик.", 1202},
                          {"SpeedButtonOvnsSrc2", "викид.", 1203}, {"SpeedButtonOvnsSalv", "залп.", 1204},
                          {"SpeedButtonOvnsGou", "ГОУ", 1205}, {"SpeedButtonOvnsMeteo", "метео", 0},
                          {"SpeedButtonOvnsGdk", "0.1 ГДК", 1207}, {"SpeedButtonOvnsMeas", "заходи", 1208},
                          {"SpeedButtonOvnsProp", "нормат.", 1209}, {"SpeedButtonOvnsProp2", "дозвол.", 1210},
                          {"SpeedButtonOvnsCtrl", "план кон.", 1211}, {"SpeedButtonOvnsConc", "конц.", 1212},
                          {"SpeedButtonOvnsCalcN", "доц.розр.", 1301}, {"SpeedButtonOvnsCtrlN", "доц.конт.", 1306}};
    for (const Table& t : ovns) {
        if (t.code) addTable(ModOvns, t.name, t.caption, t.code);
        else addTask(ModOvns, t.name, t.caption, none);
    }
    const Table calc[] = {{"SpeedButtonCalcMeteo", "метео", 2001}, {"SpeedButtonCalcProSite", "пр.майд.", 2002},
                          {"SpeedButtonCalcSrc", "дж.вик.", 2003}, {"SpeedButtonCalcSubst", "забр.реч.", 2005},
                          {"SpeedButtonCalcEmis", "викид.", 2004}, {"SpeedButtonCalcSum", "гр.сум.", 2006},
                          {"SpeedButtonCalcBg", "фон", 2007}, {"SpeedButtonCalcProSiteC", "пр.м.(р)", 2011},
                          {"SpeedButtonCalcSubstC", "реч.(р)", 2012}, {"SpeedButtonCalcSumC", "сум.(р)", 2013},
                          {"SpeedButtonCalcSite", "р.майд.", 2014}, {"SpeedButtonCalcTask", "завдання", 2015},
                          {"SpeedButtonCalcPts", "точки", 2016}, {"SpeedButtonCalcRes", "рез-ти", 2021},
                          {"SpeedButtonCalcResMax", "найб.кон.", 2022}, {"SpeedButtonCalcResPts", "точ.конц.", 2023},
                          {"SpeedButtonCalcMap", "карти", 0}};
    for (const Table& t : calc) {
        if (t.code) addTable(ModCalc, t.name, t.caption, t.code);
        else addTask(ModCalc, t.name, t.caption, none);
    }
    HideTaskButtons();
    setProjectModulesEnabled(false);
}

void TMainForm::addTask(Module m, const char* name, const char* caption, std::function<void()> action)
{
    const QString objName = QString::fromUtf8(name);
    QToolButton* b = makeButton(m_panelTask, objName, QString::fromUtf8(caption), QStyle::SP_FileIcon);
    // "довідка" is a plain button; the others form a group where at most one is down.
    const bool plain = objName == QLatin1String("SpeedButtonEcoOpt");
    b->setCheckable(!plain);
    if (action) {
        connect(b, &QToolButton::clicked, this, [this, b, plain, action] {
            if (!plain) {
                for (const auto& list : m_tasks)
                    for (QToolButton* other : list)
                        if (other != b) other->setChecked(false);
                b->setChecked(true);
            }
            action();
        });
    } else {
        // The window behind this button is not part of the program yet.
        b->setEnabled(false);
    }
    m_tasks[m].push_back(b);
}

QToolButton* TMainForm::taskButton(const QString& objectName) const
{
    for (const auto& list : m_tasks)
        for (QToolButton* b : list)
            if (b->objectName() == objectName) return b;
    return nullptr;
}

void TMainForm::HideTaskButtons()
{
    for (const auto& list : m_tasks)
        for (QToolButton* b : list) b->hide();
    const int width = std::max(0, m_panelBar->width() - kTaskLeft - kArrowWidth - kLogoWidth);
    m_taskArea->setGeometry(kTaskLeft, 0, width, kBarHeight);
    m_panelTask->setGeometry(0, 0, width, kBarHeight);
    m_up->setGeometry(kTaskLeft + width, 0, kArrowWidth, kBarHeight / 2);
    m_down->setGeometry(kTaskLeft + width, kBarHeight / 2, kArrowWidth, kBarHeight / 2);
    m_logo->setGeometry(m_panelBar->width() - kLogoWidth, 0, kLogoWidth, kBarHeight);
    m_up->hide();
    m_down->hide();
}

void TMainForm::PlaceTaskButton(QToolButton* button, int& row, int& x)
{
    if (m_panelTask->width() < x + button->width()) {
        row += button->height();
        m_panelTask->resize(m_panelTask->width(), m_panelTask->height() + button->height());
        m_down->show();
        x = 0;
    }
    button->move(x, row);
    x += button->width();
    button->show();
}

void TMainForm::layoutTasks()
{
    HideTaskButtons();
    for (int m = 0; m < ModuleCount; ++m) {
        if (!m_modules[m]->isChecked()) continue;
        int row = 0, x = 0;
        for (QToolButton* b : m_tasks[m]) PlaceTaskButton(b, row, x);
    }
}

void TMainForm::clickModule(Module m) { m_modules[m]->click(); }

void TMainForm::scrollTasksDown()
{
    m_panelTask->move(0, m_panelTask->y() - kButton);
    m_up->show();
    if (m_panelTask->y() + m_panelTask->height() < 50) m_down->hide();
}

void TMainForm::scrollTasksUp()
{
    m_panelTask->move(0, m_panelTask->y() + kButton);
    m_down->show();
    if (m_panelTask->y() >= 0) m_up->hide();
}

bool TMainForm::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        if (o == m_down) { scrollTasksDown(); return true; }
        if (o == m_up) { scrollTasksUp(); return true; }
    }
    return QMainWindow::eventFilter(o, e);
}

void TMainForm::ShowInMainPanel(QWidget* form)
{
    ClearMainPanel();
    form->setParent(m_panelMain);
    form->setWindowFlags(Qt::Widget);
    m_panelMain->layout()->addWidget(form);
    form->show();
    m_currentForm = form;
}

void TMainForm::ClearMainPanel()
{
    if (m_panelMain->layout()->count() > 0) {
        QWidget* child = m_panelMain->layout()->itemAt(0)->widget();
        if (child) {
            child->hide();
            m_panelMain->layout()->removeWidget(child);
            child->setParent(nullptr);
        }
    }
    m_currentForm = nullptr;
}

bool TMainForm::OpenModuleDatabase(int) { return false; }

void TMainForm::openManual()
{
    const QString manual = m_paths.programFile(QStringLiteral("aeris.pdf"));
    if (QFileInfo::exists(manual)) seams().desktop->openDocument(manual);
}

void TMainForm::setProjectModulesEnabled(bool enabled)
{
    for (int m = ModObj; m < ModuleCount; ++m) m_modules[m]->setEnabled(enabled);
}

void TMainForm::returnToProjectPage()
{
    if (m_modules[ModEco]->isChecked()) return;
    HideTaskButtons();
    clickModule(ModEco);
    taskButton(QStringLiteral("SpeedButtonEcoProj"))->click();
}

void TMainForm::updateCaption() { setWindowTitle(m_project.caption()); }

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_activated) return;
    m_activated = true;
    clickModule(ModEco);
    taskButton(QStringLiteral("SpeedButtonEcoProj"))->click();
}

void TMainForm::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    layoutTasks(); // the strip wraps anew for the new width
}

} // namespace aeris
