#include "DBF.h"
#include "ond86.h"
#include "u_dbfmake.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <map>

using namespace aeris;

namespace {

using Record = std::map<int, QString>; // field number → value
using Files = std::map<QString, std::vector<Record>>;

// A task written by hand into the engine's input files, as the program's input set writes them.
struct Task {
    test::TempDir dir;
    Files files;

    Task()
    {
        files[QStringLiteral("city.dbf")] = {{{1, "1"}, {3, "25"}, {5, "7"}, {6, "200"}, {7, "90"}}};
        files[QStringLiteral("prom_pl.dbf")] = {{{1, "1"}, {2, "1"}, {4, "0"}, {5, "0"}, {6, "0"}}};
        files[QStringLiteral("substan.dbf")] = {{{1, "330"}, {3, "0.5"}, {4, "1"}}};
        files[QStringLiteral("f_r1.dbf")] = {{{1, "1"}, {3, "0"}, {4, "5"}, {16, "10"}}};
    }
    QString folder() const { return dir.file(QStringLiteral("FILES")); }
    QString ini() const { return dir.file(QStringLiteral("dispex.ini")); }
    void write()
    {
        QDir().mkpath(folder());
        QFile def(QStringLiteral(AERIS_ENGINE_DEF));
        QVERIFY(def.open(QIODevice::ReadOnly));
        for (const auto& [name, fields] : dbf::parseDefinitions(QString::fromUtf8(def.readAll()))) {
            if (name == QLatin1String("ras_dsx.dbf")) {
                dbf::makeTable(dir.file(name), fields);
                continue;
            }
            const QString path = QDir(folder()).filePath(name);
            dbf::makeTable(path, fields);
            dbf::TDBF t;
            t.setTableName(path);
            t.Open();
            for (const Record& rec : files[name]) {
                t.Append();
                for (const auto& [field, value] : rec) t.SetFieldData(field, value);
                t.Post();
            }
            t.Close();
        }
    }
    struct Run {
        int code;
        QString out;
    };
    Run run(const QStringList& extra = {})
    {
        write();
        QProcess p;
        p.start(test::builtProgramDir() + QStringLiteral("/utils/dispex"),
                QStringList{QStringLiteral("--batch"), QStringLiteral("--folder"), folder(), QStringLiteral("--ini"), ini(),
                            QStringLiteral("--template"), dir.file(QStringLiteral("ras_dsx.dbf"))} + extra);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
    }
    // (code, x, y) → the result record's fields
    std::vector<std::map<int, QString>> results()
    {
        std::vector<std::map<int, QString>> out;
        dbf::TDBF t;
        t.setTableName(QDir(folder()).filePath(QStringLiteral("ras_dsx.dbf")));
        t.Open();
        if (t.RecordCount() > 0) t.First();
        for (int r = 0; r < t.RecordCount(); ++r) {
            std::map<int, QString> rec;
            for (int f = 1; f <= t.FieldCount(); ++f) rec[f] = t.GetFieldData(f);
            out.push_back(rec);
            t.Next();
        }
        t.Close();
        return out;
    }
    void stack(int id, double x, double y, double gs, int code = 330)
    {
        // H 35 m, D 1.4 m, w0 7 m/s (V = 10.7757 m³/s), 125 °C: the method's reference stack.
        files[QStringLiteral("istochn.dbf")].push_back({{1, "1"}, {2, "1"}, {3, QString::number(id)}, {5, "444"}, {6, "1"},
                                                         {7, QString::number(x)}, {8, QString::number(y)}, {11, "35"}, {12, "1.4"},
                                                         {13, QString::number(M_PI * 1.4 * 1.4 * 7 / 4, 'f', 6)}, {14, "125"}});
        files[QStringLiteral("sostav.dbf")].push_back({{1, "1"}, {2, "1"}, {3, QString::number(id)}, {4, QString::number(code)},
                                                        {6, QString::number(gs)}});
    }
};

double number(const QString& s) { return QString(s).replace(u',', u'.').toDouble(); }

} // namespace

class TestDispex : public QObject {
    Q_OBJECT
private slots:
    void singleStackMaximumIsCm();
    void fieldsAddUp();
    void summationGroup();
    void badInputNamesTheFileAndWritesNothing();
    void protocolRun();
    void mapsArePictures();
    void splitSourcesConverge();
    void backgroundBySectorAndSpeed();
    void fiveLargestContributions();
};

void TestDispex::singleStackMaximumIsCm()
{
    Task t;
    t.stack(1, 0, 0, 12);
    ond86::Source s;
    s.M = 12;
    s.H = 35;
    s.D = 1.4;
    s.w0 = 7;
    s.dT = 100;
    const ond86::Maximum m = ond86::maximum(s);
    // A receptor at xm from the stack; the search is given the dangerous speed.
    t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, QString::number(m.xm * std::cos(0.3), 'f', 4)}, {3, QString::number(m.xm * std::sin(0.3), 'f', 4)}}};
    t.files[QStringLiteral("f_r1.dbf")][0][6] = QString::number(m.um, 'f', 2);
    QFile ini(t.ini());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Calculation]\nDangerousSector=1\n");
    ini.close();
    const Task::Run r = t.run();
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("progress 100")));
    const auto res = t.results();
    QCOMPARE(res.size(), size_t(1));
    QCOMPARE(res[0].at(1), QStringLiteral("2"));
    QCOMPARE(res[0].at(3), QStringLiteral("330"));
    const double mg = number(res[0].at(9));
    QVERIFY2(std::fabs(mg - m.Cm) / m.Cm < 2e-3, qPrintable(QStringLiteral("%1 vs %2").arg(mg).arg(m.Cm)));
    QVERIFY(std::fabs(number(res[0].at(10)) - mg / 0.5) < 1e-4);
    QCOMPARE(res[0].at(14), QStringLiteral("1"));
    QCOMPARE(number(res[0].at(15)), 100.0);
}

void TestDispex::fieldsAddUp()
{
    // Two stacks in one place give twice the field of one.
    auto field = [](int stacks) {
        Task t;
        for (int i = 1; i <= stacks; ++i) t.stack(i, 0, 0, 5);
        t.files[QStringLiteral("f_r5.dbf")] = {{{1, "1"}, {2, "0"}, {3, "0"}, {4, "2000"}, {5, "2000"}, {6, "0"}, {7, "500"}, {8, "500"}}};
        const Task::Run r = t.run();
        std::vector<double> v;
        if (r.code != 0) return v;
        for (const auto& rec : t.results()) v.push_back(number(rec.at(9)));
        return v;
    };
    const std::vector<double> one = field(1), two = field(2);
    QCOMPARE(one.size(), size_t(25));
    QCOMPARE(two.size(), one.size());
    double peak = 0;
    for (size_t i = 0; i < one.size(); ++i) {
        QVERIFY(std::fabs(two[i] - 2 * one[i]) <= 1e-6 * std::max(1.0, two[i]));
        peak = std::max(peak, one[i]);
    }
    QVERIFY(peak > 0);
}

void TestDispex::summationGroup()
{
    Task t;
    t.stack(1, 0, 0, 2, 330);
    t.stack(1, 0, 0, 1, 301);
    t.files[QStringLiteral("substan.dbf")].push_back({{1, "301"}, {3, "0.2"}, {4, "1"}});
    t.files[QStringLiteral("istochn.dbf")].pop_back(); // one stack emits both
    t.files[QStringLiteral("gr_summ.dbf")] = {{{1, "6204"}, {2, "301"}, {3, "330"}, {12, "1"}}};
    t.files[QStringLiteral("f_r3.dbf")] = {{{1, "330"}}, {{1, "301"}}};
    t.files[QStringLiteral("f_r4.dbf")] = {{{1, "6204"}}};
    t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "400"}, {3, "0"}}};
    t.files[QStringLiteral("f_r1.dbf")][0][17] = QStringLiteral("270"); // wind from the west: the plume goes east
    const Task::Run r = t.run();
    QVERIFY2(r.code == 0, qPrintable(r.out));
    const auto res = t.results();
    QCOMPARE(res.size(), size_t(3));
    const double so2 = number(res[0].at(10)), no2 = number(res[1].at(10)), group = number(res[2].at(10));
    QVERIFY(so2 > 0 && no2 > 0);
    QCOMPARE(res[2].at(3), QStringLiteral("6204"));
    QVERIFY(res[2].at(9).isEmpty()); // no mg/m³ for a group
    QVERIFY2(std::fabs(group - (so2 + no2)) < 1e-5, qPrintable(QStringLiteral("%1 %2 %3").arg(so2).arg(no2).arg(group)));
}

void TestDispex::badInputNamesTheFileAndWritesNothing()
{
    {
        Task t;
        t.stack(1, 0, 0, 1);
        t.files[QStringLiteral("f_r5.dbf")] = {{{1, "1"}, {2, "0"}, {3, "0"}, {4, "100"}, {5, "100"}, {7, "0"}, {8, "10"}}};
        const Task::Run r = t.run();
        QVERIFY(r.code != 0);
        QVERIFY2(r.out.contains(QStringLiteral("error f_r5.dbf, record 1")), qPrintable(r.out));
        QVERIFY(!QFile::exists(QDir(t.folder()).filePath(QStringLiteral("ras_dsx.dbf"))));
    }
    {
        Task t;
        t.stack(1, 0, 0, 1);
        t.write();
        QFile::remove(QDir(t.folder()).filePath(QStringLiteral("sostav.dbf")));
        QProcess p;
        p.start(test::builtProgramDir() + QStringLiteral("/utils/dispex"),
                {QStringLiteral("--batch"), QStringLiteral("--folder"), t.folder(), QStringLiteral("--ini"), t.ini()});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(p.exitCode() != 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("error ")));
    }
    {
        Task t;
        t.stack(1, 0, 0, 1);
        t.files[QStringLiteral("istochn.dbf")][0][11] = QStringLiteral("abc"); // refused by the writer already
        QVERIFY_THROWS_EXCEPTION(dbf::ED, t.write());
    }
}

void TestDispex::protocolRun()
{
    Task t;
    t.stack(1, 0, 0, 3);
    t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "500"}, {3, "0"}}};
    t.write();
    QProcess p;
    p.start(test::builtProgramDir() + QStringLiteral("/utils/dispex"),
            {QStringLiteral("--folder"), t.folder(), QStringLiteral("--ini"), t.ini(), QStringLiteral("--template"), t.dir.file(QStringLiteral("ras_dsx.dbf"))});
    QVERIFY(p.waitForStarted());
    QString seen;
    auto waitFor = [&](const QString& line) {
        for (int i = 0; i < 200 && !seen.contains(line); ++i) {
            p.waitForReadyRead(100);
            seen += QString::fromUtf8(p.readAllStandardOutput());
        }
        return seen.contains(line);
    };
    QVERIFY(waitFor(QStringLiteral("window Диспекс\n")));
    p.write("calc\n");
    QVERIFY(waitFor(QStringLiteral("control Основной расчет OK disabled\n"))); // nothing loaded yet
    p.write("open\n");
    QVERIFY(waitFor(QStringLiteral("control Открытие файла ОК enabled\n")));
    p.write("press Открытие файла ОК\n");
    QVERIFY(waitFor(QStringLiteral("closed Открытие файла\n")));
    p.write("calc\n");
    QVERIFY(waitFor(QStringLiteral("control Основной расчет OK enabled\n")));
    p.write("press Основной расчет OK\n");
    QVERIFY(waitFor(QStringLiteral("closed Основной расчет\n")));
    QVERIFY(seen.contains(QStringLiteral("progress 100")));
    QVERIFY(QFile::exists(QDir(t.folder()).filePath(QStringLiteral("ras_dsx.dbf"))));
    p.write("close Диспекс\n");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);
}

void TestDispex::mapsArePictures()
{
    Task t;
    t.stack(1, -300, 0, 12);
    t.stack(2, 400, 300, 6);
    t.files[QStringLiteral("f_r5.dbf")] = {{{1, "7"}, {2, "0"}, {3, "0"}, {4, "12000"}, {5, "8000"}, {6, "0"}, {7, "200"}, {8, "200"}}};
    t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "-800"}, {3, "-600"}, {4, "1"}}, {{1, "2"}, {2, "900"}, {3, "-600"}, {4, "1"}},
                                             {{1, "3"}, {2, "900"}, {3, "700"}, {4, "1"}}, {{1, "4"}, {2, "-800"}, {3, "700"}, {4, "1"}}};
    QFile ini(t.ini());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Map]\nMark=1\nZone=1\n");
    ini.close();
    const Task::Run r = t.run();
    QVERIFY2(r.code == 0, qPrintable(r.out));
    const QString bmp = QDir(t.folder()).filePath(QStringLiteral("7_330.bmp"));
    QVERIFY2(r.out.contains(QStringLiteral("map ") + bmp), qPrintable(r.out));
    QFile f(bmp);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(54);
    QCOMPARE(head.left(2), QByteArray("BM"));
    QCOMPARE(int(head[28]), 24);
    if (!qEnvironmentVariableIsEmpty("AERIS_KEEP_MAP")) {
        QFile::copy(bmp, qEnvironmentVariable("AERIS_KEEP_MAP"));
        QFile::copy(QDir(t.folder()).filePath(QStringLiteral("ras_dsx.dbf")), qEnvironmentVariable("AERIS_KEEP_MAP") + QStringLiteral(".dbf"));
    }
    // The vector form of the same map.
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Map]\nFormat=1\n");
    ini.close();
    QVERIFY(t.run().code == 0);
    QFile dxf(QDir(t.folder()).filePath(QStringLiteral("7_330.dxf")));
    QVERIFY(dxf.open(QIODevice::ReadOnly));
    const QByteArray text = dxf.readAll();
    QVERIFY(text.startsWith("0\nSECTION\n2\nENTITIES\n"));
    QVERIFY(text.contains("ISO_0.05"));
    QVERIFY(text.endsWith("0\nEOF\n"));
}

void TestDispex::splitSourcesConverge()
{
    // A linear and an area source: the field changes less and less as the split is refined.
    auto field = [](const char* model, int parts) {
        Task t;
        t.files[QStringLiteral("istochn.dbf")].push_back({{1, "1"}, {2, "1"}, {3, "1"}, {5, QString::fromLatin1(model)}, {6, "1"},
                                                           {7, "0"}, {8, "0"}, {9, "400"}, {10, "200"}, {11, "5"}, {12, "0"}, {13, "2"}, {14, "20"}});
        t.files[QStringLiteral("sostav.dbf")].push_back({{1, "1"}, {2, "1"}, {3, "1"}, {4, "330"}, {6, "1"}});
        t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "700"}, {3, "150"}}, {{1, "2"}, {2, "-300"}, {3, "500"}}};
        QFile ini(t.ini());
        ini.open(QIODevice::WriteOnly);
        ini.write(QByteArray("[Calculation]\nDangerousSector=1\nMaxParts=") + QByteArray::number(parts) + "\n");
        ini.close();
        std::vector<double> v;
        if (t.run().code != 0) return v;
        for (const auto& rec : t.results()) v.push_back(number(rec.at(9)));
        return v;
    };
    for (const char* model : {"555", "30"}) { // a line from (0,0) to (400,200); an area 400 × 200 m turned by 30°
        const std::vector<double> coarse = field(model, 25), fine = field(model, 100), finest = field(model, 400);
        QCOMPARE(finest.size(), size_t(2));
        for (size_t i = 0; i < finest.size(); ++i) {
            QVERIFY(finest[i] > 0);
            const double d1 = std::fabs(coarse[i] - finest[i]), d2 = std::fabs(fine[i] - finest[i]);
            QVERIFY2(d2 <= d1 + 1e-12 && d2 / finest[i] < 0.02,
                     qPrintable(QStringLiteral("%1: %2 %3 %4").arg(QLatin1String(model)).arg(coarse[i]).arg(fine[i]).arg(finest[i])));
        }
    }
}

void TestDispex::backgroundBySectorAndSpeed()
{
    auto run = [](const char* speed, const char* fromDir) {
        Task t;
        t.stack(1, 0, 0, 0.001); // a negligible plant
        t.files[QStringLiteral("f_r1.dbf")][0][3] = QStringLiteral("1");
        t.files[QStringLiteral("f_r1.dbf")][0][6] = QString::fromLatin1(speed);
        t.files[QStringLiteral("f_r1.dbf")][0][17] = QString::fromLatin1(fromDir);
        Record fon{{1, "1"}, {2, "330"}, {3, "0"}, {6, "0.1"}};
        for (int k = 0; k < 8; ++k) fon[7 + k] = QString::number(0.2 + 0.01 * k); // N 0.20, NE 0.21, … NW 0.27
        t.files[QStringLiteral("fon.dbf")] = {fon};
        t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "5000"}, {3, "5000"}}};
        t.run();
        const auto res = t.results();
        return res.empty() ? -1.0 : number(res[0].at(13));
    };
    QVERIFY(std::fabs(run("1", "0") - 0.1) < 1e-6);      // calm: u ≤ 2 m/s
    QVERIFY(std::fabs(run("5", "0") - 0.20) < 1e-6);     // north
    QVERIFY(std::fabs(run("5", "90") - 0.22) < 1e-6);    // east
    QVERIFY(std::fabs(run("5", "22.5") - 0.21) < 1e-6);  // on the edge: the clockwise sector
    QVERIFY(std::fabs(run("5", "315") - 0.27) < 1e-6);   // north-west
}

void TestDispex::fiveLargestContributions()
{
    Task t;
    for (int i = 1; i <= 6; ++i) t.stack(i, -50.0 * i, 0, double(i)); // larger emissions further west
    t.files[QStringLiteral("f_r1.dbf")][0][17] = QStringLiteral("270");
    t.files[QStringLiteral("f_r51.dbf")] = {{{1, "1"}, {2, "500"}, {3, "0"}}};
    QVERIFY(t.run().code == 0);
    const auto res = t.results();
    QCOMPARE(res.size(), size_t(1));
    double total = 0, last = 101;
    std::vector<int> seen;
    for (int slot : {14, 19, 24, 29, 34}) {
        const int src = res[0].at(slot).toInt();
        const double share = number(res[0].at(slot + 1));
        QVERIFY(src >= 1 && src <= 6);
        QVERIFY(share <= last); // sorted by share
        last = share;
        total += share;
        seen.push_back(src);
    }
    QVERIFY(total < 100 && total > 80); // the sixth source has the rest
    QVERIFY(std::find(seen.begin(), seen.end(), 6) != seen.end());
}

AERIS_TEST(TestDispex)
#include "tst_dispex.moc"
