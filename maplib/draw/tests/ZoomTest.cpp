#include "DrawSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::unique_ptr<MapHandle> openMap(DrawTempDir& dir, int width, int height, int tw, int th) {
    const std::string path = dir.path("zoom.tlm");
    EXPECT_TRUE(writeMap(path, width, height, mapOptions(8, tw, th), [](int x, int y) { return uint32_t(x + y); }));
    return MapHandle::open(path);
}

TEST(Zoom, StepsOfTheTileDivisor) {
    DrawTempDir dir;
    auto map = openMap(dir, 1000, 600, 256, 256);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->zoom(), 1.0);
    EXPECT_EQ(map->width(), 1000);
    EXPECT_EQ(map->height(), 600);

    EXPECT_EQ(map->setZoom(0.3), 77.0 / 256.0);
    EXPECT_EQ(map->tileDisplayWidth(), 77);
    EXPECT_EQ(map->tileDisplayHeight(), 77);
    EXPECT_EQ(map->width(), 300); // floor(1000 × 77 / 256)
    EXPECT_EQ(map->height(), 180);

    EXPECT_EQ(map->setZoom(0.125), 0.125);
    EXPECT_EQ(map->tileDisplayWidth(), 32);
    EXPECT_EQ(map->width(), 125);

    // 0 and below are the smallest step; so is a zoom that is no number.
    EXPECT_EQ(map->setZoom(0.0), 1.0 / 256.0);
    EXPECT_EQ(map->setZoom(0.001), 1.0 / 256.0);
    EXPECT_EQ(map->setZoom(-2.0), 1.0 / 256.0);
    EXPECT_EQ(map->tileDisplayWidth(), 1);
    EXPECT_EQ(map->setZoom(std::numeric_limits<double>::quiet_NaN()), 1.0 / 256.0);

    // A tile wider than 32767 display pixels is lowered to the largest step.
    EXPECT_EQ(map->setZoom(200.0), 32767.0 / 256.0);
    EXPECT_EQ(map->tileDisplayWidth(), 32767);
    EXPECT_EQ(map->setZoom(std::numeric_limits<double>::infinity()), 32767.0 / 256.0);
    EXPECT_EQ(map->setZoom(127.99), 32765.0 / 256.0);

    double smallest = 0, largest = 0;
    ASSERT_TRUE(map->zoomInfo(smallest, largest));
    EXPECT_EQ(smallest, 1.0 / 256.0);
    EXPECT_EQ(largest, 32767.0 / 256.0);
}

TEST(Zoom, UnequalTileSidesUseTheirCommonDivisor) {
    DrawTempDir dir;
    auto map = openMap(dir, 700, 500, 256, 96); // g = 32
    ASSERT_TRUE(map);
    EXPECT_EQ(map->setZoom(0.3), 10.0 / 32.0);
    EXPECT_EQ(map->tileDisplayWidth(), 80);
    EXPECT_EQ(map->tileDisplayHeight(), 30);
    EXPECT_EQ(map->width(), 218); // floor(700 × 10 / 32)
    EXPECT_EQ(map->height(), 156);

    // The wider side limits: floor(32 × 32767 / 256) = 4095 steps.
    EXPECT_EQ(map->setZoom(1000.0), 4095.0 / 32.0);
    EXPECT_EQ(map->tileDisplayWidth(), 32760);
    EXPECT_LE(map->tileDisplayHeight(), 32767);

    double smallest = 0, largest = 0;
    ASSERT_TRUE(map->zoomInfo(smallest, largest));
    EXPECT_EQ(smallest, 1.0 / 32.0);
    EXPECT_EQ(largest, 4095.0 / 32.0);
}

TEST(Zoom, DuplicateKeepsTheDrawingState) {
    DrawTempDir dir;
    auto map = openMap(dir, 600, 300, 128, 128);
    ASSERT_TRUE(map);
    map->setZoom(0.5);
    map->setDimmer(100);
    map->setLayerMask(0);
    map->setHighQuality(true);
    auto copy = map->duplicate();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->source(), map->source());
    EXPECT_EQ(map->source()->refCount(), 2);
    EXPECT_EQ(copy->zoom(), 0.5);
    EXPECT_EQ(copy->width(), 300);
    EXPECT_EQ(copy->dimmer(), 100);
    EXPECT_EQ(copy->layerMask(), 0u);
    EXPECT_TRUE(copy->highQuality());
    EXPECT_EQ(copy->drawingPalette(), map->drawingPalette());
    EXPECT_NE(&copy->paletteGroup(), &map->paletteGroup());
    map.reset();
    EXPECT_EQ(copy->source()->refCount(), 1);
}

} // namespace
