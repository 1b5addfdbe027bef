#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QString>

class QPainter;

namespace Velmar32 {

// The bottom margin of a printed map: the text lines, the scale and the
// scale bar, drawn in a band of height() pixels right below the map, so that
// neither the bar nor a line covers any of the map.
struct PrintMargin {
    QString text;              // lines separated by CR or LF
    bool scaleBar = false;     // else "Maßstab 1:<scale>" as a text line
    double scale = 0;          // scale denominator
    double groundPerPixel = 0; // ground metres per printer pixel
    QRect mapRect;             // where the map lies on the page
    int pageWidth = 0;         // printer pixels

    // The height of the band below the map, for text of these metrics.
    int height(const QFontMetrics& fm) const;
    void draw(QPainter& painter) const;

private:
    QStringList lines() const;
    bool hasBar() const { return scaleBar && groundPerPixel > 0; }
};

// The segment length of the scale bar: the smallest of 1, 2, 5 × 10^k metres
// that is at least `metres`.
double scaleBarSegment(double metres);

} // namespace Velmar32
