#include "u_srctype.h"
#include "u_substcode.h"
#include "u_testregistry.h"

#include <QTest>

using namespace aeris::obj;

class TestSubstCode : public QObject {
    Q_OBJECT
private slots:
    void display_data();
    void display();
    void parse_data();
    void parse();
    void packAndSplit();
};

void TestSubstCode::display_data()
{
    QTest::addColumn<qlonglong>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("both") << 41200301LL << QStringLiteral("00412 / 301");
    QTest::newRow("gdk only") << 301LL << QStringLiteral("- / 301");
    QTest::newRow("zero") << 0LL << QStringLiteral("- / -");
    QTest::newRow("2tp only") << 100000LL << QStringLiteral("00001 / -");
    QTest::newRow("six-digit 2tp") << 2147400001LL << QStringLiteral("21474 / 1");
    QTest::newRow("outside 32 bits") << 2147483648LL << QString();
    QTest::newRow("negative") << -5LL << QStringLiteral("- / -");
}

void TestSubstCode::display()
{
    QFETCH(qlonglong, id);
    QFETCH(QString, text);
    QCOMPARE(substIdText(std::int64_t(id)), text);
}

void TestSubstCode::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("id"); // -1: refused
    QTest::newRow("display form") << QStringLiteral("00412 / 301") << 41200301LL;
    QTest::newRow("spaces") << QStringLiteral("412 / 301") << 41200301LL;
    QTest::newRow("dash") << QStringLiteral("-/301") << 301LL;
    QTest::newRow("digits only") << QStringLiteral("412") << 41200000LL;
    QTest::newRow("letters") << QStringLiteral("abc") << 0LL;
    QTest::newRow("trailing letter") << QStringLiteral("12a") << 1200000LL;
    QTest::newRow("padded") << QStringLiteral("  7 / 9  ") << 700009LL;
    QTest::newRow("report separator") << QStringLiteral("00412\r\n-------\r\n301") << 41200301LL;
    QTest::newRow("empty") << QString() << 0LL;
    QTest::newRow("gdk too long") << QStringLiteral("1 / 123456") << -1LL;
    QTest::newRow("beyond range") << QStringLiteral("99999 / 1") << -1LL;
}

void TestSubstCode::parse()
{
    QFETCH(QString, text);
    QFETCH(qlonglong, id);
    const auto got = parseSubstId(text);
    if (id < 0) QVERIFY(!got.has_value());
    else QCOMPARE(qlonglong(got.value_or(-2)), id);
}

void TestSubstCode::packAndSplit()
{
    QCOMPARE(packSubstId(412, 301), std::int64_t(41200301));
    QCOMPARE(tp2Part(41200301), std::int64_t(412));
    QCOMPARE(gdkPart(41200301), std::int64_t(301));
    QCOMPARE(substIdText(QVariant()), QString());
    QCOMPARE(substIdText(QVariant(qlonglong(41200301)), kSubstSepReport), QStringLiteral("00412\r\n-------\r\n301"));
}

class TestSourceType : public QObject {
    Q_OBJECT
private slots:
    void entry_data();
    void entry();
    void display();
};

void TestSourceType::entry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::newRow("*") << QStringLiteral("*") << 0;
    QTest::newRow("Т") << QStringLiteral("Т") << 0;
    QTest::newRow("К") << QStringLiteral("К") << 1;
    QTest::newRow("ю") << QStringLiteral("ю") << 1;
    QTest::newRow("|") << QStringLiteral("|") << 2;
    QTest::newRow("Л") << QStringLiteral("Л") << 2;
    QTest::newRow("П") << QStringLiteral("П") << 3;
    QTest::newRow("Ы") << QStringLiteral("Ы") << 3;
    QTest::newRow("x") << QStringLiteral("x") << 3;
    QTest::newRow("Latin T is another text") << QStringLiteral("T") << 3;
}

void TestSourceType::entry()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QCOMPARE(sourceTypeFromText(text), type);
}

void TestSourceType::display()
{
    QCOMPARE(sourceTypeText(QVariant()), QStringLiteral("*"));
    QCOMPARE(sourceTypeText(0), QStringLiteral("*"));
    QCOMPARE(sourceTypeText(1), QStringLiteral("ю"));
    QCOMPARE(sourceTypeText(2), QStringLiteral("|"));
    QCOMPARE(sourceTypeText(3), QStringLiteral("Ы"));
    QCOMPARE(sourceTypeText(4), QString());
    QCOMPARE(sourceTypeText(-1), QString());
    for (int t = 0; t <= 3; ++t) QCOMPARE(sourceTypeFromText(sourceTypeText(t)), t);
}

AERIS_TEST(TestSubstCode)
AERIS_TEST(TestSourceType)
#include "tst_codes.moc"
