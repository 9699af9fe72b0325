#pragma once
// The project's base year: state n describes the year BaseYear + n. It is kept in
// <project>/aer.dat/obj.ini, section OBJ, key BaseYear.

#include <QString>

namespace aeris::obj {

// Reads the base year; when it is absent or 0 the current year is taken and written back.
// A file that cannot be written leaves the current year in force for this run.
int getBaseYear(const QString& projectDir);
// Reads it without writing anything (the current year when absent or 0).
int peekBaseYear(const QString& projectDir);
// Writes a positive year; 0 and below are ignored (false). Throws IoError when the file
// cannot be written.
bool setBaseYear(const QString& projectDir, int year);

QString objIniPath(const QString& projectDir);

} // namespace aeris::obj
