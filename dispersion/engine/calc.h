#pragma once
// The engine's calculation: for every receptor (grid node or separate point) and every
// substance or summation group of the task, the maximum over the wind directions and speeds
// of the summed concentration from all sources, with the background, the direction and speed
// of that maximum and the largest contributions. Plain C++; uses every core.

#include "task.h"

#include <functional>
#include <string>
#include <vector>

namespace dispex {

struct Result {
    int kind = 0;      // 0 grid node, 2 separate point
    int site = 0;      // calculation site (points: 0)
    int code = 0;      // ГДК code or group number
    bool group = false;
    double x = 0, y = 0;
    double mg = 0;     // mg/m³ (substances), background included
    double gdk = 0;    // ГДК fractions, background included
    double direction = 0, speed = 0, background = 0;
    std::vector<std::pair<int, double>> contributions; // source number, share in %
};

// Progress goes from 0 to 100; log lines tell what was not computed and why.
std::vector<Result> calculate(const Task& task, const std::function<void(int)>& progress, std::vector<std::string>& log);

// The records of ras_dsx.dbf for the results (field positions of the result file).
std::vector<std::vector<std::string>> resultRecords(const std::vector<Result>& results);

} // namespace dispex
