#include "u_fbclient.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace aeris;
using namespace aeris::db;

namespace {

QString makeTypesDb(const test::TempDir& dir, const QString& name = QStringLiteral("types.fdb"))
{
    const QString path = dir.file(name);
    Connection::createDatabase(path, 4096, QStringLiteral("WIN1251"), standardConnectParams());
    Connection c;
    c.setDatabaseName(path);
    c.connect();
    c.executeImmediate(QStringLiteral(
        "create table T (ID integer not null primary key, BIG bigint, D double precision, N numeric(15,3),"
        " S varchar(20), C char(5), DT date, TS timestamp, B blob sub_type text, BIN blob sub_type binary,"
        " SM smallint, BO boolean)"));
    c.disconnect();
    return path;
}

} // namespace

class TestFbClient : public QObject {
    Q_OBJECT
private slots:
    void everyTypeAndNullRoundTrips();
    void commitRetainingAndRollback();
    void namedParametersRepeatAndSkipLiterals();
    void serverMessagesArriveWhole();
    void missingAndCorruptFilesFail();
    void cyrillicPath();
    void secondProcessIsRefused();
};

void TestFbClient::everyTypeAndNullRoundTrips()
{
    test::TempDir dir;
    Connection c;
    c.setDatabaseName(makeTypesDb(dir));
    c.connect();
    Transaction t(c);
    t.start();
    const QString text = QStringLiteral("Діоксид «Ґ» №1");
    const QString longText = QString(QStringLiteral("Пил ")).repeated(20000); // several blob segments
    {
        Statement ins(t, QStringLiteral("insert into T values (:id, :big, :d, :n, :s, :c, :dt, :ts, :b, :bin, :sm, :bo)"));
        ins.setParam(QStringLiteral("id"), 1);
        ins.setParam(QStringLiteral("big"), qlonglong(41200000301LL));
        ins.setParam(QStringLiteral("d"), 2.5e-7);
        ins.setParam(QStringLiteral("n"), 12.345);
        ins.setParam(QStringLiteral("s"), text);
        ins.setParam(QStringLiteral("c"), QStringLiteral("Аб"));
        ins.setParam(QStringLiteral("dt"), QDate(2007, 12, 31));
        ins.setParam(QStringLiteral("ts"), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 600)));
        ins.setParam(QStringLiteral("b"), longText);
        ins.setParam(QStringLiteral("bin"), QByteArray("\x00\x01\xFF", 3));
        ins.setParam(QStringLiteral("sm"), -7);
        ins.setParam(QStringLiteral("bo"), true);
        ins.execute();
        ins.clearParams();
        ins.setParam(QStringLiteral("id"), 2); // everything else null
        ins.execute();
    }
    t.commit();
    t.start();
    Statement sel(t, QStringLiteral("select * from T order by ID"));
    sel.open();
    QVERIFY(sel.fetch());
    QCOMPARE(sel.value(QStringLiteral("ID")), QVariant(1));
    QCOMPARE(sel.value(QStringLiteral("BIG")).toLongLong(), 41200000301LL);
    QCOMPARE(sel.value(QStringLiteral("D")).toDouble(), 2.5e-7);
    QCOMPARE(sel.value(QStringLiteral("N")).toDouble(), 12.345);
    QCOMPARE(sel.value(QStringLiteral("S")).toString(), text);
    QCOMPARE(sel.value(QStringLiteral("C")).toString(), QStringLiteral("Аб"));
    QCOMPARE(sel.value(QStringLiteral("DT")).toDate(), QDate(2007, 12, 31));
    QCOMPARE(sel.value(QStringLiteral("TS")).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 600)));
    QCOMPARE(sel.value(QStringLiteral("B")).toString(), longText);
    QCOMPARE(sel.value(QStringLiteral("BIN")).toByteArray(), QByteArray("\x00\x01\xFF", 3));
    QCOMPARE(sel.value(QStringLiteral("SM")), QVariant(-7));
    QCOMPARE(sel.value(QStringLiteral("BO")), QVariant(true));
    QVERIFY(sel.fetch());
    for (size_t i = 1; i < sel.columns().size(); ++i) QVERIFY2(!sel.row()[i].isValid(), qPrintable(sel.columns()[i].name));
    QVERIFY(!sel.fetch());

    const auto& cols = sel.columns();
    QCOMPARE(cols[0].type, FieldType::Integer);
    QVERIFY(!cols[0].nullable);
    QCOMPARE(cols[1].type, FieldType::BigInt);
    QCOMPARE(cols[3].type, FieldType::Double);
    QCOMPARE(cols[4].type, FieldType::Text);
    QCOMPARE(cols[4].size, 20);
    QCOMPARE(cols[4].relation, QStringLiteral("T"));
    QCOMPARE(cols[8].type, FieldType::TextBlob);
}

void TestFbClient::commitRetainingAndRollback()
{
    test::TempDir dir;
    Connection c;
    c.setDatabaseName(makeTypesDb(dir));
    c.connect();
    Transaction t(c, TxReadCommitted | TxRecVersion | TxNoWait);
    t.start();
    Statement(t, QStringLiteral("insert into T (ID) values (1)")).execute();
    t.rollback();
    QVERIFY(!t.active());
    t.start();
    QCOMPARE(Statement(t, QStringLiteral("select count(*) from T")).scalar().toInt(), 0);
    Statement(t, QStringLiteral("insert into T (ID) values (2)")).execute();
    t.commitRetaining();
    QVERIFY(t.active());
    t.rollback(); // the retained commit stays
    t.start();
    QCOMPARE(Statement(t, QStringLiteral("select count(*) from T")).scalar().toInt(), 1);
    Statement(t, QStringLiteral("insert into T (ID) values (3)")).execute();
    c.disconnect(); // rolls the open transaction back
    QVERIFY(!t.active());
    c.connect();
    t.start();
    QCOMPARE(Statement(t, QStringLiteral("select count(*) from T")).scalar().toInt(), 1);
}

void TestFbClient::namedParametersRepeatAndSkipLiterals()
{
    const ParsedSql p = parseNamedParams(QStringLiteral(
        "select ':no', \"A:B\" from X /* :c */ where a = :site_id -- :d\n and b = :SITE_ID and c = ?"));
    QCOMPARE(p.placeholders, (QStringList{QStringLiteral("site_id"), QStringLiteral("SITE_ID"), QString()}));
    QCOMPARE(p.sql, QStringLiteral("select ':no', \"A:B\" from X /* :c */ where a = ? -- :d\n and b = ? and c = ?"));

    test::TempDir dir;
    Connection c;
    c.setDatabaseName(makeTypesDb(dir));
    c.connect();
    Transaction t(c);
    Statement ins(t, QStringLiteral("insert into T (ID, BIG, SM) values (:v, :v, :w)"));
    QCOMPARE(ins.paramNames(), (QStringList{QStringLiteral("v"), QStringLiteral("w")}));
    ins.setParam(QStringLiteral("V"), 5);
    ins.setParam(QStringLiteral("w"), QStringLiteral("6")); // the server converts the text
    ins.execute();
    Statement sel(t, QStringLiteral("select BIG + SM from T where ID = :id and BIG = :id"));
    sel.setParam(QStringLiteral("id"), 5);
    QCOMPARE(sel.scalar().toLongLong(), 11LL);
    QVERIFY_THROWS_EXCEPTION(DbError, sel.setParam(QStringLiteral("nope"), 1));
}

void TestFbClient::serverMessagesArriveWhole()
{
    test::TempDir dir;
    Connection c;
    c.setDatabaseName(makeTypesDb(dir));
    c.connect();
    Transaction t(c);
    Statement(t, QStringLiteral("insert into T (ID) values (1)")).execute();
    try {
        Statement(t, QStringLiteral("insert into T (ID) values (1)")).execute();
        QFAIL("duplicate key accepted");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("violation of PRIMARY")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("\"T\"")), qPrintable(e.message()));
    }
    try {
        Statement s(t, QStringLiteral("insert into T (ID, S) values (2, :s)"));
        s.setParam(QStringLiteral("s"), QString(30, u'Ж'));
        s.execute();
        QFAIL("long text accepted");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("truncation")), qPrintable(e.message()));
    }
    QVERIFY_THROWS_EXCEPTION(DbError, Statement(t, QStringLiteral("select * from NO_SUCH_TABLE")));
}

void TestFbClient::missingAndCorruptFilesFail()
{
    test::TempDir dir;
    Connection c;
    c.setDatabaseName(dir.file(QStringLiteral("absent.fdb")));
    QVERIFY_THROWS_EXCEPTION(DbError, c.connect());
    QVERIFY(!c.connected());
    dir.write(QStringLiteral("bad.fdb"), QByteArray(8192, '\x5A'));
    c.setDatabaseName(dir.file(QStringLiteral("bad.fdb")));
    try {
        c.connect();
        QFAIL("corrupt file opened");
    } catch (const DbError& e) {
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(!c.connected());
    QCOMPARE(dir.read(QStringLiteral("bad.fdb")), QByteArray(8192, '\x5A')); // untouched
}

void TestFbClient::cyrillicPath()
{
    test::TempDir dir;
    QDir().mkpath(dir.file(QStringLiteral("Завод №1/aer.dat")));
    Connection c;
    c.setDatabaseName(makeTypesDb(dir, QStringLiteral("Завод №1/aer.dat/OBJ.FDB")));
    c.connect();
    QVERIFY(c.connected());
    QVERIFY(QFileInfo::exists(dir.file(QStringLiteral("Завод №1/aer.dat/OBJ.FDB"))));
}

void TestFbClient::secondProcessIsRefused()
{
    const QString isql = QStandardPaths::findExecutable(QStringLiteral("isql-fb"));
    if (isql.isEmpty()) QSKIP("isql-fb is not installed");
    test::TempDir dir;
    const QString path = makeTypesDb(dir);
    Connection c;
    c.setDatabaseName(path);
    c.connect();
    QProcess p;
    p.start(isql, {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("sysdba"), QStringLiteral("-password"),
                   QStringLiteral("quillwort"), path});
    p.write("select count(*) from T;\n");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("lock")), qPrintable(err));
    c.disconnect();
}

AERIS_TEST(TestFbClient)
#include "tst_fbclient.moc"
