#pragma once

#include "Coord.h"
#include "CoordTargets.h"
#include "MapCoordCodes.h"

namespace MapCoords {

// Converts `source` into the type (and, where the type needs one, the
// parameter) the caller has set in `target`. Only type, parameter, x and y
// of the records are read or written. The conversion walks through
// intermediate records (surface → window → map pixel → native → geographic →
// projected); the non-negative statuses of its steps are OR-combined, a
// negative one ends it. Never throws.
Status transformCoordsEx(const CoordResolver& resolver, const Coord& source, Coord& target);

// 1 when transformCoordsEx reports exactly StatusConverted, else 0 (a point
// outside the map therefore gives 0).
int transformCoords(const CoordResolver& resolver, const Coord& source, Coord& target);

} // namespace MapCoords
