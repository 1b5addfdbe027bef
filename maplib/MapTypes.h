#pragma once

#include <cstdint>
#include <string>

// The records a map file is described by. Their field names follow the
// Windows bitmap structures the files were designed around, because the
// drawing code and the stored files speak in those terms.

// Describes ONE tile of a map: biWidth and biHeight are the tile size, not the
// size of the picture. 40 bytes in a file, little-endian.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;

    static constexpr std::size_t FileSize = 40;
    // Parses the 40 bytes at `p`.
    static BitmapInfoHeader fromBytes(const uint8_t* p);
    void toBytes(uint8_t* p) const;
};

struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const RgbQuad&) const = default;
};

// One map layer: pixels whose palette index, masked with `mask`, lies in
// [low, high] belong to the layer.
struct LayerEntry {
    uint8_t mask = 255;
    uint8_t reserved = 0;
    uint8_t low = 0;
    uint8_t high = 255;
    std::string name; // Windows-1252 bytes as stored in the file
};

// Georeference kinds of a .TLM file.
enum class GeoKind : uint16_t { None = 0, BoundingBox = 1, GeographicBox = 2, Similarity = 255 };

struct Georeference {
    uint16_t kind = 0;
    int16_t zone = 0; // strip number of the map's Gauss-Krüger coordinates
    double r[4] = {0, 0, 0, 0};
};

// Bytes of one line of a decoded tile: lines are padded to 4 bytes.
inline int64_t tileStride(int64_t width, int bitCount) {
    return ((width * bitCount + 31) / 8) & ~int64_t(3);
}

// Little-endian helpers for the readers and writers.
inline uint16_t getU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t getU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
double getF64(const uint8_t* p);
inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
void putF64(uint8_t* p, double v);

// floor(v) as a zone number; values that are not finite or do not fit give 0,
// so that a damaged georeference cannot produce an undefined conversion.
int16_t zoneFromReal(double v);
