#include "u_yearcheck.h"

namespace aeris {

YearCheck checkYear(const QString& text)
{
    YearCheck r;
    bool isInt = false;
    const int year = text.trimmed().toInt(&isInt);
    if (!isInt) {
        r.message = QStringLiteral("Рік має задаватися чотиризначним числом!");
        r.caption = QStringLiteral("Помилка");
        r.icon = MsgIcon::Error;
        return r;
    }
    if (year < 1000 || year > 9999) {
        r.message = QStringLiteral("Рік має задаватися чотиризначним числом");
        r.caption = QStringLiteral("Увага");
        r.icon = MsgIcon::Warning;
        return r;
    }
    r.ok = true;
    r.year = year;
    return r;
}

} // namespace aeris
