// Repaint speed of the map drawing on a 1920 × 1080 view of an 8-bit map of
// 16 000 × 16 000 pixels (256 × 256 tiles, run-length or bzip2), side by side
// with what it is measured against:
//
// - BM_IndexedToRgb32: 1920 × 1080 indexed pixels through a 256-entry colour
//   table into an RGB32 buffer, the least a repaint of 8-bit pixels costs;
//   BM_WarmRepaint/<zoom × 1000>/<compression> draws the view with all caches
//   warm.
// - BM_DecodeTiles/<zoom × 1000>/<compression>: reading and decoding exactly
//   the tiles of the view on one thread; BM_ColdRepaint/<zoom ×
//   1000>/<compression>/<threads> draws it with empty caches, decoding the
//   tiles and making their display tiles on one thread (1) or on all cores
//   (0); its CPU column counts every thread.
// - BM_Pan/<zoom × 1000>/<display cache>: 100 repaints while the origin moves
//   16 pixels down each, without (0) and with (1) the cache of display tiles;
//   the map is larger than the tile cache budget.
//
// Compare items_per_second (screen pixels) or the per-repaint time counter of
// one run. The maps are written once into the temporary folder and reused
// (the bzip2 map takes a while the first time).
#include "DisplayTileCache.h"
#include "ImageSource.h"
#include "MapHandle.h"
#include "TileCache.h"
#include "TilePrefetch.h"
#include "TlmWriter.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace {

constexpr int MapSide = 16000;
constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;

// A topographic-looking row: uniform areas, contour lines, roads, lettering.
void mapRow(int y, std::vector<uint8_t>& row) {
    for (int x = 0; x < MapSide; ++x) {
        uint8_t v = uint8_t(10 + ((x / 300) * 7 + (y / 220) * 3) % 5);
        const int contour = (y + int(12 * std::sin(x / 37.0 + y / 2000))) % 51;
        if (contour == 0)
            v = 40;
        if ((x + y) % 997 < 3 || (x - y + 20000) % 1499 < 3)
            v = 60; // roads
        const uint32_t h = uint32_t(x / 6) * 2654435761u ^ uint32_t(y / 9) * 40503u;
        if ((h >> 7) % 61 == 0 && ((x * 7 + y * 3) % 3) == 0)
            v = 0; // lettering
        row[std::size_t(x)] = v;
    }
}

std::string writeMap(uint32_t compression) {
    const std::string p = (std::filesystem::temp_directory_path() /
                           ("vistrel-bench-mapdraw-16000" + std::string(compression == 2 ? "-bz2" : "") + ".tlm"))
                              .string();
    if (std::filesystem::exists(p)) {
        if (ImageSource* s = ImageSource::open(p)) {
            const bool ok = s->imageWidth() == MapSide && s->imageHeight() == MapSide;
            s->release();
            if (ok)
                return p;
        }
    }
    TlmWriter::Options o;
    o.variant = TlmWriter::Variant::B;
    o.compression = compression;
    o.bitCount = 8;
    for (int i = 0; i < 256; ++i)
        o.palette.push_back(RgbQuad{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3), 0});
    TlmWriter writer(p, MapSide, MapSide, o);
    std::vector<uint8_t> row(MapSide);
    bool ok = writer.begin();
    for (int y = 0; ok && y < MapSide; ++y) {
        mapRow(y, row);
        ok = writer.writeRows(row.data(), 1, row.size());
    }
    if (!ok || !writer.finish())
        std::fprintf(stderr, "cannot write %s: %s\n", p.c_str(), writer.error().c_str());
    return p;
}

// The map of compression 1 (run-length) or 2 (bzip2).
const std::string& mapPath(int64_t compression = 1) {
    static const std::string runLength = writeMap(TlmWriter::RunLength);
    if (compression != 2)
        return runLength;
    static const std::string bzip2 = writeMap(TlmWriter::Bzip2);
    return bzip2;
}

double zoomOf(const benchmark::State& state) {
    return double(state.range(0)) / 1000.0;
}

// The view's origin: the middle of the zoomed map, so that the view is full.
QPoint centreOrigin(const MapHandle& map) {
    return QPoint(std::max(0, (map.width() - ViewWidth) / 2), std::max(0, (map.height() - ViewHeight) / 2));
}

void reportMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

struct View {
    std::unique_ptr<MapHandle> map;
    QImage image{ViewWidth, ViewHeight, QImage::Format_RGB32};
    QPoint origin;
    explicit View(double zoom, int64_t compression = 1) : map(MapHandle::open(mapPath(compression))) {
        if (map) {
            map->setZoom(zoom);
            origin = centreOrigin(*map);
        }
        image.fill(Qt::white);
    }
    void draw(const QPoint& at) {
        QPainter painter(&image);
        map->draw(painter, image.rect(), nullptr, at.x(), at.y());
    }
};

void BM_IndexedToRgb32(benchmark::State& state) {
    std::vector<uint8_t> pixels(std::size_t(ViewWidth) * ViewHeight);
    std::mt19937 rng(7);
    for (auto& p : pixels)
        p = uint8_t(rng());
    uint32_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = 0xFF000000u | uint32_t(i * 0x010101);
    std::vector<uint32_t> out(pixels.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < pixels.size(); ++i)
            out[i] = table[pixels[i]];
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ViewWidth * ViewHeight);
}

void BM_WarmRepaint(benchmark::State& state) {
    TileCache::instance().clear();
    DisplayTileCache::instance().clear();
    View view(zoomOf(state), state.range(1));
    if (!view.map) {
        state.SkipWithError("map does not open");
        return;
    }
    view.draw(view.origin);
    for (auto _ : state) {
        view.draw(view.origin);
        benchmark::DoNotOptimize(view.image.constBits());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ViewWidth * ViewHeight);
    reportMemory(state);
}

void BM_ColdRepaint(benchmark::State& state) {
    View view(zoomOf(state), state.range(1));
    if (!view.map) {
        state.SkipWithError("map does not open");
        return;
    }
    const int allThreads = TilePrefetch::threadCount();
    TilePrefetch::setThreadCount(state.range(2) == 0 ? allThreads : int(state.range(2)));
    state.counters["threads"] = TilePrefetch::threadCount();
    for (auto _ : state) {
        state.PauseTiming();
        TileCache::instance().clear();
        DisplayTileCache::instance().clear();
        state.ResumeTiming();
        view.draw(view.origin);
        benchmark::DoNotOptimize(view.image.constBits());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ViewWidth * ViewHeight);
    reportMemory(state);
    TilePrefetch::setThreadCount(allThreads);
}

// Reads and decodes the tiles the view at this zoom covers, nothing else.
void BM_DecodeTiles(benchmark::State& state) {
    View view(zoomOf(state), state.range(1));
    if (!view.map) {
        state.SkipWithError("map does not open");
        return;
    }
    ImageSource* source = view.map->source();
    const int tdw = view.map->tileDisplayWidth(), tdh = view.map->tileDisplayHeight();
    const int c0 = view.origin.x() / tdw, c1 = std::min(view.origin.x() + ViewWidth, view.map->width()) - 1;
    const int r0 = view.origin.y() / tdh, r1 = std::min(view.origin.y() + ViewHeight, view.map->height()) - 1;
    std::vector<uint8_t> buffer(source->tileBufferBytes());
    int64_t tiles = 0;
    for (auto _ : state) {
        for (int r = r0; r <= r1 / tdh; ++r)
            for (int c = c0; c <= c1 / tdw; ++c) {
                source->readTile(c, r, buffer.data(), buffer.size());
                ++tiles;
            }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ViewWidth * ViewHeight);
    state.counters["tiles"] = double(tiles) / double(state.iterations());
}

void BM_Pan(benchmark::State& state) {
    const bool displayCache = state.range(1) != 0;
    DisplayTileCache::instance().setBudget(displayCache ? DisplayTileCache::DefaultBudget : 0);
    TileCache::instance().clear();
    DisplayTileCache::instance().clear();
    View view(zoomOf(state));
    if (!view.map) {
        state.SkipWithError("map does not open");
        return;
    }
    // Down by 16 pixels a repaint, turning back at the bottom of the map.
    const int top = view.origin.y() > 4000 ? 4000 : 0;
    const int bottom = view.map->height() - ViewHeight;
    const int x = std::min(4000, std::max(0, view.map->width() - ViewWidth));
    view.draw(QPoint(x, top));
    int64_t repaints = 0;
    for (auto _ : state) {
        int y = top, step = 16;
        for (int i = 0; i < 100; ++i) {
            if (y + step > bottom || y + step < 0)
                step = -step;
            y += step;
            view.draw(QPoint(x, y));
            ++repaints;
        }
        benchmark::DoNotOptimize(view.image.constBits());
    }
    state.SetItemsProcessed(repaints * ViewWidth * ViewHeight);
    // Seconds per repaint (shown with a unit prefix: "1.2m" is 1.2 ms).
    state.counters["per_repaint"] =
        benchmark::Counter(double(repaints), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    reportMemory(state);
    DisplayTileCache::instance().setBudget(DisplayTileCache::DefaultBudget);
}

void zooms(benchmark::internal::Benchmark* b) {
    for (int z : {1000, 500, 250, 125, 2000, 8000})
        b->Args({z, 1});
    for (int z : {1000, 250, 125})
        b->Args({z, 2});
}

void threadedZooms(benchmark::internal::Benchmark* b) {
    for (int compression : {1, 2})
        for (int z : {1000, 250, 125})
            for (int threads : {1, 0})
                b->Args({z, compression, threads});
    for (int z : {500, 2000, 8000})
        for (int threads : {1, 0})
            b->Args({z, 1, threads});
}

BENCHMARK(BM_IndexedToRgb32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WarmRepaint)->Apply(zooms)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeTiles)->Apply(zooms)->Unit(benchmark::kMillisecond);
// Wall time, and the CPU time of all threads (the decoding pool included).
BENCHMARK(BM_ColdRepaint)->Apply(threadedZooms)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pan)->Args({1000, 0})->Args({1000, 1})->Args({125, 0})->Args({125, 1})->Iterations(1)->Unit(
    benchmark::kMillisecond);

} // namespace
