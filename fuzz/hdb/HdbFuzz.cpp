// Fuzz target: a whole HDB file, opened with and without the product's code
// word, then read every way the program reads it: seeks in sequence and at
// the ends, key searches, field decoding, and a filtered data set; also read
// mapped and through the handle, which must agree.
#include <AnsiStringField.h>
#include <HDBFile.h>
#include <HDBRecords.h>
#include <THDBDataSet.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string scratchPath() {
    return "/tmp/fuzz_hdb_" + std::to_string(::getpid()) + ".hdb";
}

void exercise(const std::string& path, const std::string& codeword, const std::uint8_t* data, std::size_t size) {
    HDBRecords cursor(HDBFile::open(path, codeword));
    const HDBFile& file = *cursor.file();
    const int count = file.recordCount();
    file.treeDepth();
    const int last = count < 600 ? count + 1 : 600;
    int failures = 0;
    // A damaged page is read again on every seek (refused pages are not
    // cached); a few failures show the path, more only cost time.
    for (int r = 0; r <= last && failures < 8; ++r) {
        if (!cursor.seek(r))
            ++failures;
        for (int f = 1; f <= file.fieldCount(); ++f) {
            const RowField* field = file.field(f);
            HDBValue v;
            std::uint32_t u;
            double d;
            std::string s;
            field->getData(cursor, v);
            field->getInteger(cursor, u);
            field->getDouble(cursor, d);
            field->getString(cursor, s);
        }
    }
    cursor.seek(count);
    cursor.seek(count / 2 + 1);
    // Keys taken from the input itself, so the searches meet real records.
    for (std::size_t len : {std::size_t(0), std::size_t(1), std::size_t(3), file.recordSize(), file.recordSize() + 2}) {
        const std::size_t from = size > 64 ? 64 : 0;
        const std::size_t n = from + len <= size ? len : 0;
        cursor.findNearest(data + from, n, true);
        cursor.findNearest(data + from, n, false);
        cursor.findAfter(data + from, n);
    }
    if (file.fieldCount() > 0)
        AnsiStringField(cursor, file.field(1)->name()).text();
}

// A mapped file keeps only running sums of its leaves and reads their
// records from the mapping; read through the handle it keeps whole pages.
// Whatever the bytes, both must answer every seek and search alike.
void compareReadPaths(const std::string& path, const std::string& codeword, const std::uint8_t* data,
                      std::size_t size) {
    HDBRecords mapped(HDBFile::open(path, codeword));
    HDBRecords handle(HDBFile::open(path, codeword, false));
    auto same = [&](bool a, bool b) {
        if (a != b || mapped.recNo() != handle.recNo() || mapped.hasRecord() != handle.hasRecord() ||
            mapped.recordSize() != handle.recordSize() ||
            !std::equal(mapped.record(), mapped.record() + mapped.recordSize(), handle.record()))
            std::abort();
    };
    if (mapped.recordCount() != handle.recordCount())
        std::abort();
    const int count = mapped.recordCount();
    for (int r = 0; r <= count + 1 && r <= 300; ++r)
        same(mapped.seek(r), handle.seek(r));
    for (int r : {count, count / 2 + 1, count / 3 + 1, 1})
        same(mapped.seek(r), handle.seek(r));
    for (std::size_t len : {std::size_t(0), std::size_t(2), mapped.recordSize(), mapped.recordSize() + 1}) {
        for (std::size_t from : {std::size_t(0), std::size_t(100), size / 2}) {
            const std::size_t n = from + len <= size ? len : 0;
            same(mapped.findNearest(data + from, n, true), handle.findNearest(data + from, n, true));
            same(mapped.findNearest(data + from, n, false), handle.findNearest(data + from, n, false));
            same(mapped.findAfter(data + from, n), handle.findAfter(data + from, n));
        }
    }
}

void exerciseDataSet(const std::string& path) {
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(path));
    ds.setCodeword(QStringLiteral("Kennmark"));
    ds.open();
    for (int r = 1; r <= ds.recordCount() && r <= 50; ++r) {
        ds.setRecNo(r);
        for (int c = 0; c < ds.columnCount(); ++c)
            ds.fieldValue(c);
    }
    ds.findNearest(QStringLiteral("M"));
    ds.findNearest(12345);
    ds.setFilterFirst(QStringLiteral("MA"));
    ds.last();
    ds.fieldValue(0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = scratchPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    exercise(path, "", data, size);
    exercise(path, "Kennmark", data, size);
    compareReadPaths(path, "", data, size);
    compareReadPaths(path, "Kennmark", data, size);
    exerciseDataSet(path);
    return 0;
}
