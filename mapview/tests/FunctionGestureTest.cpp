// Clicks, dragged rectangles and the rubber band of the point-or-rectangle
// functions, and the rectangle zoom built on them, driven by mouse events on
// a real map window.
#include "FunctionTestSupport.h"

#include "PointRectFunction.h"
#include "ZoomFunction.h"

#include <QWidget>

#include <cmath>
#include <vector>

namespace {

// Records what a gesture ends in.
class RecordingFunction : public PointRectFunction {
public:
    struct Call {
        char kind; // 'p' point, 'd' double-click point, 'r' rectangle
        Rect rect;
    };
    std::vector<Call> calls;

    void Point(bool doubleClick) override {
        calls.push_back({doubleClick ? 'd' : 'p', Rectangle()});
        PointRectFunction::Point(doubleClick);
    }
    void RectAction() override { calls.push_back({'r', Rectangle()}); }
};

class Gestures : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
        ASSERT_TRUE(MapFunction::Activate(&function));
    }
    void TearDown() override {
        MapFunction::Activate(nullptr);
        MapWindowFixture::TearDown();
    }
    void expectIdle() {
        EXPECT_FALSE(function.Capturing());
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }

    RecordingFunction function;
};

TEST_F(Gestures, TheThreePixelRuleDecidesBetweenClickRectangleAndNothing) {
    // Never 3 x 3: a click at the pressed point, even when one side reached 3.
    press(100, 100);
    EXPECT_TRUE(function.Capturing());
    EXPECT_EQ(QWidget::mouseGrabber(), client());
    move(101, 102);
    move(102, 102);
    move(110, 101);
    release(110, 101);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'p');
    EXPECT_EQ(function.calls[0].rect.left, 100);
    EXPECT_EQ(function.calls[0].rect.top, 100);
    expectIdle();

    // Reached 3 x 3, then shrank: nothing.
    function.calls.clear();
    press(100, 100);
    move(110, 110);
    EXPECT_EQ(function.CurrentMode(), PointRectFunction::ModeRectangle);
    move(101, 101);
    EXPECT_EQ(function.CurrentMode(), PointRectFunction::ModeCancelled);
    release(101, 101);
    EXPECT_TRUE(function.calls.empty());
    expectIdle();

    // Shrank and grew again: the rectangle at the release point.
    press(100, 100);
    move(110, 110);
    move(101, 101);
    move(120, 115);
    release(123, 117);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'r');
    EXPECT_EQ(function.calls[0].rect.left, 100);
    EXPECT_EQ(function.calls[0].rect.top, 100);
    EXPECT_EQ(function.calls[0].rect.right, 123);
    EXPECT_EQ(function.calls[0].rect.bottom, 117);
    expectIdle();

    // Exactly 3 x 3 is a rectangle, also dragged up and to the left.
    function.calls.clear();
    press(50, 50);
    release(47, 47);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'r');
    EXPECT_EQ(function.calls[0].rect.width(), -3);
}

TEST_F(Gestures, DoubleClicksAndOtherButtons) {
    doubleClick(30, 40);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'd');
    expectIdle();

    function.calls.clear();
    press(30, 40, Qt::MiddleButton);
    release(30, 40, Qt::MiddleButton);
    press(30, 40, Qt::RightButton);
    release(30, 40, Qt::RightButton);
    EXPECT_TRUE(function.calls.empty());
    expectIdle();

    // The middle button released during a left drag ends the gesture there.
    press(100, 100);
    move(150, 140);
    press(150, 140, Qt::MiddleButton);
    release(150, 140, Qt::MiddleButton);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'r');
    EXPECT_EQ(function.calls[0].rect.right, 150);
    expectIdle();
    release(150, 140);
    EXPECT_EQ(function.calls.size(), 1u);
}

TEST_F(Gestures, PressOutsideASmallMapCancels) {
    openMap(100, 80);
    ASSERT_GT(clientWidth(), 150);
    ASSERT_GT(clientHeight(), 120);

    // Right of the map, below it, and on the first column past its edge.
    for (auto [x, y] : {std::pair{150, 40}, std::pair{50, 120}, std::pair{100, 40}}) {
        press(x, y);
        EXPECT_EQ(function.CurrentMode(), PointRectFunction::ModeCancelled) << x << "," << y;
        move(x + 1, y + 1);
        release(x + 1, y + 1);
        expectIdle();
    }
    EXPECT_TRUE(function.calls.empty());

    // The last pixel of the map still counts as a click; a drag beyond the
    // map keeps the rectangle on it.
    click(99, 79);
    press(60, 40);
    release(300, 200);
    ASSERT_EQ(function.calls.size(), 2u);
    EXPECT_EQ(function.calls[0].kind, 'p');
    EXPECT_EQ(function.calls[1].kind, 'r');
    EXPECT_EQ(function.calls[1].rect.right, 99);
    EXPECT_EQ(function.calls[1].rect.bottom, 79);
}

TEST_F(Gestures, PositionsLeftOfAndAboveTheWindowAreClampedToItsEdge) {
    press(40, 40);
    move(-20, -30);
    release(-20, -30);
    ASSERT_EQ(function.calls.size(), 1u);
    EXPECT_EQ(function.calls[0].kind, 'r');
    EXPECT_EQ(function.calls[0].rect.right, 0);
    EXPECT_EQ(function.calls[0].rect.bottom, 0);

    // Positions handed in by other code than the window may be any number:
    // only their low 16 bits count, and nothing undefined happens.
    MapEventInfo odd;
    odd.position.type = TLM_COORD_WINDOW_CLIENT;
    odd.position.y = 40;
    for (double x : {std::nan(""), -1e12, 1e300, -HUGE_VAL, 65536.0 + 40}) {
        odd.position.x = x;
        function.ButtonDown(odd);
        function.ButtonUp(odd);
        expectIdle();
    }
    ASSERT_GE(function.calls.size(), 2u);
    EXPECT_EQ(function.calls.back().kind, 'p');
    EXPECT_EQ(function.calls.back().rect.left, 40);
}

TEST_F(Gestures, ALostReleaseEndsTheCaptureAtTheNextMoveAndRepaints) {
    const QImage before = shot();
    press(100, 100);
    move(150, 140);
    ASSERT_NE(shot(), before);
    const int repaints = module->repaints;
    // The button came up outside the window, unseen; then the mouse moves in.
    move(160, 150, Qt::NoButton);
    EXPECT_GT(module->repaints, repaints);
    expectIdle();
    EXPECT_EQ(shot(), before);
    release(160, 150);
    EXPECT_TRUE(function.calls.empty());
}

TEST_F(Gestures, TheRubberBandInvertsItsOutlineAndDrawingItAgainRestoresIt) {
    const QImage before = shot();
    press(40, 30);
    move(42, 31);
    EXPECT_EQ(shot(), before) << "no band while the gesture is a click";

    move(20, 80); // drawn from right-top to left-bottom
    const QImage band = shot();
    const int left = 20, right = 40, top = 30, bottom = 80;
    int differing = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const bool onOutline = (x >= left && x <= right && (y == top || y == bottom)) ||
                                   (y >= top && y <= bottom && (x == left || x == right));
            const QRgb expected = onOutline ? inverted(before.pixel(x, y)) : before.pixel(x, y);
            if (band.pixel(x, y) != expected && ++differing < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << (onOutline ? " on" : " off") << " the outline";
        }
    }
    EXPECT_EQ(differing, 0);

    // Moving redraws it at the new corner, the old outline restored.
    move(60, 50);
    const QImage moved = shot();
    EXPECT_EQ(moved.pixel(20, 80), before.pixel(20, 80));
    EXPECT_EQ(moved.pixel(60, 50), inverted(before.pixel(60, 50)));
    EXPECT_EQ(moved.pixel(40, 30), inverted(before.pixel(40, 30)));

    // Shrinking below 3 pixels removes it; the release leaves the picture as it was.
    move(41, 31);
    EXPECT_EQ(shot(), before);
    move(70, 70);
    release(70, 70);
    EXPECT_EQ(shot(), before);
}

TEST_F(Gestures, AResizeDuringTheDragLeavesNoBandBehind) {
    press(40, 30);
    move(90, 80);
    window->resize(460, 350);
    const QImage resized = shot();
    move(100, 90);
    const QImage band = shot();
    EXPECT_EQ(band.pixel(90, 80), resized.pixel(90, 80));
    EXPECT_EQ(band.pixel(100, 90), inverted(resized.pixel(100, 90)));
    release(100, 90);
    EXPECT_EQ(shot(), resized);
}

TEST_F(Gestures, AnotherFunctionTakingOverEndsTheDragWithoutAction) {
    const QImage before = shot();
    press(40, 30);
    move(90, 80);
    RecordingFunction other;
    ASSERT_TRUE(MapFunction::Activate(&other));
    expectIdle();
    EXPECT_EQ(shot(), before);
    release(90, 80);
    EXPECT_TRUE(function.calls.empty());
    EXPECT_TRUE(other.calls.empty());
    MapFunction::Activate(nullptr);
}

// --- rectangle zoom ---

class RectangleZoom : public MapWindowFixture {
protected:
    void SetUp() override {
        MapWindowFixture::SetUp();
        openMap(2000, 2000);
        ASSERT_TRUE(MapFunction::Activate(&zoom));
    }
    void TearDown() override {
        MapFunction::Activate(nullptr);
        MapWindowFixture::TearDown();
    }
    ZoomFunction zoom;
};

TEST_F(RectangleZoom, TheDraggedRectangleFillsTheWindowInEitherDirection) {
    const int w = clientWidth(), h = clientHeight();
    // A quarter of the width and an eighth of the height: the width decides.
    const int left = 60, top = 50, right = 60 + w / 4, bottom = 50 + h / 8;
    const double factor = std::max((right - left) / double(w), (bottom - top) / double(h));
    const Coord target = gaussKruegerOf((left + right) * 0.5, (top + bottom) * 0.5);

    press(left, top);
    move((left + right) / 2, (top + bottom) / 2);
    release(right, bottom);
    ASSERT_EQ(module->zoomCalls.size(), 1u);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].zoom, 1.0 / factor);
    ASSERT_TRUE(module->zoomCalls[0].centre.has_value());
    EXPECT_EQ(module->zoomCalls[0].centre->type, 0xC001u);
    EXPECT_EQ(module->zoomCalls[0].centre->zone, 0u);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].centre->x, (left + right) * 0.5);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].centre->y, (top + bottom) * 0.5);
    const double zoomed = window->ZoomFactor();
    // The library keeps its zoom in steps of its own.
    EXPECT_NEAR(zoomed, 1.0 / factor, 0.01);
    const Coord centre = gaussKruegerOfCentre();
    // The window's centre is a whole display pixel of 1 / zoom metres.
    EXPECT_NEAR(centre.x, target.x, 1.0);
    EXPECT_NEAR(centre.y, target.y, 1.0);

    // From lower right to upper left on the same view: the same result.
    setView(1.0, 1000, 1000);
    press(right, bottom);
    move(left + 5, top + 5);
    release(left, top);
    ASSERT_EQ(module->zoomCalls.size(), 2u);
    EXPECT_DOUBLE_EQ(module->zoomCalls[1].zoom, module->zoomCalls[0].zoom);
    EXPECT_DOUBLE_EQ(module->zoomCalls[1].centre->x, module->zoomCalls[0].centre->x);
    EXPECT_DOUBLE_EQ(module->zoomCalls[1].centre->y, module->zoomCalls[0].centre->y);
    EXPECT_DOUBLE_EQ(window->ZoomFactor(), zoomed);
    const Coord again = gaussKruegerOfCentre();
    EXPECT_DOUBLE_EQ(again.x, centre.x);
    EXPECT_DOUBLE_EQ(again.y, centre.y);
}

TEST_F(RectangleZoom, TheHeightDecidesForATallRectangle) {
    const int w = clientWidth(), h = clientHeight();
    press(100, 20);
    release(110, 20 + h / 2);
    ASSERT_EQ(module->zoomCalls.size(), 1u);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].zoom, 1.0 / ((h / 2) / double(h)));
    EXPECT_DOUBLE_EQ(ZoomFunction::RectFactor({0, 0, 10, h / 2}, w, h), (h / 2) / double(h));
    EXPECT_DOUBLE_EQ(ZoomFunction::RectFactor({0, 0, 10, 10}, 0, h), 0.0);
}

TEST_F(RectangleZoom, AClickZoomsOutByTwoAboutTheClickedPoint) {
    setView(2.0, 2000, 2000);
    const Coord target = gaussKruegerOf(80, 70);
    click(80, 70);
    ASSERT_EQ(module->zoomCalls.size(), 1u);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].zoom, 1.0);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].centre->x, 80);
    EXPECT_DOUBLE_EQ(module->zoomCalls[0].centre->y, 70);
    EXPECT_DOUBLE_EQ(window->ZoomFactor(), 1.0);
    const Coord centre = gaussKruegerOfCentre();
    EXPECT_NEAR(centre.x, target.x, 1.0);
    EXPECT_NEAR(centre.y, target.y, 1.0);
}

TEST_F(RectangleZoom, TakesItsCursorWhenEntered) {
    EXPECT_NE(zoom.CursorNumber(), 0);
    EXPECT_EQ(MapFunction::Active(), &zoom);
}

} // namespace
