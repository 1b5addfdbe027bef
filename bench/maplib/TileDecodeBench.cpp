// Decoding throughput of map tiles, in MB of decoded pixels per second, for
// run-length and bzip2 tiles of a map-like picture, side by side with a plain
// memcpy of the same decoded bytes and with libbz2 called directly on the same
// compressed data. Compare the bytes_per_second columns of one run.
#include "ImageSource.h"
#include "TileDecoder.h"
#include "TlmWriter.h"

#include <benchmark/benchmark.h>
#include <bzlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int MapSize = 2048;
constexpr int Tile = 256;

// A topographic-looking 8-bit map: large uniform areas (fields, forest,
// water), roads and contour lines, and blocks of lettering.
std::vector<uint8_t> makeMap() {
    std::vector<uint8_t> map(std::size_t(MapSize) * MapSize);
    std::mt19937 rng(42);
    for (int y = 0; y < MapSize; ++y)
        for (int x = 0; x < MapSize; ++x) {
            const int area = ((x / 300) * 7 + (y / 220) * 3) % 5;
            map[std::size_t(y) * MapSize + std::size_t(x)] = uint8_t(10 + area);
        }
    auto plot = [&](int x, int y, uint8_t v) {
        if (x >= 0 && y >= 0 && x < MapSize && y < MapSize)
            map[std::size_t(y) * MapSize + std::size_t(x)] = v;
    };
    // Contour lines: wavy, one pixel wide.
    for (int c = 0; c < 40; ++c)
        for (int x = 0; x < MapSize; ++x)
            plot(x, c * 51 + int(12 * std::sin(x / 37.0 + c)), 40);
    // Roads: straight, three pixels wide, in two colours.
    for (int r = 0; r < 12; ++r) {
        const int x0 = int(rng() % MapSize), y0 = int(rng() % MapSize);
        const double dx = std::cos(r * 0.7), dy = std::sin(r * 0.7);
        for (int t = -MapSize; t < MapSize; ++t)
            for (int w = -1; w <= 1; ++w)
                plot(x0 + int(t * dx) + w, y0 + int(t * dy), uint8_t(w == 0 ? 60 : 61));
    }
    // Lettering: 6 × 9 glyph cells of random strokes in words.
    for (int word = 0; word < 600; ++word) {
        const int x0 = int(rng() % MapSize), y0 = int(rng() % MapSize);
        const int letters = 3 + int(rng() % 9);
        for (int l = 0; l < letters; ++l)
            for (int gy = 0; gy < 9; ++gy)
                for (int gx = 0; gx < 5; ++gx)
                    if (rng() % 3 == 0)
                        plot(x0 + l * 6 + gx, y0 + gy, 0);
    }
    return map;
}

struct Tiles {
    std::vector<std::vector<uint8_t>> decoded;
    std::vector<std::vector<uint8_t>> runLength;
    std::vector<std::vector<uint8_t>> bzip2;
    std::size_t decodedBytes = 0;
};

const Tiles& tiles() {
    static const Tiles t = [] {
        Tiles t;
        const std::vector<uint8_t> map = makeMap();
        for (int ty = 0; ty < MapSize / Tile; ++ty)
            for (int tx = 0; tx < MapSize / Tile; ++tx) {
                std::vector<uint8_t> tile(std::size_t(Tile) * Tile);
                for (int y = 0; y < Tile; ++y)
                    std::memcpy(tile.data() + std::size_t(Tile - 1 - y) * Tile,
                                map.data() + std::size_t(ty * Tile + y) * MapSize + std::size_t(tx * Tile), Tile);
                std::vector<uint8_t> rle;
                TlmWriter::encodeRunLength(tile.data(), tile.size(), rle);
                unsigned int len = unsigned(tile.size() * 2 + 600);
                std::vector<uint8_t> bz(len);
                BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(bz.data()), &len, reinterpret_cast<char*>(tile.data()),
                                         unsigned(tile.size()), 9, 0, 0);
                bz.resize(len);
                t.decodedBytes += tile.size();
                t.decoded.push_back(std::move(tile));
                t.runLength.push_back(std::move(rle));
                t.bzip2.push_back(std::move(bz));
            }
        return t;
    }();
    return t;
}

void report(benchmark::State& state, const std::vector<std::vector<uint8_t>>& coded) {
    std::size_t codedBytes = 0;
    for (const auto& c : coded)
        codedBytes += c.size();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(tiles().decodedBytes));
    state.counters["ratio"] = double(tiles().decodedBytes) / double(codedBytes);
}

void BM_Memcpy(benchmark::State& state) {
    const Tiles& t = tiles();
    std::vector<uint8_t> out(std::size_t(Tile) * Tile);
    for (auto _ : state)
        for (const auto& tile : t.decoded) {
            std::memcpy(out.data(), tile.data(), tile.size());
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    report(state, t.decoded);
}

// Argument: the register width in bytes (64, 32 or 16) the decoder may use;
// the width it did use is reported.
void BM_RunLengthDecoder(benchmark::State& state) {
    const Tiles& t = tiles();
    std::vector<uint8_t> out(std::size_t(Tile) * Tile);
    RunLengthDecoder decoder;
    const int before = RunLengthDecoder::width();
    RunLengthDecoder::setWidth(int(state.range(0)));
    state.counters["width"] = RunLengthDecoder::width();
    for (auto _ : state)
        for (const auto& coded : t.runLength) {
            if (!decoder.decode(coded.data(), coded.size(), out.data(), out.size()))
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    report(state, t.runLength);
    RunLengthDecoder::setWidth(before);
}

void BM_Bzip2Decoder(benchmark::State& state) {
    const Tiles& t = tiles();
    std::vector<uint8_t> out(std::size_t(Tile) * Tile);
    Bzip2Decoder decoder;
    for (auto _ : state)
        for (const auto& coded : t.bzip2) {
            if (!decoder.decode(coded.data(), coded.size(), out.data(), out.size()))
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(out.data());
        }
    report(state, t.bzip2);
}

void BM_Bzip2Direct(benchmark::State& state) {
    const Tiles& t = tiles();
    std::vector<uint8_t> out(std::size_t(Tile) * Tile);
    for (auto _ : state)
        for (const auto& coded : t.bzip2) {
            unsigned int len = unsigned(out.size());
            if (BZ2_bzBuffToBuffDecompress(reinterpret_cast<char*>(out.data()), &len,
                                           const_cast<char*>(reinterpret_cast<const char*>(coded.data())),
                                           unsigned(coded.size()), 0, 0) != BZ_OK)
                state.SkipWithError("decode failed");
            benchmark::DoNotOptimize(out.data());
        }
    report(state, t.bzip2);
}

// The whole reader path: offset table, file read and decode of every tile of
// a written map (from the page cache).
void readMap(benchmark::State& state, uint32_t compression) {
    const Tiles& t = tiles();
    const std::string path = (std::filesystem::temp_directory_path() / ("maplib-bench-" + std::to_string(::getpid()) +
                                                                        "-" + std::to_string(compression) + ".tlm"))
                                 .string();
    {
        const std::vector<uint8_t> map = makeMap();
        TlmWriter::Options o;
        o.compression = compression;
        o.tileWidth = Tile;
        o.tileHeight = Tile;
        o.palette.resize(256);
        if (!TlmWriter::write(path, MapSize, MapSize, map.data(), MapSize, o)) {
            state.SkipWithError("cannot write the map");
            return;
        }
    }
    ImageSource* source = ImageSource::open(path);
    std::filesystem::remove(path);
    if (!source) {
        state.SkipWithError("cannot open the map");
        return;
    }
    std::vector<uint8_t> out(source->tileBufferBytes());
    for (auto _ : state)
        for (int r = 0; r < source->tileRows(); ++r)
            for (int c = 0; c < source->tilesPerRow(); ++c) {
                source->readTile(c, r, out.data(), out.size());
                benchmark::DoNotOptimize(out.data());
            }
    source->release();
    report(state, compression == 1 ? t.runLength : t.bzip2);
}

void BM_TlmReadTileRunLength(benchmark::State& state) {
    readMap(state, 1);
}
void BM_TlmReadTileBzip2(benchmark::State& state) {
    readMap(state, 2);
}

} // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_RunLengthDecoder)->Arg(64)->Arg(32)->Arg(16);
BENCHMARK(BM_TlmReadTileRunLength);
BENCHMARK(BM_Bzip2Direct);
BENCHMARK(BM_Bzip2Decoder);
BENCHMARK(BM_TlmReadTileBzip2);
