#pragma once

#include "Coord.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <string>

class TTolmWindow;

// Georeferenced test maps written with the project's map writer: 8-bit pixels
// whose index is (x / 8 + y / 8) % 16 over a 16-colour palette, tied to
// Gauss-Krüger strip 3 with one metre per pixel and the top left corner at
// easting 3 500 000, northing 5 600 000.
struct WindowTestMaps {
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    // Writes `name` with the given size; the path, empty on failure.
    QString write(const QString& name, int width, int height) const;

    static int indexAt(int x, int y) { return (x / 8 + y / 8) % 16; }
    static QColor colourOf(int index) { return QColor(index * 16, 100, 200 - index); }
    // The colour of map pixel (x, y) at zoom 1.
    static QColor colourAt(int x, int y) { return colourOf(indexAt(x, y)); }
    static constexpr double Easting0 = 3500000;
    static constexpr double Northing0 = 5600000;

    // Gauss-Krüger record of the centre of map pixel (x, y).
    static Coord gaussKrueger(double x, double y);
};

// The window's client area as the user sees it.
QImage grabClient(TTolmWindow& window);

// What the window shows on the screen now (the window's backing store), as
// opposed to grabClient, which paints the window afresh.
QImage screenOf(TTolmWindow& window);
