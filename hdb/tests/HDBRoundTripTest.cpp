// Writer → reader round trips over the record counts where the tree changes
// shape: empty, one record, one full page, one record more, two full levels,
// and a million records; also with a code word whose length does not divide
// the 16 bytes the unscrambling works in.
#include "HdbTestUtil.h"

#include <HDBFile.h>
#include <HDBRecords.h>
#include <HDBWriter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

using namespace HdbTestUtil;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// Record i (0-based) has the key "K" + 2i in eight digits, so odd numbers are
// absent keys lying between two records; NUM holds i and VAL i / 4.
std::string keyOf(std::int64_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "K%08lld", static_cast<long long>(value));
    return buf;
}

struct Param {
    int count;
    int depth;
    const char* codeword;
};

class RoundTrip : public ::testing::TestWithParam<Param> {};

std::string keyAt(const HDBRecords& c) {
    return std::string(reinterpret_cast<const char*>(c.record()), 9);
}

} // namespace

TEST_P(RoundTrip, SeeksAndFindsEveryKindOfKey) {
    const Param p = GetParam();
    TempDir dir;
    const std::string path = dir.file("round.hdb");
    {
        HDBWriter w({{"KEY", 7, 9, 0}, {"NUM", 3, 7, 0}, {"VAL", 3, 10, 2}}, p.codeword);
        ASSERT_TRUE(w.isValid());
        // Records go in out of order; the writer sorts them.
        std::vector<int> order(std::size_t(p.count));
        for (int i = 0; i < p.count; ++i)
            order[std::size_t(i)] = i;
        if (p.count <= 100000)
            std::shuffle(order.begin(), order.end(), std::mt19937(p.count));
        else
            std::reverse(order.begin(), order.end());
        for (int i : order)
            ASSERT_TRUE(w.addRecord({keyOf(2 * std::int64_t(i)), std::int64_t(i), i / 4.0})) << w.errorString();
        ASSERT_TRUE(w.write(path)) << w.errorString();
    }
    auto file = HDBFile::open(path, p.codeword);
    ASSERT_TRUE(file->isOpen());
    ASSERT_EQ(file->recordCount(), p.count);
    EXPECT_EQ(file->treeDepth(), p.depth);
    HDBRecords c(file);
    const RowField* num = file->fieldByName("NUM");
    const RowField* val = file->fieldByName("VAL");

    // At random first, while no page is in the cache: records far into a
    // page are read without unscrambling the page up to them.
    {
        std::mt19937 cold(p.count);
        for (int i = 0; i < 300 && p.count > 0; ++i) {
            const int r = int(cold() % std::uint32_t(p.count)) + 1;
            ASSERT_TRUE(c.seek(r)) << r;
            ASSERT_EQ(keyAt(c), keyOf(2 * std::int64_t(r - 1))) << r;
            const std::string key = keyOf(2 * std::int64_t(int(cold() % std::uint32_t(p.count))) + 1);
            const bool found = c.findNearest(key, true);
            ASSERT_EQ(found, key < keyOf(2 * std::int64_t(p.count - 1))) << key;
            if (found) {
                ASSERT_EQ(keyOf(2 * std::int64_t(c.recNo() - 1)), keyAt(c)) << key;
                ASSERT_EQ(keyAt(c) > key, true);
                ASSERT_EQ(keyOf(2 * std::int64_t(c.recNo() - 1) - 1), key) << key;
            }
        }
    }

    // Every k-th record number, plus the last one; a million records under the
    // sanitizers are walked more sparsely.
    const int k = p.count <= 70000 ? 1 : (Sanitized ? 997 : 7);
    auto check = [&](int r) {
        ASSERT_TRUE(c.seek(r)) << r;
        ASSERT_EQ(keyAt(c), keyOf(2 * std::int64_t(r - 1))) << r;
        std::uint32_t n = 0;
        ASSERT_EQ(num->getInteger(c, n), RowField::Ok);
        ASSERT_EQ(n, std::uint32_t(r - 1));
        double v = 0;
        ASSERT_EQ(val->getDouble(c, v), RowField::Ok);
        ASSERT_EQ(v, (r - 1) / 4.0);
    };
    for (int r = 1; r <= p.count; r += k) {
        ASSERT_NO_FATAL_FAILURE(check(r));
    }
    if (p.count > 0) {
        ASSERT_NO_FATAL_FAILURE(check(p.count));
    }
    // Backwards and at random: the page hint must not lead the search astray.
    std::mt19937 rng(3);
    for (int i = 0; i < 2000 && p.count > 0; ++i) {
        const int r = i < 300 ? p.count - i : int(rng() % std::uint32_t(p.count)) + 1;
        if (r < 1)
            continue;
        ASSERT_TRUE(c.seek(r)) << r;
        ASSERT_EQ(keyAt(c), keyOf(2 * std::int64_t(r - 1))) << r;
    }
    for (int r : {0, -1, p.count + 1}) {
        EXPECT_FALSE(c.seek(r));
        EXPECT_EQ(c.recNo(), r);
        EXPECT_TRUE(std::all_of(c.record(), c.record() + c.recordSize(), [](std::uint8_t b) { return b == 0; }));
    }
    EXPECT_TRUE(c.eof());

    // Keys: present, absent (between two), smallest, below all, largest, beyond all.
    const int probes = std::min(p.count, 3000);
    for (int i = 0; i < probes; ++i) {
        const std::int64_t index = p.count <= 3000 ? i : std::int64_t(rng() % std::uint32_t(p.count));
        const std::string present = keyOf(2 * index);
        ASSERT_TRUE(c.findNearest(present, false));
        ASSERT_EQ(c.recNo(), index + 1);
        ASSERT_EQ(keyAt(c), present);
        ASSERT_EQ(c.findAfter(present), index + 1 < p.count);
        if (index + 1 < p.count) {
            ASSERT_EQ(c.recNo(), index + 2);
        }
        const std::string absent = keyOf(2 * index + 1);
        ASSERT_FALSE(c.findNearest(absent, false));
        ASSERT_EQ(c.recNo(), p.count + 1);
        const bool found = c.findNearest(absent, true);
        ASSERT_EQ(found, index + 1 < p.count);
        ASSERT_EQ(c.recNo(), index + 2);
    }
    EXPECT_EQ(c.findNearest(std::string("K"), true), p.count > 0);
    EXPECT_EQ(c.recNo(), 1);
    EXPECT_EQ(c.findNearest(std::string("A"), true), p.count > 0);
    if (p.count > 0) {
        EXPECT_EQ(c.recNo(), 1);
        const std::string largest = keyOf(2 * std::int64_t(p.count - 1));
        EXPECT_TRUE(c.findNearest(largest, false));
        EXPECT_EQ(c.recNo(), p.count);
        EXPECT_FALSE(c.findAfter(largest));
    }
    EXPECT_FALSE(c.findNearest(std::string("L"), true));
    EXPECT_EQ(c.recNo(), p.count + 1);
    EXPECT_TRUE(c.eof());

    // Prefixes: "K0000012" covers 2i = 120 … 128, i.e. records 61 … 65.
    if (p.count >= 70) {
        const std::string prefix = "K0000012";
        ASSERT_TRUE(c.findNearest(prefix, false));
        EXPECT_EQ(c.recNo(), 61);
        ASSERT_TRUE(c.findAfter(prefix));
        EXPECT_EQ(c.recNo(), 66);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, RoundTrip,
                         ::testing::Values(Param{0, 1, "Kennmark"}, Param{1, 1, ""}, Param{254, 1, "Kennmark"},
                                           Param{255, 2, ""}, Param{3000, 2, "Ort"}, Param{64516, 2, "Kennmark"},
                                           Param{1000000, 3, "Kennmark"}),
                         [](const auto& info) { return "Records" + std::to_string(info.param.count); });

TEST(HDBWriter, RefusesValuesThatDoNotFit) {
    HDBWriter w({{"T", 7, 3, 0}, {"I", 3, 4, 0}, {"B", 8, 3, 0}, {"N", 3, 6, 2}});
    ASSERT_TRUE(w.isValid());
    EXPECT_FALSE(w.addRecord({std::string("ABCD"), std::int64_t(1), std::int64_t(1), 1.0}));
    EXPECT_FALSE(w.addRecord({std::string("A"), std::int64_t(65536), std::int64_t(1), 1.0}));
    EXPECT_FALSE(w.addRecord({std::string("A"), std::int64_t(-1), std::int64_t(1), 1.0}));
    EXPECT_FALSE(w.addRecord({std::string("A"), std::int64_t(1), std::int64_t(256), 1.0}));
    EXPECT_FALSE(w.addRecord({std::string("A"), std::int64_t(1), std::int64_t(1), 12345.0}));
    EXPECT_FALSE(w.addRecord({std::string("A"), std::string("x1"), std::int64_t(1), 1.0}));
    EXPECT_FALSE(w.addRecord({std::string("A")}));
    EXPECT_EQ(w.recordCount(), 0u);
    ASSERT_TRUE(w.addRecord({std::string("ABC"), std::string(" 65535"), std::int64_t(255), 123.45}));
    EXPECT_EQ(w.recordCount(), 1u);

    EXPECT_FALSE(HDBWriter({}).isValid());
    EXPECT_FALSE(HDBWriter({{"X", 4, 1, 0}}).isValid());
    EXPECT_FALSE(HDBWriter({{"", 7, 1, 0}}).isValid());
}

TEST(HDBWriter, KeepsThePreviousFileWhenWritingFails) {
    TempDir dir;
    const std::string path = dir.file("keep.hdb");
    HDBWriter w({{"T", 7, 3, 0}});
    ASSERT_TRUE(w.addRecord({std::string("ABC")}));
    ASSERT_TRUE(w.write(path));
    HDBWriter broken({{"T", 7, 3, 0}});
    // A target inside a folder that does not exist cannot be written.
    EXPECT_FALSE(broken.write(dir.file("nowhere/keep.hdb")));
    EXPECT_FALSE(broken.errorString().empty());
    auto file = HDBFile::open(path, "");
    ASSERT_TRUE(file->isOpen());
    EXPECT_EQ(file->recordCount(), 1);
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

// Leaves of a mapped file are read record by record from the mapping, a file
// read through its handle keeps whole pages: both must give the same answer
// to every seek and search, on intact files (where the answer is also checked
// against a sorted list) and on files with a damaged leaf, with code words
// of every kind (none, not dividing 16, longer than 64 bytes).
TEST(HDBRecords, MappedFileReadsAsTheHandleDoes) {
    TempDir dir;
    constexpr int Count = 20000; // 79 leaves under one root
    constexpr std::size_t KeySize = 12;
    std::mt19937 rng(11);
    auto randomKey = [&rng](std::size_t maxLength) {
        std::string k(1 + rng() % maxLength, ' ');
        for (char& ch : k)
            ch = char("ABCD\xE4"[rng() % 5]);
        return k;
    };
    std::vector<std::string> keys;
    for (int i = 0; i < Count; ++i)
        keys.push_back(randomKey(KeySize));
    std::vector<std::string> probes = {"", "@", "A", "AAAA", "E", "\xFF", std::string(KeySize, '\xE4') + "X"};
    for (int i = 0; i < 1500; ++i) {
        const std::string& k = keys[rng() % Count];
        probes.push_back(i % 3 == 0 ? k : i % 3 == 1 ? k.substr(0, 1 + rng() % k.size()) : randomKey(KeySize + 2));
    }
    // The stored keys, padded with zeros, in file order.
    std::vector<std::string> sorted;
    for (const std::string& k : keys)
        sorted.push_back(k + std::string(KeySize - k.size(), '\0'));
    std::sort(sorted.begin(), sorted.end());
    auto firstNotBelow = [&](const std::string& key, bool greater) {
        auto below = [&](const std::string& s) {
            const int c = std::memcmp(s.data(), key.data(), std::min(key.size(), KeySize));
            const int order = c != 0 ? c : key.size() > KeySize ? -1 : 0;
            return greater ? order <= 0 : order < 0;
        };
        return int(std::partition_point(sorted.begin(), sorted.end(), below) - sorted.begin()) + 1;
    };

    for (const std::string& codeword :
         {std::string("Kennmark"), std::string("Ort"), std::string(), std::string(70, 'w')}) {
        HDBWriter w({{"KEY", 7, KeySize, 0}, {"NUM", 3, 7, 0}}, codeword);
        for (int i = 0; i < Count; ++i)
            ASSERT_TRUE(w.addRecord({keys[std::size_t(i)], std::int64_t(i)}));
        Bytes intact = w.toBytes();
        // The first page after the field block is the first leaf. One copy
        // with a changed stored record byte (every plain byte after it in
        // the page changes with it) and one with a changed header byte.
        const std::size_t firstLeaf = 16 + HDBFormat::readLE32(intact.data() + 12);
        Bytes recordDamaged = intact;
        recordDamaged[firstLeaf + HDBFormat::PageRecordsOffset + 40 * w.recordSize() + 3] ^= 0x5A;
        Bytes headerDamaged = intact;
        headerDamaged[firstLeaf + HDBFormat::PageChildOffset + 1] ^= 0x01;

        int variant = 0;
        for (const Bytes* bytes : {&intact, &recordDamaged, &headerDamaged}) {
            SCOPED_TRACE("code word \"" + codeword + "\", variant " + std::to_string(variant));
            const std::string path = dir.file("v" + std::to_string(variant++) + codeword.substr(0, 3) + ".hdb");
            writeFile(path, *bytes);
            HDBRecords mapped(HDBFile::open(path, codeword));
            HDBRecords handle(HDBFile::open(path, codeword, false));
            ASSERT_TRUE(mapped.file()->isOpen());
            ASSERT_EQ(mapped.recordCount(), Count);
            auto same = [&](bool a, bool b, const std::string& what) {
                ASSERT_EQ(a, b) << what;
                ASSERT_EQ(mapped.recNo(), handle.recNo()) << what;
                ASSERT_EQ(mapped.hasRecord(), handle.hasRecord()) << what;
                ASSERT_TRUE(std::equal(mapped.record(), mapped.record() + mapped.recordSize(), handle.record()))
                    << what;
            };
            const bool checked = bytes == &intact;
            std::vector<int> numbers = {-1, 0, 1, 2, 253, 254, 255, Count - 1, Count, Count + 1};
            for (int i = 0; i < 600; ++i)
                numbers.push_back(i + 1);
            for (int i = 0; i < 3000; ++i)
                numbers.push_back(int(rng() % (Count + 2)));
            for (int r : numbers) {
                const bool found = mapped.seek(r);
                ASSERT_NO_FATAL_FAILURE(same(found, handle.seek(r), "seek " + std::to_string(r)));
                if (checked) {
                    ASSERT_EQ(found, r >= 1 && r <= Count);
                    if (found) {
                        ASSERT_EQ(std::string(reinterpret_cast<const char*>(mapped.record()), KeySize),
                                  sorted[std::size_t(r - 1)]);
                    }
                }
            }
            for (const std::string& key : probes) {
                for (int kind = 0; kind < 3; ++kind) {
                    const bool found = kind == 2 ? mapped.findAfter(key) : mapped.findNearest(key, kind == 1);
                    const bool expected = kind == 2 ? handle.findAfter(key) : handle.findNearest(key, kind == 1);
                    ASSERT_NO_FATAL_FAILURE(same(found, expected, std::to_string(kind) + " " + key));
                    if (checked && kind != 0) {
                        ASSERT_EQ(mapped.recNo(), std::min(firstNotBelow(key, kind == 2), Count + 1)) << key;
                    }
                }
            }
        }
    }
}
