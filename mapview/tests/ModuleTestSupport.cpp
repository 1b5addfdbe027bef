#include "ModuleTestSupport.h"

#include "PatternMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <vector>

namespace ModuleTestSupport {

bool writeMap(const QString& path, const MapArea& area) {
    return writePatternMap(path, area);
}

Coord gk(double easting, double northing) {
    Coord c{};
    c.type = 1;
    c.zone = 3;
    c.x = northing;
    c.y = easting;
    return c;
}

bool processUntil(const std::function<bool()>& condition, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return condition();
}

} // namespace ModuleTestSupport
