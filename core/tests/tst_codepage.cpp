#include "u_codepage.h"
#include "u_testregistry.h"

#include <QTest>

using namespace aeris::codepage;

class TestCodepage : public QObject {
    Q_OBJECT
private slots:
    void cp1251RoundTrip();
    void knownBytes_data();
    void knownBytes();
    void oemAnsi();
    void convertOemLatinI();
};

void TestCodepage::cp1251RoundTrip()
{
    const QString uk = QStringLiteral("Їжак ґанок Є є і І ё № «лапки» — тире");
    QCOMPARE(fromCp1251(toCp1251(uk)), uk);
    QCOMPARE(toCp1251(QStringLiteral("日")), QByteArray("?"));
}

void TestCodepage::knownBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("cp1251");
    QTest::addColumn<QByteArray>("cp866");
    QTest::newRow("А") << QStringLiteral("А") << QByteArray("\xC0") << QByteArray("\x80");
    QTest::newRow("я") << QStringLiteral("я") << QByteArray("\xFF") << QByteArray("\xEF");
    QTest::newRow("р") << QStringLiteral("р") << QByteArray("\xF0") << QByteArray("\xE0");
    QTest::newRow("Є") << QStringLiteral("Є") << QByteArray("\xAA") << QByteArray("\xF2");
    QTest::newRow("ї") << QStringLiteral("ї") << QByteArray("\xBF") << QByteArray("\xF5");
    QTest::newRow("ascii") << QStringLiteral("SO2 x=1") << QByteArray("SO2 x=1") << QByteArray("SO2 x=1");
}

void TestCodepage::knownBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, cp1251);
    QFETCH(QByteArray, cp866);
    QCOMPARE(toCp1251(text), cp1251);
    QCOMPARE(toCp866(text), cp866);
    QCOMPARE(fromCp866(cp866), text);
    QCOMPARE(oemToAnsi(cp866), cp1251);
    QCOMPARE(ansiToOem(cp1251), cp866);
}

void TestCodepage::oemAnsi()
{
    const QByteArray dos = toCp866(QStringLiteral("Діоксид азоту"));
    // The DOS page has no "і": it became the nearest Latin letter.
    QCOMPARE(fromCp866(dos), QStringLiteral("Дiоксид азоту"));
    QCOMPARE(fromCp1251(oemToAnsi(toCp866(QStringLiteral("Пил неорганічний")))), QStringLiteral("Пил неорганiчний"));
    QCOMPARE(fromCp866(ansiToOem(toCp1251(QStringLiteral("Ґрунт")))), QStringLiteral("Грунт"));
}

void TestCodepage::convertOemLatinI()
{
    QCOMPARE(convertOem(QByteArray(), true), QByteArray());
    QCOMPARE(convertOem(QByteArray(), false), QByteArray());
    const QByteArray ansi = toCp1251(QStringLiteral("Ізомер і ще"));
    const QByteArray oem = convertOem(ansi, true);
    QCOMPARE(oem, QByteArray("I") + toCp866(QStringLiteral("зомер")) + QByteArray(" i ") + toCp866(QStringLiteral("ще")));
    QCOMPARE(fromCp1251(convertOem(oem, false)), QStringLiteral("Iзомер i ще"));
}

AERIS_TEST(TestCodepage)
#include "tst_codepage.moc"
