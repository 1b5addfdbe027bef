// The map window: opening maps, centring, zooming, conversions and the
// messages it raises.
#include "TolmWindow.h"
#include "WindowTestMaps.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A window with a fixed client size (no scroll bars taking room) that records
// what it tells its host.
struct Window {
    TTolmWindow w;
    std::vector<int> levels;
    std::vector<TMessage> messages;

    explicit Window(int width = 400, int height = 300, bool bars = false) {
        if (!bars) {
            w.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            w.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        }
        w.resize(width, height);
        w.show();
        w.OnNotify = [this](TTolmWindow*, int level) { levels.push_back(level); };
        w.OnMessage = [this](TTolmWindow*, TMessage& m) { messages.push_back(m); };
    }
    ~Window() { w.SetPathName(QString(), false); }
};

Coord pixel(TTolmWindow& w, double x, double y) {
    Coord c;
    c.type = TLM_COORD_MAP_PIXEL;
    c.zone = w.MapHandle();
    c.x = x;
    c.y = y;
    return c;
}

} // namespace

TEST(TolmWindow, OpeningKeepsTheOldMapWhenTheNewOneFails) {
    WindowTestMaps maps;
    const QString a = maps.write("a.tlm", 800, 600);
    ASSERT_FALSE(a.isEmpty());
    Window win;
    win.w.SetPathName(a, true);
    const TLM_HANDLE first = win.w.MapHandle();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(win.w.PathName(), a);
    EXPECT_EQ(win.levels, std::vector<int>{3});

    // A file that is no map and a file that does not exist change nothing.
    QFile junk(maps.path("junk.tlm"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no map at all");
    junk.close();
    win.w.SetPathName(maps.path("junk.tlm"), true);
    win.w.SetPathName(maps.path("missing.tlm"), false);
    EXPECT_EQ(win.w.MapHandle(), first);
    EXPECT_EQ(win.w.PathName(), a);
    EXPECT_EQ(win.levels, std::vector<int>{3});
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 800 - 400);
    EXPECT_EQ(win.w.verticalScrollBar()->maximum(), 600 - 300);

    // An empty path closes the map.
    win.w.SetPathName(QString(), true);
    EXPECT_EQ(win.w.MapHandle(), 0u);
    EXPECT_TRUE(win.w.PathName().isEmpty());
    EXPECT_EQ(win.levels, (std::vector<int>{3, 3}));
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 0);
    Coord out;
    EXPECT_FALSE(win.w.GetCenterPos(out));
}

TEST(TolmWindow, ANewMapKeepsTheCentre) {
    WindowTestMaps maps;
    const QString a = maps.write("a.tlm", 2000, 1500);
    const QString b = maps.write("b.tlm", 2000, 1500);
    Window win;
    win.w.SetMap(a, 0.0, std::nullopt);
    // Centred on a pixel of the first map: the centre survives the change of
    // map although that pixel's handle is gone afterwards.
    win.w.SetCenterPos(pixel(win.w, 1000, 700));
    EXPECT_EQ(win.w.scrollX(), 800);
    EXPECT_EQ(win.w.scrollY(), 550);
    win.w.SetPathName(b, true);
    EXPECT_EQ(win.w.PathName(), b);
    EXPECT_EQ(win.w.scrollX(), 800);
    EXPECT_EQ(win.w.scrollY(), 550);
    // Without keeping, the view stays where it was as far as the new map allows.
    win.w.SetPathName(maps.write("c.tlm", 1000, 700), false);
    EXPECT_EQ(win.w.scrollX(), 600);
    EXPECT_EQ(win.w.scrollY(), 400);
    // A centre given with the map is used.
    win.w.SetMap(b, 0.0, WindowTestMaps::gaussKrueger(1500, 1000));
    EXPECT_EQ(win.w.scrollX(), 1300);
    EXPECT_EQ(win.w.scrollY(), 850);
}

TEST(TolmWindow, CentringNearAndBeyondTheEdges) {
    WindowTestMaps maps;
    Window win(400, 300);
    win.w.SetCenterPos(WindowTestMaps::gaussKrueger(10, 10)); // without a map: nothing
    EXPECT_TRUE(win.levels.empty());
    win.w.SetPathName(maps.write("a.tlm", 2000, 1500), false);
    win.levels.clear();

    std::vector<int> asked;
    auto answer = [&asked](bool result) {
        return [&asked, result](int flag) {
            asked.push_back(flag);
            return result;
        };
    };
    // 10 pixels from the left edge: the view stops at the edge.
    win.w.SetCenterPos(pixel(win.w, 10, 700), answer(true));
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_EQ(win.w.scrollY(), 550);
    EXPECT_EQ(win.levels, std::vector<int>{1});

    // Exactly centred: the callback is not asked.
    asked.clear();
    win.w.SetCenterPos(pixel(win.w, 1000, 700), answer(true));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(win.w.scrollX(), 800);

    // A callback that says no keeps the view.
    win.w.SetCenterPos(pixel(win.w, 1990, 1490), answer(false));
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 800);
    EXPECT_EQ(win.w.scrollY(), 550);

    // Beyond the map: flag 2, and without callback the view moves to the edge.
    asked.clear();
    win.w.SetCenterPos(pixel(win.w, 2600, -40), answer(true));
    EXPECT_EQ(asked, std::vector<int>{2});
    win.levels.clear();
    win.w.SetCenterPos(pixel(win.w, -300, 5000));
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_EQ(win.w.scrollY(), 1500 - 300);
    EXPECT_EQ(win.levels, std::vector<int>{1});

    // The same position again moves nothing and tells nobody.
    win.w.SetCenterPos(pixel(win.w, -300, 5000));
    EXPECT_EQ(win.levels, std::vector<int>{1});

    // Window points without a window id count from the client corner.
    win.w.SetCenterPos(pixel(win.w, 1000, 700));
    Coord client{};
    client.type = TLM_COORD_WINDOW_CLIENT;
    client.x = 200 + 100;
    client.y = 150 - 50;
    win.w.SetCenterPos(client);
    EXPECT_EQ(win.w.scrollX(), 900);
    EXPECT_EQ(win.w.scrollY(), 500);

    // A position that is no number ends at the corner, flagged as off the map.
    asked.clear();
    win.w.SetCenterPos(pixel(win.w, std::nan(""), 700), answer(true));
    EXPECT_EQ(asked, std::vector<int>{2});
    EXPECT_EQ(win.w.scrollX(), 0);
}

TEST(TolmWindow, AMapSmallerThanTheWindowStaysInTheCorner) {
    WindowTestMaps maps;
    Window win(400, 300);
    win.w.SetPathName(maps.write("small.tlm", 100, 80), false);
    win.levels.clear();
    std::vector<int> asked;
    win.w.SetCenterPos(pixel(win.w, 90, 70), [&asked](int flag) {
        asked.push_back(flag);
        return true;
    });
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_EQ(win.w.scrollY(), 0);
    EXPECT_TRUE(win.levels.empty());
}

TEST(TolmWindow, ZoomKeepsTheCentreAndTellsItsLevel) {
    WindowTestMaps maps;
    Window win(400, 300);
    win.w.SetZoomFactor(2.0, std::nullopt); // without map: remembered for the next one
    EXPECT_DOUBLE_EQ(win.w.ZoomFactor(), 1.0);
    EXPECT_TRUE(win.levels.empty());
    win.w.SetPathName(maps.write("a.tlm", 2000, 1500), false);
    EXPECT_DOUBLE_EQ(win.w.ZoomFactor(), 2.0);
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 4000 - 400);

    win.w.SetCenterPos(WindowTestMaps::gaussKrueger(1000, 700));
    EXPECT_EQ(win.w.scrollX(), 2000 - 200);
    EXPECT_EQ(win.w.scrollY(), 1400 - 150);

    // The current zoom with a centre only centres: level 1, not 2.
    win.levels.clear();
    win.w.SetZoomFactor(2.0, WindowTestMaps::gaussKrueger(1200, 700));
    EXPECT_EQ(win.levels, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 2400 - 200);

    // A new zoom keeps the map point in the middle and raises level 2 only.
    win.levels.clear();
    win.w.setZoomFactor(0.5);
    EXPECT_DOUBLE_EQ(win.w.ZoomFactor(), 0.5);
    EXPECT_EQ(win.levels, std::vector<int>{2});
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 1000 - 400);
    EXPECT_EQ(win.w.scrollX(), 600 - 200);
    EXPECT_EQ(win.w.scrollY(), 350 - 150);
    Coord centre;
    centre.type = TLM_COORD_GAUSS_KRUEGER;
    ASSERT_TRUE(win.w.GetCenterPos(centre));
    EXPECT_NEAR(centre.y, WindowTestMaps::Easting0 + 1200, 2.0);

    // A new zoom with its own centre.
    win.levels.clear();
    win.w.SetZoomFactor(1.0, WindowTestMaps::gaussKrueger(500, 400));
    EXPECT_EQ(win.levels, std::vector<int>{2});
    EXPECT_EQ(win.w.scrollX(), 300);
    EXPECT_EQ(win.w.scrollY(), 250);

    // Suspended notifications are not raised; resuming below zero is harmless.
    win.levels.clear();
    win.w.SuspendNotification();
    win.w.setZoomFactor(2.0);
    win.w.ResumeNotification();
    win.w.ResumeNotification();
    EXPECT_TRUE(win.levels.empty());
    win.w.DoNotify(1);
    EXPECT_EQ(win.levels, std::vector<int>{1});
}

TEST(TolmWindow, DimmerWithAndWithoutMap) {
    WindowTestMaps maps;
    Window win;
    EXPECT_EQ(win.w.DimmerValue(), 255);
    win.w.setDimmerValue(100);
    EXPECT_EQ(win.w.DimmerValue(), 255);
    EXPECT_FALSE(win.w.AskDimmer(&win.w));
    EXPECT_FALSE(win.w.AskLayerActivation(&win.w));
    EXPECT_TRUE(win.w.QueryAskLayerActivation(&win.w));
    win.w.SetPathName(maps.write("a.tlm", 300, 200), false);
    EXPECT_EQ(win.w.DimmerValue(), 255);
    win.w.setDimmerValue(100);
    EXPECT_EQ(win.w.DimmerValue(), 100);
    win.w.setDimmerValue(1000);
    EXPECT_EQ(win.w.DimmerValue(), 255);
}

TEST(TolmWindow, PositionsAndConversions) {
    WindowTestMaps maps;
    Window win(400, 300);
    Coord out{};
    out.type = TLM_COORD_MAP_PIXEL;
    Coord client{};
    client.type = TLM_COORD_WINDOW_CLIENT;
    EXPECT_EQ(win.w.TransformCoordsEx(client, out), int32_t(0x80004005u));
    out.zone = 0;
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(1, 1), out), int32_t(0x80004005u));
    EXPECT_FALSE(win.w.GetPos(out, 0));

    win.w.SetPathName(maps.write("a.tlm", 2000, 1500), false);
    win.w.SetCenterPos(pixel(win.w, 1000, 700)); // scroll 800, 550

    // Alignment: bits 0-1 horizontal, bits 2-3 vertical.
    struct Case {
        int alignment;
        double x, y;
    } cases[] = {{0, 800, 550}, {1, 1000, 550}, {2, 1200, 550}, {4, 800, 700}, {5, 1000, 700}, {10, 1200, 850}};
    for (const Case& c : cases) {
        Coord p{};
        p.type = TLM_COORD_MAP_PIXEL;
        p.zone = win.w.MapHandle();
        ASSERT_TRUE(win.w.GetPos(p, c.alignment)) << c.alignment;
        EXPECT_DOUBLE_EQ(p.x, c.x) << c.alignment;
        EXPECT_DOUBLE_EQ(p.y, c.y) << c.alignment;
    }
    Coord gk{};
    gk.type = TLM_COORD_GAUSS_KRUEGER;
    ASSERT_TRUE(win.w.GetCenterPos(gk));
    EXPECT_NEAR(gk.x, WindowTestMaps::Northing0 - 700, 1.0);
    EXPECT_NEAR(gk.y, WindowTestMaps::Easting0 + 1000, 1.0);

    // A client point of this window, given without a window id.
    client.x = 10;
    client.y = 20;
    Coord p{};
    p.type = TLM_COORD_MAP_PIXEL;
    p.zone = win.w.MapHandle();
    EXPECT_EQ(win.w.TransformCoordsEx(client, p), 0);
    EXPECT_DOUBLE_EQ(p.x, 810);
    EXPECT_DOUBLE_EQ(p.y, 570);
    // ... and back, from map coordinates into a client point; the target
    // keeps its type and parameter.
    Coord back{};
    back.type = TLM_COORD_WINDOW_CLIENT;
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(810, 570), back), 0);
    EXPECT_EQ(back.type, uint32_t(TLM_COORD_WINDOW_CLIENT));
    EXPECT_EQ(back.zone, 0u);
    EXPECT_DOUBLE_EQ(back.x, 10);
    EXPECT_DOUBLE_EQ(back.y, 20);
    EXPECT_TRUE(win.w.TransformCoords(WindowTestMaps::gaussKrueger(810, 570), back));
    // A point off the map converts with the outside status.
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(-100, 570), back), int32_t(0x40001));
    EXPECT_TRUE(win.w.TransformCoords(WindowTestMaps::gaussKrueger(-100, 570), back));
    EXPECT_DOUBLE_EQ(back.x, -100 - 800);
    // A map pixel id that belongs to nobody.
    Coord stranger = pixel(win.w, 5, 5);
    stranger.zone = 0x7FFFFFF0u;
    EXPECT_LT(win.w.TransformCoordsEx(stranger, gk), 0);
}

TEST(TolmWindow, MouseAndKeyMessages) {
    Window win(400, 300);
    QWidget* v = win.w.viewport();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(30, 40), v->mapToGlobal(QPointF(30, 40)), Qt::LeftButton,
                      Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(v, &press);
    // Dragged out of the window to the left and above it.
    QMouseEvent move(QEvent::MouseMove, QPointF(-5, -3), v->mapToGlobal(QPointF(-5, -3)), Qt::NoButton, Qt::LeftButton,
                     Qt::ControlModifier);
    QApplication::sendEvent(v, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-5, -3), v->mapToGlobal(QPointF(-5, -3)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(v, &release);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(399, 299), v->mapToGlobal(QPointF(399, 299)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(v, &right);
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(1, 2), v->mapToGlobal(QPointF(1, 2)), Qt::MiddleButton,
                      Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(v, &twice);
    ASSERT_EQ(win.messages.size(), 5u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_LBUTTONDOWN));
    EXPECT_EQ(win.messages[0].WParam, TLM_MK_LBUTTON | TLM_MK_SHIFT);
    EXPECT_EQ(win.messages[0].LParam, intptr_t(40 << 16 | 30));
    EXPECT_EQ(win.messages[1].Msg, uint32_t(TLM_WM_MOUSEMOVE));
    EXPECT_EQ(win.messages[1].WParam, TLM_MK_LBUTTON | TLM_MK_CONTROL);
    EXPECT_EQ(win.messages[1].LParam, intptr_t(0xFFFDFFFBu));
    EXPECT_EQ(win.messages[2].Msg, uint32_t(TLM_WM_LBUTTONUP));
    EXPECT_EQ(win.messages[2].WParam, 0u);
    EXPECT_EQ(win.messages[2].LParam & 0xFFFF, 0xFFFB);
    EXPECT_EQ((win.messages[2].LParam >> 16) & 0xFFFF, 0xFFFD);
    EXPECT_EQ(win.messages[3].Msg, uint32_t(TLM_WM_RBUTTONDOWN));
    EXPECT_EQ(win.messages[3].WParam, TLM_MK_RBUTTON);
    EXPECT_EQ(win.messages[3].LParam, packMousePosition(399, 299));
    EXPECT_EQ(win.messages[4].Msg, uint32_t(TLM_WM_MBUTTONDBLCLK));
    EXPECT_EQ(win.messages[4].WParam, TLM_MK_MBUTTON);

    win.messages.clear();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("ä"));
    QApplication::sendEvent(&win.w, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("ä"));
    QApplication::sendEvent(&win.w, &up);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(&win.w, &escape);
    ASSERT_EQ(win.messages.size(), 5u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_KEYDOWN));
    EXPECT_EQ(win.messages[0].WParam, uintptr_t('A'));
    EXPECT_EQ(win.messages[1].Msg, uint32_t(TLM_WM_CHAR));
    EXPECT_EQ(win.messages[1].WParam, 0xE4u); // the character in the Windows code page
    EXPECT_EQ(win.messages[2].Msg, uint32_t(TLM_WM_KEYUP));
    EXPECT_EQ(win.messages[3].WParam, 0x1Bu);
    EXPECT_EQ(win.messages[4].Msg, uint32_t(TLM_WM_CHAR));
    EXPECT_EQ(win.messages[4].WParam, 0x1Bu);
}

TEST(TolmWindow, ScrollBarActionsEndWithAMessageAndAMove) {
    WindowTestMaps maps;
    Window win(400, 300, true);
    win.w.SetPathName(maps.write("a.tlm", 2000, 1500), false);
    QScrollBar* h = win.w.horizontalScrollBar();
    QScrollBar* v = win.w.verticalScrollBar();
    // Both bars show: the client shrinks by their width.
    EXPECT_EQ(h->maximum(), 2000 - win.w.viewport()->width());
    EXPECT_EQ(v->maximum(), 1500 - win.w.viewport()->height());
    EXPECT_LT(win.w.viewport()->width(), 400);
    EXPECT_LT(win.w.viewport()->height(), 300);
    win.levels.clear();

    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(win.w.scrollX(), 16);
    EXPECT_TRUE(win.messages.empty()); // the end comes once the step is done
    QCoreApplication::processEvents();
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_HSCROLL));
    EXPECT_EQ(win.messages[0].WParam, uintptr_t(TLM_SB_ENDSCROLL));
    EXPECT_EQ(win.levels, std::vector<int>{1});

    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCoreApplication::processEvents();
    EXPECT_EQ(win.w.scrollY(), win.w.viewport()->height());
    ASSERT_EQ(win.messages.size(), 2u);
    EXPECT_EQ(win.messages[1].Msg, uint32_t(TLM_WM_VSCROLL));
    EXPECT_EQ(win.levels, (std::vector<int>{1, 1}));

    // The wheel scrolls too and ends the same way.
    QWidget* vp = win.w.viewport();
    QWheelEvent wheel(QPointF(50, 50), vp->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &wheel);
    QCoreApplication::processEvents();
    EXPECT_GT(win.w.scrollY(), win.w.viewport()->height());
    ASSERT_GE(win.messages.size(), 4u);
    EXPECT_EQ(win.messages.back().Msg, uint32_t(TLM_WM_VSCROLL));
    EXPECT_EQ(win.messages.back().WParam, uintptr_t(TLM_SB_ENDSCROLL));
    EXPECT_EQ(win.levels, (std::vector<int>{1, 1, 1}));

    // Dragging the slider scrolls along and ends on the release.
    win.messages.clear();
    win.levels.clear();
    v->setSliderDown(true);
    v->setSliderPosition(200);
    v->setSliderPosition(260);
    QCoreApplication::processEvents();
    EXPECT_EQ(win.w.scrollY(), 260);
    EXPECT_TRUE(win.messages.empty());
    v->setSliderDown(false);
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_VSCROLL));
    EXPECT_EQ(win.messages[0].WParam, uintptr_t(TLM_SB_ENDSCROLL));
    EXPECT_EQ(win.levels, std::vector<int>{1});

    // A press on the bar's arrow ends on the release.
    win.messages.clear();
    const QPoint arrow(h->width() - 3, h->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, arrow, h->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(h, &press);
    QCoreApplication::processEvents();
    const bool anyBeforeRelease = !win.messages.empty();
    QMouseEvent release(QEvent::MouseButtonRelease, arrow, h->mapToGlobal(arrow), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(h, &release);
    QCoreApplication::processEvents();
    EXPECT_FALSE(anyBeforeRelease);
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_HSCROLL));
    EXPECT_GT(win.w.scrollX(), 16);
}
