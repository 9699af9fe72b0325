#pragma once
// Concentration maps of a calculation site: a raster picture (24-bit BMP) with colour classes,
// isolines with their levels, a legend, the sources and the zone, and an empty band on top for
// the caption; or a vector drawing (ASCII DXF R12) with one layer per isoline level.

#include "calc.h"
#include "task.h"

#include <string>
#include <vector>

namespace dispex {

// The isoline levels in ГДК fractions (more of them with details).
std::vector<double> mapLevels(bool details);

// Writes FILES/<site>_<code>.bmp or .dxf for every calculation site and quantity of the results;
// returns the files written.
std::vector<std::string> writeMaps(const Task& task, const std::vector<Result>& results, const std::string& folder);

} // namespace dispex
