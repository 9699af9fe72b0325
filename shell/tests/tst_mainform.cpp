#include "f_create.h"
#include "f_files.h"
#include "f_main.h"
#include "f_infoprod.h"
#include "f_infosubst.h"
#include "f_progress.h"
#include "u_datagrid.h"
#include "u_refdata.h"
#include "u_ini.h"
#include "u_recordingseams.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTabWidget>
#include <QListView>
#include <QTest>

using namespace aeris;

namespace {

struct Window {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    TMainForm main{paths};

    Window()
    {
        main.resize(900, 600);
        main.show();
    }
    TFormFiles& files() { return main.formFiles(); }
    // The folder dialog answered as a user would: fields filled, a folder chosen, OK.
    void answerDialog(const QString& folder, const QString& dir, const QString& name, bool ok = true)
    {
        files().runDialog = [=](TFormCreate& dlg) {
            if (dlg.EditDir->isEnabled()) {
                dlg.EditDir->setText(dir);
                dlg.EditName->setText(name);
            }
            dlg.setFolder(folder);
            return ok;
        };
    }
};

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void firstShowDocksTheProjectPage();
    void narrowStripWrapsAndScrolls();
    void pressingTheDownModuleReleasesIt();
    void manualOpensOnlyWhenPresent();
    void referenceWindowsDockAndClose();
};

void TestMainForm::firstShowDocksTheProjectPage()
{
    Window w;
    QVERIFY(w.main.moduleButton(TMainForm::ModEco)->isChecked());
    QCOMPARE(w.main.CurrentForm(), &w.files());
    QVERIFY(w.files().isShown());
    QCOMPARE(w.main.windowTitle(), QStringLiteral("АЕРІС"));
    for (auto m : {TMainForm::ModObj, TMainForm::ModInv, TMainForm::ModOvns, TMainForm::ModCalc})
        QVERIFY(!w.main.moduleButton(m)->isEnabled());
    QCOMPARE(w.main.moduleButton(TMainForm::ModEco)->text(), QStringLiteral("Аерист"));
    QCOMPARE(w.main.taskButton(QStringLiteral("SpeedButtonCalcResPts"))->text(), QStringLiteral("точ.конц."));
    QCOMPARE(w.main.taskButtons(TMainForm::ModCalc).size(), size_t(17));
    QCOMPARE(w.main.taskButtons(TMainForm::ModOvns).size(), size_t(14));
    QVERIFY(w.main.taskButton(QStringLiteral("SpeedButtonEcoProj"))->isVisible());
    QVERIFY(!w.files().LabelClose->isEnabled());
    // Docking the page again while it is shown changes nothing.
    w.main.taskButton(QStringLiteral("SpeedButtonEcoProj"))->click();
    QCOMPARE(w.main.CurrentForm(), &w.files());
    w.main.ClearMainPanel();
    QVERIFY(!w.files().isShown());
    QCOMPARE(w.main.CurrentForm(), nullptr);
    w.main.taskButton(QStringLiteral("SpeedButtonEcoProj"))->click();
    QCOMPARE(w.main.CurrentForm(), &w.files());
}

void TestMainForm::narrowStripWrapsAndScrolls()
{
    Window w;
    const QString f = w.work.file(QStringLiteral("p"));
    w.main.project().createProject(f, QStringLiteral("P"));
    w.main.project().openProject(f);
    w.files().LoadHistory();
    w.main.resize(790, 550);
    w.main.clickModule(TMainForm::ModCalc);
    QWidget* strip = w.main.PanelTask();
    const int perRow = strip->width() / 48;
    const int rows = (17 + perRow - 1) / perRow;
    QVERIFY(rows > 1);
    QCOMPARE(strip->height(), 49 + (rows - 1) * 48);
    QVERIFY(w.main.ImageDownTask()->isVisibleTo(&w.main));
    QVERIFY(!w.main.ImageUpTask()->isVisibleTo(&w.main));
    for (int r = 1; r < rows; ++r) {
        w.main.scrollTasksDown();
        QCOMPARE(strip->y(), -48 * r);
        QVERIFY(w.main.ImageUpTask()->isVisibleTo(&w.main));
    }
    QVERIFY(!w.main.ImageDownTask()->isVisibleTo(&w.main));
    w.main.scrollTasksUp();
    QCOMPARE(strip->y(), -48 * (rows - 2));
    QVERIFY(w.main.ImageDownTask()->isVisibleTo(&w.main));
    // Another module starts again with one row at the top.
    w.main.clickModule(TMainForm::ModObj);
    QCOMPARE(strip->y(), 0);
    QCOMPARE(strip->height(), 49);
    QVERIFY(!w.main.ImageUpTask()->isVisibleTo(&w.main));
    QVERIFY(!w.main.taskButton(QStringLiteral("SpeedButtonCalcMap"))->isVisibleTo(&w.main));
}

void TestMainForm::pressingTheDownModuleReleasesIt()
{
    Window w;
    w.main.clickModule(TMainForm::ModEco);
    QVERIFY(!w.main.moduleButton(TMainForm::ModEco)->isChecked());
    QVERIFY(!w.main.taskButton(QStringLiteral("SpeedButtonEcoProj"))->isVisibleTo(&w.main));
    QCOMPARE(w.main.CurrentForm(), &w.files()); // the docked window stays
}

void TestMainForm::manualOpensOnlyWhenPresent()
{
    Window w;
    w.main.taskButton(QStringLiteral("SpeedButtonEcoOpt"))->click();
    QVERIFY(w.ui.openedDocuments.isEmpty());
    w.program.write(QStringLiteral("aeris.pdf"), "%PDF-1.4");
    w.main.taskButton(QStringLiteral("SpeedButtonEcoOpt"))->click();
    QCOMPARE(w.ui.openedDocuments, QStringList{w.program.file(QStringLiteral("aeris.pdf"))});
}

void TestMainForm::referenceWindowsDockAndClose()
{
    Window w;
    QDir().mkpath(w.program.file(QStringLiteral("Data")));
    w.program.copyTemplate(QStringLiteral("INFO.FDB"), QStringLiteral("Data/INFO.FDB"));
    QToolButton* subst = w.main.taskButton(QStringLiteral("SpeedButtonInfoSubst"));
    QVERIFY(subst->isEnabled());
    subst->click();
    TFormInfoSubst& form = w.main.formInfoSubst();
    QCOMPARE(w.main.CurrentForm(), &form);
    QVERIFY(form.isShown());
    QCOMPARE(form.data().summary().recordCount(), 894);
    QCOMPARE(form.PageControl->count(), 7);
    QCOMPARE(form.PageControl->tabText(3), QStringLiteral("Зв'язок ГДК-2ТП"));
    form.EditFind->setText(QStringLiteral("301"));
    form.SpeedButtonFindClick();
    QCOMPARE(form.detail(QStringLiteral("SUBST_GDK_NAME"))->text(), QStringLiteral("Азоту діоксид"));
    QCOMPARE(form.detail(QStringLiteral("SUBST_2TP_ID"))->text(), QStringLiteral("04001"));
    QCOMPARE(form.DBCtrlGrid->currentIndex().row(), form.data().summary().recNo() - 1);
    QCOMPARE(form.tableGrids[0]->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Код р-ни"));
    // Pressing the button again changes nothing.
    const int at = form.data().summary().recNo();
    subst->click();
    QCOMPARE(form.data().summary().recNo(), at);
    // Another window in the panel: the reference connection closes.
    w.main.taskButton(QStringLiteral("SpeedButtonInfoPro"))->click();
    QVERIFY(!form.isShown());
    QVERIFY(!form.data().connection().connected());
    TFormInfoProd& prod = w.main.formInfoProd();
    QVERIFY(prod.isShown());
    QCOMPARE(prod.DBGridSummary->model()->headerData(prod.DBGridSummary->columnOf(QStringLiteral("PROD_ID")), Qt::Horizontal).toString(),
             QStringLiteral("Код"));
    QVERIFY(prod.DBGridSummary->isColumnHidden(prod.DBGridSummary->columnOf(QStringLiteral("PROD_ID1"))));
    // Editing through the grid and saving.
    DataGrid* grid = prod.tableGrids[0];
    prod.PageControl->setCurrentWidget(grid);
    QVERIFY(grid->model()->setData(grid->model()->index(0, 1), QStringLiteral("Нова назва галузі"), Qt::EditRole));
    prod.SpeedButtonSaveClick();
    QVERIFY(!prod.data().tables()[0]->updatesPending());
    w.main.taskButton(QStringLiteral("SpeedButtonEcoProj"))->click();
    QVERIFY(!prod.isShown());
    prod.showData(w.program.file(QStringLiteral("Data/INFO.FDB")));
    QVERIFY(prod.data().summary().locate(QStringLiteral("PROD_NAME"), QStringLiteral("Нова назва галузі")));
    prod.data().hide();
}

class TestFormFiles : public QObject {
    Q_OBJECT
private slots:
    void newProjectOpensIt();
    void newProjectWithoutFolderName();
    void openCommandMessages();
    void closeAsksAndReturnsToTheProjectPage();
    void historyKeysAndComment();
    void clearHistoryAsks();
    void saveCopyOpensTheCopy();
};

void TestFormFiles::newProjectOpensIt()
{
    Window w;
    w.answerDialog(w.work.path(), QStringLiteral("Завод"), QString());
    w.files().newProject();
    const QString f = QDir(w.work.path()).filePath(QStringLiteral("Завод"));
    QCOMPARE(w.main.ProjectPath(), f);
    QCOMPARE(w.main.ProjectName(), QStringLiteral("Завод")); // the folder's name when no name is given
    QCOMPARE(w.main.windowTitle(), QStringLiteral("АЕРІС - Завод ") + f);
    QCOMPARE(w.files().EditObjPath->text(), f);
    QCOMPARE(w.files().ListViewHistory->rowCount(), 1);
    QCOMPARE(w.files().ListViewHistory->item(0, 0)->text(), QStringLiteral("Завод"));
    QCOMPARE(w.files().MemoComment->toPlainText(), QStringLiteral("(коментарів немає)"));
    QVERIFY(w.main.moduleButton(TMainForm::ModObj)->isEnabled());
    QVERIFY(w.files().LabelClose->isEnabled());
    QVERIFY(w.ui.messages.isEmpty());
    // Cancelled dialog: nothing happens.
    w.answerDialog(w.work.path(), QStringLiteral("Інший"), QString(), false);
    w.files().newProject();
    QVERIFY(!QFileInfo::exists(w.work.file(QStringLiteral("Інший"))));
}

void TestFormFiles::newProjectWithoutFolderName()
{
    Window w;
    w.answerDialog(w.work.path(), QString(), QStringLiteral("Назва"));
    w.files().newProject();
    QCOMPARE(w.ui.texts(), QStringList{QStringLiteral("Заповніть поле назви каталогу")});
    QCOMPARE(w.ui.messages[0].caption, QStringLiteral("Незаповнене поле"));
    QCOMPARE(QDir(w.work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestFormFiles::openCommandMessages()
{
    Window w;
    QDir().mkpath(w.work.file(QStringLiteral("plain")));
    w.answerDialog(w.work.file(QStringLiteral("plain")), QString(), QString());
    w.files().openProject();
    QCOMPARE(w.ui.texts(), QStringList{QStringLiteral("Вказана база не знайдена")});
    QVERIFY(w.main.formCreate().EditDir->isEnabled()); // fields enabled again afterwards
    w.ui.clear();
    w.files().runDialog = [](TFormCreate&) { return true; };
    // A dialog whose tree has no folder.
    TFormCreate& dlg = w.main.formCreate();
    dlg.setFolder(QString());
    w.files().runDialog = [](TFormCreate& d) {
        d.setFolder(QStringLiteral("/no/such/folder"));
        return true;
    };
    w.files().openProject(); // the tree stays on the program folder, which is no project
    QCOMPARE(w.ui.texts(), QStringList{QStringLiteral("Вказана база не знайдена")});
}

void TestFormFiles::closeAsksAndReturnsToTheProjectPage()
{
    Window w;
    w.answerDialog(w.work.path(), QStringLiteral("p"), QStringLiteral("P"));
    w.files().newProject();
    w.main.clickModule(TMainForm::ModObj);
    w.main.ClearMainPanel();
    w.ui.answers = {Answer::No};
    w.files().closeProject();
    QVERIFY(!w.main.ProjectPath().isEmpty());
    w.files().closeProject();
    QVERIFY(w.main.ProjectPath().isEmpty());
    QCOMPARE(w.main.windowTitle(), QStringLiteral("АЕРІС"));
    QVERIFY(w.main.moduleButton(TMainForm::ModEco)->isChecked());
    QCOMPARE(w.main.CurrentForm(), &w.files());
    QVERIFY(!w.main.moduleButton(TMainForm::ModObj)->isEnabled());
    QCOMPARE(w.files().EditObjName->text(), QStringLiteral("Проект не обрано"));
}

void TestFormFiles::historyKeysAndComment()
{
    Window w;
    for (const char* n : {"a", "b"}) {
        w.answerDialog(w.work.path(), QString::fromLatin1(n), QString::fromLatin1(n).toUpper());
        w.files().newProject();
    }
    QTableWidget* list = w.files().ListViewHistory;
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 0)->text(), QStringLiteral("B"));
    QCOMPARE(list->selectionModel()->selectedRows().first().row(), 0); // the open project
    // Enter in the comment writes it and keeps it one line.
    list->selectRow(1);
    w.files().MemoComment->setPlainText(QStringLiteral("Цех №2"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(w.files().MemoComment, &enter);
    QCOMPARE(w.files().MemoComment->toPlainText(), QStringLiteral("Цех №2"));
    QCOMPARE(ProjectSession::readProjectComment(w.work.file(QStringLiteral("a"))), QStringLiteral("Цех №2"));
    // Delete removes the entry, not the folder.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &del);
    QCOMPARE(list->rowCount(), 1);
    QVERIFY(QFileInfo::exists(w.work.file(QStringLiteral("a/aer.dat"))));
    QVERIFY(!IniFile(w.paths.programFile(QStringLiteral("aer_obj.ini"))).sectionExists(w.work.file(QStringLiteral("a"))));
    // Double click opens the row's project (after the closing question).
    w.files().historyDoubleClicked(0);
    QCOMPARE(w.main.ProjectPath(), w.work.file(QStringLiteral("b")));
    QVERIFY(w.ui.texts().contains(QStringLiteral("Ви дійсно бажаєте закрити об'єкт?")));
    // A report database shows in the documentation list.
    w.work.write(QStringLiteral("b/aer.dat/OVNS.FDB"), "x");
    w.files().LoadHistory();
    QCOMPARE(w.files().ListViewDetail->rowCount(), 1);
    QCOMPARE(w.files().ListViewDetail->item(0, 0)->text(), QStringLiteral("ОВНС"));
}

void TestFormFiles::clearHistoryAsks()
{
    Window w;
    w.answerDialog(w.work.path(), QStringLiteral("a"), QStringLiteral("A"));
    w.files().newProject();
    w.ui.clear();
    w.ui.answers = {Answer::Cancel};
    w.files().clearHistory();
    QCOMPARE(w.ui.messages[0].text, QStringLiteral("Очистити весь перелік (реальні каталоги видалені не будуть)?"));
    QCOMPARE(w.ui.messages[0].caption, QStringLiteral("Журнал"));
    QCOMPARE(w.ui.messages[0].buttons, MsgButtons(BtnOk | BtnCancel));
    QCOMPARE(w.files().ListViewHistory->rowCount(), 1);
    w.ui.answers = {Answer::Ok};
    w.files().clearHistory();
    QCOMPARE(w.files().ListViewHistory->rowCount(), 0);
    QVERIFY(IniFile(w.paths.programFile(QStringLiteral("aer_obj.ini"))).sections().isEmpty());
    QVERIFY(w.files().MemoComment->toPlainText().isEmpty());
}

void TestFormFiles::saveCopyOpensTheCopy()
{
    Window w;
    w.answerDialog(w.work.path(), QStringLiteral("src"), QStringLiteral("Джерело"));
    w.files().newProject();
    w.work.write(QStringLiteral("src/aer.dat/OBJ.FDB"), "db");
    QString offeredDir, offeredName;
    w.files().runDialog = [&](TFormCreate& dlg) {
        // The dialog offers the project's own folder name and name; the user changes them.
        offeredDir = dlg.EditDir->text();
        offeredName = dlg.EditName->text();
        dlg.EditDir->setText(QStringLiteral("dst"));
        dlg.EditName->setText(QStringLiteral("Копія"));
        return true;
    };
    w.files().saveCopy();
    QCOMPARE(offeredDir, QStringLiteral("src"));
    QCOMPARE(offeredName, QStringLiteral("Джерело"));
    QCOMPARE(w.main.ProjectPath(), QDir(w.work.path()).filePath(QStringLiteral("dst")));
    QCOMPARE(w.main.ProjectName(), QStringLiteral("Копія"));
    QCOMPARE(w.work.read(QStringLiteral("dst/aer.dat/OBJ.FDB")), QByteArray("db"));
    QVERIFY(w.main.formProgress().isHidden());
    QCOMPARE(w.files().ListViewHistory->rowCount(), 2);
}

AERIS_TEST(TestMainForm)
AERIS_TEST(TestFormFiles)
#include "tst_mainform.moc"
