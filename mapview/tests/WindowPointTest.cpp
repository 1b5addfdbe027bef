// Point marks on the map, plain and timed.
#include "MapEvents.h"
#include "MapWindowModule.h"
#include "PointPainter.h"
#include "TolmWindow.h"
#include "WindowTestMaps.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPicture>

#include <gtest/gtest.h>

namespace {

// The map window module as the marks see it: one window, and a record of
// the calls they make.
class FakeModule : public MapWindowModule {
public:
    explicit FakeModule(TTolmWindow& window) : m_window(window) {}
    // What the marks use.
    void SetCentre(const Coord& position, bool showPage) override {
        centred.push_back(position);
        pageShown = showPage;
        m_window.SetCenterPos(position);
    }
    bool Transform(const Coord& from, Coord& to) const override { return m_window.TransformCoords(from, to); }
    void RepaintWindow() override {
        ++repaints;
        m_window.viewport()->update();
    }
    // The rest of the interface.
    void Start() override {}
    TTolmWindow* Window() const override { return &m_window; }
    QWidget* WindowControl() const override { return &m_window; }
    TTolmWindow* ShowMapPage() override { return &m_window; }
    QString MapPath() const override { return m_window.PathName(); }
    void SetMapPath(const QString& path, bool) override { m_window.SetPathName(path, true); }
    bool Position(Coord& out, int alignment) const override { return m_window.GetPos(out, alignment); }
    double Zoom() const override { return m_window.ZoomFactor(); }
    void SetZoom(double zoom, const std::optional<Coord>& centre) override { m_window.SetZoomFactor(zoom, centre); }
    void SetMap(const QString& path, double zoom, const std::optional<Coord>& centre, bool) override {
        m_window.SetMap(path, zoom, centre);
    }
    int32_t TransformEx(const Coord& from, Coord& to) const override { return m_window.TransformCoordsEx(from, to); }

    std::vector<Coord> centred;
    bool pageShown = false;
    int repaints = 0;

private:
    TTolmWindow& m_window;
};

struct MarkedMap {
    WindowTestMaps maps;
    TTolmWindow window;
    FakeModule module{window};
    MarkedMap() {
        window.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        window.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        window.resize(300, 200);
        window.show();
        window.SetPathName(maps.write("a.tlm", 1000, 800), false);
        window.OnPaint = [](TTolmWindow* w, TPaintRecord& record) { MapEvents::DispatchPaint(*w, record); };
    }
    ~MarkedMap() { window.SetPathName(QString(), false); }
};

const QColor Red(255, 0, 0);

// The circle about window pixel (x, y): red on the ring, the map inside.
bool showsRing(const QImage& image, int x, int y) {
    return image.pixelColor(x + 16, y) == Red && image.pixelColor(x - 16, y) == Red &&
           image.pixelColor(x, y - 16) == Red && image.pixelColor(x, y + 16) == Red && image.pixelColor(x, y) != Red &&
           image.pixelColor(x + 20, y) != Red;
}

bool noRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == Red)
                return false;
    return true;
}

} // namespace

TEST(PointPainter, ShowsARedCircleWhereThePointIs) {
    MarkedMap m;
    PointPainter mark;
    mark.Attach();
    EXPECT_FALSE(mark.PositionKnown());
    mark.Show();
    EXPECT_EQ(m.module.repaints, 1);
    // No position yet: nothing drawn, and centring does nothing.
    mark.CentreOn();
    EXPECT_TRUE(m.module.centred.empty());
    EXPECT_TRUE(noRed(grabClient(m.window)));

    mark.SetPosition(WindowTestMaps::gaussKrueger(120, 90));
    EXPECT_TRUE(mark.PositionKnown());
    EXPECT_EQ(m.module.repaints, 2);
    EXPECT_TRUE(showsRing(grabClient(m.window), 120, 90));

    // It stays on its map point when the map scrolls.
    m.window.SetCenterPos(WindowTestMaps::gaussKrueger(200, 150));
    EXPECT_TRUE(showsRing(grabClient(m.window), 120 - 50, 90 - 50));

    mark.Hide();
    mark.Hide();
    EXPECT_EQ(m.module.repaints, 3);
    EXPECT_TRUE(noRed(grabClient(m.window)));
    // Hidden, a new position needs no repaint.
    mark.SetPosition(WindowTestMaps::gaussKrueger(500, 400));
    EXPECT_EQ(m.module.repaints, 3);

    mark.CentreOn();
    ASSERT_EQ(m.module.centred.size(), 1u);
    EXPECT_TRUE(m.module.pageShown);
    EXPECT_EQ(m.window.scrollX(), 500 - 150);
    EXPECT_EQ(m.window.scrollY(), 400 - 100);
    mark.Detach();
}

TEST(PointPainter, FarPointsAndUnconvertiblePositionsDrawNothing) {
    MarkedMap m;
    PointPainter mark;
    mark.Show();
    auto draws = [&](const Coord& position) {
        mark.SetPosition(position);
        QPicture picture;
        QPainter painter(&picture);
        MapEventInfo info;
        info.canvas = &painter;
        mark.Paint(info);
        painter.end();
        return !picture.boundingRect().isEmpty();
    };
    // Window points; a window type with both values 0 is a known position.
    EXPECT_TRUE(draws(Coord{TLM_COORD_WINDOW_CLIENT, 0, 29999, -29999}));
    EXPECT_TRUE(draws(Coord{TLM_COORD_WINDOW_CLIENT, 0, 0, 0}));
    EXPECT_FALSE(draws(Coord{TLM_COORD_WINDOW_CLIENT, 0, 30000, 0}));
    EXPECT_FALSE(draws(Coord{TLM_COORD_WINDOW_CLIENT, 0, 10, -30000.5}));
    EXPECT_FALSE(draws(Coord{TLM_COORD_WINDOW_CLIENT, 0, 10, std::nan("")}));
    // A map pixel of a map nobody has converts to nothing.
    EXPECT_FALSE(draws(Coord{TLM_COORD_MAP_PIXEL, 0x7FFFFFF0u, 10, 0}));
}

TEST(TimedPointPainter, HidesAtTheTickAndRestartsWhenShownAgain) {
    MarkedMap m;
    TimedPointPainter mark;
    mark.SetPosition(WindowTestMaps::gaussKrueger(100, 100));
    mark.ShowFor(3000);
    EXPECT_TRUE(mark.Visible());
    EXPECT_TRUE(mark.Timer().isActive());
    EXPECT_EQ(mark.Timer().interval(), 3000);

    auto runUntil = [](const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    // Shown again with a short time: the long time no longer counts.
    mark.ShowFor(1);
    EXPECT_EQ(mark.Timer().interval(), 1);
    runUntil([&] { return !mark.Visible(); });
    EXPECT_FALSE(mark.Visible());
    EXPECT_FALSE(mark.Timer().isActive());

    // Shown for a short time and at once again for a long one: a timer of
    // a few milliseconds elsewhere fires first, the mark stays.
    mark.ShowFor(1);
    mark.ShowFor(60000);
    bool other = false;
    QTimer::singleShot(20, [&other] { other = true; });
    runUntil([&] { return other; });
    EXPECT_TRUE(other);
    EXPECT_TRUE(mark.Visible());

    // A plain Show after the tick is not hidden by a later tick.
    mark.ShowFor(1);
    runUntil([&] { return !mark.Visible(); });
    mark.Show();
    other = false;
    QTimer::singleShot(20, [&other] { other = true; });
    runUntil([&] { return other; });
    EXPECT_TRUE(mark.Visible());
}
