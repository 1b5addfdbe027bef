#include "TlmImage.h"

#include "MappedCopy.h"
#include "TestSupport.h"
#include "TileCache.h"
#include "TileDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <latch>
#include <thread>
#include <cstring>
#include <memory>

namespace {

struct SourceDeleter {
    void operator()(ImageSource* s) const {
        if (s)
            s->release();
    }
};
using SourcePtr = std::unique_ptr<ImageSource, SourceDeleter>;

SourcePtr openMap(const std::string& path) {
    return SourcePtr(ImageSource::open(path));
}

TlmWriter::Options options(TlmWriter::Variant variant, uint32_t compression, int bitCount, int tw = 32, int th = 16) {
    TlmWriter::Options o;
    o.variant = variant;
    o.compression = compression;
    o.bitCount = bitCount;
    o.tileWidth = tw;
    o.tileHeight = th;
    o.palette = greyPalette(bitCount);
    return o;
}

std::string writeMap(const TempDir& dir, const std::string& name, const Picture& p, const TlmWriter::Options& o) {
    const std::string path = dir.path(name);
    std::string error;
    EXPECT_TRUE(TlmWriter::write(path, p.width, p.height, p.rows.data(), p.rowBytes(), o, &error)) << error;
    return path;
}

} // namespace

// Every variant, compression and bit depth comes back pixel for pixel, on a
// picture whose size is not a multiple of the tile size.
TEST(TlmImage, RoundTripsEveryVariantCompressionAndBitCount) {
    ASSERT_TRUE(Bzip2Decoder::available());
    TempDir dir;
    struct Case {
        TlmWriter::Variant variant;
        uint32_t compression;
    };
    const Case cases[] = {{TlmWriter::Variant::A, 0}, {TlmWriter::Variant::B, 0}, {TlmWriter::Variant::B, 1},
                          {TlmWriter::Variant::B, 2}, {TlmWriter::Variant::C, 0}, {TlmWriter::Variant::C, 1},
                          {TlmWriter::Variant::C, 2}};
    for (const Case& c : cases) {
        for (int bits : {1, 4, 8, 16, 24}) {
            SCOPED_TRACE("variant " + std::to_string(int(c.variant)) + " compression " + std::to_string(c.compression) +
                         " bits " + std::to_string(bits));
            const Picture p = makePicture(75, 41, bits, uint32_t(bits));
            const std::string path = writeMap(dir, "m.tlm", p, options(c.variant, c.compression, bits));
            SourcePtr src = openMap(path);
            ASSERT_TRUE(src);
            auto* tlm = dynamic_cast<TlmImage*>(src.get());
            ASSERT_TRUE(tlm);
            EXPECT_EQ(int(tlm->variant()), int(c.variant));
            EXPECT_EQ(tlm->storedCompression(), c.compression);
            EXPECT_EQ(src->tileHeader().biCompression, 0u);
            EXPECT_EQ(src->imageWidth(), 75);
            EXPECT_EQ(src->imageHeight(), 41);
            EXPECT_EQ(src->tilesPerRow(), 3);
            EXPECT_EQ(src->tileRows(), 3);
            EXPECT_EQ(src->tileBytes(), bits * 32 / 8 * 16);
            if (bits <= 8) {
                ASSERT_EQ(src->palette().size(), std::size_t(1) << bits);
                EXPECT_EQ(src->palette(), greyPalette(bits));
            } else if (bits == 16) {
                EXPECT_EQ(src->palette().size(), 65536u); // zero colour count means 2^16
            } else {
                EXPECT_TRUE(src->palette().empty());
            }
            const Picture back = readBack(*src);
            EXPECT_EQ(back.rows, p.rows);
        }
    }
}

// Tiles whose lines need padding (odd widths at 1 and 4 bits) are larger
// decoded than the stored tile-bytes formula says; buffers cover stride × height.
TEST(TlmImage, PaddedTileLinesFitTheDecodedBuffer) {
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        for (uint32_t compression : {1u, 2u}) {
            const Picture p = makePicture(53, 30, bits, 7);
            const std::string path =
                writeMap(dir, "odd.tlm", p, options(TlmWriter::Variant::C, compression, bits, 21, 9));
            SourcePtr src = openMap(path);
            ASSERT_TRUE(src);
            EXPECT_GE(src->tileBufferBytes(), std::size_t(src->stride()) * 9);
            EXPECT_GE(src->tileBufferBytes(), std::size_t(src->tileBytes()));
            EXPECT_EQ(readBack(*src).rows, p.rows) << bits << " bits";
        }
    }
    // Uncompressed tiles cannot hold padding, so the writer refuses them.
    const Picture p = makePicture(10, 10, 1, 1);
    TlmWriter writer(dir.path("bad.tlm"), 10, 10, options(TlmWriter::Variant::B, 0, 1, 21, 9));
    EXPECT_FALSE(writer.begin());
}

TEST(TlmImage, GeoreferenceKindsAndZones) {
    TempDir dir;
    const Picture p = makePicture(40, 20, 8);
    struct Case {
        TlmWriter::Variant variant;
        uint16_t kind;
        double r[4];
        uint16_t expectKind;
        int zone;
        int type;
    };
    const Case cases[] = {
        // Fixed header A: integers, kind 1 as soon as one is not 0.
        {TlmWriter::Variant::A, 1, {3500000, 3510000, 5600000, 5590000}, 1, 3, 1},
        {TlmWriter::Variant::A, 0, {0, 0, 0, 0}, 0, 0, 0},
        {TlmWriter::Variant::B, 1, {4499999.5, 4510000, 5600000, 5590000}, 1, 4, 1},
        {TlmWriter::Variant::B, 2, {7.0, 8.0, 51.0, 50.0}, 2, 0, 2},
        {TlmWriter::Variant::C, 1, {2500000, 2510000, 5600000, 5590000}, 1, 2, 1},
        {TlmWriter::Variant::C, 2, {7.0, 8.0, 51.0, 50.0}, 2, 0, 2},
        // Similarity: pixel = R1,R2 + rotation/scale; pixel (0, 0) has easting
        // (R4·R1 − R2·R3) / (R3² + R4²), here 3 512 000.
        {TlmWriter::Variant::C, 255, {100.0, -1756000.0, 0.5, 0.0}, 255, 3, 1},
        {TlmWriter::Variant::C, 255, {2256000.0, 100.0, 0.0, 0.5}, 255, 4, 1},
    };
    for (const Case& c : cases) {
        TlmWriter::Options o = options(c.variant, 0, 8);
        o.georef.kind = c.kind;
        std::copy(std::begin(c.r), std::end(c.r), o.georef.r);
        SourcePtr src = openMap(writeMap(dir, "g.tlm", p, o));
        ASSERT_TRUE(src);
        auto* tlm = static_cast<TlmImage*>(src.get());
        EXPECT_EQ(tlm->georeference().kind, c.expectKind);
        EXPECT_EQ(tlm->georeference().zone, c.zone) << c.kind;
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(tlm->georeference().r[i],
                             c.variant == TlmWriter::Variant::A ? std::round(c.r[i]) : c.r[i]);
        int type = -1, zone = -1;
        src->georefInfo(type, zone);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(zone, c.zone);
    }
}

TEST(TlmImage, LayerTableAndItsDefault) {
    TempDir dir;
    const Picture p = makePicture(40, 20, 8);
    TlmWriter::Options o = options(TlmWriter::Variant::C, 1, 8);
    o.layers = {{0x0F, 0, 1, 15, "Grundriss"}, {0x30, 0, 0x10, 0x30, "Gew\xE4sser"}, {0xC0, 0, 0x40, 0xC0, "Wald"}};
    SourcePtr src = openMap(writeMap(dir, "l.tlm", p, o));
    ASSERT_TRUE(src);
    ASSERT_EQ(src->layerCount(), 3);
    EXPECT_STREQ(src->layerName(1), "Gew\xE4sser");
    EXPECT_EQ(src->layers()[2].mask, 0xC0);
    EXPECT_EQ(src->layers()[2].low, 0x40);
    EXPECT_EQ(src->layers()[2].high, 0xC0);
    EXPECT_EQ(src->layerName(3), nullptr);

    // Hiding layer 1 (bits 0x30) paints its pixels in the colour without those bits.
    std::vector<RgbQuad> palette = src->palette();
    src->applyLayerMask(0b101, src->tileHeader(), palette);
    EXPECT_EQ(palette[0x35], src->palette()[0x05]);
    EXPECT_EQ(palette[0x05], src->palette()[0x05]);
    EXPECT_EQ(palette[0x45], src->palette()[0x45]);

    // One explicit layer is replaced by the default, as is none at all.
    for (std::size_t count : {std::size_t(0), std::size_t(1)}) {
        o.layers.resize(count);
        if (count)
            o.layers[0] = {0x01, 0, 1, 1, "Einzeln"};
        SourcePtr one = openMap(writeMap(dir, "one.tlm", p, o));
        ASSERT_TRUE(one);
        ASSERT_EQ(one->layerCount(), 1);
        EXPECT_STREQ(one->layerName(0), "Karte");
        EXPECT_EQ(one->layers()[0].mask, 255);
        EXPECT_EQ(one->layers()[0].low, 0);
        EXPECT_EQ(one->layers()[0].high, 255);
        // Hiding "Karte" paints every pixel in colour 0.
        std::vector<RgbQuad> pal = one->palette();
        one->applyLayerMask(0, one->tileHeader(), pal);
        for (const RgbQuad& q : pal)
            EXPECT_EQ(q, one->palette()[0]);
    }
}

namespace {
// Appends a chunk to a variant-C file image.
void appendChunk(std::vector<uint8_t>& f, uint16_t group, uint16_t id, const std::vector<uint8_t>& body) {
    uint8_t head[8];
    putU16(head, group);
    putU16(head + 2, id);
    putU32(head + 4, uint32_t(body.size()));
    f.insert(f.end(), head, head + 8);
    f.insert(f.end(), body.begin(), body.end());
}
} // namespace

TEST(TlmImage, ChunkSequenceMustEndAtTheFileEnd) {
    TempDir dir;
    const Picture p = makePicture(40, 20, 8);
    const std::string path = writeMap(dir, "c.tlm", p, options(TlmWriter::Variant::C, 2, 8));
    const std::vector<uint8_t> good = readFile(path);

    std::vector<uint8_t> f = good;
    f.push_back(0);
    writeFile(dir.path("garbage.tlm"), f);
    EXPECT_FALSE(openMap(dir.path("garbage.tlm"))) << "one byte of trailing garbage";

    f = good;
    appendChunk(f, 9, 9, {1, 2, 3});
    writeFile(dir.path("unknown.tlm"), f);
    EXPECT_TRUE(openMap(dir.path("unknown.tlm"))) << "an unknown but complete last chunk";

    f = good;
    appendChunk(f, 3, 1, {1, 2, 3, 4}); // extra layer data without the plug-in: skipped
    writeFile(dir.path("extra.tlm"), f);
    EXPECT_TRUE(openMap(dir.path("extra.tlm")));

    f = good;
    appendChunk(f, 9, 9, {1, 2, 3});
    f.pop_back(); // the last chunk is cut short
    writeFile(dir.path("short.tlm"), f);
    EXPECT_FALSE(openMap(dir.path("short.tlm")));
}

TEST(TlmImage, DamagedHeadersDoNotOpen) {
    TempDir dir;
    const Picture p = makePicture(64, 32, 8);
    const std::string bPath = writeMap(dir, "b.tlm", p, options(TlmWriter::Variant::B, 1, 8));
    const std::vector<uint8_t> b = readFile(bPath);
    // Variant B layout: 52 header, 4 skip length, 4 S at 56, header at 60,
    // palette, then N and the table.
    const std::size_t infoAt = 56, headerAt = 60;
    const std::size_t tableLengthAt = headerAt + 40 + 256 * 4;
    auto tryOpen = [&](std::vector<uint8_t> f) {
        writeFile(dir.path("x.tlm"), f);
        SourcePtr s = openMap(dir.path("x.tlm"));
        return bool(s);
    };
    ASSERT_TRUE(tryOpen(b));
    auto patched = [&](std::size_t at, uint32_t v) {
        std::vector<uint8_t> f = b;
        putU32(f.data() + at, v);
        return f;
    };
    auto patched16 = [&](std::size_t at, uint16_t v) {
        std::vector<uint8_t> f = b;
        putU16(f.data() + at, v);
        return f;
    };
    EXPECT_FALSE(tryOpen(patched(0, 47))) << "unknown variant";
    EXPECT_FALSE(tryOpen(patched(52, 0x80000001u))) << "skip block too long";
    EXPECT_FALSE(tryOpen(patched(infoAt, 0x10000))) << "info block too long";
    EXPECT_FALSE(tryOpen(patched(infoAt, 39))) << "info block shorter than its header";
    EXPECT_FALSE(tryOpen(patched(headerAt + 4, 0))) << "tile width 0";
    EXPECT_FALSE(tryOpen(patched(headerAt + 8, uint32_t(-16)))) << "negative tile height";
    EXPECT_FALSE(tryOpen(patched16(headerAt + 14, 3))) << "bit count 3";
    EXPECT_FALSE(tryOpen(patched16(headerAt + 14, 32))) << "bit count 32";
    EXPECT_FALSE(tryOpen(patched(headerAt + 16, 7))) << "unknown compression";
    EXPECT_FALSE(tryOpen(patched(headerAt + 32, 257))) << "more colours than 8 bits index";
    EXPECT_FALSE(tryOpen(patched(4, 0))) << "image width 0";
    EXPECT_FALSE(tryOpen(patched(4, 0x80000000u))) << "negative image width";
    // 2^31-1 × 2^31-1 pixels in 32 × 16 tiles: more tiles than any table holds.
    {
        std::vector<uint8_t> f = patched(4, 0x7FFFFFFF);
        putU32(f.data() + 8, 0x7FFFFFFF);
        EXPECT_FALSE(tryOpen(f)) << "tile count overflow";
    }
    // A tile of 32767 × 32767 × 3 bytes overflows 32 bits.
    {
        std::vector<uint8_t> f = patched(headerAt + 4, 0x10000);
        putU32(f.data() + headerAt + 8, 0x10000);
        putU16(f.data() + headerAt + 14, 24);
        EXPECT_FALSE(tryOpen(f)) << "tile bytes overflow";
        // Near 2^31 on both sides, the byte count overflows 64 bits (caught
        // under the undefined-behaviour sanitizer).
        putU32(f.data() + headerAt + 4, 0x7FFFFFFF);
        putU32(f.data() + headerAt + 8, 0x7FFFFFFF);
        EXPECT_FALSE(tryOpen(f)) << "tile bytes overflow 64 bits";
    }
    EXPECT_FALSE(tryOpen(patched(tableLengthAt, 4 * 2 * 2))) << "table shorter than the tiles";
    EXPECT_FALSE(tryOpen(patched(tableLengthAt, 0xFFFFFF00u))) << "table longer than the file";
    {
        std::vector<uint8_t> f = b;
        const std::size_t table = tableLengthAt + 4;
        const uint32_t second = getU32(f.data() + table + 4);
        putU32(f.data() + table + 4, getU32(f.data() + table + 8) + 1);
        EXPECT_FALSE(tryOpen(f)) << "offsets not monotonic";
        putU32(f.data() + table + 4, second);
        putU32(f.data() + table + 4 * 4, uint32_t(f.size() + 1));
        EXPECT_FALSE(tryOpen(f)) << "last offset behind the file end";
    }
    {
        std::vector<uint8_t> f = b;
        f.resize(tableLengthAt + 10);
        EXPECT_FALSE(tryOpen(f)) << "file cut inside the table";
    }

    // Variant C chunk rules.
    std::vector<uint8_t> c = {'T', 'O', 'L', 'M'};
    std::vector<uint8_t> size(8);
    putU32(size.data(), 64);
    putU32(size.data() + 4, 32);
    std::vector<uint8_t> info(40 + 1024);
    BitmapInfoHeader h;
    h.biWidth = 32;
    h.biHeight = 16;
    h.biBitCount = 8;
    h.toBytes(info.data());
    std::vector<uint8_t> tiles(4);
    putU32(tiles.data(), 0);
    auto base = [&] {
        std::vector<uint8_t> f = c;
        appendChunk(f, 1, 0, size);
        appendChunk(f, 1, 1, info);
        appendChunk(f, 1, 2, tiles);
        return f;
    };
    EXPECT_TRUE(tryOpen(base()));
    {
        std::vector<uint8_t> f = c;
        appendChunk(f, 1, 1, info);
        appendChunk(f, 1, 2, tiles);
        EXPECT_FALSE(tryOpen(f)) << "no size chunk";
    }
    {
        std::vector<uint8_t> f = base();
        appendChunk(f, 1, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
        EXPECT_FALSE(tryOpen(f)) << "size chunk of 9 bytes";
    }
    {
        std::vector<uint8_t> f = base();
        appendChunk(f, 2, 1, std::vector<uint8_t>(31));
        EXPECT_FALSE(tryOpen(f)) << "georeference of 31 bytes";
    }
    {
        std::vector<uint8_t> f = base();
        appendChunk(f, 2, 7, std::vector<uint8_t>(31));
        EXPECT_TRUE(tryOpen(f)) << "other georeference ids are skipped";
    }
    {
        std::vector<uint8_t> f = base();
        appendChunk(f, 1, 3, {1, 2, 3});
        EXPECT_FALSE(tryOpen(f)) << "layer chunk below 4 bytes";
    }
    {
        std::vector<uint8_t> f = base();
        for (int i = 0; i < 32; ++i)
            appendChunk(f, 1, 3, {1, 0, 1, 1, 'a', 0});
        EXPECT_TRUE(tryOpen(f)) << "32 layers";
        appendChunk(f, 1, 3, {1, 0, 1, 1, 'a', 0});
        EXPECT_FALSE(tryOpen(f)) << "33 layers";
    }
    {
        std::vector<uint8_t> f = c;
        appendChunk(f, 1, 0, size);
        std::vector<uint8_t> i2 = info; // 255 colours named, 254 in the block
        putU32(i2.data() + 32, 255);
        i2.resize(40 + 254 * 4);
        appendChunk(f, 1, 1, i2);
        appendChunk(f, 1, 2, tiles);
        EXPECT_FALSE(tryOpen(f)) << "palette shorter than its colour count";
    }
}

// A 24-bit info block longer than its header: the reader passes over the rest
// of the block instead of reading the tile block from inside it.
TEST(TlmImage, TrueColourInfoBlockWithExtraBytes) {
    TempDir dir;
    const Picture p = makePicture(32, 16, 24);
    const std::vector<uint8_t> f0 = readFile(writeMap(dir, "t.tlm", p, options(TlmWriter::Variant::B, 0, 24)));
    std::vector<uint8_t> f = f0;
    ASSERT_EQ(getU32(f.data() + 56), 40u);
    f.insert(f.begin() + 100, 8, 0xEE);
    putU32(f.data() + 56, 48);
    ASSERT_EQ(getU32(f.data() + 108), 4u);
    putU32(f.data() + 112, getU32(f.data() + 112) + 8);
    writeFile(dir.path("t2.tlm"), f);
    SourcePtr src = openMap(dir.path("t2.tlm"));
    ASSERT_TRUE(src);
    EXPECT_EQ(readBack(*src).rows, p.rows);
}

// Run-length codes: runs that fill the target exactly decode; one byte more
// fails and the tile reads as zeros.
TEST(TlmImage, RunLengthLimits) {
    uint8_t out[300];
    const uint8_t literal[] = {2, 'a', 'b', 'c'};
    EXPECT_TRUE(RunLengthDecoder::run(literal, sizeof literal, out, 3));
    EXPECT_EQ(std::memcmp(out, "abc", 3), 0);
    EXPECT_FALSE(RunLengthDecoder::run(literal, sizeof literal, out, 2)) << "literal past the target";
    EXPECT_FALSE(RunLengthDecoder::run(literal, 3, out, 10)) << "literal past the source";
    const uint8_t repeat[] = {0x80, 'x', 0xFE, 'y'}; // 2 × x, 128 × y
    EXPECT_TRUE(RunLengthDecoder::run(repeat, sizeof repeat, out, 130));
    EXPECT_EQ(out[1], 'x');
    EXPECT_EQ(out[129], 'y');
    EXPECT_FALSE(RunLengthDecoder::run(repeat, sizeof repeat, out, 129));
    EXPECT_FALSE(RunLengthDecoder::run(repeat, 3, out, 300)) << "repeat code without its byte";
    const uint8_t longRun[] = {0xFF, 0x02, 0x00, 'z'}; // 2 + 129 = 131 bytes
    EXPECT_TRUE(RunLengthDecoder::run(longRun, sizeof longRun, out, 131));
    EXPECT_EQ(out[130], 'z');
    EXPECT_FALSE(RunLengthDecoder::run(longRun, 3, out, 300));
    EXPECT_TRUE(RunLengthDecoder::run(repeat, 2, out, 300)) << "target left over is fine";

    // The writer's coder produces what the decoder reads, for every run length
    // class.
    std::vector<uint8_t> data;
    for (int n : {1, 2, 3, 127, 128, 129, 130, 65664, 65665, 70000})
        data.insert(data.end(), std::size_t(n), uint8_t(n));
    for (int i = 0; i < 1000; ++i)
        data.push_back(uint8_t(i * 7));
    std::vector<uint8_t> coded;
    TlmWriter::encodeRunLength(data.data(), data.size(), coded);
    std::vector<uint8_t> decoded(data.size());
    EXPECT_TRUE(RunLengthDecoder::run(coded.data(), coded.size(), decoded.data(), decoded.size()));
    EXPECT_EQ(decoded, data);
}

namespace {
// The decoding rules written plainly, byte by byte.
bool referenceRunLength(const uint8_t* src, std::size_t srcLen, uint8_t* dst, std::size_t dstLen) {
    std::size_t in = 0, out = 0;
    while (in < srcLen) {
        const uint8_t c = src[in++];
        if (c < 0x80) {
            for (int i = 0; i <= c; ++i) {
                if (in >= srcLen || out >= dstLen)
                    return false;
                dst[out++] = src[in++];
            }
            continue;
        }
        std::size_t count;
        uint8_t value;
        if (c != 0xFF) {
            if (srcLen - (in - 1) < 2)
                return false;
            count = std::size_t(c) - 126;
            value = src[in++];
        } else {
            if (srcLen - (in - 1) < 4)
                return false;
            count = std::size_t(src[in] | (src[in + 1] << 8)) + 129;
            value = src[in + 2];
            in += 3;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (out >= dstLen)
                return false;
            dst[out++] = value;
        }
    }
    return true;
}
} // namespace

// The fast decoder agrees with the plain rules on random streams, including
// its writes past short runs, which must not show in the result: the target
// starts out as garbage, and what the codes leave of it must come out zero.
// Long streams go through the wide stores, short ones only through the
// careful loop; every stream is also decoded into targets that end exactly
// at its decoded length and a few bytes around it, and cut at random points.
// So for each register width this processor has, and with readable bytes
// after the source.
TEST(TlmImage, RunLengthDecoderMatchesThePlainRules) {
    uint32_t state = 12345;
    auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    struct Restore {
        int width = RunLengthDecoder::width();
        ~Restore() { RunLengthDecoder::setWidth(width); }
    } restore;
    std::vector<int> widths;
    for (int w : {64, 32, 16}) {
        RunLengthDecoder::setWidth(w);
        if (RunLengthDecoder::width() == w)
            widths.push_back(w);
    }
    EXPECT_EQ(widths.back(), 16) << "every processor has the plain variant";
    int successes = 0;
    int exactFits = 0;
    auto compare = [&](const std::vector<uint8_t>& src, std::size_t srcLen, std::size_t dstLen, int round) {
        std::vector<uint8_t> plain(dstLen + 1, 0);
        plain[dstLen] = 0xA5; // the byte after the target stays untouched
        const bool b = referenceRunLength(src.data(), srcLen, plain.data(), dstLen);
        // Also with bytes after the source that may be read: random ones,
        // which must not show.
        std::vector<uint8_t> padded(src.begin(), src.begin() + std::ptrdiff_t(srcLen));
        for (int i = 0; i < 200; ++i)
            padded.push_back(uint8_t(next()));
        bool same = true;
        for (int w : widths) {
            RunLengthDecoder::setWidth(w);
            for (bool pad : {false, true}) {
                std::vector<uint8_t> fast(dstLen + 1, 0xA5);
                const bool a = pad ? RunLengthDecoder::run(padded.data(), srcLen, padded.size(), fast.data(), dstLen)
                                   : RunLengthDecoder::run(src.data(), srcLen, fast.data(), dstLen);
                EXPECT_EQ(a, b) << "width " << w << " padded " << pad << " round " << round << " source " << srcLen
                                << " target " << dstLen;
                EXPECT_TRUE(fast == plain) << "width " << w << " padded " << pad << " round " << round << " source "
                                           << srcLen << " target " << dstLen;
                same = same && a == b && fast == plain;
            }
        }
        successes += b ? 1 : 0;
        return same;
    };
    for (int round = 0; round < 3000; ++round) {
        const bool longStream = round % 2 == 1;
        // Whole codes as a map tile has them: short literals, repeats of
        // every length class, now and then a long run; a quarter of the
        // streams then go on with random bytes.
        const std::size_t size = next() % (longStream ? 3000 : 400);
        std::vector<uint8_t> src;
        while (src.size() < size) {
            const uint32_t r = next();
            switch (r % 6) {
            case 0:
            case 1:
            case 2:
                src.push_back(uint8_t(0x80 + (r >> 4) % 0x7F)); // repeat of 2..128
                src.push_back(uint8_t(r >> 12));
                break;
            case 3:
            case 4: {
                const uint8_t c = uint8_t(r % 12 == 3 ? (r >> 4) % 0x80 : (r >> 4) % 6); // literal
                src.push_back(c);
                for (int i = 0; i <= c; ++i)
                    src.push_back(uint8_t(next()));
                break;
            }
            default:
                src.insert(src.end(), {0xFF, uint8_t((r >> 4) % 300), uint8_t((r >> 4) % 300 / 256), uint8_t(r >> 12)});
            }
        }
        if (round % 4 == 0) {
            for (int i = int(next() % 200); i > 0; --i)
                src.push_back(uint8_t(next()));
        }
        std::vector<uint8_t> probe(200000);
        const std::size_t decoded = [&] {
            std::size_t n = 0;
            // The length the codes decode to, where they decode at all.
            if (!referenceRunLength(src.data(), src.size(), probe.data(), probe.size()))
                return std::size_t(0);
            for (std::size_t in = 0; in < src.size();) {
                const uint8_t c = src[in];
                if (c < 0x80) {
                    n += c + 1u;
                    in += c + 2u;
                } else if (c != 0xFF) {
                    n += c - 126u;
                    in += 2;
                } else {
                    n += std::size_t(src[in + 1] | (src[in + 2] << 8)) + 129;
                    in += 4;
                }
            }
            return n;
        }();
        if (!compare(src, src.size(), next() % (longStream ? 20000 : 3000), round))
            return;
        if (decoded > 0) {
            ++exactFits;
            for (std::size_t d : {decoded, decoded - 1, decoded + 1, decoded + 63, decoded + 128})
                if (!compare(src, src.size(), d, round))
                    return;
        }
        if (!src.empty() && !compare(src, next() % src.size(), decoded + 1, round))
            return;
    }
    EXPECT_GT(successes, 1000) << "the streams must also exercise complete decodes";
    EXPECT_GT(exactFits, 300);
}

// The runs the writer's coder makes for boundary lengths, each ending exactly
// at the end of the target, decode through the wide stores as well as the
// careful loop; targets one byte short fail and leave only zeros after the
// bytes that fit.
TEST(TlmImage, RunLengthBoundaryRunsAtTheTargetEnd) {
    for (int length : {1, 2, 3, 15, 16, 17, 63, 64, 65, 127, 128, 129, 130, 191, 192, 193, 257, 4096, 65664, 65665}) {
        for (bool literal : {false, true}) {
            // A long prefix of mixed runs first, so that the run under test
            // is reached by the wide-store loop when it comes early enough.
            std::vector<uint8_t> data;
            for (int i = 0; i < 3000; ++i)
                data.push_back(uint8_t(i % 7 == 0 ? i : (i / 40) % 5));
            for (int i = 0; i < length; ++i)
                data.push_back(literal ? uint8_t(i * 13 + 1) : uint8_t(0xC3));
            std::vector<uint8_t> coded;
            TlmWriter::encodeRunLength(data.data(), data.size(), coded);
            SCOPED_TRACE(testing::Message() << "length " << length << " literal " << literal);
            std::vector<uint8_t> out(data.size() + 1, 0x5A);
            EXPECT_TRUE(RunLengthDecoder::run(coded.data(), coded.size(), out.data(), data.size()));
            EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
            EXPECT_EQ(out.back(), 0x5A) << "nothing written past the target";
            std::fill(out.begin(), out.end(), 0x5A);
            EXPECT_FALSE(RunLengthDecoder::run(coded.data(), coded.size(), out.data(), data.size() - 1));
            EXPECT_TRUE(std::equal(data.begin(), data.end() - 1, out.begin()));
            EXPECT_EQ(out[data.size() - 1], 0x5A);
            // The same stream alone, with nothing before it.
            std::vector<uint8_t> alone;
            TlmWriter::encodeRunLength(data.data() + 3000, std::size_t(length), alone);
            std::vector<uint8_t> single(std::size_t(length) + 7, 0x5A);
            EXPECT_TRUE(RunLengthDecoder::run(alone.data(), alone.size(), single.data(), single.size()));
            EXPECT_TRUE(std::equal(data.begin() + 3000, data.end(), single.begin()));
            EXPECT_TRUE(std::all_of(single.end() - 7, single.end(), [](uint8_t v) { return v == 0; }));
        }
    }
}

TEST(TlmImage, DamagedTilesDecodeToZeros) {
    TempDir dir;
    const Picture p = makePicture(64, 32, 8);
    for (uint32_t compression : {1u, 2u}) {
        const std::string path = writeMap(dir, "d.tlm", p, options(TlmWriter::Variant::B, compression, 8));
        std::vector<uint8_t> f = readFile(path);
        const std::size_t table = 60 + 40 + 1024 + 4;
        // Grow tile 0 by one byte into tile 1: a run-length tile then carries
        // one more byte than its target; a bzip2 stream gets a foreign byte.
        const uint32_t t0 = getU32(f.data() + table), t1 = getU32(f.data() + table + 4);
        if (compression == 1) {
            f.insert(f.begin() + t1, 0x00); // a literal of one byte: overflows
            for (std::size_t i = 1; i < 5; ++i)
                putU32(f.data() + table + 4 * i, getU32(f.data() + table + 4 * i) + 1);
        } else {
            f[t0 + (t1 - t0) / 2] ^= 0x55;
        }
        writeFile(dir.path("damaged.tlm"), f);
        SourcePtr src = openMap(dir.path("damaged.tlm"));
        ASSERT_TRUE(src);
        std::vector<uint8_t> tile(src->tileBufferBytes(), 0xAA);
        EXPECT_FALSE(src->readTile(0, 0, tile.data(), tile.size()));
        EXPECT_EQ(std::count(tile.begin(), tile.end(), 0), long(tile.size()));
        EXPECT_TRUE(src->readTile(1, 0, tile.data(), tile.size())) << "the next tile is intact";
        EXPECT_FALSE(src->readTile(2, 0, tile.data(), tile.size())) << "outside the map";
        // A tile of no stored bytes (the offset of the next one repeated):
        // a run-length tile of zeros, a bzip2 tile that fails.
        putU32(f.data() + table + 4, getU32(f.data() + table));
        writeFile(dir.path("empty.tlm"), f);
        SourcePtr empty = openMap(dir.path("empty.tlm"));
        ASSERT_TRUE(empty);
        std::fill(tile.begin(), tile.end(), 0xAA);
        bool read = false;
        // On a thread that has read nothing yet, so that no buffer is left.
        std::thread([&] { read = empty->readTile(0, 0, tile.data(), tile.size()); }).join();
        EXPECT_EQ(read, compression == 1);
        EXPECT_EQ(std::count(tile.begin(), tile.end(), 0), long(tile.size()));
    }
    // An uncompressed file cut short: the missing part of a tile is zero.
    const std::string path = writeMap(dir, "u.tlm", p, options(TlmWriter::Variant::B, 0, 8));
    std::vector<uint8_t> f = readFile(path);
    f.resize(f.size() - 100);
    writeFile(dir.path("cut.tlm"), f);
    SourcePtr src = openMap(dir.path("cut.tlm"));
    ASSERT_TRUE(src);
    std::vector<uint8_t> tile(src->tileBufferBytes(), 0xAA);
    EXPECT_FALSE(src->readTile(1, 1, tile.data(), tile.size()));
    EXPECT_TRUE(std::all_of(tile.end() - 100, tile.end(), [](uint8_t v) { return v == 0; }));
}

// A tile read into a used buffer, larger than a tile, leaves nothing of the
// old contents: not past the tile, not after codes that end before the tile
// does, not after a decode that fails.
TEST(TlmImage, TilesOverwriteTheWholeBuffer) {
    TempDir dir;
    Picture p;
    p.width = 64;
    p.height = 32;
    p.rows.assign(std::size_t(p.width) * std::size_t(p.height), 7);
    for (uint32_t compression : {0u, 1u, 2u}) {
        SCOPED_TRACE(testing::Message() << "compression " << compression);
        const std::string path = writeMap(dir, "w.tlm", p, options(TlmWriter::Variant::B, compression, 8));
        SourcePtr src = openMap(path);
        ASSERT_TRUE(src);
        std::vector<uint8_t> tile(src->tileBufferBytes() + 40, 0xAA);
        EXPECT_TRUE(src->readTile(1, 1, tile.data(), tile.size()));
        EXPECT_EQ(std::count(tile.begin(), tile.begin() + 32 * 16, 7), 32 * 16);
        EXPECT_TRUE(std::all_of(tile.begin() + 32 * 16, tile.end(), [](uint8_t v) { return v == 0; }));
    }
    // Tile 0 cut to its first code: a run of sevens shorter than the tile.
    const std::string path = writeMap(dir, "s.tlm", p, options(TlmWriter::Variant::B, 1, 8));
    std::vector<uint8_t> f = readFile(path);
    const std::size_t table = 60 + 40 + 1024 + 4;
    const uint32_t t0 = getU32(f.data() + table);
    ASSERT_EQ(f[t0], 0xFF) << "one long run for the whole tile";
    f[t0 + 1] = 0x10; // 0x10 + 129 = 145 bytes
    f[t0 + 2] = 0x00;
    writeFile(dir.path("short.tlm"), f);
    SourcePtr src = openMap(dir.path("short.tlm"));
    ASSERT_TRUE(src);
    std::vector<uint8_t> tile(src->tileBufferBytes() + 40, 0xAA);
    EXPECT_TRUE(src->readTile(0, 0, tile.data(), tile.size()));
    EXPECT_EQ(std::count(tile.begin(), tile.begin() + 145, 7), 145);
    EXPECT_TRUE(std::all_of(tile.begin() + 145, tile.end(), [](uint8_t v) { return v == 0; }));
}

// Stored bytes are read ahead for the next tiles of a row: tiles read in any
// order decode the same, a map opened after another one (perhaps at the same
// address, with the same tile layout) shows its own pixels, and a file cut
// short after opening fails only the tiles it lost.
TEST(TlmImage, ReadAheadServesOnlyThisFilesBytes) {
    TempDir dir;
    auto uniform = [](uint8_t value) {
        Picture p;
        p.width = 256;
        p.height = 48;
        p.rows.assign(std::size_t(p.width) * std::size_t(p.height), value);
        return p;
    };
    const TlmWriter::Options o = options(TlmWriter::Variant::B, 1, 8);
    const std::string seven = writeMap(dir, "7.tlm", uniform(7), o);
    const std::string nine = writeMap(dir, "9.tlm", uniform(9), o);
    for (int round = 0; round < 4; ++round) {
        SourcePtr src = openMap(round % 2 ? nine : seven);
        ASSERT_TRUE(src);
        std::vector<uint8_t> tile(src->tileBufferBytes());
        for (int c : {0, 7, 3, 4}) {
            ASSERT_TRUE(src->readTile(c, 1, tile.data(), tile.size()));
            EXPECT_EQ(tile[100], round % 2 ? 9 : 7) << "round " << round << " column " << c;
        }
    }
    const Picture p = makePicture(256, 48, 8);
    const std::string path = writeMap(dir, "p.tlm", p, o);
    SourcePtr forward = openMap(path), backward = openMap(path);
    ASSERT_TRUE(forward && backward);
    std::vector<uint8_t> a(forward->tileBufferBytes()), b(a.size());
    for (int i = 0; i < 24; ++i) {
        ASSERT_TRUE(forward->readTile(i % 8, i / 8, a.data(), a.size()));
        ASSERT_TRUE(backward->readTile(7 - i % 8, 2 - i / 8, b.data(), b.size()));
        ASSERT_TRUE(backward->readTile(i % 8, i / 8, b.data(), b.size()));
        EXPECT_EQ(a, b) << "tile " << i;
    }
    // Cut in the middle of the last row, after the map was opened and while
    // the first tiles of that row are read ahead by nobody yet.
    SourcePtr cut = openMap(path);
    ASSERT_TRUE(cut);
    std::vector<uint8_t> whole(a.size());
    ASSERT_TRUE(cut->readTile(1, 2, whole.data(), whole.size()));
    const std::vector<uint8_t> f = readFile(path);
    const std::size_t table = 60 + 40 + 1024 + 4;
    const uint32_t cutAt = getU32(f.data() + table + 4 * (2 * 8 + 5));
    std::filesystem::resize_file(path, cutAt);
    SourcePtr after = openMap(dir.path("7.tlm")); // another map in between
    ASSERT_TRUE(after);
    ASSERT_TRUE(after->readTile(0, 0, a.data(), a.size()));
    EXPECT_TRUE(cut->readTile(4, 2, a.data(), a.size())) << "its bytes are all there";
    EXPECT_FALSE(cut->readTile(5, 2, a.data(), a.size())) << "its bytes are gone";
    EXPECT_TRUE(std::all_of(a.begin(), a.end(), [](uint8_t v) { return v == 0; }));
}

// Tiles are decoded straight from the mapped file. A file emptied after its
// bytes were last seen to be there fails the tiles it lost, on every thread
// reading it, instead of ending the program; the map reads again once it is
// whole again.
TEST(TlmImage, MappedTilesOfAnEmptiedFileFail) {
    if (!MappedCopy::guarded)
        GTEST_SKIP() << "failed reads of mapped files are not caught in this build";
    TempDir dir;
    const Picture p = makePicture(256, 48, 8);
    for (uint32_t compression : {1u, 2u}) {
        if (compression == 2 && !Bzip2Decoder::available())
            continue;
        const std::string path = writeMap(dir, "m" + std::to_string(compression) + ".tlm", p,
                                          options(TlmWriter::Variant::B, compression, 8));
        const std::vector<uint8_t> bytes = readFile(path);
        SourcePtr map = openMap(path);
        ASSERT_TRUE(map);
        std::vector<uint8_t> first(map->tileBufferBytes()), tile(first.size(), 0xAB);
        ASSERT_TRUE(map->readTile(0, 1, first.data(), first.size())); // row 1 is now known to be there
        // Each thread reads its tile once (so its row is known to it too),
        // then again after the file was emptied.
        std::latch read(3), emptied(1);
        std::atomic<int> failed{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t)
            threads.emplace_back([&, t] {
                std::vector<uint8_t> mine(first.size(), 0xAB);
                const bool before = map->readTile(1 + t, 1, mine.data(), mine.size());
                read.count_down();
                emptied.wait();
                const bool after = map->readTile(1 + t, 1, mine.data(), mine.size());
                if (before && !after && std::all_of(mine.begin(), mine.end(), [](uint8_t v) { return v == 0; }))
                    ++failed;
            });
        read.wait();
        std::filesystem::resize_file(path, 0);
        emptied.count_down();
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(failed, 3) << "compression " << compression;
        EXPECT_FALSE(map->readTile(0, 1, tile.data(), tile.size()));
        EXPECT_TRUE(std::all_of(tile.begin(), tile.end(), [](uint8_t v) { return v == 0; }));
        {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        EXPECT_TRUE(map->readTile(0, 1, tile.data(), tile.size()));
        EXPECT_EQ(tile, first);
    }
}

TEST(TlmImage, ReaderChosenByEnding) {
    TempDir dir;
    const Picture p = makePicture(16, 16, 8);
    writeMap(dir, "MAP.TlM", p, options(TlmWriter::Variant::B, 0, 8));
    EXPECT_TRUE(openMap(dir.path("MAP.TlM")));
    std::filesystem::copy_file(dir.path("MAP.TlM"), dir.path("MAP.dat"));
    EXPECT_FALSE(openMap(dir.path("MAP.dat")));
    EXPECT_FALSE(openMap("TLM"));
    EXPECT_FALSE(openMap(dir.path("MAPxTLM")));
    EXPECT_FALSE(openMap(dir.path("missing.tlm")));
}
