#include "ModuleTestSupport.h"

#include "TlmWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <vector>

namespace ModuleTestSupport {

bool writeMap(const QString& path, const MapArea& area) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = 64;
    o.tileHeight = 64;
    o.bitCount = 8;
    for (int i = 0; i < 16; ++i)
        o.palette.push_back(RgbQuad{uint8_t(200 - i), 100, uint8_t(i * 16), 0});
    // Similarity transform from (a = northing, b = easting) to pixels:
    // x = R1 + a R3 - b R4, y = R2 + a R4 + b R3.
    o.georef.kind = 255;
    o.georef.zone = 3;
    o.georef.r[0] = -area.easting / area.metres;
    o.georef.r[1] = area.northing / area.metres;
    o.georef.r[2] = 0;
    o.georef.r[3] = -1.0 / area.metres;
    std::vector<uint8_t> rows(size_t(area.width) * size_t(area.height));
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            rows[size_t(y) * size_t(area.width) + size_t(x)] = uint8_t((x / 8 + y / 8) % 16);
    return TlmWriter::write(path.toStdString(), area.width, area.height, rows.data(), size_t(area.width), o);
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
