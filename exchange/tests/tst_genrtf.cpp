#include "genrtf.h"
#include "u_codepage.h"
#include "u_dataset.h"
#include "u_paths.h"
#include "u_recordingseams.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace aeris;
using namespace aeris::rtf;

namespace {

// A program folder with templates, a project folder for the output, and a small database.
struct Doc {
    test::TempDir program;
    test::TempDir project;
    AppPaths paths{program.path()};
    test::RecordingSeams ui;
    db::Connection conn;
    db::Transaction tra{conn};
    DocumentEngine engine{paths};

    Doc()
    {
        paths.setProjectDir(project.path());
        const QString path = program.file(QStringLiteral("t.fdb"));
        db::Connection::createDatabase(path, 4096, QStringLiteral("WIN1251"), db::standardConnectParams());
        conn.setDatabaseName(path);
        conn.connect();
        conn.executeImmediate(QStringLiteral("create table T (ID integer not null primary key, GRP varchar(20), NAME varchar(40), PIC varchar(200))"));
        tra.start();
    }
    void rows(std::initializer_list<const char*> values)
    {
        int id = 1;
        for (const char* v : values) {
            const QStringList parts = QString::fromUtf8(v).split(u'|');
            db::Statement s(tra, QStringLiteral("insert into T (ID, GRP, NAME) values (:id, :g, :n)"));
            s.setParam(QStringLiteral("id"), id++);
            s.setParam(QStringLiteral("g"), parts.value(0));
            s.setParam(QStringLiteral("n"), parts.value(1));
            s.execute();
        }
    }
    void templ(const QByteArray& text) { program.write(QStringLiteral("Template/doc.rtf"), text); }
    QByteArray output() const { return project.read(QStringLiteral("out/doc.rtf")); }
    std::unique_ptr<db::Dataset> dataset(const QString& where = QString())
    {
        auto ds = std::make_unique<db::Dataset>();
        ds->setTransaction(&tra);
        ds->setSql(QStringLiteral("select * from T ") + where + QStringLiteral(" order by ID"));
        return ds;
    }
};

const QByteArray kTableTemplate =
    "{\\rtf1\\ansi Head *TABLE* of the row\\par "
    "\\trowd\\clbrdrt\\clbrdrb\\cellx1000\\clbrdrt\\clbrdrb\\cellx2000 \\pard\\intbl \\cell \\cell\\row "
    "*TABLE*\\par Tail}";

} // namespace

class TestRtfEscape : public QObject {
    Q_OBJECT
private slots:
    void escaping_data();
    void escaping();
    void findAcrossBlocks();
};

void TestRtfEscape::escaping_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("braces and backslash") << "{a}\\b" << QByteArray("\\'7ba\\'7d\\\\b");
    QTest::newRow("apostrophe") << "об'єкт" << QByteArray("\\'ee\\'e1\\rquote \\'ba\\'ea\\'f2");
    QTest::newRow("line breaks") << "a\r\nb\nc\rd" << QByteArray("a\\par b\\par c\\par d");
    QTest::newRow("plain") << "SO2 0.5" << QByteArray("SO2 0.5");
}

void TestRtfEscape::escaping()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, rtf);
    QCOMPARE(rtfEscape(text), rtf);
}

void TestRtfEscape::findAcrossBlocks()
{
    test::TempDir d;
    QByteArray data(5000, 'x');
    data.replace(995, 10, "NEEDLE1234");
    data.replace(4000, 6, "NEEDLE");
    d.write(QStringLiteral("f"), data);
    QFile f(d.file(QStringLiteral("f")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(findInFile(f, 0, "NEEDLE1234"), 995);
    QCOMPARE(findInFile(f, 996, "NEEDLE"), 4000);
    QCOMPARE(findInFile(f, 4001, "NEEDLE"), -1);
}

class TestDocumentEngine : public QObject {
    Q_OBJECT
private slots:
    void templateWithoutPlaceholdersIsCopied();
    void tableModeRepeatsRowsDropsBordersAndGroups();
    void cyrillicPlaceholderBrokenOverLines();
    void separatorAfterAllButTheLast();
    void emptySectionGoesWithItsMarkers();
    void valuesShowLiterally();
    void pictures();
    void failures();
    void longPlaceholderDoesNotOverrun();
    void opensInLibreOffice();
};

void TestDocumentEngine::templateWithoutPlaceholdersIsCopied()
{
    Doc d;
    const QByteArray t = "{\\rtf1\\ansi Nothing to fill \\'cf\\'f0\\'e8\\par}";
    d.templ(t);
    auto ds = d.dataset();
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), t);
    QCOMPARE(d.ui.openedDocuments, QStringList{d.engine.outputPath(QStringLiteral("doc"))});
    QVERIFY(!ds->active()); // the engine closes what it opened
    QCOMPARE(QDir(d.project.file(QStringLiteral("out"))).entryList(QDir::Files), QStringList{QStringLiteral("doc.rtf")});
    QCOMPARE(QDir(d.project.path()).entryList(QDir::Files), QStringList()); // nothing outside "out"
}

void TestDocumentEngine::tableModeRepeatsRowsDropsBordersAndGroups()
{
    Doc d;
    d.rows({"X|a", "X|b", "Y|c"});
    d.templ(kTableTemplate);
    auto ds = d.dataset();
    ds->setTag(1);
    ds->declareField(QStringLiteral("GRP")).setTag(2);  // its own position: a group key
    ds->declareField(QStringLiteral("NAME")).setTag(3);
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    const QByteArray out = d.output();
    QVERIFY2(out.startsWith("{\\rtf1\\ansi Head  \\trowd"), out.constData());
    QCOMPARE(out.count("\\row "), 3);
    QCOMPARE(out.count("\\clbrdrb"), 2);        // rows 1 and 2 lost their bottom borders
    QCOMPARE(out.count("\\clbrdrt"), 5);        // the repeated "X" lost its top border
    QCOMPARE(out.count("\\zwnj X\\cell"), 1);   // shown once for its group
    QVERIFY(out.contains("\\zwnj a\\cell"));
    QVERIFY(out.contains("\\pard\\intbl \\cell \\zwnj b\\cell")); // the suppressed group cell stays empty
    QVERIFY(out.contains("\\zwnj Y\\cell"));
    QVERIFY(out.endsWith("\\par Tail}"));
    QVERIFY(!out.contains("TABLE"));
}

void TestDocumentEngine::cyrillicPlaceholderBrokenOverLines()
{
    Doc d;
    d.rows({"X|значення"});
    // "*Назва*" broken by the word processor after its first letter.
    d.templ("{\\rtf1 Name: *\\'cd\r\n\\'e0\\'e7\\'e2\\'e0* end}");
    auto ds = d.dataset();
    ds->declareField(QStringLiteral("NAME")).setTag(1);
    ds->field(QStringLiteral("NAME")).setDisplayLabel(QStringLiteral("Назва"));
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray("{\\rtf1 Name: ") + rtfEscape(QStringLiteral("значення")) + " end}");
}

void TestDocumentEngine::separatorAfterAllButTheLast()
{
    Doc d;
    d.rows({"X|a", "X|b", "X|c"});
    d.templ("{\\rtf1 List: *SEC**NAME*, *SEC*.}");
    auto main = d.dataset(QStringLiteral("where ID = 1"));
    main->declareField(QStringLiteral("ID")).setTag(-1);
    main->field(QStringLiteral("ID")).setDisplayLabel(QStringLiteral("SEC"));
    auto list = d.dataset();
    list->declareField(QStringLiteral("NAME")).setTag(11);
    list->field(QStringLiteral("NAME")).setDisplayLabel(QStringLiteral("NAME"));
    d.engine.datasets().set(0, main.get());
    d.engine.datasets().set(1, list.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray("{\\rtf1 List: a, b, c.}"));
}

void TestDocumentEngine::emptySectionGoesWithItsMarkers()
{
    Doc d;
    d.rows({"X|a"});
    d.templ("{\\rtf1 List: *SEC*Items: *NAME*, *SEC*.}");
    auto main = d.dataset();
    main->declareField(QStringLiteral("ID")).setTag(-1);
    main->field(QStringLiteral("ID")).setDisplayLabel(QStringLiteral("SEC"));
    auto list = d.dataset(QStringLiteral("where ID > 100"));
    list->declareField(QStringLiteral("NAME")).setTag(11);
    list->field(QStringLiteral("NAME")).setDisplayLabel(QStringLiteral("NAME"));
    d.engine.datasets().set(0, main.get());
    d.engine.datasets().set(1, list.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray("{\\rtf1 List: .}"));
}

void TestDocumentEngine::valuesShowLiterally()
{
    Doc d;
    d.rows({"X|{x}\\'y", "X|два\r\nрядки"});
    d.templ(kTableTemplate);
    auto ds = d.dataset();
    ds->setTag(1);
    ds->declareField(QStringLiteral("NAME")).setTag(3);
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    const QByteArray out = d.output();
    QVERIFY(out.contains("\\zwnj \\'7bx\\'7d\\\\\\rquote y\\cell"));
    QVERIFY(out.contains(rtfEscape(QStringLiteral("два")) + "\\par " + rtfEscape(QStringLiteral("рядки"))));
}

void TestDocumentEngine::pictures()
{
    Doc d;
    d.rows({"X|a"});
    d.project.write(QStringLiteral("map.jpg"), QByteArray("\xff\xd8\x01\x02", 4));
    db::Statement(d.tra, QStringLiteral("update T set PIC = '") + d.project.file(QStringLiteral("map.jpg")) + u'\'').execute();
    d.templ("{\\rtf1 [*PIC*]}");
    auto ds = d.dataset();
    ds->declareField(QStringLiteral("PIC")).setTag(2);
    ds->field(QStringLiteral("PIC")).setDisplayLabel(QStringLiteral("PIC"));
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray("{\\rtf1 [{\\pict\\jpegblip\\picwgoal9984\\pichgoal12488\\picscalex100\\picscaley100 ffd80102}]}"));
    db::Statement(d.tra, QStringLiteral("update T set PIC = '/no/such.jpg'")).execute();
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray("{\\rtf1 []}"));
}

void TestDocumentEngine::failures()
{
    Doc d;
    auto ds = d.dataset();
    d.engine.datasets().set(0, ds.get());
    // No template: an empty document, opened.
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), QByteArray());
    QCOMPARE(d.ui.openedDocuments.size(), 1);
    // The previous report is open in a word processor: told, and the old one opened.
    d.templ("{\\rtf1 new}");
    d.project.write(QStringLiteral("out/.~lock.doc.rtf#"), "locked");
    d.ui.clear();
    QVERIFY(!d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.ui.texts(), QStringList{QStringLiteral("Неможливо створити вихідний файл. Якщо попередній звіт відкрито - закрийте його та повторіть спробу ще раз.")});
    QCOMPARE(d.ui.messages[0].caption, QStringLiteral("Помилка"));
    QCOMPARE(d.ui.openedDocuments.size(), 1);
    QCOMPARE(d.output(), QByteArray());
    QFile::remove(d.project.file(QStringLiteral("out/.~lock.doc.rtf#")));
    // A dataset that cannot open: the report fails, the old output stays.
    auto bad = std::make_unique<db::Dataset>();
    bad->setTransaction(&d.tra);
    bad->setSql(QStringLiteral("select * from NO_SUCH_TABLE"));
    d.engine.datasets().set(0, bad.get());
    d.ui.clear();
    QVERIFY(!d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.ui.texts(), QStringList{QStringLiteral("Помилка при формуванні звіту")});
    QCOMPARE(d.ui.messages[0].caption, QStringLiteral("Вихідні документи"));
    QVERIFY(d.ui.openedDocuments.isEmpty());
    QCOMPARE(QDir(d.project.file(QStringLiteral("out"))).entryList(QDir::Files), QStringList{QStringLiteral("doc.rtf")});
}

void TestDocumentEngine::longPlaceholderDoesNotOverrun()
{
    Doc d;
    QByteArray t = "{\\rtf1 *\\'cd";
    t += QByteArray(3000, 'z');
    t += "* and *\\'cd\\'e0* end}";
    d.templ(t);
    auto ds = d.dataset();
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QCOMPARE(d.output(), t);
}

void TestDocumentEngine::opensInLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) QSKIP("LibreOffice is not installed: the document is checked as text only");
    Doc d;
    d.rows({"X|a", "X|b", "Y|c"});
    d.templ("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Head *TABLE*\\par "
            "\\trowd\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx2000\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx4000 \\pard\\intbl \\cell \\cell\\row "
            "*TABLE*\\par Tail\\par}");
    auto ds = d.dataset();
    ds->setTag(1);
    ds->declareField(QStringLiteral("GRP")).setTag(2);
    ds->declareField(QStringLiteral("NAME")).setTag(3);
    d.engine.datasets().set(0, ds.get());
    QVERIFY(d.engine.GenerateDocument(QStringLiteral("doc")));
    QProcess p;
    p.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"),
                      d.project.path(), d.engine.outputPath(QStringLiteral("doc"))});
    QVERIFY(p.waitForFinished(180000));
    QVERIFY(QFileInfo::exists(d.project.file(QStringLiteral("doc.pdf"))));
}

AERIS_TEST(TestRtfEscape)
AERIS_TEST(TestDocumentEngine)
#include "tst_genrtf.moc"
