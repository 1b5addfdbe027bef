#pragma once

#include <QString>

#include <array>
#include <cstdint>

class MapEventInfo;
class QPainter;
class StdDrawObject;
class StdDrawStrategy;
namespace SymbolIcon {
class AbstractSI;
}

// What a drawing element looks like and which strategy draws it. A plain
// record, copied by value; the constructor gives the defaults.
struct StdDrawAppearance {
    // Colours are 24-bit values, red in the lowest byte, then green, then blue.
    static constexpr uint32_t Magenta = 0xFF00FF;
    static constexpr uint32_t Purple = 0x800080;
    static constexpr uint32_t White = 0xFFFFFF;

    const StdDrawStrategy* strategy = nullptr; // set by the creator
    QString name;                              // handed over as node text when not empty
    int32_t sides = 4;                         // 0 = circle, any other value = square
    double length = 10.0;                      // side length or radius
    bool lengthInMetres = false;               // length on the ground instead of screen pixels
    QString text;                              // lines separated by line feeds
    int32_t lineWidth = 3;                     // pixels
    uint8_t lineStyle = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear, 6 inside frame
    uint32_t lineColor = Magenta;
    uint8_t fillStyle = 7; // 0 solid, 1 clear, 2 horizontal, 3 vertical, 4 forward diagonal,
                           // 5 backward diagonal, 6 cross, 7 diagonal cross
    uint32_t fillColor = Purple;
    bool hasBackColor = false; // hatch gaps filled with backColor
    uint32_t backColor = White;
    const SymbolIcon::AbstractSI* icon = nullptr; // picture of a picture symbol; not owned

    // Sets the canvas's pen from line colour, style and width. A wide dashed
    // line gets a pen with round caps and joins that keeps its dashes.
    void applyPen(QPainter& canvas) const;
    // Sets the canvas's brush from fill colour and style; hatch gaps are
    // filled with the background colour only when hasBackColor is set.
    void applyBrush(QPainter& canvas) const;

    // Forward to the strategy; empty text and no drawing without one.
    QString kindLabel(const StdDrawObject& geometry) const;
    void draw(MapEventInfo& target, const StdDrawObject& geometry) const;
};

// The three records new elements start from: 0 for symbols and picture
// symbols, 1 for lines and areas, 2 for texts (solid white fill). An overlay
// file's default settings overwrite them; they live until the program ends.
namespace DefaultAppearances {
std::array<StdDrawAppearance, 3>& table();
StdDrawAppearance& record(int index);
// Back to the constructor defaults (record 2 with its white fill); the
// strategies are kept.
void reset();
} // namespace DefaultAppearances
