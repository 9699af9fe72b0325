#include "d_obj.h"
#include "f_emisstab.h"
#include "f_sel_others.h"
#include "f_sel_subst.h"
#include "f_tab.h"
#include "u_baseyear.h"
#include "u_datagrid.h"
#include "u_paths.h"
#include "u_project.h"
#include "u_recordingseams.h"
#include "u_refdata.h"
#include "u_testdirs.h"
#include "u_testregistry.h"
#include "u_tileview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <cmath>

using namespace aeris;

namespace {

struct Window {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    ProjectSession project{paths};
    ref::InfoSubstData substRef;
    ref::InfoProdData prodRef;
    obj::TDataModuleObj dm{paths, substRef, prodRef};
    TFormSelSubst selSubst;
    TFormSelPro selPro;
    std::unique_ptr<TFormEmissTab> form;

    Window()
    {
        QDir().mkpath(program.file(QStringLiteral("Data")));
        program.copyTemplate(QStringLiteral("OBJ.FDB"), QStringLiteral("Data/OBJ.FDB"));
        program.copyTemplate(QStringLiteral("INFO.FDB"), QStringLiteral("Data/INFO.FDB"));
        const QString folder = work.file(QStringLiteral("p"));
        project.createProject(folder, QStringLiteral("P"));
        project.openProject(folder);
        dm.selectedState = [this] { return project.selectedState(); };
        form = std::make_unique<TFormEmissTab>(project, dm, selSubst, selPro);
        form->resize(1100, 700);
        form->show();
        form->logic().ReopenObjectData();
    }
    void exec(const QString& sql)
    {
        db::Statement(dm.IBTransaction, sql).execute();
        dm.IBTransaction.commitRetaining();
    }
    void key(QWidget* w, int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, k, m);
        QCoreApplication::sendEvent(w, &e);
    }
};

void typeInto(TileView* v, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(v, &e);
    }
}

} // namespace

class TestPickers : public QObject {
    Q_OBJECT
private slots:
    void substanceSearchAndCaption();
    void resultsOfTheContract();
};

void TestPickers::substanceSearchAndCaption()
{
    test::TempDir dir;
    ref::InfoSubstData data;
    QVERIFY(data.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    TFormSelSubst picker;
    picker.SetListSource(&data.summary());
    typeInto(picker.TileGrid, QStringLiteral("30"));
    QCOMPARE(picker.windowTitle(), QStringLiteral("Вибір речовин - ПОШУК: \"30\""));
    QVERIFY(data.summary()[QStringLiteral("SUBST_GDK_ID")].asString().startsWith(QStringLiteral("30")));
    typeInto(picker.TileGrid, QStringLiteral("1"));
    QCOMPARE(data.summary()[QStringLiteral("SUBST_GDK_ID")].asInteger(), 301);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(picker.TileGrid, &back);
    QCOMPARE(picker.searchText(), QStringLiteral("30"));
    // No code begins with these letters: the name does.
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(picker.ListGrid, &del);
    QCOMPARE(picker.windowTitle(), QStringLiteral("Вибір речовин"));
    QCOMPARE(data.summary().recNo(), 1);
    typeInto(picker.ListGrid, QStringLiteral("азоту д"));
    QCOMPARE(data.summary()[QStringLiteral("SUBST_GDK_NAME")].asString(), QStringLiteral("Азоту діоксид"));
    QCOMPARE(picker.windowTitle(), QStringLiteral("Вибір речовин - ПОШУК: \"азоту д\""));
    // The search text stays for the next use.
    TFormSelSubst& again = picker;
    QCOMPARE(again.searchText(), QStringLiteral("азоту д"));
}

void TestPickers::resultsOfTheContract()
{
    TFormSelSubst subst;
    subst.runModal = [](PickerForm& p) {
        p.reject(); // Escape
        return p.result();
    };
    QCOMPARE(subst.pick(), 2);
    subst.runModal = [](PickerForm& p) {
        emit static_cast<TFormSelSubst&>(p).TileGrid->picked(); // a double click on a tile
        return p.result();
    };
    QCOMPARE(subst.pick(), 1);
    subst.show();
    subst.runModal = [](PickerForm& p) {
        p.CheckBoxAll->click();
        return p.result();
    };
    QCOMPARE(subst.pick(), 4);
    QVERIFY(!subst.CheckBox2TP->isHidden());
    QVERIFY(subst.NavDelete->isHidden());
    QCOMPARE(subst.pick(), 4); // unticked again
    QVERIFY(subst.CheckBox2TP->isHidden());
    QVERIFY(!subst.NavDelete->isHidden());

    TFormSelPro pro;
    pro.show();
    pro.runModal = [](PickerForm& p) {
        p.CheckBoxAll->click();
        return p.result();
    };
    QCOMPARE(pro.pick(), 4);
    QVERIFY(pro.NavDelete->isHidden());
    TFormSelSum sum;
    sum.runModal = [](PickerForm& p) {
        p.CheckBoxAll->click();
        return p.result();
    };
    QCOMPARE(sum.pick(), 4);
    QCOMPARE(sum.windowTitle(), QStringLiteral("Вибір груп сумацій"));
    TFormSelSrc src;
    QCOMPARE(src.windowTitle(), QStringLiteral("Вибір джерела"));
}

class TestEditorWindow : public QObject {
    Q_OBJECT
private slots:
    void gridsShowTheirColumns();
    void arrowDownNeverAppends();
    void hintsByPointerPosition();
    void substancePickerFillsTheCode();
    void productionPickerRerunsOnOtherList();
    void shiftEnterCompletesTheSource();
    void statesInTheSelector();
    void closingTheMainWindowSavesEdits();
};

void TestEditorWindow::gridsShowTheirColumns()
{
    Window w;
    DataGrid* src = w.form->DBGridEmisSrc;
    QCOMPARE(src->shownFields().size(), 14);
    QCOMPARE(src->model()->headerData(src->columnOf(QStringLiteral("EMISSRC_TYPE")), Qt::Horizontal).toString(), QStringLiteral("Т"));
    QVERIFY(src->isColumnHidden(src->columnOf(QStringLiteral("DANGER_CLASS"))));
    QCOMPARE(src->horizontalHeader()->visualIndex(src->columnOf(QStringLiteral("TEMP"))), 13);
    DataGrid* evol = w.form->DBGridEvolSrc;
    QCOMPARE(evol->horizontalHeader()->visualIndex(evol->columnOf(QStringLiteral("EVOLSRC_ID"))), 0);
    QCOMPARE(evol->horizontalHeader()->visualIndex(evol->columnOf(QStringLiteral("VENT_ID"))), 1);
    QCOMPARE(w.form->rowButton(QStringLiteral("SpeedButton14"))->toolTip(), QStringLiteral("Видалити"));
    QCOMPARE(w.form->SpeedButtonShowMeas->toolTip(), QStringLiteral("Показати заходи"));
    QVERIFY(!w.form->SpeedButtonEmisToEvol->isVisible());
}

void TestEditorWindow::arrowDownNeverAppends()
{
    Window w;
    w.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    w.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 1)"));
    w.form->logic().ReopenObjectData();
    DataGrid* g = w.form->DBGridEmisSrc;
    g->setCurrentIndex(g->model()->index(0, 1));
    w.key(g, Qt::Key_Down);
    QCOMPARE(w.dm.IBQueryEmisSrc.recordCount(), 1);
    QCOMPARE(w.dm.IBQueryEmisSrc.state(), db::DatasetState::Browse);
    w.key(w.form->DBGridEmisData, Qt::Key_Down); // an empty list neither
    QCOMPARE(w.dm.IBQueryEmisData.recordCount(), 0);
}

void TestEditorWindow::hintsByPointerPosition()
{
    Window w;
    DataGrid* g = w.form->DBGridEmisSrc;
    const int vh = g->verticalHeader()->width();
    w.form->hintAt(editor::GridSources, vh + 3);
    QCOMPARE(w.form->MemoHint->toPlainText(), QStringLiteral("Номер проммайданчика"));
    QVERIFY(w.form->PanelHint->isVisible());
    int x = vh;
    for (int c = 0; c < 3; ++c) x += g->columnWidth(g->columnOf(g->shownFields()[c])) + 1;
    w.form->hintAt(editor::GridSources, x + 3); // the name column
    QVERIFY(!w.form->PanelHint->isVisible());
    w.form->hintAt(editor::GridUnitEmissions, w.form->DBGridGouData->verticalHeader()->width() + 3);
    QCOMPARE(w.form->MemoHint->toPlainText(), QStringLiteral("Код речовини (2ТП / ГДК)"));
    w.form->hintAt(editor::GridUnitEmissions, 5000); // right of all columns
    QVERIFY(!w.form->PanelHint->isVisible());
}

void TestEditorWindow::substancePickerFillsTheCode()
{
    Window w;
    w.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    w.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 1)"));
    w.exec(QStringLiteral("insert into SUBSTANCES values (400100301, 'Азоту діоксид')"));
    w.form->logic().ReopenObjectData();
    w.dm.IBQuerySubst.close(); // with no own substances the full reference is offered
    w.dm.IBQuerySubst.setSql(QStringLiteral("select s.* from SUBSTANCES s where 1 = 0"));
    w.dm.IBQuerySubst.open();
    w.dm.IBQueryEmisData.append();
    bool sawFullList = false;
    w.selSubst.runModal = [&](PickerForm& p) {
        sawFullList = p.CheckBoxAll->isChecked() && p.listSource() == &w.dm.IBQuerySelSubstAll;
        p.listSource()->locate(QStringLiteral("SUBST_GDK_ID"), 301);
        p.rowPicked();
        return p.result();
    };
    w.form->pickSubstance(*w.form->DBGridEmisData);
    QVERIFY(sawFullList);
    QCOMPARE(w.dm.IBQueryEmisData[QStringLiteral("SUBST_ID")].asLargeInt(), 400100301LL);
    QCOMPARE(w.dm.IBQueryEmisData[QStringLiteral("SUBST_ID")].displayText(), QStringLiteral("04001 / 301"));
    // Cancelled: nothing changes.
    w.selSubst.runModal = [](PickerForm& p) {
        p.reject();
        return p.result();
    };
    w.form->pickSubstance(*w.form->DBGridEmisData);
    QCOMPARE(w.dm.IBQueryEmisData[QStringLiteral("SUBST_ID")].asLargeInt(), 400100301LL);
}

void TestEditorWindow::productionPickerRerunsOnOtherList()
{
    Window w;
    w.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    w.exec(QStringLiteral("insert into PRODUCTIONS values (5, 'Вугілля')"));
    w.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 1)"));
    w.exec(QStringLiteral("insert into EVOLVING_SRC (SITE_ID, PROD_ID, EMISSRC_ID, EVOLSRC_ID) values (1, 5, 1, 1)"));
    w.form->logic().ReopenObjectData();
    int shown = 0;
    QStringList lists;
    w.selPro.runModal = [&](PickerForm& p) {
        ++shown;
        lists << p.listSource()->name();
        if (shown == 1) {
            p.CheckBoxAll->setChecked(true);
            p.done(PickerForm::OtherList);
        } else {
            p.listSource()->locate(QStringLiteral("PROD_ID"), QStringLiteral("510"));
            p.rowPicked();
        }
        return p.result();
    };
    w.form->pickProduction();
    QCOMPARE(lists, (QStringList{QStringLiteral("IBQueryPro"), QStringLiteral("IBQuerySelProAll")}));
    QCOMPARE(w.dm.IBQueryEvolSrc[QStringLiteral("PROD_ID")].asInteger(), 510);
}

void TestEditorWindow::shiftEnterCompletesTheSource()
{
    Window w;
    w.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    w.exec(QStringLiteral("insert into PRODUCTIONS values (5, 'В')")); // the evolving source's production
    w.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, VOLUME, SPEED, TEMP) values (1, 1, 2, 8, 50)"));
    w.form->logic().ReopenObjectData();
    w.key(w.form->DBGridEmisSrc, Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(std::fabs(w.dm.IBQueryEmisSrc[QStringLiteral("DIAMETER")].asFloat() - 0.5642) < 1e-4);
    QCOMPARE(w.dm.IBQueryEvolSrc.recordCount(), 1);
    // Zero speed: nothing shown, nothing broken.
    w.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, VOLUME, SPEED) values (1, 2, 2, 0)"));
    w.form->logic().ReopenObjectData();
    w.dm.IBQueryEmisSrc.setRecNo(2);
    w.key(w.form->DBGridEmisSrc, Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(w.dm.IBQueryEmisSrc[QStringLiteral("DIAMETER")].isNull());
    QVERIFY2(w.ui.messages.isEmpty(), qPrintable(w.ui.texts().join(u'|')));
}

void TestEditorWindow::statesInTheSelector()
{
    Window w;
    QCOMPARE(w.form->ComboBoxPers->count(), 1);
    w.form->SpeedButtonAddPers->click();
    QCOMPARE(w.form->ComboBoxPers->count(), 2);
    QCOMPARE(w.form->ComboBoxPers->currentIndex(), 1);
    w.key(w.form->ComboBoxPers, Qt::Key_Up); // typing never changes the state
    QCOMPARE(w.form->ComboBoxPers->currentIndex(), 1);
    QStringList shownLines;
    w.form->showLog = [&](const QStringList& l) { shownLines = l; shownLines << QStringLiteral("(shown)"); };
    w.form->SpeedButtonShowMeas->click();
    QCOMPARE(shownLines, QStringList{QStringLiteral("(shown)")}); // identical states: no measures
    w.form->askYear = [](int current) { return current == obj::peekBaseYear(QString()) ? 2015 : 0; };
    w.form->SpeedButtonSetYear->click();
    QCOMPARE(w.form->ComboBoxPers->itemText(1), QStringLiteral("Перспектива: 2016"));
}

// The editor sits in the main window's panel; closing the main window hides it with its
// parent, and an edit still being typed must reach the database all the same.
void TestEditorWindow::closingTheMainWindowSavesEdits()
{
    Window w;
    w.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    QWidget main;
    w.form->setParent(&main);
    const auto giveBack = qScopeGuard([&] { w.form->setParent(nullptr); });
    main.show();
    w.form->show();
    w.form->logic().ReopenObjectData();
    w.dm.IBQuerySites.edit();
    w.dm.IBQuerySites[QStringLiteral("SITE_NAME")].setValue(QStringLiteral("Майданчик 1"));
    main.close();
    QVERIFY(!w.dm.StateOpen);
    QVERIFY(w.dm.OpenState(w.project.projectPath()));
    w.dm.IBQuerySites.open();
    QCOMPARE(w.dm.IBQuerySites[QStringLiteral("SITE_NAME")].asString(), QStringLiteral("Майданчик 1"));
}

AERIS_TEST(TestPickers)
AERIS_TEST(TestEditorWindow)
#include "tst_editorwindow.moc"
