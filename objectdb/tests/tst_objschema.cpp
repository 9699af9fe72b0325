#include "u_fbclient.h"
#include "u_objschema.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QMap>
#include <QTest>

using namespace aeris;
using namespace aeris::db;

namespace {

struct ObjDb {
    test::TempDir dir;
    Connection conn;
    Transaction tra{conn};
    ObjDb()
    {
        conn.setDatabaseName(dir.copyTemplate(QStringLiteral("OBJ.FDB")));
        conn.connect();
        tra.start();
    }
    void exec(const QString& sql) { Statement(tra, sql).execute(); }
    int count(const QString& table)
    {
        return Statement(tra, QStringLiteral("select count(*) from ") + table).scalar().toInt();
    }
    // A site with one of everything below it.
    void fillTree()
    {
        for (const char* sql : {
                 "insert into PROD_SITES values (1, 'Майданчик')",
                 "insert into PRODUCTIONS values (510, 'Добування вугілля')",
                 "insert into SUBSTANCES values (41200301, 'Азоту діоксид')",
                 "insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, EMISSRC_NAME) values (1, 1, 'Труба')",
                 "insert into EVOLVING_SRC (SITE_ID, PROD_ID, EMISSRC_ID, EVOLSRC_ID) values (1, 510, 1, 1)",
                 "insert into GOU (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS) values (1, 1, 0, 1)",
                 "insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID, GS) values (1, 1, 41200301, 0.5)",
                 "insert into EVOLVING_DATA (SITE_ID, EMISSRC_ID, EVOLSRC_ID, SUBST_ID) values (1, 1, 1, 41200301)",
                 "insert into GOU_DATA (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS, SUBST_ID) values (1, 1, 0, 1, 41200301)"})
            exec(QString::fromUtf8(sql));
    }
    QString counts()
    {
        QStringList out;
        for (const QString& t : {obj::kEmissionSrc, obj::kEvolvingSrc, obj::kGou, obj::kEmissionData,
                                 obj::kEvolvingData, obj::kGouData})
            out << QString::number(count(t));
        return out.join(u' ');
    }
};

} // namespace

class TestObjSchema : public QObject {
    Q_OBJECT
private slots:
    void tablesColumnsAndTypes_data();
    void tablesColumnsAndTypes();
    void primaryKeysMatchKeyLists();
    void pageSizeAndTableCount();
    void deletesCascadeDown_data();
    void deletesCascadeDown();
    void keyChangesCascade();
    void referencesAreEnforced();
    void stateFileNames();
};

void TestObjSchema::tablesColumnsAndTypes_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns"); // name:type, "!" for not null; I int, B bigint, D double, S<n> text
    QTest::newRow("PROD_SITES") << "PROD_SITES" << "SITE_ID:I!,SITE_NAME:S255";
    QTest::newRow("PRODUCTIONS") << "PRODUCTIONS" << "PROD_ID:I!,PROD_NAME:S255";
    QTest::newRow("SUBSTANCES") << "SUBSTANCES" << "SUBST_ID:B!,SUBST_NAME:S255";
    QTest::newRow("EMISSION_SRC") << "EMISSION_SRC"
        << "SITE_ID:I!,EMISSRC_ID:I!,EMISSRC_NAME:S255,EMISSRC_TYPE:I,X1:D,Y1:D,X2:D,Y2:D,ANGLE:D,HEIGHT:D,"
           "DIAMETER:D,SPEED:D,VOLUME:D,TEMP:D,DANGER_CLASS:I";
    QTest::newRow("EVOLVING_SRC") << "EVOLVING_SRC"
        << "SITE_ID:I!,PROD_ID:I!,EMISSRC_ID:I!,VENT_ID:I,EVOLSRC_ID:I!,EVOLSRC_NAME:S255,EVOLSRC_NUM:I,LOAD:D,"
           "VOLUME:D,TEMP:D";
    QTest::newRow("GOU") << "GOU"
        << "SITE_ID:I!,EMISSRC_ID:I!,VENT_ID:I!,CHAIN_POS:I!,GOU_CLASS:I,GOU_CODE:S3,GOU_NAME:S255,VOLUME_IN:D,"
           "TEMP_IN:D,VOLUME_OUT:D,TEMP_OUT:D";
    QTest::newRow("EMISSION_DATA") << "EMISSION_DATA"
        << "SITE_ID:I!,EMISSRC_ID:I!,SUBST_ID:B!,EMIS_TYPE:I!,MGM3:D,GS:D,KGH:D,TY:D,METHOD:S255";
    QTest::newRow("EVOLVING_DATA") << "EVOLVING_DATA"
        << "SITE_ID:I!,EMISSRC_ID:I!,EVOLSRC_ID:I!,SUBST_ID:B!,EMIS_TYPE:I!,MGM3:D,GS:D,KGH:D,TY:D,METHOD:S255";
    QTest::newRow("GOU_DATA") << "GOU_DATA"
        << "SITE_ID:I!,EMISSRC_ID:I!,VENT_ID:I!,CHAIN_POS:I!,SUBST_ID:B!,EMIS_TYPE:I!,MGM3_IN:D,MGM3_OUT:D,EFFECT:D";
}

void TestObjSchema::tablesColumnsAndTypes()
{
    QFETCH(QString, table);
    QFETCH(QString, columns);
    ObjDb db;
    Statement s(db.tra, QStringLiteral(
        "select trim(rf.rdb$field_name), f.rdb$field_type, f.rdb$character_length, f.rdb$character_set_id,"
        " coalesce(rf.rdb$null_flag, 0) from rdb$relation_fields rf join rdb$fields f"
        " on f.rdb$field_name = rf.rdb$field_source where rf.rdb$relation_name = :t order by rf.rdb$field_position"));
    s.setParam(QStringLiteral("t"), table);
    s.open();
    QStringList got;
    while (s.fetch()) {
        QString type;
        switch (s.value(1).toInt()) {
        case 8: type = QStringLiteral("I"); break;
        case 16: type = QStringLiteral("B"); break;
        case 27: type = QStringLiteral("D"); break;
        case 37:
            type = QStringLiteral("S%1").arg(s.value(2).toInt());
            QCOMPARE(s.value(3).toInt(), 52); // WIN1251
            break;
        default: type = QStringLiteral("?%1").arg(s.value(1).toInt());
        }
        got << s.value(0).toString() + u':' + type + (s.value(4).toInt() ? QStringLiteral("!") : QString());
    }
    QCOMPARE(got.join(u','), columns);
}

void TestObjSchema::primaryKeysMatchKeyLists()
{
    ObjDb db;
    Statement s(db.tra, QStringLiteral(
        "select trim(rc.rdb$relation_name), trim(seg.rdb$field_name) from rdb$relation_constraints rc"
        " join rdb$index_segments seg on seg.rdb$index_name = rc.rdb$index_name"
        " where rc.rdb$constraint_type = 'PRIMARY KEY' order by rc.rdb$relation_name, seg.rdb$field_position"));
    s.open();
    QMap<QString, QStringList> keys;
    while (s.fetch()) keys[s.value(0).toString()] << s.value(1).toString();
    QCOMPARE(keys.size(), 9);
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        QStringList pk = it.value();
        pk.removeAll(QStringLiteral("EMIS_TYPE"));
        QCOMPARE(pk.join(u';'), obj::keyFieldsOf(it.key()));
    }
}

void TestObjSchema::pageSizeAndTableCount()
{
    ObjDb db;
    QCOMPARE(Statement(db.tra, QStringLiteral("select mon$page_size from mon$database")).scalar().toInt(), 4096);
    QCOMPARE(Statement(db.tra, QStringLiteral("select count(*) from rdb$relations where rdb$system_flag = 0"))
                 .scalar().toInt(), 9);
    QCOMPARE(Statement(db.tra, QStringLiteral("select trim(rdb$character_set_name) from rdb$database"))
                 .scalar().toString(), QStringLiteral("WIN1251"));
}

void TestObjSchema::deletesCascadeDown_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("left"); // sources, evolving, units, emissions, evolving emissions, cleaning
    QTest::newRow("site") << "delete from PROD_SITES" << "0 0 0 0 0 0";
    QTest::newRow("source") << "delete from EMISSION_SRC" << "0 0 0 0 0 0";
    QTest::newRow("substance") << "delete from SUBSTANCES" << "1 1 1 0 0 0";
    QTest::newRow("production") << "delete from PRODUCTIONS" << "1 0 1 1 0 1";
    QTest::newRow("evolving source") << "delete from EVOLVING_SRC" << "1 0 1 1 0 1";
    QTest::newRow("cleaning unit") << "delete from GOU" << "1 1 0 1 1 0";
}

void TestObjSchema::deletesCascadeDown()
{
    QFETCH(QString, sql);
    QFETCH(QString, left);
    ObjDb db;
    db.fillTree();
    QCOMPARE(db.counts(), QStringLiteral("1 1 1 1 1 1"));
    db.exec(sql);
    QCOMPARE(db.counts(), left);
}

void TestObjSchema::keyChangesCascade()
{
    ObjDb db;
    db.fillTree();
    db.exec(QStringLiteral("update EMISSION_SRC set EMISSRC_ID = 7"));
    QCOMPARE(Statement(db.tra, QStringLiteral("select count(*) from GOU_DATA where EMISSRC_ID = 7")).scalar().toInt(), 1);
    QCOMPARE(Statement(db.tra, QStringLiteral("select count(*) from EVOLVING_DATA where EMISSRC_ID = 7")).scalar().toInt(), 1);
    QCOMPARE(Statement(db.tra, QStringLiteral("select EMIS_TYPE from EMISSION_DATA")).scalar().toInt(), 0);
}

void TestObjSchema::referencesAreEnforced()
{
    ObjDb db;
    db.fillTree();
    const QStringList orphans{
        QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID) values (2, 1)|\"EMISSION_SRC\""),
        QStringLiteral("insert into EVOLVING_SRC (SITE_ID, PROD_ID, EMISSRC_ID, EVOLSRC_ID) values (1, 0, 1, 2)|\"EVOLVING_SRC\""),
        QStringLiteral("insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID) values (1, 1, 5)|\"EMISSION_DATA\""),
        QStringLiteral("insert into GOU_DATA (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS, SUBST_ID) values (1, 1, 1, 1, 41200301)|\"GOU_DATA\""),
    };
    for (const QString& c : orphans) {
        const QStringList parts = c.split(u'|');
        try {
            db.exec(parts[0]);
            QFAIL(qPrintable(QStringLiteral("accepted: ") + parts[0]));
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("FOREIGN")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(parts[1]), qPrintable(e.message()));
        }
    }
    try {
        db.exec(QStringLiteral("insert into GOU (SITE_ID, EMISSRC_ID, VENT_ID, CHAIN_POS) values (1, 1, 0, 1)"));
        QFAIL("duplicate unit accepted");
    } catch (const DbError& e) {
        QVERIFY(e.message().contains(QStringLiteral("violation of PRIMARY")));
        QVERIFY(e.message().contains(QStringLiteral("\"GOU\"")));
    }
}

void TestObjSchema::stateFileNames()
{
    QCOMPARE(obj::stateFileName(0), QStringLiteral("OBJ.FDB"));
    QCOMPARE(obj::stateFileName(3), QStringLiteral("OBJ3.FDB"));
    QCOMPARE(obj::calcFileName(0), QStringLiteral("CALC.FDB"));
    QCOMPARE(obj::calcFileName(4), QStringLiteral("CALC4.FDB"));
}

AERIS_TEST(TestObjSchema)
#include "tst_objschema.moc"
