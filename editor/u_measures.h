#pragma once
// The planned measures between consecutive states of an object: for every perspective, which
// sources close, open, or change their parameters, their cleaning units or their emissions
// compared with the state before it.

#include <QString>
#include <QStringList>

namespace aeris::editor {

// Lines such as "2027 р.: джерело № 3 (пм.1): змінити параметри, зміни у ГОУ", grouped by year;
// within a year the sources of the older state in key order, then the opened ones.
// `stateCount` is the number of states in the selector (the existing one included).
// Throws db::DbError when a state file cannot be opened.
QStringList plannedMeasures(const QString& projectFolder, int baseYear, int stateCount);

} // namespace aeris::editor
