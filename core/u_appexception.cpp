#include "u_appexception.h"

#include "u_error.h"
#include "u_seams.h"

#include <exception>

namespace aeris {

bool isRequiredFieldError(const QString& message)
{
    return message.contains(QLatin1String("must have a value")) && !message.contains(QLatin1String("I/O Error 21"));
}

void appException(const QString& message)
{
    if (isRequiredFieldError(message))
        showMessage(QStringLiteral("Слід заповнити ключові поля"), QStringLiteral("Помилка"), MsgIcon::Error);
}

bool guardedNotify(const std::function<bool()>& deliver)
{
    try {
        return deliver();
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
