#include "MapPalette.h"

#include <gtest/gtest.h>

using namespace MapPalette;

namespace {

// The viewer's rule for a hidden layer: every entry j whose j & mask lies in
// [low, high] takes the colour of entry j - (j & mask); layers in order.
std::vector<QRgb> hide(std::vector<QRgb> p, const std::vector<Layer>& layers, uint32_t shown) {
    for (std::size_t i = 0; i < layers.size(); ++i) {
        if (shown & (1u << i))
            continue;
        for (int j = 0; j < 256; ++j) {
            const int v = j & layers[i].mask;
            if (v >= layers[i].low && v <= layers[i].high)
                p[std::size_t(j)] = p[std::size_t(j - v)];
        }
    }
    return p;
}

} // namespace

TEST(MapPalette, LayerMasksSwitchContoursGridAndNamesOff) {
    const std::vector<QRgb> pal = colours(Style::Regional);
    const std::vector<Layer> lay = layers(Style::Regional);
    ASSERT_EQ(lay.size(), 3u);
    EXPECT_EQ(lay[0].name, QStringLiteral("Höhenlinien"));
    EXPECT_EQ(lay[1].name, QStringLiteral("Kilometergitter"));
    EXPECT_EQ(lay[2].name, QStringLiteral("Namen"));
    const int bases[] = {OpenFirst, OpenFirst + OpenCount - 1, ForestFirst + 3, TownFirst, Water};
    for (int b : bases) {
        // Shown, a contour, a grid line and a name differ from the ground.
        EXPECT_NE(pal[std::size_t(ContourBit | b)], pal[std::size_t(b)]) << b;
        EXPECT_NE(pal[std::size_t(GridBit | b)], pal[std::size_t(b)]) << b;
        EXPECT_NE(pal[std::size_t(NameBit | b)], pal[std::size_t(b)]) << b;
    }
    const auto noContours = hide(pal, lay, 0b110);
    const auto noGrid = hide(pal, lay, 0b101);
    const auto noNames = hide(pal, lay, 0b011);
    const auto nothing = hide(pal, lay, 0b000);
    for (int b = 0; b < 32; ++b) {
        EXPECT_EQ(noContours[std::size_t(ContourBit | b)], pal[std::size_t(b)]);
        EXPECT_EQ(noContours[std::size_t(GridBit | b)], pal[std::size_t(GridBit | b)]);
        EXPECT_EQ(noGrid[std::size_t(GridBit | b)], pal[std::size_t(b)]);
        EXPECT_EQ(noGrid[std::size_t(ContourBit | b)], pal[std::size_t(ContourBit | b)]);
        // Line work (roads, rivers) stays whatever is hidden.
        EXPECT_EQ(nothing[std::size_t(LineWork | b)], pal[std::size_t(LineWork | b)]);
    }
    for (int u = 0; u < 128; ++u) {
        EXPECT_EQ(noNames[std::size_t(NameBit | u)], pal[std::size_t(u)]) << u;
        EXPECT_EQ(noContours[std::size_t(NameBit | u)], pal[std::size_t(NameBit | u)]) << u;
        // With everything hidden a name over a contour shows the bare ground.
        EXPECT_EQ(
            nothing[std::size_t(NameBit | u)],
            pal[std::size_t(u & 0x60) == ContourBit || (u & 0x60) == GridBit ? std::size_t(u & 0x1F) : std::size_t(u)])
            << u;
    }
    // Overviews: a grid and names; the small overviews none (one default layer).
    EXPECT_EQ(layers(Style::Overview250).size(), 2u);
    EXPECT_EQ(layers(Style::Overview1600).back().name, QStringLiteral("Namen"));
    EXPECT_TRUE(layers(Style::OverviewLand).empty());
    // A damaged tile decodes as index 0 and must look like paper.
    EXPECT_EQ(pal[0], qRgb(255, 255, 255));
}
