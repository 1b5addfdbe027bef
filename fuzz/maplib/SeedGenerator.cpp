// Writes seed inputs for the map library's fuzz targets with the project's own
// writers: fuzz_maplib_seeds DIR (tlm|kmo|bmp|pcx).
#include "RasterWriters.h"
#include "TlmWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> picture(int width, int height, int bitCount) {
    const std::size_t rowBytes = (std::size_t(width) * std::size_t(bitCount) + 7) / 8;
    std::vector<uint8_t> rows(rowBytes * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (std::size_t x = 0; x < rowBytes; ++x)
            rows[std::size_t(y) * rowBytes + x] =
                uint8_t((x / 5 + std::size_t(y) / 3) % 4 + (x == std::size_t(y) ? 9 : 0));
    return rows;
}

std::vector<RgbQuad> palette(int bitCount) {
    std::vector<RgbQuad> p;
    if (bitCount <= 8)
        for (int i = 0; i < (1 << bitCount); ++i)
            p.push_back(RgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
    return p;
}

bool writeTlmSeeds(const std::string& dir) {
    int n = 0;
    bool ok = true;
    const TlmWriter::Variant variants[] = {TlmWriter::Variant::A, TlmWriter::Variant::B, TlmWriter::Variant::C};
    for (TlmWriter::Variant v : variants) {
        for (uint32_t compression : {0u, 1u, 2u}) {
            if (v == TlmWriter::Variant::A && compression != 0)
                continue;
            for (int bits : {1, 4, 8, 16, 24}) {
                TlmWriter::Options o;
                o.variant = v;
                o.compression = compression;
                o.bitCount = bits;
                o.tileWidth = 32;
                o.tileHeight = 8;
                o.palette = palette(bits);
                o.georef.kind = v == TlmWriter::Variant::A ? 1 : uint16_t(bits == 8 ? 255 : 1);
                o.georef.r[0] = 3500000;
                o.georef.r[1] = 3501000;
                o.georef.r[2] = 0.5;
                o.georef.r[3] = 0.25;
                if (v == TlmWriter::Variant::C) {
                    o.layers = {{0x0F, 0, 1, 15, "Grundriss"}, {0xF0, 0, 0x10, 0xF0, "Wald"}};
                    o.extraChunks = {{1, {1, 2, 3, 4}}};
                }
                const int w = 45, h = 20;
                const std::vector<uint8_t> rows = picture(w, h, bits);
                ok &= TlmWriter::write(dir + "/seed" + std::to_string(n++) + ".tlm", w, h, rows.data(),
                                       (std::size_t(w) * bits + 7) / 8, o);
            }
        }
    }
    return ok;
}

bool writeRasterSeeds(const std::string& dir, bool bmp) {
    bool ok = true;
    int n = 0;
    for (int bits : {1, 4, 8, 24}) {
        for (auto [w, h] : {std::pair{13, 7}, std::pair{40, 16}}) {
            const std::vector<uint8_t> rows = picture(w, h, bits);
            const std::size_t stride = (std::size_t(w) * bits + 7) / 8;
            const std::string path = dir + "/seed" + std::to_string(n++) + (bmp ? ".bmp" : ".pcx");
            ok &= bmp ? RasterWriters::writeBmp(path, w, h, bits, palette(bits), rows.data(), stride)
                      : RasterWriters::writePcx(path, w, h, bits, palette(bits), rows.data(), stride);
        }
    }
    return ok;
}

bool writeMosaicSeeds(const std::string& dir) {
    // The fuzz target provides the sheets a.tlm, b.tlm, c.bmp and d.kmo.
    bool ok = RasterWriters::writeSheetMosaic(dir + "/seed0.kmo", 1000, 500,
                                              {{3500000, 5600000, "a.tlm"},
                                               {3501000, 5600000, "B.TLM"},
                                               {3500000, 5600500, "c.bmp"},
                                               {3502000, 5601000, "missing.tlm"}});
    ok &= RasterWriters::writeSheetMosaic(dir + "/seed1.kmo", 2000, 2000,
                                          {{0, 0, "missing.tlm"}, {2000, 0, "d.kmo"}, {0, 2000, "\\a.tlm"}});
    ok &= RasterWriters::writeSheetMosaic(dir + "/seed2.kmo", 1.5, 2.5, {{-10, -10, "b.tlm"}, {10, 10, "a.tlm"}});
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_maplib_seeds DIR tlm|kmo|bmp|pcx\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string kind = argv[2];
    std::filesystem::create_directories(dir);
    bool ok;
    if (kind == "tlm")
        ok = writeTlmSeeds(dir);
    else if (kind == "kmo")
        ok = writeMosaicSeeds(dir);
    else if (kind == "bmp" || kind == "pcx")
        ok = writeRasterSeeds(dir, kind == "bmp");
    else
        return 2;
    return ok ? 0 : 1;
}
