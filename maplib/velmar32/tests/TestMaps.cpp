#include "TestMaps.h"

#include "TlmWriter.h"

#include <vector>

std::string TestMaps::write(const std::string& name, int width, int height, int tileSize) const {
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = tileSize;
    o.tileHeight = tileSize;
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
    const std::string p = path(name);
    return TlmWriter::write(p, width, height, rows.data(), size_t(width), o) ? p : std::string();
}
