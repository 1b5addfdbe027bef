#include "Lambert.h"

#include "Ellipsoid.h"

#include <cmath>

namespace Transid {

namespace {

// The latitude iterations below converge to 1e-11 in a handful of steps for
// every real position; the cap stops them on input that never settles (NaN,
// points at the cone's apex) so that it fails instead of hanging.
constexpr int MaxIterations = 100;
constexpr double Tolerance = 1e-11;

bool finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b);
}

// Belgian Lambert 72 constants: cone constant, radius factor, central
// meridian (degrees), the azimuth correction (degrees, 29.2985") and the
// false origin.
constexpr double BeN = 0.7716421928;
constexpr double BeC = 11565915.812935;
constexpr double BeLambda0 = 4.35693972222222;
constexpr double BeAzimuth = 0.00813847222222222;
constexpr double BeFalseEasting = 150000.01256;
constexpr double BeFalseNorthing = 5400088.4378;

struct FrenchZone {
    double lambda0; // central meridian, degrees east of Greenwich
    double n;       // cone constant
    double c;       // radius factor, metres
    double xs;      // easting of the pole
    double ys;      // northing of the pole
};

constexpr FrenchZone FrenchZones[6] = {
    {2.33722916666667, 0.7604059656, 11603796.98, 600000.0, 5657616.674},
    {2.33722916666667, 0.7289686274, 11745793.39, 600000.0, 6199695.768},
    {2.33722916666667, 0.6959127966, 11947992.52, 600000.0, 6791905.085},
    {2.33722916666667, 0.6712679322, 12136281.99, 234.358, 7239161.542},
    {2.33722916666667, 0.7289686274, 11745793.39, 600000.0, 8199695.768},
    {3.0, 0.725607765, 11754255.426, 700000.0, 12655612.05},
};

} // namespace

bool LambertBE::apply(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !finite(c.x, c.y))
        return false;
    const double e = std::sqrt(ell->e2());
    const double phi = c.y / Rho;
    const double eSin = e * std::sin(phi);
    const double q = std::tan(45.0 / Rho - phi / 2.0) * std::pow((1.0 + eSin) / (1.0 - eSin), e / 2.0);
    const double r = BeC * std::pow(q, BeN);
    const double theta = ((c.x - BeLambda0) * BeN - BeAzimuth) / Rho;
    const double easting = r * std::sin(theta) + BeFalseEasting;
    const double northing = BeFalseNorthing - r * std::cos(theta);
    if (!finite(easting, northing))
        return false;
    c.x = easting;
    c.y = northing;
    return true;
}

bool LambertBE::revert(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !finite(c.x, c.y))
        return false;
    const double e = std::sqrt(ell->e2());
    const double dx = c.x - BeFalseEasting;
    const double dy = BeFalseNorthing - c.y;
    const double r = std::sqrt(dx * dx + dy * dy);
    const double q = std::pow(r / BeC, 1.0 / BeN);
    const double lambda = (Rho * std::atan(dx / dy) + BeAzimuth) / BeN + BeLambda0;
    double phi = 2.0 * std::atan(q);
    bool converged = false;
    for (int i = 0; i < MaxIterations && !converged; ++i) {
        const double eSin = e * std::sin(phi);
        const double next = 90.0 / Rho - 2.0 * std::atan(q * std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0));
        converged = std::fabs(next - phi) < Tolerance;
        phi = next;
    }
    if (!converged || !finite(lambda, phi))
        return false;
    c.x = lambda;
    c.y = phi * Rho;
    return true;
}

bool LambertFR::apply(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !finite(c.x, c.y))
        return false;
    const uint32_t zone = (c.zone == 0 || c.zone > 6) ? DefaultZone : c.zone;
    const FrenchZone& z = FrenchZones[zone - 1];
    const double e = std::sqrt(ell->e2());
    const double phi = c.y / Rho;
    const double eSin = e * std::sin(phi);
    const double L = std::log(std::tan(Pi / 4.0 + phi / 2.0) * std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0));
    const double R = z.c * std::exp(-z.n * L);
    const double theta = (c.x - z.lambda0) * z.n / Rho;
    const double easting = z.xs + R * std::sin(theta);
    const double northing = z.ys - R * std::cos(theta);
    if (!finite(easting, northing))
        return false;
    c.zone = zone;
    c.x = easting;
    c.y = northing;
    return true;
}

bool LambertFR::revert(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !finite(c.x, c.y) || c.zone < 1 || c.zone > 6)
        return false;
    const FrenchZone& z = FrenchZones[c.zone - 1];
    const double e = std::sqrt(ell->e2());
    const double dx = c.x - z.xs;
    const double dy = z.ys - c.y;
    const double R = std::sqrt(dx * dx + dy * dy);
    const double lambda = Rho * std::atan(dx / dy) / z.n + z.lambda0;
    const double L = -std::log(R / z.c) / z.n;
    const double expL = std::exp(L);
    double phi = 2.0 * std::atan(expL) - Pi / 2.0;
    bool converged = false;
    for (int i = 0; i < MaxIterations && !converged; ++i) {
        const double eSin = e * std::sin(phi);
        const double next = 2.0 * std::atan(expL * std::pow((1.0 + eSin) / (1.0 - eSin), e / 2.0)) - Pi / 2.0;
        converged = std::fabs(next - phi) < Tolerance;
        phi = next;
    }
    if (!converged || !finite(lambda, phi))
        return false;
    c.x = lambda;
    c.y = phi * Rho;
    return true;
}

} // namespace Transid
