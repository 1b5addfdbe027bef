#pragma once

#include "StdDrawAppearance.h"
#include "StdDrawObject.h"
#include "StdDrawStrategy.h"

// The four element kinds. Each has one instance, made on first use and kept
// until the program ends.

// Squares and circles of a given side length or radius, in pixels or metres.
class StdDrawSymbolStrategy : public StdDrawStrategy {
public:
    static const StdDrawSymbolStrategy& instance();
    QString elementName() const override;
    QString kindLabel(const StdDrawObject& geometry) const override;
    void draw(MapEventInfo& target, const StdDrawObject& geometry, const StdDrawAppearance& appearance) const override;
    bool isPointElement() const override { return true; }
    bool usesShape() const override { return true; }
};

// A picture of the icon set, centred on its point.
class StdDrawBitmapIconStrategy : public StdDrawStrategy {
public:
    static const StdDrawBitmapIconStrategy& instance();
    QString elementName() const override;
    QString kindLabel(const StdDrawObject& geometry) const override;
    void draw(MapEventInfo& target, const StdDrawObject& geometry, const StdDrawAppearance& appearance) const override;
    bool isPointElement() const override { return true; }
    bool hasIcon() const override { return true; }
};

// Lines, and areas when the geometry is closed.
class StdDrawLineAreaStrategy : public StdDrawStrategy {
public:
    static const StdDrawLineAreaStrategy& instance();
    QString elementName() const override;
    QString kindLabel(const StdDrawObject& geometry) const override;
    StdDrawAppearance& defaultAppearance() const override;
    void draw(MapEventInfo& target, const StdDrawObject& geometry, const StdDrawAppearance& appearance) const override;
};

// Lines of text in a framed box centred on their point.
class StdDrawTextStrategy : public StdDrawStrategy {
public:
    static const StdDrawTextStrategy& instance();
    QString elementName() const override;
    QString kindLabel(const StdDrawObject& geometry) const override;
    StdDrawAppearance& defaultAppearance() const override;
    void draw(MapEventInfo& target, const StdDrawObject& geometry, const StdDrawAppearance& appearance) const override;
    bool isPointElement() const override { return true; }
    bool hasText() const override { return true; }
};

namespace StdDrawStrategies {
// The four in the order the property editor lists them.
const StdDrawStrategy* const* all();
constexpr int Count = 4;
// Binds each default appearance record to the strategy that starts from it
// (record 0 symbols, 1 lines and areas, 2 texts).
void bindDefaultAppearances();
// Whether elements that lie wholly outside the canvas are left out before
// drawing (the default). Off, everything is handed to the canvas; the
// pixels are the same either way, only the time differs.
void setSkipOutside(bool skip);
bool skipOutside();
// Whether symbols of one look are drawn once onto a picture that is then
// copied onto the canvas wherever such a symbol stands (the default), or
// each is drawn on its own. The pixels are the same either way.
void setSymbolPictures(bool pictures);
// Splits a text into its lines: at line feeds, trailing carriage returns
// removed from every line that ended in a line feed.
QStringList textLines(const QString& text);
} // namespace StdDrawStrategies
