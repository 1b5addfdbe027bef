#include "DrawSupport.h"

#include "PaletteGroup.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<MapHandle> mapWithColours(DrawTempDir& dir, const std::string& name, int colours) {
    TlmWriter::Options o = mapOptions(8, 16, 16);
    o.palette.resize(std::size_t(colours));
    for (int i = 0; i < colours; ++i)
        o.palette[std::size_t(i)] = RgbQuad{uint8_t(name[0]), uint8_t(i), uint8_t(10 * i), 0};
    const std::string path = dir.path(name + ".tlm");
    EXPECT_TRUE(writeMap(path, 16, 16, o, [](int, int) { return 0u; }));
    return MapHandle::open(path);
}

TEST(PaletteGroup, MergesEntryByEntryAndReportsChanges) {
    DrawTempDir dir;
    auto a = mapWithColours(dir, "a", 4);
    auto b = mapWithColours(dir, "b", 2);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->paletteGroup().entries().size(), 4u);
    EXPECT_EQ(a->paletteGroup().realize(), 4);
    EXPECT_EQ(a->paletteGroup().realize(), 0);

    b->joinGroup(a->paletteGroupPtr());
    ASSERT_EQ(&a->paletteGroup(), &b->paletteGroup());
    const std::vector<RgbQuad>& e = a->paletteGroup().entries();
    ASSERT_EQ(e.size(), 6u);
    const std::vector<RgbQuad>& pa = a->drawingPalette();
    const std::vector<RgbQuad>& pb = b->drawingPalette();
    const std::vector<RgbQuad> expected = {pa[0], pb[0], pa[1], pb[1], pa[2], pa[3]};
    EXPECT_EQ(e, expected);
    // Entries 1..5 moved; entry 0 stayed.
    EXPECT_EQ(a->paletteGroup().realize(), 5);
    EXPECT_FALSE(a->newPalette(nullptr, false));

    // A dimmer change rebuilds the group; realizing reports the changed entries.
    ASSERT_TRUE(b->setDimmer(0));
    EXPECT_EQ(a->paletteGroup().entries()[1], (RgbQuad{0, 0, 0, 0}));
    EXPECT_TRUE(a->newPalette(nullptr, true));
    EXPECT_FALSE(a->newPalette(nullptr, true));

    // Leaving, and closing, rebuilds too.
    b->joinGroup(nullptr);
    EXPECT_EQ(a->paletteGroup().entries().size(), 4u);
    EXPECT_EQ(b->paletteGroup().members().size(), 1u);
    auto group = a->paletteGroupPtr();
    b->joinGroup(group);
    b.reset();
    EXPECT_EQ(group->members().size(), 1u);
    EXPECT_EQ(group->entries().size(), 4u);
}

TEST(PaletteGroup, TrueColourMapsMakeNoPalette) {
    DrawTempDir dir;
    const std::string path = dir.path("rgb.tlm");
    ASSERT_TRUE(writeMap(path, 8, 8, mapOptions(24, 8, 8), [](int, int) { return 0x102030u; }));
    auto map = MapHandle::open(path);
    ASSERT_TRUE(map);
    EXPECT_FALSE(map->paletteGroup().hasPalette());
    EXPECT_FALSE(map->newPalette(nullptr, false));
    EXPECT_TRUE(map->setDimmer(10));
    EXPECT_FALSE(map->paletteGroup().hasPalette());
}

} // namespace
