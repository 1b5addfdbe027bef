#pragma once

#include <cstdint>

// Gauss-Krüger strips (3° wide) on the Bessel ellipsoid, the projection of the
// DHDN maps. Northing and easting in metres, the easting carrying the strip
// number in its millions (zone × 1 000 000 + 500 000 on the central meridian
// 3 × zone degrees); longitude and latitude in decimal degrees.
namespace MapCoords::GaussKrueger {

struct Projected {
    double northing;
    double easting;
};

struct Geographic {
    double longitude;
    double latitude;
};

// Bessel's polar radius of curvature c = a² / b and second eccentricity
// squared e'² = c / b − 1.
constexpr double PolarRadius = 6398786.848146674;
constexpr double SecondEccentricity2 = PolarRadius / 6356078.962897785 - 1.0;

// Degrees per radian, as the map library has always used it.
constexpr double Rho = 57.29577951308232;

// Strip whose central meridian is nearest: floor(longitude / 3 + 0.5).
// False when the longitude is not a usable number.
bool zoneForLongitude(double longitude, int32_t& zone);

// Strip encoded in an easting: floor(easting × 0.000001).
bool zoneOfEasting(double easting, int32_t& zone);

// Geographic DHDN → Gauss-Krüger in the given strip.
Projected forward(double longitude, double latitude, int32_t zone);

// Gauss-Krüger → geographic DHDN in the given strip. The map library always
// passes the strip encoded in the easting (zoneOfEasting), whatever strip a
// record's parameter names.
Geographic inverse(double northing, double easting, int32_t zone);

} // namespace MapCoords::GaussKrueger
