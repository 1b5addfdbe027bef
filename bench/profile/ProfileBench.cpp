// What dragging a vertex of the profile line costs: the profile of a line of
// 50 points is built again (conversion and length of every point) and its
// graph drawn with support points every 2 of 1000 graph pixels, from an
// elevation model of 16 x 16 km read nearest and bilinear; beside it one
// full repaint of a 1920 x 1080 map window over a generated 8000 x 6000 map,
// on the offscreen platform.
#include "BenchMap.h"
#include "DhmModel.h"
#include "DhmPath.h"
#include "TlmWriter.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int MapWidth = BenchMap::Width, MapHeight = BenchMap::Height;
constexpr int DemSize = 400; // nodes, 40 m apart
constexpr double E0 = 3400000, N0 = 5500000;

using BenchMap::application;

QTemporaryDir& folder() {
    static QTemporaryDir* dir = new QTemporaryDir;
    return *dir;
}

// Hills and valleys of some 300 m.
bool writeModel(const QString& path) {
    TlmWriter::Options o;
    o.compression = TlmWriter::Bzip2;
    o.tileWidth = 128;
    o.tileHeight = 128;
    o.bitCount = 16;
    o.georef.kind = 1;
    o.georef.zone = 3;
    o.georef.r[0] = E0;
    o.georef.r[1] = E0 + DemSize * 40.0;
    o.georef.r[2] = N0 + DemSize * 40.0;
    o.georef.r[3] = N0;
    std::vector<uint8_t> pixels(std::size_t(DemSize) * DemSize * 2);
    for (int y = 0; y < DemSize; ++y)
        for (int x = 0; x < DemSize; ++x) {
            const int v = int(3000 + 1500 * std::sin(x * 0.05) * std::cos(y * 0.037) + 5 * ((x * 7 + y * 13) % 11));
            pixels[(std::size_t(y) * DemSize + x) * 2] = uint8_t(v);
            pixels[(std::size_t(y) * DemSize + x) * 2 + 1] = uint8_t(v >> 8);
        }
    return TlmWriter::write(QFile::encodeName(path).toStdString(), DemSize, DemSize, pixels.data(), DemSize * 2, o);
}

QString bigMap() {
    static const QString path = BenchMap::writePatternMap();
    return path;
}

// 50 points zig-zagging across the model, some 60 km of line.
std::vector<Coord> line() {
    std::vector<Coord> points;
    for (int i = 0; i < 50; ++i) {
        Coord c{1, 3};
        c.y = E0 + 1000 + (i % 2 ? 14000 : 0) + (i * 37) % 500;
        c.x = N0 + 1000 + i * 280;
        points.push_back(c);
    }
    return points;
}

// The argument: 1 bilinear heights, 0 nearest pixel.
void BM_ProfileRecomputeAndDraw(benchmark::State& state) {
    application();
    static Modul::DHM* dhm = nullptr;
    if (dhm == nullptr) {
        writeModel(folder().filePath("dgm3.tlm"));
        dhm = new Modul::DHM;
        dhm->open(folder().path());
    }
    if (dhm->model(0) == 0) {
        state.SkipWithError("no model");
        return;
    }
    DHM_Path path(dhm);
    path.flags = DHM_Path::SupportPoints | DHM_Path::Statistics | DHM_Path::HelperLines |
                 (state.range(0) ? DHM_Path::Bilinear : 0);
    std::vector<Coord> points = line();
    // A graph whose plot is 1000 pixels wide.
    QImage probe(1, 1, QImage::Format_RGB32);
    int margins = 0;
    {
        QPainter p(&probe);
        const QFontMetrics fm = p.fontMetrics();
        margins = 5 * fm.horizontalAdvance(QLatin1Char('0')) + fm.horizontalAdvance(QStringLiteral("Wegstrecke")) +
                  2 * fm.horizontalAdvance(QLatin1Char('0'));
    }
    QImage image(1000 + margins, 400, QImage::Format_RGB32);
    int plotWidth = 0;
    std::size_t samples = 0;
    int step = 0;
    for (auto _ : state) {
        // The dragged vertex moves 40 m each time.
        points[25].y = E0 + 8000 + (step++ % 50) * 40;
        path.clear();
        for (const Coord& c : points)
            path.addPoint(c);
        image.fill(Qt::white);
        QPainter painter(&image);
        const DHM_Graph graph = path.draw(painter, image.rect());
        plotWidth = graph.plot.width();
        samples = graph.samples.size();
        benchmark::DoNotOptimize(graph.pathLength);
    }
    state.counters["plot_px"] = plotWidth;
    state.counters["samples"] = double(samples);
}
BENCHMARK(BM_ProfileRecomputeAndDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FullMapRepaint1920x1080(benchmark::State& state) {
    application();
    TTolmWindow* w = BenchMap::openWindow(bigMap());
    if (!w->MapHandle()) {
        state.SkipWithError("no map");
        delete w;
        return;
    }
    Coord centre{};
    centre.type = TLM_COORD_MAP_PIXEL;
    centre.zone = w->MapHandle();
    centre.x = MapWidth / 2;
    centre.y = MapHeight / 2;
    w->SetCenterPos(centre);
    QApplication::processEvents();
    for (auto _ : state) {
        w->viewport()->update();
        QApplication::processEvents();
    }
    w->SetPathName(QString(), false);
    delete w;
}
BENCHMARK(BM_FullMapRepaint1920x1080)->Unit(benchmark::kMillisecond);

} // namespace
