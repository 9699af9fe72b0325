#include "DBF.h"
#include "u_codepage.h"
#include "u_dbfmake.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDate>
#include <QLocale>
#include <QTest>

using namespace aeris;
using namespace aeris::dbf;

namespace {

// NAME C20, DAY D8, VALUE N8.2, FLAG L1
QString makeSample(const test::TempDir& dir, const QString& name = QStringLiteral("t.dbf"), unsigned char cp = 0x57)
{
    const QString path = dir.file(name);
    makeTable(path, {{"NAME", 'C', 20}, {"DAY", 'D', 8}, {"VALUE", 'N', 8, 2}, {"FLAG", 'L', 1}}, cp);
    return path;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ED& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

struct LocaleScope {
    explicit LocaleScope(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

class TestDbf : public QObject {
    Q_OBJECT
private slots:
    void layoutFromTheHeader();
    void writeAndReadBack();
    void dates_data();
    void dates();
    void numbersInBothLocales();
    void logicalValues();
    void sizeAndPositionMessages();
    void emptyAppendNext();
    void dosCodePage();
    void exclusiveAndLimits();
    void templateDefinitions();
};

void TestDbf::layoutFromTheHeader()
{
    test::TempDir d;
    const QString path = makeSample(d);
    QByteArray bytes = d.read(QStringLiteral("t.dbf"));
    QCOMPARE(bytes.size(), 32 * 5 + 1 + 1);
    TDBF t;
    t.setTableName(path);
    t.Open();
    QCOMPARE(t.FieldCount(), 4);
    QCOMPARE(t.RecordCount(), 0);
    QCOMPARE(t.RecNo(), 0);
    QCOMPARE(t.fieldInfo(3).decimals, 2);
    t.Close();
    // Extra bytes before the records still count ⌊header length ÷ 32⌋ − 1 fields.
    bytes[8] = char((32 * 5 + 1 + 20) & 0xFF);
    bytes.insert(32 * 5 + 1, QByteArray(20, '\0'));
    d.write(QStringLiteral("x.dbf"), bytes);
    t.setTableName(d.file(QStringLiteral("x.dbf")));
    t.Open();
    QCOMPARE(t.FieldCount(), 4);
    t.Close();
    QCOMPARE(errorOf([&] { t.setTableName(d.file(QStringLiteral("x.txt"))); }), QStringLiteral("TableName: Недопустимый тип файла"));
    t.setTableName(d.file(QStringLiteral("none.DBF")));
    QCOMPARE(errorOf([&] { t.Open(); }), QStringLiteral("Open: Не найден файл ") + d.file(QStringLiteral("none.DBF")));
    QCOMPARE(errorOf([&] { t.Close(); }), QStringLiteral("Close: Файл не открыт"));
}

void TestDbf::writeAndReadBack()
{
    test::TempDir d;
    const QString path = makeSample(d);
    TDBF t;
    t.setTableName(path);
    t.Open();
    t.setCodePage(0);
    t.EmptyTable();
    const char* names[] = {"Труба котельні", "Ґанок «Є»", "SO2 {x}"};
    for (int i = 0; i < 3; ++i) {
        t.Append();
        t.SetFieldData(1, QString::fromUtf8(names[i]));
        t.SetFieldData(3, QString::number(i + 1) + QStringLiteral(".25"));
        t.Post();
    }
    QCOMPARE(errorOf([&] { t.setTableName(path); }), QStringLiteral("TableName: Это свойство нельзя изменять, если файл открыт"));
    t.Close();
    t.Open();
    QCOMPARE(t.RecordCount(), 3);
    QStringList got;
    t.First();
    for (int i = 0; i < t.RecordCount(); ++i) {
        got << t.GetFieldData(1) + u'|' + t.GetFieldData(3);
        t.Next();
    }
    QCOMPARE(got, (QStringList{QStringLiteral("Труба котельні|1.25"), QStringLiteral("Ґанок «Є»|2.25"), QStringLiteral("SO2 {x}|3.25")}));
    QCOMPARE(errorOf([&] { t.GetFieldData(5); }), QStringLiteral("GetFieldData: Неверный номер поля: 5"));
    QCOMPARE(errorOf([&] { t.Open(); }), QStringLiteral("Open: Необходимо закрыть открытый файл"));
    t.Close();
}

void TestDbf::dates_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("2007") << "31.12.07" << QByteArray("20071231");
    QTest::newRow("51 is 1951") << "01.01.51" << QByteArray("19510101");
    QTest::newRow("50 is 2050") << "01.01.50" << QByteArray("20500101");
}

void TestDbf::dates()
{
    QFETCH(QString, entered);
    QFETCH(QByteArray, stored);
    test::TempDir d;
    TDBF t;
    t.setTableName(makeSample(d));
    t.Open();
    t.Append();
    t.SetFieldData(2, entered);
    t.Post();
    QCOMPARE(t.GetFieldData(2), entered);
    t.Close();
    QVERIFY(d.read(QStringLiteral("t.dbf")).contains(stored));
    t.Open();
    QCOMPARE(errorOf([&] { t.SetFieldData(2, QStringLiteral("32.01.07")); }), QStringLiteral("SetFieldData: Ошибка данных - Ряд: 1, Поле: 2"));
    t.Close();
}

void TestDbf::numbersInBothLocales()
{
    test::TempDir d;
    TDBF t;
    t.setTableName(makeSample(d));
    t.Open();
    t.Append();
    {
        LocaleScope uk("uk_UA");
        for (const char* v : {"3.5", "3,5"}) {
            t.SetFieldData(3, QString::fromLatin1(v));
            t.Post();
            QCOMPARE(t.GetFieldData(3), QStringLiteral("3,50"));
        }
    }
    {
        LocaleScope c("C");
        t.SetFieldData(3, QStringLiteral("12.5"));
        t.Post();
        QCOMPARE(t.GetFieldData(3), QStringLiteral("12.50"));
        QCOMPARE(errorOf([&] { t.SetFieldData(3, QStringLiteral("abc")); }), QStringLiteral("SetFieldData: Ошибка данных - Ряд: 1, Поле: 3"));
    }
    t.Close();
    QVERIFY(d.read(QStringLiteral("t.dbf")).contains("   12.50"));
    // Four blanks and 3.50 in a field of 8 with 2 decimals.
    t.Open();
    t.SetFieldData(3, QStringLiteral("3.5"));
    t.Post();
    t.Close();
    QVERIFY(d.read(QStringLiteral("t.dbf")).contains("    3.50"));
}

void TestDbf::logicalValues()
{
    test::TempDir d;
    TDBF t;
    t.setTableName(makeSample(d));
    t.Open();
    t.Append();
    const std::pair<const char*, const char*> cases[] = {{"True", "True"}, {"yes", "True"}, {"no", "False"}, {"x", ""}}; // "x" stores a blank, which reads as an empty field
    for (const auto& [in, out] : cases) {
        t.SetFieldData(4, QString::fromLatin1(in));
        QCOMPARE(t.GetFieldData(4), QString::fromLatin1(out));
    }
    QCOMPARE(errorOf([&] { t.SetFieldData(4, QStringLiteral("maybe")); }),
             QStringLiteral("SetFieldData: Недопустимый размер данных\rРяд: 1, Поле: 4"));
    t.Close();
}

void TestDbf::sizeAndPositionMessages()
{
    test::TempDir d;
    TDBF t;
    t.setTableName(makeSample(d));
    t.Open();
    QCOMPARE(errorOf([&] { t.First(); }), QStringLiteral("First: В файле нет записей"));
    QCOMPARE(errorOf([&] { t.Next(); }), QStringLiteral("Next: В файле нет записей"));
    QCOMPARE(errorOf([&] { t.Last(); }), QStringLiteral("Last: В файле нет записей"));
    t.Append();
    QCOMPARE(errorOf([&] { t.SetFieldData(1, QString(21, u'ж')); }),
             QStringLiteral("SetFieldData: Недопустимый размер данных\rРяд: 1, Поле: 1"));
    QCOMPARE(errorOf([&] { t.SetFieldData(9, QStringLiteral("x")); }), QStringLiteral("SetFieldData: Неверный номер поля: 9"));
    t.SetFieldData(1, QStringLiteral("trailing   \t"));
    QCOMPARE(t.GetFieldData(1), QStringLiteral("trailing"));
    t.Close();
}

void TestDbf::emptyAppendNext()
{
    test::TempDir d;
    TDBF t;
    t.setTableName(makeSample(d));
    t.Open();
    t.Append();
    QCOMPARE(t.RecNo(), 1);
    for (int f = 1; f <= 4; ++f) QCOMPARE(t.GetFieldData(f), QString());
    t.SetFieldData(1, QStringLiteral("один"));
    t.Append(); // writes the first record back first
    t.SetFieldData(1, QStringLiteral("два"));
    t.Post();
    t.Next(); // on the last record: nothing
    QCOMPARE(t.RecNo(), 2);
    QCOMPARE(t.GetFieldData(1), QStringLiteral("два"));
    t.First();
    QCOMPARE(t.GetFieldData(1), QStringLiteral("один"));
    t.EmptyTable();
    t.Close();
    const QByteArray bytes = d.read(QStringLiteral("t.dbf"));
    QCOMPARE(bytes.size(), 32 * 5 + 1 + 1);
    QCOMPARE(bytes.back(), '\x1A');
    QCOMPARE(bytes.mid(4, 4), QByteArray(4, '\0'));
    const QDate today = QDate::currentDate();
    QCOMPARE(int(quint8(bytes[1])), today.year() - 1900);
    QCOMPARE(int(quint8(bytes[3])), today.day());
    QVERIFY(!QFile::exists(d.file(QStringLiteral("~~Kelp~~.tmp"))));
    // Records whose deletion flag is "*" are read and counted like live ones.
    QByteArray starred = bytes.left(32 * 5 + 1) + "*" + QByteArray(37, ' ') + "\x1A";
    starred[4] = 1;
    d.write(QStringLiteral("s.dbf"), starred);
    t.setTableName(d.file(QStringLiteral("s.dbf")));
    t.Open();
    QCOMPARE(t.RecordCount(), 1);
    t.Close();
}

void TestDbf::dosCodePage()
{
    test::TempDir d;
    const QString path = makeSample(d, QStringLiteral("dos.dbf"), 0x26);
    TDBF t;
    t.setTableName(path);
    t.Open();
    t.Append();
    t.Close();
    QByteArray bytes = d.read(QStringLiteral("dos.dbf"));
    const QByteArray oem = codepage::toCp866(QStringLiteral("Пил"));
    bytes.replace(32 * 5 + 1 + 1, oem.size(), oem);
    d.write(QStringLiteral("dos.dbf"), bytes);
    t.Open();
    QCOMPARE(t.codePageByte(), 0x26);
    QCOMPARE(t.GetFieldData(1), QStringLiteral("Пил"));
    t.SetFieldData(1, QStringLiteral("Сажа")); // stored unconverted
    t.Post();
    t.Close();
    QVERIFY(d.read(QStringLiteral("dos.dbf")).contains(codepage::toCp1251(QStringLiteral("Сажа"))));
}

void TestDbf::exclusiveAndLimits()
{
    test::TempDir d;
    const QString path = makeSample(d);
    TDBF a, b;
    a.setExclusive(true);
    a.setTableName(path);
    a.Open();
    b.setTableName(path);
    QCOMPARE(errorOf([&] { b.Open(); }),
             QStringLiteral("Файл t.dbf невозможно открыть в монопольном\rрежиме, т.к. он уже используется другой программой"));
    QCOMPARE(errorOf([&] { a.setExclusive(false); }), QStringLiteral("Exclusive: Это свойство нельзя изменять, если файл открыт"));
    a.Close();
    b.Open();
    b.Close();
    // A record longer than the buffer is refused, not read past it.
    QByteArray bytes = d.read(QStringLiteral("t.dbf"));
    bytes[10] = char(5000 & 0xFF);
    bytes[11] = char(5000 >> 8);
    d.write(QStringLiteral("big.dbf"), bytes);
    b.setTableName(d.file(QStringLiteral("big.dbf")));
    QVERIFY(errorOf([&] { b.Open(); }).startsWith(QStringLiteral("ReadHeader: ")));
    QVERIFY(!b.active());
    // A field that reaches past the record: a broken header.
    bytes = d.read(QStringLiteral("t.dbf"));
    bytes[10] = 10;
    bytes[11] = 0;
    d.write(QStringLiteral("broken.dbf"), bytes);
    b.setTableName(d.file(QStringLiteral("broken.dbf")));
    QCOMPARE(errorOf([&] { b.Open(); }), QStringLiteral("ReadHeader: Ошибка чтения заголовка файла"));
}

void TestDbf::templateDefinitions()
{
    const auto defs = parseDefinitions(QStringLiteral("# comment\n[a.dbf]\nX N 8 2\nNAME C 20 # name\n\n[b.dbf]\nF L 1\n"));
    QCOMPARE(defs.size(), size_t(2));
    QCOMPARE(defs[0].first, QStringLiteral("a.dbf"));
    QCOMPARE(defs[0].second.size(), size_t(2));
    QCOMPARE(defs[0].second[0].decimals, 2);
    QVERIFY_THROWS_EXCEPTION(Error, parseDefinitions(QStringLiteral("X N 8\n")));           // no table yet
    QVERIFY_THROWS_EXCEPTION(Error, parseDefinitions(QStringLiteral("[a.dbf]\nX N eight\n")));
    test::TempDir d;
    QVERIFY_THROWS_EXCEPTION(Error, makeTable(d.file(QStringLiteral("t.dbf")), {{"TOOLONGNAME1", 'C', 5}}));
    QVERIFY_THROWS_EXCEPTION(Error, makeTable(d.file(QStringLiteral("t.dbf")), {{"BIG", 'C', 254}, {"B2", 'C', 254}, {"B3", 'C', 254},
                                                                              {"B4", 'C', 254}, {"B5", 'C', 254}, {"B6", 'C', 254},
                                                                              {"B7", 'C', 254}, {"B8", 'C', 254}, {"B9", 'C', 254},
                                                                              {"B10", 'C', 254}, {"B11", 'C', 254}, {"B12", 'C', 254},
                                                                              {"B13", 'C', 254}, {"B14", 'C', 254}, {"B15", 'C', 254},
                                                                              {"B16", 'C', 254}}));
    QVERIFY(!QFile::exists(d.file(QStringLiteral("t.dbf"))));
}

AERIS_TEST(TestDbf)
#include "tst_dbf.moc"
