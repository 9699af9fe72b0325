#include "u_codepage.h"
#include "u_testregistry.h"

#include <QTest>

using namespace aeris::codepage;

class TestCodepage : public QObject {
    Q_OBJECT
private slots:
    void roundTrip();
};

void TestCodepage::roundTrip()
{
    const QString uk = QStringLiteral("Їжак ґанок Є і І ё №");
    QCOMPARE(fromCp1251(toCp1251(uk)), uk);
}

AERIS_TEST(TestCodepage)
#include "tst_codepage.moc"
