// The dispersion engine's inner loop against a plain scalar loop written straight from the
// formulas: 100 point sources, a 201 × 201 grid, 36 directions plus the bearing to every source
// (the adaptive search's candidates), the five default speeds, one substance and one group.
// Both evaluate the same directions and speeds; the fields must agree to 1e-9 relative.
//   build/bench/bench_dispex

#include "kernel.h"
#include "ond86.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

using namespace dispex;

namespace {

struct Src {
    double x, y;
    ond86::Maximum m;
};

double scalarSum(const std::vector<Src>& src, const std::vector<double>& M, double u, double rx, double ry, double dx, double dy)
{
    double sum = 0;
    for (size_t k = 0; k < src.size(); ++k) {
        const Src& s = src[k];
        const double ex = rx - s.x, ey = ry - s.y;
        const double x = ex * dx + ey * dy;
        if (x <= 0) continue;
        const double kk = u / s.m.um;
        const double Cmu = ond86::r(kk) * s.m.Cm * M[k];
        const double xmu = ond86::p(kk) * s.m.xm;
        sum += Cmu * ond86::s1(x / xmu, 1, s.m.H) * ond86::s2(u, x, ex * dy - ey * dx);
    }
    return sum;
}

} // namespace

int main()
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> pos(-1500, 1500), h(15, 80), d(0.5, 2.5), w(3, 15), t(20, 150), e(0.5, 20);
    std::vector<Src> src;
    std::vector<double> M;
    for (int i = 0; i < 100; ++i) {
        ond86::Source s;
        s.M = 1;
        s.H = h(rng);
        s.D = d(rng);
        s.w0 = w(rng);
        s.dT = t(rng);
        src.push_back({pos(rng), pos(rng), ond86::maximum(s)});
        M.push_back(e(rng));
    }
    double sumCm = 0, sumCmUm = 0;
    for (size_t k = 0; k < src.size(); ++k) {
        sumCm += src[k].m.Cm * M[k];
        sumCmUm += src[k].m.Cm * M[k] * src[k].m.um;
    }
    const double umc = sumCmUm / sumCm, umax = 7;
    std::vector<double> speeds = {0.5, 0.5 * umc, umc, 1.5 * umc, umax};
    for (double& u : speeds) u = std::clamp(u, 0.5, umax);

    PartArrays pa;
    pa.Cmu.resize(speeds.size());
    pa.invXmu.resize(speeds.size());
    for (size_t k = 0; k < src.size(); ++k) {
        pa.x.push_back(src[k].x);
        pa.y.push_back(src[k].y);
        pa.H.push_back(src[k].m.H);
        pa.dusty.push_back(0);
        pa.source.push_back(int(k + 1));
        for (size_t si = 0; si < speeds.size(); ++si) {
            const double kk = speeds[si] / src[k].m.um;
            pa.Cmu[si].push_back(ond86::r(kk) * src[k].m.Cm * M[k]);
            pa.invXmu[si].push_back(1 / (ond86::p(kk) * src[k].m.xm));
        }
    }
    const int n = 201;
    const double step = 20; // a 4 km square
    auto directions = [&](double rx, double ry) {
        std::vector<double> dirs;
        for (int k = 0; k < 36; ++k) dirs.push_back(k * 10.0);
        for (const Src& s : src) dirs.push_back(std::atan2(ry - s.y, rx - s.x));
        return dirs; // the first 36 as bearings, the rest as maths angles of the plume
    };
    auto unit = [](size_t idx, double v, double& dx, double& dy) {
        const double phi = idx < 36 ? (90 - (v + 180)) * std::numbers::pi / 180 : v;
        dx = std::cos(phi);
        dy = std::sin(phi);
    };
    const size_t dirsPer = 36 + src.size();
    // The engine's loop over the whole grid, on every core; a group is the same sum divided.
    std::vector<double> field(size_t(n) * n), group(size_t(n) * n);
    const auto t0 = std::chrono::steady_clock::now();
    auto rows = [&](int from, int to) {
        for (int j = from; j < to; ++j)
            for (int i = 0; i < n; ++i) {
                const double rx = -2000 + i * step, ry = -2000 + j * step;
                const std::vector<double> dirs = directions(rx, ry);
                double best = 0;
                for (size_t di = 0; di < dirs.size(); ++di) {
                    double dx, dy;
                    unit(di, dirs[di], dx, dy);
                    for (size_t si = 0; si < speeds.size(); ++si) best = std::max(best, sumAt(pa, si, speeds[si], rx, ry, dx, dy));
                }
                field[size_t(j) * n + size_t(i)] = best;
                group[size_t(j) * n + size_t(i)] = best / 0.5; // one member of ГДК 0.5
            }
    };
    const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (int k = 0; k < threads; ++k) pool.emplace_back(rows, n * k / threads, n * (k + 1) / threads);
    for (auto& th : pool) th.join();
    const double engineSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double evaluations = double(n) * n * double(dirsPer) * double(speeds.size()) * double(src.size());

    // The plain loop on every 10th row (the ratio is per evaluation), one core.
    const auto t1 = std::chrono::steady_clock::now();
    double worst = 0;
    size_t checked = 0;
    for (int j = 0; j < n; j += 10)
        for (int i = 0; i < n; ++i) {
            const double rx = -2000 + i * step, ry = -2000 + j * step;
            const std::vector<double> dirs = directions(rx, ry);
            double best = 0;
            for (size_t di = 0; di < dirs.size(); ++di) {
                double dx, dy;
                unit(di, dirs[di], dx, dy);
                for (size_t si = 0; si < speeds.size(); ++si) best = std::max(best, scalarSum(src, M, speeds[si], rx, ry, dx, dy));
            }
            const double e = field[size_t(j) * n + size_t(i)];
            if (best > 0) worst = std::max(worst, std::fabs(e - best) / best);
            ++checked;
        }
    const double scalarSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
    const double scalarEvaluations = double(checked) * double(dirsPer) * double(speeds.size()) * double(src.size());
    const double enginePerSecond = evaluations / engineSeconds, scalarPerSecond = scalarEvaluations / scalarSeconds;
    std::printf("engine kernel: %.3g evaluations in %.2f s on %d threads: %.3g /s, %.3f ns each\n", evaluations, engineSeconds, threads,
                enginePerSecond, 1e9 / enginePerSecond);
    std::printf("plain loop:    %.3g evaluations in %.2f s on 1 thread:  %.3g /s, %.3f ns each\n", scalarEvaluations, scalarSeconds,
                scalarPerSecond, 1e9 / scalarPerSecond);
    std::printf("speed ratio: %.1fx; largest relative difference of the fields: %.2g (%s)\n", enginePerSecond / scalarPerSecond, worst,
                worst <= 1e-9 ? "agree" : "DIFFER");
    std::printf("group field at the centre: %.6g ГДК\n", group[size_t(n / 2) * n + size_t(n / 2)]);
    return worst <= 1e-9 ? 0 : 1;
}
