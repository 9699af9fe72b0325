#include "u_dataset.h"
#include "u_recordingseams.h"
#include "u_tablegrid.h"
#include "f_table.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QLocale>
#include <QTest>

using namespace aeris;
using namespace aeris::reports;

namespace {

// A report module over a table of its own: sites, numbers, names, values; keyed by site and
// number; the name and value are grouped under the number.
class TestModule : public ReportModule {
public:
    test::TempDir dir;
    db::Connection conn;
    db::Transaction tra{conn};
    db::Dataset ds;
    QHash<QString, int> index; // "site;number" → record, built once per reload

    TestModule()
    {
        const QString path = dir.file(QStringLiteral("r.fdb"));
        db::Connection::createDatabase(path, 4096, QStringLiteral("WIN1251"), db::standardConnectParams());
        conn.setDatabaseName(path);
        conn.connect();
        conn.executeImmediate(QStringLiteral("create table R (SITE integer not null, ID integer not null, NAME varchar(40),"
                                             " V double precision, constraint PK_R primary key (SITE, ID))"));
        tra.start();
        ds.setTransaction(&tra);
        ds.setSql(QStringLiteral("select * from R order by SITE, ID"));
        ds.setUpdateTable(QStringLiteral("R"), QStringLiteral("SITE;ID"));
    }
    void exec(const QString& sql)
    {
        db::Statement(tra, sql).execute();
        tra.commitRetaining();
    }
    void DefineTable(int, TableGrid& g) override
    {
        g.dataset = &ds;
        g.labelTitle = QStringLiteral("Таблиця");
        g.setShape(2, 1, 4);
        const char* heads[] = {"Майд.", "№", "Назва", "Значення"};
        const char* fields[] = {"SITE", "ID", "NAME", "V"};
        for (int c = 0; c < 4; ++c) {
            g.setHeader(0, c, QString::fromUtf8(heads[c]));
            g.fieldNames[size_t(c)] = QString::fromLatin1(fields[c]);
            g.groupColumn[size_t(c)] = c < 2 ? c : 1;
        }
        index.clear();
    }
    int LocateRow(int, const QStringList& t) override
    {
        if (t[0].isEmpty()) return -1;
        if (t[1].isEmpty()) return -2;
        if (index.isEmpty())
            for (int r = 0; r < ds.recordCount(); ++r)
                index.insert(ds.valueAt(r, 0).toString() + u';' + ds.valueAt(r, 1).toString(), r + 1);
        const int rec = index.value(t[0] + u';' + t[1], 0);
        if (rec > 0) ds.setRecNo(rec);
        return rec > 0 ? 1 : 0;
    }
    void Reload(int) override
    {
        if (tra.active()) tra.rollback();
        tra.start();
        ds.close();
        ds.open();
        index.clear();
    }
    db::Transaction* transaction() override { return &tra; }
    QString rows()
    {
        db::Statement s(tra, QStringLiteral("select SITE, ID, NAME, V from R order by SITE, ID"));
        s.open();
        QStringList out;
        while (s.fetch())
            out << QStringLiteral("%1/%2/%3/%4").arg(s.value(0).toString(), s.value(1).toString(), s.value(2).toString(), s.value(3).toString());
        return out.join(u' ');
    }
};

struct Table {
    test::RecordingSeams ui;
    TestModule m;
    TableGrid g;
    explicit Table(std::initializer_list<const char*> inserts = {})
    {
        for (const char* sql : inserts) m.exec(QString::fromUtf8(sql));
        m.DefineTable(1, g);
        g.FillGrid();
    }
    QString column(int c) const
    {
        QStringList out;
        for (int r = g.firstDataRow(); r < g.rowCount(); ++r) out << g.cell(c, r);
        return out.join(u'|');
    }
};

const std::initializer_list<const char*> kThree = {"insert into R values (1, 1, 'а', 1.5)", "insert into R values (1, 2, 'б', 2)",
                                                   "insert into R values (2, 1, 'в', null)"};

} // namespace

class TestTableGrid : public QObject {
    Q_OBJECT
private slots:
    void fillSuppressesRepeatedGroups();
    void emptyDatasetHasOneEmptyRow();
    void saveRestoresGroupValuesAndDeletesMissingRows();
    void emptiedGridDeletesEverything();
    void emptyKeyStopsTheSave();
    void refusedApplyIsToldAndReloads();
    void decimalSeparators_data();
    void decimalSeparators();
    void rowOperations();
    void findWraps();
    void wrapBreaksAfterListedCharacters();
};

void TestTableGrid::fillSuppressesRepeatedGroups()
{
    Table t(kThree);
    QCOMPARE(t.g.rowCount(), 4);
    QCOMPARE(t.column(0), QStringLiteral("1||2"));
    QCOMPARE(t.column(1), QStringLiteral("1|2|1"));
    QCOMPARE(t.column(3), QStringLiteral("1.5|2|"));
    QCOMPARE(t.g.cell(0, 0), QStringLiteral("Майд."));
    QVERIFY(!t.g.modified);
    // The line under a row separates groups at the level of the column's group.
    QVERIFY(!t.g.dataBottomLine(0, 1));
    QVERIFY(t.g.dataBottomLine(1, 1));
    QVERIFY(t.g.dataBottomLine(0, 2));
}

void TestTableGrid::emptyDatasetHasOneEmptyRow()
{
    Table t;
    QCOMPARE(t.g.rowCount(), 2);
    QCOMPARE(t.column(0), QString());
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QVERIFY(t.ui.messages.isEmpty());
    QCOMPARE(t.m.rows(), QString());
}

void TestTableGrid::saveRestoresGroupValuesAndDeletesMissingRows()
{
    Table t(kThree);
    // Unchanged: everything stays as it was.
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/а/1.5 1/2/б/2 2/1/в/"));
    // A change in the row whose site is blanked, and a row deleted.
    t.g.setCell(2, 2, QStringLiteral("нове"));
    t.g.DeleteRows({0, 3, 3, 3});
    QVERIFY(t.g.modified);
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/а/1.5 1/2/нове/2"));
    QVERIFY(!t.g.modified);
    QCOMPARE(t.column(0), QStringLiteral("1|")); // filled again from the database
    // A new row at the end becomes a new record.
    t.g.InsertRowsAfter({0, 2, 3, 2});
    t.g.setCell(0, 3, QStringLiteral("3"));
    t.g.setCell(1, 3, QStringLiteral("7"));
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/а/1.5 1/2/нове/2 3/7//"));
}

void TestTableGrid::emptiedGridDeletesEverything()
{
    Table t(kThree);
    t.g.DeleteRows({0, 1, 3, 3}); // all data rows: one empty row is left
    QCOMPARE(t.g.rowCount(), 2);
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QCOMPARE(t.m.rows(), QString());
}

void TestTableGrid::emptyKeyStopsTheSave()
{
    Table t(kThree);
    t.g.InsertRowsAfter({0, 3, 3, 3});
    t.g.setCell(0, 4, QStringLiteral("5")); // a site without a number
    t.g.setCell(2, 1, QStringLiteral("змінено"));
    int col = -1, row = -1;
    QCOMPARE(t.g.SaveTable(t.m, 1, &col, &row), TableGrid::SaveResult::Stopped);
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("Ключові поля не заповнено")});
    QCOMPARE(t.ui.messages[0].caption, QStringLiteral("Помилка при збереженні"));
    QCOMPARE(t.g.errorRow, 4);
    QCOMPARE(t.g.errorCol, 1);
    QCOMPARE(col, 1);
    QVERIFY(t.m.ds.updatesPending()); // the rows above stay posted in the cache
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/а/1.5 1/2/б/2 2/1/в/"));
    t.g.setCell(1, 4, QStringLiteral("1"));
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/змінено/1.5 1/2/б/2 2/1/в/ 5/1//"));
}

void TestTableGrid::refusedApplyIsToldAndReloads()
{
    Table t(kThree);
    // Two new rows with one key: both are new records, the database refuses the second.
    t.g.InsertRowsAfter({0, 3, 3, 4});
    for (int r : {4, 5}) {
        t.g.setCell(0, r, QStringLiteral("9"));
        t.g.setCell(1, r, QStringLiteral("9"));
    }
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::ApplyFailed);
    QCOMPARE(t.ui.texts(), QStringList{QStringLiteral("Помилка у ключових полях")});
    QCOMPARE(t.ui.messages[0].caption, QStringLiteral("Помилка при збереженні"));
    QCOMPARE(t.g.rowCount(), 6); // the grid as the user left it
    QVERIFY(t.g.modified);
    QVERIFY(!t.m.ds.updatesPending()); // the module reloaded
    QCOMPARE(t.m.rows(), QStringLiteral("1/1/а/1.5 1/2/б/2 2/1/в/"));
}

void TestTableGrid::decimalSeparators_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    for (const char* loc : {"uk_UA", "C"})
        for (const char* v : {"12,5", "12.5"})
            QTest::newRow(QByteArray(loc).append(' ').append(v).constData()) << QString::fromLatin1(loc) << QString::fromLatin1(v);
}

void TestTableGrid::decimalSeparators()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QLocale::setDefault(QLocale(locale));
    Table t(kThree);
    t.g.setCell(3, 1, typed);
    QCOMPARE(t.g.SaveTable(t.m, 1), TableGrid::SaveResult::Saved);
    QLocale::setDefault(QLocale::c());
    QVERIFY2(t.m.rows().startsWith(QStringLiteral("1/1/а/12.5 ")), qPrintable(t.m.rows()));
}

void TestTableGrid::rowOperations()
{
    Table t(kThree);
    t.g.InsertRowsBefore({0, 2, 0, 3}); // two rows selected: two empty rows before them
    QCOMPARE(t.g.rowCount(), 6);
    QCOMPARE(t.column(1), QStringLiteral("1|||2|1"));
    t.g.DeleteRows({0, 2, 0, 3});
    QCOMPARE(t.column(1), QStringLiteral("1|2|1"));
    t.g.ClearCells({1, 1, 2, 1});
    QCOMPARE(t.g.cell(1, 1), QString());
    QCOMPARE(t.g.cell(0, 1), QStringLiteral("1"));
    const TableGrid::Clip clip = t.g.Cut({0, 2, 3, 2}); // whole row: deleted
    QCOMPARE(t.g.rowCount(), 3);
    QVERIFY(clip.rtf.startsWith("{\\rtf \\trowd "));
}

void TestTableGrid::findWraps()
{
    Table t(kThree);
    int col = 2, row = 2;
    QVERIFY(t.g.Find(QStringLiteral("А"), col, row)); // before the current cell: wraps to the top
    QCOMPARE(col, 2);
    QCOMPARE(row, 1);
    QVERIFY(!t.g.Find(QStringLiteral("нема"), col, row));
    QCOMPARE(row, 1);
    QVERIFY(!t.g.Find(QString(), col, row));
}

void TestTableGrid::wrapBreaksAfterListedCharacters()
{
    QCOMPARE(TableGrid::wrap(QStringLiteral("Азоту діоксид"), 8), QStringLiteral("Азоту ді\r\nоксид"));
    QCOMPARE(TableGrid::wrap(QStringLiteral("a\r\nb"), 8), QStringLiteral("a\r\nb"));
    QCOMPARE(TableGrid::wrap(QStringLiteral("кkkkkkkkkkkkk-x"), 5), QStringLiteral("кkkkkkkkkkkkk-\r\nx"));
}

class TestClipboardTables : public QObject {
    Q_OBJECT
private slots:
    void copyOneCellAndABlock();
    void pasteClipsAndGrows();
    void badRtfFallsBackOrIsIgnored_data();
    void badRtfFallsBackOrIsIgnored();
    void roundTrip();
    void tableFromLibreOffice();
};

void TestClipboardTables::copyOneCellAndABlock()
{
    TableGrid g;
    g.setShape(3, 1, 2);
    g.putCell(0, 1, QStringLiteral("a"));
    g.putCell(1, 1, QStringLiteral("b"));
    g.InsertRowsAfter({0, 1, 1, 1});
    g.putCell(0, 2, QStringLiteral("c"));
    g.putCell(1, 2, QStringLiteral("d"));
    QCOMPARE(g.CopySelection({1, 1, 1, 1}).text, QStringLiteral("b"));
    QVERIFY(g.CopySelection({1, 1, 1, 1}).rtf.isEmpty());
    const TableGrid::Clip block = g.CopySelection({0, 1, 1, 2});
    QVERIFY(block.text.isEmpty());
    QCOMPARE(block.rtf, QByteArray("{\\rtf \\trowd a\\cell b\\cell \\row \\trowd c\\cell d\\cell \\row }"));
}

void TestClipboardTables::pasteClipsAndGrows()
{
    TableGrid g;
    g.setShape(3, 1, 16);
    g.putCell(8, 1, QStringLiteral("сусід"));
    const QByteArray rtf = "{\\rtf1{\\fonttbl}\\trowd\\cellx100\\cellx200\\cellx300\\pard\\intbl 1\\cell 2\\cell 3\\cell\\row "
                           "\\trowd\\pard\\intbl 4\\cell {\\b 5}\\cell \\'cf\\par x\\cell\\row \\trowd 7\\cell 8\\cell 9\\cell\\row }";
    g.PasteClipboard(QStringLiteral("plain"), rtf, {5, 1, 5, 1});
    QCOMPARE(g.rowCount(), 4); // one row added at the bottom
    QCOMPARE(g.cell(5, 1), QStringLiteral("1"));
    QCOMPARE(g.cell(7, 1), QStringLiteral("3"));
    QCOMPARE(g.cell(6, 2), QStringLiteral("5"));
    QCOMPARE(g.cell(7, 2), QStringLiteral("П\r\nx"));
    QCOMPARE(g.cell(7, 3), QStringLiteral("9"));
    QCOMPARE(g.cell(8, 1), QStringLiteral("сусід")); // the neighbour keeps its text
    QVERIFY(!g.modified);
    // Near the right edge the block is clipped to the grid.
    g.PasteClipboard(QString(), rtf, {14, 1, 14, 1});
    QCOMPARE(g.cell(15, 1), QStringLiteral("2"));
    // A larger selection clips to itself.
    TableGrid h;
    h.setShape(5, 1, 16);
    h.PasteClipboard(QString(), rtf, {0, 1, 1, 2});
    QCOMPARE(h.cell(1, 1), QStringLiteral("2"));
    QCOMPARE(h.cell(2, 1), QString());
    QCOMPARE(h.cell(0, 3), QString());
}

void TestClipboardTables::badRtfFallsBackOrIsIgnored_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("firstCell");
    QTest::newRow("no table") << QByteArray("{\\rtf1 just text\\par}") << "plain";
    QTest::newRow("truncated") << QByteArray("{\\rtf1\\trowd a\\cell b\\ce") << "plain";
    QTest::newRow("unbalanced braces") << QByteArray("{\\rtf1\\trowd {{a\\cell }}} b\\cell\\row }}}}") << "a";
    QTest::newRow("stray backslashes") << QByteArray("{\\rtf1\\trowd a\\\\\\cell \\'zz\\cell\\row \\") << "a\\";
    QTest::newRow("huge cell") << QByteArray("{\\rtf1\\trowd ") + QByteArray(200000, 'x') + "\\cell\\row }" << QString(200000, u'x');
}

void TestClipboardTables::badRtfFallsBackOrIsIgnored()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, firstCell);
    TableGrid g;
    g.setShape(2, 1, 3);
    g.PasteClipboard(QStringLiteral("plain"), rtf, {0, 1, 0, 1});
    QCOMPARE(g.cell(0, 1), firstCell);
}

void TestClipboardTables::roundTrip()
{
    TableGrid g;
    g.setShape(2, 1, 2);
    g.putCell(0, 1, QStringLiteral("{об'єкт}\\"));
    g.putCell(1, 1, QStringLiteral("два\r\nрядки"));
    const QByteArray rtf = g.CopySelection({0, 1, 1, 1}).rtf;
    TableGrid h;
    h.setShape(2, 1, 2);
    h.PasteClipboard(QString(), rtf, {0, 1, 0, 1});
    QCOMPARE(h.cell(0, 1), g.cell(0, 1));
    QCOMPARE(h.cell(1, 1), g.cell(1, 1));
}

class TestFormTable : public QObject {
    Q_OBJECT
private slots:
    void showsEditsSavesAndExchanges();
};

void TestFormTable::showsEditsSavesAndExchanges()
{
    test::RecordingSeams ui;
    TestModule m;
    for (const char* sql : kThree) m.exec(QString::fromUtf8(sql));
    TFormTable form;
    QList<int> opened;
    form.openModuleDatabase = [&](int kind) { opened << kind; return true; };
    form.registerModule(21, 24, 0, 1, &m);
    QVERIFY(form.hasModuleFor(22));
    QVERIFY(!form.hasModuleFor(1201));
    form.resize(700, 400);
    form.show();
    form.ShowTable(21);
    QCOMPARE(opened, QList<int>{1});
    QCOMPARE(form.CurrentCode, 21);
    QCOMPARE(form.LabelTitle->text(), QStringLiteral("Таблиця"));
    QCOMPARE(form.StringGrid->model()->rowCount(), 4);
    QCOMPARE(form.StringGrid->model()->index(2, 0).data().toString(), QString()); // the repeated site

    // Copy a 2 × 2 block: only RTF on the clipboard.
    auto* sel = form.StringGrid->selectionModel();
    sel->select(QItemSelection(form.StringGrid->model()->index(1, 1), form.StringGrid->model()->index(2, 2)), QItemSelectionModel::ClearAndSelect);
    form.copyClick();
    QCOMPARE(ui.clipboardRtf, QByteArray("{\\rtf \\trowd 1\\cell \\'e0\\cell \\row \\trowd 2\\cell \\'e1\\cell \\row }"));
    QVERIFY(ui.clipboardText.isEmpty());
    // Desktop programs get the same cells as a table they paste; the viewer reads it back.
    QVERIFY(ui.clipboardDesktopRtf.contains("\\ansicpg1251"));
    QVERIFY(ui.clipboardDesktopRtf.contains("\\intbl"));
    const std::vector<QStringList> back = TableGrid::decodeRtfTable(ui.clipboardDesktopRtf);
    QCOMPARE(back.size(), size_t(2));
    QCOMPARE(back[1], (QStringList{QStringLiteral("2"), QStringLiteral("б")}));
    // One cell: plain text.
    form.selectCell(2, 3);
    sel->select(form.StringGrid->model()->index(3, 2), QItemSelectionModel::ClearAndSelect);
    form.copyClick();
    QCOMPARE(ui.clipboardText, QStringLiteral("в"));
    // Paste a table copied elsewhere at one cell.
    ui.clipboardRtf = "{\\rtf1\\trowd x\\cell y\\cell\\row }";
    form.selectCell(2, 1);
    sel->select(form.StringGrid->model()->index(1, 2), QItemSelectionModel::ClearAndSelect);
    form.pasteClick();
    QCOMPARE(form.grid().cell(2, 1), QStringLiteral("x"));
    QCOMPARE(form.grid().cell(3, 1), QStringLiteral("y"));
    // The Delete key clears the selection; the save writes the grid.
    sel->select(form.StringGrid->model()->index(2, 2), QItemSelectionModel::ClearAndSelect);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(form.StringGrid, &del);
    QVERIFY(form.grid().modified);
    form.SaveTable();
    // "y" is no number: the value column refuses it, the cell is marked and selected.
    QCOMPARE(ui.texts(), QStringList{QStringLiteral("Поле заповнене некоректно")});
    QCOMPARE(form.grid().errorRow, 1);
    QCOMPARE(form.grid().errorCol, 3);
    QCOMPARE(form.StringGrid->currentIndex().column(), 3);
    QCOMPARE(m.rows(), QStringLiteral("1/1/а/1.5 1/2/б/2 2/1/в/"));
    form.grid().setCell(3, 1, QStringLiteral("7,5"));
    form.SaveTable();
    QCOMPARE(m.rows(), QStringLiteral("1/1/x/7.5 1/2//2 2/1/в/"));
    QCOMPARE(form.grid().errorRow, -1);
    // Refresh answered No keeps the grid; hiding forgets the code.
    form.grid().setCell(2, 1, QStringLiteral("незбережене"));
    ui.answers = {Answer::No};
    form.refreshClick();
    QCOMPARE(form.grid().cell(2, 1), QStringLiteral("незбережене"));
    form.hide();
    QCOMPARE(form.CurrentCode, 0);
}

AERIS_TEST(TestFormTable)
void TestClipboardTables::tableFromLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) QSKIP("LibreOffice is not installed: its RTF tables are not tried");
    test::TempDir d;
    d.write(QStringLiteral("t.html"), QStringLiteral("<html><body><table border=1><tr><td>Азоту діоксид</td><td>0,25</td></tr>"
                                                     "<tr><td>{дужки} і \\</td><td>об'єкт</td></tr></table></body></html>").toUtf8());
    QProcess p;
    p.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("rtf:Rich Text Format"),
                      QStringLiteral("--outdir"), d.path(), d.file(QStringLiteral("t.html"))});
    QVERIFY(p.waitForFinished(180000));
    const QByteArray rtf = d.read(QStringLiteral("t.rtf"));
    QVERIFY2(!rtf.isEmpty(), "LibreOffice wrote no RTF");
    TableGrid g;
    g.setShape(2, 1, 4);
    g.PasteClipboard(QString(), rtf, {0, 1, 0, 1});
    QCOMPARE(g.cell(0, 1), QStringLiteral("Азоту діоксид"));
    QCOMPARE(g.cell(1, 1), QStringLiteral("0,25"));
    QCOMPARE(g.cell(0, 2), QStringLiteral("{дужки} і \\"));
    QCOMPARE(g.cell(1, 2), QStringLiteral("об'єкт"));
    // And the other way: a block copied from the viewer opens in it as a table.
    d.write(QStringLiteral("c.rtf"), g.CopySelection({0, 1, 1, 2}).desktopRtf);
    QProcess q;
    q.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("html"), QStringLiteral("--outdir"),
                      d.path(), d.file(QStringLiteral("c.rtf"))});
    QVERIFY(q.waitForFinished(180000));
    const QString html = QString::fromUtf8(d.read(QStringLiteral("c.html")));
    QCOMPARE(html.count(QStringLiteral("<td")), 4);
    QVERIFY(html.contains(QStringLiteral("0,25")));
}

AERIS_TEST(TestTableGrid)
AERIS_TEST(TestClipboardTables)
#include "tst_tablegrid.moc"
