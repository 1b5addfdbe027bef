#include "DrawSupport.h"

#include "DisplayTileCache.h"
#include "TileCache.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

uint32_t value8(int x, int y) {
    return uint32_t(x * 3 + y * 11 + (x / 7) * (y / 5)) & 255;
}

// The map every drawing test starts from: 1000 × 300 pixels, 8 bits, 256 ×
// 256 tiles, so the last tile column is 232 and the last row 44 pixels.
struct Map8 {
    DrawTempDir dir;
    std::string path = dir.path("map8.tlm");
    std::vector<RgbQuad> palette = testPalette(8);
    std::unique_ptr<MapHandle> handle;
    Map8() {
        clearCaches();
        EXPECT_TRUE(writeMap(path, 1000, 300, mapOptions(8), value8));
        handle = MapHandle::open(path);
        EXPECT_TRUE(handle);
    }
    uint32_t colour(int x, int y) const { return colourOf(palette[value8(x, y)]); }
};

TEST(Draw, UnzoomedPixelsAndPartialLastTiles) {
    Map8 m;
    const QImage image = render(*m.handle, QSize(1100, 320));
    int wrong = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 1100; ++x) {
            const uint32_t expected = x < 1000 && y < 300 ? m.colour(x, y) : Untouched;
            wrong += image.pixel(x, y) != expected;
        }
    EXPECT_EQ(wrong, 0);

    // The fourth tile column alone: 232 pixels wide.
    const QImage last = render(*m.handle, QSize(300, 300), 768, 0);
    for (int x = 0; x < 300; ++x)
        EXPECT_EQ(last.pixel(x, 10), x < 232 ? m.colour(768 + x, 10) : Untouched) << x;

    // Nothing at or past the end of the map.
    EXPECT_EQ(render(*m.handle, QSize(50, 50), 1000, 0).pixel(0, 0), Untouched);
    EXPECT_EQ(render(*m.handle, QSize(50, 50), 0, 300).pixel(0, 0), Untouched);
}

TEST(Draw, ClipMovesTheMapOrigin) {
    Map8 m;
    const QRect clip(30, 20, 300, 100);
    const QImage image = render(*m.handle, QSize(400, 200), 500, 100, &clip);
    for (int y = 0; y < 200; y += 3)
        for (int x = 0; x < 400; x += 3) {
            const uint32_t expected = clip.contains(x, y) ? m.colour(500 + x, 100 + y) : Untouched;
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
    // An origin left of and above the map draws the map from its corner on
    // and leaves the rest alone.
    const QImage shifted = render(*m.handle, QSize(40, 40), -10, -5);
    EXPECT_EQ(shifted.pixel(9, 20), Untouched);
    EXPECT_EQ(shifted.pixel(20, 4), Untouched);
    EXPECT_EQ(shifted.pixel(10, 5), m.colour(0, 0));
    EXPECT_EQ(shifted.pixel(39, 39), m.colour(29, 34));

    const QRect outside(500, 0, 10, 10);
    EXPECT_EQ(render(*m.handle, QSize(400, 200), 0, 0, &outside).pixel(5, 5), Untouched);
}

TEST(Draw, NearestNeighbourZoom) {
    Map8 m;
    // Zoom 2: every source pixel is a 2 × 2 block.
    m.handle->setZoom(2.0);
    QImage image = render(*m.handle, QSize(600, 300), 1000, 100);
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 600; x += 5)
            ASSERT_EQ(image.pixel(x, y), m.colour((1000 + x) / 2, (100 + y) / 2)) << x << "," << y;

    // Zoom 0.5: every second source pixel.
    m.handle->setZoom(0.5);
    image = render(*m.handle, QSize(520, 160));
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 520; ++x)
            ASSERT_EQ(image.pixel(x, y), x < 500 && y < 150 ? m.colour(2 * x, 2 * y) : Untouched) << x << "," << y;

    // Zoom 0.3 = 77/256: 77-pixel tiles, the last column 69 pixels, the map
    // 300 pixels wide without gaps.
    m.handle->setZoom(0.3);
    image = render(*m.handle, QSize(320, 100));
    for (int x = 0; x < 320; ++x) {
        const int c = x / 77, dx = x % 77;
        const int w = c == 3 ? 232 : 256;
        const uint32_t expected = x < 300 ? m.colour(c * 256 + dx * w / (c == 3 ? 69 : 77), 0) : Untouched;
        ASSERT_EQ(image.pixel(x, 0), expected) << x;
    }
}

TEST(Draw, CachedTilesFirstAndAbortBetweenTiles) {
    Map8 m;
    // Everything decoded once, then only tile (2, 1) kept.
    TileCache::instance().clear();
    DisplayTileCache::instance().clear();
    ASSERT_TRUE(TileCache::instance().tile(m.handle->source(), 2, 1));
    int asked = 0;
    const QImage image = render(*m.handle, QSize(1000, 300), 0, 0, nullptr, [&] {
        ++asked;
        return true;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(image.pixel(600, 260), m.colour(600, 260)); // in tile (2, 1)
    EXPECT_EQ(image.pixel(100, 100), Untouched);
    EXPECT_EQ(image.pixel(900, 260), Untouched);

    // Without an abort answer the callback is asked between every two tiles.
    asked = 0;
    render(*m.handle, QSize(1000, 300), 0, 0, nullptr, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(asked, 4 * 2 - 1);
}

TEST(Draw, LayerMaskZeroIsWhiteAndHiddenDefaultLayerIsColourZero) {
    Map8 m;
    EXPECT_EQ(m.handle->layerCount(), 1);
    EXPECT_STREQ(m.handle->layerName(0), "Karte");
    EXPECT_EQ(m.handle->layerMask(), 1u);
    EXPECT_FALSE(m.handle->setLayerMask(1));

    ASSERT_TRUE(m.handle->setLayerMask(0));
    QImage image = render(*m.handle, QSize(1010, 310));
    for (int y = 0; y < 310; y += 3)
        for (int x = 0; x < 1010; x += 3)
            ASSERT_EQ(image.pixel(x, y), x < 1000 && y < 300 ? 0xFFFFFFFFu : Untouched) << x << "," << y;

    // Bit 0 clear, others set: the default layer covers every index.
    ASSERT_TRUE(m.handle->setLayerMask(0xFFFFFFFE));
    image = render(*m.handle, QSize(1000, 300));
    const uint32_t zero = colourOf(m.palette[0]);
    for (int y = 0; y < 300; y += 3)
        for (int x = 0; x < 1000; x += 3)
            ASSERT_EQ(image.pixel(x, y), zero) << x << "," << y;
    ASSERT_TRUE(m.handle->setLayerMask(1));
    EXPECT_EQ(render(*m.handle, QSize(10, 10)).pixel(5, 5), m.colour(5, 5));
}

TEST(Draw, HiddenLayersTakeTheColourWithoutTheirBits) {
    DrawTempDir dir;
    const std::string path = dir.path("layers.tlm");
    TlmWriter::Options o = mapOptions(8, 64, 64);
    o.variant = TlmWriter::Variant::C;
    o.layers = {{0x0F, 0, 1, 15, "Grundriss"}, {0x30, 0, 0x10, 0x30, "Gew\xE4sser"}, {0xC0, 0, 0x40, 0xC0, "Wald"}};
    ASSERT_TRUE(writeMap(path, 64, 64, o, [](int x, int y) { return uint32_t(x + 64 * (y % 4)); }));
    auto map = MapHandle::open(path);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->layerMask(), 7u);
    const std::vector<RgbQuad> p = testPalette(8);
    ASSERT_TRUE(map->setLayerMask(0b101)); // "Gewässer" hidden
    const std::vector<RgbQuad>& drawn = map->drawingPalette();
    EXPECT_EQ(drawn[0x23], p[0x03]);
    EXPECT_EQ(drawn[0x7F], p[0x4F]);
    EXPECT_EQ(drawn[0xC5], p[0xC5]); // 0xC5 & 0x30 = 0: not in the layer
    const QImage image = render(*map, QSize(64, 64));
    EXPECT_EQ(image.pixel(0x23, 0), colourOf(p[0x03]));
    EXPECT_EQ(image.pixel(0x05, 0), colourOf(p[0x05]));

    ASSERT_TRUE(map->setLayerMask(0b100)); // also "Grundriss" hidden
    EXPECT_EQ(map->drawingPalette()[0x2B], p[0x00]);
}

TEST(Draw, DimmerOnPaletteAndOn24BitPixels) {
    Map8 m;
    EXPECT_EQ(m.handle->dimmer(), 255);
    EXPECT_FALSE(m.handle->setDimmer(255));
    EXPECT_TRUE(m.handle->setDimmer(128));
    EXPECT_FALSE(m.handle->setDimmer(128));
    EXPECT_FALSE(m.handle->setDimmer(128 + 256)); // only the low 8 bits count
    const RgbQuad& e = m.handle->drawingPalette()[200];
    EXPECT_EQ(e.red, (200 * 128 + 127) / 255);
    EXPECT_EQ(e.green, (55 * 128 + 127) / 255);
    EXPECT_EQ(e.blue, (uint8_t(200 * 7 + 3) * 128 + 127) / 255);
    EXPECT_EQ(render(*m.handle, QSize(10, 10)).pixel(3, 4), colourOf(m.handle->drawingPalette()[value8(3, 4)]));
    EXPECT_TRUE(m.handle->setDimmer(0));
    EXPECT_EQ(render(*m.handle, QSize(10, 10)).pixel(3, 4), 0xFF000000u);

    DrawTempDir dir;
    const std::string path = dir.path("rgb.tlm");
    ASSERT_TRUE(
        writeMap(path, 40, 30, mapOptions(24, 16, 16), [](int x, int) { return x < 20 ? 0x01FE80u : 0xFF0000u; }));
    auto rgb = MapHandle::open(path);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(render(*rgb, QSize(40, 30)).pixel(5, 5), 0xFF01FE80u);
    ASSERT_TRUE(rgb->setDimmer(128));
    const QImage dimmed = render(*rgb, QSize(40, 30));
    // byte × dimmer / 255, truncated: 1 → 0, 254 → 127, 128 → 64 (rounding would give 1, 128)
    EXPECT_EQ(dimmed.pixel(5, 5), 0xFF007F40u);
    EXPECT_EQ(dimmed.pixel(39, 29), 0xFF800000u); // 255 → 128
}

TEST(Draw, PackedAndWidePixels) {
    DrawTempDir dir;
    for (int bits : {1, 4, 16}) {
        const std::string path = dir.path("packed" + std::to_string(bits) + ".tlm");
        const uint32_t mask = bits == 16 ? 0xFFFF : (1u << bits) - 1;
        auto value = [mask](int x, int y) { return uint32_t(x * 5 + y * 3) & mask; };
        TlmWriter::Options o = mapOptions(bits, 32, 32);
        if (bits == 16)
            o.palette.resize(300); // values beyond the palette are black
        ASSERT_TRUE(writeMap(path, 70, 40, o, value));
        auto map = MapHandle::open(path);
        ASSERT_TRUE(map) << bits;
        const QImage image = render(*map, QSize(70, 40));
        const std::vector<RgbQuad> p = testPalette(bits);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 70; ++x) {
                const uint32_t v = value(x, y);
                const uint32_t expected = v < 300 || bits != 16 ? colourOf(p[v]) : 0xFF000000u;
                ASSERT_EQ(image.pixel(x, y), expected) << bits << ": " << x << "," << y;
            }
    }
}

// The reference for area averaging, cell by cell of the common grid: grid
// cell (gx, gy) belongs to source pixel (gx / dw, gy / dh) and to target pixel
// (gx / tw, gy / th).
uint32_t averaged(const std::function<uint32_t(int, int)>& grey, int tw, int th, int dw, int dh, int tx, int ty) {
    int64_t sum = 0;
    for (int gy = ty * th; gy < (ty + 1) * th; ++gy)
        for (int gx = tx * tw; gx < (tx + 1) * tw; ++gx)
            sum += grey(gx / dw, gy / dh);
    const int64_t div = int64_t(tw) * th;
    const auto v = uint32_t((sum + div / 2) / div);
    return 0xFF000000u | (v << 16) | (v << 8) | v;
}

TEST(Draw, HighQualityAveragesAreas) {
    DrawTempDir dir;
    TlmWriter::Options o = mapOptions(8, 4, 4);
    for (int i = 0; i < 256; ++i)
        o.palette[std::size_t(i)] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};

    // Halving 2 × 2 blocks: 1,2,2,2 averages 1.75 and rounds to 2; 1,1,1,2
    // averages 1.25 and rounds to 1.
    const uint8_t blocks[4][4] = {{1, 2, 1, 1}, {2, 2, 1, 2}, {0, 0, 9, 9}, {0, 1, 9, 9}};
    const std::string half = dir.path("half.tlm");
    ASSERT_TRUE(writeMap(half, 4, 4, o, [&](int x, int y) { return blocks[y][x]; }));
    auto map = MapHandle::open(half);
    ASSERT_TRUE(map);
    map->setHighQuality(true);
    ASSERT_EQ(map->setZoom(0.5), 0.5);
    QImage image = render(*map, QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0) & 0xFF, 2u);
    EXPECT_EQ(image.pixel(1, 0) & 0xFF, 1u);
    EXPECT_EQ(image.pixel(0, 1) & 0xFF, 0u); // 0.25 rounds down
    EXPECT_EQ(image.pixel(1, 1) & 0xFF, 9u);
    map->setHighQuality(false);
    EXPECT_EQ(render(*map, QSize(2, 2)).pixel(0, 0) & 0xFF, 1u); // nearest: the top left pixel

    // Zoom 3/4 on a 4 × 4 tile: weights 3,1 / 2,2 / 1,3 per axis; a linear
    // ramp 16x + 64y gives exactly 20 at the top left.
    const std::string ramp = dir.path("ramp.tlm");
    ASSERT_TRUE(writeMap(ramp, 4, 4, o, [](int x, int y) { return uint32_t(16 * x + 64 * y); }));
    map = MapHandle::open(ramp);
    ASSERT_TRUE(map);
    map->setHighQuality(true);
    ASSERT_EQ(map->setZoom(0.75), 0.75);
    image = render(*map, QSize(3, 3));
    EXPECT_EQ(image.pixel(0, 0) & 0xFF, 20u);
    EXPECT_EQ(image.pixel(1, 1) & 0xFF, 120u);

    // An irregular picture on 12 × 8 tiles at zoom 5/12 and 7/4, against the
    // grid reference.
    auto noise = [](int x, int y) { return uint32_t((x * 37 + y * 101 + x * y * 13) % 251); };
    TlmWriter::Options o2 = mapOptions(8, 12, 8);
    o2.palette = o.palette;
    const std::string irregular = dir.path("noise.tlm");
    ASSERT_TRUE(writeMap(irregular, 12, 8, o2, noise));
    map = MapHandle::open(irregular);
    ASSERT_TRUE(map);
    map->setHighQuality(true);
    for (double z : {5.0 / 4.0, 0.75, 0.25, 1.75}) {
        map->setZoom(z);
        const int dw = map->tileDisplayWidth(), dh = map->tileDisplayHeight();
        image = render(*map, QSize(dw, dh));
        for (int ty = 0; ty < dh; ++ty)
            for (int tx = 0; tx < dw; ++tx)
                ASSERT_EQ(image.pixel(tx, ty), averaged(noise, 12, 8, dw, dh, tx, ty)) << z << ": " << tx << "," << ty;
    }
}

TEST(Draw, DisplayTilesFollowDimmerMaskAndZoom) {
    Map8 m;
    DisplayTileCache& shown = DisplayTileCache::instance();
    m.handle->setZoom(0.5);
    const QImage first = render(*m.handle, QSize(500, 150));
    EXPECT_GT(shown.entryCount(), 0u);
    EXPECT_EQ(render(*m.handle, QSize(500, 150)), first);

    m.handle->setDimmer(100);
    EXPECT_EQ(render(*m.handle, QSize(500, 150)).pixel(40, 40), colourOf(m.handle->drawingPalette()[value8(80, 80)]));
    m.handle->setDimmer(255);
    m.handle->setLayerMask(0xFE);
    EXPECT_EQ(render(*m.handle, QSize(500, 150)).pixel(40, 40), colourOf(m.palette[0]));
    m.handle->setLayerMask(1);
    m.handle->setZoom(1.0);
    EXPECT_EQ(render(*m.handle, QSize(500, 150)).pixel(41, 41), m.colour(41, 41));

    // Display tiles never outlive their source.
    const std::size_t before = shown.entryCount();
    EXPECT_GT(before, 0u);
    m.handle.reset();
    EXPECT_EQ(shown.entryCount(), 0u);

    // A cache turned off still draws.
    m.handle = MapHandle::open(m.path);
    shown.setBudget(0);
    EXPECT_EQ(render(*m.handle, QSize(20, 20)).pixel(7, 7), m.colour(7, 7));
    EXPECT_EQ(shown.entryCount(), 0u);
    shown.setBudget(DisplayTileCache::DefaultBudget);
}

TEST(Draw, ManyLayerCallsWithoutThePlugIn) {
    Map8 m;
    EXPECT_EQ(m.handle->manyLayersCount(), 0);
    EXPECT_EQ(m.handle->manyLayerInfo(1, 2), 0);
    EXPECT_EQ(m.handle->setManyLayerActivation(1, 2), 0);
}

} // namespace
