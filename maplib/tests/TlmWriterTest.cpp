#include "TestSupport.h"
#include "TlmImage.h"

#include <gtest/gtest.h>

// A large map streamed in odd portions of rows: the writer never holds more
// than one band of tile-height rows, and the result reads back right.
TEST(TlmWriter, StreamsBandByBandInBoundedMemory) {
    TempDir dir;
    const int width = 3000, height = 2000;
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::C;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = 256;
    o.tileHeight = 128;
    o.palette = greyPalette(8);
    TlmWriter writer(dir.path("big.tlm"), width, height, o);
    ASSERT_TRUE(writer.begin()) << writer.error();
    const std::size_t band = std::size_t(o.tileHeight) * writer.rowBytes();
    EXPECT_EQ(writer.bandCapacity(), band);
    // Rows are generated on the fly, 37 at a time, as a converter of a
    // 30 000 × 30 000 picture would hand them over.
    std::vector<uint8_t> rows(37 * std::size_t(width));
    int y = 0;
    while (y < height) {
        const int n = std::min(37, height - y);
        for (int i = 0; i < n; ++i)
            for (int x = 0; x < width; ++x)
                rows[std::size_t(i) * width + std::size_t(x)] =
                    uint8_t((x / 100 + (y + i) / 50) % 7 + ((x == y + i) ? 9 : 0));
        ASSERT_TRUE(writer.writeRows(rows.data(), n, std::size_t(width)));
        EXPECT_LE(writer.peakBufferedBytes(), band);
        y += n;
    }
    ASSERT_TRUE(writer.finish()) << writer.error();
    EXPECT_EQ(writer.peakBufferedBytes(), band);

    ImageSource* src = ImageSource::open(dir.path("big.tlm"));
    ASSERT_TRUE(src);
    EXPECT_EQ(src->tilesPerRow(), 12);
    EXPECT_EQ(src->tileRows(), 16);
    std::vector<uint8_t> tile(src->tileBufferBytes());
    // Spot checks: the last (partial) tile and a tile on the diagonal.
    for (auto [c, r] : {std::pair{11, 15}, std::pair{3, 6}, std::pair{0, 0}}) {
        ASSERT_TRUE(src->readTile(c, r, tile.data(), tile.size()));
        for (int ty = 0; ty < 128 && r * 128 + ty < height; ++ty) {
            for (int tx = 0; tx < 256 && c * 256 + tx < width; ++tx) {
                const int gx = c * 256 + tx, gy = r * 128 + ty;
                const uint8_t want = uint8_t((gx / 100 + gy / 50) % 7 + (gx == gy ? 9 : 0));
                ASSERT_EQ(tile[std::size_t(127 - ty) * 256 + std::size_t(tx)], want) << gx << "," << gy;
            }
        }
    }
    src->release();
}

// A writer that does not finish leaves the previous file as it was.
TEST(TlmWriter, PreviousFileSurvivesAnUnfinishedWrite) {
    TempDir dir;
    const Picture p = makePicture(64, 64, 8);
    TlmWriter::Options o;
    o.palette = greyPalette(8);
    o.tileWidth = 32;
    o.tileHeight = 32;
    ASSERT_TRUE(TlmWriter::write(dir.path("m.tlm"), 64, 64, p.rows.data(), p.rowBytes(), o));
    const std::vector<uint8_t> before = readFile(dir.path("m.tlm"));
    {
        TlmWriter writer(dir.path("m.tlm"), 64, 64, o);
        ASSERT_TRUE(writer.begin());
        ASSERT_TRUE(writer.writeRows(p.rows.data(), 40, p.rowBytes()));
        EXPECT_FALSE(writer.finish()) << "24 rows are missing";
        EXPECT_FALSE(writer.writeRows(p.rows.data(), 100, p.rowBytes()));
    }
    EXPECT_EQ(readFile(dir.path("m.tlm")), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("")), {}), 1) << "no temporary file left";
}

TEST(TlmWriter, RefusesWhatTheFormatCannotHold) {
    TempDir dir;
    auto begins = [&](TlmWriter::Options o, int w = 10, int h = 10) {
        TlmWriter writer(dir.path("x.tlm"), w, h, o);
        return writer.begin();
    };
    TlmWriter::Options o;
    o.tileWidth = 32;
    o.tileHeight = 32;
    EXPECT_TRUE(begins(o));
    EXPECT_FALSE(begins(o, 0, 10));
    TlmWriter::Options a = o;
    a.variant = TlmWriter::Variant::A;
    a.compression = TlmWriter::Bzip2;
    EXPECT_FALSE(begins(a)) << "variant A is uncompressed";
    a.compression = TlmWriter::None;
    a.georef.kind = 255;
    EXPECT_FALSE(begins(a)) << "variant A has no similarity transform";
    TlmWriter::Options b = o;
    b.bitCount = 12;
    EXPECT_FALSE(begins(b));
    b = o;
    b.bitCount = 4;
    b.palette.resize(17);
    EXPECT_FALSE(begins(b)) << "17 colours in 4 bits";
    b = o;
    b.layers.resize(33);
    EXPECT_FALSE(begins(b));
    // Uncompressed tiles of more than 4 GiB in all.
    EXPECT_FALSE(begins(o, 70000, 70000));
}
