#include "GradMinSec.h"

#include <cmath>

namespace MapCoords {

namespace {

void split(double v, double& degrees, double& minutes, double& seconds) {
    degrees = std::floor(v);
    const double m = (v - degrees) * 60.0;
    minutes = std::floor(m);
    seconds = (m - minutes) * 60.0;
}

} // namespace

void coordToGradMinSec(const Coord& source, GradMinSec& out) {
    out.type = static_cast<int32_t>(source.type);
    split(source.x, out.degreesA, out.minutesA, out.secondsA);
    split(source.y, out.degreesB, out.minutesB, out.secondsB);
}

} // namespace MapCoords
