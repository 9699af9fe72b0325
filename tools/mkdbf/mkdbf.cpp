// aeris-mkdbf <definitions> <folder>
// Makes the empty DBF templates described by a definitions file (see dispersion/templates).

#include "u_dbfmake.h"
#include "u_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: aeris-mkdbf <definitions> <folder>\n");
        return 2;
    }
    try {
        QFile f(args[1]);
        if (!f.open(QIODevice::ReadOnly)) throw aeris::Error(QStringLiteral("cannot read ") + args[1]);
        QDir().mkpath(args[2]);
        for (const auto& [file, fields] : aeris::dbf::parseDefinitions(QString::fromUtf8(f.readAll())))
            aeris::dbf::makeTable(QDir(args[2]).filePath(file), fields);
    } catch (const aeris::Error& e) {
        std::fprintf(stderr, "aeris-mkdbf: %s\n", e.what());
        return 1;
    }
    return 0;
}
