// Start-up: one running program, the program folder, the Qt seams, the user's locale, the
// main window with its shared windows.

#include "f_main.h"
#include "u_application.h"
#include "u_fbclient.h"
#include "u_paths.h"
#include "u_qtseams.h"
#include "u_singleinstance.h"

#include <QLocale>
#include <QScreen>

int main(int argc, char** argv)
{
    // A second start ends at once, silently.
    aeris::SingleInstance instance;
    if (!instance.acquired()) return 0;

    aeris::AerisApplication app(argc, argv);
    aeris::AppPaths& paths = aeris::AppPaths::current();
    paths.setProgramDir(QCoreApplication::applicationDirPath());
    aeris::installQtSeams();
    QLocale::setDefault(QLocale::system());

    int rc = 0;
    {
        aeris::TMainForm window(paths);
        // As large as a working table needs, within the screen.
        const QSize room = window.screen()->availableGeometry().size() * 0.9;
        window.resize(window.minimumSize().expandedTo(room.boundedTo(QSize(1280, 860))));
        window.move(window.screen()->availableGeometry().center() - window.rect().center());
        window.show();
        rc = app.exec();
    }
    aeris::db::shutdownClient();
    return rc;
}
