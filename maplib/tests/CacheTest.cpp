#include "RasterWriters.h"
#include "SheetCache.h"
#include "SheetMosaic.h"
#include "TestSupport.h"
#include "TileCache.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string writeSheet(const TempDir& dir, const std::string& name, int w, int h, uint32_t seed) {
    const Picture p = makePicture(w, h, 8, seed);
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::B;
    o.compression = TlmWriter::RunLength;
    o.tileWidth = 16;
    o.tileHeight = 16;
    o.palette = greyPalette(8);
    EXPECT_TRUE(TlmWriter::write(dir.path(name), w, h, p.rows.data(), p.rowBytes(), o));
    return dir.path(name);
}

} // namespace

// Duplicated handles share one source; it lives until the last one goes, and
// its cached tiles go with it.
TEST(TileCache, SharedSourceAndEntriesRemovedWithIt) {
    TempDir dir;
    TileCache& cache = TileCache::instance();
    cache.clear();
    ImageSource* first = ImageSource::open(writeSheet(dir, "a.tlm", 40, 40, 1));
    ASSERT_TRUE(first);
    first->addRef(); // a duplicate
    EXPECT_EQ(first->refCount(), 2);
    const uint8_t* tile = cache.tile(first, 1, 1);
    ASSERT_TRUE(tile);
    std::vector<uint8_t> expected(first->tileBufferBytes());
    first->readTile(1, 1, expected.data(), expected.size());
    EXPECT_EQ(std::memcmp(tile, expected.data(), expected.size()), 0);
    EXPECT_EQ(cache.tile(first, 1, 1), tile) << "a hit returns the same buffer";
    first->release(); // the first handle closes
    EXPECT_EQ(first->refCount(), 1);
    EXPECT_TRUE(first->isOpen());
    EXPECT_EQ(cache.tile(first, 1, 1), tile) << "the duplicate still draws from the shared source";
    cache.tile(first, 0, 0);
    EXPECT_EQ(cache.entryCount(), 2u);
    first->release();
    EXPECT_EQ(cache.entryCount(), 0u);
}

// The budget left for old entries is the budget less the incoming tile; from
// the front, entries are kept while they fit and all from the first misfit on
// are freed.
TEST(TileCache, EvictionKeepsTheMostRecentWithinTheBudget) {
    TempDir dir;
    ImageSource* src = ImageSource::open(writeSheet(dir, "b.tlm", 64, 64, 2));
    ASSERT_TRUE(src);
    const std::size_t t = src->tileBufferBytes(); // 256 bytes
    TileCache cache(3 * t + t / 2);
    cache.tile(src, 0, 0);
    cache.tile(src, 1, 0);
    cache.tile(src, 2, 0);
    EXPECT_EQ(cache.entryCount(), 3u);
    cache.tile(src, 0, 0); // hit: (0,0) to the front
    cache.tile(src, 3, 0); // miss: room for 2 old tiles → (1,0) goes
    EXPECT_EQ(cache.entryCount(), 3u);
    EXPECT_TRUE(cache.contains(src, 0, 0));
    EXPECT_TRUE(cache.contains(src, 2, 0));
    EXPECT_TRUE(cache.contains(src, 3, 0));
    EXPECT_FALSE(cache.contains(src, 1, 0));
    EXPECT_LE(cache.cachedBytes(), cache.budget());
    EXPECT_EQ(cache.cached(src, 1, 0), nullptr) << "cached() never loads";
    // A budget below one tile keeps only the newest.
    TileCache tiny(t / 2);
    tiny.tile(src, 0, 0);
    tiny.tile(src, 1, 0);
    EXPECT_EQ(tiny.entryCount(), 1u);
    EXPECT_TRUE(tiny.contains(src, 1, 0));
    // The byte count follows every way an entry goes: eviction, removal of
    // its source, clearing.
    ImageSource* big = ImageSource::open(writeSheet(dir, "c.tlm", 64, 64, 3));
    ASSERT_TRUE(big);
    TileCache mixed(8 * t);
    for (int c = 0; c < 4; ++c) {
        mixed.tile(src, c, 0);
        mixed.tile(big, c, 1);
    }
    EXPECT_EQ(mixed.cachedBytes(), 8 * t);
    mixed.tile(src, 0, 2); // evicts (0,0) of src
    EXPECT_EQ(mixed.entryCount(), 8u);
    EXPECT_FALSE(mixed.contains(src, 0, 0));
    mixed.removeSource(big);
    EXPECT_EQ(mixed.entryCount(), 4u);
    EXPECT_EQ(mixed.cachedBytes(), 4 * t);
    mixed.setBudget(2 * t);
    mixed.tile(src, 1, 2); // room for one old tile: the newest, (0,2)
    EXPECT_EQ(mixed.cachedBytes(), 2 * t);
    EXPECT_TRUE(mixed.contains(src, 0, 2));
    mixed.clear();
    EXPECT_EQ(mixed.cachedBytes(), 0u);
    mixed.tile(src, 3, 3);
    EXPECT_EQ(mixed.cachedBytes(), t);
    mixed.clear();
    big->release();
    cache.removeSource(src);
    EXPECT_EQ(cache.cachedBytes(), 0u);
    tiny.removeSource(src);
    src->release();
}

TEST(SheetMosaic, GridReferenceSheetAndSheetPaths) {
    TempDir dir;
    std::filesystem::create_directory(dir.path("BLATT"));
    writeSheet(dir, "BLATT/S1.TLM", 32, 24, 1);
    writeSheet(dir, "BLATT/S2.TLM", 32, 24, 2);
    writeSheet(dir, "BLATT/S3.TLM", 32, 24, 3);
    // Sheets of 1000 × 800 m; the first listed sheet is missing, so the second
    // becomes the reference. Names are looked up case-insensitively.
    ASSERT_TRUE(RasterWriters::writeSheetMosaic(dir.path("m.kmo"), 1000, 800,
                                                {{3500000, 5600000, "blatt\\missing.tlm"},
                                                 {3501000, 5600000, "Blatt\\s2.tlm  "},
                                                 {3500000, 5600800, "blatt/S1.tlm"},
                                                 {3502000, 5601600, "BLATT\\S3.TLM"}}));
    std::vector<uint8_t> text = readFile(dir.path("m.kmo"));
    const std::string junk = "this line does not parse\r\n";
    text.insert(text.end(), junk.begin(), junk.end());
    writeFile(dir.path("m.kmo"), text);

    ImageSource* src = ImageSource::open(dir.path("m.kmo"));
    ASSERT_TRUE(src);
    auto* mosaic = dynamic_cast<SheetMosaic*>(src);
    ASSERT_TRUE(mosaic);
    EXPECT_EQ(mosaic->sheets().size(), 4u);
    EXPECT_EQ(mosaic->columns(), 3);
    EXPECT_EQ(mosaic->rows(), 3);
    EXPECT_EQ(mosaic->referenceColumn(), 1);
    EXPECT_EQ(mosaic->referenceRow(), 2) << "the southernmost row is the last";
    EXPECT_EQ(src->imageWidth(), 3 * 32);
    EXPECT_EQ(src->imageHeight(), 3 * 24);
    int type = 0, zone = 0;
    src->georefInfo(type, zone);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(zone, 3);
    EXPECT_EQ(mosaic->sheetAt(1, 2), mosaic->referenceSheet());
    ImageSource* s1 = mosaic->sheetAt(0, 1);
    ASSERT_TRUE(s1);
    EXPECT_EQ(readBack(*s1).rows, makePicture(32, 24, 8, 1).rows);
    ASSERT_TRUE(mosaic->sheetAt(2, 0));
    EXPECT_EQ(mosaic->sheetAt(0, 2), nullptr) << "the missing sheet";
    EXPECT_TRUE(SheetCache::instance().contains(mosaic, 0 + 2 * 3)) << "failures are remembered";
    EXPECT_EQ(mosaic->sheetAt(1, 0), nullptr) << "an empty cell";
    EXPECT_EQ(mosaic->sheetAt(3, 0), nullptr) << "outside the grid";

    // Tiles in the mosaic's tiling come from the sheets.
    std::vector<uint8_t> tile(src->tileBufferBytes()), expected(src->tileBufferBytes());
    EXPECT_TRUE(src->readTile(0 * 2 + 1, 1 * 2 + 1, tile.data(), tile.size()));
    s1->readTile(1, 1, expected.data(), expected.size());
    EXPECT_EQ(tile, expected);
    EXPECT_FALSE(src->readTile(1 * 2, 0, tile.data(), tile.size())) << "empty cell";
    src->release();
    EXPECT_FALSE(SheetCache::instance().contains(mosaic, 0 + 1 * 3)) << "sheets close with their mosaic";

    EXPECT_EQ(SheetMosaic::sheetPath("/d/m.kmo", "a\\b.tlm"), "/d/a/b.tlm");
    EXPECT_EQ(SheetMosaic::sheetPath("/d/m.kmo", "\\abs\\b.tlm"), "/abs/b.tlm");
    EXPECT_EQ(SheetMosaic::sheetPath("/d/m.kmo", "C:\\abs\\b.tlm"), "/abs/b.tlm");
    EXPECT_EQ(SheetMosaic::sheetPath("/d/m.kmo", "\\\\srv\\b.tlm"), "//srv/b.tlm");
}

TEST(SheetMosaic, BadMosaicsDoNotOpen) {
    TempDir dir;
    writeSheet(dir, "s.tlm", 16, 16, 1);
    auto tryOpen = [&](const std::string& text) {
        writeFile(dir.path("x.kmo"), std::vector<uint8_t>(text.begin(), text.end()));
        ImageSource* s = ImageSource::open(dir.path("x.kmo"));
        if (s)
            s->release();
        return s != nullptr;
    };
    EXPECT_TRUE(tryOpen("1000 1000\n0 0 s.tlm\n"));
    EXPECT_FALSE(tryOpen("1000\n0 0 s.tlm\n")) << "first line without two reals";
    EXPECT_FALSE(tryOpen("1000 1000\n0 0 none.tlm\n")) << "no sheet opens";
    EXPECT_FALSE(tryOpen("0 1000\n0 0 s.tlm\n")) << "sheet width 0";
    EXPECT_FALSE(tryOpen("1e-300 1000\n0 0 s.tlm\n1e300 0 s.tlm\n")) << "grid too large";
    // 200 000 columns of 16-pixel sheets are wider than 2^31 pixels... not yet;
    // 2^28 columns are.
    EXPECT_FALSE(tryOpen("1 1\n0 0 s.tlm\n268435456 0 s.tlm\n")) << "mosaic wider than 2^31 pixels";
    EXPECT_FALSE(tryOpen("1 1\n0 0 x.kmo\n")) << "a mosaic listing itself";
    EXPECT_TRUE(tryOpen("1000 1000\n0 0 s.tlm\nnan 0 s.tlm\n")) << "unparsable sheets are ignored";
}

// The cache keeps ten sheets; the eleventh pushes out the least recently used.
TEST(SheetCache, EleventhSheetEvictsTheLeastRecentlyUsed) {
    TempDir dir;
    std::vector<RasterWriters::MosaicSheet> sheets;
    for (int i = 0; i < 12; ++i) {
        writeSheet(dir, "s" + std::to_string(i) + ".tlm", 16, 16, uint32_t(i));
        sheets.push_back({double(i * 100), 0, "s" + std::to_string(i) + ".tlm"});
    }
    ASSERT_TRUE(RasterWriters::writeSheetMosaic(dir.path("m.kmo"), 100, 100, sheets));
    SheetCache& cache = SheetCache::instance();
    cache.clear();
    ImageSource* src = ImageSource::open(dir.path("m.kmo"));
    ASSERT_TRUE(src);
    auto* mosaic = static_cast<SheetMosaic*>(src);
    ASSERT_EQ(mosaic->referenceColumn(), 0);
    for (int c = 1; c <= 10; ++c)
        ASSERT_TRUE(mosaic->sheetAt(c, 0));
    EXPECT_EQ(cache.size(), 10u);
    mosaic->sheetAt(1, 0); // column 1 used again: column 2 is now the oldest
    ImageSource* eleventh = mosaic->sheetAt(11, 0);
    ASSERT_TRUE(eleventh);
    EXPECT_EQ(cache.size(), 10u);
    EXPECT_FALSE(cache.contains(mosaic, 2));
    EXPECT_TRUE(cache.contains(mosaic, 1));
    EXPECT_TRUE(cache.contains(mosaic, 11));
    EXPECT_EQ(readBack(*eleventh).rows, makePicture(16, 16, 8, 11).rows);
    src->release();
    EXPECT_EQ(cache.size(), 0u);
}
