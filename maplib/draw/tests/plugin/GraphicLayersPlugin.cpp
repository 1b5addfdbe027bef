// A stand-in extra-layers plug-in whose every map is graphic: it turns a tile
// into 24 bits, blue = source byte of the pixel, green = x, red = y (from the
// top of the tile), and counts its calls.
#include <cstdint>
#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int g_transforms = 0;
}

EXPORT void* TolmManyLayersDLL_Alloc(const void*, const void*) {
    return nullptr;
}
EXPORT void TolmManyLayersDLL_Remove(const void*) {}
EXPORT int TolmManyLayersDLL_IsGraphic(const void*) {
    return 1;
}
EXPORT int TolmManyLayersDLL_Transform(const void*, void* header, void* bits, int bitCount, const void* source) {
    int32_t width = 0, height = 0;
    std::memcpy(&width, static_cast<const uint8_t*>(header) + 4, 4);
    std::memcpy(&height, static_cast<const uint8_t*>(header) + 8, 4);
    if (bitCount != 8)
        return 0;
    const int stride24 = (width * 24 + 31) / 32 * 4;
    const int stride8 = (width * 8 + 31) / 32 * 4;
    for (int line = 0; line < height; ++line) {
        auto* out = static_cast<uint8_t*>(bits) + line * stride24;
        const auto* in = static_cast<const uint8_t*>(source) + line * stride8;
        for (int x = 0; x < width; ++x) {
            out[3 * x] = in[x];
            out[3 * x + 1] = uint8_t(x);
            out[3 * x + 2] = uint8_t(height - 1 - line);
        }
    }
    ++g_transforms;
    return 1;
}
EXPORT int TolmManyLayersDLL_GetNumLayers(const void*, intptr_t, intptr_t) {
    return 5;
}
EXPORT int TolmManyLayersDLL_GetLayerInfo(const void*, intptr_t a, intptr_t b) {
    return int(a + b);
}
EXPORT int TolmManyLayersDLL_SetActivation(const void*, intptr_t a, intptr_t) {
    return int(a);
}
EXPORT int GraphicLayers_Transforms() {
    return g_transforms;
}
