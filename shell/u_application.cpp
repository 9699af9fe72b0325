#include "u_application.h"

#include "u_appexception.h"

namespace aeris {

bool AerisApplication::notify(QObject* receiver, QEvent* event)
{
    return guardedNotify([&] { return QApplication::notify(receiver, event); });
}

} // namespace aeris
