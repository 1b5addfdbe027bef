#pragma once

#include "Coord.h"

#include <functional>
#include <vector>

// A line clicked onto the map, optionally closed into an area. The points are
// kept as Gauss-Krüger positions of the map library (type 1, a = northing,
// b = easting) all in the strip of the first point, so that lengths and the
// area are plane values in metres and square metres.
class MeasureLineArea {
public:
    // Told after every change; `added` is true when points were added.
    using ChangeListener = std::function<void(bool added)>;

    // Converts the position into the strip of the first point (the first
    // point keeps its own strip when it already is Gauss-Krüger, otherwise
    // the library chooses). False when the area is closed or the position
    // cannot be converted; nothing changes then.
    bool AddPoint(const Coord& position);
    // On a closed area only reopens it; otherwise removes the last point.
    // False when there are no points.
    bool DeleteLast();
    void DeleteAll();
    // Closes the line into an area; nothing when already closed.
    void CloseArea();

    int PointCount() const { return int(m_points.size()); }
    const std::vector<Coord>& Points() const { return m_points; }
    bool Closed() const { return m_closed; }
    // The last segment (the closing one when closed), metres.
    double Last() const { return m_last; }
    double Total() const { return m_total; }
    // Signed; its sign follows the direction of the ring.
    double Area() const { return m_area; }

    // Returns an id for RemoveListener.
    int AddListener(ChangeListener listener);
    void RemoveListener(int id);

private:
    void changed(bool added);
    void recompute();

    std::vector<Coord> m_points;
    bool m_closed = false;
    double m_last = 0.0;
    double m_total = 0.0;
    double m_area = 0.0;
    std::vector<std::pair<int, ChangeListener>> m_listeners;
    int m_nextListener = 1;
};
