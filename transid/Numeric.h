#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Small checks shared by the projections (internal header).
namespace Transid {

inline bool bothFinite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

// A zone number computed from a coordinate must fit the record's unsigned
// 32-bit zone field; anything else (negative, huge, NaN) is no zone.
inline bool zoneFrom(double value, uint32_t& zone) {
    if (!(value >= 0.0 && value <= static_cast<double>(std::numeric_limits<uint32_t>::max())))
        return false;
    zone = static_cast<uint32_t>(value);
    return true;
}

// The latitude iterations of the conic and oblique projections converge to
// 1e-11 rad in a handful of steps for every real position; the limit stops
// them on input that never settles (NaN, the apex of the cone) so that the
// projection fails instead of hanging.
constexpr int IterationLimit = 100;
constexpr double IterationTolerance = 1e-11;

// Iterates phi = step(phi) until two successive values agree within the
// tolerance; false when it has not settled after the limit of steps.
template <class Step> bool iterateLatitude(double& phi, Step step) {
    for (int i = 0; i < IterationLimit; ++i) {
        const double next = step(phi);
        const bool converged = std::fabs(next - phi) < IterationTolerance;
        phi = next;
        if (converged)
            return true;
    }
    return false;
}

} // namespace Transid
