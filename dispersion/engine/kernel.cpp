#include "kernel.h"

namespace dispex {
namespace {

// Branch-free, so that the compiler can run several parts at once; every formula is the
// method's (the shape along the axis, its correction for low sources, the shape across it).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define AERIS_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define AERIS_VECTOR_CLONES
#endif

template <bool kEach>
inline double kernelBody(size_t n, const double* __restrict px, const double* __restrict py, const double* __restrict H,
                         const unsigned char* __restrict dusty, const double* __restrict Cmu, const double* __restrict invXmu, double u,
                         double rx, double ry, double dx, double dy, double* __restrict each)
{
    const double uc = u <= 5 ? u : 5.0;
    double sum = 0;
    // The sum may be taken in any order (the parts' order is no quantity of the method).
#pragma omp simd reduction(+ : sum)
    for (size_t k = 0; k < n; ++k) {
        const double ex = rx - px[k], ey = ry - py[k];
        const double x = ex * dx + ey * dy;
        const double yy = ex * dy - ey * dx;
        const bool down = x > 0;
        const double xs = down ? x : 1.0;
        const double q = xs * invXmu[k];
        const double q2 = q * q;
        const double h = H[k];
        const bool low = h < 10;
        // Along the axis: a polynomial up to q = 1 (corrected for low sources), a ratio beyond.
        double poly = 3 * q2 * q2 - 8 * q2 * q + 6 * q2;
        poly = low ? 0.125 * (10 - h) + 0.125 * (h - 2) * poly : poly;
        const bool far = q > 8;
        const bool dust = dusty[k] != 0;
        const double num = q <= 1 ? poly : (far ? (dust ? 1.0 : q) : 1.13);
        const double den = q <= 1 ? 1.0 : (far ? (dust ? 0.1 * q2 + 2.47 * q - 17.8 : 3.58 * q2 - 35.2 * q + 120) : 0.13 * q2 + 1);
        // Across it: s2 = 1/b², b a polynomial in t = u·y²/x²; multiplied through by x⁸ so that
        // the whole concentration takes a single division.
        const double x2 = xs * xs, x4 = x2 * x2, x8 = x4 * x4;
        const double w = uc * yy * yy; // t·x²
        const double B = x8 + x2 * w * (5 * x4 + w * (12.8 * x2 + w * 17)) + 45.1 * w * w * w * w;
        const double c0 = Cmu[k] * num * (x8 * x8) / (den * B * B);
        // Exactly at a low source the limit on the axis: s1 at q → 0.
        const double at = ((ex == 0) & (ey == 0) & low) ? Cmu[k] * 0.125 * (10 - h) : 0.0;
        const double c = down ? c0 : at;
        if constexpr (kEach) each[k] = c;
        sum += c;
    }
    return sum;
}

AERIS_VECTOR_CLONES
double kernelSum(size_t n, const double* px, const double* py, const double* H, const unsigned char* dusty, const double* Cmu,
                 const double* invXmu, double u, double rx, double ry, double dx, double dy)
{
    return kernelBody<false>(n, px, py, H, dusty, Cmu, invXmu, u, rx, ry, dx, dy, nullptr);
}

double kernelEach(size_t n, const double* px, const double* py, const double* H, const unsigned char* dusty, const double* Cmu,
                  const double* invXmu, double u, double rx, double ry, double dx, double dy, double* each)
{
    return kernelBody<true>(n, px, py, H, dusty, Cmu, invXmu, u, rx, ry, dx, dy, each);
}

} // namespace

double sumAt(const PartArrays& p, size_t si, double u, double rx, double ry, double dx, double dy, double* each)
{
    if (each)
        return kernelEach(p.size(), p.x.data(), p.y.data(), p.H.data(), p.dusty.data(), p.Cmu[si].data(), p.invXmu[si].data(), u, rx,
                          ry, dx, dy, each);
    return kernelSum(p.size(), p.x.data(), p.y.data(), p.H.data(), p.dusty.data(), p.Cmu[si].data(), p.invXmu[si].data(), u, rx, ry,
                     dx, dy);
}

} // namespace dispex
