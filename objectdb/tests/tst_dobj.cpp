#include "d_obj.h"
#include "u_baseyear.h"
#include "u_codepage.h"
#include "u_ini.h"
#include "u_paths.h"
#include "u_recordingseams.h"
#include "u_refdata.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace aeris;
using namespace aeris::obj;

namespace {

// A program folder with the built templates, a project, and the module over them.
struct Module {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    ref::InfoSubstData substRef;
    ref::InfoProdData prodRef;
    TDataModuleObj dm{paths, substRef, prodRef};
    int state = 0;

    Module()
    {
        QDir().mkpath(program.file(QStringLiteral("Data")));
        program.copyTemplate(QStringLiteral("OBJ.FDB"), QStringLiteral("Data/OBJ.FDB"));
        program.copyTemplate(QStringLiteral("INFO.FDB"), QStringLiteral("Data/INFO.FDB"));
        QDir().mkpath(project() + QStringLiteral("/aer.dat"));
        paths.setProjectDir(project());
        dm.selectedState = [this] { return state; };
    }
    QString project() const { return work.file(QStringLiteral("Об'єкт")); }
    QString dataFile(const QString& name) const { return project() + QStringLiteral("/aer.dat/") + name; }
    bool open(int k = 0)
    {
        state = k;
        return dm.OpenState(project());
    }
    void exec(const QString& sql)
    {
        db::Statement(dm.IBTransaction, sql).execute();
        dm.IBTransaction.commitRetaining();
    }
    int count(const QString& sql) { return db::Statement(dm.IBTransaction, sql).scalar().toInt(); }
    // Sites 1 and 2, a production, a substance, and `sources` sources spread over both sites.
    void seed(int sources)
    {
        exec(QStringLiteral("insert into PROD_SITES values (1, 'Перший')"));
        exec(QStringLiteral("insert into PROD_SITES values (2, 'Другий')"));
        exec(QStringLiteral("insert into PRODUCTIONS values (510, 'Вугілля')"));
        exec(QStringLiteral("insert into SUBSTANCES values (400100301, 'Азоту діоксид')"));
        for (int i = 1; i <= sources; ++i)
            exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, EMISSRC_TYPE) values (%1, %2, 0)").arg(i % 2 + 1).arg(i));
    }
    void reopen()
    {
        QVERIFY(dm.CloseState());
        QVERIFY(open(state));
    }
};

} // namespace

class TestDataModuleObj : public QObject {
    Q_OBJECT
private slots:
    void openCopiesTemplateOrPreviousState();
    void failedOpenWritesOneLog();
    void newRowDefaults();
    void emptyListsProposeZero();
    void duplicateSourceTellsAndDiscards();
    void cleaningMessageNamesOnlyItsTable();
    void requiredFieldAndFailedPost();
    void savingMoments();
    void namesComeFromTheReference();
    void deletionAsksFirst();
    void conversionsAndHiddenEmissionTypes();
    void baseYear();
    void referenceReadableAfterItsWindowClosed();
};

void TestDataModuleObj::openCopiesTemplateOrPreviousState()
{
    Module m;
    QVERIFY(!QFileInfo::exists(m.dataFile(QStringLiteral("OBJ.FDB"))));
    QVERIFY(m.open(0));
    QVERIFY(m.dm.StateOpen);
    QVERIFY(QFileInfo::exists(m.dataFile(QStringLiteral("OBJ.FDB"))));
    QVERIFY(!QFileInfo::exists(m.program.file(QStringLiteral("log.txt"))));
    for (db::Dataset* ds : m.dm.editableDatasets()) QVERIFY2(ds->active(), qPrintable(ds->name()));
    QVERIFY(m.dm.IBQuerySelSubstAll.active());
    QCOMPARE(m.dm.IBQuerySelSubstAll.recordCount(), 894);
    m.exec(QStringLiteral("insert into PROD_SITES values (7, 'Сьомий')"));
    QVERIFY(m.dm.CloseState());
    QFile::copy(m.dataFile(QStringLiteral("OBJ.FDB")), m.dataFile(QStringLiteral("OBJ1.FDB")));
    // Perspective 2 begins as a copy of perspective 1.
    QVERIFY(m.open(1));
    m.exec(QStringLiteral("insert into PROD_SITES values (8, 'Восьмий')"));
    QVERIFY(m.dm.CloseState());
    QVERIFY(m.open(2));
    QVERIFY(QFileInfo::exists(m.dataFile(QStringLiteral("OBJ2.FDB"))));
    QCOMPARE(m.dm.IBQuerySites.recordCount(), 2);
    QVERIFY(m.dm.CloseState());
    QVERIFY(!m.dm.StateOpen);
    QVERIFY(!m.dm.IBDatabase.connected());
    QVERIFY(!m.substRef.connection().connected());
}

void TestDataModuleObj::failedOpenWritesOneLog()
{
    Module m;
    m.work.write(QStringLiteral("Об'єкт/aer.dat/OBJ.FDB"), QByteArray(8192, 'z'));
    QVERIFY(!m.open(0));
    QVERIFY(!m.dm.StateOpen);
    QVERIFY(!m.dm.IBDatabase.connected());
    const QString log = codepage::fromCp1251(m.program.read(QStringLiteral("log.txt")));
    QVERIFY2(log.startsWith(QStringLiteral("Відкриття існуючого стану. Шлях: ") + m.dataFile(QStringLiteral("OBJ.FDB")) +
                            QStringLiteral(".ПОМИЛКА. ")), qPrintable(log));
    QCOMPARE(log.count(u'\n'), 1);
    QVERIFY(m.ui.messages.isEmpty()); // no "WIN1251" in the message: nothing shown
    QCOMPARE(m.work.read(QStringLiteral("Об'єкт/aer.dat/OBJ.FDB")), QByteArray(8192, 'z'));
    // A missing template: the log tells the copy that did not happen.
    Module n;
    QFile::remove(n.program.file(QStringLiteral("Data/OBJ.FDB")));
    QVERIFY(!n.open(0));
    QVERIFY(codepage::fromCp1251(n.program.read(QStringLiteral("log.txt")))
                .startsWith(QStringLiteral("Відкриття існуючого стану. Копіювання. Шлях: ")));
    // A missing reference: the object database opened, the reference did not.
    Module r;
    QFile::remove(r.program.file(QStringLiteral("Data/INFO.FDB")));
    QVERIFY(!r.open(0));
    const QString rlog = codepage::fromCp1251(r.program.read(QStringLiteral("log.txt")));
    QVERIFY2(rlog.contains(QStringLiteral(".Відкрито. БД Активна. ПОМИЛКА. ")), qPrintable(rlog));
    QVERIFY(!r.dm.IBDatabase.connected());
}

void TestDataModuleObj::newRowDefaults()
{
    Module m;
    QVERIFY(m.open());
    m.seed(7);
    m.reopen();
    TDataModuleObj& dm = m.dm;
    dm.IBQuerySites.locate(QStringLiteral("SITE_ID"), 2);
    dm.IBQueryEmisSrc.append();
    QCOMPARE(dm.IBQueryEmisSrc[QStringLiteral("SITE_ID")].asInteger(), 2);
    QCOMPARE(dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].asInteger(), 8);
    dm.IBQueryEmisSrc.cancel();
    dm.IBQueryEmisSrc.locate(QStringLiteral("SITE_ID;EMISSRC_ID"), {2, 1});
    dm.IBQueryEvolSrc.append();
    QCOMPARE(dm.IBQueryEvolSrc[QStringLiteral("EVOLSRC_ID")].asInteger(), 1);
    QCOMPARE(dm.IBQueryEvolSrc[QStringLiteral("PROD_ID")].asInteger(), 510);
    QCOMPARE(dm.IBQueryEvolSrc[QStringLiteral("EMISSRC_ID")].asInteger(), 1);
    QVERIFY(dm.SaveDataset(dm.IBQueryEvolSrc));
    dm.IBQueryGou.append();
    QCOMPARE(dm.IBQueryGou[QStringLiteral("CHAIN_POS")].asInteger(), 1);
    QCOMPARE(dm.IBQueryGou[QStringLiteral("VENT_ID")].asInteger(), 0);
    QVERIFY(dm.SaveDataset(dm.IBQueryGou));
    dm.IBQueryGouData.append();
    QCOMPARE(dm.IBQueryGouData[QStringLiteral("CHAIN_POS")].asInteger(), 1);
    QCOMPARE(dm.IBQueryGouData[QStringLiteral("EMIS_TYPE")].asInteger(), 0);
    dm.IBQueryGouData[QStringLiteral("SUBST_ID")].setText(QStringLiteral("04001 / 301"));
    QVERIFY(dm.SaveDataset(dm.IBQueryGouData));
    dm.IBQueryEvolData.append();
    QCOMPARE(dm.IBQueryEvolData[QStringLiteral("EVOLSRC_ID")].asInteger(), 1);
    dm.IBQueryEvolData.cancel();
    QVERIFY(m.ui.messages.isEmpty());
    QCOMPARE(m.count(QStringLiteral("select count(*) from GOU_DATA where SUBST_ID = 400100301")), 1);
}

void TestDataModuleObj::emptyListsProposeZero()
{
    Module m;
    QVERIFY(m.open());
    TDataModuleObj& dm = m.dm;
    dm.IBQueryEmisSrc.append();
    QCOMPARE(dm.IBQueryEmisSrc[QStringLiteral("SITE_ID")].asInteger(), 0);
    QCOMPARE(dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].asInteger(), 1);
    QVERIFY(!dm.SaveDataset(dm.IBQueryEmisSrc));
    QCOMPARE(m.ui.texts(), (QStringList{QStringLiteral("Помилка при збереженні даних таблиці джерел викиду"),
                                        QStringLiteral("Одне з полів містить посилання на елемент з іншої таблиці, якого немає в базі. "
                                                       "Виправте код елемента на існуючий або спочатку додайте елемент з цим кодом до відповідної таблиці")}));
    QCOMPARE(m.ui.messages[1].caption, QStringLiteral("Помилка при збереженні"));
    QCOMPARE(dm.IBQueryEmisSrc.recordCount(), 0); // the unsaved source is discarded
}

void TestDataModuleObj::duplicateSourceTellsAndDiscards()
{
    Module m;
    QVERIFY(m.open());
    m.seed(7);
    m.exec(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (2, 8)"));
    m.reopen();
    TDataModuleObj& dm = m.dm;
    dm.IBQueryEmisSrc.first();
    dm.IBQueryEmisSrc.edit();
    dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_NAME")].setValue(QStringLiteral("змінена назва"));
    dm.IBQueryEmisSrc.post();
    dm.IBQuerySites.locate(QStringLiteral("SITE_ID"), 2);
    dm.IBQueryEmisSrc.append(); // proposes 9 now: 8 sources exist
    dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_ID")].setValue(8);
    QVERIFY(!dm.SaveDataset(dm.IBQueryEmisSrc));
    QCOMPARE(m.ui.texts(), (QStringList{QStringLiteral("Помилка при збереженні даних таблиці джерел викиду"),
                                        QStringLiteral("Дублікат по ключовим полям")}));
    QCOMPARE(m.ui.messages[0].caption, QStringLiteral("Помилка"));
    QCOMPARE(m.ui.messages[0].icon, MsgIcon::Error);
    QCOMPARE(m.ui.messages[1].caption, QStringLiteral("Помилка при збереженні"));
    QCOMPARE(dm.IBQueryEmisSrc.recordCount(), 8);
    QVERIFY(!dm.IBQueryEmisSrc.updatesPending());
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_SRC where EMISSRC_NAME is not null")), 0);
}

void TestDataModuleObj::cleaningMessageNamesOnlyItsTable()
{
    Module m;
    QVERIFY(m.open());
    m.seed(1);
    m.exec(QStringLiteral("insert into GOU (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS) values (2, 1, 0, 1)"));
    m.reopen();
    TDataModuleObj& dm = m.dm;
    dm.IBQueryGouData.append();
    dm.IBQueryGouData[QStringLiteral("SUBST_ID")].setText(QStringLiteral("- / 9999")); // not among the substances
    QVERIFY(!dm.SaveDataset(dm.IBQueryGouData));
    QCOMPARE(m.ui.texts().first(), QStringLiteral("Помилка при збереженні даних таблиці ефективності очищення"));
    QVERIFY(!m.ui.texts().contains(QStringLiteral("Помилка при збереженні даних таблиці ГОУ")));
    QCOMPARE(m.ui.texts().size(), 2);
}

void TestDataModuleObj::requiredFieldAndFailedPost()
{
    Module m;
    QVERIFY(m.open());
    m.seed(1);
    m.reopen();
    TDataModuleObj& dm = m.dm;
    dm.IBQueryEmisData.append();
    QVERIFY(!dm.SaveDataset(dm.IBQueryEmisData)); // SUBST_ID is empty
    QCOMPARE(m.ui.texts(), QStringList{QStringLiteral("Ключове поле не заповнене")});
    QCOMPARE(m.ui.messages[0].caption, QStringLiteral("Помилка збереження даних"));
    QCOMPARE(dm.IBQueryEmisData.state(), db::DatasetState::Insert); // the row stays in edit mode
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_DATA")), 0);
}

void TestDataModuleObj::savingMoments()
{
    Module m;
    QVERIFY(m.open());
    m.seed(2);
    m.reopen();
    TDataModuleObj& dm = m.dm;
    // An emission entered for a new source saves the source first.
    dm.IBQuerySites.locate(QStringLiteral("SITE_ID"), 1);
    dm.IBQueryEmisSrc.append();
    dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_NAME")].setValue(QStringLiteral("Нова труба"));
    dm.IBQueryEmisData.append();
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_SRC where EMISSRC_ID = 3 and SITE_ID = 1")), 1);
    QCOMPARE(dm.IBQueryEmisData[QStringLiteral("EMISSRC_ID")].asInteger(), 3);
    dm.IBQueryEmisData[QStringLiteral("SUBST_ID")].setText(QStringLiteral("4001/301"));
    dm.IBQueryEmisData[QStringLiteral("GS")].setText(QStringLiteral("0,25"));
    dm.IBQueryEmisData.post();
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_DATA")), 0); // not yet: the list is not left
    // Emissions of an evolving source: the evolving source is saved before them.
    dm.IBQueryEvolSrc.append();
    dm.IBQueryEvolSrc.post();
    dm.IBQueryEvolData.append();
    QCOMPARE(m.count(QStringLiteral("select count(*) from EVOLVING_SRC where EMISSRC_ID = 3")), 1);
    dm.IBQueryEvolData[QStringLiteral("SUBST_ID")].setText(QStringLiteral("04001 / 301"));
    dm.IBQueryEvolData[QStringLiteral("TY")].setText(QStringLiteral("1.5"));
    dm.IBQueryEvolData.post();
    QCOMPARE(m.count(QStringLiteral("select count(*) from EVOLVING_DATA")), 0);
    dm.IBQueryEmisSrc.first(); // another source: every list of this one is saved
    QCOMPARE(m.count(QStringLiteral("select count(*) from EVOLVING_DATA where TY = 1.5")), 1);
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_DATA where GS = 0.25")), 1);
    QVERIFY(m.ui.messages.isEmpty());
    // Closing the state keeps what was typed in the upper lists and left unsaved.
    dm.IBQuerySites.edit();
    dm.IBQuerySites[QStringLiteral("SITE_NAME")].setValue(QStringLiteral("Змінений"));
    dm.IBQueryEmisSrc.edit();
    dm.IBQueryEmisSrc[QStringLiteral("HEIGHT")].setText(QStringLiteral("12,5"));
    dm.IBQuerySubst.append();
    dm.IBQuerySubst[QStringLiteral("SUBST_ID")].setText(QStringLiteral("4001/301")); // already there
    m.reopen();
    QCOMPARE(m.count(QStringLiteral("select count(*) from PROD_SITES where SITE_NAME = 'Змінений'")), 1);
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_SRC where HEIGHT = 12.5")), 1);
    const QStringList told{QStringLiteral("Помилка при збереженні даних таблиці речовин"), QStringLiteral("Дублікат по ключовим полям")};
    QCOMPARE(m.ui.texts(), told); // a failed save is told, not dropped in silence
    QCOMPARE(m.count(QStringLiteral("select count(*) from SUBSTANCES")), 1);
}

void TestDataModuleObj::namesComeFromTheReference()
{
    Module m;
    QVERIFY(m.open());
    m.exec(QStringLiteral("insert into SUBSTANCES values (400100301, null)"));
    m.exec(QStringLiteral("insert into SUBSTANCES values (2908, 'Своя назва')"));
    m.exec(QStringLiteral("insert into PRODUCTIONS values (510, '')"));
    m.reopen();
    TDataModuleObj& dm = m.dm;
    QVERIFY(dm.IBQuerySubst.locate(QStringLiteral("SUBST_ID"), qlonglong(400100301)));
    QCOMPARE(dm.IBQuerySubst[QStringLiteral("SUBST_NAME")].asString(), QStringLiteral("Азоту діоксид"));
    QCOMPARE(dm.IBQuerySubst[QStringLiteral("SUBST_2TP_ID")].displayText(), QStringLiteral("04001"));
    QCOMPARE(dm.IBQuerySubst[QStringLiteral("SUBST_GDK_ID")].asInteger(), 301);
    QCOMPARE(dm.IBQuerySubst[QStringLiteral("SUBST_GDK_NAME")].asString(), QStringLiteral("Азоту діоксид"));
    QVERIFY(dm.IBQuerySubst.updatesPending());
    QVERIFY(dm.IBQuerySubst.locate(QStringLiteral("SUBST_ID"), qlonglong(2908)));
    QCOMPARE(dm.IBQuerySubst[QStringLiteral("SUBST_NAME")].asString(), QStringLiteral("Своя назва"));
    QCOMPARE(dm.IBQueryPro[QStringLiteral("PROD_NAME")].asString(), QStringLiteral("Добування кам'яного вугілля"));
    QVERIFY(dm.SaveDataset(dm.IBQuerySubst));
    QCOMPARE(m.count(QStringLiteral("select count(*) from SUBSTANCES where SUBST_NAME = 'Азоту діоксид'")), 1);
}

void TestDataModuleObj::deletionAsksFirst()
{
    Module m;
    QVERIFY(m.open());
    m.seed(2);
    m.exec(QStringLiteral("insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID) values (2, 1, 400100301)"));
    m.reopen();
    TDataModuleObj& dm = m.dm;
    m.ui.answers = {Answer::No};
    QVERIFY_THROWS_EXCEPTION(db::Abort, dm.IBQuerySubst.remove());
    QCOMPARE(dm.IBQuerySubst.recordCount(), 1);
    QCOMPARE(m.ui.messages[0].caption, QStringLiteral("Увага!"));
    QCOMPARE(m.ui.messages[0].buttons, MsgButtons(BtnYes | BtnNo));
    dm.IBQuerySubst.remove(); // Yes
    QVERIFY(dm.SaveDataset(dm.IBQuerySubst));
    QCOMPARE(m.count(QStringLiteral("select count(*) from EMISSION_DATA")), 0); // cascaded
}

void TestDataModuleObj::conversionsAndHiddenEmissionTypes()
{
    Module m;
    QVERIFY(m.open());
    m.seed(1);
    m.exec(QStringLiteral("insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID, EMIS_TYPE) values (2, 1, 400100301, 1)"));
    m.reopen();
    TDataModuleObj& dm = m.dm;
    QCOMPARE(dm.IBQueryEmisData.recordCount(), 0); // EMIS_TYPE 1 is not shown
    db::Field& type = dm.IBQueryEmisSrc[QStringLiteral("EMISSRC_TYPE")];
    QCOMPARE(type.displayText(), QStringLiteral("*"));
    dm.IBQueryEmisSrc.edit();
    for (const auto& [text, value] : {std::pair{"Л", 2}, {"ю", 1}, {"П", 3}, {"Т", 0}}) {
        type.setText(QString::fromUtf8(text));
        QCOMPARE(type.asInteger(), value);
    }
    dm.IBQueryEmisSrc.cancel();
    dm.IBQueryEmisData.append();
    db::Field& code = dm.IBQueryEmisData[QStringLiteral("SUBST_ID")];
    code.setText(QStringLiteral("412 / 301"));
    QCOMPARE(code.displayText(), QStringLiteral("00412 / 301"));
    code.setText(QString()); // leaves it as it was
    QCOMPARE(code.asLargeInt(), 41200301LL);
    QVERIFY_THROWS_EXCEPTION(db::DatasetError, code.setText(QStringLiteral("99999 / 1")));
    dm.IBQueryEmisData.cancel();
}

void TestDataModuleObj::baseYear()
{
    Module m;
    TDataModuleObj& dm = m.dm;
    QCOMPARE(dm.GetBaseYear(), QDate::currentDate().year());
    QCOMPARE(IniFile(objIniPath(m.project())).readInteger(QStringLiteral("OBJ"), QStringLiteral("BaseYear")),
             QDate::currentDate().year());
    dm.SetBaseYear(2009);
    QCOMPARE(dm.GetBaseYear(), 2009);
    dm.SetBaseYear(0);
    QCOMPARE(dm.GetBaseYear(), 2009);
    QCOMPARE(dm.BaseYear, 2009);
}

void TestDataModuleObj::referenceReadableAfterItsWindowClosed()
{
    Module m;
    QVERIFY(m.open());
    m.substRef.show(m.program.file(QStringLiteral("Data/INFO.FDB")));
    m.substRef.hide(); // the window closes the shared connection
    m.dm.IBQuerySelSubstAll.close();
    QCOMPARE(m.dm.substanceReference().recordCount(), 894);
    QVERIFY(m.substRef.connection().connected());
}

AERIS_TEST(TestDataModuleObj)
#include "tst_dobj.moc"
