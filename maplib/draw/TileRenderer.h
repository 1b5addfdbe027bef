#pragma once

#include "MapTypes.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

// Turns one decoded tile (lines bottom-up, padded to 4 bytes) into display
// pixels (QImage::Format_RGB32, top-down).
//
// A tile may be partial: only its top `width` × `height` source pixels belong
// to the picture (the last tile column and row of a map). They are stretched
// to `displayWidth` × `displayHeight` pixels.
namespace TileRenderer {

struct TileLayout {
    const uint8_t* bits = nullptr; // decoded tile
    int bitCount = 8;
    int tileWidth = 0;
    int tileHeight = 0;
    int stride = 0; // bytes per stored line
    int width = 0;  // source pixels of the picture in this tile
    int height = 0;
    int displayWidth = 0;
    int displayHeight = 0;
};

// Colours of the pixel values of an indexed bit count (2^bitCount entries;
// values the palette does not cover are black).
std::vector<uint32_t> colourTable(const std::vector<RgbQuad>& palette, int bitCount);

// Nearest-neighbour stretching, as colour-on-colour stretching does it: display
// pixel (dx, dy) shows source pixel (dx × width / displayWidth, dy × height /
// displayHeight), counted from the top left. Only `part` of the display tile
// (in display tile coordinates) is rendered. `colours` is the colour table of
// indexed tiles; 24-bit pixels are dimmed by byte × dimmer / 255. `into`, when
// it is an RGB32 image of part's size held nowhere else, is drawn into and
// returned; else a new image is made.
QImage stretch(const TileLayout& tile, const QRect& part, const uint32_t* colours, uint8_t dimmer,
               QImage into = QImage());

// Area averaging of a whole 8-bit tile to its display tile size (tileWidth ×
// tileHeight source pixels to displayWidth × displayHeight, whatever the
// picture part). Target pixel (tx, ty) covers [tx × tileWidth, (tx + 1) ×
// tileWidth) × [ty × tileHeight, (ty + 1) × tileHeight) and source pixel (sx,
// sy) covers [sx × displayWidth, (sx + 1) × displayWidth) × [sy ×
// displayHeight, (sy + 1) × displayHeight) of one common grid. Each channel is
// the overlap-weighted sum of palette colours divided by tileWidth ×
// tileHeight, rounded to nearest.
QImage areaAverage(const TileLayout& tile, const std::vector<RgbQuad>& palette);

} // namespace TileRenderer
