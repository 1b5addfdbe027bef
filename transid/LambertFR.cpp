#include "LambertFR.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

namespace {

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

bool LambertFR::apply(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y))
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
    if (!bothFinite(easting, northing))
        return false;
    c.zone = zone;
    c.x = easting;
    c.y = northing;
    return true;
}

bool LambertFR::revert(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y) || c.zone < 1 || c.zone > 6)
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
    const bool converged = iterateLatitude(phi, [&](double p) {
        const double eSin = e * std::sin(p);
        return 2.0 * std::atan(expL * std::pow((1.0 + eSin) / (1.0 - eSin), e / 2.0)) - Pi / 2.0;
    });
    if (!converged || !bothFinite(lambda, phi))
        return false;
    c.x = lambda;
    c.y = phi * Rho;
    return true;
}

} // namespace Transid
