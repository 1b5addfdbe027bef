// The overlay layer over the map window, on the offscreen platform: a map of
// 8000 x 6000 pixels at 5 metres per pixel (Gauss-Krüger strip 3) in a
// 1920 x 1080 client area, at zoom 1 and zoom 0.125, with
// - a full repaint of the map alone (the yardstick),
// - a full repaint with the overlay painted by the layer in the window's
//   paint, as the program does it,
// - the layer alone painting into an image of the client area, from the
//   picture it keeps of its last view and for views it has not drawn,
// for a track of 100 000 points (a GPS recording meandering over the whole
// map) and for 10 000 symbols spread over it. The second argument 0 turns
// off skipping what lies outside the window, for comparison.
#include "BenchMap.h"
#include "DrawTreeItem.h"
#include "StdDrawStrategies.h"
#include "TolmWindow.h"
#include "UserDrawLayer.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr int MapWidth = BenchMap::Width;
constexpr int MapHeight = BenchMap::Height;
constexpr int ClientWidth = BenchMap::ClientWidth;
constexpr int ClientHeight = BenchMap::ClientHeight;
constexpr double Metres = 5.0;
constexpr double Easting = 3480000.0;
constexpr double Northing = 5530000.0;

using BenchMap::application;

QString bigMap() {
    // x = R1 + a R3 - b R4, y = R2 + a R4 + b R3 with a = northing, b = easting.
    Georeference georef;
    georef.kind = 255;
    georef.zone = 3;
    georef.r[0] = -Easting / Metres;
    georef.r[1] = Northing / Metres;
    georef.r[2] = 0;
    georef.r[3] = -1.0 / Metres;
    static const QString path = BenchMap::writePatternMap(georef);
    return path;
}

// A Gauss-Krüger position at map pixel (x, y).
Coord onMap(double x, double y) {
    Coord c{};
    c.type = 1;
    c.x = Northing - y * Metres;
    c.y = Easting + x * Metres;
    return c;
}

// The paint event of the map window: its client area, its conversion.
class WindowPaint : public MapEventInfo {
public:
    explicit WindowPaint(TTolmWindow& window) : m_window(window) {}
    QRect ViewRect() const override { return m_window.viewport()->rect().adjusted(0, 0, 0, -lower); }
    bool Transform(const Coord& from, Coord& to) const override { return m_window.TransformCoords(from, to); }

    // Pixels left off the bottom of the view: another view to the layer.
    int lower = 0;

private:
    TTolmWindow& m_window;
};

// The element tree of one benchmark: a track or a set of symbols below the root.
struct Overlay {
    explicit Overlay(bool track) : app(application()) {
        (new DrawTreeFolder)->insertInto(tree, nullptr, TDrawTreeView::RootText);
        QRandomGenerator random(20261207);
        if (track) {
            // A recording that meanders over the whole map: slow turns, steps
            // of a few metres, 100 000 fixes.
            auto geometry = std::make_unique<StdDrawObject>();
            double x = 400;
            double y = 300;
            double heading = 0.3;
            for (int i = 0; i < 100000; ++i) {
                heading += (random.generateDouble() - 0.5) * 0.35;
                // Turn back from the edges.
                if (x < 200 || x > MapWidth - 200 || y < 200 || y > MapHeight - 200) {
                    const double home = std::atan2(MapHeight / 2.0 - y, MapWidth / 2.0 - x);
                    heading += std::remainder(home - heading, 2 * M_PI) * 0.1;
                }
                x += std::cos(heading) * 3.0;
                y += std::sin(heading) * 3.0;
                geometry->points.push_back(onMap(x, y));
            }
            StdDrawAppearance a = StdDrawLineAreaStrategy::instance().defaultAppearance();
            a.strategy = &StdDrawLineAreaStrategy::instance();
            (new DrawTreeObject(a, geometry))->insertInto(tree, tree.root(), QStringLiteral("Track"));
        } else {
            StdDrawAppearance a = StdDrawSymbolStrategy::instance().defaultAppearance();
            a.strategy = &StdDrawSymbolStrategy::instance();
            for (int i = 0; i < 10000; ++i) {
                auto geometry = std::make_unique<StdDrawObject>();
                geometry->points.push_back(onMap(random.bounded(MapWidth), random.bounded(MapHeight)));
                (new DrawTreeObject(a, geometry))->insertInto(tree, tree.root(), QStringLiteral("Form"));
            }
        }
    }
    QApplication& app;
    TDrawTreeView tree;
};

Overlay& track() {
    static Overlay* overlay = new Overlay(true);
    return *overlay;
}

Overlay& symbols() {
    static Overlay* overlay = new Overlay(false);
    return *overlay;
}

// The map window at a zoom, centred on the map; its map closed and the
// window gone at the end.
struct BenchWindow {
    explicit BenchWindow(double zoom) {
        w = BenchMap::openWindow(bigMap(), zoom);
        w->SetCenterPos(onMap(MapWidth / 2.0, MapHeight / 2.0));
        QApplication::processEvents();
    }
    ~BenchWindow() {
        w->SetPathName(QString(), false);
        delete w;
    }
    // The layer paints after the map in every paint of the window.
    void paintOverlay(Overlay& overlay) {
        layer = std::make_unique<UserDrawLayer>(overlay.tree);
        w->OnPaint = [this](TTolmWindow*, TPaintRecord& record) {
            WindowPaint info(*w);
            info.canvas = record.painter;
            layer->Paint(info);
        };
    }
    TTolmWindow* w = nullptr;
    std::unique_ptr<UserDrawLayer> layer;
};

double zoomOf(const benchmark::State& state) {
    return double(state.range(0)) / 1000.0;
}

void fullRepaints(benchmark::State& state, BenchWindow& window) {
    if (!window.w->MapHandle()) {
        state.SkipWithError("no map");
        return;
    }
    for (auto _ : state) {
        window.w->viewport()->update();
        QApplication::processEvents();
    }
}

void BM_MapRepaint(benchmark::State& state) {
    BenchWindow window(zoomOf(state));
    fullRepaints(state, window);
}

void repaintWith(benchmark::State& state, Overlay& overlay) {
    StdDrawStrategies::setSkipOutside(state.range(1) != 0);
    BenchWindow window(zoomOf(state));
    window.paintOverlay(overlay);
    fullRepaints(state, window);
    StdDrawStrategies::setSkipOutside(true);
}

void BM_MapRepaintWithTrack(benchmark::State& state) {
    repaintWith(state, track());
}

void BM_MapRepaintWithSymbols(benchmark::State& state) {
    repaintWith(state, symbols());
}

// The layer alone, into an image of the client area: a repaint of the view
// it drew last (argument 1 = 1, the picture it kept serves), or of a view it
// has not drawn before (1 = 0: the view one pixel lower every other paint,
// every element drawn anew, with or without skipping what lies outside).
void layerAlone(benchmark::State& state, Overlay& overlay) {
    StdDrawStrategies::setSkipOutside(state.range(1) != 0);
    BenchWindow window(zoomOf(state));
    UserDrawLayer layer(overlay.tree);
    QImage image(ClientWidth, ClientHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    WindowPaint info(*window.w);
    info.canvas = &painter;
    const bool newViews = state.range(2) != 0;
    for (auto _ : state) {
        if (newViews)
            info.lower ^= 1;
        layer.Paint(info);
    }
    StdDrawStrategies::setSkipOutside(true);
}

void BM_LayerTrack(benchmark::State& state) {
    layerAlone(state, track());
}

void BM_LayerSymbols(benchmark::State& state) {
    layerAlone(state, symbols());
}

// Only the conversion of every vertex into window pixels, which any drawing
// of the overlay needs: the floor under the layer's time.
void convertAll(benchmark::State& state, Overlay& overlay) {
    BenchWindow window(zoomOf(state));
    WindowPaint info(*window.w);
    std::vector<const QTreeWidgetItem*> nodes;
    for (int i = 0; i < overlay.tree.root()->childCount(); ++i)
        nodes.push_back(overlay.tree.root()->child(i));
    for (auto _ : state) {
        double sum = 0;
        for (const QTreeWidgetItem* node : nodes) {
            const auto* object = static_cast<const DrawTreeObject*>(itemOf(node));
            for (const Coord& c : object->geometry().points) {
                Coord to{};
                to.type = 0xC001;
                if (info.Transform(c, to))
                    sum += to.x;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ConvertTrack(benchmark::State& state) {
    convertAll(state, track());
}

void BM_ConvertSymbols(benchmark::State& state) {
    convertAll(state, symbols());
}

} // namespace

// Zoom in thousandths; skipping what lies outside on (1) or off (0).
BENCHMARK(BM_MapRepaint)->Args({1000, 1})->Args({125, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapRepaintWithTrack)->Args({1000, 1})->Args({125, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapRepaintWithSymbols)->Args({1000, 1})->Args({125, 1})->Unit(benchmark::kMillisecond);
// Zoom in thousandths, skipping on (1) or off (0), the kept picture (0) or
// a new view every paint (1).
void layerCases(benchmark::internal::Benchmark* b) {
    for (const auto& [skip, newView] : {std::pair{1, 0}, std::pair{1, 1}, std::pair{0, 1}})
        for (int zoom : {1000, 125})
            b->Args({zoom, skip, newView});
}
BENCHMARK(BM_LayerTrack)->Apply(layerCases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayerSymbols)->Apply(layerCases)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertTrack)->Args({1000, 1})->Args({125, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertSymbols)->Args({1000, 1})->Args({125, 1})->Unit(benchmark::kMillisecond);
