#pragma once

#include "Coord.h"
#include "MapEvents.h"

#include <QTimer>

// Marks one point of the main map with a red circle. A map event listener:
// attach it to the map window module to have it painted.
class PointPainter : public MapEventListener {
public:
    PointPainter() = default;

    bool Visible() const { return m_visible; }
    const Coord& Position() const { return m_position; }
    // A position is known when it is bound to a map or window (type 0x8000
    // and above) or when not both values are 0.
    bool PositionKnown() const;

    // Keeps the position; a visible mark is repainted at once.
    void SetPosition(const Coord& position);
    void Show();
    void Hide();
    // Centres the main map on a known position and shows the map page.
    void CentreOn();

    // The circle, when visible and the position converts into a window point.
    void Paint(MapEventInfo& info) override;

protected:
    static void RepaintMap();

private:
    bool m_visible = false;
    Coord m_position{};
};

// A point mark that hides itself after a while.
class TimedPointPainter : public PointPainter {
public:
    TimedPointPainter();

    // Shows the mark; it hides at the first timer tick after `milliseconds`.
    // Showing it again starts the time anew.
    void ShowFor(int milliseconds);

    const QTimer& Timer() const { return m_timer; }

private:
    QTimer m_timer;
};
