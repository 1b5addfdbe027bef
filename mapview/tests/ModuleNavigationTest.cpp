// Keyboard and mouse on the main map as the program runs it: the real
// start-up steps, the main window shown maximised, real input events.
#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapEvents.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ModuleTestSupport.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const ModuleTestSupport::MapArea Land{3470000, 5630000, 20.0, 3000, 3000};

// Counts what reaches the map's listeners.
struct Recorder : MapEventListener {
    int leftDowns = 0;
    int middleDowns = 0;
    int middleUps = 0;
    void ButtonDown(MapEventInfo& info) override { ++(info.button == 2 ? middleDowns : leftDowns); }
    void ButtonUp(MapEventInfo& info) override {
        if (info.button == 2)
            ++middleUps;
    }
};

class MapNavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("map-navigation-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
        cd.write("1\n3500000\n5600000\n");
        cd.close();
        for (const char* name : {"UEB_1600.TLM", "UEB_0250.TLM", "AREA1330.TLM"})
            ASSERT_TRUE(ModuleTestSupport::writeMap(karten + name, Land));
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        module = MainMapModule::instance();
        ASSERT_NE(module, nullptr);
        mainWindow = init->basis()->mainWindow();
        mainWindow->showMaximized();
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
        map = module->Window();
        ASSERT_NE(map, nullptr);
        ASSERT_TRUE(
            ModuleTestSupport::processUntil([&] { return map->isVisible() && map->viewport()->width() > 300; }));
        map->setFocus();
        recorder.Attach();
    }
    void TearDown() override {
        recorder.Detach();
        delete MainMapModule::instance();
        init.reset();
    }

    // The place under a client point, in Gauss-Krüger metres.
    Coord placeAt(QPoint point) const {
        Coord client{};
        client.type = 0xC001;
        client.x = point.x();
        client.y = point.y();
        Coord place{};
        place.type = 1;
        place.zone = 3;
        EXPECT_TRUE(module->Transform(client, place));
        return place;
    }

    void wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
        QWidget* client = map->viewport();
        QWheelEvent event(QPointF(at), QPointF(client->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(client, &event);
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QWidget* client = map->viewport();
        QMouseEvent event(type, QPointF(at), QPointF(client->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(client, &event);
    }

    QPoint scroll() const { return {map->scrollX(), map->scrollY()}; }

    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    MainMapModule* module = nullptr;
    TMainWindow* mainWindow = nullptr;
    TTolmWindow* map = nullptr;
    Recorder recorder;
};

} // namespace

TEST_F(MapNavigationTest, KeysScrollTheMap) {
    MapFunction* function = MapFunction::Active();
    const QPoint start = scroll();
    ASSERT_GT(start.x(), 20);
    ASSERT_GT(start.y(), 20);
    QTest::keyClick(map, Qt::Key_Right);
    const int line = map->scrollX() - start.x();
    EXPECT_GT(line, 0);
    QTest::keyClick(map, Qt::Key_Left);
    EXPECT_EQ(scroll(), start);
    QTest::keyClick(map, Qt::Key_Down);
    EXPECT_EQ(scroll(), start + QPoint(0, line));
    QTest::keyClick(map, Qt::Key_Up);
    EXPECT_EQ(scroll(), start);
    QTest::keyClick(map, Qt::Key_PageDown);
    EXPECT_EQ(map->scrollY(), start.y() + map->viewport()->height());
    QTest::keyClick(map, Qt::Key_PageUp);
    EXPECT_EQ(scroll(), start);
    // The scrolled view is the remembered one once the scroll has ended.
    QTest::keyClick(map, Qt::Key_PageDown);
    QCoreApplication::processEvents();
    const QPoint middle(map->viewport()->width() / 2, map->viewport()->height() / 2);
    const Coord centre = placeAt(middle);
    EXPECT_NEAR(module->DefCoordX, centre.x, Land.metres);
    EXPECT_NEAR(module->DefCoordY, centre.y, Land.metres);
    EXPECT_EQ(MapFunction::Active(), function);
}

TEST_F(MapNavigationTest, ZoomAboutTheMouseWithinTheLimits) {
    const QPoint at(map->viewport()->width() / 4, map->viewport()->height() / 3);
    const Coord before = placeAt(at);
    ASSERT_EQ(module->Zoom(), 1.0);
    wheel(at, 120, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 2.0);
    Coord after = placeAt(at);
    EXPECT_NEAR(after.x, before.x, Land.metres) << "the place under the mouse stays under it";
    EXPECT_NEAR(after.y, before.y, Land.metres);
    wheel(at, -120, Qt::ControlModifier);
    wheel(at, -60, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 1.0) << "half a notch waits for the other half";
    wheel(at, -60, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 0.5);
    after = placeAt(at);
    EXPECT_NEAR(after.x, before.x, 2 * Land.metres);
    EXPECT_NEAR(after.y, before.y, 2 * Land.metres);

    // The wheel without Ctrl scrolls, as it always did.
    const QPoint start = scroll();
    wheel(at, -120, Qt::NoModifier);
    EXPECT_EQ(module->Zoom(), 0.5);
    EXPECT_NE(scroll(), start);

    // The keys zoom about the mouse too.
    QCursor::setPos(map->viewport()->mapToGlobal(at));
    const Coord keyed = placeAt(at);
    QTest::keyClick(map, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 1.0);
    if (QCursor::pos() == map->viewport()->mapToGlobal(at)) {
        after = placeAt(at);
        EXPECT_NEAR(after.x, keyed.x, 2 * Land.metres);
        EXPECT_NEAR(after.y, keyed.y, 2 * Land.metres);
    }
    QTest::keyClick(map, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 0.5);

    // Never beyond the limits of the module.
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(map, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 0.125);
    for (int i = 0; i < 12; ++i)
        wheel(at, 120, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 8.0);
    QTest::keyClick(map, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(module->Zoom(), 8.0);
    EXPECT_EQ(recorder.leftDowns + recorder.middleDowns, 0);
}

TEST_F(MapNavigationTest, MiddleButtonDragsLeftButtonStaysWithTheFunction) {
    const QPoint from(300, 200);
    const QPoint start = scroll();
    mouse(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    mouse(QEvent::MouseMove, from + QPoint(-60, -20), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseMove, from + QPoint(-100, -50), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseButtonRelease, from + QPoint(-100, -50), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(scroll(), start + QPoint(100, 50)) << "the map follows the mouse";
    EXPECT_EQ(recorder.middleDowns, 0) << "a drag is no click for the map function";
    EXPECT_EQ(recorder.middleUps, 0);

    // A middle click that does not drag reaches the listeners as before.
    const QPoint moved = scroll();
    mouse(QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    mouse(QEvent::MouseMove, from + QPoint(1, 0), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseButtonRelease, from + QPoint(1, 0), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(scroll(), moved);
    EXPECT_EQ(recorder.middleDowns, 1);
    EXPECT_EQ(recorder.middleUps, 1);

    // The left button is the function's, also when dragged.
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, from + QPoint(-100, -50), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, from + QPoint(-100, -50), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(recorder.leftDowns, 1);
    EXPECT_NE(scroll(), moved + QPoint(100, 50)) << "no drag with the left button";
}

TEST_F(MapNavigationTest, FunctionMenuIsARadioGroup) {
    QMenu* functions = nullptr;
    for (QAction* top : mainWindow->menuMain()->actions()) {
        if (top->text() == "&Funktion")
            functions = top->menu();
    }
    ASSERT_NE(functions, nullptr);
    QList<QAction*> entries;
    for (QAction* entry : functions->actions()) {
        if (!entry->isSeparator() && entry->isCheckable())
            entries << entry;
    }
    ASSERT_GE(entries.size(), 3);
    QActionGroup* group = entries[0]->actionGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->isExclusive());
    const auto checkedCount = [&] {
        int n = 0;
        for (QAction* entry : entries)
            n += entry->isChecked() ? 1 : 0;
        return n;
    };
    mainWindow->updateModularActions();
    EXPECT_EQ(checkedCount(), 1);
    for (QAction* entry : entries) {
        EXPECT_EQ(entry->actionGroup(), group) << entry->text().toStdString();
        entry->trigger();
        EXPECT_EQ(checkedCount(), 1) << entry->text().toStdString();
        EXPECT_TRUE(entry->isChecked()) << entry->text().toStdString();
        // Choosing the active function again keeps it chosen.
        entry->trigger();
        EXPECT_EQ(checkedCount(), 1);
        EXPECT_TRUE(entry->isChecked());
    }
}
