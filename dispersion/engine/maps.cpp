#include "maps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <stdexcept>

namespace dispex {
namespace {

// A 3×5 font of the characters a map needs: digits, the point, the minus and "x".
const char* glyph(char c)
{
    switch (c) {
    case '0': return "111101101101111";
    case '1': return "010110010010111";
    case '2': return "111001111100111";
    case '3': return "111001111001111";
    case '4': return "101101111001001";
    case '5': return "111100111001111";
    case '6': return "111100111101111";
    case '7': return "111001010010010";
    case '8': return "111101111101111";
    case '9': return "111101111001111";
    case '.': return "000000000000010";
    case '-': return "000000111000000";
    default: return "000000000000000";
    }
}

struct Image {
    int w, h;
    std::vector<std::uint8_t> rgb; // top row first
    Image(int width, int height) : w(width), h(height), rgb(size_t(width) * size_t(height) * 3, 255) {}
    void set(int x, int y, std::uint32_t c)
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 3;
        rgb[i] = std::uint8_t(c >> 16);
        rgb[i + 1] = std::uint8_t(c >> 8);
        rgb[i + 2] = std::uint8_t(c);
    }
    void text(int x, int y, const std::string& s, std::uint32_t c, int scale = 2)
    {
        for (char ch : s) {
            const char* g = glyph(ch);
            for (int r = 0; r < 5; ++r)
                for (int k = 0; k < 3; ++k)
                    if (g[r * 3 + k] == '1')
                        for (int a = 0; a < scale; ++a)
                            for (int b = 0; b < scale; ++b) set(x + k * scale + a, y + r * scale + b, c);
            x += 4 * scale;
        }
    }
    void line(int x0, int y0, int x1, int y1, std::uint32_t c)
    {
        const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= n; ++i) set(x0 + (n ? (x1 - x0) * i / n : 0), y0 + (n ? (y1 - y0) * i / n : 0), c);
    }
    void save(const std::string& path) const
    {
        const int row = (w * 3 + 3) & ~3;
        const std::uint32_t size = std::uint32_t(54 + row * h);
        std::string out(54, '\0');
        auto put32 = [&](size_t at, std::uint32_t v) {
            for (int k = 0; k < 4; ++k) out[at + size_t(k)] = char((v >> (8 * k)) & 0xFF);
        };
        out[0] = 'B';
        out[1] = 'M';
        put32(2, size);
        put32(10, 54);
        put32(14, 40);
        put32(18, std::uint32_t(w));
        put32(22, std::uint32_t(h));
        out[26] = 1;
        out[28] = 24;
        put32(34, std::uint32_t(row * h));
        for (int y = h - 1; y >= 0; --y) { // bottom row first
            std::string line(size_t(row), '\0');
            for (int x = 0; x < w; ++x) {
                const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 3;
                line[size_t(x) * 3] = char(rgb[i + 2]);
                line[size_t(x) * 3 + 1] = char(rgb[i + 1]);
                line[size_t(x) * 3 + 2] = char(rgb[i]);
            }
            out += line;
        }
        const std::string temp = path + ".part";
        std::ofstream o(temp, std::ios::binary | std::ios::trunc);
        if (!o.write(out.data(), std::streamsize(out.size())) || !o.flush()) throw std::runtime_error(path + ": cannot be written");
        o.close();
        if (std::rename(temp.c_str(), path.c_str()) != 0) throw std::runtime_error(path + ": cannot be written");
    }
};

std::string levelText(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// Colour classes from pale green (below the first level) to dark red.
std::uint32_t classColour(size_t cls, size_t classes)
{
    static const std::uint32_t palette[] = {0xFFFFFF, 0xD9F0D3, 0xA6DBA0, 0xFFFFB2, 0xFED976, 0xFEB24C,
                                            0xFD8D3C, 0xF03B20, 0xBD0026, 0x800026, 0x4D0013, 0x2D000B};
    const size_t n = sizeof palette / sizeof palette[0];
    return palette[std::min(n - 1, classes <= n ? cls : cls * (n - 1) / std::max<size_t>(1, classes))];
}

struct Grid {
    int nx = 0, ny = 0;
    std::vector<double> v; // ГДК fractions, u fastest
    double at(int i, int j) const { return v[size_t(j) * size_t(nx) + size_t(i)]; }
};

} // namespace

std::vector<double> mapLevels(bool details)
{
    if (details) return {0.05, 0.1, 0.2, 0.3, 0.5, 0.8, 1, 1.5, 2, 3, 5, 10};
    return {0.05, 0.1, 0.5, 1, 2, 5, 10};
}

std::vector<std::string> writeMaps(const Task& t, const std::vector<Result>& results, const std::string& folder)
{
    std::vector<std::string> written;
    const std::vector<double> levels = mapLevels(t.settings.details);
    // Results come site by site, node by node in the order the grid was walked (u outer, v inner).
    std::map<std::pair<int, int>, std::vector<const Result*>> bySite;
    for (const Result& r : results)
        if (r.kind == 0) bySite[{r.site, r.code}].push_back(&r);
    for (const CalcSite& site : t.sites) {
        const int nu = int(std::floor(site.length / site.dx + 1e-9)) + 1, nv = int(std::floor(site.width / site.dy + 1e-9)) + 1;
        for (const auto& [key, nodes] : bySite) {
            if (key.first != site.id || int(nodes.size()) != nu * nv) continue;
            Grid g;
            g.nx = nu;
            g.ny = nv;
            g.v.resize(nodes.size());
            for (int i = 0; i < nu; ++i)
                for (int j = 0; j < nv; ++j) g.v[size_t(j) * size_t(nu) + size_t(i)] = nodes[size_t(i) * size_t(nv) + size_t(j)]->gdk;
            const std::string base = folder + "/" + std::to_string(site.id) + "_" + std::to_string(key.second);
            const double a = site.angle * std::numbers::pi / 180, ca = std::cos(a), sa = std::sin(a);
            auto toLocal = [&](double x, double y, double& u, double& v) {
                const double ex = x - site.x, ey = y - site.y;
                u = ex * ca + ey * sa + site.length / 2;
                v = -ex * sa + ey * ca + site.width / 2;
            };
            if (t.settings.mapFormat == 1) {
                // Vector: marching squares, one layer per level, each segment a polyline.
                std::ofstream o(base + ".dxf.part", std::ios::trunc);
                o << "0\nSECTION\n2\nENTITIES\n";
                for (double lv : levels) {
                    const std::string layer = "ISO_" + levelText(lv);
                    for (int i = 0; i + 1 < nu; ++i)
                        for (int j = 0; j + 1 < nv; ++j) {
                            const double c[4] = {g.at(i, j), g.at(i + 1, j), g.at(i + 1, j + 1), g.at(i, j + 1)};
                            const double px[4] = {double(i), double(i + 1), double(i + 1), double(i)};
                            const double py[4] = {double(j), double(j), double(j + 1), double(j + 1)};
                            std::vector<std::pair<double, double>> pts;
                            for (int e = 0; e < 4; ++e) {
                                const int f = (e + 1) % 4;
                                if ((c[e] < lv) != (c[f] < lv)) {
                                    const double s = (lv - c[e]) / (c[f] - c[e]);
                                    pts.emplace_back((px[e] + s * (px[f] - px[e])) * site.dx, (py[e] + s * (py[f] - py[e])) * site.dy);
                                }
                            }
                            for (size_t k = 0; k + 1 < pts.size(); k += 2)
                                o << "0\nPOLYLINE\n8\n" << layer << "\n66\n1\n0\nVERTEX\n8\n" << layer << "\n10\n" << pts[k].first << "\n20\n"
                                  << pts[k].second << "\n0\nVERTEX\n8\n" << layer << "\n10\n" << pts[k + 1].first << "\n20\n"
                                  << pts[k + 1].second << "\n0\nSEQEND\n";
                        }
                }
                for (const EmissionSource& s : t.sources) {
                    double u, v;
                    toLocal(s.x1, s.y1, u, v);
                    o << "0\nPOINT\n8\nSOURCES\n10\n" << u << "\n20\n" << v << "\n0\nTEXT\n8\nSOURCES\n10\n" << u << "\n20\n" << v
                      << "\n40\n" << std::max(site.dx, site.dy) / 2 << "\n1\n" << s.id << "\n";
                }
                o << "0\nENDSEC\n0\nEOF\n";
                o.close();
                if (std::rename((base + ".dxf.part").c_str(), (base + ".dxf").c_str()) != 0) throw std::runtime_error(base + ".dxf: cannot be written");
                written.push_back(base + ".dxf");
                continue;
            }
            // Raster: the field scaled to at most 600 pixels, the legend at the right.
            const double scale = 600.0 / std::max(site.length, site.width > 0 ? site.width : 1);
            const int mw = std::max(2, int(site.length * scale) + 1), mh = std::max(2, int(site.width * scale) + 1);
            const int top = 30, margin = 10, legend = 110;
            Image img(margin + mw + margin + legend, top + mh + 2 * margin);
            auto classOf = [&](double v) { return size_t(std::upper_bound(levels.begin(), levels.end(), v) - levels.begin()); };
            std::vector<size_t> cls(size_t(mw) * size_t(mh));
            for (int py = 0; py < mh; ++py)
                for (int px = 0; px < mw; ++px) {
                    const double fu = px / scale / site.dx, fv = (mh - 1 - py) / scale / site.dy; // north up
                    const int i = std::min(nu - 2 < 0 ? 0 : nu - 2, int(fu)), j = std::min(nv - 2 < 0 ? 0 : nv - 2, int(fv));
                    const double su = nu > 1 ? fu - i : 0, sv = nv > 1 ? fv - j : 0;
                    const int i1 = std::min(nu - 1, i + 1), j1 = std::min(nv - 1, j + 1);
                    const double v = (1 - su) * (1 - sv) * g.at(i, j) + su * (1 - sv) * g.at(i1, j) + su * sv * g.at(i1, j1) + (1 - su) * sv * g.at(i, j1);
                    cls[size_t(py) * size_t(mw) + size_t(px)] = classOf(v);
                    img.set(margin + px, top + margin + py, classColour(classOf(v), levels.size()));
                }
            // Isolines where the class changes, labelled now and then with their level.
            int sinceLabel = 0;
            for (int py = 1; py < mh; ++py)
                for (int px = 1; px < mw; ++px) {
                    const size_t c = cls[size_t(py) * size_t(mw) + size_t(px)];
                    const size_t l = cls[size_t(py) * size_t(mw) + size_t(px - 1)], u = cls[size_t(py - 1) * size_t(mw) + size_t(px)];
                    if (c != l || c != u) {
                        img.set(margin + px, top + margin + py, 0x000000);
                        if (++sinceLabel > 900 && std::max(c, std::max(l, u)) > 0) {
                            sinceLabel = 0;
                            img.text(margin + px + 3, top + margin + py - 12, levelText(levels[std::max(c, std::max(l, u)) - 1]), 0x000000);
                        }
                    }
                }
            if (t.settings.mark)
                for (const EmissionSource& s : t.sources) {
                    double u, v;
                    toLocal(s.x1, s.y1, u, v);
                    const int px = margin + int(u * scale), py = top + margin + (mh - 1 - int(v * scale));
                    img.line(px - 4, py, px + 4, py, 0x0000FF);
                    img.line(px, py - 4, px, py + 4, 0x0000FF);
                    img.text(px + 5, py + 3, std::to_string(s.id), 0x0000FF);
                }
            if (t.settings.zone) {
                std::vector<std::pair<int, int>> zone;
                for (const Point& p : t.points)
                    if (p.zone > 0) {
                        double u, v;
                        toLocal(p.x, p.y, u, v);
                        zone.emplace_back(margin + int(u * scale), top + margin + (mh - 1 - int(v * scale)));
                    }
                for (size_t k = 0; k + 1 < zone.size(); ++k) img.line(zone[k].first, zone[k].second, zone[k + 1].first, zone[k + 1].second, 0x00A000);
                if (zone.size() > 2) img.line(zone.back().first, zone.back().second, zone.front().first, zone.front().second, 0x00A000);
            }
            // The legend: a box of every class with its lower level.
            for (size_t k = 0; k <= levels.size(); ++k) {
                const int y0 = top + margin + int(k) * 22, x0 = margin + mw + margin;
                for (int y = 0; y < 16; ++y)
                    for (int x = 0; x < 24; ++x) img.set(x0 + x, y0 + y, x == 0 || y == 0 || x == 23 || y == 15 ? 0x000000 : classColour(k, levels.size()));
                img.text(x0 + 30, y0 + 3, k == 0 ? "0" : levelText(levels[k - 1]), 0x000000);
            }
            img.save(base + ".bmp");
            written.push_back(base + ".bmp");
        }
    }
    return written;
}

} // namespace dispex
