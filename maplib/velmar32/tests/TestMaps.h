#pragma once

#include <QTemporaryDir>

#include <string>

// Maps for the tests, written with the project's map writer: 8-bit pixels
// whose index is (x / 8 + y / 8) % 16 over a 16-colour palette (entry i =
// red i*16, green 100, blue 200 - i), tied to Gauss-Krüger strip 3 with one
// metre per pixel and the top left corner at easting 3 500 000, northing
// 5 600 000.
struct TestMaps {
    QTemporaryDir dir;

    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    // Writes `name` with the given size; the path, empty on failure.
    std::string write(const std::string& name, int width, int height, int tileSize = 64) const;

    static int indexAt(int x, int y) { return (x / 8 + y / 8) % 16; }
    static constexpr double Easting0 = 3500000;
    static constexpr double Northing0 = 5600000;
};
