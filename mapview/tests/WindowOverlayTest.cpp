// The overlay library: found beside the program, called with the map, the
// surface, the client rectangle and the scroll position in that order.
#include "TolmWindow.h"
#include "WindowOverlayPlugin.h"
#include "WindowTestMaps.h"

#include <QScrollBar>

#include <gtest/gtest.h>

TEST(TolmWindowOverlay, TheOverlayLibraryDrawsWhenAnOverlayIsSet) {
    WindowTestMaps maps;
    TTolmWindow w;
    w.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w.resize(240, 160);
    w.show();
    w.SetPathName(maps.write("a.tlm", 600, 500), false);
    w.horizontalScrollBar()->setValue(40);
    w.verticalScrollBar()->setValue(24);

    OverlayCall call;
    (void)grabClient(w);
    EXPECT_EQ(call.calls, 0);
    w.setOverlay(&call);
    EXPECT_EQ(w.overlay(), &call);
    const QImage shot = grabClient(w);
    ASSERT_GE(call.calls, 1);
    EXPECT_EQ(call.map, w.MapHandle());
    EXPECT_NE(call.hdc, 0u);
    EXPECT_EQ(call.client.left, 0);
    EXPECT_EQ(call.client.top, 0);
    EXPECT_EQ(call.client.right, 240);
    EXPECT_EQ(call.client.bottom, 160);
    EXPECT_FALSE(call.clipGiven);
    EXPECT_EQ(call.x, 40);
    EXPECT_EQ(call.y, 24);
    EXPECT_EQ(shot.pixelColor(5, 7), WindowTestMaps::colourAt(45, 31));

    const int calls = call.calls;
    w.setOverlay(nullptr);
    const QImage plain = grabClient(w);
    EXPECT_EQ(call.calls, calls);
    EXPECT_EQ(plain, shot);
    w.SetPathName(QString(), false);
}
