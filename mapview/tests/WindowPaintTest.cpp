// What the map window shows: the map, the background beside a small map,
// scrolling, the foreground layer and the colour selector.
#include "ScriptedDialogs.h"
#include "TolmWindow.h"
#include "WindowTestMaps.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

struct PaintWindow {
    TTolmWindow w;
    explicit PaintWindow(int width, int height) {
        w.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        w.resize(width, height);
        w.show();
    }
    ~PaintWindow() { w.SetPathName(QString(), false); }
};

// Every pixel of the picture shows map pixel (x + dx, y + dy).
::testing::AssertionResult showsMap(const QImage& image, int dx, int dy, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor expected = WindowTestMaps::colourAt(x + dx, y + dy);
            if (image.pixelColor(x, y) != expected)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << image.pixelColor(x, y).name().toStdString()
                       << ", map pixel " << x + dx << "," << y + dy << " is " << expected.name().toStdString();
        }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(TolmWindowPaint, MapAndBackgroundBesideASmallMap) {
    WindowTestMaps maps;
    PaintWindow win(300, 200);
    const QColor background = win.w.viewport()->palette().brush(win.w.viewport()->backgroundRole()).color();
    // Without a map the window is all background.
    QImage shot = grabClient(win.w);
    EXPECT_EQ(shot.pixelColor(0, 0), background);
    EXPECT_EQ(shot.pixelColor(299, 199), background);

    win.w.SetPathName(maps.write("small.tlm", 100, 80), false);
    int painted = 0;
    win.w.OnPaint = [&painted](TTolmWindow*, TPaintRecord& record) {
        ++painted;
        EXPECT_NE(record.painter, nullptr);
        EXPECT_NE(record.hdc, 0u);
    };
    shot = grabClient(win.w);
    EXPECT_GE(painted, 1);
    EXPECT_TRUE(showsMap(shot, 0, 0, QRect(0, 0, 100, 80)));
    for (const QPoint p : {QPoint(100, 0), QPoint(299, 79), QPoint(0, 80), QPoint(99, 199), QPoint(299, 199)})
        EXPECT_EQ(shot.pixelColor(p), background) << p.x() << "," << p.y();
}

TEST(TolmWindowPaint, ForegroundLayerInvertsAndRestores) {
    WindowTestMaps maps;
    PaintWindow win(200, 150);
    win.w.SetPathName(maps.write("a.tlm", 400, 300), false);
    const QImage before = grabClient(win.w);
    const QRect band(20, 30, 50, 40);
    auto drawBand = [&] {
        QPainter p(&win.w.ForegroundLayer());
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(band, Qt::black);
        p.end();
        win.w.UpdateForeground(band);
    };
    drawBand();
    const QImage shown = grabClient(win.w);
    for (const QPoint p : {QPoint(20, 30), QPoint(69, 69), QPoint(40, 50)}) {
        const QRgb b = before.pixel(p);
        EXPECT_EQ(shown.pixel(p) & 0xFFFFFF, ~b & 0xFFFFFF) << p.x() << "," << p.y();
    }
    EXPECT_EQ(shown.pixel(19, 30), before.pixel(19, 30));
    EXPECT_EQ(shown.pixel(70, 69), before.pixel(70, 69));
    // Drawn a second time, the band is gone; scrolling with an empty layer
    // shows the map again.
    drawBand();
    EXPECT_EQ(grabClient(win.w), before);
    win.w.horizontalScrollBar()->setValue(16);
    EXPECT_TRUE(showsMap(grabClient(win.w), 16, 0, QRect(0, 0, 200, 150)));
    // A new size clears the layer.
    drawBand();
    win.w.resize(210, 150);
    QApplication::processEvents();
    EXPECT_TRUE(showsMap(grabClient(win.w), 16, 0, QRect(0, 0, 210, 150)));
}

TEST(TolmColorSelector, PicksThroughTheSharedDialog) {
    const QList<QColor> custom = TTolmColorSelector::CustomColors();
    ASSERT_EQ(custom.size(), 16);
    for (const QColor& c : custom)
        EXPECT_EQ(c, QColor(255, 255, 255));

    Platform::ScriptedDialogs dialogs;
    TTolmColorSelector selector;
    selector.resize(30, 20);
    EXPECT_EQ(selector.Color(), QColor(255, 255, 255));
    int changes = 0;
    selector.OnChange = [&changes](TTolmColorSelector*) { ++changes; };
    auto click = [&selector] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), selector.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&selector, &press);
    };
    dialogs.colorAnswers.push_back(QColor(10, 20, 30));
    click();
    EXPECT_EQ(selector.Color(), QColor(10, 20, 30));
    EXPECT_EQ(changes, 1);
    QImage shot = selector.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(10, 20, 30));
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(0, 0, 0)); // the outline

    dialogs.colorAnswers.push_back(std::nullopt); // cancelled
    click();
    EXPECT_EQ(selector.Color(), QColor(10, 20, 30));
    EXPECT_EQ(changes, 1);

    // Disabled: no dialog, only the background.
    selector.setEnabledState(false);
    dialogs.colorAnswers.push_back(QColor(1, 2, 3));
    click();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dialogs.colorAnswers.size(), 1u);
    shot = selector.grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), selector.palette().color(selector.backgroundRole()));
}
