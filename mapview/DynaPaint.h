#pragma once

#include <QRect>

class QPainter;
class TTolmWindow;

// Something on the main map that moves often (the GPS position, a flashing
// place) and is redrawn from the saved map picture without drawing the map.
class DynaPainter {
public:
    virtual ~DynaPainter();
    // Paints on the work picture; reports the area it changes through
    // DynaPaint::InvalidateRect (old and new position).
    virtual void Paint(TTolmWindow& window, QPainter& canvas) = 0;
};

// The dynamic-painting manager of the main map window.
namespace DynaPaint {
// Registration order is painting order; painters are not owned.
void AddPainter(DynaPainter* painter);
void RemovePainter(DynaPainter* painter);
// Adds the area a painter will change to the dirty rectangle.
void InvalidateRect(const QRect& rect);
// Runs the dynamic paint of the window now.
void RepaintDynamic();
// Creates the double-buffered strategy for the window once; later calls do nothing.
void Install(TTolmWindow& window);
} // namespace DynaPaint
