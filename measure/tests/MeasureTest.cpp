// The measurement, its figures and its window, and the measure function in
// the program started on the demo medium as main() starts it.
#include "AppInitModule.h"
#include "CoordCode.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MeasureFunction.h"
#include "MeasureLineArea.h"
#include "MeasureNumber.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "TMeasureFrame.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A map library Gauss-Krüger position (a = northing, b = easting).
Coord gk(double northing, double easting, uint32_t zone = 3) {
    return Coord{1, zone, northing, easting};
}

// A DHDN conversion of the registry (Gauss-Krüger there has easting first).
Coord dhdn(double x, double y, uint32_t fromType, uint32_t toType, uint32_t zone) {
    Transid::BuildRegistry();
    Coord to{toType, zone};
    EXPECT_TRUE(Transid::Convert(Coord{fromType, zone, x, y}, to));
    return to;
}

} // namespace

TEST(MeasureLineArea, TriangleClosedAndReopenedInTheFrame) {
    const MeasureNumberFormat format(2);
    MeasureLineArea m;
    TMeasureFrame frame(format);
    frame.show();
    frame.Bind(&m);
    // Last segment, total, and the area while it is shown.
    auto shown = [&] {
        return (frame.txtLastDist->text() + " / " + frame.txtSumDist->text() +
                (frame.txtArea->isVisible() ? " / " + frame.txtArea->text() : QString()))
            .toStdString();
    };
    EXPECT_FALSE(m.DeleteLast()) << "nothing to delete";
    EXPECT_FALSE(m.AddPoint(Coord{0x8000})) << "a pixel of no map";

    // The triangle 0/0, 0/3, 4/3 (metres).
    const double n0 = 5600000, e0 = 3500000;
    ASSERT_TRUE(m.AddPoint(gk(n0, e0)) && m.AddPoint(gk(n0, e0 + 3)));
    EXPECT_FALSE(frame.pshCloseArea->isEnabled()) << "two points cannot be closed";
    ASSERT_TRUE(m.AddPoint(gk(n0 + 4, e0 + 3)));
    EXPECT_EQ(shown(), "4,00 m / 7,00 m");
    ASSERT_TRUE(frame.pshCloseArea->isEnabled());
    frame.pshCloseArea->click();
    ASSERT_TRUE(m.Closed());
    EXPECT_EQ(shown(), "5,00 m / 12,00 m / 6,00 m²");
    EXPECT_FALSE(frame.pshCloseArea->isVisible());
    EXPECT_EQ(frame.pshDeleteAll->text(), "&Gesamtfläche löschen");
    EXPECT_FALSE(m.AddPoint(gk(n0 + 10, e0 + 10))) << "a closed area takes no more points";

    // Delete last on a closed area only reopens it; the next removes a point.
    frame.pshDeleteLast->click();
    EXPECT_FALSE(m.Closed());
    EXPECT_EQ(shown(), "4,00 m / 7,00 m");
    EXPECT_TRUE(frame.pshCloseArea->isVisible());
    EXPECT_EQ(frame.pshDeleteAll->text(), "&Gesamtstrecke löschen");
    frame.pshDeleteLast->click();
    EXPECT_EQ(shown(), "3,00 m / 3,00 m");
    frame.pshDeleteAll->click();
    EXPECT_EQ(m.PointCount(), 0);
    EXPECT_EQ(shown(), "0,00 m / 0,00 m");
}

TEST(MeasureLineArea, PointsFollowTheStripOfTheFirstPoint) {
    // 7.49° E in strip 2 and 7.51° E in strip 3, at 49.55° N.
    auto strip = [](double lon, uint32_t zone) {
        const Coord p = dhdn(lon, 49.55, Transid::Code::DhdnGeographic, Transid::Code::DhdnGaussKrueger, zone);
        return gk(p.y, p.x, zone);
    };
    const Coord west = strip(7.49, 2), east = strip(7.51, 3), eastInTwo = strip(7.51, 2);
    MeasureLineArea m, back;
    ASSERT_TRUE(m.AddPoint(west) && m.AddPoint(east));
    EXPECT_EQ(m.Points()[1].zone, 2u);
    EXPECT_NEAR(m.Points()[1].x, eastInTwo.x, 0.01);
    EXPECT_NEAR(m.Points()[1].y, eastInTwo.y, 0.01);
    EXPECT_NEAR(m.Total(), 1447.0, 5.0) << "0.02° of longitude";
    ASSERT_TRUE(back.AddPoint(east) && back.AddPoint(west));
    EXPECT_EQ(back.Points()[1].zone, 3u);
    EXPECT_NEAR(back.Total(), m.Total(), 0.5) << "as long but for the strips' scale";
}

TEST(MeasureNumberFormat, ThousandsAndDecimals) {
    const MeasureNumberFormat none(0), two(2);
    EXPECT_EQ(none.Length(1234567.4), "1.234.567 m");
    EXPECT_EQ(none.Length(1234.6), "1.235 m");
    EXPECT_EQ(none.Length(999.5), "1.000 m");
    EXPECT_EQ(none.Area(6.0), "6 m²");
    EXPECT_EQ(none.Area(123456.0), "123.456 m²");
    EXPECT_EQ(two.Length(1234.567), "1.234,57 m");
    EXPECT_EQ(two.Number(-1234.5), "-1.234,50") << "no separator after the sign";
}

// Clicks on the regional map across the strip border at 7.5° E, the window's
// figures, the magenta drawing and the way back to the previous function.
TEST(MeasureFunction, OnTheDemoMediumAcrossTheStripBorder) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("measure-test-") + QByteArray::number(getpid()));
    Platform::ScriptedDialogs dialogs;
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    TAppInitModule init(options);
    struct Cleanup {
        ~Cleanup() {
            MeasureFunction::SetBeeper(nullptr);
            MapFunction::Activate(nullptr);
            delete MainMapModule::instance();
        }
    } cleanup;
    ASSERT_TRUE(init.initApp());
    TMainWindow* mainWindow = init.basis()->mainWindow();
    mainWindow->resize(1100, 800);
    mainWindow->show();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    module->DefCoordDynamic = false;
    TMapFunctionAction *measureAction = nullptr, *zoomAction = nullptr;
    for (TModularAction* action : mainWindow->registeredActions())
        if (action->menuPath() == QStringLiteral("&Funktion|Entfernung/Fläche &messen"))
            measureAction = qobject_cast<TMapFunctionAction*>(action);
        else if (action->menuPath() == QStringLiteral("&Funktion|Z&oomen"))
            zoomAction = qobject_cast<TMapFunctionAction*>(action);
    ASSERT_TRUE(measureAction != nullptr && zoomAction != nullptr);
    auto* function = dynamic_cast<MeasureFunction*>(measureAction->mapFunction());
    ASSERT_NE(function, nullptr);
    int beeps = 0;
    MeasureFunction::SetBeeper([&] { ++beeps; });

    // The regional map at zoom 1 (2.5 m per pixel), centred on the border.
    module->Sequence().SelectMap(3);
    module->SetZoom(1.0, std::nullopt);
    const Coord border = dhdn(7.5, 49.55, Transid::Code::DhdnGeographic, Transid::Code::DhdnGaussKrueger, 3);
    module->SetCentre(gk(border.y, border.x), true);
    QWidget* client = module->WindowControl();
    ASSERT_NE(client, nullptr);
    for (int i = 0; i < 200 && !(client->isVisible() && client->width() > 400); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    ASSERT_GT(client->width(), 400);
    const int cx = client->width() / 2, cy = client->height() / 2;
    auto click = [&](int x, int y) {
        const QPointF at(x, y);
        QMouseEvent press(QEvent::MouseButtonPress, at, client->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QMouseEvent release(QEvent::MouseButtonRelease, at, client->mapToGlobal(at), Qt::LeftButton, {}, {});
        QApplication::sendEvent(client, &press);
        QApplication::sendEvent(client, &release);
    };
    // Magenta pixels in an area of the map as the window shows it now.
    auto magenta = [&](const QRect& area) {
        QCoreApplication::processEvents();
        const QImage image = client->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixel(x, y) == qRgb(255, 0, 255) ? 1 : 0;
        return n;
    };

    measureAction->trigger();
    ASSERT_EQ(MapFunction::Active(), function);
    TMeasureWindow* window = function->MeasureWindow();
    ASSERT_TRUE(window != nullptr && window->isVisible());
    TMeasureFrame* frame = function->Frame();

    // 100 pixels either side of the border.
    click(cx - 100, cy);
    click(cx + 100, cy);
    MeasureLineArea& m = function->Measurement();
    ASSERT_EQ(m.PointCount(), 2);
    EXPECT_NEAR(m.Total(), 500.0, 0.01);
    // The line in magenta, 3 pixels wide; nothing filled.
    EXPECT_EQ(magenta(QRect(cx, cy - 3, 1, 7)), 3);
    EXPECT_EQ(magenta(QRect(cx + 20, cy + 10, 40, 40)), 0);

    // A right triangle with legs of 500 m and 250 m, closed: hatched inside.
    click(cx + 100, cy + 100);
    frame->pshCloseArea->click();
    EXPECT_EQ(frame->txtLastDist->text(), "559 m");
    EXPECT_EQ(frame->txtSumDist->text(), "1.309 m");
    EXPECT_EQ(frame->txtArea->text(), "62.500 m²");
    const int hatched = magenta(QRect(cx + 50, cy + 20, 30, 20));
    EXPECT_TRUE(hatched > 0 && hatched < 300) << hatched;
    EXPECT_EQ(beeps, 0);
    click(cx - 50, cy + 150);
    EXPECT_EQ(m.PointCount(), 3);
    EXPECT_EQ(beeps, 1) << "a click on a closed area beeps";

    // Leaving hides window and figure; both come back with the function.
    zoomAction->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(magenta(QRect(cx, cy, 1, 1)), 0);
    measureAction->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(magenta(QRect(cx, cy, 1, 1)), 1);

    // Closing the window gives the map back to the function before.
    window->close();
    EXPECT_EQ(MapFunction::Active(), zoomAction->mapFunction());
    measureAction->update();
    EXPECT_FALSE(measureAction->isChecked());

    // Delete all takes the figure off the map.
    measureAction->trigger();
    frame->pshDeleteAll->click();
    EXPECT_EQ(magenta(QRect(cx, cy, 1, 1)), 0);
}
