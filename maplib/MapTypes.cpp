#include "MapTypes.h"

#include <cmath>
#include <cstring>

BitmapInfoHeader BitmapInfoHeader::fromBytes(const uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = getU32(p);
    h.biWidth = int32_t(getU32(p + 4));
    h.biHeight = int32_t(getU32(p + 8));
    h.biPlanes = getU16(p + 12);
    h.biBitCount = getU16(p + 14);
    h.biCompression = getU32(p + 16);
    h.biSizeImage = getU32(p + 20);
    h.biXPelsPerMeter = int32_t(getU32(p + 24));
    h.biYPelsPerMeter = int32_t(getU32(p + 28));
    h.biClrUsed = getU32(p + 32);
    h.biClrImportant = getU32(p + 36);
    return h;
}

void BitmapInfoHeader::toBytes(uint8_t* p) const {
    putU32(p, biSize);
    putU32(p + 4, uint32_t(biWidth));
    putU32(p + 8, uint32_t(biHeight));
    putU16(p + 12, biPlanes);
    putU16(p + 14, biBitCount);
    putU32(p + 16, biCompression);
    putU32(p + 20, biSizeImage);
    putU32(p + 24, uint32_t(biXPelsPerMeter));
    putU32(p + 28, uint32_t(biYPelsPerMeter));
    putU32(p + 32, biClrUsed);
    putU32(p + 36, biClrImportant);
}

double getF64(const uint8_t* p) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(p[i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

void putF64(uint8_t* p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(bits >> (8 * i));
}

int16_t zoneFromReal(double v) {
    const double f = std::floor(v);
    if (!std::isfinite(f) || f < -32768.0 || f > 32767.0)
        return 0;
    return int16_t(f);
}
