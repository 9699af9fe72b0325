#include "u_files.h"
#include "u_paths.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDir>
#include <QTest>

using namespace aeris;

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    void namesMatchWithoutCase();
    void windowsRelativeNames();
    void copyNeverOverwrites();
};

void TestFiles::namesMatchWithoutCase()
{
    test::TempDir dir;
    dir.write(QStringLiteral("aer.dat/INVENT.FDB"), "x");
    const QString data = dir.file(QStringLiteral("aer.dat"));
    QCOMPARE(files::findNoCase(data, QStringLiteral("invent.fdb")), data + QStringLiteral("/INVENT.FDB"));
    QCOMPARE(files::findNoCase(data, QStringLiteral("ovns.fdb")), data + QStringLiteral("/ovns.fdb"));
    QVERIFY(files::existsNoCase(dir.path(), QStringLiteral("AER.DAT\\invent.FDB")));
    QVERIFY(!files::existsNoCase(dir.path(), QStringLiteral("aer.dat\\calc.fdb")));
}

void TestFiles::windowsRelativeNames()
{
    test::TempDir dir;
    dir.write(QStringLiteral("Проект/aer.dat/OBJ.FDB"), "x");
    const QString base = dir.file(QStringLiteral("Проект"));
    QCOMPARE(files::resolve(base, QStringLiteral("aer.dat\\obj.fdb")), base + QStringLiteral("/aer.dat/OBJ.FDB"));
    QCOMPARE(files::resolve(base, QStringLiteral("\\out\\Таб.rtf")), base + QStringLiteral("/out/Таб.rtf"));
    AppPaths paths(dir.path());
    paths.setProjectDir(base);
    QCOMPARE(paths.projectDataDir(), base + QStringLiteral("/aer.dat"));
    QCOMPARE(paths.programFile(QStringLiteral("Data\\OBJ.FDB")), dir.path() + QStringLiteral("/Data/OBJ.FDB"));
}

void TestFiles::copyNeverOverwrites()
{
    test::TempDir dir;
    dir.write(QStringLiteral("a"), "new");
    dir.write(QStringLiteral("b"), "old");
    QVERIFY(files::copyIfAbsent(dir.file(QStringLiteral("a")), dir.file(QStringLiteral("b"))));
    QCOMPARE(dir.read(QStringLiteral("b")), QByteArray("old"));
    QVERIFY(files::copyIfAbsent(dir.file(QStringLiteral("a")), dir.file(QStringLiteral("c"))));
    QCOMPARE(dir.read(QStringLiteral("c")), QByteArray("new"));
    QVERIFY(!files::copyIfAbsent(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("d"))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
}

AERIS_TEST(TestFiles)
#include "tst_files.moc"
