#include "u_datagrid.h"
#include "u_recordingseams.h"
#include "u_testdirs.h"
#include "u_testregistry.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTest>

using namespace aeris;
using namespace aeris::db;

namespace {

struct Grid {
    test::TempDir dir;
    Connection conn;
    Transaction tra{conn};
    Dataset ds;
    DataGrid grid;
    test::RecordingSeams ui;

    Grid()
    {
        const QString path = dir.file(QStringLiteral("g.fdb"));
        Connection::createDatabase(path, 4096, QStringLiteral("WIN1251"), standardConnectParams());
        conn.setDatabaseName(path);
        conn.connect();
        conn.executeImmediate(QStringLiteral("create table T (ID integer not null primary key, NAME varchar(20), V double precision)"));
        tra.start();
        for (int i = 1; i <= 3; ++i) Statement(tra, QStringLiteral("insert into T values (%1, 'р%1', %1.5)").arg(i)).execute();
        ds.setTransaction(&tra);
        ds.setSql(QStringLiteral("select * from T order by ID"));
        ds.setUpdateTable(QStringLiteral("T"), QStringLiteral("ID"));
        ds.declareField(QStringLiteral("NAME")).setDisplayLabel(QStringLiteral("Назва"));
        ds.open();
        grid.setDataset(&ds);
        grid.resize(400, 300);
        grid.show();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QKeyEvent e(QEvent::KeyPress, k, m);
        QCoreApplication::sendEvent(&grid, &e);
    }
};

} // namespace

class TestDataGrid : public QObject {
    Q_OBJECT
private slots:
    void titlesIndicatorAndFollowing();
    void keysInsertAppendCancelDelete();
    void untouchedNewRowIsDroppedWhenLeft();
};

void TestDataGrid::titlesIndicatorAndFollowing()
{
    Grid g;
    QCOMPARE(g.grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Назва"));
    QCOMPARE(g.grid.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("►"));
    g.ds.setRecNo(3);
    QCOMPARE(g.grid.currentIndex().row(), 2);
    g.grid.setCurrentIndex(g.grid.model()->index(1, 1));
    QCOMPARE(g.ds.recNo(), 2);
    g.ds.edit();
    QCOMPARE(g.grid.model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("I"));
    g.ds.cancel();
}

void TestDataGrid::keysInsertAppendCancelDelete()
{
    Grid g;
    g.grid.setCurrentIndex(g.grid.model()->index(2, 0));
    g.key(Qt::Key_Down); // past the last row: a new row
    QCOMPARE(g.ds.state(), DatasetState::Insert);
    QCOMPARE(g.grid.model()->rowCount(), 4);
    QCOMPARE(g.grid.model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("*"));
    g.key(Qt::Key_Escape);
    QCOMPARE(g.grid.model()->rowCount(), 3);
    g.grid.setAppendOnDown(false);
    g.grid.setCurrentIndex(g.grid.model()->index(2, 0));
    g.key(Qt::Key_Down);
    QCOMPARE(g.grid.model()->rowCount(), 3);
    g.grid.setCurrentIndex(g.grid.model()->index(1, 0));
    g.key(Qt::Key_Insert);
    QCOMPARE(g.ds.recNo(), 2);
    QCOMPARE(g.ds.state(), DatasetState::Insert);
    g.key(Qt::Key_Escape);
    g.ui.answers = {Answer::No};
    g.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(g.ds.recordCount(), 3);
    QCOMPARE(g.ui.texts(), QStringList{QStringLiteral("Видалити запис?")});
    g.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(g.ds.recordCount(), 2);
    g.grid.setReadOnly(true);
    g.key(Qt::Key_Insert);
    QCOMPARE(g.ds.state(), DatasetState::Browse);
}

void TestDataGrid::untouchedNewRowIsDroppedWhenLeft()
{
    Grid g;
    g.ds.append();
    g.grid.setCurrentIndex(g.grid.model()->index(0, 0));
    QCOMPARE(g.ds.recordCount(), 3);
    QCOMPARE(g.ds.recNo(), 1);
    // A touched one is posted instead, with the entry converted from its text.
    g.ds.append();
    QVERIFY(g.grid.model()->setData(g.grid.model()->index(3, 0), QStringLiteral("9"), Qt::EditRole));
    QVERIFY(g.grid.model()->setData(g.grid.model()->index(3, 2), QStringLiteral("2,5"), Qt::EditRole));
    g.grid.setCurrentIndex(g.grid.model()->index(0, 0));
    QCOMPARE(g.ds.recordCount(), 4);
    QCOMPARE(g.ds.valueAt(3, 2).toDouble(), 2.5);
    // A row that cannot be posted keeps the cursor: the error goes to the handler, nothing crashes.
    g.ds.append();
    g.grid.model()->setData(g.grid.model()->index(4, 1), QStringLiteral("без ключа"), Qt::EditRole);
    g.grid.setCurrentIndex(g.grid.model()->index(0, 0));
    QCOMPARE(g.ds.state(), DatasetState::Insert);
    QCOMPARE(g.ui.texts(), QStringList{QStringLiteral("Слід заповнити ключові поля")});
    QTest::qWait(10);
    QCOMPARE(g.grid.currentIndex().row(), 4);
}

AERIS_TEST(TestDataGrid)
#include "tst_datagrid.moc"
