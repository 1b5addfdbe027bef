#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QString>

class QPainter;

namespace Velmar32 {

// The bottom margin of a printed map: the text lines, the scale and the
// scale bar, drawn inside the map rectangle on the page.
struct PrintMargin {
    QString text;          // lines separated by CR or LF
    bool scaleBar = false; // else "Maßstab 1:<scale>" as a text line
    double scale = 0;      // scale denominator
    double groundPerPixel; // ground metres per printer pixel
    QRect mapRect;         // where the map lies on the page
    int pageWidth = 0;     // printer pixels

    void draw(QPainter& painter) const;
};

// The segment length of the scale bar: the smallest of 1, 2, 5 × 10^k metres
// that is at least `metres`.
double scaleBarSegment(double metres);

} // namespace Velmar32
