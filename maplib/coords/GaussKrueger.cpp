#include "GaussKrueger.h"

#include "MapCoordCodes.h"

#include <cmath>

namespace MapCoords::GaussKrueger {

namespace {

// Meridian arc series of the Bessel ellipsoid in powers of sin 2kφ, scaled by
// the polar radius of curvature; the leading factor is also the mean radius
// ratio used to start the footpoint latitude.
constexpr double ArcA0 = 0.9949921245171505779;
constexpr double ArcA2 = -0.0024986984037757265;
constexpr double ArcA4 = 2.6145530539559065e-6;
constexpr double ArcA6 = -3.4039821664289906e-9;
constexpr double ArcA8 = 4.8134e-12;

// Inverse series: footpoint latitude from the rectified latitude φ0.
constexpr double FootB2 = 0.002511273241337695;
constexpr double FootB4 = 3.678786508500167e-6;
constexpr double FootB6 = 7.380447627817473e-9;

} // namespace

bool zoneForLongitude(double longitude, int32_t& zone) {
    return floorToInt32(longitude / 3.0 + 0.5, zone);
}

bool zoneOfEasting(double easting, int32_t& zone) {
    return floorToInt32(easting * 0.000001, zone);
}

Projected forward(double longitude, double latitude, int32_t zone) {
    const double phi = latitude / Rho;
    const double t = std::tan(phi);
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double cosPhi = std::cos(phi);
    const double eta2 = SecondEccentricity2 * cosPhi * cosPhi;
    const double eta4 = eta2 * eta2;
    const double n = PolarRadius / std::sqrt(1.0 + eta2);
    const double l = cosPhi * (longitude - 3.0 * zone) / Rho;
    const double l2 = l * l;
    const double l4 = l2 * l2;

    const double g = PolarRadius * (ArcA0 * phi + ArcA2 * std::sin(2.0 * phi) + ArcA4 * std::sin(4.0 * phi) +
                                    ArcA6 * std::sin(6.0 * phi) + ArcA8 * std::sin(8.0 * phi));

    Projected p;
    p.northing =
        g +
        n * t * (l2 / 2.0 + l4 * ((5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) / 24.0 + l2 * (61.0 - 58.0 * t2 + t4) / 720.0));
    p.easting =
        n * l * (1.0 + l2 * (1.0 - t2 + eta2) / 6.0 + l4 * (5.0 - 18.0 * t2 + t4 + eta2 * (14.0 - 58.0 * t2)) / 120.0) +
        zone * 1000000.0 + 500000.0;
    return p;
}

Geographic inverse(double northing, double easting, int32_t zone) {
    const double phi0 = northing / (PolarRadius * ArcA0);
    const double phiF =
        phi0 + FootB2 * std::sin(2.0 * phi0) + FootB4 * std::sin(4.0 * phi0) + FootB6 * std::sin(6.0 * phi0);

    const double t = std::tan(phiF);
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double cosPhiF = std::cos(phiF);
    const double eta2 = SecondEccentricity2 * cosPhiF * cosPhiF;
    const double v2 = 1.0 + eta2;
    const double n = PolarRadius / std::sqrt(v2);
    const double y = (easting - zone * 1000000.0 - 500000.0) / n;
    const double y2 = y * y;
    const double y4 = y2 * y2;

    Geographic g;
    g.latitude = Rho * (phiF + t * (-v2 * y2 / 2.0 + y4 * ((5.0 + 3.0 * t2 + 6.0 * eta2 * (1.0 - t2)) / 24.0 +
                                                           y2 * (61.0 + 90.0 * t2 + 45.0 * t4) / 720.0)));
    g.longitude =
        Rho * (y - y * y2 * (1.0 + 2.0 * t2 + eta2) / 6.0 + y * y4 * (5.0 + 28.0 * t2 + 24.0 * t4) / 120.0) / cosPhiF +
        3.0 * zone;
    return g;
}

} // namespace MapCoords::GaussKrueger
