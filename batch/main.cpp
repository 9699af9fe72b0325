// aeris-batch: the program's operations without windows.

#include "u_batchcommands.h"
#include "u_fbclient.h"
#include "u_paths.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::system());
    aeris::AppPaths& paths = aeris::AppPaths::current();
    paths.setProgramDir(QCoreApplication::applicationDirPath());
    QTextStream out(stdout);
    QTextStream err(stderr);
    aeris::batch::Context ctx{paths, out, err};
    const int rc = aeris::batch::run(ctx, app.arguments().mid(1));
    out.flush();
    err.flush();
    aeris::db::shutdownClient();
    return rc;
}
