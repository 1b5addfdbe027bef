#include "WindowTestMaps.h"

#include "PatternMap.h"
#include "TolmWindow.h"

#include <QFile>
#include <QPixmap>
#include <QScreen>

#include <vector>

QString WindowTestMaps::write(const QString& name, int width, int height) const {
    PatternMapArea area;
    area.easting = Easting0;
    area.northing = Northing0;
    area.width = width;
    area.height = height;
    const QString p = path(name);
    return writePatternMap(p, area) ? p : QString();
}

Coord WindowTestMaps::gaussKrueger(double x, double y) {
    Coord c;
    c.type = TLM_COORD_GAUSS_KRUEGER;
    c.zone = 3;
    c.x = Northing0 - y;
    c.y = Easting0 + x;
    return c;
}

QImage grabClient(TTolmWindow& window) {
    return window.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage screenOf(TTolmWindow& window) {
    QWidget* top = window.window();
    const QPixmap all = top->screen()->grabWindow(top->winId());
    const QRect client(window.viewport()->mapTo(top, QPoint(0, 0)), window.viewport()->size());
    return all.toImage().copy(client).convertToFormat(QImage::Format_RGB32);
}
