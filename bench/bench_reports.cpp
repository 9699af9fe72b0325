// The table viewer and the document engine with a 20 000-row table: filling the grid, saving
// it unchanged, and producing an RTF document of all rows; prints times and peak memory.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_reports

#include "genrtf.h"
#include "u_dataset.h"
#include "u_paths.h"
#include "u_tablegrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace aeris;

namespace {

class Module : public reports::ReportModule {
public:
    db::Connection conn;
    db::Transaction tra{conn};
    db::Dataset ds;
    QHash<QString, int> index;

    void DefineTable(int, reports::TableGrid& g) override
    {
        g.dataset = &ds;
        g.setShape(2, 1, 4);
        const char* fields[] = {"SITE", "ID", "NAME", "V"};
        for (int c = 0; c < 4; ++c) {
            g.fieldNames[size_t(c)] = QString::fromLatin1(fields[c]);
            g.groupColumn[size_t(c)] = c < 2 ? c : 1;
        }
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
};

double ms(QElapsedTimer& t)
{
    const double v = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return v;
}

long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir program, project;
    AppPaths paths(program.path());
    paths.setProjectDir(project.path());
    const QString file = program.filePath(QStringLiteral("r.fdb"));
    db::Connection::createDatabase(file, 4096, QStringLiteral("WIN1251"), db::standardConnectParams());
    Module m;
    m.conn.setDatabaseName(file);
    m.conn.connect();
    m.conn.executeImmediate(QStringLiteral("create table R (SITE integer not null, ID integer not null, NAME varchar(80),"
                                           " V double precision, constraint PK_R primary key (SITE, ID))"));
    m.tra.start();
    {
        db::Statement ins(m.tra, QStringLiteral("insert into R values (:s, :i, :n, :v)"));
        for (int i = 0; i < 20000; ++i) {
            ins.setParam(QStringLiteral("s"), i / 100 + 1);
            ins.setParam(QStringLiteral("i"), i % 100 + 1);
            ins.setParam(QStringLiteral("n"), QStringLiteral("Джерело викиду номер %1").arg(i));
            ins.setParam(QStringLiteral("v"), i * 0.25);
            ins.execute();
        }
    }
    m.tra.commitRetaining();
    m.ds.setTransaction(&m.tra);
    m.ds.setSql(QStringLiteral("select * from R order by SITE, ID"));
    m.ds.setUpdateTable(QStringLiteral("R"), QStringLiteral("SITE;ID"));
    std::printf("peak memory after loading 20000 rows:  %ld KiB\n", peakKb());

    reports::TableGrid grid;
    m.DefineTable(1, grid);
    QElapsedTimer t;
    t.start();
    grid.FillGrid();
    std::printf("fill the grid (20000 rows):            %8.1f ms\n", ms(t));
    grid.SaveTable(m, 1);
    std::printf("save the grid unchanged:               %8.1f ms\n", ms(t));
    std::printf("peak memory:                           %ld KiB\n", peakKb());

    QDir().mkpath(program.filePath(QStringLiteral("Template")));
    QFile templ(program.filePath(QStringLiteral("Template/big.rtf")));
    templ.open(QIODevice::WriteOnly);
    templ.write("{\\rtf1\\ansi\\ansicpg1251 Table *TABLE*\\par \\trowd\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx1000"
                "\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx2000\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx6000"
                "\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx8000 \\pard\\intbl \\cell \\cell \\cell \\cell\\row *TABLE*\\par}");
    templ.close();
    m.ds.close();
    m.ds.setTag(1);
    for (int c = 0; c < 4; ++c) m.ds.declareField(grid.fieldNames[size_t(c)]).setTag(c < 2 ? c + 1 : 2);
    rtf::DocumentEngine engine(paths);
    engine.datasets().set(0, &m.ds);
    const long before = peakKb();
    t.restart();
    engine.GenerateDocument(QStringLiteral("big"));
    std::printf("RTF document of 20000 rows:            %8.1f ms, %lld bytes\n", ms(t),
                qlonglong(QFile(engine.outputPath(QStringLiteral("big"))).size()));
    std::printf("peak memory growth while printing:     %ld KiB\n", peakKb() - before);
    db::shutdownClient();
    return 0;
}
