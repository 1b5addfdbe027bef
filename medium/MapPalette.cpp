#include "MapPalette.h"

#include <algorithm>
#include <cmath>

namespace MapPalette {

namespace {

QRgb mix(QRgb a, QRgb b, double t) {
    auto ch = [t](int x, int y) { return std::clamp(int(std::lround(x + (y - x) * t)), 0, 255); };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}

// A ramp of `count` shades from the shaded to the sunlit colour.
void ramp(std::vector<QRgb>& p, int first, int count, QRgb dark, QRgb light) {
    for (int i = 0; i < count; ++i)
        p[std::size_t(first + i)] = mix(dark, light, count == 1 ? 1.0 : double(i) / (count - 1));
}

} // namespace

std::vector<QRgb> colours(Style style) {
    std::vector<QRgb> p(256, qRgb(255, 255, 255));
    const bool overview = style != Style::Regional;
    p[Paper] = qRgb(255, 255, 255);
    // Hill shading: the lightest shade is the colour of flat land; slopes
    // turned away from the north-western light darken towards the first.
    ramp(p, OpenFirst, OpenCount, qRgb(150, 142, 128), overview ? qRgb(246, 243, 226) : qRgb(252, 250, 240));
    ramp(p, ForestFirst, ForestCount, qRgb(86, 128, 78), overview ? qRgb(190, 222, 170) : qRgb(200, 229, 182));
    ramp(p, TownFirst, TownCount, qRgb(190, 165, 160), qRgb(238, 214, 206));
    p[Water] = qRgb(160, 204, 240);
    ramp(p, OutsideFirst, OutsideCount, qRgb(196, 196, 196), qRgb(232, 232, 232));
    p[Marsh] = qRgb(214, 232, 222);

    // Contours brown over their ground, grid lines dark over theirs; mixed
    // with the base so that they sit in the picture instead of on it.
    for (int b = 0; b < 32; ++b) {
        p[std::size_t(ContourBit | b)] = mix(p[std::size_t(b)], qRgb(168, 96, 40), 0.72);
        p[std::size_t(GridBit | b)] = mix(p[std::size_t(b)], qRgb(40, 60, 110), 0.62);
    }
    QRgb* line = p.data() + LineWork;
    line[None] = p[Paper];
    line[RoadCasing] = qRgb(70, 62, 58);
    line[FederalFill] = qRgb(246, 166, 60);
    line[StateFill] = qRgb(254, 222, 96);
    line[DistrictFill] = qRgb(255, 244, 168);
    line[LocalFill] = qRgb(255, 255, 255);
    line[RailDark] = qRgb(34, 34, 34);
    line[RailLight] = qRgb(250, 250, 250);
    line[RiverFill] = qRgb(96, 160, 224);
    line[Shore] = qRgb(46, 110, 196);
    line[House] = qRgb(120, 96, 92);
    line[Symbol] = qRgb(20, 20, 20);
    line[StateBorder] = qRgb(150, 60, 150);
    line[Station] = qRgb(200, 30, 30);
    line[TownDot] = qRgb(204, 40, 40);
    line[Bridge] = qRgb(40, 40, 40);
    for (int i = LineCount; i < 32; ++i)
        line[i] = p[Paper];

    // Names: black, except over open water, where they are blue.
    for (int u = 0; u < 128; ++u) {
        const int base = u & 0x1F;
        const bool water = (u < LineWork && base == Water) || u == (LineWork | RiverFill) || u == (LineWork | Shore);
        p[std::size_t(NameBit | u)] = water ? qRgb(20, 70, 170) : qRgb(24, 24, 24);
    }
    return p;
}

std::vector<Layer> layers(Style style) {
    const Layer contours{0x60, 0x20, 0x20, QStringLiteral("Höhenlinien")};
    const Layer grid{0x60, 0x40, 0x40, QStringLiteral("Kilometergitter")};
    const Layer gridCoarse{0x60, 0x40, 0x40, QStringLiteral("Gitter")};
    const Layer names{0x80, 0x80, 0x80, QStringLiteral("Namen")};
    // The base map: land cover with its shading and the line work. Hidden, a
    // base colour turns into paper and a line into entry 96 (paper too),
    // while contours, grid and names stay on that paper. With it the map
    // keeps its picture when every other layer is switched off; a mask of 0
    // draws a white page.
    const Layer base{0x1F, 0x01, 0x1F, QStringLiteral("Grundkarte")};
    // Names after contours and grid: hiding contours or grid first leaves a
    // name pixel over a contour with the right colour when names are hidden
    // too. The base map is listed last, as the lowest of the layers drawn over
    // each other.
    switch (style) {
    case Style::Regional:
        return {contours, grid, names, base};
    case Style::Overview250:
    case Style::Overview1600:
        return {gridCoarse, names, base};
    default:
        return {};
    }
}

} // namespace MapPalette
