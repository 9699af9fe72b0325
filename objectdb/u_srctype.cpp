#include "u_srctype.h"

namespace aeris::obj {

QString sourceTypeText(const QVariant& type)
{
    const int t = (!type.isValid() || type.isNull()) ? 0 : type.toInt();
    switch (t) {
    case SrcPoint: return QStringLiteral("*");
    case SrcRect: return QStringLiteral("ю");
    case SrcLine: return QStringLiteral("|");
    case SrcArea: return QStringLiteral("Ы");
    default: return {};
    }
}

int sourceTypeFromText(const QString& raw)
{
    const QString t = raw.trimmed();
    if (t == QLatin1String("*") || t == QStringLiteral("Т")) return SrcPoint;
    if (t == QStringLiteral("ю") || t == QStringLiteral("К")) return SrcRect;
    if (t == QLatin1String("|") || t == QStringLiteral("Л")) return SrcLine;
    return SrcArea;
}

} // namespace aeris::obj
