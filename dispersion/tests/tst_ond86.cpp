#include "ond86.h"
#include "u_testregistry.h"

#include <QTest>
#include <cmath>

namespace {

bool near(double a, double b, double tol) { return std::fabs(a - b) <= tol; }

} // namespace

class TestOnd86 : public QObject {
    Q_OBJECT
private slots:
    void hotStackReference();
    void secondReference();
    void speedFactors_data();
    void speedFactors();
    void axisAndCrossShapes();
    void branchesMeet();
};

void TestOnd86::hotStackReference()
{
    ond86::Source s;
    s.M = 12;
    s.H = 35;
    s.D = 1.4;
    s.w0 = 7;
    s.dT = 100;
    s.A = 200;
    const ond86::Maximum m = ond86::maximum(s);
    QVERIFY2(near(m.V1, 10.78, 0.005), qPrintable(QString::number(m.V1)));
    QVERIFY(near(m.f, 0.560, 0.0005));
    QVERIFY(near(m.vm, 2.04, 0.005));
    QVERIFY(m.hot);
    QVERIFY(near(m.d, 12.30, 0.005));
    QVERIFY2(near(m.xm, 430, 1), qPrintable(QString::number(m.xm)));
    QVERIFY2(near(m.Cm, 0.1864, 0.00005), qPrintable(QString::number(m.Cm, 'g', 8)));
    QVERIFY(near(m.um, 2.22, 0.005));
    QVERIFY(near(ond86::s1(3000 / m.xm, s.F, m.H), 0.154, 0.0005));
    s.eta = 1.8;
    QVERIFY(near(ond86::maximum(s).Cm, 0.34, 0.005));
}

void TestOnd86::secondReference()
{
    ond86::Source s;
    s.M = 1.16978;
    s.H = 15;
    s.D = 0.35;
    s.w0 = 25;
    s.dT = 300;
    s.A = 140;
    const ond86::Maximum m = ond86::maximum(s);
    QVERIFY2(near(m.Cm, 0.0600, 0.00005), qPrintable(QString::number(m.Cm, 'g', 8)));
    QVERIFY2(near(m.xm, 228.3, 0.05), qPrintable(QString::number(m.xm, 'g', 8)));
    QVERIFY(near(ond86::s1(600 / m.xm, s.F, m.H), 0.595, 0.0005));
}

void TestOnd86::speedFactors_data()
{
    QTest::addColumn<double>("k");
    QTest::addColumn<double>("r");
    QTest::addColumn<double>("p");
    QTest::newRow("0.1") << 0.1 << 0.0824 << 3.0;
    QTest::newRow("0.5") << 0.5 << 0.5850 << 1.2634;
    QTest::newRow("1.5") << 1.5 << 0.9000 << 1.16;
    QTest::newRow("3") << 3.0 << 0.5294 << 1.64;
}

void TestOnd86::speedFactors()
{
    QFETCH(double, k);
    QFETCH(double, r);
    QFETCH(double, p);
    QVERIFY2(near(ond86::r(k), r, 0.00005), qPrintable(QString::number(ond86::r(k), 'g', 8)));
    QVERIFY2(near(ond86::p(k), p, 0.00005), qPrintable(QString::number(ond86::p(k), 'g', 8)));
    QVERIFY(near(ond86::r(1), 1, 1e-12)); // at the dangerous speed the maximum is Cm itself
}

void TestOnd86::axisAndCrossShapes()
{
    const double q[] = {0.149, 0.298, 0.597, 1.19, 2.98};
    const double s[] = {0.108, 0.345, 0.817, 0.954, 0.524};
    for (int i = 0; i < 5; ++i)
        QVERIFY2(near(ond86::s1(q[i], 1, 35), s[i], 0.0005), qPrintable(QString::number(ond86::s1(q[i], 1, 35))));
    QVERIFY(near(ond86::s1(1, 1, 35), 1, 1e-12));
    QVERIFY(near(ond86::s2(1, 1000, 200), 0.67001, 0.000005));
    QVERIFY(near(ond86::s2(3, 1000, 200), 0.30089, 0.000005));
    QVERIFY(near(ond86::s2(5, 1000, 200), 0.13515, 0.000005));
    QVERIFY(near(ond86::s2(9, 1000, 200), 0.13515, 0.000005));
    // A low source: near the mouth the corrected shape keeps a floor.
    QVERIFY(near(ond86::s1(0, 1, 2), 1.0, 1e-12));
    QVERIFY(near(ond86::s1(0, 1, 6), 0.5, 1e-12));
}

void TestOnd86::branchesMeet()
{
    // The ordinary hot formula and the very-low-speed one meet at vm = 0.5.
    ond86::Source s;
    s.M = 1;
    s.H = 20;
    s.dT = 50;
    s.D = 0.5;
    // Find w0 where vm = 0.5: vm = 0.65·∛(π D² w0/4 · ΔT / H).
    const double v1 = std::pow(0.5 / 0.65, 3) * s.H / s.dT;
    s.w0 = v1 * 4 / (M_PI * s.D * s.D);
    const ond86::Maximum at = ond86::maximum(s);
    QVERIFY(near(at.vm, 0.5, 1e-9));
    ond86::Source below = s;
    below.w0 *= 0.999999;
    const double lo = ond86::maximum(below).Cm, hi = at.Cm;
    QVERIFY2(std::fabs(lo - hi) / hi < 1e-3, qPrintable(QStringLiteral("%1 %2").arg(lo).arg(hi)));
}

AERIS_TEST(TestOnd86)
#include "tst_ond86.moc"
