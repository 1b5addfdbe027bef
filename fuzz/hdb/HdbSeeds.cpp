// Writes the seed corpus of the HDB fuzz target into the folder given as the
// first argument: small files of each field kind, with and without the code
// word, with one page and with two levels.
#include <HDBFormat.h>
#include <HDBWriter.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

bool save(const std::string& dir, const std::string& name, HDBWriter& w) {
    if (!w.write(dir + "/" + name + ".hdb")) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), w.errorString().c_str());
        return false;
    }
    return true;
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
    return ok ? 0 : 1;
}
