#include "u_refdata.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QTest>

using namespace aeris;
using namespace aeris::ref;

class TestReference : public QObject {
    Q_OBJECT
private slots:
    void shippedDataIsThere();
    void searchByCodeThenName_data();
    void searchByCodeThenName();
    void showingTwiceDoesNothing();
    void missingFileLeavesItClosed();
    void substanceSaveReloadsAndDropsRefusedEdits();
    void productionSaveKeepsRefusedEdits();
};

void TestReference::shippedDataIsThere()
{
    test::TempDir dir;
    InfoSubstData s;
    QVERIFY(s.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    QCOMPARE(s.summary().recordCount(), 894);
    QVERIFY(s.search(QStringLiteral("301")));
    db::Dataset& sum = s.summary();
    QCOMPARE(sum[QStringLiteral("SUBST_ID")].asLargeInt(), 400100301LL);
    QCOMPARE(sum[QStringLiteral("SUBST_2TP_ID")].displayText(), QStringLiteral("04001"));
    QCOMPARE(sum[QStringLiteral("SUBST_GDK_NAME")].asString(), QStringLiteral("Азоту діоксид"));
    QVERIFY(sum[QStringLiteral("SUBST_NICKNAMES")].asString().startsWith(QStringLiteral("Азота диоксид")));
    QCOMPARE(sum[QStringLiteral("GDK_MAX")].asFloat(), 0.2);
    QCOMPARE(sum[QStringLiteral("DANGER_CLASS")].asInteger(), 3);
    QVERIFY(!sum[QStringLiteral("INFO1_NAME")].asString().isEmpty());
    QVERIFY(sum[QStringLiteral("PROPERTIES")].isNull()); // empty in the data: stays null
    QCOMPARE(s.tables().size(), size_t(6));
    QCOMPARE(s.tables()[0]->field(QStringLiteral("SUBST_ID")).displayLabel(), QStringLiteral("Код р-ни"));
    QVERIFY(s.tables()[0]->field(QStringLiteral("SUBST_ID")).required());

    InfoProdData p;
    QVERIFY(p.show(dir.file(QStringLiteral("INFO.FDB"))));
    db::Dataset& prod = p.summary();
    QVERIFY(prod.locate(QStringLiteral("PROD_ID"), QStringLiteral("510")));
    QCOMPARE(prod[QStringLiteral("PROD_NAME")].asString(), QStringLiteral("Добування кам'яного вугілля"));
    QVERIFY(prod.locate(QStringLiteral("PROD_ID"), QStringLiteral("5")));
    QCOMPARE(prod[QStringLiteral("PROD_NAME")].asString(), QStringLiteral("Добування кам'яного та бурого вугілля"));
    QVERIFY(prod.locate(QStringLiteral("PROD_ID"), QStringLiteral("B")));
    QCOMPARE(prod[QStringLiteral("PROD_ID1")].asInteger(), 5);
    QCOMPARE(prod[QStringLiteral("PROD_ID2")].asInteger(), 999);
}

void TestReference::searchByCodeThenName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("gdk");
    QTest::newRow("code") << "301" << 301;
    QTest::newRow("name in lower case") << "азоту д" << 301;
    QTest::newRow("name in upper case") << "ПИЛ НЕОРГАНІЧНИЙ, ЩО МІСТИТЬ ДВООКИС КРЕМНІЮ 70" << 2908;
    QTest::newRow("nothing") << "жодної такої" << -1;
}

void TestReference::searchByCodeThenName()
{
    QFETCH(QString, text);
    QFETCH(int, gdk);
    test::TempDir dir;
    InfoSubstData s;
    QVERIFY(s.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    s.summary().setRecNo(5);
    QCOMPARE(s.search(text), gdk >= 0);
    if (gdk >= 0) QCOMPARE(s.summary()[QStringLiteral("SUBST_GDK_ID")].asInteger(), gdk);
    else QCOMPARE(s.summary().recNo(), 5);
}

void TestReference::showingTwiceDoesNothing()
{
    test::TempDir dir;
    InfoSubstData s;
    QVERIFY(s.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    s.summary().setRecNo(7);
    QVERIFY(s.show(dir.file(QStringLiteral("INFO.FDB"))));
    QCOMPARE(s.summary().recNo(), 7);
    s.hide();
    QVERIFY(!s.isShown());
    QVERIFY(!s.connection().connected());
    QVERIFY(!s.summary().active());
}

void TestReference::missingFileLeavesItClosed()
{
    test::TempDir dir;
    InfoSubstData s;
    QVERIFY(!s.show(dir.file(QStringLiteral("INFO.FDB"))));
    QVERIFY(!s.isShown());
    QVERIFY(!s.connection().connected());
    dir.write(QStringLiteral("bad.fdb"), QByteArray(4096, 'x'));
    QVERIFY(!s.show(dir.file(QStringLiteral("bad.fdb"))));
    QVERIFY(!s.isShown());
}

void TestReference::substanceSaveReloadsAndDropsRefusedEdits()
{
    test::TempDir dir;
    InfoSubstData s;
    QVERIFY(s.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    db::Dataset& gdk = *s.tables()[0];
    QVERIFY(gdk.locate(QStringLiteral("SUBST_ID"), 301));
    gdk.edit();
    gdk[QStringLiteral("SUBST_NICKNAMES")].setValue(QStringLiteral("NO2"));
    gdk.post();
    s.save();
    QVERIFY(s.isShown());
    QVERIFY(s.search(QStringLiteral("301")));
    QCOMPARE(s.summary()[QStringLiteral("SUBST_NICKNAMES")].asString(), QStringLiteral("NO2"));
    // A duplicate key: refused without a message, the reload shows the database as it is.
    db::Dataset& refs = *s.tables()[5];
    const int before = refs.recordCount();
    refs.append();
    refs[QStringLiteral("REF_ID")].setValue(1);
    refs.post();
    db::Dataset& gdk2 = *s.tables()[0];
    gdk2.locate(QStringLiteral("SUBST_ID"), 301);
    gdk2.edit();
    gdk2[QStringLiteral("SUBST_NICKNAMES")].setValue(QStringLiteral("змінено разом з поганим"));
    gdk2.post();
    s.save();
    QCOMPARE(s.tables()[5]->recordCount(), before);
    QVERIFY(s.search(QStringLiteral("301")));
    QCOMPARE(s.summary()[QStringLiteral("SUBST_NICKNAMES")].asString(), QStringLiteral("NO2"));
}

void TestReference::productionSaveKeepsRefusedEdits()
{
    test::TempDir dir;
    InfoProdData p;
    QVERIFY(p.show(dir.copyTemplate(QStringLiteral("INFO.FDB"))));
    db::Dataset& prods = *p.tables()[2];
    prods.append();
    prods[QStringLiteral("PROD_ID")].setValue(510); // taken
    prods.post();
    p.save();
    QVERIFY(prods.updatesPending());
    prods.edit();
    prods[QStringLiteral("PROD_ID")].setValue(511);
    prods[QStringLiteral("PROD_NAME")].setValue(QStringLiteral("Новий клас"));
    prods.post();
    p.save();
    QVERIFY(!prods.updatesPending());
    p.hide();
    QVERIFY(p.show(dir.file(QStringLiteral("INFO.FDB"))));
    QVERIFY(p.summary().locate(QStringLiteral("PROD_ID"), QStringLiteral("511")));
}

AERIS_TEST(TestReference)
#include "tst_reference.moc"
