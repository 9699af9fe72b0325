#pragma once
// Making an empty DBF table of a given layout (for templates built at build time and for
// tests): the header, the field descriptors, the terminator and the end-of-file marker.

#include <QByteArray>
#include <QString>
#include <vector>

namespace aeris::dbf {

struct FieldDef {
    QByteArray name; // at most 10 characters
    char type;       // C, N, F, D, L
    int length;
    int decimals = 0;
};

// Writes the table (through a temporary file and a rename); throws IoError or Error for a
// layout that a DBF file cannot hold.
void makeTable(const QString& path, const std::vector<FieldDef>& fields, unsigned char codePageByte = 0x57);

// Reads definitions: "[file.dbf]" lines, then "NAME TYPE LENGTH [DECIMALS]" per field;
// "#" starts a comment. Returns (file, fields) in order.
std::vector<std::pair<QString, std::vector<FieldDef>>> parseDefinitions(const QString& text);

} // namespace aeris::dbf
