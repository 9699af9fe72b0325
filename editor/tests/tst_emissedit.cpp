#include "d_obj.h"
#include "u_baseyear.h"
#include "u_emissedit.h"
#include "u_measures.h"
#include "u_objschema.h"
#include "u_paths.h"
#include "u_project.h"
#include "u_recordingseams.h"
#include "u_refdata.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QFileInfo>
#include <QTest>
#include <cmath>

using namespace aeris;

namespace {

// A program folder, an open project and the editor's logic over them.
struct Editor {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    ProjectSession project{paths};
    ref::InfoSubstData substRef;
    ref::InfoProdData prodRef;
    obj::TDataModuleObj dm{paths, substRef, prodRef};
    editor::EmissionEditor ed{project, dm};

    explicit Editor(int perspectives = 0, QList<int> missing = {})
    {
        QDir().mkpath(program.file(QStringLiteral("Data")));
        program.copyTemplate(QStringLiteral("OBJ.FDB"), QStringLiteral("Data/OBJ.FDB"));
        program.copyTemplate(QStringLiteral("INFO.FDB"), QStringLiteral("Data/INFO.FDB"));
        project.createProject(folder(), QStringLiteral("Об'єкт"));
        obj::setBaseYear(folder(), 2009);
        work.copyTemplate(QStringLiteral("OBJ.FDB"), QStringLiteral("p/aer.dat/OBJ.FDB"));
        for (int n = 1; n <= perspectives; ++n)
            if (!missing.contains(n)) QFile::copy(data(QStringLiteral("OBJ.FDB")), data(obj::stateFileName(n)));
        project.openProject(folder());
        dm.selectedState = [this] { return project.selectedState(); };
    }
    QString folder() const { return work.file(QStringLiteral("p")); }
    QString data(const QString& name) const { return folder() + QStringLiteral("/aer.dat/") + name; }
    void exec(const QString& sql)
    {
        db::Statement(dm.IBTransaction, sql).execute();
        dm.IBTransaction.commitRetaining();
    }
};

} // namespace

class TestEmissionEditor : public QObject {
    Q_OBJECT
private slots:
    void statesStopAtTheFirstGap();
    void addingPerspectivesUpToFour();
    void deletingTheLastPerspective();
    void existingStateCannotBeDeleted();
    void lockedPerspectiveFallsBackToTheExistingState();
    void baseYearRelabelsStates();
    void geometryArithmetic();
    void zeroSpeedStoresNothing();
    void evolvingSourceCompletion();
    void saveAllKeepsTheCurrentSource();
    void emissionsCopiedToEvolvingSources();
};

void TestEmissionEditor::statesStopAtTheFirstGap()
{
    Editor e(3, {2});
    QCOMPARE(e.project.states(), (QStringList{QStringLiteral("Існуюч. стан: 2009"), QStringLiteral("Перспектива: 2010")}));
}

void TestEmissionEditor::addingPerspectivesUpToFour()
{
    Editor e;
    e.ed.ReopenObjectData();
    QVERIFY(e.dm.StateOpen);
    e.exec(QStringLiteral("insert into PROD_SITES values (1, 'Майданчик')"));
    for (int n = 1; n <= 4; ++n) {
        e.ed.addPerspective();
        QCOMPARE(e.project.selectedState(), n);
        QVERIFY(QFileInfo::exists(e.data(obj::stateFileName(n))));
        QCOMPARE(e.dm.IBQuerySites.recordCount(), 1); // a copy of the state before it
    }
    QCOMPARE(e.project.states().last(), QStringLiteral("Перспектива: 2013"));
    e.ed.addPerspective(); // a fifth: nothing
    QCOMPARE(e.project.states().size(), 5);
    QVERIFY(!QFileInfo::exists(e.data(QStringLiteral("OBJ5.FDB"))));
}

void TestEmissionEditor::deletingTheLastPerspective()
{
    Editor e(3);
    e.project.setSelectedState(1);
    e.ed.ReopenObjectData();
    e.ed.deletePerspective();
    QCOMPARE(e.ui.messages.last().text, QStringLiteral("Видалити всі дані на перспективу стосовно 2012 року?"));
    QCOMPARE(e.ui.messages.last().caption, QStringLiteral("Видалити перспективу?"));
    QVERIFY(!QFileInfo::exists(e.data(QStringLiteral("OBJ3.FDB"))));
    QCOMPARE(e.project.states().size(), 3);
    QCOMPARE(e.project.selectedState(), 1);
    QVERIFY(e.dm.StateOpen);
    e.project.setSelectedState(2);
    e.ed.ComboBoxPersChange(2);
    e.ed.deletePerspective();
    QCOMPARE(e.project.selectedState(), 1);
    QVERIFY(!QFileInfo::exists(e.data(QStringLiteral("OBJ2.FDB"))));
    e.ui.answers = {Answer::No};
    e.ed.deletePerspective();
    QVERIFY(QFileInfo::exists(e.data(QStringLiteral("OBJ1.FDB"))));
}

void TestEmissionEditor::lockedPerspectiveFallsBackToTheExistingState()
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty()) QSKIP("isql-fb is not installed");
    Editor e(2);
    e.project.setSelectedState(2);
    e.ed.ReopenObjectData();
    e.ed.CloseObjectData();
    // Another program holds the last perspective.
    QProcess holder;
    holder.start(isql, {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("sysdba"), QStringLiteral("-password"),
                        QStringLiteral("quillwort"), e.data(QStringLiteral("OBJ2.FDB"))});
    QVERIFY(holder.waitForStarted());
    holder.write("select count(*) from PROD_SITES;\n");
    QTRY_VERIFY_WITH_TIMEOUT(holder.bytesAvailable() > 0 || holder.state() != QProcess::Running, 20000);
    e.ed.ReopenObjectData(); // fails: the file is held; the module stays closed
    e.ed.deletePerspective();
    QVERIFY(QFileInfo::exists(e.data(QStringLiteral("OBJ2.FDB"))));
    QCOMPARE(e.project.selectedState(), 0);
    QVERIFY(e.dm.StateOpen);
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(20000));
}

void TestEmissionEditor::existingStateCannotBeDeleted()
{
    Editor e;
    e.ed.ReopenObjectData();
    e.ed.deletePerspective();
    QCOMPARE(e.ui.texts(), QStringList{QStringLiteral("Не допускається видаляти зі списку існуючий стан!")});
    QCOMPARE(e.ui.messages[0].caption, QStringLiteral("Увага!"));
    QVERIFY(e.ed.showMeasures().isEmpty());
    QCOMPARE(e.ui.texts().last(), QStringLiteral("Заходи можна переглядати лише за умови наявності перспективи"));
}

void TestEmissionEditor::baseYearRelabelsStates()
{
    Editor e(2);
    e.ed.ReopenObjectData();
    e.ed.setBaseYear(2020);
    QCOMPARE(e.project.states(), (QStringList{QStringLiteral("Існуюч. стан: 2020"), QStringLiteral("Перспектива: 2021"),
                                              QStringLiteral("Перспектива: 2022")}));
    e.ed.setBaseYear(0);
    QCOMPARE(e.project.states().first(), QStringLiteral("Існуюч. стан: 2020"));
}

void TestEmissionEditor::geometryArithmetic()
{
    Editor e;
    e.ed.ReopenObjectData();
    e.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, DIAMETER, VOLUME) values (1, 1, 0.5, 1.963495)"));
    e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, VOLUME, SPEED, TEMP) values (1, 2, 2, 8, 120)"));
    e.ed.ReopenObjectData();
    db::Dataset& src = e.dm.IBQueryEmisSrc;
    e.ed.CompleteSourceGeometry();
    QVERIFY(std::fabs(src[QStringLiteral("SPEED")].asFloat() - 10.0) < 1e-5);
    // The appended evolving source saved the source first (a master reaches the database before
    // rows below it).
    QCOMPARE(db::Statement(e.dm.IBTransaction, QStringLiteral("select count(*) from EMISSION_SRC where SPEED > 9.9999 and SPEED < 10.0001")).scalar().toInt(), 1);
    src.setRecNo(2);
    e.ed.CompleteSourceGeometry();
    QVERIFY(std::fabs(src[QStringLiteral("DIAMETER")].asFloat() - 2 * std::sqrt(0.25 / M_PI)) < 1e-9);
    QVERIFY(std::fabs(src[QStringLiteral("DIAMETER")].asFloat() - 0.5642) < 1e-4);
    // Both got an evolving source with the source's volume and temperature.
    QCOMPARE(e.dm.IBQueryEvolSrc.recordCount(), 1);
    QCOMPARE(e.dm.IBQueryEvolSrc[QStringLiteral("VOLUME")].asFloat(), 2.0);
    QCOMPARE(e.dm.IBQueryEvolSrc[QStringLiteral("TEMP")].asFloat(), 120.0);
    QCOMPARE(e.dm.IBQueryEvolSrc[QStringLiteral("LOAD")].asFloat(), 1.0);
    QCOMPARE(e.dm.IBQueryEvolSrc[QStringLiteral("EVOLSRC_NUM")].asInteger(), 1);
    QCOMPARE(e.dm.IBQueryEvolSrc[QStringLiteral("VENT_ID")].asInteger(), 0);
}

void TestEmissionEditor::zeroSpeedStoresNothing()
{
    Editor e;
    e.ed.ReopenObjectData();
    e.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, VOLUME, SPEED) values (1, 1, 2, 0)"));
    e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, DIAMETER, VOLUME) values (1, 2, 0, 3)"));
    e.ed.ReopenObjectData();
    db::Dataset& src = e.dm.IBQueryEmisSrc;
    QVERIFY_THROWS_EXCEPTION(db::Abort, e.ed.CompleteSourceGeometry());
    QCOMPARE(src.state(), db::DatasetState::Edit);
    QVERIFY(src[QStringLiteral("DIAMETER")].isNull());
    QCOMPARE(e.dm.IBQueryEvolSrc.recordCount(), 0); // the rest of the action is skipped
    src.cancel();
    src.setRecNo(2);
    QVERIFY_THROWS_EXCEPTION(db::Abort, e.ed.CompleteSourceGeometry());
    QVERIFY(src[QStringLiteral("SPEED")].isNull());
    QVERIFY(e.ui.messages.isEmpty());
}

void TestEmissionEditor::evolvingSourceCompletion()
{
    Editor e;
    e.ed.ReopenObjectData();
    e.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    e.exec(QStringLiteral("insert into PRODUCTIONS values (5, 'В')"));
    e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, VOLUME, TEMP) values (1, 1, 4, 30)"));
    e.ed.ReopenObjectData();
    e.ed.CompleteEvolvingSource();
    db::Dataset& evol = e.dm.IBQueryEvolSrc;
    QCOMPARE(evol.recordCount(), 1);
    QCOMPARE(evol[QStringLiteral("LOAD")].asFloat(), 1.0);
    evol[QStringLiteral("LOAD")].setValue(0.7);
    evol.post();
    e.exec(QStringLiteral("update EMISSION_SRC set VOLUME = 5"));
    e.dm.SaveDataset(evol);
    e.ed.ReopenObjectData();
    e.ed.CompleteEvolvingSource(); // an existing one: null values filled, volume and temperature always
    QCOMPARE(evol.recordCount(), 1);
    QCOMPARE(evol[QStringLiteral("LOAD")].asFloat(), 0.7);
    QCOMPARE(evol[QStringLiteral("VOLUME")].asFloat(), 5.0);
    QCOMPARE(evol[QStringLiteral("TEMP")].asFloat(), 30.0);
}

void TestEmissionEditor::saveAllKeepsTheCurrentSource()
{
    Editor e;
    e.ed.ReopenObjectData();
    e.exec(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
    for (int i = 1; i <= 3; ++i) e.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, %1)").arg(i));
    e.ed.ReopenObjectData();
    db::Dataset& src = e.dm.IBQueryEmisSrc;
    src.setRecNo(2);
    src.edit();
    src[QStringLiteral("EMISSRC_NAME")].setValue(QStringLiteral("Труба"));
    e.ed.SaveAll();
    QCOMPARE(src.recNo(), 2);
    QCOMPARE(src[QStringLiteral("EMISSRC_NAME")].asString(), QStringLiteral("Труба"));
    QVERIFY(!src.updatesPending());
}

void TestEmissionEditor::emissionsCopiedToEvolvingSources()
{
    Editor e;
    e.ed.ReopenObjectData();
    for (const char* sql : {"insert into PROD_SITES values (1, 'М')", "insert into PRODUCTIONS values (5, 'В')",
                            "insert into SUBSTANCES values (301, 'NO2')",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 1)",
                            "insert into EVOLVING_SRC (SITE_ID, PROD_ID, EMISSRC_ID, EVOLSRC_ID) values (1, 5, 1, 1)",
                            "insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID, GS) values (1, 1, 301, 0.5)"})
        e.exec(QString::fromUtf8(sql));
    e.ed.emissionsToEvolving();
    QVERIFY(e.ui.messages[0].text.startsWith(QStringLiteral("insert into evolving_data")));
    QVERIFY(e.ui.messages[0].caption.isEmpty());
    QCOMPARE(e.ui.messages.size(), 1);
    QCOMPARE(e.dm.IBQueryEvolData.recordCount(), 1);
    e.ed.emissionsToEvolving(); // a second time: the duplicate key is told in the same kind of box
    QCOMPARE(e.ui.messages.size(), 3);
    QVERIFY(e.ui.messages[2].text.contains(QStringLiteral("violation of PRIMARY")));
}

class TestMeasures : public QObject {
    Q_OBJECT
private slots:
    void comparesConsecutiveStates();
};

void TestMeasures::comparesConsecutiveStates()
{
    Editor e;
    e.ed.ReopenObjectData();
    for (const char* sql : {"insert into PROD_SITES values (1, 'М')", "insert into SUBSTANCES values (301, 'NO2')",
                            "insert into SUBSTANCES values (330, 'SO2')",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, HEIGHT) values (1, 1, 10)",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, HEIGHT) values (1, 2, 20)",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, HEIGHT) values (1, 3, 30)",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, HEIGHT) values (1, 4, 40)",
                            "insert into GOU (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS, VOLUME_IN) values (1, 2, 0, 1, 5)",
                            "insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID, GS) values (1, 3, 301, 1)"})
        e.exec(QString::fromUtf8(sql));
    e.ed.addPerspective();
    // In the perspective: source 1 higher and renamed, the unit of 2 larger, source 3 emits
    // another substance too, source 4 closes, source 5 opens.
    for (const char* sql : {"update EMISSION_SRC set HEIGHT = 15, EMISSRC_NAME = 'нова' where EMISSRC_ID = 1",
                            "update GOU set VOLUME_IN = 6", "insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID) values (1, 3, 330)",
                            "delete from EMISSION_SRC where EMISSRC_ID = 4",
                            "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 5)"})
        e.exec(QString::fromUtf8(sql));
    const QStringList lines = e.ed.showMeasures();
    QCOMPARE(lines, (QStringList{QStringLiteral("2010 р.: джерело № 1 (пм.1): змінити параметри"),
                                 QStringLiteral("2010 р.: джерело № 2 (пм.1): зміни у ГОУ"),
                                 QStringLiteral("2010 р.: джерело № 3 (пм.1): зміна складу викидів"),
                                 QStringLiteral("2010 р.: джерело № 4 (пм.1): закрити"),
                                 QStringLiteral("2010 р.: джерело № 5 (пм.1): відкрити")}));
    // A name change alone is no measure.
    e.exec(QStringLiteral("update EMISSION_SRC set HEIGHT = 10 where EMISSRC_ID = 1"));
    QVERIFY(!e.ed.showMeasures().first().contains(QStringLiteral("№ 1 ")));
}

AERIS_TEST(TestEmissionEditor)
AERIS_TEST(TestMeasures)
#include "tst_emissedit.moc"
