#pragma once

#include "Coord.h"
#include "DynaPaint.h"

#include <QColor>
#include <QRect>

// The GPS position on the main map: a circle with a cross, drawn by the
// dynamic painting from the saved map picture, so a moving position never
// redraws the map. It scrolls the map when the position strays too far from
// the centre.
class DynaGPSPainter : public DynaPainter {
public:
    explicit DynaGPSPainter(const QColor& colour = QColor(0x00, 0xFF, 0x00));

    // A Gauss-Krüger position of the map library (type 1, x northing,
    // y easting). Passes it to the track and repaints when it moved.
    void setPosition(const Coord& position);
    void setVisible(bool visible);
    // -1 = never recentre, else 0 (marker kept within 16 pixels of the
    // centre) to 255 (up to 16 pixels from the window's edge).
    void setCenterThreshold(int threshold);
    void setColour(const QColor& colour);

    void Paint(TTolmWindow& window, QPainter& canvas) override;

    const Coord& position() const { return m_position; }
    const Coord& lastPixel() const { return m_lastPixel; }
    bool visible() const { return m_visible; }
    int centerThreshold() const { return m_threshold; }
    QColor colour() const { return m_colour; }

    // Whether the pixel (x, y) is near enough to the centre of the client
    // rectangle for the tolerance t (0 to 255).
    static bool nearCentre(int x, int y, const QRect& client, int t);

private:
    // The position as a rounded client pixel of the map window.
    bool windowPixel(TTolmWindow& window, Coord& pixel) const;
    static void repaint();

    Coord m_position{};
    Coord m_lastPixel{0xC001, 0, 0.0, 0.0};
    bool m_visible = false;
    int m_threshold = -1;
    QColor m_colour;
};
