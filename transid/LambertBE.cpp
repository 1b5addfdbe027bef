#include "LambertBE.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

namespace {

// Belgian Lambert 72 constants: cone constant, radius factor, central
// meridian (degrees), the azimuth correction (degrees, 29.2985") and the
// false origin.
constexpr double BeN = 0.7716421928;
constexpr double BeC = 11565915.812935;
constexpr double BeLambda0 = 4.35693972222222;
constexpr double BeAzimuth = 0.00813847222222222;
constexpr double BeFalseEasting = 150000.01256;
constexpr double BeFalseNorthing = 5400088.4378;

} // namespace

bool LambertBE::apply(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y))
        return false;
    const double e = std::sqrt(ell->e2());
    const double phi = c.y / Rho;
    const double eSin = e * std::sin(phi);
    const double q = std::tan(45.0 / Rho - phi / 2.0) * std::pow((1.0 + eSin) / (1.0 - eSin), e / 2.0);
    const double r = BeC * std::pow(q, BeN);
    const double theta = ((c.x - BeLambda0) * BeN - BeAzimuth) / Rho;
    const double easting = r * std::sin(theta) + BeFalseEasting;
    const double northing = BeFalseNorthing - r * std::cos(theta);
    if (!bothFinite(easting, northing))
        return false;
    c.x = easting;
    c.y = northing;
    return true;
}

bool LambertBE::revert(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y))
        return false;
    const double e = std::sqrt(ell->e2());
    const double dx = c.x - BeFalseEasting;
    const double dy = BeFalseNorthing - c.y;
    const double r = std::sqrt(dx * dx + dy * dy);
    const double q = std::pow(r / BeC, 1.0 / BeN);
    const double lambda = (Rho * std::atan(dx / dy) + BeAzimuth) / BeN + BeLambda0;
    double phi = 2.0 * std::atan(q);
    const bool converged = iterateLatitude(phi, [&](double p) {
        const double eSin = e * std::sin(p);
        return 90.0 / Rho - 2.0 * std::atan(q * std::pow((1.0 - eSin) / (1.0 + eSin), e / 2.0));
    });
    if (!converged || !bothFinite(lambda, phi))
        return false;
    c.x = lambda;
    c.y = phi * Rho;
    return true;
}

} // namespace Transid
