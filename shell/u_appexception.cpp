#include "u_appexception.h"

#include "u_seams.h"

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

} // namespace aeris
