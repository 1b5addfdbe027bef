#include "Schweiz.h"

#include "Ellipsoid.h"
#include "Numeric.h"

#include <cmath>

namespace Transid {

namespace {

// Constants of the projection sphere for one ellipsoid.
struct SwissSphere {
    double e;     // first eccentricity
    double R;     // radius of the projection sphere
    double alpha; // ratio of spherical to ellipsoidal longitudes
    double b0;    // spherical latitude of the origin
    double K;     // latitude constant
    explicit SwissSphere(const Ellipsoid& ell) {
        const double e2 = ell.e2();
        e = std::sqrt(e2);
        const double phi0 = Schweiz::Phi0 / Rho;
        const double sinPhi0 = std::sin(phi0);
        const double cosPhi0 = std::cos(phi0);
        R = ell.a() * std::sqrt(1.0 - e2) / (1.0 - e2 * sinPhi0 * sinPhi0);
        alpha = std::sqrt(1.0 + e2 / (1.0 - e2) * cosPhi0 * cosPhi0 * cosPhi0 * cosPhi0);
        b0 = std::asin(sinPhi0 / alpha);
        K = std::log(std::tan(Pi / 4.0 + b0 / 2.0)) - alpha * std::log(std::tan(Pi / 4.0 + phi0 / 2.0)) +
            alpha * e / 2.0 * std::log((1.0 + e * sinPhi0) / (1.0 - e * sinPhi0));
    }
};

struct FalseOrigin {
    double easting;
    double northing;
};

FalseOrigin falseOrigin(uint32_t zone) {
    if (zone == Schweiz::OldFrame)
        return {600000.0, 200000.0};
    return {2600000.0, 1200000.0};
}

} // namespace

bool Schweiz::apply(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y))
        return false;
    const SwissSphere s(*ell);
    const double phi = c.y / Rho;
    const double eSin = s.e * std::sin(phi);
    const double S = s.alpha * std::log(std::tan(Pi / 4.0 + phi / 2.0)) -
                     s.alpha * s.e / 2.0 * std::log((1.0 + eSin) / (1.0 - eSin)) + s.K;
    const double b = 2.0 * std::atan(std::exp(S)) - Pi / 2.0;
    const double l = s.alpha * (c.x - Lambda0) / Rho;
    const double lBar = std::atan(std::sin(l) / (std::sin(s.b0) * std::tan(b) + std::cos(s.b0) * std::cos(l)));
    const double bBar = std::asin(std::cos(s.b0) * std::sin(b) - std::sin(s.b0) * std::cos(b) * std::cos(l));
    const double Y = s.R * lBar;
    const double X = s.R / 2.0 * std::log((1.0 + std::sin(bBar)) / (1.0 - std::sin(bBar)));
    const uint32_t zone = c.zone == OldFrame ? OldFrame : NewFrame;
    const FalseOrigin origin = falseOrigin(zone);
    const double easting = Y + origin.easting;
    const double northing = X + origin.northing;
    if (!bothFinite(easting, northing))
        return false;
    c.zone = zone;
    c.x = easting;
    c.y = northing;
    return true;
}

bool Schweiz::revert(Coord& c) const {
    const Ellipsoid* ell = m_ellipsoids.ellipsoidOf(c.type);
    if (!ell || !bothFinite(c.x, c.y))
        return false;
    const SwissSphere s(*ell);
    const FalseOrigin origin = falseOrigin(c.zone);
    const double Y = c.x - origin.easting;
    const double X = c.y - origin.northing;
    const double lBar = Y / s.R;
    const double bBar = 2.0 * std::atan(std::exp(X / s.R)) - Pi / 2.0;
    const double b = std::asin(std::cos(s.b0) * std::sin(bBar) + std::sin(s.b0) * std::cos(bBar) * std::cos(lBar));
    const double l = std::atan(std::sin(lBar) / (std::cos(s.b0) * std::cos(lBar) - std::sin(s.b0) * std::tan(bBar)));
    const double lambda = Lambda0 + Rho * l / s.alpha;
    const double spherical = (std::log(std::tan(Pi / 4.0 + b / 2.0)) - s.K) / s.alpha;
    double phi = b;
    const bool converged = iterateLatitude(phi, [&](double p) {
        const double eSin = s.e * std::sin(p);
        return 2.0 * std::atan(std::exp(spherical + s.e / 2.0 * std::log((1.0 + eSin) / (1.0 - eSin)))) - Pi / 2.0;
    });
    if (!converged || !bothFinite(lambda, phi))
        return false;
    c.x = lambda;
    c.y = phi * Rho;
    return true;
}

} // namespace Transid
