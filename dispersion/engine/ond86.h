#pragma once
// The formulas of the OND-86 method for the maximum one-time ground-level concentration from a
// point source: the source's maximum Cm at the distance xm and the dangerous wind speed um, the
// factors for other wind speeds, and the shape of the field along and across the plume axis.
// Plain C++: the dispersion engine is a program of its own without Qt.

namespace ond86 {

struct Source {
    double M = 0;    // emission, g/s
    double H = 0;    // height of the mouth, m
    double D = 0;    // diameter of the mouth, m
    double w0 = 0;   // exit velocity, m/s
    double dT = 0;   // gas temperature minus air temperature, °C
    double A = 200;  // stratification coefficient
    double F = 1;    // settling coefficient
    double eta = 1;  // relief coefficient
};

struct Maximum {
    double H = 0;    // the height used (at least 2 m)
    double V1 = 0;   // volume flow, m³/s
    double f = 0, vm = 0, vmCold = 0, fe = 0;
    bool hot = false;
    double m = 0, n = 0;
    double Cm = 0;   // mg/m³
    double d = 0;
    double xm = 0;   // m
    double um = 0;   // m/s
};

Maximum maximum(const Source& s);

// Factors for a wind speed u ≠ um, k = u/um: Cmu = r·Cm, xmu = p·xm.
double r(double k);
double p(double k);

// Along the axis at q = x/xmu (low sources, H < 10 m, corrected for q < 1).
double s1(double q, double F, double H);
// Across the axis at offset y at distance x downwind, wind speed u.
double s2(double u, double x, double y);

} // namespace ond86
