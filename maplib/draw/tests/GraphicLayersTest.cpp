// Drawing with an extra-layers plug-in that makes every map graphic. The
// plug-in lies beside this test program, where the library looks first.
#include "DrawSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

TEST(GraphicLayers, PlugInTurnsTilesIntoTrueColour) {
    DrawTempDir dir;
    clearCaches();
    const std::string path = dir.path("g.tlm");
    // 21 × 10 tiles: 24-bit lines of 63 bytes are padded to 64, so a buffer
    // of only width × height × 3 bytes would be too short.
    TlmWriter::Options o = mapOptions(8, 21, 10);
    o.compression = TlmWriter::RunLength; // stored tiles of odd widths are coded
    ASSERT_TRUE(writeMap(path, 30, 15, o, [](int x, int y) { return uint32_t(x + 40 * y); }));
    auto map = MapHandle::open(path);
    ASSERT_TRUE(map);
    // The extra-layer calls load the plug-in and pass its answers on.
    EXPECT_EQ(map->manyLayersCount(), 5);
    EXPECT_EQ(map->manyLayerInfo(2, 3), 5);
    EXPECT_EQ(map->setManyLayerActivation(7, 0), 7);

    QImage image = render(*map, QSize(40, 20));
    void* plugin = dlopen(VISTREL_GRAPHIC_LAYERS_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_TRUE(plugin) << "the library did not load the plug-in from beside the program";
    auto transforms = reinterpret_cast<int (*)()>(dlsym(plugin, "GraphicLayers_Transforms"));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 30; ++x) {
            const uint32_t blue = uint32_t(x + 40 * y) & 255;
            const uint32_t expected = 0xFF000000u | (uint32_t(y % 10) << 16) | (uint32_t(x % 21) << 8) | blue;
            ASSERT_EQ(image.pixel(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(image.pixel(35, 5), Untouched);

    // The true-colour result is dimmed byte by byte and stretched.
    ASSERT_TRUE(map->setDimmer(128));
    map->setZoom(2.0);
    image = render(*map, QSize(60, 30));
    const uint32_t blue = uint32_t((3 + 40 * 2) * 128 / 255);
    EXPECT_EQ(image.pixel(7, 5), 0xFF000000u | (uint32_t(2 * 128 / 255) << 16) | (uint32_t(3 * 128 / 255) << 8) | blue);
    ASSERT_TRUE(transforms);
    EXPECT_GE(transforms(), 6);
    dlclose(plugin);
}

} // namespace
