#include "MosaicGeoreference.h"
#include "TlmGeoreference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace MapCoords;

// A north-up similarity georeference with 10 m pixels whose pixel (0, 0)
// lies at easting e0, northing n0: x = R1 + a R3 − b R4, y = R2 + a R4 + b R3.
TlmGeoreference similarity(double e0, double n0, int32_t width, int32_t height, double zoom = 1.0) {
    const double r3 = 0.0, r4 = -0.1;
    return TlmGeoreference(TlmGeoreference::KindSimilarity, static_cast<int32_t>(std::floor(e0 * 1e-6)), e0 * r4,
                           -n0 * r4, r3, r4, width, height, zoom);
}

TEST(TlmGeoreference, NativeSystemPerKind) {
    const TlmGeoreference none(0, 0, 1, 2, 3, 4, 10, 10);
    const TlmGeoreference box(1, 3, 3500000, 3510000, 5510000, 5500000, 10, 10);
    const TlmGeoreference geo(2, 0, 7.0, 8.0, 50.0, 49.5, 10, 10);
    const TlmGeoreference sim = similarity(3500000, 5510000, 10, 10);
    EXPECT_EQ(none.nativeSystem().type, TypeUnspecified);
    EXPECT_EQ(box.nativeSystem().type, TypeGaussKrueger);
    EXPECT_EQ(box.nativeSystem().zone, 3);
    EXPECT_EQ(geo.nativeSystem().type, TypeGeoDhdn);
    EXPECT_EQ(sim.nativeSystem().type, TypeGaussKrueger);
    EXPECT_EQ(sim.nativeSystem().zone, 3);
}

TEST(TlmGeoreference, SimilarityRoundsChecksTheEdgesAndZooms) {
    const TlmGeoreference g = similarity(3500000, 5510000, 100, 50);
    double x, y, a, b;

    // The pixel whose centre is 25 m east and 15 m south of the corner.
    EXPECT_EQ(g.nativeToPixel(5510000 - 15, 3500000 + 25, 0, x, y), StatusConverted);
    EXPECT_EQ(x, 3.0); // 2.5 rounds up
    EXPECT_EQ(y, 2.0); // 1.5 rounds up
    EXPECT_EQ(g.nativeToPixel(5510000 - 15, 3500000 + 25, OptionNoRounding, x, y), StatusConverted);
    EXPECT_NEAR(x, 2.5, 1e-9);
    EXPECT_NEAR(y, 1.5, 1e-9);

    // Pixel i covers [i − 0.5, i + 0.5): x = 99.4 is the last column, 99.5
    // rounds to 100 and is beyond the right edge; -0.5 is still inside.
    EXPECT_EQ(g.nativeToPixel(5510000, 3500000 + 994, 0, x, y), StatusConverted);
    EXPECT_EQ(g.nativeToPixel(5510000, 3500000 + 995, 0, x, y), StatusOutsideMap);
    EXPECT_EQ(x, 100.0);
    EXPECT_EQ(g.nativeToPixel(5510000, 3500000 + 994.9, OptionNoRounding, x, y), StatusConverted);
    EXPECT_EQ(g.nativeToPixel(5510000, 3500000 - 5, OptionNoRounding, x, y), StatusConverted);
    EXPECT_EQ(g.nativeToPixel(5510000, 3500000 - 5.1, OptionNoRounding, x, y), StatusOutsideMap);
    EXPECT_EQ(g.nativeToPixel(5510000 - 495, 3500000, 0, x, y), StatusOutsideMap); // y rounds to 50

    // Pixel → map is the exact inverse.
    EXPECT_EQ(g.pixelToNative(2.5, 1.5, 0, a, b), StatusConverted);
    EXPECT_NEAR(a, 5510000 - 15, 1e-6);
    EXPECT_NEAR(b, 3500000 + 25, 1e-6);

    // At zoom 2 display pixels are twice the map pixels, both ways; rounding
    // happens on map pixels.
    const TlmGeoreference z2 = similarity(3500000, 5510000, 100, 50, 2.0);
    EXPECT_EQ(z2.nativeToPixel(5510000 - 15, 3500000 + 25, 0, x, y), StatusConverted);
    EXPECT_EQ(x, 6.0);
    EXPECT_EQ(y, 4.0);
    EXPECT_EQ(z2.pixelToNative(5.0, 3.0, 0, a, b), StatusConverted);
    EXPECT_NEAR(a, 5510000 - 15, 1e-6);
    EXPECT_NEAR(b, 3500000 + 25, 1e-6);
}

TEST(TlmGeoreference, PixelInputsAreClampedUnlessAsked) {
    const TlmGeoreference g = similarity(3500000, 5510000, 100, 50, 2.0);
    double a, b;
    // Display pixel (300, -8) is map pixel (150, -4): clamped to (100, 0).
    EXPECT_EQ(g.pixelToNative(300, -8, 0, a, b), StatusConverted);
    EXPECT_NEAR(b, 3500000 + 1000, 1e-6);
    EXPECT_NEAR(a, 5510000, 1e-6);
    EXPECT_EQ(g.pixelToNative(300, -8, OptionNoClamping, a, b), StatusConverted);
    EXPECT_NEAR(b, 3500000 + 1500, 1e-6);
    EXPECT_NEAR(a, 5510000 + 40, 1e-6);
}

TEST(TlmGeoreference, BoundingBoxKindsAreLinearAndClosed) {
    // Kind 1: R1, R2 eastings of the left and right edge, R3, R4 northings
    // of the top and bottom edge.
    const TlmGeoreference g(1, 3, 3500000, 3510000, 5510000, 5500000, 1000, 500, 0.5);
    double x, y, a, b;
    EXPECT_EQ(g.nativeToPixel(5505000, 3502500, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 250 * 0.5, 1e-9);
    EXPECT_NEAR(y, 250 * 0.5, 1e-9);
    EXPECT_EQ(g.nativeToPixel(5500000, 3510000, 0, x, y), StatusConverted); // the corner itself
    EXPECT_EQ(g.nativeToPixel(5500000, 3510000.001, 0, x, y), StatusOutsideMap);
    EXPECT_EQ(g.nativeToPixel(5510000.001, 3505000, 0, x, y), StatusOutsideMap);
    EXPECT_EQ(g.pixelToNative(125, 125, 0, a, b), StatusConverted);
    EXPECT_NEAR(a, 5505000, 1e-6);
    EXPECT_NEAR(b, 3502500, 1e-6);
    // Bounding box results are never rounded.
    EXPECT_EQ(g.nativeToPixel(5505000, 3502503, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 250.3 * 0.5, 1e-9);

    // Kind 2 follows the same rule on geographic values: R1, R2 span the
    // second value (latitude) along x, R3, R4 the first (longitude) along y.
    const TlmGeoreference geo(2, 0, 49.5, 50.0, 7.0, 8.0, 400, 300);
    EXPECT_EQ(geo.nativeToPixel(7.25, 49.75, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 200, 1e-9);
    EXPECT_NEAR(y, 75, 1e-9);
    EXPECT_EQ(geo.nativeToPixel(6.99, 49.75, 0, x, y), StatusOutsideMap);
}

TEST(TlmGeoreference, UnusableGeoreferenceConvertsNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TlmGeoreference broken[] = {
        {0, 0, 0, 0, 0, 0, 100, 100},                         // a header with four zeros: no georeference
        {1, 3, 3500000, 3500000, 5500000, 5490000, 100, 100}, // empty box
        {255, 0, 1, 2, 0, 0, 100, 100},                       // zero transform
        {1, 3, 3500000, 3510000, 5500000, 5490000, 0, 100},   // empty image
        {1, 3, nan, 3510000, 5500000, 5490000, 100, 100},
        {7, 3, 3500000, 3510000, 5500000, 5490000, 100, 100}, // unknown kind
    };
    for (const TlmGeoreference& g : broken) {
        double u = 0, v = 0;
        EXPECT_FALSE(g.usable());
        EXPECT_EQ(g.nativeSystem().type, TypeUnspecified);
        EXPECT_EQ(g.pixelToNative(1, 1, 0, u, v), StatusNoGeoreference);
        EXPECT_EQ(g.nativeToPixel(1, 1, 0, u, v), StatusNoGeoreference);
    }
}

TEST(MosaicGeoreference, SheetGridBothWays) {
    // 3 columns × 2 rows of 5 km sheets from (3500000, 5500000), each sheet
    // 1000 × 1000 display pixels.
    MosaicGeoreference m(3500000, 5500000, 5000, 5000, 2, 3, 1000, 1000);
    EXPECT_EQ(m.nativeSystem().type, TypeGaussKrueger);
    EXPECT_EQ(m.nativeSystem().zone, 3);

    double a, b, x, y;
    // Pixel (0, 0) is the centre of the north-west corner pixel.
    EXPECT_EQ(m.pixelToNative(0, 0, 0, a, b), StatusConverted);
    EXPECT_NEAR(b, 3500002.5, 1e-6);
    EXPECT_NEAR(a, 5509997.5, 1e-6);
    EXPECT_EQ(m.pixelToNative(10, 20, 0, a, b), StatusConverted);
    EXPECT_EQ(m.nativeToPixel(a, b, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 10, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);

    // Pixels are addressed by their centres: the north-west corner of the
    // grid is at (-0.5, -0.5) and outside, the south-east corner at
    // (2999.5, 1999.5) still inside, half a pixel further is outside.
    EXPECT_EQ(m.nativeToPixel(5510000, 3500000, 0, x, y), StatusOutsideMap);
    EXPECT_NEAR(x, -0.5, 1e-9);
    EXPECT_EQ(m.nativeToPixel(5500000, 3515000, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 2999.5, 1e-9);
    EXPECT_NEAR(y, 1999.5, 1e-9);
    EXPECT_EQ(m.nativeToPixel(5500000, 3515000 + 2.5, 0, x, y), StatusOutsideMap);
    EXPECT_EQ(m.nativeToPixel(5500000 - 2.5, 3515000, 0, x, y), StatusOutsideMap);
    EXPECT_EQ(m.nativeToPixel(5505000, 3499999, 0, x, y), StatusOutsideMap); // west of the grid

    // Inputs are clamped whatever the option bits say.
    EXPECT_EQ(m.pixelToNative(-50, 5000, OptionNoClamping, a, b), StatusConverted);
    EXPECT_NEAR(b, 3500002.5, 1e-6);
    EXPECT_NEAR(a, 5500000 - 2.5, 1e-6);

    // After a zoom to 0.5 the sheets are 500 pixels: the same point, half the pixel.
    m.setSheetPixelSize(500, 500);
    EXPECT_EQ(m.nativeToPixel(5505000, 3507500, 0, x, y), StatusConverted);
    EXPECT_NEAR(x, 749.5, 1e-9);
    EXPECT_NEAR(y, 499.5, 1e-9);

    const MosaicGeoreference empty(3500000, 5500000, 0, 5000, 2, 3, 1000, 1000);
    EXPECT_EQ(empty.pixelToNative(0, 0, 0, a, b), StatusNoGeoreference);
    EXPECT_EQ(empty.nativeSystem().type, TypeUnspecified);
}

} // namespace
