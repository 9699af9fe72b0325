// The emission editor with a large object: 1000 sources with 20 emissions each (20 000 rows in
// the state). Opens the editor, moves through 100 sources, saves; prints the time of each step.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editor

#include "d_obj.h"
#include "f_emisstab.h"
#include "f_sel_others.h"
#include "f_sel_subst.h"
#include "u_fbclient.h"
#include "u_files.h"
#include "u_paths.h"
#include "u_project.h"
#include "u_refdata.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace aeris;

namespace {

void fill(const QString& file, int sources, int perSource)
{
    db::Connection c;
    c.setDatabaseName(file);
    c.connect();
    db::Transaction t(c);
    t.start();
    db::Statement(t, QStringLiteral("insert into PROD_SITES values (1, 'Майданчик')")).execute();
    db::Statement subst(t, QStringLiteral("insert into SUBSTANCES values (:id, :name)"));
    for (int s = 1; s <= perSource; ++s) {
        subst.setParam(QStringLiteral("id"), qlonglong(300 + s));
        subst.setParam(QStringLiteral("name"), QStringLiteral("Речовина %1").arg(s));
        subst.execute();
    }
    db::Statement src(t, QStringLiteral("insert into EMISSION_SRC (SITE_ID, EMISSRC_ID, EMISSRC_NAME, EMISSRC_TYPE, X1, Y1, HEIGHT, DIAMETER, VOLUME, TEMP) "
                                        "values (1, :id, :name, 0, :x, :y, 30, 1, 5, 80)"));
    db::Statement emis(t, QStringLiteral("insert into EMISSION_DATA (SITE_ID, EMISSRC_ID, SUBST_ID, EMIS_TYPE, GS, TY) values (1, :src, :subst, 0, :gs, :ty)"));
    for (int i = 1; i <= sources; ++i) {
        src.setParam(QStringLiteral("id"), i);
        src.setParam(QStringLiteral("name"), QStringLiteral("Джерело %1").arg(i));
        src.setParam(QStringLiteral("x"), double(i % 100) * 10);
        src.setParam(QStringLiteral("y"), double(i / 100) * 10);
        src.execute();
        for (int s = 1; s <= perSource; ++s) {
            emis.setParam(QStringLiteral("src"), i);
            emis.setParam(QStringLiteral("subst"), qlonglong(300 + s));
            emis.setParam(QStringLiteral("gs"), 0.01 * s);
            emis.setParam(QStringLiteral("ty"), 0.3 * s);
            emis.execute();
        }
    }
    t.commit();
}

double ms(QElapsedTimer& t)
{
    const double v = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir program, work;
    AppPaths paths(program.path());
    QDir().mkpath(program.filePath(QStringLiteral("Data")));
    const QString built = QStringLiteral(AERIS_PROGRAM_DIR) + QStringLiteral("/Data/");
    files::copyIfAbsent(built + QStringLiteral("OBJ.FDB"), program.filePath(QStringLiteral("Data/OBJ.FDB")));
    files::copyIfAbsent(built + QStringLiteral("INFO.FDB"), program.filePath(QStringLiteral("Data/INFO.FDB")));
    ProjectSession project(paths);
    const QString folder = work.filePath(QStringLiteral("big"));
    project.createProject(folder, QStringLiteral("Великий об'єкт"));
    files::copyIfAbsent(program.filePath(QStringLiteral("Data/OBJ.FDB")), folder + QStringLiteral("/aer.dat/OBJ.FDB"));

    QElapsedTimer timer;
    timer.start();
    fill(folder + QStringLiteral("/aer.dat/OBJ.FDB"), 1000, 20);
    std::printf("fill 1000 sources, 20000 emissions: %8.1f ms\n", ms(timer));

    project.openProject(folder);
    ref::InfoSubstData substRef;
    ref::InfoProdData prodRef;
    obj::TDataModuleObj dm(paths, substRef, prodRef);
    dm.selectedState = [&] { return project.selectedState(); };
    TFormSelSubst selSubst;
    TFormSelPro selPro;
    TFormEmissTab form(project, dm, selSubst, selPro);
    form.resize(1200, 800);
    form.show();
    app.processEvents();
    ms(timer);
    form.logic().ReopenObjectData();
    app.processEvents();
    std::printf("open the editor:                    %8.1f ms\n", ms(timer));

    for (int i = 1; i <= 100; ++i) {
        dm.IBQueryEmisSrc.setRecNo(i * 10);
        app.processEvents();
    }
    const double moves = ms(timer);
    std::printf("move through 100 sources:           %8.1f ms (%.2f ms each)\n", moves, moves / 100);
    dm.IBQueryEmisSrc.edit();
    dm.IBQueryEmisSrc[QStringLiteral("HEIGHT")].setValue(31.0);
    dm.IBQueryEmisData.edit();
    dm.IBQueryEmisData[QStringLiteral("GS")].setValue(0.5);
    dm.IBQueryEmisData.post();
    ms(timer);
    form.SpeedButtonSaveClick();
    app.processEvents();
    std::printf("save:                               %8.1f ms\n", ms(timer));
    std::printf("rows: %d sources, %d emissions of the current source\n", dm.IBQueryEmisSrc.recordCount(),
                dm.IBQueryEmisData.recordCount());
    form.logic().CloseObjectData();
    db::shutdownClient();
    return 0;
}
