#pragma once

#include <cstdint>

// UTM on the International (Hayford) ellipsoid, applied to DHDN geographic
// coordinates without a datum shift (the ED50-style grid of the maps).
namespace MapCoords::Utm {

struct Projected {
    double northing;
    double easting; // including the false easting of 500 000 m
    int32_t zone;
};

// International ellipsoid: semi-major and semi-minor axis in metres.
constexpr double SemiMajor = 6378388.0;
constexpr double SemiMinor = 6356911.946;
constexpr double ScaleFactor = 0.9996;

// Zone floor(longitude / 6) + 31 with central meridian 6 floor(longitude / 6) + 3.
// False when the longitude gives no usable zone number.
bool forward(double longitude, double latitude, Projected& out);

} // namespace MapCoords::Utm
