#include "u_baseyear.h"
#include "DBF.h"
#include "u_batchcommands.h"
#include "u_fbclient.h"
#include "u_paths.h"
#include "u_recordingseams.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace aeris;

namespace {

struct Run {
    test::TempDir program;
    test::TempDir work;
    AppPaths paths{program.path()};
    QString out, err;
    int exec(const QStringList& args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        batch::Context ctx{paths, o, e};
        const int rc = batch::run(ctx, args);
        o.flush();
        e.flush();
        return rc;
    }
};

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void newInfoHistory();
    void failuresExitNonZero();
    void binaryPrintsUsage();
    void referenceSearchAndStates();
    void dbfListing();
};

void TestBatch::newInfoHistory()
{
    Run r;
    const QString f = r.work.file(QStringLiteral("Завод"));
    QCOMPARE(r.exec({QStringLiteral("new"), f, QStringLiteral("Завод №1")}), 0);
    QVERIFY(r.out.contains(f));
    r.work.write(QStringLiteral("Завод/aer.dat/OBJ1.FDB"), "x");
    r.work.write(QStringLiteral("Завод/aer.dat/invent.fdb"), "x");
    QCOMPARE(r.exec({QStringLiteral("info"), f}), 0);
    const int year = QDate::currentDate().year();
    QVERIFY2(r.out.contains(QStringLiteral("Назва: Завод №1\n")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("Коментар: (коментарів немає)\n")));
    QVERIFY(r.out.contains(QStringLiteral("Стани: Існуюч. стан: %1; Перспектива: %2\n").arg(year).arg(year + 1)));
    QVERIFY(r.out.contains(QStringLiteral("Інвентаризація: є")));
    QVERIFY(r.out.contains(QStringLiteral("ОВНС: немає")));
    QCOMPARE(r.exec({QStringLiteral("history")}), 0);
    QCOMPARE(r.out, QStringLiteral("Завод №1\t%1\t(коментарів немає)\n").arg(f));
}

void TestBatch::failuresExitNonZero()
{
    Run r;
    QDir().mkpath(r.work.file(QStringLiteral("taken")));
    QVERIFY(r.exec({QStringLiteral("new"), r.work.file(QStringLiteral("taken")), QStringLiteral("x")}) != 0);
    QVERIFY(!r.err.isEmpty());
    QVERIFY(r.exec({QStringLiteral("info"), r.work.file(QStringLiteral("taken"))}) != 0);
    QCOMPARE(r.err, QStringLiteral("Відкрити БД...: Вказана база не знайдена\n"));
    QCOMPARE(r.exec({QStringLiteral("new"), r.work.file(QStringLiteral("x"))}), 2);
    QCOMPARE(r.exec({QStringLiteral("nonsense")}), 2);
    QVERIFY(r.err.contains(QStringLiteral("Використання: aeris-batch")));
    QCOMPARE(r.exec({}), 2);
}

void TestBatch::binaryPrintsUsage()
{
    QProcess p;
    p.start(QStringLiteral(AERIS_BATCH), {QStringLiteral("help")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const char* c : {"new", "info", "history"}) QVERIFY(text.contains(QLatin1String(c)));
}

void TestBatch::referenceSearchAndStates()
{
    Run r;
    QDir().mkpath(r.program.file(QStringLiteral("Data")));
    r.program.copyTemplate(QStringLiteral("INFO.FDB"), QStringLiteral("Data/INFO.FDB"));
    r.program.copyTemplate(QStringLiteral("OBJ.FDB"), QStringLiteral("Data/OBJ.FDB"));
    QCOMPARE(r.exec({QStringLiteral("reference"), QStringLiteral("search"), QStringLiteral("301")}), 0);
    QVERIFY2(r.out.startsWith(QStringLiteral("04001 / 301\tАзоту діоксид\t")), qPrintable(r.out));
    QCOMPARE(r.exec({QStringLiteral("reference"), QStringLiteral("search"), QStringLiteral("пил"), QStringLiteral("неорганічний")}), 0);
    QVERIFY(r.out.contains(QStringLiteral("Пил неорганічний")));
    QCOMPARE(r.exec({QStringLiteral("reference"), QStringLiteral("search"), QStringLiteral("немає такої")}), 1);

    const QString f = r.work.file(QStringLiteral("p"));
    QCOMPARE(r.exec({QStringLiteral("new"), f, QStringLiteral("P")}), 0);
    QCOMPARE(r.exec({QStringLiteral("state"), f, QStringLiteral("0")}), 0);
    QVERIFY(r.out.startsWith(QStringLiteral("PROD_SITES\t0\n")));
    QCOMPARE(r.out.count(u'\n'), 9);
    QVERIFY(QFileInfo::exists(f + QStringLiteral("/aer.dat/OBJ.FDB")));
    QCOMPARE(r.exec({QStringLiteral("state"), f, QStringLiteral("1")}), 0);
    QVERIFY(QFileInfo::exists(f + QStringLiteral("/aer.dat/OBJ1.FDB")));
    QCOMPARE(r.exec({QStringLiteral("state"), f, QStringLiteral("3")}), 1); // state 2 does not exist yet
    QVERIFY(r.err.contains(QStringLiteral("ПОМИЛКА.")));
    QCOMPARE(r.exec({QStringLiteral("state"), f, QStringLiteral("7")}), 2);

    // Two identical states: no measures; then the perspective closes a source.
    {
        db::Connection c;
        c.setDatabaseName(f + QStringLiteral("/aer.dat/OBJ.FDB"));
        c.connect();
        c.executeImmediate(QStringLiteral("insert into PROD_SITES values (1, 'М')"));
        c.executeImmediate(QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (1, 4)"));
    }
    QCOMPARE(r.exec({QStringLiteral("measures"), f}), 0);
    QCOMPARE(r.out, QStringLiteral("%1 р.: джерело № 4 (пм.1): закрити\n").arg(obj::peekBaseYear(f) + 1));
}

void TestBatch::dbfListing()
{
    Run r;
    // The engine's result template, as the build made it, with one record written into it.
    const QString file = r.work.file(QStringLiteral("ras_dsx.dbf"));
    QVERIFY(QFile::copy(test::builtProgramDir() + QStringLiteral("/utils/ras_dsx.dbf"), file));
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
    {
        dbf::TDBF t;
        t.setTableName(file);
        t.Open();
        t.Append();
        t.SetFieldData(1, QStringLiteral("2"));
        t.SetFieldData(9, QStringLiteral("0.125"));
        t.Post();
        t.Close();
    }
    QCOMPARE(r.exec({QStringLiteral("dbf"), file}), 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines[0], QStringLiteral("кодова сторінка: 0x57"));
    QCOMPARE(lines[1], QStringLiteral("поле 1: KIND N 2 0"));
    QVERIFY(lines.contains(QStringLiteral("записів: 1")));
    QCOMPARE(lines.size(), 1 + 35 + 1 + 1);
    QVERIFY(lines.last().startsWith(QStringLiteral("2\t\t\t")));
    QVERIFY(lines.last().contains(QStringLiteral("\t0.1250000\t")));
    QVERIFY(r.exec({QStringLiteral("dbf"), r.work.file(QStringLiteral("none.dbf"))}) != 0);
    QVERIFY(r.err.startsWith(QStringLiteral("Помилка: Open: Не найден файл")));
}

AERIS_TEST(TestBatch)
#include "tst_batch.moc"
