// Dynamic painting: markers drawn over the saved map picture and copied to
// the screen without drawing the map.
#include "DynaPaint.h"
#include "DynaPaintStrategy.h"
#include "TolmWindow.h"
#include "WindowTestMaps.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

struct DynaWindow {
    TTolmWindow w;
    int mapPaints = 0;
    DynaWindow(const QString& path, int width = 320, int height = 240, bool install = true) {
        w.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.resize(width, height);
        w.show();
        w.SetPathName(path, false);
        w.OnPaint = [this](TTolmWindow*, TPaintRecord&) { ++mapPaints; };
        if (install)
            DynaPaint::Install(w);
        QApplication::processEvents();
    }
    ~DynaWindow() { w.SetPathName(QString(), false); }
};

// A filled box at a place on the map (in window pixels while the map is not
// scrolled); it reports its area unless told not to.
struct BoxPainter : DynaPainter {
    QRect box;
    QColor colour = Qt::red;
    bool report = true;
    int paints = 0;
    void Paint(TTolmWindow& window, QPainter& canvas) override {
        ++paints;
        const QRect shown = box.translated(-window.scrollX(), -window.scrollY());
        canvas.fillRect(shown, colour);
        if (report)
            DynaPaint::InvalidateRect(shown);
    }
};

bool showsBox(const QImage& image, const QRect& box, const QColor& colour) {
    return image.pixelColor(box.topLeft()) == colour && image.pixelColor(box.bottomRight()) == colour &&
           image.pixelColor(box.center()) == colour;
}

bool showsMapAt(const QImage& image, const QRect& box, int sx = 0, int sy = 0) {
    for (const QPoint p : {box.topLeft(), box.bottomRight(), box.center()})
        if (image.pixelColor(p) != WindowTestMaps::colourAt(p.x() + sx, p.y() + sy))
            return false;
    return true;
}

} // namespace

TEST(DynaPaint, WithoutPaintersTheWindowPaintsAsBefore) {
    WindowTestMaps maps;
    const QString path = maps.write("a.tlm", 800, 600);
    DynaWindow plain(path, 320, 240, false);
    DynaWindow dyna(path);
    ASSERT_NE(DynaPaintStrategy::Instance(), nullptr);
    EXPECT_EQ(&DynaPaintStrategy::Instance()->Window(), &dyna.w);
    // A second install (another window) changes nothing.
    DynaPaint::Install(plain.w);
    EXPECT_EQ(&DynaPaintStrategy::Instance()->Window(), &dyna.w);
    for (TTolmWindow* w : {&plain.w, &dyna.w}) {
        w->horizontalScrollBar()->setValue(21);
        w->verticalScrollBar()->setValue(13);
    }
    QApplication::processEvents();
    const QImage expected = grabClient(plain.w);
    EXPECT_EQ(grabClient(dyna.w), expected);
    EXPECT_EQ(screenOf(dyna.w), screenOf(plain.w));
    EXPECT_TRUE(DynaPaintStrategy::Instance()->Direct());
    EXPECT_TRUE(DynaPaintStrategy::Instance()->StaticPicture().isNull());
    DynaPaint::RepaintDynamic(); // nothing to do
    EXPECT_EQ(screenOf(dyna.w), screenOf(plain.w));
}

TEST(DynaPaint, AMarkerMovesWithoutDrawingTheMap) {
    WindowTestMaps maps;
    DynaWindow win(maps.write("a.tlm", 800, 600));
    BoxPainter marker;
    marker.box = QRect(50, 40, 20, 20);
    DynaPaint::AddPainter(&marker);
    // The first painter makes the window paint once into its pictures.
    QApplication::processEvents();
    EXPECT_FALSE(DynaPaintStrategy::Instance()->Direct());
    EXPECT_GE(marker.paints, 1);
    QImage screen = screenOf(win.w);
    EXPECT_TRUE(showsBox(screen, marker.box, Qt::red));
    EXPECT_TRUE(showsMapAt(screen, QRect(100, 100, 20, 20)));
    EXPECT_TRUE(showsMapAt(DynaPaintStrategy::Instance()->StaticPicture(), marker.box));

    const int mapPaints = win.mapPaints;
    const QRect old = marker.box;
    marker.box = QRect(200, 150, 20, 20);
    DynaPaint::RepaintDynamic();
    EXPECT_EQ(win.mapPaints, mapPaints);
    screen = screenOf(win.w);
    EXPECT_TRUE(showsBox(screen, marker.box, Qt::red));
    EXPECT_TRUE(showsMapAt(screen, old));
    EXPECT_EQ(DynaPaintStrategy::Instance()->LastRect(), marker.box);

    // A full paint of the window shows the marker too.
    EXPECT_TRUE(showsBox(grabClient(win.w), marker.box, Qt::red));

    // Scrolled, the map moves and the marker with it.
    win.w.horizontalScrollBar()->setValue(16);
    QApplication::processEvents();
    screen = screenOf(win.w);
    EXPECT_TRUE(showsBox(screen, marker.box.translated(-16, 0), Qt::red));
    EXPECT_TRUE(showsMapAt(screen, QRect(300, 150, 20, 20), 16, 0));
    marker.box.translate(100, 0);
    DynaPaint::RepaintDynamic();
    screen = screenOf(win.w);
    EXPECT_TRUE(showsBox(screen, marker.box.translated(-16, 0), Qt::red));
    EXPECT_TRUE(showsMapAt(screen, QRect(184, 150, 20, 20), 16, 0));
    EXPECT_TRUE(showsMapAt(screen, QRect(10, 200, 20, 20), 16, 0));

    // Centred elsewhere and at once redrawn, as a moving position is: the
    // marker's old place, moved along with the map, shows the map again.
    win.w.SetCenterPos(Coord{TLM_COORD_MAP_PIXEL, win.w.MapHandle(), 16 + 160 + 60, 120});
    ASSERT_EQ(win.w.scrollX(), 16 + 60);
    ASSERT_EQ(win.w.scrollY(), 0);
    const QRect before = marker.box.translated(-16, 0);
    marker.box.translate(30, 20);
    DynaPaint::RepaintDynamic();
    QApplication::processEvents();
    screen = screenOf(win.w);
    EXPECT_TRUE(showsBox(screen, marker.box.translated(-76, 0), Qt::red));
    EXPECT_TRUE(showsMapAt(screen, before.translated(-60, 0), 76, 0));
    EXPECT_TRUE(showsMapAt(screen, before, 76, 0));

    // The last painter gone, the window paints directly again.
    DynaPaint::RemovePainter(&marker);
    QApplication::processEvents();
    EXPECT_TRUE(DynaPaintStrategy::Instance()->Direct());
    EXPECT_TRUE(showsMapAt(screenOf(win.w), marker.box.translated(-76, 0), 76, 0));
}

TEST(DynaPaint, APainterReportingNothingGetsItsOldAreaRestoredOnce) {
    WindowTestMaps maps;
    DynaWindow win(maps.write("a.tlm", 800, 600));
    BoxPainter marker;
    marker.box = QRect(50, 40, 20, 20);
    DynaPaint::AddPainter(&marker);
    QApplication::processEvents();
    DynaPaint::RepaintDynamic();
    ASSERT_TRUE(showsBox(screenOf(win.w), marker.box, Qt::red));

    // Drawn elsewhere without telling: the old area is restored, the new
    // drawing does not reach the screen.
    const QRect a = marker.box;
    marker.report = false;
    marker.box = QRect(150, 100, 20, 20);
    DynaPaint::RepaintDynamic();
    QImage screen = screenOf(win.w);
    EXPECT_TRUE(showsMapAt(screen, a));
    EXPECT_TRUE(showsMapAt(screen, marker.box));
    EXPECT_TRUE(DynaPaintStrategy::Instance()->LastRect().isEmpty());

    // Once restored, nothing more is copied: a drawing back at the old place
    // stays invisible.
    marker.box = a;
    marker.colour = Qt::blue;
    DynaPaint::RepaintDynamic();
    EXPECT_TRUE(showsMapAt(screenOf(win.w), a));
    EXPECT_TRUE(showsBox(DynaPaintStrategy::Instance()->WorkPicture(), a, Qt::blue));
    DynaPaint::RemovePainter(&marker);
}

TEST(DynaPaint, AResizeWaitsForTheNextPaint) {
    WindowTestMaps maps;
    DynaWindow win(maps.write("a.tlm", 800, 600));
    BoxPainter marker;
    marker.box = QRect(10, 10, 8, 8);
    DynaPaint::AddPainter(&marker);
    QApplication::processEvents();
    const int paints = marker.paints;
    win.w.resize(400, 300);
    // Before the window has painted in its new size there is nothing to copy.
    DynaPaint::RepaintDynamic();
    EXPECT_EQ(marker.paints, paints);
    EXPECT_EQ(DynaPaintStrategy::Instance()->StaticPicture().size(), QSize(320, 240));
    QApplication::processEvents();
    EXPECT_GT(marker.paints, paints);
    EXPECT_EQ(DynaPaintStrategy::Instance()->StaticPicture().size(), QSize(400, 300));
    EXPECT_EQ(DynaPaintStrategy::Instance()->WorkPicture().size(), QSize(400, 300));
    EXPECT_TRUE(showsBox(screenOf(win.w), marker.box, Qt::red));
    EXPECT_TRUE(showsMapAt(screenOf(win.w), QRect(350, 250, 20, 20)));
}

TEST(DynaPaint, PaintersOfAGoneWindowWaitForTheNextOne) {
    WindowTestMaps maps;
    const QString path = maps.write("a.tlm", 400, 300);
    BoxPainter first, second;
    first.box = QRect(0, 0, 10, 10);
    second.box = QRect(5, 5, 10, 10);
    second.colour = Qt::green;
    {
        DynaWindow win(path);
        DynaPaint::AddPainter(&first);
    }
    EXPECT_EQ(DynaPaintStrategy::Instance(), nullptr);
    DynaPaint::AddPainter(&second);
    DynaWindow win(path);
    QApplication::processEvents();
    // Registration order is painting order: the second paints over the first.
    const QImage screen = screenOf(win.w);
    EXPECT_EQ(screen.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(screen.pixelColor(8, 8), QColor(Qt::green));
}
