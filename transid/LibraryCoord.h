#pragma once

#include "Coord.h"

#include <cstdint>

namespace Transid {

// The map library keeps its own small type codes in Coord. Three of them name
// systems of the registry:
//   library 1 (Gauss-Krüger, a = northing, b = easting, zone) <-> 0x201010, same zone
//   library 2 (geographic DHDN, a = longitude, b = latitude)  <-> 0x201000
//   library 3 (geographic WGS84, a = longitude, b = latitude) <-> 0x002000
// The library ignores its option bits 4..7 when it compares types, and so
// does this mapping.

// True when the type is one of the three library codes above.
bool isMappedLibraryType(uint32_t type);

// Registry code that a library type stands for, or 0 for any other type.
uint32_t registryCodeOfLibraryType(uint32_t libraryType);

// Converts a position where either side, or both, may carry one of the three
// library codes instead of a registry code; every crossing between the map
// library and the registry goes through here, so the field order of library
// type 1 is swapped in this one place. Otherwise it behaves like Convert:
// target keeps its type and separation and receives zone, x, y and z (for
// library type 1 the zone is the strip, 0 in a target = choose); false leaves
// target untouched. Uses the process-wide registry.
bool ConvertMapCoord(const Coord& source, Coord& target);

} // namespace Transid
