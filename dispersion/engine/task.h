#pragma once
// A dispersion task as the engine reads it from its exchange folder: the city, production
// sites, sources and their emissions, substances, summation groups, background, and the task
// itself (speeds, directions, calculation sites and points). Plain C++.

#include <map>
#include <string>
#include <vector>

namespace dispex {

struct Settings {
    bool dangerousSector = false;
    int mouth = 0; // 0 "Ефір", 1 OND-86
    bool worthy = false;
    double worthyPercent = 10;
    int mapFormat = 0;
    bool mark = false, details = false, zone = true;
    int maxParts = 400;
};

struct EmissionSource {
    int site = 0, id = 0;
    double modelAngle = 444; // 444 point, 555 linear, 666 rectangular mouth, other: area turned by it
    double relief = 1;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // in the city's system (transformed from the site's)
    double siteAngle = 0;                   // the site's rotation, degrees (for areas)
    double height = 0, diameterOrSpeed = 0, volume = 0, temp = 0;
};

struct Emission {
    int site = 0, source = 0, code = 0;
    double koef = 0;             // F of the emission (0: none)
    double gs[10] = {};          // at 0.5, 1, 2, 4, 6, 8, 10, 12, 14, 16 m/s
    bool given[10] = {};
};

struct Substance {
    int code = 0;
    double gdk = 0, koef = 0;
};

struct Group {
    int id = 0;
    std::vector<int> members;
    double koefPoten = 1;
};

struct Background {
    int code = 0;
    bool includesPlant = false;
    double calm = 0;        // u ≤ 2 m/s
    double sector[8] = {};  // N, NE, E, SE, S, SW, W, NW
};

struct CalcSite {
    int id = 0;
    double x = 0, y = 0, length = 0, width = 0, angle = 0, dx = 0, dy = 0;
    int zone = 0;
};

struct Point {
    int number = 0;
    double x = 0, y = 0;
    int zone = 0;
};

struct Task {
    Settings settings;
    double tempMax = 25, windMax = 7, A = 200, northAngle = 90;
    std::vector<EmissionSource> sources;
    std::vector<Emission> emissions;
    std::map<int, Substance> substances;
    std::vector<Group> groups;
    std::map<int, Background> background;
    bool withBackground = false;
    int maxContrib = 5;
    std::vector<double> speeds, speedFactors;
    double dirStep = 10;
    bool fixedDir = false;
    double fixDir = 0;
    std::vector<int> calcSubstances, calcGroups;
    std::vector<CalcSite> sites;
    std::vector<Point> points;
};

// Reads the task from `folder`, settings from `ini` (may be missing). Throws std::runtime_error
// whose message names the file, the record and the field of a bad value.
Task loadTask(const std::string& folder, const std::string& ini);

} // namespace dispex
