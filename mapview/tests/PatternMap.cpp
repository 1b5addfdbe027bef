#include "PatternMap.h"

#include "TlmWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

bool writePatternMap(const QString& path, const PatternMapArea& area) {
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
    TlmWriter writer(QFile::encodeName(path).toStdString(), area.width, area.height, o);
    if (!writer.begin())
        return false;
    std::vector<uint8_t> row(size_t(area.width));
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x)
            row[size_t(x)] = uint8_t((x / 8 + y / 8) % 16);
        if (!writer.writeRows(row.data(), 1, row.size()))
            return false;
    }
    return writer.finish();
}
