#pragma once

#include <QString>

// The test maps of the map window's tests: 8-bit pixels whose index is
// (x / 8 + y / 8) % 16 over a 16-colour palette (entry i is red i * 16,
// green 100, blue 200 - i), tied to Gauss-Krüger strip 3.
struct PatternMapArea {
    double easting = 3500000;  // left edge
    double northing = 5600000; // top edge
    double metres = 1.0;       // per pixel
    int width = 400;
    int height = 300;
};

// Writes the map with the project's map writer, band by band; false when it
// could not be written.
bool writePatternMap(const QString& path, const PatternMapArea& area);
