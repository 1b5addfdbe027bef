// Writes the seed corpus of the HDB fuzz target into the folder given as the
// first argument: small files of each field kind, with and without the code
// word, with one page and with two levels, and files whose records take no
// bytes at all (a number-as-text field of length 0), which the writer refuses
// to make and which are therefore put together here byte by byte.
#include <HDBFormat.h>
#include <HDBWriter.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool save(const std::string& dir, const std::string& name, HDBWriter& w) {
    if (!w.write(dir + "/" + name + ".hdb")) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), w.errorString().c_str());
        return false;
    }
    return true;
}

// Plain (unscrambled) file: header, one field "R" of type 3 with length 0
// and one decimal, and a root page holding `n` records of no bytes.
bool saveEmptyRecords(const std::string& dir, const std::string& name, std::uint32_t n) {
    const std::vector<std::uint8_t> block = {'R', 0, 0, 0, HDBFormat::TypeNumber, 0, 1};
    std::vector<std::uint8_t> bytes(HDBFormat::HeaderSize);
    HDBFormat::writeLE32(bytes.data(), HDBFormat::Magic);
    HDBFormat::writeLE32(bytes.data() + 4, std::uint32_t(HDBFormat::HeaderSize + block.size()));
    HDBFormat::writeLE32(bytes.data() + 8, 1);
    HDBFormat::writeLE32(bytes.data() + 12, std::uint32_t(block.size()));
    bytes.insert(bytes.end(), block.begin(), block.end());
    std::vector<std::uint8_t> page(HDBFormat::pageReadSize(0), 0);
    HDBFormat::writeLE32(page.data() + HDBFormat::PageCountOffset, n);
    bytes.insert(bytes.end(), page.begin(), page.end());
    const std::string path = dir + "/" + name + ".hdb";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool ok = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out && std::fclose(out) != 0)
        return false;
    if (!ok)
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
    return ok;
}

std::string placeName(int i) {
    static const char* const stems[] = {"MAIN", "MAR", "KAS", "LIM", "M\xDCN", "FUL", "WOR", "ALZ"};
    return std::string(stems[i % 8]) + char('A' + i / 8 % 26) + char('A' + i / 208 % 26);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const char* codeword : {"", "Kennmark"}) {
        const std::string suffix = *codeword ? "_cw" : "_plain";
        for (int count : {0, 3, 254, 300}) {
            HDBWriter w({{"ORT", HDBFormat::TypeText, 12, 0},
                         {"RELATION", HDBFormat::TypeNumber, 6, 0},
                         {"R_WERT", HDBFormat::TypeNumber, 10, 1},
                         {"KAT", HDBFormat::TypeByte, 1, 0},
                         {"N2", HDBFormat::TypeNumber, 4, 0}},
                        codeword);
            for (int i = 0; i < count; ++i)
                w.addRecord({placeName(i), std::int64_t(i), 3400000.0 + i, std::int64_t(i % 7), std::int64_t(i)});
            ok &= save(dir, "places" + std::to_string(count) + suffix, w);
        }
        // Tiny records make a two-level tree from few bytes.
        HDBWriter tiny({{"MIN_H", HDBFormat::TypeNumber, 4, 0}}, codeword);
        for (int i = 0; i < 600; ++i)
            tiny.addRecord({std::int64_t(i * 3)});
        ok &= save(dir, "tiny" + suffix, tiny);
    }
    // Reading a field of such a file once passed the empty record buffer's
    // null pointer to memchr.
    ok &= saveEmptyRecords(dir, "empty_records0", 0);
    ok &= saveEmptyRecords(dir, "empty_records3", 3);
    return ok ? 0 : 1;
}
