// The boundary lines of a demo medium (VISTREL_BENCH_MEDIUM, made with
// "vistrel-tool make-medium DIR --size medium") over the regional map in a
// 1920 x 1080 client area on the offscreen platform, at zoom 1 and 0.125
// (the argument is the zoom in thousandths), with all three levels shown as
// "&Gemeindegrenzen" shows them:
// - a full repaint of the map window alone;
// - the same repaint with the boundaries painted over the map;
// - the boundaries alone, drawn onto a picture of the window's size, for a
//   view shown before (the picture of its lines is kept) and for a view
//   moved by a pixel since the last paint (the lines are drawn anew).
#include "BenchMap.h"
#include "BoundaryModule.h"
#include "DataMedium.h"
#include "TolmWindow.h"
#include "VectorLinePainter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int ClientWidth = 1920;
constexpr int ClientHeight = 1080;

QString mediumDirectory() {
    const char* dir = std::getenv("VISTREL_BENCH_MEDIUM");
    return dir ? QDir(QString::fromLocal8Bit(dir)).absolutePath() + QLatin1Char('/') : QString();
}

// A paint of the bench window: its client area and its conversions, as the
// main map's events give them.
class WindowPaint : public MapEventInfo {
public:
    WindowPaint(TTolmWindow& window, QPainter* painter, int lower = 0) : m_window(window), m_lower(lower) {
        handler = &MapEventListener::Paint;
        canvas = painter;
    }
    QRect ViewRect() const override { return m_window.viewport()->rect().adjusted(0, 0, 0, -m_lower); }
    bool Transform(const Coord& from, Coord& to) const override { return m_window.TransformCoords(from, to); }

private:
    TTolmWindow& m_window;
    int m_lower;
};

struct Counts {
    double segments = 0;
    double read = 0;
};

// The regional map of the medium centred on its start position, and the
// painter over its boundary files with all levels shown.
struct Bench {
    explicit Bench(double zoom) {
        BenchMap::application("bench_boundaries");
        const QString medium = mediumDirectory();
        QFile cd(medium + QStringLiteral("KARTEN/CD.TXT"));
        int cdNumber = 1;
        double easting = 0, northing = 0;
        if (cd.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = cd.readAll().split('\n');
            if (lines.size() >= 3) {
                cdNumber = lines[0].trimmed().toInt();
                easting = lines[1].trimmed().toDouble();
                northing = lines[2].trimmed().toDouble();
            }
        }
        window = std::make_unique<TTolmWindow>();
        window->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        window->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        window->resize(ClientWidth, ClientHeight);
        window->show();
        window->SetPathName(medium + QStringLiteral("KARTEN/") + DataMedium::regionalMapFile(cdNumber), false);
        window->setZoomFactor(zoom);
        Coord centre{};
        centre.type = 1;
        centre.x = northing;
        centre.y = easting;
        window->SetCenterPos(centre);
        QApplication::processEvents();
        painter = std::make_unique<VectorLinePainter>(
            medium + QStringLiteral("DATEN/GRENZ"), 3,
            std::vector<QPen>{QPen(QColor(255, 0, 255), 4), QPen(QColor(255, 0, 255), 3), QPen(QColor(255, 0, 255), 2)},
            1400.0, BoundaryModule::CodeWord);
        painter->SetLevelCount(3);
    }
    ~Bench() {
        window->OnPaint = nullptr;
        window->SetPathName(QString(), false);
    }
    // False (the benchmark skipped) without a medium.
    bool ready(benchmark::State& state) const {
        if (window->MapHandle() != 0)
            return true;
        state.SkipWithError("no medium: set VISTREL_BENCH_MEDIUM");
        return false;
    }
    void count() {
        for (const VectorLinePainter::LevelStats& s : painter->LastPaint()) {
            counts.segments += s.drawn;
            counts.read += s.read;
        }
    }
    void report(benchmark::State& state) {
        const double n = double(state.iterations());
        state.counters["lines"] = counts.segments / n;
        state.counters["read"] = counts.read / n;
    }
    std::unique_ptr<TTolmWindow> window;
    std::unique_ptr<VectorLinePainter> painter;
    Counts counts;
};

void repaint(TTolmWindow& window) {
    window.viewport()->update();
    QApplication::processEvents();
}

void BM_FullRepaint(benchmark::State& state) {
    Bench bench(double(state.range(0)) / 1000.0);
    if (!bench.ready(state))
        return;
    for (auto _ : state)
        repaint(*bench.window);
}
BENCHMARK(BM_FullRepaint)->Arg(1000)->Arg(125)->Unit(benchmark::kMillisecond);

void BM_FullRepaintWithBoundaries(benchmark::State& state) {
    Bench bench(double(state.range(0)) / 1000.0);
    if (!bench.ready(state))
        return;
    bench.window->OnPaint = [&bench](TTolmWindow* sender, TPaintRecord& record) {
        WindowPaint info(*sender, record.painter);
        bench.painter->Paint(info);
        bench.count();
    };
    QApplication::processEvents();
    bench.counts = Counts();
    for (auto _ : state)
        repaint(*bench.window);
    bench.report(state);
}
BENCHMARK(BM_FullRepaintWithBoundaries)->Arg(1000)->Arg(125)->Unit(benchmark::kMillisecond);

void BM_BoundariesOnly(benchmark::State& state) {
    Bench bench(double(state.range(0)) / 1000.0);
    if (!bench.ready(state))
        return;
    QImage picture(bench.window->viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter canvas(&picture);
        WindowPaint info(*bench.window, &canvas);
        bench.painter->Paint(info);
        bench.count();
    }
    bench.report(state);
}
BENCHMARK(BM_BoundariesOnly)->Arg(1000)->Arg(125)->Unit(benchmark::kMillisecond);

// The boundaries of a view not drawn before (the view one pixel lower every
// other paint), as after a jump or a zoom: every paint draws the lines anew.
void BM_BoundariesMovedView(benchmark::State& state) {
    Bench bench(double(state.range(0)) / 1000.0);
    if (!bench.ready(state))
        return;
    QImage picture(bench.window->viewport()->size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        QPainter canvas(&picture);
        WindowPaint info(*bench.window, &canvas, ++step & 1);
        bench.painter->Paint(info);
        bench.count();
    }
    bench.report(state);
}
BENCHMARK(BM_BoundariesMovedView)->Arg(1000)->Arg(125)->Unit(benchmark::kMillisecond);

} // namespace
