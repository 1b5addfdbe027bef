#include "TestMaps.h"
#include "velmar32.h"

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// What the host callback saw, and how it answers.
struct Host {
    static std::vector<Message> log;
    static bool vetoClose;
    static int32_t callback(TLM_HWND, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        log.push_back({message, wParam, lParam});
        if (message == TLM_WM_COMMAND && wParam == TLM_NOTIFY_CLOSING && vetoClose)
            return 1;
        return 0;
    }
    static std::vector<std::string> boxes;
    static int32_t messageBox(void*, const char* text, const char* caption, uint32_t type) {
        boxes.push_back(std::string(caption) + "|" + text);
        EXPECT_TRUE(type & TLM_MB_ICONERROR);
        return TLM_IDOK;
    }
    static int indexOf(uint32_t message, uintptr_t wParam = uintptr_t(-1)) {
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i].message == message && (wParam == uintptr_t(-1) || log[i].wParam == wParam))
                return int(i);
        return -1;
    }
    static void reset() {
        log.clear();
        boxes.clear();
        vetoClose = false;
    }
};
std::vector<Message> Host::log;
bool Host::vetoClose = false;
std::vector<std::string> Host::boxes;

QWidget* widget(TLM_HWND w) {
    return static_cast<QWidget*>(TLM_Wnd_GetWidget(w));
}

QScrollBar* bar(TLM_HWND w, Qt::Orientation o) {
    for (QScrollBar* b : widget(w)->findChildren<QScrollBar*>())
        if (b->orientation() == o)
            return b;
    return nullptr;
}

class Velmar32Window : public ::testing::Test {
protected:
    void SetUp() override {
        Host::reset();
        TLM_SetMessageBoxFunction(&Host::messageBox);
        ASSERT_EQ(TLM_Wnd_Init(), 1);
    }
    void TearDown() override { TLM_SetMessageBoxFunction(nullptr); }
    TestMaps maps;
};

TEST_F(Velmar32Window, CallbackOrderAndVetoedClose) {
    const std::string path = maps.write("a.tlm", 300, 200);
    const TLM_HWND w = TLM_Wnd_Create("TolmGraphicWindow", nullptr, TLM_WS_HSCROLL | TLM_WS_VSCROLL,
                                      reinterpret_cast<const void*>(&Host::callback));
    ASSERT_NE(w, 0u);
    ASSERT_EQ(Host::log.size(), 1u);
    EXPECT_EQ(Host::log[0].message, uint32_t(TLM_WM_NCCREATE));
    const auto* cs = reinterpret_cast<const TLM_CREATESTRUCT*>(Host::log[0].lParam);
    ASSERT_NE(cs, nullptr);
    widget(w)->resize(160, 120);
    widget(w)->show();
    QApplication::processEvents();

    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    const int opened = Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_OPENED);
    ASSERT_GE(opened, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Host::log[size_t(opened)].lParam)), path);
    Host::log.clear();
    widget(w)->repaint();
    const int user = Host::indexOf(TLM_WM_USER);
    const int paint = Host::indexOf(TLM_WM_PAINT);
    ASSERT_GE(user, 0);
    ASSERT_GT(paint, user);
    // The map was drawn between: the host asked between tiles.
    EXPECT_GT(Host::indexOf(TLM_WM_COMMAND, TLM_CMD_PAINT_ABORT), user);
    // During WM_PAINT the surface belongs to the window.
    EXPECT_NE(TLM_Wnd_GetHandle(w), 0u);

    // A veto keeps the map and the window.
    Host::vetoClose = true;
    Host::log.clear();
    EXPECT_EQ(TLM_Wnd_CloseFile(w), 0);
    EXPECT_NE(TLM_Wnd_GetHandle(w), 0u);
    EXPECT_FALSE(widget(w)->close());
    EXPECT_NE(TLM_Wnd_GetWidget(w), nullptr);
    ASSERT_GE(Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_CLOSING), 0);
    EXPECT_EQ(Host::log[size_t(Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_CLOSING))].lParam, 0);
    EXPECT_EQ(Host::log.back().lParam, 1); // the window close asked with 1
    EXPECT_EQ(Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_CLOSED), -1);

    // Without the veto the map goes, then the host hears 0xFF02.
    Host::vetoClose = false;
    Host::log.clear();
    EXPECT_EQ(TLM_Wnd_GetWndProc()(w, TLM_WM_COMMAND, TLM_CMD_CLOSE, 0), 1);
    EXPECT_EQ(TLM_Wnd_GetHandle(w), 0u);
    const int closing = Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_CLOSING);
    const int closed = Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_CLOSED);
    ASSERT_GE(closing, 0);
    EXPECT_GT(closed, closing);

    // Destroying tells the host last.
    Host::log.clear();
    delete widget(w);
    ASSERT_FALSE(Host::log.empty());
    EXPECT_EQ(Host::log.back().message, uint32_t(TLM_WM_DESTROY));
    EXPECT_EQ(TLM_Wnd_GetWidget(w), nullptr);
}

TEST_F(Velmar32Window, OpenFailuresKeepThePreviousMap) {
    const std::string small = maps.write("small.tlm", 100, 80);
    const std::string big = maps.write("big.tlm", 400, 80);
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", nullptr, 0, nullptr);
    ASSERT_NE(w, 0u);
    ASSERT_EQ(TLM_Wnd_SetCallback(w, &Host::callback), 1);
    const int32_t limit[2] = {300, 300};
    TLM_Wnd_SetMaxSize(w, limit);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, small.c_str()), 1);
    const TLM_HANDLE first = TLM_Wnd_GetHandle(w);
    ASSERT_NE(first, 0u);

    Host::log.clear();
    EXPECT_EQ(TLM_Wnd_OpenFile(w, big.c_str()), 0);
    ASSERT_EQ(Host::boxes.size(), 1u);
    EXPECT_EQ(Host::boxes[0], "Fehler!|Grafik zu gro\xDF!"); // Windows-1252
    EXPECT_EQ(TLM_Wnd_GetHandle(w), first);
    EXPECT_EQ(Host::indexOf(TLM_WM_COMMAND, TLM_NOTIFY_OPENED), -1);

    EXPECT_EQ(TLM_Wnd_OpenFile(w, maps.path("missing.tlm").c_str()), 0);
    ASSERT_EQ(Host::boxes.size(), 2u);
    EXPECT_EQ(Host::boxes[1], "Fehler!|Fehler beim Laden der TLM-Datei!");
    EXPECT_EQ(TLM_Wnd_GetHandle(w), first);

    // A null pair makes the size unlimited again.
    TLM_Wnd_SetMaxSize(w, nullptr);
    EXPECT_EQ(TLM_Wnd_OpenFile(w, big.c_str()), 1);
    EXPECT_NE(TLM_Wnd_GetHandle(w), first);
    int32_t size[2];
    EXPECT_EQ(TLM_GetSize(first, size), 0); // the previous map was closed
    delete widget(w);
}

TEST_F(Velmar32Window, ScrollRangeShiftAndCodes) {
    // Largest origin 70000 - client width: halved twice to fit 32767.
    const std::string wide = maps.write("wide.tlm", 70000, 64);
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", nullptr, TLM_WS_HSCROLL | TLM_WS_VSCROLL, nullptr);
    widget(w)->resize(200, 150);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, wide.c_str()), 1);
    QScrollBar* h = bar(w, Qt::Horizontal);
    QScrollBar* v = bar(w, Qt::Vertical);
    ASSERT_TRUE(h && v);
    EXPECT_FALSE(h->isHidden());
    EXPECT_TRUE(v->isHidden()); // 64 rows fit even below the horizontal bar
    const int client = 200;     // no vertical bar
    const int largest = 70000 - client;
    EXPECT_EQ(h->maximum(), largest >> 2);
    EXPECT_LE(h->maximum(), 32767);

    const TLM_WndProc proc = TLM_Wnd_GetWndProc();
    Coord pos;
    pos.type = TLM_COORD_WINDOW_DRAWN;
    auto origin = [&] {
        Coord p;
        p.type = TLM_COORD_MAP_PIXEL;
        p.zone = TLM_Wnd_GetHandle(w);
        EXPECT_EQ(TLM_Wnd_GetPos(w, &p, 0), 1);
        return p.x;
    };
    proc(w, TLM_WM_HSCROLL, TLM_SB_BOTTOM, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), largest);
    EXPECT_EQ(h->value(), largest >> 2);
    proc(w, TLM_WM_HSCROLL, TLM_SB_LINEDOWN, 0); // clamped
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), largest);
    proc(w, TLM_WM_HSCROLL, TLM_SB_TOP, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_LINEDOWN, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_LINEDOWN, 0);
    EXPECT_EQ(origin(), largest); // nothing moves before the end of scrolling
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 32);
    proc(w, TLM_WM_HSCROLL, TLM_SB_PAGEDOWN, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 32 + client * 3 / 4);
    proc(w, TLM_WM_HSCROLL, TLM_SB_PAGEUP, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_PAGEUP, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_THUMBTRACK | 1000 << 16, 0); // dragging does not scroll
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_THUMBPOSITION | 1000 << 16, 0); // shown positions are shifted
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 4000);
    proc(w, TLM_WM_HSCROLL, TLM_SB_LINEUP, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    EXPECT_EQ(origin(), 4000 - 16);
    delete widget(w);
}

TEST_F(Velmar32Window, SetPosAlignmentAndZoomKeepsTheCentre) {
    const std::string path = maps.write("a.tlm", 1000, 800);
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", nullptr, 0, nullptr);
    widget(w)->resize(200, 100);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    const TLM_HANDLE map = TLM_Wnd_GetHandle(w);
    Coord p;
    p.type = TLM_COORD_MAP_PIXEL;
    p.zone = map;
    p.x = 500;
    p.y = 400;
    ASSERT_EQ(TLM_Wnd_SetPos(w, &p, 5), 1);
    Coord drawn;
    drawn.type = TLM_COORD_MAP_PIXEL;
    drawn.zone = map;
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 0), 1);
    EXPECT_EQ(drawn.x, 400);
    EXPECT_EQ(drawn.y, 350);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 5), 1);
    EXPECT_EQ(drawn.x, 500);
    EXPECT_EQ(drawn.y, 400);
    // Right and bottom edges.
    ASSERT_EQ(TLM_Wnd_SetPos(w, &p, 8 | 2), 1);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 0), 1);
    EXPECT_EQ(drawn.x, 300);
    EXPECT_EQ(drawn.y, 300);
    // Outside the map: 0 and no scrolling.
    p.x = 1000;
    EXPECT_EQ(TLM_Wnd_SetPos(w, &p, 5), 0);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 0), 1);
    EXPECT_EQ(drawn.x, 300);
    // Clamped to the largest origin.
    p.x = 990;
    p.y = 790;
    ASSERT_EQ(TLM_Wnd_SetPos(w, &p, 0), 1);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 0), 1);
    EXPECT_EQ(drawn.x, 800);
    EXPECT_EQ(drawn.y, 700);
    // By Gauss-Krüger position, centred.
    Coord gk;
    gk.type = TLM_COORD_GAUSS_KRUEGER;
    gk.zone = 3;
    gk.x = TestMaps::Northing0 - 400;
    gk.y = TestMaps::Easting0 + 500;
    ASSERT_EQ(TLM_Wnd_SetPos(w, &gk, 5), 1);

    // Zoom 2 keeps map point (500, 400) at the centre: display (1000, 800).
    double zoom = 2;
    ASSERT_EQ(TLM_Wnd_SetZoomFactor(w, &zoom), 1);
    EXPECT_DOUBLE_EQ(zoom, 2);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &drawn, 5), 1);
    EXPECT_EQ(drawn.x, 1000);
    EXPECT_EQ(drawn.y, 800);
    double z = 0;
    EXPECT_EQ(TLM_Wnd_GetZoomFactor(w, &z), 1);
    EXPECT_DOUBLE_EQ(z, 2);

    // Window forms of the handle operations act on the window's map.
    EXPECT_EQ(TLM_Wnd_SetDimmer(w, 90), 1);
    EXPECT_EQ(TLM_GetDimmer(map), 90);
    EXPECT_EQ(TLM_Wnd_GetDimmer(w), 90);
    EXPECT_EQ(TLM_Wnd_GetNumLayers(w), TLM_GetNumLayers(map));
    EXPECT_EQ(TLM_Wnd_SetHighQuality(w, 1), 1);
    EXPECT_EQ(TLM_GetHighQuality(map), 1);
    EXPECT_EQ(TLM_Wnd_CommonizePalette(w, 0), 1);

    // Client points convert through the window's drawn origin.
    Coord wp;
    wp.type = TLM_COORD_WINDOW_CLIENT;
    wp.zone = w;
    wp.x = 3;
    wp.y = 4;
    Coord mp;
    mp.type = TLM_COORD_MAP_PIXEL;
    mp.zone = map;
    ASSERT_EQ(TLM_TransformCoords(&wp, &mp), 1);
    EXPECT_EQ(mp.x, 1000 - 100 + 3);
    delete widget(w);
}

TEST_F(Velmar32Window, WindowDeviceContextAndHelpWindow) {
    const std::string path = maps.write("help.tlm", 400, 300);
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", nullptr, 0, nullptr);
    widget(w)->resize(120, 90);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    const TLM_HDC dc = TLM_Wnd_GetDC(w);
    ASSERT_NE(dc, 0u);
    TLM_RECT r;
    ASSERT_EQ(TLM_DC_GetClientRect(dc, &r), 1);
    EXPECT_EQ(r.right, 120);
    EXPECT_EQ(r.bottom, 90);
    EXPECT_EQ(TLM_IsPrintDC(dc), 0);
    EXPECT_EQ(TLM_Wnd_ReleaseDC(w, dc), 1);
    EXPECT_EQ(TLM_DC_GetClientRect(dc, &r), 0);
    delete widget(w);

    // "name#x#y#w#h", relative to the base path's directory.
    const std::string base = maps.path("index.html");
    TLM_HELPCREATE create{{0, 0}, base.c_str(), "help.tlm#150.0#100.0#160#120"};
    const TLM_HWND hw = TLM_Wnd_Create("TolmHelpWindow", nullptr, 0, &create);
    ASSERT_NE(hw, 0u);
    EXPECT_EQ(widget(hw)->size(), QSize(160, 120));
    Coord drawn;
    drawn.type = TLM_COORD_MAP_PIXEL;
    drawn.zone = TLM_Wnd_GetHandle(hw);
    ASSERT_EQ(TLM_Wnd_GetPos(hw, &drawn, 0), 1);
    EXPECT_EQ(drawn.x, 150);
    EXPECT_EQ(drawn.y, 100);
    int32_t pair[2] = {0, 0};
    EXPECT_EQ(TLM_Wnd_GetWndProc()(hw, TLM_WM_HELP_CLIENTSIZE, 0, reinterpret_cast<intptr_t>(pair)), 0);
    EXPECT_EQ(pair[0], 160);
    EXPECT_EQ(pair[1], 120);
    delete widget(hw);
}

} // namespace

namespace {

// The window shows the map at its drawn origin, also zoomed and scrolled.
TEST_F(Velmar32Window, PaintsTheMapAtTheDrawnOrigin) {
    const std::string path = maps.write("paint.tlm", 700, 500);
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", nullptr, TLM_WS_HSCROLL | TLM_WS_VSCROLL, nullptr);
    widget(w)->resize(300, 200);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    double zoom = 2;
    ASSERT_EQ(TLM_Wnd_SetZoomFactor(w, &zoom), 1);
    const TLM_WndProc proc = TLM_Wnd_GetWndProc();
    proc(w, TLM_WM_HSCROLL, TLM_SB_PAGEDOWN, 0);
    proc(w, TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0);
    proc(w, TLM_WM_VSCROLL, TLM_SB_LINEDOWN, 0);
    proc(w, TLM_WM_VSCROLL, TLM_SB_ENDSCROLL, 0);
    Coord origin;
    origin.type = TLM_COORD_MAP_PIXEL;
    origin.zone = TLM_Wnd_GetHandle(w);
    ASSERT_EQ(TLM_Wnd_GetPos(w, &origin, 0), 1);
    const QImage shot = widget(w)->grab().toImage();
    int wrong = 0;
    for (int y = 0; y < 180; y += 3)
        for (int x = 0; x < 280; x += 3) {
            const int i = TestMaps::indexAt((int(origin.x) + x) / 2, (int(origin.y) + y) / 2);
            const QRgb expected = qRgb(i * 16, 100, 200 - i);
            wrong += (shot.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF);
        }
    EXPECT_EQ(wrong, 0);
    delete widget(w);
}

} // namespace

namespace {

// The host's menu items for close, layers and dimmer are greyed while the
// window has no map.
TEST_F(Velmar32Window, MenuItemsFollowTheMap) {
    const std::string path = maps.write("menu.tlm", 100, 100);
    QWidget top;
    std::vector<QAction*> actions;
    for (int id : {int(TLM_CMD_OPEN), int(TLM_CMD_CLOSE), int(TLM_CMD_LAYERS), int(TLM_CMD_DIMMER)}) {
        auto* action = new QAction(&top);
        action->setProperty("tlmCommand", id);
        action->setEnabled(id == TLM_CMD_OPEN);
        actions.push_back(action);
    }
    const TLM_HWND w = TLM_Wnd_Create("TolmMfcWindow", &top, 0, nullptr);
    ASSERT_EQ(TLM_Wnd_OpenFile(w, path.c_str()), 1);
    for (QAction* a : actions)
        EXPECT_TRUE(a->isEnabled());
    ASSERT_EQ(TLM_Wnd_CloseFile(w), 1);
    EXPECT_TRUE(actions[0]->isEnabled());
    for (size_t i = 1; i < actions.size(); ++i)
        EXPECT_FALSE(actions[i]->isEnabled());
}

} // namespace
