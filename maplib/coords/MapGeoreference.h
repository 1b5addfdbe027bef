#pragma once

#include "MapCoordCodes.h"

#include <cstdint>

namespace MapCoords {

// The coordinate system a map's pixels are tied to: type 1 with its strip,
// type 2, or type 0 when the map has none.
struct NativeSystem {
    uint32_t type = TypeUnspecified;
    int32_t zone = 0;
};

// How one map ties its display pixels (at its current zoom) to its native
// coordinates. Native values are (a, b) as in a Coord: northing and easting
// for Gauss-Krüger, longitude and latitude for geographic coordinates.
// `options` are the option bits of the pixel record (OptionNoRounding,
// OptionNoClamping).
class MapGeoreference {
public:
    virtual ~MapGeoreference() = default;

    virtual NativeSystem nativeSystem() const = 0;

    // Display pixel → native. Inputs outside the map are clamped to it
    // unless OptionNoClamping is given; the status is never "outside".
    virtual Status pixelToNative(double x, double y, uint32_t options, double& a, double& b) const = 0;

    // Native → display pixel; StatusOutsideMap when the point misses the map.
    virtual Status nativeToPixel(double a, double b, uint32_t options, double& x, double& y) const = 0;
};

// A raster without georeference (bitmap, PCX, TIFF): native type 0 and every
// conversion answered with StatusNoGeoreference.
class NoGeoreference final : public MapGeoreference {
public:
    NativeSystem nativeSystem() const override { return {}; }
    Status pixelToNative(double, double, uint32_t, double&, double&) const override { return StatusNoGeoreference; }
    Status nativeToPixel(double, double, uint32_t, double&, double&) const override { return StatusNoGeoreference; }
};

} // namespace MapCoords
