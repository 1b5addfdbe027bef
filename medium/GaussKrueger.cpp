#include "GaussKrueger.h"

#include <cmath>

namespace MediumGk {

namespace {
constexpr double rho = 57.29577951308232;
// Bessel 1841: polar radius of curvature c = a² / b and second eccentricity.
constexpr double c = 6398786.848146674;
const double ep2 = c / 6356078.962897785 - 1.0;
} // namespace

void forward(double lonDeg, double latDeg, int zone, double& northing, double& easting) {
    const double phi = latDeg / rho;
    const double t = std::tan(phi);
    const double cosPhi = std::cos(phi);
    const double eta2 = ep2 * cosPhi * cosPhi;
    const double N = c / std::sqrt(1.0 + eta2);
    const double l = cosPhi * (lonDeg - 3.0 * zone) / rho;
    const double t2 = t * t;
    const double l2 = l * l;
    // Meridian arc length from the equator.
    const double G = c * (0.9949921245171505779 * phi - 0.0024986984037757265 * std::sin(2 * phi) +
                          2.6145530539559065e-6 * std::sin(4 * phi) - 3.4039821664289906e-9 * std::sin(6 * phi) +
                          4.8134e-12 * std::sin(8 * phi));
    northing =
        G +
        N * t * (l2 / 2 + l2 * l2 * ((5 - t2 + 9 * eta2 + 4 * eta2 * eta2) / 24 + l2 * (61 - 58 * t2 + t2 * t2) / 720));
    easting = N * l * (1 + l2 * (1 - t2 + eta2) / 6 + l2 * l2 * (5 - 18 * t2 + t2 * t2 + eta2 * (14 - 58 * t2)) / 120) +
              zone * 1000000.0 + 500000.0;
}

void inverse(double northing, double easting, double& lonDeg, double& latDeg) {
    const int zone = int(std::floor(easting * 0.000001));
    const double phi0 = northing / (c * 0.9949921245171505779);
    // Footpoint latitude.
    const double phiF = phi0 + 0.002511273241337695 * std::sin(2 * phi0) + 3.678786508500167e-6 * std::sin(4 * phi0) +
                        7.380447627817473e-9 * std::sin(6 * phi0);
    const double t = std::tan(phiF);
    const double t2 = t * t;
    const double cosF = std::cos(phiF);
    const double eta2 = ep2 * cosF * cosF;
    const double V2 = 1 + eta2;
    const double N = c / std::sqrt(V2);
    const double y = (easting - zone * 1000000.0 - 500000.0) / N;
    const double y2 = y * y;
    latDeg =
        rho *
        (phiF + t * (-V2 * y2 / 2 +
                     y2 * y2 * ((5 + 3 * t2 + 6 * eta2 * (1 - t2)) / 24 + y2 * (61 + 90 * t2 + 45 * t2 * t2) / 720)));
    lonDeg = rho * (y - y * y2 * (1 + 2 * t2 + eta2) / 6 + y * y2 * y2 * (5 + 28 * t2 + 24 * t2 * t2) / 120) / cosF +
             3.0 * zone;
}

void toZone(double northing, double easting, int zone, double& outNorthing, double& outEasting) {
    if (int(std::floor(easting * 0.000001)) == zone) {
        outNorthing = northing;
        outEasting = easting;
        return;
    }
    double lon = 0, lat = 0;
    inverse(northing, easting, lon, lat);
    forward(lon, lat, zone, outNorthing, outEasting);
}

int zoneOf(double lonDeg) {
    return int(std::floor(lonDeg / 3.0 + 0.5));
}

} // namespace MediumGk
