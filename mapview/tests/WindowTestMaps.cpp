#include "WindowTestMaps.h"

#include "TlmWriter.h"
#include "TolmWindow.h"

#include <QFile>
#include <QPixmap>
#include <QScreen>

#include <vector>

QString WindowTestMaps::write(const QString& name, int width, int height) const {
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = 64;
    o.tileHeight = 64;
    o.bitCount = 8;
    for (int i = 0; i < 16; ++i)
        o.palette.push_back(RgbQuad{uint8_t(200 - i), 100, uint8_t(i * 16), 0});
    // x = R1 + a R3 - b R4, y = R2 + a R4 + b R3 with a = northing, b = easting.
    o.georef.kind = 255;
    o.georef.zone = 3;
    o.georef.r[0] = -Easting0;
    o.georef.r[1] = Northing0;
    o.georef.r[2] = 0;
    o.georef.r[3] = -1;
    std::vector<uint8_t> rows(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[size_t(y) * size_t(width) + size_t(x)] = uint8_t(indexAt(x, y));
    const QString p = path(name);
    return TlmWriter::write(QFile::encodeName(p).toStdString(), width, height, rows.data(), size_t(width), o)
               ? p
               : QString();
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
