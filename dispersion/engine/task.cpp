#include "task.h"

#include "dbfio.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>
#include <stdexcept>

namespace dispex {
namespace {

struct Reader {
    std::string file;
    DbfTable table;
    size_t minFields;

    Reader(const std::string& folder, const std::string& name, size_t fieldsNeeded) : file(name), minFields(fieldsNeeded)
    {
        table = readDbf(folder + "/" + name);
        if (table.fields.size() < fieldsNeeded)
            throw std::runtime_error(name + ": " + std::to_string(table.fields.size()) + " fields, at least " +
                                     std::to_string(fieldsNeeded) + " are needed");
    }
    const std::string& text(size_t rec, size_t field) const { return table.records[rec][field - 1]; }
    bool empty(size_t rec, size_t field) const { return text(rec, field).empty(); }
    double number(size_t rec, size_t field, double fallback = 0) const
    {
        const std::string& t = text(rec, field);
        if (t.empty()) return fallback;
        std::string s = t;
        for (char& c : s)
            if (c == ',') c = '.';
        char* end = nullptr;
        const double v = std::strtod(s.c_str(), &end);
        if (end == s.c_str() || *end != '\0' || !std::isfinite(v))
            throw std::runtime_error(file + ", record " + std::to_string(rec + 1) + ", field " + std::to_string(field) + " (" +
                                     table.fields[field - 1].name + "): \"" + t + "\" is not a number");
        return v;
    }
    int integer(size_t rec, size_t field, int fallback = 0) const { return int(std::lround(number(rec, field, fallback))); }
    size_t size() const { return table.records.size(); }
};

Settings readSettings(const std::string& path)
{
    Settings s;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const double v = std::atof(value.c_str());
        if (section == "Calculation") {
            if (key == "DangerousSector") s.dangerousSector = v == 1;
            else if (key == "Mouth") s.mouth = int(v);
            else if (key == "Worthy") s.worthy = v == 1;
            else if (key == "WorthyConst") s.worthyPercent = v;
            else if (key == "MaxParts" && v >= 1) s.maxParts = int(v);
        } else if (section == "Map") {
            if (key == "Format") s.mapFormat = int(v);
            else if (key == "Mark") s.mark = v == 1;
            else if (key == "Details") s.details = v == 1;
            else if (key == "Zone") s.zone = v == 1;
        }
    }
    return s;
}

} // namespace

Task loadTask(const std::string& folder, const std::string& ini)
{
    Task t;
    t.settings = readSettings(ini);

    const Reader city(folder, "city.dbf", 17);
    if (city.size() == 0) throw std::runtime_error("city.dbf: no record");
    t.tempMax = city.number(0, 3, 25);
    t.windMax = city.number(0, 5, 7);
    t.A = city.number(0, 6, 200);
    t.northAngle = city.number(0, 7, 90);
    if (t.windMax < 0.5) t.windMax = 0.5;

    struct SiteFrame {
        double x, y, angle;
    };
    std::map<int, SiteFrame> frames;
    const Reader sites(folder, "prom_pl.dbf", 6);
    for (size_t r = 0; r < sites.size(); ++r)
        frames[sites.integer(r, 2)] = {sites.number(r, 4), sites.number(r, 5), sites.number(r, 6)};

    std::set<int> calcSites;
    const Reader fr2(folder, "f_r2.dbf", 2);
    for (size_t r = 0; r < fr2.size(); ++r) calcSites.insert(fr2.integer(r, 2));

    const Reader src(folder, "istochn.dbf", 15);
    for (size_t r = 0; r < src.size(); ++r) {
        EmissionSource s;
        s.site = src.integer(r, 2);
        s.id = src.integer(r, 3);
        if (!calcSites.empty() && !calcSites.count(s.site)) continue;
        s.modelAngle = src.number(r, 5, 444);
        s.relief = src.number(r, 6, 1);
        const SiteFrame f = frames.count(s.site) ? frames[s.site] : SiteFrame{0, 0, 0};
        const double a = f.angle * M_PI / 180, c = std::cos(a), sn = std::sin(a);
        auto toCity = [&](double x, double y, double& ox, double& oy) {
            ox = f.x + x * c - y * sn;
            oy = f.y + x * sn + y * c;
        };
        const double x1 = src.number(r, 7), y1 = src.number(r, 8), x2 = src.number(r, 9), y2 = src.number(r, 10);
        toCity(x1, y1, s.x1, s.y1);
        if (s.modelAngle == 555) toCity(x2, y2, s.x2, s.y2);
        else {
            s.x2 = x2; // extents of a mouth or an area stay extents
            s.y2 = y2;
        }
        s.siteAngle = f.angle;
        s.height = src.number(r, 11);
        s.diameterOrSpeed = src.number(r, 12);
        s.volume = src.number(r, 13);
        s.temp = src.number(r, 14);
        if (s.height < 0) throw std::runtime_error("istochn.dbf, record " + std::to_string(r + 1) + ", field 11: a negative height");
        t.sources.push_back(s);
    }

    const Reader sost(folder, "sostav.dbf", 16);
    for (size_t r = 0; r < sost.size(); ++r) {
        Emission e;
        e.site = sost.integer(r, 2);
        e.source = sost.integer(r, 3);
        e.code = sost.integer(r, 4);
        e.koef = sost.number(r, 5, 0);
        for (int k = 0; k < 10; ++k) {
            e.given[k] = !sost.empty(r, size_t(6 + k));
            e.gs[k] = sost.number(r, size_t(6 + k), 0);
        }
        t.emissions.push_back(e);
    }

    const Reader subst(folder, "substan.dbf", 4);
    for (size_t r = 0; r < subst.size(); ++r) {
        Substance s;
        s.code = subst.integer(r, 1);
        s.gdk = subst.number(r, 3, 0);
        s.koef = subst.number(r, 4, 0);
        t.substances[s.code] = s;
    }

    const Reader groups(folder, "gr_summ.dbf", 12);
    for (size_t r = 0; r < groups.size(); ++r) {
        Group g;
        g.id = groups.integer(r, 1);
        for (size_t k = 2; k <= 11; ++k)
            if (groups.integer(r, k) > 0) g.members.push_back(groups.integer(r, k));
        g.koefPoten = groups.number(r, 12, 1);
        if (g.koefPoten <= 0) g.koefPoten = 1;
        t.groups.push_back(g);
    }

    const Reader fon(folder, "fon.dbf", 14);
    for (size_t r = 0; r < fon.size(); ++r) {
        Background b;
        b.code = fon.integer(r, 2);
        b.includesPlant = fon.text(r, 3) == "1";
        b.calm = fon.number(r, 6, 0);
        for (int k = 0; k < 8; ++k) b.sector[k] = fon.number(r, size_t(7 + k), b.calm);
        t.background[b.code] = b;
    }

    const Reader fr1(folder, "f_r1.dbf", 17);
    if (fr1.size() > 0) {
        t.withBackground = fr1.text(0, 3) == "1";
        t.maxContrib = std::min(5, std::max(0, fr1.integer(0, 4, 5)));
        for (size_t k = 6; k <= 10; ++k)
            if (!fr1.empty(0, k)) t.speeds.push_back(fr1.number(0, k));
        for (size_t k = 11; k <= 15; ++k)
            if (!fr1.empty(0, k)) t.speedFactors.push_back(fr1.number(0, k));
        t.dirStep = fr1.number(0, 16, 10);
        if (t.dirStep <= 0) t.dirStep = 10;
        t.fixedDir = !fr1.empty(0, 17);
        t.fixDir = fr1.number(0, 17, 0);
    }
    const Reader fr3(folder, "f_r3.dbf", 1);
    for (size_t r = 0; r < fr3.size(); ++r) t.calcSubstances.push_back(fr3.integer(r, 1));
    const Reader fr4(folder, "f_r4.dbf", 1);
    for (size_t r = 0; r < fr4.size(); ++r) t.calcGroups.push_back(fr4.integer(r, 1));

    const Reader fr5(folder, "f_r5.dbf", 9);
    for (size_t r = 0; r < fr5.size(); ++r) {
        CalcSite c;
        c.id = fr5.integer(r, 1);
        c.x = fr5.number(r, 2);
        c.y = fr5.number(r, 3);
        c.length = fr5.number(r, 4);
        c.width = fr5.number(r, 5);
        c.angle = fr5.number(r, 6);
        c.dx = fr5.number(r, 7);
        c.dy = fr5.number(r, 8);
        c.zone = fr5.integer(r, 9);
        const std::string where = "f_r5.dbf, record " + std::to_string(r + 1);
        if (c.dx <= 0 || c.dy <= 0) throw std::runtime_error(where + ", field 7/8: the grid steps must be positive");
        if (c.length < 0 || c.width < 0) throw std::runtime_error(where + ", field 4/5: a negative size");
        const double nodes = (std::floor(c.length / c.dx) + 1) * (std::floor(c.width / c.dy) + 1);
        if (nodes > 4e6) throw std::runtime_error(where + ": " + std::to_string(long(nodes)) + " nodes is too many (at most 4000000)");
        t.sites.push_back(c);
    }
    const Reader fr51(folder, "f_r51.dbf", 4);
    for (size_t r = 0; r < fr51.size(); ++r) t.points.push_back({fr51.integer(r, 1), fr51.number(r, 2), fr51.number(r, 3), fr51.integer(r, 4)});
    return t;
}

} // namespace dispex
