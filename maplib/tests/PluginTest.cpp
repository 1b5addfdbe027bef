// The optional plug-ins, with stand-ins built for the tests. They are loaded
// process-wide, so these cases run in a program of their own.
#include "ManyLayersPlugin.h"
#include "TestSupport.h"
#include "TlmImage.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

void appendChunk(std::vector<uint8_t>& f, uint16_t group, uint16_t id, const std::vector<uint8_t>& body) {
    uint8_t head[8];
    putU16(head, group);
    putU16(head + 2, id);
    putU32(head + 4, uint32_t(body.size()));
    f.insert(f.end(), head, head + 8);
    f.insert(f.end(), body.begin(), body.end());
}

// A variant-C map of 2 × 1 tiles of 16 × 8 pixels, 8 bits, compression 3.
std::vector<uint8_t> codecMap(const std::vector<uint8_t>& tile0, const std::vector<uint8_t>& tile1,
                              const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& extra) {
    std::vector<uint8_t> f = {'T', 'O', 'L', 'M'};
    std::vector<uint8_t> size(8);
    putU32(size.data(), 32);
    putU32(size.data() + 4, 8);
    appendChunk(f, 1, 0, size);
    std::vector<uint8_t> info(40 + 1024);
    BitmapInfoHeader h;
    h.biWidth = 16;
    h.biHeight = 8;
    h.biBitCount = 8;
    h.biCompression = 3;
    h.toBytes(info.data());
    appendChunk(f, 1, 1, info);
    for (const auto& [id, body] : extra)
        appendChunk(f, 3, id, body);
    // Table of three offsets, then the tiles in a chunk readers skip.
    const uint32_t dataStart = uint32_t(f.size() + 8 + 12 + 8);
    std::vector<uint8_t> table(12);
    putU32(table.data(), dataStart);
    putU32(table.data() + 4, dataStart + uint32_t(tile0.size()));
    putU32(table.data() + 8, dataStart + uint32_t(tile0.size() + tile1.size()));
    appendChunk(f, 1, 2, table);
    std::vector<uint8_t> data = tile0;
    data.insert(data.end(), tile1.begin(), tile1.end());
    appendChunk(f, 1, 4, data);
    return f;
}

} // namespace

TEST(Plugins, TileCodecAndExtraLayers) {
    ASSERT_TRUE(dlopen(VISTREL_CODEC_PLUGIN, RTLD_NOW | RTLD_GLOBAL)) << dlerror();
    void* layers = dlopen(VISTREL_LAYERS_PLUGIN, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_TRUE(layers) << dlerror();
    auto body = reinterpret_cast<const uint8_t* (*)(const void*, uint32_t*)>(dlsym(layers, "TestLayers_Body"));
    auto removed = reinterpret_cast<int (*)()>(dlsym(layers, "TestLayers_Removed"));
    ASSERT_TRUE(body && removed);

    std::vector<uint8_t> plain(16 * 8), coded(16 * 8);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        plain[i] = uint8_t(i * 3);
        coded[i] = plain[i] ^ 0x5A;
    }
    std::vector<uint8_t> shortTile(coded.begin(), coded.end() - 1);
    TempDir dir;
    writeFile(dir.path("c.tlm"), codecMap(coded, shortTile, {{7, {9, 8, 7}}, {8, {1, 2}}}));
    ImageSource* src = ImageSource::open(dir.path("c.tlm"));
    ASSERT_TRUE(src);
    EXPECT_EQ(static_cast<TlmImage*>(src)->storedCompression(), 3u);
    std::vector<uint8_t> tile(src->tileBufferBytes(), 0xEE);
    EXPECT_TRUE(src->readTile(0, 0, tile.data(), tile.size()));
    EXPECT_EQ(tile, plain);
    EXPECT_FALSE(src->readTile(1, 0, tile.data(), tile.size())) << "the codec refuses a short tile";
    EXPECT_EQ(std::count(tile.begin(), tile.end(), 0), long(tile.size()));

    // The chunk the plug-in took was read into its buffer; the other skipped.
    ASSERT_TRUE(ManyLayersPlugin::loaded());
    uint32_t length = 0;
    const uint8_t* held = body(src, &length);
    ASSERT_TRUE(held);
    ASSERT_EQ(length, 3u);
    EXPECT_EQ(held[0], 9);
    EXPECT_EQ(held[2], 7);
    EXPECT_EQ(ManyLayersPlugin::loaded()->numLayers(src, 0, 0), 3);
    const int before = removed();
    src->release();
    EXPECT_EQ(removed(), before + 1) << "the plug-in hears of the source's end";
    EXPECT_EQ(body(src, &length), nullptr);
}
