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
    ASSERT_EQ(lay.size(), 4u);
    EXPECT_EQ(lay[0].name, QStringLiteral("Höhenlinien"));
    EXPECT_EQ(lay[1].name, QStringLiteral("Kilometergitter"));
    EXPECT_EQ(lay[2].name, QStringLiteral("Namen"));
    EXPECT_EQ(lay[3].name, QStringLiteral("Grundkarte"));
    const int bases[] = {OpenFirst, OpenFirst + OpenCount - 1, ForestFirst + 3, TownFirst, Water};
    for (int b : bases) {
        // Shown, a contour, a grid line and a name differ from the ground.
        EXPECT_NE(pal[std::size_t(ContourBit | b)], pal[std::size_t(b)]) << b;
        EXPECT_NE(pal[std::size_t(GridBit | b)], pal[std::size_t(b)]) << b;
        EXPECT_NE(pal[std::size_t(NameBit | b)], pal[std::size_t(b)]) << b;
    }
    const auto noContours = hide(pal, lay, 0b1110);
    const auto noGrid = hide(pal, lay, 0b1101);
    const auto noNames = hide(pal, lay, 0b1011);
    const auto nothing = hide(pal, lay, 0b1000); // only the base map shown
    const auto noBase = hide(pal, lay, 0b0111);
    const auto none = hide(pal, lay, 0b0000);
    for (int b = 0; b < 32; ++b) {
        EXPECT_EQ(noContours[std::size_t(ContourBit | b)], pal[std::size_t(b)]);
        EXPECT_EQ(noContours[std::size_t(GridBit | b)], pal[std::size_t(GridBit | b)]);
        EXPECT_EQ(noGrid[std::size_t(GridBit | b)], pal[std::size_t(b)]);
        EXPECT_EQ(noGrid[std::size_t(ContourBit | b)], pal[std::size_t(ContourBit | b)]);
        // Line work (roads, rivers) belongs to the base map: it stays
        // whatever else is hidden.
        EXPECT_EQ(nothing[std::size_t(LineWork | b)], pal[std::size_t(LineWork | b)]);
        // The base map alone is the ground with its lines: not a white page.
        EXPECT_EQ(nothing[std::size_t(b)], pal[std::size_t(b)]);
        // Without the base map the ground and the lines are paper, while
        // contours, grid lines and names stand on paper.
        EXPECT_EQ(noBase[std::size_t(b)], pal[Paper]) << b;
        EXPECT_EQ(noBase[std::size_t(LineWork | b)], pal[Paper]) << b;
        EXPECT_EQ(noBase[std::size_t(ContourBit | b)], pal[ContourBit]) << b;
        EXPECT_EQ(noBase[std::size_t(GridBit | b)], pal[GridBit]) << b;
        EXPECT_EQ(noBase[std::size_t(NameBit | b)], pal[NameBit]) << b;
        // With every layer hidden nothing but paper is left.
        for (int top : {0, int(ContourBit), int(GridBit), int(LineWork), int(NameBit), int(NameBit | ContourBit)})
            EXPECT_EQ(none[std::size_t(top | b)], pal[Paper]) << (top | b);
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
    // Overviews: a grid, names and the base map; the small overviews none
    // (one default layer).
    for (Style s : {Style::Overview250, Style::Overview1600}) {
        const std::vector<Layer> ov = layers(s);
        ASSERT_EQ(ov.size(), 3u);
        EXPECT_EQ(ov[1].name, QStringLiteral("Namen"));
        EXPECT_EQ(ov.back().name, QStringLiteral("Grundkarte"));
        // Grid and names off: the overview's ground stays.
        const std::vector<QRgb> opal = colours(s);
        const auto baseOnly = hide(opal, ov, 0b100);
        for (int b = 1; b < 32; ++b) {
            EXPECT_EQ(baseOnly[std::size_t(GridBit | b)], opal[std::size_t(b)]);
            EXPECT_NE(baseOnly[std::size_t(b)], opal[Paper]) << b;
        }
    }
    EXPECT_TRUE(layers(Style::OverviewLand).empty());
    // A damaged tile decodes as index 0 and must look like paper.
    EXPECT_EQ(pal[0], qRgb(255, 255, 255));
}
