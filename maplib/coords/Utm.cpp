#include "Utm.h"

#include "MapCoordCodes.h"

#include <cmath>

namespace MapCoords::Utm {

namespace {

constexpr double Rho = 57.29577951308232;

constexpr double C = SemiMajor * SemiMajor / SemiMinor;
constexpr double Ep2 = (SemiMajor * SemiMajor - SemiMinor * SemiMinor) / (SemiMinor * SemiMinor);
constexpr double Ep4 = Ep2 * Ep2;
constexpr double Ep6 = Ep4 * Ep2;
constexpr double Ep8 = Ep4 * Ep4;

// Meridian arc series in the second eccentricity; A is per degree of latitude.
constexpr double ArcA =
    C * (1.0 - 3.0 / 4.0 * Ep2 + 45.0 / 64.0 * Ep4 - 175.0 / 256.0 * Ep6 + 11025.0 / 16384.0 * Ep8) / Rho;
constexpr double ArcB = C * (-3.0 / 8.0 * Ep2 + 15.0 / 32.0 * Ep4 - 525.0 / 1024.0 * Ep6 + 2205.0 / 4096.0 * Ep8);
constexpr double ArcC = C * (15.0 / 256.0 * Ep4 - 105.0 / 1024.0 * Ep6 + 2205.0 / 16384.0 * Ep8);
constexpr double ArcD = C * (-35.0 / 3072.0 * Ep6 + 105.0 / 4096.0 * Ep8);

} // namespace

bool forward(double longitude, double latitude, Projected& out) {
    int32_t sector;
    if (!floorToInt32(longitude / 6.0, sector) || sector > 2147483647 - 31)
        return false;
    const double lambda0 = 6.0 * sector + 3.0;

    const double phi = latitude / Rho;
    const double t = std::tan(phi);
    const double t2 = t * t;
    const double t4 = t2 * t2;
    const double cosPhi = std::cos(phi);
    const double eta2 = Ep2 * cosPhi * cosPhi;
    const double n = C / std::sqrt(1.0 + eta2);
    const double l = std::fabs(cosPhi) * (longitude - lambda0) / Rho;
    const double l2 = l * l;

    const double g =
        ArcA * latitude + ArcB * std::sin(2.0 * phi) + ArcC * std::sin(4.0 * phi) + ArcD * std::sin(6.0 * phi);

    out.zone = sector + 31;
    out.northing =
        ScaleFactor *
        (g + n * t * l2 / 2.0 * (1.0 + l2 / 12.0 * (5.0 - t2 + 9.0 * eta2 + l2 / 30.0 * (61.0 - 58.0 * t2 + t4))));
    out.easting =
        ScaleFactor * n * l *
            (1.0 + l2 / 6.0 * (1.0 - t2 + eta2 + l2 / 20.0 * (5.0 - 18.0 * t2 + t4 + eta2 * (14.0 - 58.0 * t2)))) +
        500000.0;
    return true;
}

} // namespace MapCoords::Utm
