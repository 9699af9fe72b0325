// Start-up: the program folder, the Qt seams, the user's locale, the main window.

#include "u_fbclient.h"
#include "u_paths.h"
#include "u_qtseams.h"

#include <QApplication>
#include <QLocale>
#include <QMainWindow>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    aeris::AppPaths::current().setProgramDir(QCoreApplication::applicationDirPath());
    aeris::installQtSeams();
    QLocale::setDefault(QLocale::system());

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("АЕРІС"));
    window.setMinimumSize(790, 550);
    window.resize(790, 550);
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    const int rc = app.exec();
    aeris::db::shutdownClient();
    return rc;
}
