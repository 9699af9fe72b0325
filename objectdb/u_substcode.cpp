#include "u_substcode.h"

#include <limits>

namespace aeris::obj {

QString substIdText(std::int64_t substId, const QString& separator)
{
    if (substId > std::numeric_limits<std::int32_t>::max() || substId < std::numeric_limits<std::int32_t>::min())
        return {};
    const std::int32_t id = std::int32_t(substId);
    const std::int32_t tp2 = id / 100000;
    const std::int32_t gdk = id % 100000;
    const QString tp2Text = tp2 > 0 ? QStringLiteral("%1").arg(tp2, 5, 10, QLatin1Char('0')) : QStringLiteral("-");
    const QString gdkText = gdk > 0 ? QString::number(gdk) : QStringLiteral("-");
    return tp2Text + separator + gdkText;
}

QString substIdText(const QVariant& substId, const QString& separator)
{
    if (!substId.isValid() || substId.isNull()) return {};
    return substIdText(std::int64_t(substId.toLongLong()), separator);
}

std::optional<std::int64_t> parseSubstId(const QString& raw)
{
    const QString text = raw.trimmed();
    qsizetype lead = 0;
    while (lead < text.size() && text[lead].isDigit() && text[lead].unicode() < 128) ++lead;
    qsizetype trail = text.size();
    while (trail > 0 && text[trail - 1].isDigit() && text[trail - 1].unicode() < 128) --trail;

    auto number = [](QStringView digits) -> std::optional<std::int64_t> {
        if (digits.isEmpty()) return std::int64_t(0);
        if (digits.size() > 10) return std::nullopt;
        bool ok = false;
        const qlonglong v = digits.toLongLong(&ok);
        if (!ok) return std::nullopt;
        return std::int64_t(v);
    };
    const auto tp2 = number(QStringView(text).left(lead));
    // The trailing run counts only when a non-digit stands before it.
    const bool hasGdk = trail > 0 && trail < text.size() && lead < text.size();
    const auto gdk = hasGdk ? number(QStringView(text).mid(trail)) : std::optional<std::int64_t>(0);
    if (!tp2 || !gdk || *gdk >= kSubstFactor) return std::nullopt;
    const std::int64_t id = *tp2 * kSubstFactor + *gdk;
    if (id > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return id;
}

} // namespace aeris::obj
