#include "TestMaps.h"
#include "velmar32.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Every export given the null handle (or null window, or null surface)
// does nothing and answers 0.
TEST(Velmar32Handles, NullHandleGivesZero) {
    int32_t size[2] = {7, 7};
    double d[2] = {1, 1};
    uint8_t bytes[4] = {};
    uint32_t colour = 0;
    Coord c;
    TLM_RECT r{0, 0, 10, 10};
    EXPECT_EQ(TLM_Duplicate(0), 0u);
    TLM_Close(0);
    EXPECT_EQ(TLM_GetSize(0, size), 0);
    EXPECT_EQ(size[0], 7);
    EXPECT_EQ(TLM_GetDataByteCount(0, 1), 0);
    EXPECT_EQ(TLM_GetDataBytes(0, &c, bytes, 0), 0);
    EXPECT_EQ(TLM_GetColorCount(0), 0);
    EXPECT_EQ(TLM_GetColor(0, 0, &colour), 0);
    EXPECT_EQ(TLM_GetBitsPerPixel(0), 0);
    EXPECT_EQ(TLM_Draw(0, 0, &r, nullptr, 0, 0), 0);
    EXPECT_EQ(TLM_SetZoomFactor(0, d), 0);
    EXPECT_EQ(TLM_GetZoomFactor(0, d), 0);
    EXPECT_EQ(TLM_GetZoomInfo(0, d), 0);
    EXPECT_EQ(TLM_SetHighQuality(0, 1), 0);
    EXPECT_EQ(TLM_GetHighQuality(0), 0);
    EXPECT_EQ(TLM_NewPalette(0, nullptr, 0), 0);
    EXPECT_EQ(TLM_SetDimmer(0, 10), 0);
    EXPECT_EQ(TLM_GetDimmer(0), 0);
    EXPECT_EQ(TLM_AskDimmer(0, nullptr), 0);
    EXPECT_EQ(TLM_GetNumLayers(0), 0);
    EXPECT_EQ(TLM_GetLayerName(0, 0), nullptr);
    EXPECT_EQ(TLM_GetLayerActivation(0), 0u);
    EXPECT_EQ(TLM_SetLayerActivation(0, 1), 0);
    EXPECT_EQ(TLM_AskLayerActivation(0, nullptr), 0);
    EXPECT_EQ(TLM_GetManyLayersCount(0), 0);
    EXPECT_EQ(TLM_GetManyLayerInfo(0, 1, 2), 0);
    EXPECT_EQ(TLM_SetManyLayerActivation(0, 1, 2), 0);
    EXPECT_EQ(TLM_AttachExternalCoords(0, nullptr), 0);
    EXPECT_EQ(TLM_GetExternalCoordFunction(0), nullptr);
    EXPECT_EQ(TLM_Print(nullptr), 0);
    TLM_PRINTPARAMS pp{};
    EXPECT_EQ(TLM_Print(&pp), 0);
    EXPECT_EQ(TLM_IsPrintDC(0), 0);
    EXPECT_EQ(TLM_DC_GetClientRect(0, &r), 0);
    EXPECT_EQ(TLM_DetachPainter(0), 0);
    EXPECT_EQ(TLM_Wnd_GetDC(0), 0u);
    EXPECT_EQ(TLM_Wnd_ReleaseDC(0, 0), 0);
    EXPECT_EQ(TLM_Wnd_GetWndProc()(0, TLM_WM_COMMAND, TLM_CMD_CLOSE, 0), 0);
    EXPECT_EQ(TLM_Wnd_OpenFile(0, "x.tlm"), 0);
    EXPECT_EQ(TLM_Wnd_CloseFile(0), 0);
    EXPECT_EQ(TLM_Wnd_SetPos(0, &c, 5), 0);
    EXPECT_EQ(TLM_Wnd_GetPos(0, &c, 5), 0);
    EXPECT_EQ(TLM_Wnd_SetMaxSize(0, size), 0);
    TLM_PAINTSTRUCT ps{};
    EXPECT_EQ(TLM_Wnd_DoPaint(0, &ps), 0);
    EXPECT_EQ(TLM_Wnd_AfterPaint(0, 0), 0);
    EXPECT_EQ(TLM_Wnd_EnableFlags(0, 1), 0);
    EXPECT_EQ(TLM_Wnd_DisableFlags(0, 1), 0);
    EXPECT_EQ(TLM_Wnd_SetZoomFactor(0, d), 0);
    EXPECT_EQ(TLM_Wnd_GetZoomFactor(0, d), 0);
    EXPECT_EQ(TLM_Wnd_SetDimmer(0, 3), 0);
    EXPECT_EQ(TLM_Wnd_GetDimmer(0), 0);
    EXPECT_EQ(TLM_Wnd_AskDimmer(0, nullptr), 0);
    EXPECT_EQ(TLM_Wnd_GetNumLayers(0), 0);
    EXPECT_EQ(TLM_Wnd_GetLayerName(0, 0), nullptr);
    EXPECT_EQ(TLM_Wnd_GetLayerActivation(0), 0u);
    EXPECT_EQ(TLM_Wnd_SetLayerActivation(0, 1), 0);
    EXPECT_EQ(TLM_Wnd_AskLayerActivation(0, nullptr), 0);
    EXPECT_EQ(TLM_Wnd_GetHighQuality(0), 0);
    EXPECT_EQ(TLM_Wnd_SetHighQuality(0, 1), 0);
    EXPECT_EQ(TLM_Wnd_GetHandle(0), 0u);
    EXPECT_EQ(TLM_Open("/nonexistent/map.tlm"), 0u);
    EXPECT_EQ(TLM_Wnd_Create("NoSuchClass", nullptr, 0, nullptr), 0u);
}

TEST(Velmar32Handles, SizePixelsAndColours) {
    TestMaps maps;
    const std::string path = maps.write("a.tlm", 200, 120);
    ASSERT_FALSE(path.empty());
    const TLM_HANDLE h = TLM_Open(path.c_str());
    ASSERT_NE(h, 0u);
    int32_t size[2];
    ASSERT_EQ(TLM_GetSize(h, size), 1);
    EXPECT_EQ(size[0], 200);
    EXPECT_EQ(size[1], 120);
    EXPECT_EQ(TLM_GetBitsPerPixel(h), 8);
    EXPECT_EQ(TLM_GetDataByteCount(h, 0), 1);
    EXPECT_EQ(TLM_GetDataByteCount(h, 1), 4);
    EXPECT_GE(TLM_GetColorCount(h), 16);
    uint32_t colour = 0;
    ASSERT_EQ(TLM_GetColor(h, 5, &colour), 1);
    EXPECT_EQ(colour, uint32_t(200 - 5) | 100u << 8 | uint32_t(5 * 16) << 16);
    EXPECT_EQ(TLM_GetColor(h, -1, &colour), 0);
    EXPECT_EQ(TLM_GetColor(h, TLM_GetColorCount(h), &colour), 0);

    // Pixel (37, 50) by display pixel and by Gauss-Krüger position.
    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = h;
    pixel.x = 37;
    pixel.y = 50;
    uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 0), 1);
    EXPECT_EQ(bytes[0], TestMaps::indexAt(37, 50));
    EXPECT_EQ(bytes[1], 0xEE); // one byte only
    Coord gk;
    gk.type = TLM_COORD_GAUSS_KRUEGER;
    gk.zone = 3;
    gk.x = TestMaps::Northing0 - 50.2;
    gk.y = TestMaps::Easting0 + 37.3;
    ASSERT_EQ(TLM_GetDataBytes(h, &gk, bytes, 0), 1);
    EXPECT_EQ(bytes[0], TestMaps::indexAt(37, 50));

    // With the flag: the drawing palette's entry, which follows the dimmer.
    ASSERT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 1), 1);
    const int i = TestMaps::indexAt(37, 50);
    EXPECT_EQ(bytes[0], 200 - i);
    EXPECT_EQ(bytes[1], 100);
    EXPECT_EQ(bytes[2], i * 16);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(TLM_SetDimmer(h, 128), 1);
    EXPECT_EQ(TLM_SetDimmer(h, 128), 0);
    ASSERT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 1), 1);
    EXPECT_LT(bytes[1], 100);

    // Outside the map.
    pixel.x = 200;
    EXPECT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 0), 0);
    pixel.x = -1;
    EXPECT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 0), 0);

    // Zoom 2: display pixels double, the source pixel is rounded to the nearest.
    double zoom = 2;
    ASSERT_EQ(TLM_SetZoomFactor(h, &zoom), 1);
    EXPECT_DOUBLE_EQ(zoom, 2);
    ASSERT_EQ(TLM_GetSize(h, size), 1);
    EXPECT_EQ(size[0], 400);
    pixel.x = 74;
    pixel.y = 100;
    ASSERT_EQ(TLM_GetDataBytes(h, &pixel, bytes, 0), 1);
    EXPECT_EQ(bytes[0], TestMaps::indexAt(37, 50));
    TLM_Close(h);
    EXPECT_EQ(TLM_GetSize(h, size), 0); // a closed handle is unknown
}

struct HookLog {
    static std::vector<std::pair<uint32_t, int32_t>> calls; // (record zone, flag)
    static int32_t hook(Coord* source, Coord* target, int32_t flag) {
        calls.emplace_back(source->zone, flag);
        if (flag == 0) {
            target->x = source->x;
            target->y = source->y;
        }
        EXPECT_TRUE(flag == 0 || source == target);
        return 0;
    }
    static int32_t other(Coord*, Coord*, int32_t) { return 0; }
};
std::vector<std::pair<uint32_t, int32_t>> HookLog::calls;

TEST(Velmar32Handles, DuplicateCopiesStateButNotTheHook) {
    TestMaps maps;
    const std::string path = maps.write("a.tlm", 200, 120);
    const TLM_HANDLE h = TLM_Open(path.c_str());
    ASSERT_NE(h, 0u);
    double zoom = 0.5;
    TLM_SetZoomFactor(h, &zoom);
    TLM_SetDimmer(h, 100);
    TLM_SetLayerActivation(h, 0);
    TLM_SetHighQuality(h, 1);
    HookLog::calls.clear();
    ASSERT_EQ(TLM_AttachExternalCoords(h, &HookLog::hook), 1);
    EXPECT_EQ(TLM_GetExternalCoordFunction(h), &HookLog::hook);

    const TLM_HANDLE d = TLM_Duplicate(h);
    ASSERT_NE(d, 0u);
    EXPECT_NE(d, h);
    double dz = 0;
    TLM_GetZoomFactor(d, &dz);
    EXPECT_DOUBLE_EQ(dz, zoom);
    EXPECT_EQ(TLM_GetDimmer(d), 100);
    EXPECT_EQ(TLM_GetLayerActivation(d), 0u);
    EXPECT_EQ(TLM_GetHighQuality(d), 1);
    EXPECT_EQ(TLM_GetExternalCoordFunction(d), nullptr);
    int32_t size[2];
    TLM_GetSize(d, size);
    EXPECT_EQ(size[0], 100);

    // The duplicate lives on when the original goes; the hook hears goodbye
    // with the closed handle in the record.
    TLM_Close(h);
    ASSERT_EQ(HookLog::calls.size(), 1u);
    EXPECT_EQ(HookLog::calls[0], std::make_pair(h, int32_t(1)));
    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = d;
    pixel.x = 10;
    pixel.y = 10;
    uint8_t b[4];
    EXPECT_EQ(TLM_GetDataBytes(d, &pixel, b, 0), 1);
    EXPECT_EQ(b[0], TestMaps::indexAt(20, 20));

    // Replacing a hook says goodbye to the old one.
    HookLog::calls.clear();
    TLM_AttachExternalCoords(d, &HookLog::hook);
    TLM_AttachExternalCoords(d, &HookLog::other);
    ASSERT_EQ(HookLog::calls.size(), 1u);
    EXPECT_EQ(HookLog::calls[0], std::make_pair(d, int32_t(1)));
    TLM_Close(d);
}

TEST(Velmar32Handles, DrawOnAttachedPainterAndCoordinates) {
    TestMaps maps;
    const TLM_HANDLE h = TLM_Open(maps.write("a.tlm", 200, 120).c_str());
    ASSERT_NE(h, 0u);
    QImage image(50, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        const TLM_HDC dc = TLM_AttachPainter(&painter);
        ASSERT_NE(dc, 0u);
        TLM_RECT target{0, 0, 50, 40};
        EXPECT_EQ(TLM_Draw(h, dc, &target, nullptr, 16, 8), 1);
        // A host surface is no print surface and knows no window.
        EXPECT_EQ(TLM_IsPrintDC(dc), 0);
        TLM_RECT r;
        EXPECT_EQ(TLM_DC_GetClientRect(dc, &r), 0);
        EXPECT_EQ(TLM_DetachPainter(dc), 1);
        EXPECT_EQ(TLM_Draw(h, dc, &target, nullptr, 0, 0), 0);
    }
    // Image pixel (3, 4) shows map pixel (19, 12).
    const int i = TestMaps::indexAt(19, 12);
    EXPECT_EQ(image.pixel(3, 4) & 0xFFFFFF, uint32_t(i * 16) << 16 | 100u << 8 | uint32_t(200 - i));

    Coord pixel;
    pixel.type = TLM_COORD_MAP_PIXEL;
    pixel.zone = h;
    pixel.x = 10;
    pixel.y = 20;
    Coord gk;
    gk.type = TLM_COORD_GAUSS_KRUEGER;
    EXPECT_EQ(TLM_TransformCoordsEx(&pixel, &gk), 0);
    EXPECT_EQ(gk.zone, 3u);
    EXPECT_NEAR(gk.y, TestMaps::Easting0 + 10, 1e-3);
    EXPECT_NEAR(gk.x, TestMaps::Northing0 - 20, 1e-3);
    // A position east of the map converts, but outside.
    gk.y = TestMaps::Easting0 + 250;
    Coord back;
    back.type = TLM_COORD_MAP_PIXEL;
    back.zone = h;
    EXPECT_EQ(TLM_TransformCoordsEx(&gk, &back), TLM_STATUS_OUTSIDE_MAP);
    EXPECT_EQ(TLM_TransformCoords(&gk, &back), 0);

    Coord geo;
    geo.x = 7.5;
    geo.y = 49.25;
    TLM_GRADMINSEC g;
    g.unused = 1234;
    TLM_CoordToGradMinSec(&geo, &g);
    EXPECT_EQ(g.unused, 1234);
    EXPECT_DOUBLE_EQ(g.degreesA, 7);
    EXPECT_DOUBLE_EQ(g.minutesA, 30);
    EXPECT_NEAR(g.secondsA, 0, 1e-9);
    EXPECT_DOUBLE_EQ(g.minutesB, 15);
    TLM_Close(h);
}

} // namespace
