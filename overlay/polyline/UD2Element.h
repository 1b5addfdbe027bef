#pragma once

#include "Coord.h"
#include "UD2Tree.h"

#include <QColor>

#include <vector>

class MapEventInfo;

namespace UD2Element {

// A drawing element of the tree: it draws itself into a map paint event.
class AbstractBase : public UD2Tree::Leaf {
public:
    using UD2Tree::Leaf::Leaf;
    virtual void draw(MapEventInfo& event) const = 0;
};

// A line, or an area when closed, through positions in any system the map
// window converts (usually the map's own system).
class LineArea : public AbstractBase {
public:
    using AbstractBase::AbstractBase;

    // 1 while there are fewer than 3 points, else 3 when closed, else 2.
    int shapeKind() const;
    // Refused by a closed area (shape kind 3).
    bool appendPoint(const Coord& point);
    // False for an index outside the points.
    bool movePoint(int index, const Coord& point);
    bool removePoint(int index);
    // The first point closer than 3 pixels to the event's position, by the
    // event's conversion into window pixels.
    bool hitPoint(const MapEventInfo& event, int& index) const;
    void draw(MapEventInfo& event) const override;

    const std::vector<Coord>& points() const { return m_points; }
    int pointCount() const { return int(m_points.size()); }
    bool closed() const { return m_closed; }
    void setClosed(bool closed) { m_closed = closed; }

    int penWidth = 3;
    int penStyle = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5..7 none
    QColor penColor = QColor(255, 0, 255);

private:
    std::vector<Coord> m_points;
    bool m_closed = false;
};

} // namespace UD2Element
