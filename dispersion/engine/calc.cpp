#include "calc.h"

#include "kernel.h"
#include "ond86.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <set>
#include <thread>

namespace dispex {
namespace {

constexpr double kSpeeds[10] = {0.5, 1, 2, 4, 6, 8, 10, 12, 14, 16};

// Emission at wind speed u: the listed speeds interpolated linearly, empty values as GS_05.
double emissionAt(const Emission& e, double u)
{
    double v[10];
    for (int k = 0; k < 10; ++k) v[k] = e.given[k] ? e.gs[k] : e.gs[0];
    if (u <= kSpeeds[0]) return v[0];
    for (int k = 1; k < 10; ++k)
        if (u <= kSpeeds[k]) return v[k - 1] + (v[k] - v[k - 1]) * (u - kSpeeds[k - 1]) / (kSpeeds[k] - kSpeeds[k - 1]);
    return v[9];
}

// One point of a split source, with its maximum per unit emission.
struct Part {
    double x, y;
    double share;
    ond86::Maximum max;
};

struct SourceTerm {
    int id = 0;
    const Emission* emission = nullptr;
    double F = 1;
    std::vector<Part> parts;
};

ond86::Maximum pointMaximum(double H, double D, double w0, double dT, double A, double F, double eta)
{
    ond86::Source s;
    s.M = 1;
    s.H = H;
    s.D = D;
    s.w0 = w0;
    s.dT = dT;
    s.A = A;
    s.F = F;
    s.eta = eta;
    return ond86::maximum(s);
}

SourceTerm buildTerm(const Task& t, const EmissionSource& s, const Emission& e, double F)
{
    SourceTerm term;
    term.id = s.id;
    term.emission = &e;
    term.F = F;
    const double dT = s.temp - t.tempMax;
    const double eta = s.relief > 0 ? s.relief : 1;
    const int maxParts = std::max(1, t.settings.maxParts);
    if (s.modelAngle == 444) {
        const double D = s.diameterOrSpeed;
        const double w0 = D > 0 ? s.volume / (std::numbers::pi * D * D / 4) : 0;
        term.parts.push_back({s.x1, s.y1, 1, pointMaximum(s.height, D, w0, dT, t.A, F, eta)});
    } else if (s.modelAngle == 666) {
        const double L = s.x2, b = s.y2;
        const double w0 = L > 0 && b > 0 ? s.volume / (L * b) : 0;
        const double De = t.settings.mouth == 1 ? (L + b > 0 ? 2 * L * b / (L + b) : 0) : std::sqrt(4 * L * b / std::numbers::pi);
        term.parts.push_back({s.x1, s.y1, 1, pointMaximum(s.height, De, w0, dT, t.A, F, eta)});
    } else if (s.modelAngle == 555) {
        const double len = std::hypot(s.x2 - s.x1, s.y2 - s.y1);
        const double w0 = s.diameterOrSpeed;
        const ond86::Maximum whole = pointMaximum(s.height, w0 > 0 ? std::sqrt(4 * s.volume / (std::numbers::pi * w0)) : 0, w0, 0, t.A, F, eta);
        const int n = std::clamp(int(std::ceil(len / std::max(1e-9, 0.1 * whole.xm))), 20, maxParts);
        const double v = s.volume / n;
        const ond86::Maximum seg = pointMaximum(s.height, w0 > 0 ? std::sqrt(4 * v / (std::numbers::pi * w0)) : 0, w0, 0, t.A, F, eta);
        for (int i = 0; i < n; ++i) {
            const double a = (i + 0.5) / n;
            term.parts.push_back({s.x1 + a * (s.x2 - s.x1), s.y1 + a * (s.y2 - s.y1), 1.0 / n, seg});
        }
    } else {
        // An area: cells of a rectangle turned by the model angle (and the site's rotation).
        const double L = s.x2, W = s.y2;
        const double D = s.diameterOrSpeed;
        const ond86::Maximum whole = pointMaximum(s.height, 0, 0, 0, t.A, F, eta);
        int nx = std::clamp(int(std::ceil(L / std::max(1e-9, 0.1 * whole.xm))), 20, maxParts);
        int ny = std::clamp(int(std::ceil(W / std::max(1e-9, 0.1 * whole.xm))), 20, maxParts);
        while (nx * ny > maxParts && (nx > 1 || ny > 1)) (nx >= ny ? nx : ny)--;
        const int n = nx * ny;
        ond86::Maximum cell;
        if (D > 0) cell = pointMaximum(s.height, D, (s.volume / n) / (std::numbers::pi * D * D / 4), dT, t.A, F, eta);
        else cell = pointMaximum(s.height, 0, 0, 0, t.A, F, eta);
        const double a = (s.modelAngle + s.siteAngle) * std::numbers::pi / 180, c = std::cos(a), sn = std::sin(a);
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j) {
                const double u = ((i + 0.5) / nx - 0.5) * L, v = ((j + 0.5) / ny - 0.5) * W;
                term.parts.push_back({s.x1 + u * c - v * sn, s.y1 + u * sn + v * c, 1.0 / n, cell});
            }
    }
    return term;
}

struct Quantity {
    int code = 0;
    bool group = false;
    // Per member substance: its sources and the divisor that turns mg/m³ into the maximised sum.
    struct Member {
        int code;
        double gdk;
        std::vector<SourceTerm> terms;
    };
    std::vector<Member> members;
    double koefPoten = 1;
};

// Wind from bearing θ (clockwise from north); the plume goes the other way.
void downwind(double northAngleDeg, double theta, double& dx, double& dy)
{
    const double phi = (northAngleDeg - (theta + 180)) * std::numbers::pi / 180;
    dx = std::cos(phi);
    dy = std::sin(phi);
}

double bearingFrom(double northAngleDeg, double sx, double sy, double rx, double ry)
{
    const double phi = std::atan2(ry - sy, rx - sx) * 180 / std::numbers::pi; // downwind, maths angle
    double theta = northAngleDeg - phi - 180;
    theta = std::fmod(theta, 360);
    if (theta < 0) theta += 360;
    return theta;
}

struct Receptor {
    int kind, site;
    double x, y;
};

} // namespace

std::vector<Result> calculate(const Task& t, const std::function<void(int)>& progress, std::vector<std::string>& log)
{
    // Which substances: those listed for the calculation, or all emitted.
    std::vector<int> codes = t.calcSubstances;
    if (codes.empty()) {
        std::set<int> all;
        for (const Emission& e : t.emissions) all.insert(e.code);
        codes.assign(all.begin(), all.end());
    }
    std::map<std::pair<int, int>, const EmissionSource*> sourceByKey;
    for (const EmissionSource& s : t.sources) sourceByKey[{s.site, s.id}] = &s;
    auto termsOf = [&](int code) {
        std::vector<SourceTerm> terms;
        for (const Emission& e : t.emissions) {
            if (e.code != code) continue;
            auto it = sourceByKey.find({e.site, e.source});
            if (it == sourceByKey.end()) continue;
            const auto sub = t.substances.find(code);
            const double F = e.koef > 0 ? e.koef : (sub != t.substances.end() && sub->second.koef > 0 ? sub->second.koef : 1);
            terms.push_back(buildTerm(t, *it->second, e, F));
        }
        return terms;
    };
    auto gdkOf = [&](int code) {
        const auto it = t.substances.find(code);
        return it != t.substances.end() && it->second.gdk > 0 ? it->second.gdk : 1.0;
    };
    std::vector<Quantity> quantities;
    for (int code : codes) {
        Quantity q;
        q.code = code;
        q.members.push_back({code, gdkOf(code), termsOf(code)});
        quantities.push_back(std::move(q));
    }
    for (int gid : t.calcGroups) {
        const auto g = std::find_if(t.groups.begin(), t.groups.end(), [&](const Group& x) { return x.id == gid; });
        if (g == t.groups.end()) {
            log.push_back("group " + std::to_string(gid) + " is not in gr_summ.dbf: not computed");
            continue;
        }
        Quantity q;
        q.code = gid;
        q.group = true;
        q.koefPoten = g->koefPoten;
        for (int m : g->members) q.members.push_back({m, gdkOf(m), termsOf(m)});
        quantities.push_back(std::move(q));
    }

    std::vector<Receptor> receptors;
    for (const CalcSite& c : t.sites) {
        const double a = c.angle * std::numbers::pi / 180, ca = std::cos(a), sa = std::sin(a);
        for (double u = -c.length / 2; u <= c.length / 2 + 1e-9; u += c.dx)
            for (double v = -c.width / 2; v <= c.width / 2 + 1e-9; v += c.dy)
                receptors.push_back({0, c.id, c.x + u * ca - v * sa, c.y + u * sa + v * ca});
    }
    for (const Point& p : t.points) receptors.push_back({2, 0, p.x, p.y});

    std::vector<Result> results;
    const size_t total = quantities.size() * receptors.size();
    std::atomic<size_t> done{0};
    std::mutex progressLock;
    int lastPercent = -1;
    for (const Quantity& q : quantities) {
        // Speeds: the task's, or around the weighted dangerous speed.
        double sumCm = 0, sumCmUm = 0, bound = 0;
        for (const auto& m : q.members)
            for (const SourceTerm& term : m.terms)
                for (const Part& p : term.parts) {
                    const double cm = p.max.Cm * p.share * emissionAt(*term.emission, p.max.um);
                    sumCm += cm;
                    sumCmUm += cm * p.max.um;
                    bound += cm / m.gdk;
                }
        if (q.group) bound /= q.koefPoten;
        if (t.settings.worthy && bound < t.settings.worthyPercent / 100) {
            log.push_back((q.group ? "group " : "substance ") + std::to_string(q.code) + ": the upper bound " + std::to_string(bound) +
                          " ГДК is below the expediency threshold of " + std::to_string(t.settings.worthyPercent) + " %: not computed");
            done += receptors.size();
            continue;
        }
        const double umc = sumCm > 0 ? sumCmUm / sumCm : 0.5;
        std::vector<double> speeds = t.speeds;
        for (double f : t.speedFactors) speeds.push_back(f * umc);
        if (speeds.empty()) speeds = {0.5, 0.5 * umc, umc, 1.5 * umc, t.windMax};
        for (double& u : speeds) u = std::clamp(u, 0.5, t.windMax);
        std::sort(speeds.begin(), speeds.end());
        speeds.erase(std::unique(speeds.begin(), speeds.end()), speeds.end());

        // Everything that does not depend on the receptor, once per (part, speed).
        std::vector<PartArrays> arrays(q.members.size());
        for (size_t mi = 0; mi < q.members.size(); ++mi) {
            PartArrays& pa = arrays[mi];
            pa.Cmu.resize(speeds.size());
            pa.invXmu.resize(speeds.size());
            for (const SourceTerm& term : q.members[mi].terms)
                for (const Part& p : term.parts) {
                    pa.x.push_back(p.x);
                    pa.y.push_back(p.y);
                    pa.H.push_back(p.max.H);
                    pa.dusty.push_back(term.F > 1.5 ? 1 : 0);
                    pa.source.push_back(term.id);
                    for (size_t si = 0; si < speeds.size(); ++si) {
                        const double k = speeds[si] / p.max.um;
                        pa.Cmu[si].push_back(ond86::r(k) * p.max.Cm * p.share * emissionAt(*term.emission, speeds[si]));
                        pa.invXmu[si].push_back(1 / (ond86::p(k) * p.max.xm));
                    }
                }
        }

        std::vector<double> baseDirs;
        if (t.fixedDir) baseDirs.push_back(t.fixDir);
        else
            for (double d = 0; d < 360 - 1e-9; d += t.dirStep) baseDirs.push_back(d);

        std::vector<Result> part(receptors.size());
        auto work = [&](size_t from, size_t to) {
            std::vector<double> perMember(q.members.size());
            for (size_t ri = from; ri < to; ++ri) {
                const Receptor& rc = receptors[ri];
                // The sum, in the quantity's unit, at one direction and speed.
                auto evaluate = [&](double theta, size_t si, std::vector<double>& members) {
                    double dxw, dyw;
                    downwind(t.northAngle, theta, dxw, dyw);
                    double sum = 0;
                    for (size_t m = 0; m < arrays.size(); ++m) {
                        members[m] = sumAt(arrays[m], si, speeds[si], rc.x, rc.y, dxw, dyw);
                        sum += members[m] / q.members[m].gdk;
                    }
                    return q.group ? sum / q.koefPoten : sum;
                };
                auto backgroundAt = [&](double theta, double u, double plant) {
                    if (!t.withBackground) return 0.0;
                    double bg = 0;
                    for (const auto& m : q.members) {
                        const auto it = t.background.find(m.code);
                        if (it == t.background.end()) continue;
                        const Background& b = it->second;
                        double cf = b.calm;
                        if (u > 2) {
                            double th = std::fmod(theta, 360);
                            if (th < 0) th += 360;
                            cf = b.sector[int(std::floor((th + 22.5) / 45)) % 8];
                        }
                        if (b.includesPlant && cf > 0) cf = plant <= 2 * cf ? cf * (1 - 0.4 * plant / cf) : 0.2 * cf;
                        bg += cf;
                    }
                    return q.group ? bg / q.koefPoten : bg;
                };
                std::vector<double> dirs = baseDirs;
                if (t.settings.dangerousSector && !t.fixedDir)
                    for (const PartArrays& pa : arrays)
                        for (size_t k = 0; k < pa.size(); ++k) dirs.push_back(bearingFrom(t.northAngle, pa.x[k], pa.y[k], rc.x, rc.y));
                double best = -1, bestDir = 0, bestU = speeds.front(), bestBg = 0;
                auto consider = [&](double theta) {
                    for (size_t si = 0; si < speeds.size(); ++si) {
                        const double plant = evaluate(theta, si, perMember);
                        const double bg = backgroundAt(theta, speeds[si], plant);
                        if (plant + bg > best) {
                            best = plant + bg;
                            bestDir = theta;
                            bestU = speeds[si];
                            bestBg = bg;
                        }
                    }
                };
                for (double d : dirs) consider(d);
                if (t.settings.dangerousSector && !t.fixedDir)
                    for (double step = t.dirStep / 4; step > 0.01; step /= 4) {
                        const double around = bestDir;
                        for (int k = -3; k <= 3; ++k)
                            if (k != 0) consider(around + k * step);
                    }
                Result res;
                res.kind = rc.kind;
                res.site = rc.site;
                res.code = q.code;
                res.group = q.group;
                res.x = rc.x;
                res.y = rc.y;
                res.gdk = std::max(0.0, best);
                res.mg = q.group ? 0 : res.gdk * q.members.front().gdk;
                res.direction = std::fmod(std::fmod(bestDir, 360) + 360, 360);
                res.speed = bestU;
                res.background = bestBg;
                // Contributions at the maximum, per source.
                if (t.maxContrib > 0) {
                    double dxw, dyw;
                    downwind(t.northAngle, bestDir, dxw, dyw);
                    const size_t si = size_t(std::find(speeds.begin(), speeds.end(), bestU) - speeds.begin());
                    std::map<int, double> bySource;
                    double sum = 0;
                    for (size_t m = 0; m < arrays.size(); ++m) {
                        std::vector<double> each(arrays[m].size());
                        sumAt(arrays[m], si, bestU, rc.x, rc.y, dxw, dyw, each.data());
                        for (size_t k = 0; k < each.size(); ++k) {
                            const double c = each[k] / q.members[m].gdk;
                            bySource[arrays[m].source[k]] += c;
                            sum += c;
                        }
                    }
                    std::vector<std::pair<int, double>> shares;
                    if (sum > 0)
                        for (const auto& [src, c] : bySource)
                            if (c > 0) shares.emplace_back(src, 100 * c / sum);
                    std::sort(shares.begin(), shares.end(), [](const auto& a, const auto& b) {
                        return a.second != b.second ? a.second > b.second : a.first < b.first;
                    });
                    if (shares.size() > size_t(t.maxContrib)) shares.resize(size_t(t.maxContrib));
                    res.contributions = shares;
                }
                part[ri] = std::move(res);
                const size_t now = ++done;
                if (progress && total > 0) {
                    const int percent = int(100 * now / total);
                    std::lock_guard<std::mutex> lock(progressLock);
                    if (percent != lastPercent) {
                        lastPercent = percent;
                        progress(percent);
                    }
                }
            }
        };
        const size_t threads = std::max<size_t>(1, std::min<size_t>(std::thread::hardware_concurrency(), receptors.size() / 64 + 1));
        std::vector<std::thread> pool;
        const size_t chunk = (receptors.size() + threads - 1) / threads;
        for (size_t k = 0; k < threads; ++k) {
            const size_t from = k * chunk, to = std::min(receptors.size(), from + chunk);
            if (from < to) pool.emplace_back(work, from, to);
        }
        for (std::thread& th : pool) th.join();
        for (Result& r : part) results.push_back(std::move(r));
    }
    if (progress) progress(100);
    return results;
}

std::vector<std::vector<std::string>> resultRecords(const std::vector<Result>& results)
{
    auto num = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.9g", v);
        return std::string(buf);
    };
    std::vector<std::vector<std::string>> out;
    out.reserve(results.size());
    for (const Result& r : results) {
        std::vector<std::string> rec(35);
        rec[0] = std::to_string(r.kind);
        rec[1] = std::to_string(r.site);
        rec[2] = std::to_string(r.code);
        rec[3] = num(r.x);
        rec[4] = num(r.y);
        rec[7] = "0";
        if (!r.group) rec[8] = num(r.mg);
        rec[9] = num(r.gdk);
        rec[10] = num(r.direction);
        rec[11] = num(r.speed);
        rec[12] = num(r.background);
        const int slots[5] = {13, 18, 23, 28, 33};
        for (size_t k = 0; k < r.contributions.size() && k < 5; ++k) {
            rec[size_t(slots[k])] = std::to_string(r.contributions[k].first);
            rec[size_t(slots[k] + 1)] = num(r.contributions[k].second);
        }
        out.push_back(std::move(rec));
    }
    return out;
}

} // namespace dispex
