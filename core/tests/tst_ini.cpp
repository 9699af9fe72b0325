#include "u_codepage.h"
#include "u_error.h"
#include "u_ini.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QFileInfo>
#include <QTest>

using namespace aeris;

class TestIni : public QObject {
    Q_OBJECT
private slots:
    void missingFileReadsEmptyAndIsCreatedOnWrite();
    void cyrillicRoundTripIsCp1251OnDisk();
    void matchingIgnoresCase();
    void garbageLinesSurviveAndNoFinalNewline();
    void sectionsInFileOrderAndErase();
    void valuesAreTrimmedAndUnquoted();
    void unwritableFileThrowsAndKeepsOld();
};

void TestIni::missingFileReadsEmptyAndIsCreatedOnWrite()
{
    test::TempDir dir;
    IniFile ini(dir.file(QStringLiteral("obj.ini")));
    QCOMPARE(ini.readString(QStringLiteral("OBJ"), QStringLiteral("BaseYear"), QStringLiteral("x")), QStringLiteral("x"));
    QCOMPARE(ini.readInteger(QStringLiteral("OBJ"), QStringLiteral("BaseYear"), 7), 7);
    QVERIFY(ini.sections().isEmpty());
    QVERIFY(!QFileInfo::exists(ini.path()));
    ini.writeInteger(QStringLiteral("OBJ"), QStringLiteral("BaseYear"), 2026);
    QCOMPARE(dir.read(QStringLiteral("obj.ini")), QByteArray("[OBJ]\r\nBaseYear=2026\r\n"));
    QCOMPARE(ini.readInteger(QStringLiteral("obj"), QStringLiteral("baseyear")), 2026);
}

void TestIni::cyrillicRoundTripIsCp1251OnDisk()
{
    test::TempDir dir;
    IniFile ini(dir.file(QStringLiteral("a.ini")));
    ini.writeString(QStringLiteral("ОБ'ЄКТ"), QStringLiteral("Назва"), QStringLiteral("Завод «Ґраніт» №1"));
    QCOMPARE(ini.readString(QStringLiteral("об'єкт"), QStringLiteral("НАЗВА")), QStringLiteral("Завод «Ґраніт» №1"));
    const QByteArray bytes = dir.read(QStringLiteral("a.ini"));
    QCOMPARE(bytes, codepage::toCp1251(QStringLiteral("[ОБ'ЄКТ]\r\nНазва=Завод «Ґраніт» №1\r\n")));
    // A value with a line break cannot split the line.
    ini.writeString(QStringLiteral("ОБ'ЄКТ"), QStringLiteral("Коментар"), QStringLiteral("два\r\nрядки"));
    QCOMPARE(ini.readString(QStringLiteral("ОБ'ЄКТ"), QStringLiteral("Коментар")), QStringLiteral("два  рядки"));
    QCOMPARE(ini.sectionKeys(QStringLiteral("ОБ'ЄКТ")), (QStringList{QStringLiteral("Назва"), QStringLiteral("Коментар")}));
}

void TestIni::matchingIgnoresCase()
{
    test::TempDir dir;
    dir.write(QStringLiteral("h.ini"), "[Object]\nName=One\n");
    IniFile ini(dir.file(QStringLiteral("h.ini")));
    ini.writeString(QStringLiteral("OBJECT"), QStringLiteral("NAME"), QStringLiteral("Two"));
    // The spelling of the file stays; no second section or key appears.
    QCOMPARE(dir.read(QStringLiteral("h.ini")), QByteArray("[Object]\r\nName=Two\r\n"));
    QVERIFY(ini.sectionExists(QStringLiteral("object")));
    QVERIFY(ini.valueExists(QStringLiteral("object"), QStringLiteral("name")));
}

void TestIni::garbageLinesSurviveAndNoFinalNewline()
{
    test::TempDir dir;
    dir.write(QStringLiteral("g.ini"), "; comment\r\n[A]\r\nnot a key line\r\nx=1\r\n\r\n[B]\r\ny=2");
    IniFile ini(dir.file(QStringLiteral("g.ini")));
    QCOMPARE(ini.readString(QStringLiteral("B"), QStringLiteral("y")), QStringLiteral("2"));
    QCOMPARE(ini.readString(QStringLiteral("A"), QStringLiteral("not a key line")), QString());
    ini.writeString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
    QCOMPARE(dir.read(QStringLiteral("g.ini")),
             QByteArray("; comment\r\n[A]\r\nnot a key line\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"));
}

void TestIni::sectionsInFileOrderAndErase()
{
    test::TempDir dir;
    dir.write(QStringLiteral("s.ini"), "[C]\na=1\n[A]\nb=2\n[B]\nc=3\n");
    IniFile ini(dir.file(QStringLiteral("s.ini")));
    QCOMPARE(ini.sections(), (QStringList{QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("B")}));
    ini.eraseSection(QStringLiteral("a"));
    QCOMPARE(ini.sections(), (QStringList{QStringLiteral("C"), QStringLiteral("B")}));
    QCOMPARE(ini.readString(QStringLiteral("A"), QStringLiteral("b")), QString());
    ini.deleteKey(QStringLiteral("C"), QStringLiteral("A"));
    QVERIFY(ini.sectionKeys(QStringLiteral("C")).isEmpty());
}

void TestIni::valuesAreTrimmedAndUnquoted()
{
    test::TempDir dir;
    dir.write(QStringLiteral("v.ini"), "[S]\n  key  =  spaced value  \nq=\"quoted\"\nn= 12x\n");
    IniFile ini(dir.file(QStringLiteral("v.ini")));
    QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("key")), QStringLiteral("spaced value"));
    QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("q")), QStringLiteral("quoted"));
    QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("n"), -1), -1);
}

void TestIni::unwritableFileThrowsAndKeepsOld()
{
    test::TempDir dir;
    IniFile ini(dir.file(QStringLiteral("no/such/folder/x.ini")));
    QVERIFY_THROWS_EXCEPTION(IoError, ini.writeString(QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")));
    QVERIFY(!QFileInfo::exists(ini.path()));
}

AERIS_TEST(TestIni)
#include "tst_ini.moc"
