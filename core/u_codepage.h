#pragma once
// Code page 1251 (every file and database text) and the Cyrillic DOS page 866 (texts of DOS-era
// DBF files). Conversion tables are our own so that the result never depends on how the
// platform's Qt was built.

#include <QByteArray>
#include <QString>

namespace aeris::codepage {

// Unicode text to code page 1251; characters the page lacks become '?'.
QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);

QByteArray toCp866(const QString& text);
QString fromCp866(const QByteArray& bytes);

// DOS (866) bytes to Windows (1251) bytes and back, as the OEM/ANSI translation of the
// Cyrillic pages does. Characters without an equivalent become the nearest letter where one
// exists (Ґ → Г) and '?' otherwise.
QByteArray oemToAnsi(const QByteArray& oem);
QByteArray ansiToOem(const QByteArray& ansi);

// The DBF component's conversion: toOem first replaces the Ukrainian І/і (absent from the DOS
// page) by the Latin I/i and then converts to DOS; otherwise converts DOS to Windows.
QByteArray convertOem(const QByteArray& text, bool toOem);

} // namespace aeris::codepage
