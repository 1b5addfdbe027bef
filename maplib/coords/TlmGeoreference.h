#pragma once

#include "MapGeoreference.h"

#include <cstdint>

namespace MapCoords {

// Georeference of a .TLM map from the plain numbers of its header: the kind,
// the strip number, R1..R4, the image size in map pixels and the current zoom
// (display pixels per map pixel).
//
// Kind 255 is a similarity transform from Gauss-Krüger (a = northing,
// b = easting) to map pixels: x = R1 + a R3 − b R4, y = R2 + a R4 + b R3.
// Kinds 0, 1 and 2 are a bounding box: R1 and R2 are the b values of the left
// and right edge, R3 and R4 the a values of the top and bottom edge: eastings
// and northings for kind 1; for kind 2 (geographic, a = longitude,
// b = latitude) the same rule puts latitude along x and longitude along y;
// kind 0 is a box in an unnamed system (native type 0).
//
// A georeference that cannot be inverted (an empty box, a zero transform, an
// empty image, values that are not finite) or of an unknown kind behaves as
// none at all: StatusNoGeoreference instead of dividing by zero.
class TlmGeoreference final : public MapGeoreference {
public:
    enum Kind : uint16_t { KindNone = 0, KindBox = 1, KindGeographicBox = 2, KindSimilarity = 255 };

    TlmGeoreference(uint16_t kind, int32_t zone, double r1, double r2, double r3, double r4, int32_t width,
                    int32_t height, double zoom = 1.0);

    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    bool usable() const { return m_usable; }

    NativeSystem nativeSystem() const override;
    Status pixelToNative(double x, double y, uint32_t options, double& a, double& b) const override;
    Status nativeToPixel(double a, double b, uint32_t options, double& x, double& y) const override;

private:
    uint16_t m_kind;
    int32_t m_zone;
    double m_r1, m_r2, m_r3, m_r4;
    double m_width, m_height; // map pixels
    double m_zoom = 1.0;
    bool m_usable = false;
};

} // namespace MapCoords
