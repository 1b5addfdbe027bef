#pragma once

#include "GpsTrack.h"
#include "MapEvents.h"

#include <cstddef>
#include <vector>

namespace Modul::GPS::ShowTrack {

// The path of the last 2000 GPS positions, drawn in lime on the main map on
// every full repaint and with every move of the GPS marker.
class Class : public AsSingleDialog::AbstractTrack, public MapEventListener {
public:
    static constexpr std::size_t Capacity = 2000;
    enum State { Off = 0, Hidden = 1, Shown = 2 };

    bool setupMenu(QAction* showTrack, QAction* clearTrack) override;
    void addPoint(const Coord& position, bool moved) override;
    void paint(DrawCoordTransformer::BaseDCT& transformer) override;
    void Paint(MapEventInfo& info) override;

    // "&GPS-Spur zeigen": shown <-> hidden (off -> shown).
    void toggleShown();
    // "GPS-Spur &löschen": no points, off.
    void clear();

    int state() const { return m_state; }
    const std::vector<Coord>& points() const { return m_points; }
    std::size_t ringIndex() const { return m_ring; }
    // The points from the oldest to the newest.
    std::vector<Coord> ordered() const;

private:
    static void repaintMap();

    int m_state = Off;
    std::vector<Coord> m_points;
    std::size_t m_ring = 0; // the oldest entry once the array is full
    QAction* m_showItem = nullptr;
};

} // namespace Modul::GPS::ShowTrack
