#pragma once
// The geometric type of an emission source, EMISSRC_TYPE: 0 point, 1 rectangular, 2 linear,
// 3 area, with the one-character texts that are shown and entered.

#include <QString>
#include <QVariant>

namespace aeris::obj {

enum SourceType { SrcPoint = 0, SrcRect = 1, SrcLine = 2, SrcArea = 3 };

// 0 → "*", 1 → "ю", 2 → "|", 3 → "Ы"; a null type reads as 0; other values give "".
// (The characters are drawn with an OEM font in the editor, where the code-page-1251 bytes
// of "ю" and "Ы" appear as a small and a full block.)
QString sourceTypeText(const QVariant& type);
// "*" or "Т" → 0, "ю" or "К" → 1, "|" or "Л" → 2, any other text → 3.
int sourceTypeFromText(const QString& text);

} // namespace aeris::obj
