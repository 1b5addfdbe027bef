#include "BmpImage.h"
#include "PcxImage.h"
#include "RasterWriters.h"
#include "TestSupport.h"
#include "TiffImage.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstring>
#include <dlfcn.h>

namespace {
struct Released {
    void operator()(ImageSource* s) const {
        if (s)
            s->release();
    }
};
using SourcePtr = std::unique_ptr<ImageSource, Released>;
} // namespace

TEST(BmpImage, RoundTripAndPlainLayer) {
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        const Picture p = makePicture(37, 19, bits, 3);
        ASSERT_TRUE(RasterWriters::writeBmp(dir.path("a.bmp"), p.width, p.height, bits, greyPalette(bits),
                                            p.rows.data(), p.rowBytes()));
        SourcePtr src(ImageSource::open(dir.path("a.bmp")));
        ASSERT_TRUE(src) << bits;
        EXPECT_EQ(src->tilesPerRow(), 1);
        EXPECT_EQ(src->tileRows(), 1);
        EXPECT_EQ(src->tileWidth(), 37);
        EXPECT_EQ(readBack(*src).rows, p.rows) << bits;
        if (bits <= 8) {
            EXPECT_EQ(src->palette().size(), std::size_t(1) << bits);
        }
        EXPECT_EQ(src->layerCount(), 1);
        EXPECT_STREQ(src->layerName(0), "");
        std::vector<RgbQuad> palette = src->palette();
        src->applyLayerMask(0, src->tileHeader(), palette);
        EXPECT_EQ(palette, src->palette()) << "no layer filter";
        int type = -1, zone = -1;
        src->georefInfo(type, zone);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(zone, 0);
    }
    // Damaged headers.
    const Picture p = makePicture(8, 8, 8);
    ASSERT_TRUE(RasterWriters::writeBmp(dir.path("b.bmp"), 8, 8, 8, greyPalette(8), p.rows.data(), p.rowBytes()));
    const std::vector<uint8_t> good = readFile(dir.path("b.bmp"));
    auto tryOpen = [&](std::size_t at, uint32_t v, int bytes) {
        std::vector<uint8_t> f = good;
        if (bytes == 2)
            putU16(f.data() + at, uint16_t(v));
        else
            putU32(f.data() + at, v);
        writeFile(dir.path("x.bmp"), f);
        return SourcePtr(ImageSource::open(dir.path("x.bmp"))) != nullptr;
    };
    EXPECT_TRUE(tryOpen(0, 'B' | ('M' << 8), 2));
    EXPECT_FALSE(tryOpen(0, 'B' | ('A' << 8), 2)) << "no BM";
    EXPECT_FALSE(tryOpen(6, 1, 2)) << "reserved word";
    EXPECT_FALSE(tryOpen(14, 108, 4)) << "header size 108";
    EXPECT_FALSE(tryOpen(18, 0, 4)) << "width 0";
    EXPECT_FALSE(tryOpen(18, 0x40000000, 4)) << "width × height too large";
    EXPECT_FALSE(tryOpen(28, 32, 2)) << "32 bits";
    EXPECT_FALSE(tryOpen(30, 1, 4)) << "compressed bitmap";
    EXPECT_FALSE(tryOpen(46, 300, 4)) << "more colours than 8 bits";
    // A bitmap whose pixels are cut short reads the rest as zeros.
    std::vector<uint8_t> f = good;
    f.resize(f.size() - 8);
    writeFile(dir.path("cut.bmp"), f);
    SourcePtr cut(ImageSource::open(dir.path("cut.bmp")));
    ASSERT_TRUE(cut);
    std::vector<uint8_t> tile(cut->tileBufferBytes(), 0xAA);
    EXPECT_FALSE(cut->readTile(0, 0, tile.data(), tile.size()));
    EXPECT_TRUE(std::all_of(tile.end() - 8, tile.end(), [](uint8_t v) { return v == 0; }));
}

TEST(PcxImage, RoundTripAndDamagedRuns) {
    TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        const Picture p = makePicture(45, 21, bits, 5);
        ASSERT_TRUE(RasterWriters::writePcx(dir.path("a.pcx"), p.width, p.height, bits, greyPalette(bits),
                                            p.rows.data(), p.rowBytes()));
        SourcePtr src(ImageSource::open(dir.path("a.PCX")));
        if (!src)
            src.reset(ImageSource::open(dir.path("a.pcx")));
        ASSERT_TRUE(src) << bits;
        EXPECT_EQ(src->bitCount(), bits);
        EXPECT_EQ(readBack(*src).rows, p.rows) << bits;
        if (bits <= 8) {
            EXPECT_EQ(src->palette(), greyPalette(bits)) << bits;
        }
    }
    const Picture p = makePicture(40, 30, 8);
    ASSERT_TRUE(RasterWriters::writePcx(dir.path("b.pcx"), 40, 30, 8, greyPalette(8), p.rows.data(), p.rowBytes()));
    const std::vector<uint8_t> good = readFile(dir.path("b.pcx"));
    auto open = [&](const std::vector<uint8_t>& f) {
        writeFile(dir.path("x.pcx"), f);
        return SourcePtr(ImageSource::open(dir.path("x.pcx")));
    };
    std::vector<uint8_t> f = good;
    f[0] = 11;
    EXPECT_FALSE(open(f)) << "manufacturer";
    f = good;
    f[65] = 4;
    EXPECT_FALSE(open(f)) << "8 bits × 4 planes";
    f = good;
    putU16(f.data() + 66, 10);
    EXPECT_FALSE(open(f)) << "lines shorter than the width";
    f = good;
    putU16(f.data() + 8, 0);
    putU16(f.data() + 4, 5);
    EXPECT_FALSE(open(f)) << "xmax below xmin";
    // Runs that run out of data leave the rest of the picture zero.
    f = good;
    ASSERT_GT(f.size(), 128u + 769u + 60u);
    f.erase(f.begin() + 128 + 40, f.end() - 769);
    SourcePtr cut = open(f);
    ASSERT_TRUE(cut);
    std::vector<uint8_t> tile(cut->tileBufferBytes(), 0xAA);
    EXPECT_FALSE(cut->readTile(0, 0, tile.data(), tile.size()));
    EXPECT_EQ(tile[0], 0) << "the bottom line was never reached";
    // A run longer than the whole picture is clipped to it.
    f = good;
    f.resize(128);
    for (int i = 0; i < 100; ++i) {
        f.push_back(255);
        f.push_back(7);
    }
    f.push_back(12);
    f.insert(f.end(), 768, 0);
    SourcePtr runs = open(f);
    ASSERT_TRUE(runs);
    EXPECT_TRUE(runs->readTile(0, 0, tile.data(), tile.size()));
    EXPECT_EQ(std::count(tile.begin(), tile.begin() + 40 * 30, 7), 40 * 30);
}

namespace {
// Writes a TIFF with libtiff itself: the reader must not depend on our writer.
bool writeTiff(const std::string& path, int w, int h, int samples, int bits, int photometric, bool tiled,
               const Picture& p) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t)
        return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(photometric));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW));
    std::vector<uint16_t> r(1u << bits), g(1u << bits), b(1u << bits);
    if (photometric == PHOTOMETRIC_PALETTE) {
        for (std::size_t i = 0; i < r.size(); ++i) {
            r[i] = uint16_t(i << 8);
            g[i] = uint16_t((255 - i % 256) << 8);
            b[i] = uint16_t((i * 3 % 256) << 8);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    // The picture is BGR; TIFF wants RGB.
    std::vector<uint8_t> rows = p.rows;
    if (samples == 3) {
        for (std::size_t i = 0; i + 2 < rows.size(); i += 3)
            std::swap(rows[i], rows[i + 2]);
    }
    const std::size_t rowBytes = p.rowBytes();
    bool ok = true;
    if (tiled) {
        const int tw = 16, th = 16;
        TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t(tw));
        TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t(th));
        const std::size_t tileRow = (std::size_t(tw) * bits * samples + 7) / 8;
        std::vector<uint8_t> tile(tileRow * th);
        for (int y = 0; y < h; y += th) {
            for (int x = 0; x < w; x += tw) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int ty = 0; ty < th && y + ty < h; ++ty) {
                    const std::size_t from = std::size_t(x) * bits * samples / 8;
                    const std::size_t n = std::min(tileRow, rowBytes - from);
                    std::memcpy(tile.data() + ty * tileRow, rows.data() + (y + ty) * rowBytes + from, n);
                }
                ok = ok && TIFFWriteTile(t, tile.data(), uint32_t(x), uint32_t(y), 0, 0) >= 0;
            }
        }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(7));
        for (int y = 0; y < h; ++y)
            ok = ok && TIFFWriteScanline(t, rows.data() + y * rowBytes, uint32_t(y), 0) >= 0;
    }
    TIFFClose(t);
    return ok;
}
} // namespace

TEST(TiffImage, PluginReadsTiledAndStripFiles) {
    // The test program is not beside the plug-in, and under the address
    // sanitizer the loader does not use the program's run path; loading the
    // plug-in by its full path first makes the library's lookup by name find
    // it already loaded.
    dlopen(VISTREL_TIFF_PLUGIN, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_TRUE(TiffImage::pluginAvailable()) << "libVelmar32_TIFF.so must be beside the library or on its path";
    TempDir dir;
    struct Case {
        int samples, bits, photometric;
        bool tiled;
    };
    const Case cases[] = {{1, 8, PHOTOMETRIC_PALETTE, true},    {1, 8, PHOTOMETRIC_MINISBLACK, false},
                          {1, 4, PHOTOMETRIC_MINISWHITE, true}, {1, 1, PHOTOMETRIC_MINISBLACK, false},
                          {3, 8, PHOTOMETRIC_RGB, true},        {3, 8, PHOTOMETRIC_RGB, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.samples) + "x" + std::to_string(c.bits) + " tiled " + std::to_string(c.tiled));
        const int bitCount = c.samples * c.bits;
        const Picture p = makePicture(40, 30, bitCount, 9);
        ASSERT_TRUE(writeTiff(dir.path("a.tif"), 40, 30, c.samples, c.bits, c.photometric, c.tiled, p));
        SourcePtr src(ImageSource::open(dir.path("a.tif")));
        ASSERT_TRUE(src);
        auto* tiff = static_cast<TiffImage*>(src.get());
        EXPECT_EQ(tiff->isTiled(), c.tiled);
        EXPECT_EQ(src->bitCount(), bitCount);
        if (c.tiled) {
            EXPECT_EQ(src->tileWidth(), 16);
            EXPECT_EQ(src->tilesPerRow(), 3);
        } else {
            EXPECT_EQ(src->tileWidth(), 40);
            EXPECT_EQ(src->tileHeight(), 7);
            EXPECT_EQ(src->tileRows(), 5);
        }
        EXPECT_EQ(readBack(*src).rows, p.rows);
        if (c.photometric == PHOTOMETRIC_MINISWHITE) {
            EXPECT_EQ(src->palette()[0], (RgbQuad{255, 255, 255, 0}));
            EXPECT_EQ(src->palette()[15], (RgbQuad{0, 0, 0, 0}));
        } else if (c.photometric == PHOTOMETRIC_MINISBLACK) {
            EXPECT_EQ(src->palette()[0], (RgbQuad{0, 0, 0, 0}));
        } else if (c.photometric == PHOTOMETRIC_PALETTE) {
            EXPECT_EQ(src->palette()[10], (RgbQuad{30, 245, 10, 0}));
        }
    }
    // Planar or 16-bit files are not taken.
    const Picture p = makePicture(8, 8, 16, 1);
    ASSERT_TRUE(writeTiff(dir.path("b.tif"), 8, 8, 1, 16, PHOTOMETRIC_MINISBLACK, false, p));
    EXPECT_FALSE(SourcePtr(ImageSource::open(dir.path("b.tif"))));
    writeFile(dir.path("c.tif"), {'I', 'I', 42, 0, 1, 2});
    EXPECT_FALSE(SourcePtr(ImageSource::open(dir.path("c.tif"))));
}
