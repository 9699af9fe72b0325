#pragma once
// The check of the year window: a four-digit integer from 1000 to 9999.

#include "u_seams.h"

#include <QString>

namespace aeris {

struct YearCheck {
    bool ok = false;
    int year = 0;
    QString message; // shown when not ok
    QString caption;
    MsgIcon icon = MsgIcon::None;
};

YearCheck checkYear(const QString& text);

} // namespace aeris
