#pragma once
// DBF files as the engine reads and writes them: fields by position, values as text with "."
// as the decimal point. Plain C++.

#include <stdexcept>
#include <string>
#include <vector>

namespace dispex {

struct DbfField {
    std::string name;
    char type;
    int length;
    int decimals;
};

struct DbfTable {
    std::vector<DbfField> fields;
    std::vector<std::vector<std::string>> records; // trimmed texts
};

// Throws std::runtime_error naming the file.
DbfTable readDbf(const std::string& path);
// Writes `records` into a copy of the template `templ` at `path`, through a temporary name and a
// rename (the file appears complete or not at all). Values longer than their field throw.
void writeDbf(const std::string& templ, const std::string& path, const std::vector<std::vector<std::string>>& records);

} // namespace dispex
