#pragma once

#include "Coord.h"

#include <list>

// The geometry of one drawing element: its vertices in drawing order and
// whether the last vertex joins the first. Owned by exactly one element or
// drawing function.
class StdDrawObject {
public:
    bool closed() const { return m_closed; }
    // A geometry of fewer than three points cannot enclose an area: a request
    // to close it stores false. Returns what was stored.
    bool setClosed(bool closed);

    std::list<Coord> points;

private:
    bool m_closed = false;
};
