// aeris-mkfdb <database.fdb> <script.sql>...
// Creates a template database (page size 4096, character set WIN1251) and runs the scripts
// into it. The file is built under a temporary name and renamed at the end, so a failed build
// never leaves a half-made template behind.

#include "u_codepage.h"
#include "u_fbclient.h"
#include "u_sqlscript.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace aeris;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: aeris-mkfdb <database.fdb> <script.sql>...\n");
        return 2;
    }
    const QString target = QFileInfo(args[1]).absoluteFilePath();
    const QString temp = target + QStringLiteral(".building");
    QFile::remove(temp);
    int rc = 0;
    try {
        db::Connection::createDatabase(temp, 4096, QStringLiteral("WIN1251"), db::standardConnectParams());
        db::Connection conn;
        conn.setDatabaseName(temp);
        conn.connect();
        // Data statements run in one transaction (committed before the next definition), so a
        // script of thousands of inserts does not commit each one.
        db::Transaction data(conn);
        auto isData = [](const QString& s) {
            const QString head = s.left(7).toLower();
            return head.startsWith(QLatin1String("insert")) || head.startsWith(QLatin1String("update")) ||
                   head.startsWith(QLatin1String("delete"));
        };
        for (int k = 2; k < args.size(); ++k) {
            QFile f(args[k]);
            if (!f.open(QIODevice::ReadOnly)) throw Error(QStringLiteral("cannot read ") + args[k]);
            const QString script = QString::fromUtf8(f.readAll());
            for (const QString& stmt : sqlscript::splitStatements(script)) {
                try {
                    if (isData(stmt)) {
                        data.ensureActive();
                        db::Statement(data, stmt).execute();
                    } else {
                        if (data.active()) data.commit();
                        conn.executeImmediate(stmt);
                    }
                } catch (const Error& e) {
                    throw Error(args[k] + QStringLiteral(": ") + e.message() + QStringLiteral("\n--- in:\n") + stmt);
                }
            }
        }
        if (data.active()) data.commit();
        conn.disconnect();
        QFile::remove(target);
        if (!QFile::rename(temp, target)) throw Error(QStringLiteral("cannot rename ") + temp);
    } catch (const Error& e) {
        std::fprintf(stderr, "aeris-mkfdb: %s\n", e.what());
        QFile::remove(temp);
        rc = 1;
    }
    db::shutdownClient();
    return rc;
}
