// Drawing transformers and the listener iterators.
#include "FunctionTestSupport.h"

#include "DrawCoordTransformer.h"
#include "ListenerIterator.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <vector>

using namespace DrawCoordTransformer;

namespace {

// A cache keyed by transformer, dropped when its transformer goes.
struct Cache {
    std::vector<BaseDCT*> dropped;
    void onDestroy(BaseDCT* dct) { dropped.push_back(dct); }
};

// The printer's event: not for the screen.
class PrintEvent : public MapEventInfo {
public:
    bool IsScreen() const override { return false; }
};

TEST(DrawTransformers, TellTheirListenersWhenTheyGo) {
    Cache cache, other;
    auto* dct = new BaseDCT();
    dct->OnDestroy().add(&Cache::onDestroy, &cache);
    dct->OnDestroy().add(&Cache::onDestroy, &other);
    EXPECT_TRUE(dct->OnDestroy().remove(&Cache::onDestroy, &other));
    BaseDCT* const key = dct;
    delete dct;
    EXPECT_EQ(cache.dropped, std::vector<BaseDCT*>{key});
    EXPECT_TRUE(other.dropped.empty());
}

TEST(DrawTransformers, ScreenAndPrinterAnswers) {
    BaseDCT base;
    EXPECT_FALSE(base.IsPrinting());
    EXPECT_DOUBLE_EQ(base.LineScale(), 1.0);
    EXPECT_EQ(base.Canvas(), nullptr);

    // A 600 dpi printer page: printing, lines six times as wide.
    QImage page(20, 20, QImage::Format_RGB32);
    page.setDotsPerMeterX(std::lround(600 / 0.0254));
    page.setDotsPerMeterY(std::lround(600 / 0.0254));
    QPainter painter(&page);
    PrintEvent print;
    print.canvas = &painter;
    MapEventDCT printed(print);
    EXPECT_TRUE(printed.IsPrinting());
    EXPECT_NEAR(printed.LineScale(), 6.0, 0.01);
    EXPECT_EQ(printed.Canvas(), &painter);
    EXPECT_EQ(&printed.Event(), &print);

    MapEventInfo screen;
    MapEventDCT shown(screen);
    EXPECT_FALSE(shown.IsPrinting());
    EXPECT_DOUBLE_EQ(shown.LineScale(), 1.0);
}

class WindowTransformers : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
    }
};

TEST_F(WindowTransformers, ConvertLikeTheWindowAndTheLibrary) {
    Coord point;
    point.type = 0xC001;
    point.x = 12;
    point.y = 34;
    const Coord expected = gaussKruegerOf(12, 34);

    Coord viaWindow;
    viaWindow.type = 1;
    ASSERT_TRUE(TolmWindowDCT(window.get(), nullptr).Transform(point, viaWindow));
    EXPECT_DOUBLE_EQ(viaWindow.x, expected.x);
    EXPECT_DOUBLE_EQ(viaWindow.y, expected.y);

    // The library knows the map by its handle: a display pixel of it.
    Coord pixel;
    pixel.type = 0x8000;
    pixel.zone = window->MapHandle();
    pixel.x = 12 + window->scrollX();
    pixel.y = 34 + window->scrollY();
    Coord viaLibrary;
    viaLibrary.type = 1;
    ASSERT_TRUE(BaseDCT().Transform(pixel, viaLibrary));
    EXPECT_NEAR(viaLibrary.x, expected.x, 1e-6);
    EXPECT_NEAR(viaLibrary.y, expected.y, 1e-6);

    // Without a window nothing converts.
    TolmWindowDCT orphan(window.get(), nullptr);
    window->setPathName(QString());
    module.reset();
    window.reset();
    EXPECT_EQ(orphan.Window(), nullptr);
    EXPECT_FALSE(orphan.Transform(point, viaWindow));
}

TEST_F(WindowTransformers, TheOwnCanvasDrawsInvertedOnTheWindowUntilDrawnAgain) {
    const QImage before = shot();
    const QRect area(10, 20, 30, 5);
    auto invert = [&] {
        MapWindowAutoDCT dct;
        ASSERT_EQ(dct.Window(), window.get());
        ASSERT_NE(dct.Canvas(), nullptr);
        dct.Canvas()->setCompositionMode(QPainter::RasterOp_NotDestination);
        dct.Canvas()->fillRect(area, Qt::black);
        dct.Changed(area);
    };
    invert();
    const QImage during = shot();
    EXPECT_EQ(during.pixel(10, 20), inverted(before.pixel(10, 20)));
    EXPECT_EQ(during.pixel(39, 24), inverted(before.pixel(39, 24)));
    EXPECT_EQ(during.pixel(40, 24), before.pixel(40, 24));
    EXPECT_EQ(during.pixel(10, 25), before.pixel(10, 25));
    invert();
    EXPECT_EQ(shot(), before);
}

// --- listener iterators ---

std::vector<MapEventListener*> walk(Iterator<MapEventListener>& it) {
    std::vector<MapEventListener*> seen;
    while (it.HasMore())
        seen.push_back(it.Next());
    EXPECT_EQ(it.Next(), nullptr);
    return seen;
}

TEST(ListenerIterators, ForwardBackwardAndDetachingOnTheWay) {
    MapEventListener a, b, c;
    MapEventListenerList list;
    list.Attach(&a);
    list.Attach(&b);
    list.Attach(&c);

    GenericListForwardIterator forward(list);
    EXPECT_EQ(walk(forward), (std::vector<MapEventListener*>{&a, &b, &c}));
    GenericListBackwardIterator backward(list);
    EXPECT_EQ(walk(backward), (std::vector<MapEventListener*>{&c, &b, &a}));

    // A listener detached during the walk is not handed out any more.
    GenericListForwardIterator live(list);
    ASSERT_EQ(live.Next(), &a);
    list.Detach(&b);
    EXPECT_EQ(walk(live), (std::vector<MapEventListener*>{&c}));

    MapEventListenerList empty;
    GenericListBackwardIterator none(empty);
    EXPECT_FALSE(none.HasMore());
    EXPECT_EQ(none.Next(), nullptr);
}

TEST_F(WindowTransformers, TheModulesListenersAreWalkedBothWays) {
    MapEventListener a, b;
    module->Listeners().Attach(&a);
    module->Listeners().Attach(&b);
    auto forward = MapEventListeners::Forward();
    auto backward = MapEventListeners::Backward();
    EXPECT_EQ(walk(*forward), (std::vector<MapEventListener*>{&a, &b}));
    EXPECT_EQ(walk(*backward), (std::vector<MapEventListener*>{&b, &a}));
    module->Listeners().Detach(&a);
    module->Listeners().Detach(&b);
}

} // namespace
