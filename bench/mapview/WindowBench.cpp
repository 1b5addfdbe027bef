// Painting costs of the map window in a 1920 x 1080 client area over a
// generated 8000 x 6000 8-bit map, on the offscreen platform:
// - a scroll step of 16 pixels (the picture moves, a strip is drawn) beside
//   a full repaint of the same window, at zoom 1 and at zoom 1.5 (where
//   drawing the map costs more than copying it);
// - a 40 x 40 marker moved by the dynamic painting beside a full repaint of
//   the window with the double-buffered strategy in place, and a scroll
//   step with that marker.
#include "BenchMap.h"
#include "DynaPaint.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int MapWidth = BenchMap::Width;
constexpr int MapHeight = BenchMap::Height;

using BenchMap::application;

QString bigMap() {
    static const QString path = BenchMap::writePatternMap();
    return path;
}

// Paints and painted pixels, to see what a step costs in area.
struct PaintCount {
    double paints = 0;
    double pixels = 0;
};
PaintCount g_count;

void report(benchmark::State& state) {
    const double n = double(state.iterations());
    state.counters["paints"] = g_count.paints / n;
    state.counters["pixels"] = g_count.pixels / n;
    g_count = PaintCount();
}

TTolmWindow* openWindow(bool dynamic, double zoom = 1.0) {
    TTolmWindow* w = BenchMap::openWindow(bigMap(), zoom);
    if (dynamic)
        DynaPaint::Install(*w);
    Coord centre{};
    centre.type = TLM_COORD_MAP_PIXEL;
    centre.zone = w->MapHandle();
    centre.x = MapWidth * w->ZoomFactor() / 2;
    centre.y = MapHeight * w->ZoomFactor() / 2;
    w->SetCenterPos(centre);
    QApplication::processEvents();
    w->OnPaint = [](TTolmWindow*, TPaintRecord& record) {
        g_count.paints += 1;
        g_count.pixels += double(record.rcPaint.width()) * record.rcPaint.height();
    };
    g_count = PaintCount();
    return w;
}

void finishPaint() {
    QApplication::processEvents();
}

// A window of the benchmark, its map closed and the window gone at the end.
struct BenchWindow {
    explicit BenchWindow(bool dynamic, double zoom = 1.0) : w(openWindow(dynamic, zoom)) {}
    ~BenchWindow() {
        w->SetPathName(QString(), false);
        delete w;
    }
    TTolmWindow* w;
};

struct Marker : DynaPainter {
    QRect box{500, 400, 40, 40};
    void Paint(TTolmWindow&, QPainter& canvas) override {
        canvas.setPen(QPen(Qt::red, 3));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawEllipse(box.adjusted(2, 2, -2, -2));
        DynaPaint::InvalidateRect(box);
    }
};

// A window with the double-buffered strategy and one marker on it.
struct MarkedWindow : BenchWindow {
    MarkedWindow() : BenchWindow(true) {
        DynaPaint::AddPainter(&marker);
        finishPaint();
    }
    ~MarkedWindow() { DynaPaint::RemovePainter(&marker); }
    Marker marker;
};

// Steps of 16 pixels to and fro along the horizontal scroll bar.
void scrollSteps(benchmark::State& state, TTolmWindow* w) {
    QScrollBar* bar = w->horizontalScrollBar();
    int step = 16;
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0)
            step = -step;
        bar->setValue(bar->value() + step);
        finishPaint();
    }
    report(state);
}

void fullRepaints(benchmark::State& state, TTolmWindow* w) {
    for (auto _ : state) {
        w->viewport()->update();
        finishPaint();
    }
    report(state);
}

// The argument is the zoom in percent.
void BM_ScrollStep16(benchmark::State& state) {
    BenchWindow window(false, double(state.range(0)) / 100.0);
    if (!window.w->MapHandle()) {
        state.SkipWithError("no map");
        return;
    }
    scrollSteps(state, window.w);
}
BENCHMARK(BM_ScrollStep16)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);

void BM_FullRepaint(benchmark::State& state) {
    BenchWindow window(false, double(state.range(0)) / 100.0);
    if (!window.w->MapHandle()) {
        state.SkipWithError("no map");
        return;
    }
    fullRepaints(state, window.w);
}
BENCHMARK(BM_FullRepaint)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);

void BM_DynamicMarker40(benchmark::State& state) {
    MarkedWindow window;
    Marker& marker = window.marker;
    int dx = 3;
    for (auto _ : state) {
        if (marker.box.right() > 1800 || marker.box.left() < 100)
            dx = -dx;
        marker.box.translate(dx, 1 - (marker.box.top() % 2) * 2);
        DynaPaint::RepaintDynamic();
    }
    report(state);
}
BENCHMARK(BM_DynamicMarker40)->Unit(benchmark::kMillisecond);

void BM_FullRepaintWithMarker(benchmark::State& state) {
    MarkedWindow window;
    fullRepaints(state, window.w);
}
BENCHMARK(BM_FullRepaintWithMarker)->Unit(benchmark::kMillisecond);

// With a painter the double-buffered strategy draws the whole static
// picture for every paint anyway; a scroll step then also copies the whole
// window to the screen.
void BM_ScrollStep16WithMarker(benchmark::State& state) {
    MarkedWindow window;
    scrollSteps(state, window.w);
}
BENCHMARK(BM_ScrollStep16WithMarker)->Unit(benchmark::kMillisecond);

} // namespace
