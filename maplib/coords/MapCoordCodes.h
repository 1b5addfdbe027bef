#pragma once

#include <cmath>
#include <cstdint>

// The map library's own coordinate type codes, option bits and status codes,
// carried in the `type` field of a Coord and returned by the conversion. The
// viewer's coordinate registry has its own, larger code space; these are the
// small codes the library understands.
namespace MapCoords {

// Type codes. For the geodetic types the first value (Coord::x) is the
// northing or the longitude and the second (Coord::y) the easting or the
// latitude; for the pixel, window and surface types they are x and y.
enum TypeCode : uint32_t {
    TypeUnspecified = 0,
    TypeGaussKrueger = 1,      // DHDN on Bessel; parameter = strip number, 0 as a target = choose
    TypeGeoDhdn = 2,           // geographic, DHDN datum (Bessel)
    TypeGeoWgs84 = 3,          // geographic, WGS84
    TypeUtm = 4,               // UTM on the International ellipsoid; parameter = zone, set on output
    TypeMapPixel = 0x8000,     // display pixel of a map; parameter = map id
    TypeWindowDrawn = 0xC000,  // map window point relative to the drawn origin; parameter = window id
    TypeWindowClient = 0xC001, // point in a map window's client area; parameter = window id
    TypeSurfacePoint = 0xDFF6, // point on a drawing surface; parameter = surface id
};

// Option bits 4..7 ride along in the type field and are ignored when types
// are compared: compare baseType(type) with baseType(code), since the
// surface code 0xDFF6 itself has these bits set.
constexpr uint32_t OptionMask = 0xF0;
constexpr uint32_t OptionNoRounding = 0x10; // map-to-pixel results are not rounded to whole pixels
constexpr uint32_t OptionNoClamping = 0x20; // pixel-to-map inputs are not clamped to the map

// Pixel, window and surface types all have one of these bits set.
constexpr uint32_t BoundTypeBits = 0xC000;

constexpr uint32_t baseType(uint32_t type) {
    return type & ~OptionMask;
}
constexpr uint32_t options(uint32_t type) {
    return type & OptionMask;
}

// Status of a conversion: negative values are failures, non-negative ones are
// combined with bitwise OR along a chain of conversion steps.
using Status = int32_t;

constexpr Status StatusConverted = 0;
constexpr Status StatusOutsideMap = 0x40001; // converted, but outside the map
constexpr Status StatusWindowWithoutMap = static_cast<Status>(0x80040000u);
constexpr Status StatusNoGeoreference = static_cast<Status>(0x80040001u); // bitmap, PCX, TIFF, unusable georeference
constexpr Status StatusNotMapWindow = static_cast<Status>(0x80040002u);
constexpr Status StatusUnknownSurface = static_cast<Status>(0x80040003u);
constexpr Status StatusNotProvided = static_cast<Status>(0x80070057u); // no conversion between these types

constexpr bool failed(Status s) {
    return s < 0;
}

// floor(v) as a zone or strip number. Zones are derived from caller-supplied
// doubles, so NaN, infinities and values beyond 32 bits are refused here
// rather than converted with undefined behaviour.
inline bool floorToInt32(double v, int32_t& out) {
    const double f = std::floor(v);
    if (!(f >= -2147483648.0 && f <= 2147483647.0))
        return false;
    out = static_cast<int32_t>(f);
    return true;
}

} // namespace MapCoords
