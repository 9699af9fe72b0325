#pragma once
// The editor's tables of column hints and of the columns that follow a click across the grids.

#include <QString>
#include <QStringList>

namespace aeris::editor {

enum Grid { GridSources, GridEvolving, GridUnits, GridEmissions, GridEvolvingEmissions, GridUnitEmissions };

// The hint of a column by its position in the grid ("" for the name columns and past the end).
QString columnHint(Grid grid, int column);

// The fields the source, evolving-source and unit grids move to when `field` is clicked in
// `grid` (an empty text leaves that grid alone).
struct Follow {
    QString sources, evolving, units;
};
Follow followColumns(Grid grid, const QString& field);

// For a click on `field` of one emission grid: the field to select in another emission grid,
// given the fields that grid has.
QString followEmissionField(Grid from, const QString& field, Grid to, const QStringList& toFields);

// The pointer's column in a title band whose columns start after a 16-pixel indicator and are
// separated by one-pixel lines; widths.size() when right of all columns.
int columnAtX(const QList<int>& widths, int x);

} // namespace aeris::editor
