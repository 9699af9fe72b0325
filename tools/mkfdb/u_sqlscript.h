#pragma once
// Splits an SQL script into statements the way an interactive SQL tool reads it: statements end
// with the current terminator (";" unless "SET TERM" changed it), quoted texts and comments may
// contain anything.

#include <QString>
#include <QStringList>

namespace aeris::sqlscript {

QStringList splitStatements(const QString& script);

} // namespace aeris::sqlscript
