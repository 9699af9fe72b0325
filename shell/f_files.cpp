#include "f_files.h"

#include "f_create.h"
#include "f_main.h"
#include "f_progress.h"
#include "u_error.h"
#include "u_seams.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace aeris {
namespace {

const char* const kWelcome =
    "Ласкаво просимо до програми \n"
    "\"Аерист\"!\n"
    "Ви знаходитесь на сторінці \n"
    "управління проектами.\n"
    "Для того, щоб створити новий \n"
    "проект, натисніть \"Новий\". Щоб \n"
    "відкрити існуючий проект, натисніть \n"
    "\"Відкрити\". Щоб закрити проект, \n"
    "натисніть \"Закрити\".\n"
    "Ви можете повернутися до цієї \n"
    "сторінки за допомогою стрічки \n"
    "навігації: Аерист>Проекти";

QTableWidget* makeList(QWidget* parent, const QString& name)
{
    auto* t = new QTableWidget(0, 2, parent);
    t->setObjectName(name);
    t->horizontalHeader()->hide();
    t->verticalHeader()->hide();
    t->setShowGrid(true);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QLabel* heading(const QString& text, QWidget* parent, int size = 0)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    if (size > 0) f.setPointSize(size);
    l->setFont(f);
    return l;
}

} // namespace

CommandLabel::CommandLabel(const QString& text, QWidget* parent) : QWidget(parent), m_label(new QLabel(text, this))
{
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(8, 4, 8, 4);
    l->addWidget(m_label);
    QFont f = m_label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() + 1);
    m_label->setFont(f);
    m_label->setStyleSheet(QStringLiteral("color: black"));
    setCursor(Qt::PointingHandCursor);
}

void CommandLabel::setCommandEnabled(bool enabled)
{
    setEnabled(enabled);
    m_label->setStyleSheet(enabled ? QStringLiteral("color: black") : QStringLiteral("color: #7f8fa0"));
}

void CommandLabel::enterEvent(QEnterEvent*)
{
    if (isEnabled()) m_label->setStyleSheet(QStringLiteral("color: white"));
}

void CommandLabel::leaveEvent(QEvent*)
{
    if (isEnabled()) m_label->setStyleSheet(QStringLiteral("color: black"));
}

void CommandLabel::mouseReleaseEvent(QMouseEvent*)
{
    if (isEnabled()) emit clicked();
}

TFormFiles::TFormFiles(TMainForm& main) : QWidget(nullptr), m_main(main)
{
    setObjectName(QStringLiteral("FormFiles"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    runDialog = [](TFormCreate& dlg) { return dlg.exec() == QDialog::Accepted; };

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading(QStringLiteral("Проекти"), this, 16), 0, 0, 1, 3);

    // The command column on a coloured strip, where the hover colour shows.
    auto* commands = new QWidget(this);
    commands->setAutoFillBackground(true);
    QPalette steel = commands->palette();
    steel.setColor(QPalette::Window, QColor(0x8f, 0xaf, 0xcf));
    commands->setPalette(steel);
    auto* cl = new QVBoxLayout(commands);
    LabelNew = new CommandLabel(QStringLiteral("Новий"), commands);
    LabelOpen = new CommandLabel(QStringLiteral("Відкрити"), commands);
    LabelClose = new CommandLabel(QStringLiteral("Закрити"), commands);
    LabelSaveCopy = new CommandLabel(QStringLiteral("Зберегти копію"), commands);
    LabelClearHistory = new CommandLabel(QStringLiteral("Очистити історію"), commands);
    LabelExit = new CommandLabel(QStringLiteral("Вийти з програми"), commands);
    for (CommandLabel* c : {LabelNew, LabelOpen, LabelClose, LabelSaveCopy, LabelClearHistory, LabelExit}) cl->addWidget(c);
    cl->addStretch(1);
    connect(LabelNew, &CommandLabel::clicked, this, &TFormFiles::newProject);
    connect(LabelOpen, &CommandLabel::clicked, this, &TFormFiles::openProject);
    connect(LabelClose, &CommandLabel::clicked, this, &TFormFiles::closeProject);
    connect(LabelSaveCopy, &CommandLabel::clicked, this, &TFormFiles::saveCopy);
    connect(LabelClearHistory, &CommandLabel::clicked, this, &TFormFiles::clearHistory);
    connect(LabelExit, &CommandLabel::clicked, this, &TFormFiles::exitProgram);
    grid->addWidget(commands, 1, 0, 4, 1);

    auto* middle = new QVBoxLayout;
    middle->addWidget(heading(QStringLiteral("Активний проект"), this));
    EditObjName = new QLineEdit(this);
    EditObjName->setObjectName(QStringLiteral("EditObjName"));
    EditObjName->setReadOnly(true);
    middle->addWidget(EditObjName);
    middle->addWidget(new QLabel(QStringLiteral("Шлях до бази даних"), this));
    EditObjPath = new QLineEdit(this);
    EditObjPath->setObjectName(QStringLiteral("EditObjPath"));
    EditObjPath->setReadOnly(true);
    middle->addWidget(EditObjPath);
    middle->addWidget(heading(QStringLiteral("Останні робочі проекти"), this));
    ListViewHistory = makeList(this, QStringLiteral("ListViewHistory"));
    ListViewHistory->installEventFilter(this);
    middle->addWidget(ListViewHistory, 1);
    grid->addLayout(middle, 1, 1, 3, 1);
    connect(ListViewHistory, &QTableWidget::itemSelectionChanged, this, &TFormFiles::selectionChanged);
    connect(ListViewHistory, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { historyDoubleClicked(row); });

    auto* right = new QVBoxLayout;
    right->addWidget(heading(QStringLiteral("Склад документації:"), this));
    ListViewDetail = makeList(this, QStringLiteral("ListViewDetail"));
    ListViewDetail->setMaximumHeight(100);
    right->addWidget(ListViewDetail);
    right->addWidget(heading(QStringLiteral("Коментар:"), this));
    MemoComment = new QPlainTextEdit(this);
    MemoComment->setObjectName(QStringLiteral("MemoComment"));
    MemoComment->setMaximumHeight(80);
    MemoComment->installEventFilter(this);
    right->addWidget(MemoComment);
    auto* welcome = new QPlainTextEdit(QString::fromUtf8(kWelcome), this);
    welcome->setObjectName(QStringLiteral("MemoWelcome"));
    welcome->setReadOnly(true);
    welcome->setFrameShape(QFrame::NoFrame);
    welcome->setLineWrapMode(QPlainTextEdit::NoWrap);
    QTextOption centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setWrapMode(QTextOption::NoWrap);
    welcome->document()->setDefaultTextOption(centred);
    right->addWidget(welcome, 1);
    right->addWidget(new QLabel(QStringLiteral("\"Аеріс\" в. 3.0"), this));
    grid->addLayout(right, 1, 2, 3, 1);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
}

void TFormFiles::showPage()
{
    if (m_shown) return;
    m_main.ShowInMainPanel(this);
    m_shown = true;
    LoadHistory();
}

void TFormFiles::hideEvent(QHideEvent* e)
{
    if (!e->spontaneous()) m_shown = false; // a minimised main window leaves the page docked
    QWidget::hideEvent(e);
}

int TFormFiles::selectedRow() const
{
    const auto rows = ListViewHistory->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TFormFiles::LoadHistory()
{
    ProjectSession& project = m_main.project();
    ProjectHistory& history = project.history();
    try {
        history.load();
    } catch (const IoError&) {
        // A history file that cannot be rewritten still lists what it holds.
    }
    const QSignalBlocker block(ListViewHistory);
    ListViewHistory->setRowCount(0);
    const QList<HistoryRow>& rows = history.rows();
    ListViewHistory->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        ListViewHistory->setItem(r, 0, new QTableWidgetItem(rows[r].name));
        ListViewHistory->setItem(r, 1, new QTableWidgetItem(rows[r].folder));
    }
    int current = history.indexOf(project.projectPath());
    if (current < 0 && !rows.isEmpty()) current = 0;
    if (current >= 0) {
        ListViewHistory->selectRow(current);
        ListViewHistory->setFocus();
    }
    selectionChanged();

    EditObjPath->setText(project.projectPath());
    EditObjName->setText(project.projectName());
    const bool open = project.isOpen();
    if (!open) m_main.returnToProjectPage();
    m_main.setProjectModulesEnabled(open);
    LabelClose->setCommandEnabled(open);
    LabelSaveCopy->setCommandEnabled(open);
}

void TFormFiles::selectionChanged()
{
    const int row = selectedRow();
    ListViewDetail->setRowCount(0);
    if (row < 0 || row >= m_main.project().history().rows().size()) {
        MemoComment->clear();
        return;
    }
    const HistoryRow& h = m_main.project().history().rows()[row];
    MemoComment->setPlainText(h.comment);
    const QPair<QString, QString> details[] = {{QStringLiteral("Інвент."), h.inventDate},
                                               {QStringLiteral("ОВНС"), h.ovnsDate},
                                               {QStringLiteral("Розрах."), h.calcDate}};
    for (const auto& [caption, date] : details) {
        if (date.isEmpty()) continue;
        const int r = ListViewDetail->rowCount();
        ListViewDetail->insertRow(r);
        ListViewDetail->setItem(r, 0, new QTableWidgetItem(caption));
        ListViewDetail->setItem(r, 1, new QTableWidgetItem(date));
    }
}

void TFormFiles::startTreeAtHistory(TFormCreate& dlg)
{
    const int row = selectedRow();
    const QString start = row >= 0 ? m_main.project().history().rows()[row].folder : QString();
    if (start.isEmpty() || !dlg.setFolder(start)) dlg.setFolder(m_main.paths().programDir());
}

void TFormFiles::newProject()
{
    TFormCreate& dlg = m_main.formCreate();
    dlg.setWindowTitle(QStringLiteral("Новий об'єкт..."));
    dlg.EditName->clear();
    dlg.EditDir->clear();
    dlg.setFieldsEnabled(true);
    startTreeAtHistory(dlg);
    if (!runDialog(dlg)) return;
    if (dlg.EditDir->text().isEmpty()) {
        showMessage(QStringLiteral("Заповніть поле назви каталогу"), QStringLiteral("Незаповнене поле"), MsgIcon::Warning);
        return;
    }
    const QString name = dlg.EditName->text().isEmpty() ? dlg.EditDir->text() : dlg.EditName->text();
    const QString folder = QDir(dlg.folder()).filePath(dlg.EditDir->text());
    if (m_main.project().createProject(folder, name)) {
        m_main.project().openProject(folder);
        LoadHistory();
    }
}

void TFormFiles::openProject()
{
    TFormCreate& dlg = m_main.formCreate();
    dlg.setWindowTitle(QStringLiteral("Відкрити об'єкт..."));
    dlg.EditName->clear();
    dlg.EditDir->clear();
    dlg.setFieldsEnabled(false);
    startTreeAtHistory(dlg);
    const bool ok = runDialog(dlg);
    if (ok) {
        if (dlg.folder().isEmpty()) {
            showMessage(QStringLiteral("Каталог не обрано"), QStringLiteral("Помилка"), MsgIcon::Warning);
        } else {
            m_main.project().openProject(dlg.folder());
            LoadHistory();
        }
    }
    dlg.setFieldsEnabled(true);
}

void TFormFiles::closeProject()
{
    if (m_main.project().closeProject()) LoadHistory();
}

void TFormFiles::saveCopy()
{
    ProjectSession& project = m_main.project();
    TFormCreate& dlg = m_main.formCreate();
    dlg.setWindowTitle(QStringLiteral("Зберегти об'єкт як..."));
    dlg.setFieldsEnabled(true);
    const QFileInfo current(project.projectPath());
    if (!project.isOpen() || !dlg.setFolder(current.absolutePath())) {
        showMessage(QStringLiteral("Об'єкт не відкрито"), QStringLiteral("Помилка при копіюваннні"), MsgIcon::Warning);
        return;
    }
    dlg.EditDir->setText(current.fileName());
    dlg.EditName->setText(project.projectName());
    if (!runDialog(dlg)) return;
    if (dlg.EditDir->text().isEmpty()) {
        showMessage(QStringLiteral("Заповніть поле назви каталогу"), QStringLiteral("Незаповнене поле"), MsgIcon::Warning);
        return;
    }
    const QString name = dlg.EditName->text().isEmpty() ? dlg.EditDir->text() : dlg.EditName->text();
    const QString newFolder = QDir(dlg.folder()).filePath(dlg.EditDir->text());
    const QString oldFolder = project.projectPath();
    TFormProgress& progress = m_main.formProgress();
    bool copied = false;
    {
        progress.clearText();
        // The progress window appears once the project is closed and the new folder made.
        bool shown = false;
        copied = project.saveProjectCopy(newFolder, name, oldFolder, [&](const QString& entry) {
            if (!shown) {
                progress.show();
                shown = true;
            }
            progress.step(entry);
        });
        progress.hide();
    }
    if (copied) {
        project.openProject(newFolder);
        LoadHistory();
    }
}

void TFormFiles::clearHistory()
{
    const Answer a = seams().messages->show(QStringLiteral("Очистити весь перелік (реальні каталоги видалені не будуть)?"),
                                            QStringLiteral("Журнал"), MsgIcon::Question, BtnOk | BtnCancel);
    if (a != Answer::Ok) return;
    try {
        m_main.project().history().clear();
    } catch (const IoError& e) {
        showMessage(e.message(), QStringLiteral("Помилка"), MsgIcon::Error);
    }
    LoadHistory();
}

void TFormFiles::exitProgram() { m_main.close(); }

void TFormFiles::historyDoubleClicked(int row)
{
    if (row < 0 || row >= m_main.project().history().rows().size()) return;
    const QString folder = m_main.project().history().rows()[row].folder;
    m_main.project().openProject(folder);
    LoadHistory();
}

void TFormFiles::historyDeleteKey()
{
    const int row = selectedRow();
    if (row < 0) return;
    ProjectHistory& history = m_main.project().history();
    try {
        history.remove(history.rows()[row].folder);
    } catch (const IoError& e) {
        showMessage(e.message(), QStringLiteral("Помилка"), MsgIcon::Error);
        return;
    }
    ListViewHistory->removeRow(row);
}

void TFormFiles::commentEnter()
{
    const int row = selectedRow();
    if (row < 0) return;
    try {
        m_main.project().history().setComment(row, MemoComment->toPlainText());
    } catch (const IoError& e) {
        showMessage(e.message(), QStringLiteral("Помилка"), MsgIcon::Error);
        return;
    }
    ListViewHistory->setFocus();
}

bool TFormFiles::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (o == ListViewHistory && k->key() == Qt::Key_Delete) {
            historyDeleteKey();
            return true;
        }
        if (o == MemoComment && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
            commentEnter();
            return true; // the comment stays one line
        }
    }
    return QWidget::eventFilter(o, e);
}

} // namespace aeris
