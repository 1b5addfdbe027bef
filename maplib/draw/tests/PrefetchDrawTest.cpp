#include "DrawSupport.h"

#include "DisplayTileCache.h"
#include "TileCache.h"
#include "TileDecoder.h"
#include "TilePrefetch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

uint32_t value(int x, int y) {
    // Flat areas with lines through them: runs and literals in every tile.
    uint32_t v = uint32_t((x / 40) * 7 + (y / 30) * 3) % 23;
    if ((x + 2 * y) % 97 < 2)
        v = 200;
    if ((x * 13 + y * 7) % 31 == 0)
        v = uint32_t(x ^ y) & 255;
    return v;
}

// Breaks the stored bytes of some tiles in the middle of the file: runs that
// overflow the tile, so those tiles decode to zeros.
void damage(const std::string& path) {
    const auto size = std::filesystem::file_size(path);
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_TRUE(f);
    const uint8_t garbage[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (long at : {long(size / 2), long(size * 3 / 4)}) {
        std::fseek(f, at, SEEK_SET);
        std::fwrite(garbage, 1, sizeof garbage, f);
    }
    std::fclose(f);
}

struct Outcome {
    QImage image;
    std::vector<TileCache::Key> keys;
    std::vector<DisplayTileCache::Key> shown;
    int asked = 0;
};

struct Case {
    double zoom;
    std::size_t budget; // of the tile cache
    int abortAt = 0;    // the abort callback answers true at this question (never for 0)
    bool highQuality = false;
    int dimAt = 0; // the abort callback dims the map at this question
};

// One draw as the window does it, after `warm` tiles were decoded.
Outcome drawWith(int threads, MapHandle& map, const Case& k, const std::vector<std::pair<int, int>>& warm) {
    TilePrefetch::setThreadCount(threads);
    clearCaches();
    TileCache& cache = TileCache::instance();
    cache.setBudget(k.budget);
    for (const auto& [c, r] : warm)
        cache.tile(map.source(), c, r);
    map.setZoom(k.zoom);
    map.setHighQuality(k.highQuality);
    map.setDimmer(255);
    Outcome o;
    o.image = render(map, QSize(700, 500), 40, 30, nullptr, [&] {
        ++o.asked;
        if (o.asked == k.dimAt)
            map.setDimmer(140);
        return o.asked == k.abortAt;
    });
    o.keys = cache.keys();
    o.shown = DisplayTileCache::instance().keys();
    cache.setBudget(TileCache::DefaultBudget);
    return o;
}

// Decoding ahead on several threads, and making display tiles there, changes
// nothing a draw leaves behind: the pixels, the tiles in both caches and
// their order (so also what was evicted during the draw), the abort
// questions, for bzip2 and run-length tiles, damaged tiles, a partly warm
// cache, eviction within one draw, an abort in the middle, area averaging,
// and a dimmer changed while the draw runs.
TEST(PrefetchDraw, AllThreadsLeaveWhatOneThreadLeaves) {
    DrawTempDir dir;
    std::vector<uint32_t> compressions{TlmWriter::RunLength};
    if (Bzip2Decoder::available())
        compressions.push_back(TlmWriter::Bzip2);
    const int before = TilePrefetch::threadCount();
    for (uint32_t compression : compressions) {
        for (bool damaged : {false, true}) {
            const std::string path = dir.path("map" + std::to_string(compression) + std::to_string(damaged) + ".tlm");
            TlmWriter::Options options = mapOptions(8, 64, 48);
            options.compression = compression;
            ASSERT_TRUE(writeMap(path, 1500, 1100, options, value));
            if (damaged)
                damage(path);
            std::unique_ptr<MapHandle> map = MapHandle::open(path);
            ASSERT_TRUE(map);
            ASSERT_TRUE(map->source()->concurrentReads()) << "both compressions are decoded ahead";
            const std::size_t tile = map->source()->tileBufferBytes();
            const std::vector<std::pair<int, int>> warm{{3, 2}, {5, 4}, {0, 0}, {9, 7}};
            const std::size_t all = TileCache::DefaultBudget;
            for (const Case& k : {Case{1.0, all}, Case{0.5, all}, Case{0.5, 40 * tile}, Case{0.25, 25 * tile},
                                  Case{1.0, 30 * tile, 37}, Case{0.5, all, 90}, Case{0.25, all, 60},
                                  Case{0.125, 20 * tile}, Case{2.0, all}, Case{0.5, all, 0, true},
                                  Case{0.25, 30 * tile, 0, true}, Case{1.0, all, 0, false, 12},
                                  Case{0.25, all, 0, true, 40}}) {
                SCOPED_TRACE(testing::Message()
                             << "compression " << compression << " damaged " << damaged << " zoom " << k.zoom
                             << " budget " << k.budget / tile << " abort " << k.abortAt << " quality "
                             << k.highQuality << " dim " << k.dimAt);
                const Outcome one = drawWith(1, *map, k, warm);
                for (int threads : {2, 5}) {
                    const Outcome all = drawWith(threads, *map, k, warm);
                    EXPECT_EQ(all.asked, one.asked);
                    EXPECT_TRUE(all.keys == one.keys) << all.keys.size() << " against " << one.keys.size();
                    EXPECT_TRUE(all.shown == one.shown) << all.shown.size() << " against " << one.shown.size();
                    EXPECT_TRUE(all.image == one.image);
                }
                EXPECT_GT(one.asked, 20);
                if (k.abortAt) {
                    EXPECT_EQ(one.asked, k.abortAt);
                }
            }
        }
    }
    TilePrefetch::setThreadCount(before);
    clearCaches();
}

// Run-length tiles alone are decoded ahead only where a draw reads a quarter
// of their rows or less (bzip2 tiles always): further in, reading a tile
// decoded on another core costs the drawing core about what decoding it
// there would. With their display tiles made there too, at any zoom.
TEST(PrefetchDraw, RunLengthTilesAloneOnlyWhenZoomedOut) {
    DrawTempDir dir;
    const int before = TilePrefetch::threadCount();
    TilePrefetch::setThreadCount(4);
    std::vector<uint32_t> compressions{TlmWriter::RunLength};
    if (Bzip2Decoder::available())
        compressions.push_back(TlmWriter::Bzip2);
    for (uint32_t compression : compressions) {
        const std::string path = dir.path("z" + std::to_string(compression) + ".tlm");
        TlmWriter::Options options = mapOptions(8, 64, 48);
        options.compression = compression;
        ASSERT_TRUE(writeMap(path, 300, 200, options, value));
        std::unique_ptr<MapHandle> map = MapHandle::open(path);
        ASSERT_TRUE(map);
        const bool bzip2 = compression == TlmWriter::Bzip2;
        EXPECT_EQ(TilePrefetch::worthwhile(map->source(), 30, 1.0), bzip2);
        EXPECT_EQ(TilePrefetch::worthwhile(map->source(), 30, 0.5), bzip2);
        EXPECT_TRUE(TilePrefetch::worthwhile(map->source(), 30, 0.25));
        EXPECT_TRUE(TilePrefetch::worthwhile(map->source(), 30, 0.125));
        EXPECT_TRUE(TilePrefetch::worthwhile(map->source(), 30, 1.0, true));
        EXPECT_FALSE(TilePrefetch::worthwhile(map->source(), 1, 0.125)) << "one tile: nothing to share";
    }
    TilePrefetch::setThreadCount(1);
    DrawTempDir other;
    const std::string path = other.path("one.tlm");
    TlmWriter::Options options = mapOptions(8, 64, 48);
    options.compression = TlmWriter::RunLength;
    ASSERT_TRUE(writeMap(path, 300, 200, options, value));
    std::unique_ptr<MapHandle> map = MapHandle::open(path);
    ASSERT_TRUE(map);
    EXPECT_FALSE(TilePrefetch::worthwhile(map->source(), 30, 0.125)) << "one thread";
    TilePrefetch::setThreadCount(before);
}

} // namespace
