#include "DrawSupport.h"

#include "SheetCache.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Sheet s has pixel value (x + 2y + 60 s) mod 256.
uint32_t sheetValue(int s, int x, int y) {
    return uint32_t(x + 2 * y + 60 * s) & 255;
}

// A 2 × 2 mosaic of 300 × 200 pixel sheets on 128 × 128 tiles: a (top left),
// b (top right), c (bottom right); the bottom left cell is empty.
struct Mosaic {
    DrawTempDir dir;
    std::vector<RgbQuad> palette = testPalette(8);
    std::unique_ptr<MapHandle> handle;
    Mosaic() {
        clearCaches();
        SheetCache::instance().clear();
        const char* names[] = {"a.tlm", "b.tlm", "c.tlm"};
        for (int s = 0; s < 3; ++s)
            EXPECT_TRUE(writeMap(dir.path(names[s]), 300, 200, mapOptions(8, 128, 128),
                                 [s](int x, int y) { return sheetValue(s, x, y); }));
        std::ofstream kmo(dir.path("m.kmo"));
        kmo << "1000 1000\n3500000 5001000 a.tlm\n3501000 5001000 b.tlm\n3501000 5000000 c.tlm\n";
        kmo.close();
        handle = MapHandle::open(dir.path("m.kmo"));
        EXPECT_TRUE(handle);
    }
    // Colour of mosaic pixel (x, y) at zoom 1, Untouched in the empty cell.
    uint32_t colour(int x, int y) const {
        const int col = x / 300, row = y / 200;
        if (col == 0 && row == 1)
            return Untouched;
        const int s = row == 0 ? col : 2;
        return colourOf(palette[sheetValue(s, x % 300, y % 200)]);
    }
};

TEST(MosaicDraw, SheetBySheetAcrossBordersAndEmptyCells) {
    Mosaic m;
    ASSERT_TRUE(m.handle->isMosaic());
    EXPECT_EQ(m.handle->width(), 600);
    EXPECT_EQ(m.handle->height(), 400);
    QImage image = render(*m.handle, QSize(640, 420));
    int wrong = 0;
    for (int y = 0; y < 420; ++y)
        for (int x = 0; x < 640; ++x)
            wrong += image.pixel(x, y) != (x < 600 && y < 400 ? m.colour(x, y) : Untouched);
    EXPECT_EQ(wrong, 0);

    // The abort question comes between every two tiles, across sheets too:
    // three sheets of 3 × 2 tiles.
    int asked = 0;
    render(*m.handle, QSize(600, 400), 0, 0, nullptr, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(asked, 3 * 6 - 1);
    asked = 0;
    image = render(*m.handle, QSize(600, 400), 0, 0, nullptr, [&] { return ++asked == 7; });
    EXPECT_EQ(asked, 7);
    // Sheet a whole (asks 1..5), sheet b's first tile (ask 6), then stop.
    EXPECT_EQ(image.pixel(299, 199), m.colour(299, 199));
    EXPECT_EQ(image.pixel(310, 10), m.colour(310, 10));
    EXPECT_EQ(image.pixel(450, 10), Untouched);
    EXPECT_EQ(image.pixel(310, 210), Untouched);

    // A window across the border of all four cells, with a clip.
    const QRect clip(10, 10, 80, 80);
    image = render(*m.handle, QSize(100, 100), 250, 150, &clip);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(image.pixel(x, y), clip.contains(x, y) ? m.colour(250 + x, 150 + y) : Untouched) << x << "," << y;
}

TEST(MosaicDraw, SheetsTakeZoomDimmerAndLayersOfTheMosaic) {
    Mosaic m;
    EXPECT_EQ(m.handle->setZoom(0.5), 0.5);
    EXPECT_EQ(m.handle->width(), 300);
    EXPECT_EQ(m.handle->height(), 200);
    QImage image = render(*m.handle, QSize(300, 200));
    EXPECT_EQ(image.pixel(160, 110), m.colour(320, 220)); // sheet c, from SheetCache
    EXPECT_EQ(image.pixel(10, 110), Untouched);

    ASSERT_TRUE(m.handle->setDimmer(50));
    EXPECT_FALSE(m.handle->setDimmer(50));
    EXPECT_EQ(m.handle->dimmer(), 50);
    EXPECT_EQ(m.handle->sheetHandle()->dimmer(), 50);
    image = render(*m.handle, QSize(300, 200));
    const RgbQuad e = m.palette[sheetValue(2, 20, 20)];
    const uint32_t dimmed = 0xFF000000u | (uint32_t((e.red * 50 + 127) / 255) << 16) |
                            (uint32_t((e.green * 50 + 127) / 255) << 8) | uint32_t((e.blue * 50 + 127) / 255);
    EXPECT_EQ(image.pixel(160, 110), dimmed);

    ASSERT_TRUE(m.handle->setLayerMask(0));
    image = render(*m.handle, QSize(300, 200));
    EXPECT_EQ(image.pixel(160, 110), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(10, 110), Untouched);

    auto copy = m.handle->duplicate();
    ASSERT_TRUE(copy && copy->isMosaic());
    EXPECT_NE(copy->sheetHandle(), m.handle->sheetHandle());
    EXPECT_EQ(copy->zoom(), 0.5);
    EXPECT_EQ(copy->layerMask(), 0u);
    EXPECT_EQ(copy->dimmer(), 50);
}

} // namespace
