// The measure function in the whole program, started on the demo medium as
// main() starts it: its action, clicks on the regional map across the strip
// border at 7.5° E, the measuring window, the drawing and the way back to the
// previous function.
#include "AppInitModule.h"
#include "CoordCode.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MeasureFunction.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "Registry.h"
#include "ScriptedDialogs.h"
#include "TMeasureFrame.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <unistd.h>

namespace {

bool processUntil(const std::function<bool()>& condition, int rounds = 200) {
    for (int i = 0; i < rounds && !condition(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return condition();
}

void send(QWidget* target, QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(x, y);
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class MeasureOnDemoMedium : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("measure-test-") + QByteArray::number(getpid()));
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        mainWindow = init->basis()->mainWindow();
        mainWindow->resize(1100, 800);
        mainWindow->show();
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        module->DefCoordDynamic = false;
        for (TModularAction* action : mainWindow->registeredActions())
            if (action->menuPath() == QStringLiteral("&Funktion|Entfernung/Fläche &messen"))
                measureAction = qobject_cast<TMapFunctionAction*>(action);
            else if (action->menuPath() == QStringLiteral("&Funktion|Z&oomen"))
                zoomAction = qobject_cast<TMapFunctionAction*>(action);
        ASSERT_NE(measureAction, nullptr);
        function = dynamic_cast<MeasureFunction*>(measureAction->mapFunction());
        ASSERT_NE(function, nullptr);
        MeasureFunction::SetBeeper([this] { ++beeps; });

        // The regional map at zoom 1 (2.5 m per pixel), centred on the strip
        // border at 7.5° E.
        module->Sequence().SelectMap(3);
        ASSERT_TRUE(module->MapPath().endsWith(QStringLiteral(".TLM"), Qt::CaseInsensitive));
        module->SetZoom(1.0, std::nullopt);
        module->SetCentre(gaussKrueger(7.5, 49.55), true);
        client = module->WindowControl();
        ASSERT_NE(client, nullptr);
        ASSERT_TRUE(processUntil([this] { return client->isVisible() && client->width() > 400; }));
        cx = client->width() / 2;
        cy = client->height() / 2;
    }
    void TearDown() override {
        MeasureFunction::SetBeeper(nullptr);
        MapFunction::Activate(nullptr);
        delete MainMapModule::instance();
        init.reset();
    }

    // Library Gauss-Krüger in strip 3 of a DHDN longitude and latitude.
    static Coord gaussKrueger(double lon, double lat) {
        Transid::BuildRegistry();
        Coord geo{};
        geo.type = Transid::Code::DhdnGeographic;
        geo.x = lon;
        geo.y = lat;
        Coord out{};
        out.type = Transid::Code::DhdnGaussKrueger;
        out.zone = 3;
        EXPECT_TRUE(Transid::Convert(geo, out));
        Coord library{};
        library.type = 1;
        library.zone = 3;
        library.x = out.y;
        library.y = out.x;
        return library;
    }
    // DHDN longitude of a stored point.
    static double longitudeOf(const Coord& point) {
        Coord work{};
        work.type = Transid::Code::DhdnGaussKrueger;
        work.zone = point.zone;
        work.x = point.y;
        work.y = point.x;
        Coord geo{};
        geo.type = Transid::Code::DhdnGeographic;
        EXPECT_TRUE(Transid::Convert(work, geo));
        return geo.x;
    }

    void click(int x, int y) {
        send(client, QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
        send(client, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    }
    // The map as the window shows it now, after the pending repaints.
    QImage shot() {
        QCoreApplication::processEvents();
        return client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static bool magenta(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(255, 0, 255); }
    static int magentaCount(const QImage& image, const QRect& area) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += magenta(image, x, y) ? 1 : 0;
        return n;
    }

    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TMainWindow* mainWindow = nullptr;
    MainMapModule* module = nullptr;
    TMapFunctionAction* measureAction = nullptr;
    TMapFunctionAction* zoomAction = nullptr;
    MeasureFunction* function = nullptr;
    QWidget* client = nullptr;
    int cx = 0, cy = 0;
    int beeps = 0;
};

} // namespace

TEST_F(MeasureOnDemoMedium, ActionWindowLineAndAreaAcrossTheStripBorder) {
    EXPECT_EQ(measureAction->hint(), "Entfernung/Fläche messen");
    EXPECT_EQ(measureAction->toolbarCategory(), "CAT_FUNCTION");
    EXPECT_FALSE(measureAction->toolbarBitmap().isNull());
    EXPECT_NE(function->CursorNumber(), 0) << "the measure cursor was loaded";

    MapFunction* centre = MapFunction::Active();
    ASSERT_NE(centre, nullptr);
    measureAction->trigger();
    ASSERT_EQ(MapFunction::Active(), function);
    TMeasureWindow* window = function->MeasureWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Entfernung/Fläche");
    EXPECT_TRUE(window->windowFlags() & Qt::Tool);
    EXPECT_EQ(window->parentWidget(), mainWindow) << "stays on top of the main window";
    TMeasureFrame* frame = function->Frame();
    EXPECT_EQ(frame->txtSumDist->text(), "0 m");

    // 100 pixels either side of the border, 2.5 m each.
    click(cx - 100, cy);
    click(cx + 100, cy);
    MeasureLineArea& m = function->Measurement();
    ASSERT_EQ(m.PointCount(), 2);
    EXPECT_LT(longitudeOf(m.Points()[0]), 7.5);
    EXPECT_GT(longitudeOf(m.Points()[1]), 7.5);
    EXPECT_EQ(m.Points()[0].zone, m.Points()[1].zone) << "one strip for the whole line";
    EXPECT_NEAR(m.Total(), 500.0, 0.01);
    EXPECT_EQ(frame->txtLastDist->text(), "500 m");
    EXPECT_EQ(frame->txtSumDist->text(), "500 m");
    EXPECT_FALSE(frame->pshCloseArea->isEnabled());

    // The line is on the map in magenta, 3 pixels wide, and nothing is filled.
    QImage image = shot();
    EXPECT_TRUE(magenta(image, cx, cy));
    EXPECT_TRUE(magenta(image, cx, cy + 1));
    EXPECT_FALSE(magenta(image, cx, cy + 3));
    EXPECT_EQ(magentaCount(image, QRect(cx + 20, cy + 10, 40, 40)), 0);

    // A drag adds no point and does not beep.
    send(client, QEvent::MouseButtonPress, cx, cy + 50, Qt::LeftButton, Qt::LeftButton);
    send(client, QEvent::MouseMove, cx + 20, cy + 80, Qt::NoButton, Qt::LeftButton);
    send(client, QEvent::MouseButtonRelease, cx + 20, cy + 80, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m.PointCount(), 2);
    EXPECT_EQ(beeps, 0);

    // The third point makes a right triangle with legs of 500 m and 250 m.
    click(cx + 100, cy + 100);
    ASSERT_EQ(m.PointCount(), 3);
    EXPECT_EQ(frame->txtSumDist->text(), "750 m");
    ASSERT_TRUE(frame->pshCloseArea->isEnabled());
    frame->pshCloseArea->click();
    EXPECT_TRUE(m.Closed());
    EXPECT_EQ(frame->txtLastDist->text(), "559 m");
    EXPECT_EQ(frame->txtSumDist->text(), "1.309 m");
    EXPECT_EQ(frame->txtArea->text(), "62.500 m²");
    EXPECT_EQ(frame->pshDeleteAll->text(), "&Gesamtfläche löschen");

    // The area is hatched: inside the triangle some pixels are magenta, not all.
    image = shot();
    const QRect inside(cx + 50, cy + 20, 30, 20);
    const int hatched = magentaCount(image, inside);
    EXPECT_GT(hatched, 0);
    EXPECT_LT(hatched, inside.width() * inside.height() / 2);

    // A click on a closed area adds nothing and beeps.
    click(cx - 50, cy + 150);
    EXPECT_EQ(m.PointCount(), 3);
    EXPECT_EQ(beeps, 1);

    // Leaving hides the window and takes the figure off the map; the
    // measurement stays and comes back with the function.
    ASSERT_TRUE(MapFunction::Activate(centre));
    EXPECT_FALSE(window->isVisible());
    image = shot();
    EXPECT_FALSE(magenta(image, cx, cy));
    EXPECT_EQ(m.PointCount(), 3);
    zoomAction->trigger();
    measureAction->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(function->Previous(), zoomAction->mapFunction());
    image = shot();
    EXPECT_TRUE(magenta(image, cx, cy));

    // Closing the window gives the map back to the function before.
    window->close();
    EXPECT_EQ(MapFunction::Active(), zoomAction->mapFunction());
    EXPECT_FALSE(window->isVisible());
    measureAction->update();
    EXPECT_FALSE(measureAction->isChecked());

    // Delete all empties the measurement; the map is clean again.
    measureAction->trigger();
    frame->pshDeleteAll->click();
    EXPECT_EQ(m.PointCount(), 0);
    EXPECT_EQ(frame->txtSumDist->text(), "0 m");
    image = shot();
    EXPECT_FALSE(magenta(image, cx, cy));
}
