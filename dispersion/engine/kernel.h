#pragma once
// The engine's inner loop: the sum of the concentrations of many point parts at one receptor
// for one wind direction and speed. The parts are laid out as arrays so that the loop runs on
// the processor's vector units (the widest this processor has, chosen at run time).

#include <cstddef>
#include <vector>

namespace dispex {

// Parts of one substance, with everything that depends only on the wind speed precomputed.
struct PartArrays {
    std::vector<double> x, y;       // positions
    std::vector<double> H;          // heights used
    std::vector<unsigned char> dusty; // F > 1.5
    std::vector<int> source;        // source number of each part
    // Per speed index: the maximum at that speed and the inverse of its distance.
    std::vector<std::vector<double>> Cmu, invXmu;
    size_t size() const { return x.size(); }
};

// Σ over parts of c at the receptor (rx, ry), wind blowing along (dx, dy), speed u, speed index
// si. When `each` is given it receives every part's concentration.
double sumAt(const PartArrays& p, size_t si, double u, double rx, double ry, double dx, double dy, double* each = nullptr);

} // namespace dispex
