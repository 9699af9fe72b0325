#include "u_application.h"

#include "u_appexception.h"
#include "u_error.h"

namespace aeris {

bool AerisApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error& e) {
        appException(e.message());
    } catch (const std::exception& e) {
        appException(QString::fromUtf8(e.what()));
    } catch (...) {
        appException(QString());
    }
    return false;
}

} // namespace aeris
