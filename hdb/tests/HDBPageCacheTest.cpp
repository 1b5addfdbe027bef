// The page cache: eviction order, pinned pages, files dropping their pages,
// and reading from two threads at once.
#include "HdbTestUtil.h"

#include <HDBFile.h>
#include <MappedCopy.h>
#include <HDBPageCache.h>
#include <HDBRecords.h>
#include <HDBWriter.h>

#include <gtest/gtest.h>

#include <thread>

using namespace HdbTestUtil;

namespace {

std::unique_ptr<std::uint8_t[]> bytes(std::size_t n) {
    std::unique_ptr<std::uint8_t[]> b(new std::uint8_t[n]);
    std::fill(b.get(), b.get() + n, std::uint8_t(0xAB));
    return b;
}

std::string keyOf(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07d", i);
    return buf;
}

// A file of `count` records: a 7-digit key and 40 bytes of text.
std::string makeFile(const TempDir& dir, const std::string& name, int count, const std::string& codeword) {
    HDBWriter w({{"KEY", 7, 7, 0}, {"TEXT", 7, 40, 0}}, codeword);
    for (int i = 0; i < count; ++i)
        w.addRecord({keyOf(i), name + keyOf(i)});
    const std::string path = dir.file(name + ".hdb");
    EXPECT_TRUE(w.write(path)) << w.errorString();
    return path;
}

} // namespace

TEST(HDBPageCache, EvictsLeastRecentlyUsedUnpinnedPages) {
    HDBPageCache cache(250);
    cache.insert(1, 100, bytes(100), 100, {}); // A, unpinned at once
    cache.insert(1, 200, bytes(100), 100, {}); // B
    EXPECT_EQ(cache.stats().pages, 2u);
    cache.insert(1, 300, bytes(100), 100, {}); // C: 300 > 250, A goes
    EXPECT_FALSE(cache.contains(1, 100));
    EXPECT_TRUE(cache.contains(1, 200));
    EXPECT_TRUE(cache.contains(1, 300));

    // A hit moves B behind C, so C is the next to go.
    EXPECT_TRUE(cache.find(1, 200));
    cache.insert(1, 400, bytes(100), 100, {}); // D
    EXPECT_FALSE(cache.contains(1, 300));
    EXPECT_TRUE(cache.contains(1, 200));
    EXPECT_TRUE(cache.contains(1, 400));

    // Pinned pages stay, even when the budget stays exceeded.
    HDBPageCache::Page b = cache.find(1, 200);
    HDBPageCache::Page e = cache.insert(1, 500, bytes(100), 100, {}); // D goes, B is held
    EXPECT_TRUE(cache.contains(1, 200));
    EXPECT_FALSE(cache.contains(1, 400));
    HDBPageCache::Page f = cache.insert(1, 600, bytes(100), 100, {});
    EXPECT_EQ(cache.stats().pages, 3u);
    EXPECT_EQ(cache.stats().bytes, 300u);
    EXPECT_EQ(cache.stats().pinned, 3u);
    EXPECT_EQ(b.size(), 100u);
    EXPECT_EQ(b.data()[99], 0xAB);

    // Released pages go on the next insertion, oldest first.
    b.release();
    e.release();
    cache.insert(2, 100, bytes(100), 100, {});
    EXPECT_FALSE(cache.contains(1, 200));
    EXPECT_FALSE(cache.contains(1, 500));
    EXPECT_TRUE(cache.contains(1, 600));
    EXPECT_EQ(cache.stats().pages, 2u);

    // Dropping a file removes its unpinned pages only.
    f.release();
    cache.removeFile(1);
    EXPECT_EQ(cache.stats().pages, 1u);
    EXPECT_TRUE(cache.contains(2, 100));
}

TEST(HDBPageCache, ABudgetUsedUpExactlyIsNotPositive) {
    HDBPageCache cache(200);
    cache.insert(1, 1, bytes(100), 100, {});
    cache.insert(1, 2, bytes(100), 100, {}); // remaining 0: the first goes
    EXPECT_FALSE(cache.contains(1, 1));
    EXPECT_TRUE(cache.contains(1, 2));
}

TEST(HDBPageCache, FileKeepsToTheBudgetAndDropsItsPagesWithItsLastCursor) {
    TempDir dir;
    const std::string path = makeFile(dir, "big", 60000, "Kennmark"); // about 240 pages of 13 KB
    HDBPageCache& cache = HDBPageCache::instance();
    std::uint64_t id = 0;
    {
        auto file = HDBFile::open(path, "Kennmark");
        ASSERT_TRUE(file->isOpen());
        id = file->cacheId();
        HDBRecords first(file);
        file.reset();
        {
            HDBRecords second(first.file());
            EXPECT_EQ(first.file()->cursorCount(), 2);
            for (int r = 1; r <= 60000; r += 50)
                ASSERT_TRUE(second.seek(r));
        }
        EXPECT_EQ(first.file()->cursorCount(), 1);
        const HDBPageCache::Stats s = cache.stats(id);
        EXPECT_GT(s.pages, 100u);
        EXPECT_EQ(s.pinned, 0u);
        EXPECT_LE(cache.stats().bytes, HDBPageCache::DefaultBudget);
        ASSERT_TRUE(first.seek(60000)); // the file is still open
    }
    EXPECT_EQ(cache.stats(id).pages, 0u);
}

TEST(HDBPageCache, TwoThreadsReadDifferentFilesAtOnce) {
    TempDir dir;
    const std::string pathA = makeFile(dir, "alpha", 30000, "Kennmark");
    const std::string pathB = makeFile(dir, "beta", 30000, "");
    auto work = [](std::string path, std::string codeword, std::string name, int* errors) {
        HDBRecords c(HDBFile::open(path, codeword));
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 30000; i += 3) {
                const int r = (i * 7919) % 30000 + 1; // scattered record numbers
                if (!c.seek(r) ||
                    std::string(reinterpret_cast<const char*>(c.record()) + 7, name.size() + 7) != name + keyOf(r - 1))
                    ++*errors;
                if (i % 10 == 0 && (!c.findNearest(keyOf(r - 1), false) || c.recNo() != r))
                    ++*errors;
            }
        }
    };
    int errorsA = 0;
    int errorsB = 0;
    std::thread a(work, pathA, "Kennmark", "alpha", &errorsA);
    std::thread b(work, pathB, "", "beta", &errorsB);
    a.join();
    b.join();
    EXPECT_EQ(errorsA, 0);
    EXPECT_EQ(errorsB, 0);
}

TEST(HDBFile, FileShrinkingWhileOpenGivesFailedReadsNotACrash) {
    if (!MappedCopy::guarded)
        GTEST_SKIP() << "failed reads of mapped files are not caught in this build";
    TempDir dir;
    const std::string path = makeFile(dir, "shrink", 60000, "Kennmark");
    HDBRecords c(HDBFile::open(path, "Kennmark"));
    ASSERT_TRUE(c.seek(1));
    // Another program cuts the file down while it is open and mapped.
    std::filesystem::resize_file(path, 4096);
    EXPECT_FALSE(c.seek(59000));
    EXPECT_FALSE(c.findNearest(keyOf(58000), false));
    EXPECT_TRUE(c.seek(2)); // its page was read before
}
