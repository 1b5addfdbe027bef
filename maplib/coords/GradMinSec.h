#pragma once

#include "Coord.h"

#include <cstddef>
#include <cstdint>

namespace MapCoords {

// Degrees, minutes and seconds of both values of a Coord, laid out as the
// library has always handed it to its hosts: the type, an int32 the library
// never writes, then degrees, minutes and seconds of the first value and then
// of the second.
struct GradMinSec {
    int32_t type;
    int32_t unused; // left as the caller set it
    double degreesA;
    double minutesA;
    double secondsA;
    double degreesB;
    double minutesB;
    double secondsB;
};

static_assert(sizeof(GradMinSec) == 56);
static_assert(offsetof(GradMinSec, degreesA) == 8);

// degrees = floor(v), minutes = floor((v − degrees) × 60),
// seconds = ((v − degrees) × 60 − minutes) × 60, for each value.
void coordToGradMinSec(const Coord& source, GradMinSec& out);

} // namespace MapCoords
