#pragma once

#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

// The 8-bit palette of the generated maps, laid out so that map layers can
// be switched off through palette masks alone:
//
//   bits 0..4  base colour: land cover and hill-shading level (32 entries)
//   bits 5..6  01 = contour line over that base colour,
//              10 = kilometre grid line over that base colour,
//              11 = line work above everything else (32 entries: roads,
//                   rails, rivers, houses), never under contours or grid
//   bit 7      name text over whatever the lower seven bits show
//
// Hiding a layer with mask m and range [lo, hi] gives every entry j whose
// j & m lies in the range the colour of j - (j & m): a contour pixel turns
// into its base colour, a name pixel into what lies beneath the name.
namespace MapPalette {

// Base colours (bits 0..4).
enum Base : uint8_t {
    Paper = 0,        // outside the picture; also what a damaged tile shows
    OpenFirst = 1,    // open land, darkest shade
    OpenCount = 12,   //   .. 12 shades
    ForestFirst = 13, // forest, darkest shade
    ForestCount = 10,
    TownFirst = 23, // built-up area
    TownCount = 4,
    Water = 27,
    OutsideFirst = 28, // neighbouring land outside the state
    OutsideCount = 3,
    Marsh = 31,
};

constexpr uint8_t ContourBit = 0x20;
constexpr uint8_t GridBit = 0x40;
constexpr uint8_t LineWork = 0x60;
constexpr uint8_t NameBit = 0x80;

// Line work colours (entries 96 + code).
enum Line : uint8_t {
    None = 0, // no line work at this pixel
    RoadCasing = 1,
    FederalFill,
    StateFill,
    DistrictFill,
    LocalFill,
    RailDark,
    RailLight,
    RiverFill,
    Shore,
    House,
    Symbol,
    StateBorder,
    Station,
    TownDot,
    Bridge,
    LineCount
};

// Map layers as stored in a map file's layer table.
struct Layer {
    uint8_t mask, low, high;
    QString name;
};

enum class Style { Regional, Overview250, Overview1600, OverviewLand, OverviewRegion };

// The 256 colours for a map of the given style.
std::vector<QRgb> colours(Style style);
// The layer table for a map of the given style (empty: one default layer).
std::vector<Layer> layers(Style style);

} // namespace MapPalette
