#pragma once

#include "PatternMap.h"

#include "Coord.h"

#include <QString>

#include <functional>

// Georeferenced maps for the module's tests, written with the project's map
// writer: Gauss-Krüger strip 3, the top left corner at (easting, northing),
// `metres` per pixel, a checkerboard of 16 colours.
namespace ModuleTestSupport {

using MapArea = PatternMapArea;

// Writes the map; false when it could not be written.
bool writeMap(const QString& path, const MapArea& area);

// A Gauss-Krüger position of strip 3 (a = northing, b = easting).
Coord gk(double easting, double northing);

// Runs the event loop until the condition holds (a bounded number of passes).
bool processUntil(const std::function<bool()>& condition, int rounds = 200);

} // namespace ModuleTestSupport
