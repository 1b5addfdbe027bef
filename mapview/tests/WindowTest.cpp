// The map window: opening maps, centring, zooming, conversions and the
// messages it raises.
#include "RasterWriters.h"
#include "TolmWindow.h"
#include "WindowTestMaps.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A window with a fixed client size (bars take no room unless asked for)
// that records what it tells its host.
struct Window {
    WindowTestMaps maps;
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
    Coord pixel(double x, double y) const { return Coord{TLM_COORD_MAP_PIXEL, w.MapHandle(), x, y}; }
    void open(int width, int height) { w.SetPathName(maps.write("a.tlm", width, height), false); }
};

} // namespace

TEST(TolmWindow, OpeningKeepsTheOldMapWhenTheNewOneFailsAndTheCentreWhenAsked) {
    Window win;
    const QString a = win.maps.write("a.tlm", 2000, 1500);
    win.w.SetPathName(a, true);
    const TLM_HANDLE first = win.w.MapHandle();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(win.levels, std::vector<int>{3});
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 2000 - 400);

    QFile junk(win.maps.path("junk.tlm"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no map at all");
    junk.close();
    win.w.SetPathName(junk.fileName(), true);
    win.w.SetPathName(win.maps.path("missing.tlm"), false);
    EXPECT_EQ(win.w.MapHandle(), first);
    EXPECT_EQ(win.w.PathName(), a);
    EXPECT_EQ(win.levels, std::vector<int>{3});

    // Centred on a pixel of the first map: the centre survives the change of
    // map although that pixel's map handle is gone afterwards.
    win.w.SetCenterPos(win.pixel(1000, 700));
    win.w.SetPathName(win.maps.write("b.tlm", 2000, 1500), true);
    EXPECT_EQ(win.w.scrollX(), 800);
    EXPECT_EQ(win.w.scrollY(), 550);
    // Without keeping, the view stays where it was as far as the new map allows.
    win.w.SetPathName(win.maps.write("c.tlm", 1000, 700), false);
    EXPECT_EQ(win.w.scrollX(), 600);
    EXPECT_EQ(win.w.scrollY(), 400);

    win.w.SetPathName(QString(), true);
    EXPECT_EQ(win.w.MapHandle(), 0u);
    EXPECT_EQ(win.levels, (std::vector<int>{3, 1, 3, 3, 3}));
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 0);
}

TEST(TolmWindow, CentringNearAndBeyondTheEdges) {
    Window win(400, 300);
    win.open(2000, 1500);
    win.levels.clear();
    std::vector<int> asked;
    auto answer = [&asked](bool result) {
        return [&asked, result](int flag) {
            asked.push_back(flag);
            return result;
        };
    };
    // 10 pixels from the left edge: the view stops at the edge.
    win.w.SetCenterPos(win.pixel(10, 700), answer(true));
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_EQ(win.w.scrollY(), 550);
    EXPECT_EQ(win.levels, std::vector<int>{1});
    // A callback that says no keeps the view.
    win.w.SetCenterPos(win.pixel(1990, 1490), answer(false));
    EXPECT_EQ(win.w.scrollX(), 0);
    // Beyond the map: flag 2, and without callback the view moves to the edge.
    win.w.SetCenterPos(win.pixel(2600, -40), answer(false));
    EXPECT_EQ(asked, (std::vector<int>{1, 1, 2}));
    win.w.SetCenterPos(win.pixel(-300, 5000));
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_EQ(win.w.scrollY(), 1500 - 300);
    EXPECT_EQ(win.levels, (std::vector<int>{1, 1}));
    // Window points without a window id count from the client corner.
    win.w.SetCenterPos(Coord{TLM_COORD_WINDOW_CLIENT, 0, 200 + 900, 150 - 50});
    EXPECT_EQ(win.w.scrollX(), 900);
    EXPECT_EQ(win.w.scrollY(), 1150);
    // A position that is no number ends at the corner, flagged as off the map.
    win.w.SetCenterPos(win.pixel(std::nan(""), 700), answer(true));
    EXPECT_EQ(asked.back(), 2);
    EXPECT_EQ(win.w.scrollX(), 0);

    // A map smaller than the window stays in the corner.
    win.open(100, 80);
    win.levels.clear();
    win.w.SetCenterPos(win.pixel(90, 70), answer(true));
    EXPECT_EQ(asked.back(), 1);
    EXPECT_EQ(win.w.scrollX(), 0);
    EXPECT_TRUE(win.levels.empty());
}

TEST(TolmWindow, ZoomKeepsTheCentreAndTellsItsLevel) {
    Window win(400, 300);
    win.w.SetZoomFactor(2.0, std::nullopt); // without map: kept for the next one
    EXPECT_DOUBLE_EQ(win.w.ZoomFactor(), 1.0);
    win.open(2000, 1500);
    EXPECT_DOUBLE_EQ(win.w.ZoomFactor(), 2.0);
    EXPECT_EQ(win.w.horizontalScrollBar()->maximum(), 4000 - 400);

    // The current zoom with a centre only centres: level 1, not 2.
    win.levels.clear();
    win.w.SetZoomFactor(2.0, WindowTestMaps::gaussKrueger(1200, 700));
    EXPECT_EQ(win.levels, std::vector<int>{1});
    EXPECT_EQ(win.w.scrollX(), 2400 - 200);
    EXPECT_EQ(win.w.scrollY(), 1400 - 150);

    // A new zoom keeps the map point in the middle and raises level 2 only.
    win.levels.clear();
    win.w.setZoomFactor(0.5);
    EXPECT_EQ(win.levels, std::vector<int>{2});
    EXPECT_EQ(win.w.scrollX(), 600 - 200);
    EXPECT_EQ(win.w.scrollY(), 350 - 150);

    // Suspended, nothing is told; resuming more often than suspending is harmless.
    win.levels.clear();
    win.w.SuspendNotification();
    win.w.SetZoomFactor(1.0, WindowTestMaps::gaussKrueger(500, 400));
    win.w.ResumeNotification();
    win.w.ResumeNotification();
    EXPECT_TRUE(win.levels.empty());
    EXPECT_EQ(win.w.scrollX(), 300);
    EXPECT_EQ(win.w.scrollY(), 250);
    win.w.DoNotify(1);
    EXPECT_EQ(win.levels, std::vector<int>{1});

    // A picture without georeference keeps its middle as well, and so does a
    // zoom about a point of the window.
    const std::vector<uint8_t> rows(size_t(2000) * 1500, uint8_t(1));
    const QString bitmap = win.maps.path("plain.bmp");
    ASSERT_TRUE(RasterWriters::writeBmp(QFile::encodeName(bitmap).toStdString(), 2000, 1500, 8,
                                        {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}}, rows.data(), 2000));
    win.w.SetPathName(bitmap, false);
    ASSERT_NE(win.w.MapHandle(), 0u);
    win.w.SetCenterPos(win.pixel(1000, 700));
    win.w.setZoomFactor(2.0);
    EXPECT_EQ(win.w.scrollX(), 2000 - 200);
    EXPECT_EQ(win.w.scrollY(), 1400 - 150);
    win.w.SetZoomFactor(1.0, Coord{TLM_COORD_WINDOW_CLIENT, 0, 300, 150});
    EXPECT_EQ(win.w.scrollX(), (1800 + 300) / 2 - 200);
    EXPECT_EQ(win.w.scrollY(), (1250 + 150) / 2 - 150);
}

TEST(TolmWindow, DimmerWithAndWithoutMap) {
    Window win;
    win.w.setDimmerValue(100);
    EXPECT_EQ(win.w.DimmerValue(), 255);
    EXPECT_FALSE(win.w.AskDimmer(&win.w));
    EXPECT_FALSE(win.w.AskLayerActivation(&win.w));
    win.open(300, 200);
    win.w.setDimmerValue(100);
    EXPECT_EQ(win.w.DimmerValue(), 100);
}

TEST(TolmWindow, PositionsAndConversions) {
    Window win(400, 300);
    Coord out{TLM_COORD_MAP_PIXEL, 0};
    const Coord client{TLM_COORD_WINDOW_CLIENT, 0, 10, 20};
    EXPECT_EQ(win.w.TransformCoordsEx(client, out), int32_t(0x80004005u));
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(1, 1), out), int32_t(0x80004005u));
    EXPECT_FALSE(win.w.GetPos(out, 0));

    win.open(2000, 1500);
    win.w.SetCenterPos(win.pixel(1000, 700)); // scroll 800, 550
    // Alignment: bits 0-1 horizontal, bits 2-3 vertical.
    for (const auto& [alignment, x, y] : {std::tuple{0, 800, 550}, {2, 1200, 550}, {4, 800, 700}, {10, 1200, 850}}) {
        Coord p = win.pixel(0, 0);
        ASSERT_TRUE(win.w.GetPos(p, alignment));
        EXPECT_EQ(p.x, x) << alignment;
        EXPECT_EQ(p.y, y) << alignment;
    }
    Coord gk{TLM_COORD_GAUSS_KRUEGER};
    ASSERT_TRUE(win.w.GetCenterPos(gk));
    EXPECT_NEAR(gk.x, WindowTestMaps::Northing0 - 700, 1.0);
    EXPECT_NEAR(gk.y, WindowTestMaps::Easting0 + 1000, 1.0);

    // A client point given without the window's id, and back; the target
    // keeps its type and parameter.
    Coord p = win.pixel(0, 0);
    EXPECT_EQ(win.w.TransformCoordsEx(client, p), 0);
    EXPECT_EQ(p.x, 810);
    EXPECT_EQ(p.y, 570);
    Coord back{TLM_COORD_WINDOW_CLIENT, 0};
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(810, 570), back), 0);
    EXPECT_EQ(back.type, uint32_t(TLM_COORD_WINDOW_CLIENT));
    EXPECT_EQ(back.zone, 0u);
    EXPECT_EQ(back.x, 10);
    EXPECT_EQ(back.y, 20);
    // Off the map: converted, with the outside status.
    EXPECT_EQ(win.w.TransformCoordsEx(WindowTestMaps::gaussKrueger(-100, 570), back), int32_t(0x40001));
    EXPECT_EQ(back.x, -100 - 800);
}

TEST(TolmWindow, MouseAndKeyMessages) {
    Window win(400, 300);
    QWidget* v = win.w.viewport();
    auto send = [v](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(type, at, v->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(v, &event);
    };
    send(QEvent::MouseButtonPress, {30, 40}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    // Dragged out of the window to the left and above it.
    send(QEvent::MouseMove, {-5, -3}, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    send(QEvent::MouseButtonRelease, {-5, -3}, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    send(QEvent::MouseButtonDblClick, {1, 2}, Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
    ASSERT_EQ(win.messages.size(), 4u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_LBUTTONDOWN));
    EXPECT_EQ(win.messages[0].WParam, TLM_MK_LBUTTON | TLM_MK_SHIFT);
    EXPECT_EQ(win.messages[0].LParam, intptr_t(40 << 16 | 30));
    EXPECT_EQ(win.messages[1].Msg, uint32_t(TLM_WM_MOUSEMOVE));
    EXPECT_EQ(win.messages[1].WParam, TLM_MK_LBUTTON | TLM_MK_CONTROL);
    EXPECT_EQ(win.messages[1].LParam, intptr_t(0xFFFDFFFBu));
    EXPECT_EQ(win.messages[2].Msg, uint32_t(TLM_WM_LBUTTONUP));
    EXPECT_EQ(win.messages[2].WParam, 0u);
    EXPECT_EQ(win.messages[3].Msg, uint32_t(TLM_WM_MBUTTONDBLCLK));
    EXPECT_EQ(win.messages[3].WParam, TLM_MK_MBUTTON);

    win.messages.clear();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("ä"));
    QApplication::sendEvent(&win.w, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("ä"));
    QApplication::sendEvent(&win.w, &up);
    ASSERT_EQ(win.messages.size(), 3u);
    EXPECT_EQ(win.messages[0].Msg, uint32_t(TLM_WM_KEYDOWN));
    EXPECT_EQ(win.messages[0].WParam, uintptr_t('A'));
    EXPECT_EQ(win.messages[1].Msg, uint32_t(TLM_WM_CHAR));
    EXPECT_EQ(win.messages[1].WParam, 0xE4u); // the character in the Windows code page
    EXPECT_EQ(win.messages[2].Msg, uint32_t(TLM_WM_KEYUP));
}

TEST(TolmWindow, ScrollBarActionsEndWithAMessageAndAMove) {
    Window win(400, 300, true);
    win.open(2000, 1500);
    QScrollBar* h = win.w.horizontalScrollBar();
    QScrollBar* v = win.w.verticalScrollBar();
    // Both bars show: the scroll range is what the smaller client leaves.
    EXPECT_LT(win.w.viewport()->width(), 400);
    EXPECT_EQ(h->maximum(), 2000 - win.w.viewport()->width());
    win.levels.clear();
    auto endedOnce = [&win](uint32_t msg) {
        const bool ok = win.messages.size() == 1 && win.messages[0].Msg == msg &&
                        win.messages[0].WParam == TLM_SB_ENDSCROLL && win.levels == std::vector<int>{1};
        win.messages.clear();
        win.levels.clear();
        return ok;
    };

    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(win.w.scrollX(), 16);
    EXPECT_TRUE(win.messages.empty()); // the end comes once the step is done
    QCoreApplication::processEvents();
    EXPECT_TRUE(endedOnce(TLM_WM_HSCROLL));

    // The wheel scrolls too and ends the same way.
    QWidget* vp = win.w.viewport();
    QWheelEvent wheel(QPointF(50, 50), vp->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &wheel);
    QCoreApplication::processEvents();
    EXPECT_GT(win.w.scrollY(), 0);
    ASSERT_FALSE(win.messages.empty());
    win.messages.erase(win.messages.begin()); // the wheel message itself
    EXPECT_TRUE(endedOnce(TLM_WM_VSCROLL));

    // Dragging the slider scrolls along and ends on the release.
    v->setSliderDown(true);
    v->setSliderPosition(260);
    QCoreApplication::processEvents();
    EXPECT_EQ(win.w.scrollY(), 260);
    EXPECT_TRUE(win.messages.empty());
    v->setSliderDown(false);
    EXPECT_TRUE(endedOnce(TLM_WM_VSCROLL));

    // A press on the bar's arrow ends on the release.
    const QPoint arrow(h->width() - 3, h->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, arrow, h->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(h, &press);
    QCoreApplication::processEvents();
    EXPECT_TRUE(win.messages.empty());
    QMouseEvent release(QEvent::MouseButtonRelease, arrow, h->mapToGlobal(arrow), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(h, &release);
    QCoreApplication::processEvents();
    EXPECT_TRUE(endedOnce(TLM_WM_HSCROLL));
    EXPECT_GT(win.w.scrollX(), 16);
}
