// A stand-in tile codec plug-in for the tests: a "compressed" tile is the
// decoded tile with every byte XOR 0x5A.
#include <cstdint>
#include <cstring>

struct SourceBlock {
    const uint8_t* data;
    uint32_t length;
};

extern "C" __attribute__((visibility("default"))) int
TLM_LBComp_decompressTile(const SourceBlock* source, uint8_t* target, int width, int height, int bytesPerPixel) {
    const uint32_t want = uint32_t(width * height * bytesPerPixel);
    if (source->length != want)
        return 0;
    for (uint32_t i = 0; i < want; ++i)
        target[i] = source->data[i] ^ 0x5A;
    return 1;
}
