#include "u_dataset.h"
#include "u_datasetmodel.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QLocale>
#include <QTest>

using namespace aeris;
using namespace aeris::db;

namespace {

// A small master/detail database: PARENT rows own CHILD rows.
struct Fixture {
    test::TempDir dir;
    Connection conn;
    Transaction tra{conn};

    Fixture()
    {
        const QString path = dir.file(QStringLiteral("ds.fdb"));
        Connection::createDatabase(path, 4096, QStringLiteral("WIN1251"), standardConnectParams());
        conn.setDatabaseName(path);
        conn.connect();
        conn.executeImmediate(QStringLiteral("create table PARENT (ID integer not null, NAME varchar(40),"
                                             " VAL double precision, constraint PK_PARENT primary key (ID))"));
        conn.executeImmediate(QStringLiteral(
            "create table CHILD (PID integer not null, N integer not null, TXT varchar(40),"
            " constraint PK_CHILD primary key (PID, N), constraint FK_CHILD foreign key (PID)"
            " references PARENT (ID) on delete cascade on update cascade)"));
        tra.start();
        exec("insert into PARENT values (1, 'Перший', 1.5)");
        exec("insert into PARENT values (2, 'Другий', null)");
        exec("insert into PARENT values (3, 'Третій', 3)");
        exec("insert into CHILD values (1, 1, 'а')");
        exec("insert into CHILD values (1, 2, 'б')");
        exec("insert into CHILD values (3, 1, 'в')");
        tra.commit();
        tra.start();
    }
    void exec(const char* sql) { Statement(tra, QString::fromUtf8(sql)).execute(); }
    QString dump(const char* sql)
    {
        Statement s(tra, QString::fromUtf8(sql));
        s.open();
        QStringList rows;
        while (s.fetch()) {
            QStringList cells;
            for (const QVariant& v : s.row()) cells << (v.isValid() ? v.toString() : QStringLiteral("null"));
            rows << cells.join(u',');
        }
        return rows.join(u';');
    }
    void parents(Dataset& ds)
    {
        ds.setName(QStringLiteral("Parents"));
        ds.setTransaction(&tra);
        ds.setSql(QStringLiteral("select * from PARENT order by ID"));
        ds.setUpdateTable(QStringLiteral("PARENT"), QStringLiteral("ID"));
    }
    void children(Dataset& ds, Dataset& master)
    {
        ds.setName(QStringLiteral("Children"));
        ds.setTransaction(&tra);
        ds.setSql(QStringLiteral("select c.* from CHILD c where c.PID = :id order by c.N"));
        ds.setUpdateTable(QStringLiteral("CHILD"), QStringLiteral("PID;N"));
        ds.setMaster(&master);
    }
};

QString ids(Dataset& ds)
{
    QStringList out;
    for (int r = 0; r < ds.recordCount(); ++r) out << ds.valueAt(r, 0).toString() + u':' + ds.valueAt(r, 1).toString();
    return out.join(u' ');
}

} // namespace

class TestDataset : public QObject {
    Q_OBJECT
private slots:
    void openFieldsAndNavigation();
    void applyWritesInsertsChangesKeysAndDeletes();
    void cancelUpdatesRestoresValuesAndPlaces();
    void failedApplyKeepsCacheAndUndoesItsWrites();
    void requiredFieldRefusesPost();
    void untouchedNewRowIsCancelledOnMove();
    void masterDetailReopensAfterSavingHook();
    void locateExactAndPrefix();
    void conversionsCalculatedFieldsAndLocale();
    void eventsCanAbort();
    void customApplyStep();
    void severalDatasetsCommitTogether();
    void modelShowsAndEdits();
};

void TestDataset::openFieldsAndNavigation()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.open();
    QCOMPARE(ds.fieldNames(), (QStringList{QStringLiteral("ID"), QStringLiteral("NAME"), QStringLiteral("VAL")}));
    QCOMPARE(ds.field(QStringLiteral("id")).type(), FieldType::Integer);
    QVERIFY(ds[QStringLiteral("ID")].required());
    QVERIFY(!ds[QStringLiteral("NAME")].required());
    QCOMPARE(ds[QStringLiteral("NAME")].size(), 40);
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(ds.bof() && !ds.eof());
    QCOMPARE(ds[QStringLiteral("NAME")].asString(), QStringLiteral("Перший"));
    int seen = 0;
    for (ds.first(); !ds.eof(); ds.next()) ++seen;
    QCOMPARE(seen, 3);
    QCOMPARE(ds.recNo(), 3);
    ds.prior();
    QCOMPARE(ds[QStringLiteral("ID")].asInteger(), 2);
    QVERIFY(ds[QStringLiteral("VAL")].isNull());
    ds.last();
    QVERIFY(ds.eof());
    ds.setRecNo(1);
    ds.prior();
    QVERIFY(ds.bof());
    QCOMPARE(ds.recNo(), 1);
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.field(QStringLiteral("NOPE")));
    ds.close();
    QVERIFY(!ds.active());
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.next());
}

void TestDataset::applyWritesInsertsChangesKeysAndDeletes()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.open();
    ds.setRecNo(1);
    ds.edit();
    ds[QStringLiteral("ID")].setValue(10); // the key changes: children follow by cascade
    ds[QStringLiteral("NAME")].setValue(QStringLiteral("Змінений"));
    ds.post();
    QCOMPARE(ds.updateStatus(), UpdateStatus::Modified);
    ds.setRecNo(2);
    ds.remove();
    ds.append();
    ds[QStringLiteral("ID")].setValue(4);
    ds[QStringLiteral("NAME")].setValue(QStringLiteral("Новий"));
    ds[QStringLiteral("VAL")].setValue(0.25);
    ds.post();
    ds.setRecNo(1);
    ds.insert(); // before the current row
    ds[QStringLiteral("ID")].setValue(2); // the number of the deleted row: deletions go first
    ds.post();
    QVERIFY(ds.updatesPending());
    QCOMPARE(ids(ds), QStringLiteral("2: 10:Змінений 3:Третій 4:Новий"));
    ds.applyUpdates();
    f.tra.commit();
    QVERIFY(!ds.updatesPending());
    f.tra.start();
    QCOMPARE(f.dump("select * from PARENT order by ID"),
             QStringLiteral("2,null,null;3,Третій,3;4,Новий,0.25;10,Змінений,1.5"));
    QCOMPARE(f.dump("select PID, N from CHILD order by PID, N"), QStringLiteral("3,1;10,1;10,2"));
    for (int r = 0; r < ds.recordCount(); ++r) QCOMPARE(ds.updateStatusAt(r), UpdateStatus::Unchanged);
    // A second apply has nothing to write.
    ds.applyUpdates();
}

void TestDataset::cancelUpdatesRestoresValuesAndPlaces()
{
    Fixture f;
    f.exec("insert into PARENT (ID) values (4)");
    f.exec("insert into PARENT (ID) values (5)");
    Dataset ds;
    f.parents(ds);
    ds.open();
    const QString before = ids(ds);
    // Deletions in an awkward order: from the bottom up, then the top, then a middle one.
    ds.setRecNo(5); ds.remove();
    ds.setRecNo(4); ds.remove();
    ds.setRecNo(1); ds.remove();
    ds.setRecNo(1);
    ds.edit(); ds[QStringLiteral("NAME")].setValue(QStringLiteral("x")); ds.post();
    ds.append(); ds[QStringLiteral("ID")].setValue(9); ds.post();
    ds.setRecNo(1); ds.insert(); ds[QStringLiteral("ID")].setValue(8); ds.post();
    ds.remove(); // a new row deleted again
    ds.setRecNo(2); ds.remove();
    QCOMPARE(ids(ds), QStringLiteral("2:x 9:"));
    ds.cancelUpdates();
    QCOMPARE(ids(ds), before);
    QVERIFY(!ds.updatesPending());
    ds.applyUpdates();
    f.tra.commit();
    f.tra.start();
    QCOMPARE(f.dump("select ID from PARENT order by ID"), QStringLiteral("1;2;3;4;5"));
}

void TestDataset::failedApplyKeepsCacheAndUndoesItsWrites()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.open();
    ds.setRecNo(2);
    ds.remove();                 // applied first ...
    ds.edit();
    ds[QStringLiteral("NAME")].setValue(QStringLiteral("змінено")); // ... then this ...
    ds.post();
    ds.append();
    ds[QStringLiteral("ID")].setValue(1); // ... and this insert fails
    ds.post();
    const QString cache = ids(ds);
    try {
        ds.applyUpdates();
        QFAIL("duplicate key applied");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("violation of PRIMARY")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("\"PARENT\"")), qPrintable(e.message()));
    }
    QCOMPARE(ids(ds), cache);
    QVERIFY(ds.updatesPending());
    QCOMPARE(ds.updateStatusAt(2), UpdateStatus::Inserted);
    // The deletion and the change written before the failure are undone: a commit carries none.
    f.tra.commit();
    f.tra.start();
    QCOMPARE(f.dump("select ID, NAME from PARENT order by ID"), QStringLiteral("1,Перший;2,Другий;3,Третій"));

    // A missing parent: the foreign key names the child table.
    Dataset kids;
    f.children(kids, ds);
    ds.setRecNo(1);
    kids.open();
    kids.append();
    kids[QStringLiteral("PID")].setValue(77);
    kids[QStringLiteral("N")].setValue(1);
    kids.post();
    try {
        kids.applyUpdates();
        QFAIL("orphan applied");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("FOREIGN")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("\"CHILD\"")), qPrintable(e.message()));
    }
    QVERIFY(kids.updatesPending());
    kids.cancelUpdates();
    QVERIFY(!kids.updatesPending());
}

void TestDataset::requiredFieldRefusesPost()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.open();
    ds.append();
    ds[QStringLiteral("NAME")].setValue(QStringLiteral("без номера"));
    try {
        ds.post();
        QFAIL("posted without a key");
    } catch (const DatasetError& e) {
        QCOMPARE(e.message(), QStringLiteral("Field 'ID' must have a value"));
    }
    QCOMPARE(ds.state(), DatasetState::Insert);
    QCOMPARE(ds[QStringLiteral("NAME")].asString(), QStringLiteral("без номера"));
    // Moving away tries to post the touched row, and fails the same way.
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds.first());
    QCOMPARE(ds.state(), DatasetState::Insert);
    ds.cancel();
    QCOMPARE(ds.recordCount(), 3);
    QVERIFY(!ds.updatesPending());
}

void TestDataset::untouchedNewRowIsCancelledOnMove()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.afterInsert = [](Dataset& d) { d[QStringLiteral("VAL")].setValue(1.0); }; // defaults do not touch
    ds.open();
    ds.append();
    QCOMPARE(ds.recordCount(), 4);
    QVERIFY(!ds.modified());
    ds.first();
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.state(), DatasetState::Browse);
    QVERIFY(!ds.updatesPending());
}

void TestDataset::masterDetailReopensAfterSavingHook()
{
    Fixture f;
    Dataset master, detail;
    f.parents(master);
    f.children(detail, master);
    QStringList log;
    detail.beforeClose = [&](Dataset& d) {
        log << QStringLiteral("close %1").arg(d.param(QStringLiteral("x")).toString());
        d.applyUpdates(); // the saving moment: a detail saves itself before it closes
    };
    detail.afterOpen = [&](Dataset& d) { log << QStringLiteral("open %1").arg(d.recordCount()); };
    master.open();
    detail.open();
    QCOMPARE(ids(detail), QStringLiteral("1:1 1:2"));
    detail.setRecNo(1);
    detail.edit();
    detail[QStringLiteral("TXT")].setValue(QStringLiteral("змінено"));
    detail.post();
    master.next(); // parent 2 has no children
    QCOMPARE(detail.recordCount(), 0);
    master.next();
    QCOMPARE(ids(detail), QStringLiteral("3:1"));
    QCOMPARE(log, (QStringList{QStringLiteral("open 2"), QStringLiteral("close "), QStringLiteral("open 0"),
                               QStringLiteral("close "), QStringLiteral("open 1")}));
    QCOMPARE(f.dump("select TXT from CHILD where PID = 1 and N = 1"), QStringLiteral("змінено"));
    // Staying on the same key does not reopen the detail.
    log.clear();
    master.edit();
    master[QStringLiteral("NAME")].setValue(QStringLiteral("інше"));
    master.post();
    QVERIFY(log.isEmpty());
    // A new master row shows no children.
    master.append();
    QCOMPARE(detail.recordCount(), 0);
    master.cancel();
    QCOMPARE(ids(detail), QStringLiteral("3:1"));
    master.close();
    QVERIFY(!detail.active());
}

void TestDataset::locateExactAndPrefix()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    ds.open();
    QVERIFY(ds.locate(QStringLiteral("ID;NAME"), {3, QStringLiteral("Третій")}));
    QCOMPARE(ds.recNo(), 3);
    QVERIFY(!ds.locate(QStringLiteral("ID;NAME"), {3, QStringLiteral("третій")}));
    QCOMPARE(ds.recNo(), 3);
    QVERIFY(ds.locate(QStringLiteral("NAME"), QStringLiteral("дру"), {true, true}));
    QCOMPARE(ds.recNo(), 2);
    QVERIFY(ds.locate(QStringLiteral("ID"), QStringLiteral("1"))); // a text form of the number
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(ds.locate(QStringLiteral("VAL"), QVariant()));
    QCOMPARE(ds.recNo(), 2);
    QVERIFY(!ds.locate(QStringLiteral("ID"), 99));
    QCOMPARE(ds.recNo(), 2);
}

void TestDataset::conversionsCalculatedFieldsAndLocale()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    Field& code = ds.declareField(QStringLiteral("ID"));
    code.onGetText = [](const Field& fl, bool) { return fl.isNull() ? QString() : QStringLiteral("№%1").arg(fl.asInteger()); };
    code.onSetText = [](Field& fl, const QString& t) {
        if (!t.isEmpty()) fl.setValue(QString(t).remove(u'№').toInt());
    };
    ds.addCalculatedField(QStringLiteral("TWICE"), FieldType::Double);
    ds.onCalcFields = [](Dataset& d) {
        if (!d[QStringLiteral("VAL")].isNull()) d[QStringLiteral("TWICE")].setValue(d[QStringLiteral("VAL")].asFloat() * 2);
    };
    ds.open();
    QCOMPARE(ds.displayTextAt(0, code.index()), QStringLiteral("№1"));
    QCOMPARE(ds.valueAt(0, ds[QStringLiteral("TWICE")].index()).toDouble(), 3.0);
    QVERIFY(ds.valueAt(1, ds[QStringLiteral("TWICE")].index()).isNull());

    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    ds.setRecNo(2);
    ds.edit();
    code.setText(QStringLiteral("№20"));
    ds[QStringLiteral("VAL")].setText(QStringLiteral("2,5"));
    QCOMPARE(ds[QStringLiteral("TWICE")].asFloat(), 5.0); // recomputed while editing
    ds[QStringLiteral("VAL")].setText(QStringLiteral("2.75"));
    QCOMPARE(ds[QStringLiteral("VAL")].asFloat(), 2.75);
    QCOMPARE(ds[QStringLiteral("VAL")].displayText(), QStringLiteral("2,75"));
    ds[QStringLiteral("VAL")].setDisplayFormat(QStringLiteral("0.000"));
    QCOMPARE(ds[QStringLiteral("VAL")].displayText(), QStringLiteral("2,750"));
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds[QStringLiteral("VAL")].setText(QStringLiteral("два")));
    ds[QStringLiteral("VAL")].setText(QString());
    QVERIFY(ds[QStringLiteral("VAL")].isNull());
    ds.post();
    QCOMPARE(ds.displayTextAt(1, code.index()), QStringLiteral("№20"));
    QLocale::setDefault(QLocale::c());
    QCOMPARE(formatNumber(2.5), QStringLiteral("2.5"));
    QCOMPARE(formatNumber(1234567.0), QStringLiteral("1234567"));
    QCOMPARE(formatNumber(0.5, QStringLiteral("0.##")), QStringLiteral("0.5"));
    QCOMPARE(formatNumber(2.0, QStringLiteral("0.##")), QStringLiteral("2"));
    QCOMPARE(formatNumber(7, QStringLiteral("00000")), QStringLiteral("00007"));
    QCOMPARE(formatNumber(-0.004, QStringLiteral("0.00")), QStringLiteral("0.00"));
    QCOMPARE(formatNumber(-1.5, QStringLiteral("0.00")), QStringLiteral("-1.50"));
}

void TestDataset::eventsCanAbort()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    bool allow = false;
    ds.beforeDelete = [&](Dataset&) {
        if (!allow) throw Abort();
    };
    ds.open();
    QVERIFY_THROWS_EXCEPTION(Abort, ds.remove());
    QCOMPARE(ds.recordCount(), 3);
    allow = true;
    ds.remove();
    QCOMPARE(ds.recordCount(), 2);
    QVERIFY_THROWS_EXCEPTION(DatasetError, ds[QStringLiteral("NAME")].setValue(QStringLiteral("у перегляді")));
}

void TestDataset::customApplyStep()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    QStringList seen;
    ds.setApplyStep([&](Transaction& t, const RowChange& c) {
        seen << QStringLiteral("%1:%2>%3").arg(int(c.kind)).arg(c.oldValue(QStringLiteral("ID")).toString(),
                                                                 c.newValue(QStringLiteral("ID")).toString());
        if (c.kind == UpdateStatus::Modified) {
            Statement s(t, QStringLiteral("update PARENT set NAME = :n where ID = :id"));
            s.setParam(QStringLiteral("n"), c.newValue(QStringLiteral("NAME")));
            s.setParam(QStringLiteral("id"), c.oldValue(QStringLiteral("ID")));
            s.execute();
        }
    });
    ds.open();
    ds.remove();
    ds.edit();
    ds[QStringLiteral("NAME")].setValue(QStringLiteral("через крок"));
    ds.post();
    ds.applyUpdates();
    QCOMPARE(seen, (QStringList{QStringLiteral("3:1>1"), QStringLiteral("1:2>2")}));
    QCOMPARE(f.dump("select NAME from PARENT where ID = 2"), QStringLiteral("через крок"));
}

void TestDataset::severalDatasetsCommitTogether()
{
    Fixture f;
    Dataset parents, kids;
    f.parents(parents);
    f.children(kids, parents);
    parents.open();
    kids.open();
    parents.append();
    parents[QStringLiteral("ID")].setValue(5);
    parents.post();
    kids.append(); // parent 5 is current now: a child of it would be fine, but this one has no parent
    kids[QStringLiteral("PID")].setValue(99);
    kids[QStringLiteral("N")].setValue(1);
    kids.post();
    QVERIFY_THROWS_EXCEPTION(DbError, applyAndCommit(f.tra, {&parents, &kids}, true));
    // Nothing reached the database, and both caches still hold their changes.
    QVERIFY(parents.updatesPending());
    QVERIFY(kids.updatesPending());
    QCOMPARE(f.dump("select count(*) from PARENT"), QStringLiteral("3"));
    kids.edit();
    kids[QStringLiteral("PID")].setValue(5);
    kids.post();
    applyAndCommit(f.tra, {&parents, &kids}, true);
    QVERIFY(!parents.updatesPending() && !kids.updatesPending());
    QCOMPARE(f.dump("select PID, N from CHILD where PID = 5"), QStringLiteral("5,1"));
}

void TestDataset::modelShowsAndEdits()
{
    Fixture f;
    Dataset ds;
    f.parents(ds);
    DatasetModel model(ds);
    ds.open();
    ds[QStringLiteral("NAME")].setDisplayLabel(QStringLiteral("Назва"));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Назва"));
    QCOMPARE(model.data(model.index(2, 1), Qt::DisplayRole).toString(), QStringLiteral("Третій"));
    int current = -1;
    connect(&model, &DatasetModel::currentRowChanged, this, [&](int r) { current = r; });
    QVERIFY(model.setData(model.index(1, 2), QStringLiteral("4.5"), Qt::EditRole));
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(current, 1);
    QCOMPARE(ds.state(), DatasetState::Edit);
    QString failure;
    connect(&model, &DatasetModel::editFailed, this, [&](const QString& m) { failure = m; });
    QVERIFY(!model.setData(model.index(1, 2), QStringLiteral("abc"), Qt::EditRole));
    QVERIFY(failure.contains(QStringLiteral("abc")));
    model.setCurrentRow(0); // posts the edit, as leaving a row does
    QCOMPARE(ds.recNo(), 1);
    QCOMPARE(model.data(model.index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("4.5"));
    QCOMPARE(model.data(model.index(1, 2), DatasetModel::UpdateStatusRole).toInt(), int(UpdateStatus::Modified));
    ds.append();
    QCOMPARE(model.rowCount(), 4);
    ds.cancel();
    QCOMPARE(model.rowCount(), 3);
    ds.close();
    QCOMPARE(model.rowCount(), 0);
}

AERIS_TEST(TestDataset)
#include "tst_dataset.moc"
