#pragma once
// The three row buttons of a grid: insert before, append after, delete (never at the end of
// the list, so an empty list is never asked to delete). They take no keyboard focus, so typing
// goes on in the grid, which gets the focus back after each press.

#include <QHBoxLayout>
#include <QToolButton>
#include <array>

namespace aeris {

class DataGrid;
namespace db {
class Dataset;
}

// The buttons named as given, in a row (with a stretch after them).
std::array<QToolButton*, 3> makeRowButtons(QWidget* parent, QHBoxLayout* row, db::Dataset* ds, DataGrid* grid,
                                           const char* const names[3]);

} // namespace aeris
