#pragma once
// The substance code SUBST_ID = 2ТП code × 100000 + ГДК code (0 ≤ ГДК code ≤ 99999), its
// text form ("00412 / 301") and the parsing of a typed code. The text form works in 32-bit
// signed arithmetic: it covers codes up to 2147483647, that is 2ТП codes up to 21474.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace aeris::obj {

inline constexpr std::int64_t kSubstFactor = 100000;

inline const QString kSubstSepEditor = QStringLiteral(" / ");
inline const QString kSubstSepReport = QStringLiteral("\r\n-------\r\n");

constexpr std::int64_t packSubstId(std::int64_t tp2, std::int64_t gdk) { return tp2 * kSubstFactor + gdk; }
constexpr std::int64_t tp2Part(std::int64_t substId) { return substId / kSubstFactor; }
constexpr std::int64_t gdkPart(std::int64_t substId) { return substId % kSubstFactor; }

// "%.5d" of the 2ТП part (or "-"), the separator, "%d" of the ГДК part (or "-").
// A code outside the 32-bit range has no text form and gives an empty text.
QString substIdText(std::int64_t substId, const QString& separator = kSubstSepEditor);
// A null value gives an empty text.
QString substIdText(const QVariant& substId, const QString& separator = kSubstSepEditor);

// The leading digits are the 2ТП part, the trailing digits (after some non-digit) the ГДК
// part. Returns nothing when the parts do not fit the text form's range.
std::optional<std::int64_t> parseSubstId(const QString& text);

} // namespace aeris::obj
