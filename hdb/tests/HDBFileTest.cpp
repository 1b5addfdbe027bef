// The reader against hand-made and deliberately damaged files.
#include "HdbTestUtil.h"

#include <AnsiStringField.h>
#include <HDBFile.h>
#include <HDBFormat.h>
#include <HDBRecords.h>
#include <HDBWriter.h>

#include <gtest/gtest.h>

#include <random>

using namespace HdbTestUtil;

namespace {

HDBFieldDef text(const std::string& name, int length) {
    return {name, HDBFormat::TypeText, std::uint8_t(length), 0};
}

bool bufferIsZero(const HDBRecords& c) {
    for (std::size_t i = 0; i < c.recordSize(); ++i) {
        if (c.record()[i] != 0)
            return false;
    }
    return true;
}

// A file with one 4-character text field and the given pages, laid out one
// after another at full page size after the field block; page k is at
// pageOffset(k). The root is page `root`.
struct HandMade {
    static constexpr std::size_t RecordSize = 4;
    Bytes block = fieldBlock({text("KEY", 4)});
    std::uint32_t pageOffset(std::size_t k) const {
        return std::uint32_t(16 + block.size() + k * HDBFormat::pageReadSize(RecordSize));
    }
    Bytes build(const std::vector<RawPage>& pages, std::size_t root = 0) const {
        Bytes file = header(pageOffset(root), 1, std::uint32_t(block.size()));
        file.insert(file.end(), block.begin(), block.end());
        for (const RawPage& p : pages) {
            const Bytes b = pageBytes(p, RecordSize);
            file.insert(file.end(), b.begin(), b.end());
        }
        return file;
    }
};

RawPage leaf(const std::string& keys) { // keys: 4 characters each
    RawPage p;
    p.n = std::uint32_t(keys.size() / 4);
    p.children.assign(p.n + 1, 0);
    p.counts.assign(p.n + 1, 0);
    p.records.assign(keys.begin(), keys.end());
    return p;
}

std::shared_ptr<HDBFile> openBytes(const TempDir& dir, const Bytes& bytes, const std::string& codeword = {}) {
    static int n = 0;
    const std::string path = dir.file("t" + std::to_string(n++) + ".hdb");
    writeFile(path, bytes);
    return HDBFile::open(path, codeword);
}

} // namespace

TEST(HDBScramble, FollowsRunningSumThenCodeword) {
    // Stored 01 02 03 with code word "ab": sums 01 03 06, XOR 61 62 61.
    Bytes b = {1, 2, 3};
    HDBFormat::unscramble(b.data(), b.size(), "ab");
    EXPECT_EQ(b, (Bytes{0x60, 0x61, 0x67}));

    // Against a byte-by-byte reference for lengths around the vector width,
    // and scramble() as its inverse.
    std::mt19937 rng(7);
    for (const std::string& cw :
         {std::string("K"), std::string("Kennmark"), std::string("abcdefghijklmnopq"), std::string(70, 'x') + "y"}) {
        for (std::size_t len = 0; len < 200; ++len) {
            Bytes stored(len);
            for (auto& x : stored)
                x = std::uint8_t(rng());
            Bytes expected = stored;
            for (std::size_t k = 1; k < len; ++k)
                expected[k] = std::uint8_t(expected[k] + expected[k - 1]);
            for (std::size_t k = 0; k < len; ++k)
                expected[k] ^= std::uint8_t(cw[k % cw.size()]);
            Bytes plain = stored;
            HDBFormat::unscramble(plain.data(), plain.size(), cw);
            ASSERT_EQ(plain, expected) << cw << " " << len;
            HDBFormat::scramble(plain.data(), plain.size(), cw);
            ASSERT_EQ(plain, stored) << cw << " " << len;
            // A stretch from inside the block, given its phase and the
            // running sum before it, as a record read on its own.
            const HDBFormat::CodewordPattern pattern(cw);
            for (std::size_t from = 0; from < len; from += 1 + len / 7) {
                std::uint8_t carry = 0;
                for (std::size_t k = 0; k < from; ++k)
                    carry = std::uint8_t(carry + stored[k]);
                Bytes part(stored.begin() + std::ptrdiff_t(from), stored.end());
                HDBFormat::unscrambleFrom(part.data(), part.size(), pattern, from % cw.size(), carry);
                ASSERT_TRUE(std::equal(part.begin(), part.end(), expected.begin() + std::ptrdiff_t(from)))
                    << cw << " " << len << " " << from;
            }
        }
    }
    // An empty code word leaves the bytes as stored.
    Bytes same = {9, 8, 7};
    HDBFormat::unscramble(same.data(), same.size(), "");
    EXPECT_EQ(same, (Bytes{9, 8, 7}));
}

TEST(HDBFile, DerivesFieldKindsSizesAndOffsets) {
    TempDir dir;
    HDBWriter w({{"A", 3, 4, 0}, {"B", 3, 9, 0}, {"C", 3, 10, 0}, {"D", 3, 6, 2}, {"E", 7, 12, 0}, {"F", 8, 3, 0}},
                "Kennmark");
    ASSERT_TRUE(w.isValid()) << w.errorString();
    auto file = openBytes(dir, w.toBytes(), "Kennmark");
    ASSERT_TRUE(file->isOpen());
    ASSERT_EQ(file->fieldCount(), 6);
    struct Expect {
        char code;
        std::size_t offset, size;
    } expect[] = {{'d', 0, 2}, {'d', 2, 4}, {'f', 6, 10}, {'f', 16, 6}, {'s', 22, 12}, {'d', 34, 1}};
    for (int i = 0; i < 6; ++i) {
        const RowField* f = file->field(i + 1);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->typeCode(), expect[i].code) << i;
        EXPECT_EQ(f->offset(), expect[i].offset) << i;
        EXPECT_EQ(f->size(), expect[i].size) << i;
    }
    EXPECT_EQ(file->recordSize(), 35u);
    EXPECT_EQ(file->field(0), nullptr);
    EXPECT_EQ(file->field(7), nullptr);
    EXPECT_EQ(file->fieldByName("E"), file->field(5));
    EXPECT_EQ(file->fieldByName("e"), nullptr);
    EXPECT_EQ(file->recordCount(), 0);
    EXPECT_EQ(file->treeDepth(), 1);

    // The same file read with a wrong code word is refused, not misread.
    EXPECT_FALSE(openBytes(dir, w.toBytes(), "Kennmarx")->isOpen());
}

TEST(HDBFile, DecodesEachFieldKind) {
    TempDir dir;
    HDBWriter w({{"A", 3, 4, 0}, {"C", 3, 10, 0}, {"D", 3, 6, 2}, {"E", 7, 6, 0}, {"F", 8, 3, 0}}, "Kennmark");
    std::string r1 = std::string("\x01\x02", 2) + std::string("  12.50\0\0\0", 10) + std::string("abc\0\0\0", 6) +
                     std::string("M\xFChl\0x", 6) + "\xFF";
    std::string r2 = std::string("\x01\x03", 2) + std::string("-3e2      ", 10) + std::string("    .5", 6) +
                     std::string("ABCDEF", 6) + "\x07";
    ASSERT_TRUE(w.addRawRecord(r1.data(), r1.size()));
    ASSERT_TRUE(w.addRawRecord(r2.data(), r2.size()));
    auto file = openBytes(dir, w.toBytes(), "Kennmark");
    ASSERT_TRUE(file->isOpen());
    HDBRecords c(file);
    ASSERT_TRUE(c.seek(1));

    const RowField* a = file->fieldByName("A");
    std::uint32_t u = 0;
    double d = 0;
    std::string s;
    HDBValue v;
    EXPECT_EQ(a->getInteger(c, u), RowField::Ok);
    EXPECT_EQ(u, 258u); // bytes 01 02, most significant first
    EXPECT_EQ(a->getDouble(c, d), RowField::Ok);
    EXPECT_EQ(d, 258.0);
    EXPECT_EQ(a->getString(c, s), RowField::Ok);
    EXPECT_EQ(s, "258");
    EXPECT_EQ(a->getData(c, v), RowField::Ok);
    EXPECT_EQ(std::get<std::uint32_t>(v), 258u);

    const RowField* num = file->fieldByName("C");
    EXPECT_EQ(num->getDouble(c, d), RowField::Ok);
    EXPECT_EQ(d, 12.5);
    EXPECT_EQ(num->getString(c, s), RowField::Ok);
    EXPECT_EQ(s, "  12.50");
    EXPECT_EQ(num->getInteger(c, u), RowField::Fail);

    // Text that holds no number gives no value.
    const RowField* bad = file->fieldByName("D");
    EXPECT_EQ(bad->getDouble(c, d), RowField::Fail);
    EXPECT_EQ(bad->getData(c, v), RowField::Fail);

    const RowField* e = file->fieldByName("E");
    EXPECT_EQ(e->getString(c, s), RowField::Ok);
    EXPECT_EQ(s, "M\xFChl"); // a zero byte ends the text early
    EXPECT_EQ(e->getInteger(c, u), RowField::Fail);
    EXPECT_EQ(e->getDouble(c, d), RowField::Fail);
    EXPECT_EQ(AnsiStringField(c, "E").text(), QString::fromUtf8("Mühl"));
    EXPECT_EQ(AnsiStringField(c, "A").bytes(), "258");
    EXPECT_EQ(AnsiStringField(c, "NOPE").bytes(), "");
    EXPECT_FALSE(AnsiStringField(c, "NOPE").isValid());

    const RowField* f = file->fieldByName("F");
    EXPECT_EQ(f->getInteger(c, u), RowField::Ok);
    EXPECT_EQ(u, 255u);

    ASSERT_TRUE(c.seek(2));
    EXPECT_EQ(a->getInteger(c, u), RowField::Ok);
    EXPECT_EQ(u, 259u);
    EXPECT_EQ(num->getDouble(c, d), RowField::Ok);
    EXPECT_EQ(d, -300.0);
    EXPECT_EQ(bad->getDouble(c, d), RowField::Ok);
    EXPECT_EQ(d, 0.5);
    EXPECT_EQ(e->getString(c, s), RowField::Ok);
    EXPECT_EQ(s, "ABCDEF"); // no zero: all characters count
}

// Without a current record (before the first, past the last, after a failed
// search) every field kind fails, also in a file whose fields take no bytes
// at all, where the record buffer has no storage.
TEST(HDBFile, FieldsWithoutCurrentRecordFail) {
    TempDir dir;
    HDBWriter w({{"A", 3, 4, 0}, {"C", 3, 10, 0}, {"E", 7, 6, 0}, {"F", 8, 3, 0}});
    const std::string r1 = std::string("\x01\x02", 2) + std::string("12.5\0\0\0\0\0\0", 10) + "abcdef" + "\x07";
    ASSERT_TRUE(w.addRawRecord(r1.data(), r1.size()));
    auto file = openBytes(dir, w.toBytes());
    ASSERT_TRUE(file->isOpen());
    HDBRecords c(file);
    auto expectAllFail = [&](const char* legend) {
        SCOPED_TRACE(legend);
        EXPECT_FALSE(c.hasRecord());
        for (int f = 1; f <= file->fieldCount(); ++f) {
            const RowField* field = file->field(f);
            SCOPED_TRACE(field->name());
            HDBValue v;
            std::uint32_t u = 0;
            double d = 0;
            std::string s;
            EXPECT_EQ(field->getData(c, v), RowField::Fail);
            EXPECT_EQ(field->getInteger(c, u), RowField::Fail);
            EXPECT_EQ(field->getDouble(c, d), RowField::Fail);
            EXPECT_EQ(field->getString(c, s), RowField::Fail);
        }
        EXPECT_EQ(AnsiStringField(c, "E").bytes(), "");
    };
    expectAllFail("new cursor");
    ASSERT_FALSE(c.seek(0));
    expectAllFail("record 0");
    ASSERT_TRUE(c.seek(1));
    EXPECT_TRUE(c.hasRecord());
    std::string s;
    EXPECT_EQ(file->fieldByName("E")->getString(c, s), RowField::Ok);
    EXPECT_EQ(s, "abcdef");
    ASSERT_FALSE(c.seek(2));
    expectAllFail("past the last record");
    ASSERT_TRUE(c.findNearest(std::string_view("\x01", 1), true));
    EXPECT_TRUE(c.hasRecord());
    ASSERT_FALSE(c.findNearest(std::string_view("\x02", 1), false));
    expectAllFail("failed search");

    // One number-as-text field of length 0: records of no bytes.
    const Bytes block = fieldBlock({{"R", HDBFormat::TypeNumber, 0, 1}});
    for (std::uint32_t n : {0u, 3u}) {
        SCOPED_TRACE(n);
        Bytes bytes = header(std::uint32_t(16 + block.size()), 1, std::uint32_t(block.size()));
        bytes.insert(bytes.end(), block.begin(), block.end());
        RawPage page;
        page.n = n;
        page.children.assign(n + 1, 0);
        page.counts.assign(n + 1, 0);
        const Bytes p = pageBytes(page, 0);
        bytes.insert(bytes.end(), p.begin(), p.end());
        auto empty = openBytes(dir, bytes);
        ASSERT_TRUE(empty->isOpen());
        ASSERT_EQ(empty->recordSize(), 0u);
        HDBRecords e(empty);
        const RowField* r = empty->field(1);
        double d = 0;
        HDBValue v;
        EXPECT_FALSE(e.seek(0));
        EXPECT_EQ(r->getDouble(e, d), RowField::Fail);
        EXPECT_EQ(r->getData(e, v), RowField::Fail);
        EXPECT_EQ(e.seek(1), n > 0);
        EXPECT_EQ(r->getString(e, s), n > 0 ? RowField::Ok : RowField::Fail);
        EXPECT_EQ(r->getDouble(e, d), RowField::Fail); // empty text holds no number
        EXPECT_EQ(e.findNearest(std::string_view("x"), false), false);
    }
}

TEST(HDBFile, RefusesBadHeadersAndFieldBlocks) {
    TempDir dir;
    HDBWriter w({text("NAME", 8), {"N", 3, 5, 0}});
    ASSERT_TRUE(w.addRecord({std::string("X"), std::int64_t(1)}));
    const Bytes good = w.toBytes();
    ASSERT_TRUE(openBytes(dir, good)->isOpen());
    const std::uint32_t blockLength = HDBFormat::readLE32(good.data() + 12);

    std::vector<std::pair<const char*, Bytes>> cases;
    auto patched = [&](const char* what, std::size_t at, std::uint32_t value) {
        Bytes b = good;
        put32(b, at, value);
        cases.push_back({what, b});
    };
    patched("wrong magic", 0, 0x1A424449);
    patched("root offset 0", 4, 0);
    patched("no fields", 8, 0);
    patched("empty field block", 12, 0);
    patched("more fields than the block holds", 8, 3);
    patched("block beyond the end of the file", 12, std::uint32_t(good.size()));
    patched("root outside the file", 4, std::uint32_t(good.size() + 10));
    patched("root inside the field block", 4, 16);
    {
        Bytes b = good; // second entry's type byte (block: "NAME\0" 5 bytes, "N\0" ...)
        b[16 + 5 + 5 + 2 + 2] = 5;
        cases.push_back({"unknown field type", b});
    }
    {
        Bytes b = good; // the block cut so that the last entry runs past it
        put32(b, 12, blockLength - 1);
        cases.push_back({"entry running past its block", b});
    }
    {
        Bytes b = good; // the name of the second field loses its zero
        put32(b, 12, 12);
        cases.push_back({"name without end inside the block", b});
    }
    cases.push_back({"header cut short", Bytes(good.begin(), good.begin() + 10)});
    cases.push_back({"empty file", Bytes()});

    for (const auto& [what, bytes] : cases) {
        auto file = openBytes(dir, bytes);
        EXPECT_FALSE(file->isOpen()) << what;
        EXPECT_EQ(file->recordCount(), 0) << what;
        EXPECT_EQ(file->fieldCount(), 0) << what;
        HDBRecords c(file);
        EXPECT_FALSE(c.seek(1)) << what;
        EXPECT_FALSE(c.findNearest("X", true)) << what;
        EXPECT_TRUE(c.eof()) << what;
    }
    EXPECT_FALSE(HDBFile::open(dir.file("missing.hdb"), "")->isOpen());
}

TEST(HDBFile, EmptyRootPageHoldsNoRecords) {
    TempDir dir;
    HandMade m;
    RawPage root = leaf("");
    auto file = openBytes(dir, m.build({root}));
    ASSERT_TRUE(file->isOpen());
    EXPECT_EQ(file->recordCount(), 0);
    HDBRecords c(file);
    EXPECT_FALSE(c.seek(1));
    EXPECT_FALSE(c.findNearest("", true));
    EXPECT_EQ(c.recNo(), 1);
    EXPECT_TRUE(c.eof());
}

TEST(HDBFile, RefusesDamagedPagesWithoutReadingOutOfBounds) {
    TempDir dir;
    HandMade m;
    {
        RawPage root = leaf("AAAA");
        root.n = 255; // more records than a page holds
        EXPECT_FALSE(openBytes(dir, m.build({root}))->isOpen());
    }
    {
        RawPage root = leaf("AAAA");
        root.children[0] = 0x7FFFFFF0; // outside the file
        root.counts[0] = 1;
        EXPECT_FALSE(openBytes(dir, m.build({root}))->isOpen());
    }
    {
        RawPage root = leaf("AAAA");
        root.counts[1] = 3; // records below a child that is not there
        EXPECT_FALSE(openBytes(dir, m.build({root}))->isOpen());
    }
    {
        RawPage root = leaf("AAAA");
        root.counts[0] = 1000000; // more records than the file could hold
        root.children[0] = m.pageOffset(1);
        EXPECT_FALSE(openBytes(dir, m.build({root, leaf("0000")}))->isOpen());
    }
    {
        // The root promises 3 records in child 0, which holds 2.
        RawPage root = leaf("MMMM");
        root.children[0] = m.pageOffset(1);
        root.counts[0] = 3;
        auto file = openBytes(dir, m.build({root, leaf("AAAABBBB")}));
        ASSERT_TRUE(file->isOpen());
        EXPECT_EQ(file->recordCount(), 4);
        HDBRecords c(file);
        EXPECT_FALSE(c.seek(1));
        EXPECT_TRUE(bufferIsZero(c));
        EXPECT_TRUE(c.seek(4)); // the root's own record is sound
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.record()), 4), "MMMM");
        EXPECT_FALSE(c.findNearest("A", true));
        EXPECT_EQ(c.recNo(), 5);
        EXPECT_TRUE(bufferIsZero(c));
    }
    {
        // A page whose only child is itself: counts add up, the tree never ends.
        RawPage root = leaf("");
        root.children[0] = m.pageOffset(0);
        root.counts[0] = 5;
        auto file = openBytes(dir, m.build({root}));
        ASSERT_TRUE(file->isOpen());
        EXPECT_EQ(file->recordCount(), 5);
        HDBRecords c(file);
        EXPECT_FALSE(c.seek(3));
        EXPECT_FALSE(c.findNearest("A", true));
        EXPECT_FALSE(c.findAfter("A", 1));
        EXPECT_EQ(file->treeDepth(), HDBFormat::MaxTreeDepth);
    }
    {
        // Two pages pointing at each other.
        RawPage a = leaf("");
        RawPage b = leaf("");
        a.children[0] = m.pageOffset(1);
        b.children[0] = m.pageOffset(0);
        a.counts[0] = b.counts[0] = 2;
        auto file = openBytes(dir, m.build({a, b}));
        HDBRecords c(file);
        EXPECT_FALSE(c.seek(1));
        EXPECT_FALSE(c.findNearest("", true));
    }
}

TEST(HDBFile, AcceptsPageCutShortWhenItsRecordsWereRead) {
    TempDir dir;
    HandMade m;
    Bytes file = header(m.pageOffset(0), 1, std::uint32_t(m.block.size()));
    file.insert(file.end(), m.block.begin(), m.block.end());
    const Bytes page = pageBytes(leaf("AAAABBBBCCCC"), HandMade::RecordSize, false);
    file.insert(file.end(), page.begin(), page.end());
    {
        auto f = openBytes(dir, file);
        ASSERT_TRUE(f->isOpen());
        HDBRecords c(f);
        ASSERT_TRUE(c.seek(3));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.record()), 4), "CCCC");
        EXPECT_TRUE(c.findNearest("BB", false));
        EXPECT_EQ(c.recNo(), 2);
    }
    file.pop_back(); // the last record no longer read in full
    EXPECT_FALSE(openBytes(dir, file)->isOpen());
}

TEST(HDBRecords, ComparesKeysLongerThanTheRecord) {
    TempDir dir;
    HDBWriter w({text("K", 2)});
    for (const char* k : {"AB", "AC", "B\xE4"})
        ASSERT_TRUE(w.addRecord({std::string(k)}));
    auto file = openBytes(dir, w.toBytes());
    HDBRecords c(file);
    // "AB" is a shorter string than "ABC" and sorts before it.
    EXPECT_TRUE(c.findNearest("ABC", true));
    EXPECT_EQ(c.recNo(), 2);
    EXPECT_FALSE(c.findNearest("ABC", false));
    EXPECT_TRUE(c.findAfter("AB", 2));
    EXPECT_EQ(c.recNo(), 2);
    // Bytes compare unsigned: 0xE4 sorts after 'C'.
    EXPECT_TRUE(c.findNearest("B\x7F", true));
    EXPECT_EQ(c.recNo(), 3);
    EXPECT_TRUE(c.findNearest("", true));
    EXPECT_EQ(c.recNo(), 1);
}
