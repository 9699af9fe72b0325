#include "ond86.h"

#include <cmath>
#include <numbers>

namespace ond86 {

Maximum maximum(const Source& s)
{
    Maximum r;
    const double H = s.H < 2 ? 2 : s.H; // a source below 2 m is computed at 2 m
    r.H = H;
    r.V1 = std::numbers::pi * s.D * s.D * s.w0 / 4;
    r.vmCold = 1.3 * s.w0 * s.D / H;
    r.fe = 800 * r.vmCold * r.vmCold * r.vmCold;
    if (s.dT > 0) {
        r.f = 1000 * s.w0 * s.w0 * s.D / (H * H * s.dT);
        r.vm = 0.65 * std::cbrt(r.V1 * s.dT / H);
    } else {
        r.f = INFINITY;
    }
    r.hot = s.dT > 0 && r.f < 100;
    if (r.hot) {
        const double fm = (r.fe < r.f && r.f < 100) ? r.fe : r.f;
        r.m = 1 / (0.67 + 0.1 * std::sqrt(fm) + 0.34 * std::cbrt(fm));
    } else if (std::isfinite(r.f)) {
        r.m = 1.47 / std::cbrt(r.f);
    }
    const double v = r.hot ? r.vm : r.vmCold;
    r.n = v >= 2 ? 1 : v >= 0.5 ? 0.532 * v * v - 2.13 * v + 3.13 : 4.4 * v;
    const double common = s.A * s.M * s.F * s.eta;
    if (r.hot && r.vm >= 0.5) {
        r.Cm = common * r.m * r.n / (H * H * std::cbrt(r.V1 * s.dT));
    } else if (!r.hot && r.vmCold >= 0.5) {
        const double K = s.D / (8 * r.V1);
        r.Cm = common * r.n * K / std::pow(H, 4.0 / 3.0);
    } else {
        const double mp = r.hot ? 2.86 * r.m : 0.9;
        r.Cm = common * mp / std::pow(H, 7.0 / 3.0);
    }
    if (r.hot) {
        if (r.vm <= 0.5) r.d = 2.48 * (1 + 0.28 * std::cbrt(r.fe));
        else if (r.vm <= 2) r.d = 4.95 * r.vm * (1 + 0.28 * std::cbrt(r.f));
        else r.d = 7 * std::sqrt(r.vm) * (1 + 0.28 * std::cbrt(r.f));
        r.um = r.vm <= 0.5 ? 0.5 : r.vm <= 2 ? r.vm : r.vm * (1 + 0.12 * std::sqrt(r.f));
    } else {
        if (r.vmCold <= 0.5) r.d = 5.7;
        else if (r.vmCold <= 2) r.d = 11.4 * r.vmCold;
        else r.d = 16 * std::sqrt(r.vmCold);
        r.um = r.vmCold <= 0.5 ? 0.5 : r.vmCold <= 2 ? r.vmCold : 2.2 * r.vmCold;
    }
    r.xm = (5 - s.F) / 4 * r.d * H;
    return r;
}

double r(double k)
{
    if (k <= 1) return 0.67 * k + 1.67 * k * k - 1.34 * k * k * k;
    return 3 * k / (2 * k * k - k + 2);
}

double p(double k)
{
    if (k <= 0.25) return 3;
    if (k <= 1) return 8.43 * std::pow(1 - k, 5) + 1;
    return 0.32 * k + 0.68;
}

double s1(double q, double F, double H)
{
    double s;
    if (q <= 1) s = 3 * q * q * q * q - 8 * q * q * q + 6 * q * q;
    else if (q <= 8) s = 1.13 / (0.13 * q * q + 1);
    else if (F <= 1.5) s = q / (3.58 * q * q - 35.2 * q + 120);
    else s = 1 / (0.1 * q * q + 2.47 * q - 17.8);
    if (H < 10 && q < 1) s = 0.125 * (10 - H) + 0.125 * (H - 2) * s;
    return s;
}

double s2(double u, double x, double y)
{
    const double t = (u <= 5 ? u : 5.0) * y * y / (x * x);
    const double b = 1 + 5 * t + 12.8 * t * t + 17 * t * t * t + 45.1 * t * t * t * t;
    return 1 / (b * b);
}

} // namespace ond86
