// The map window module's steps in the whole start-up sequence: the module
// with the medium's default centre, the three maps, the first one shown, and
// the buttons and menu entries of map change, layers and dimming.
#include "AppInitModule.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ModuleTestSupport.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const ModuleTestSupport::MapArea Land{3470000, 5630000, 50.0, 1200, 1200};
const ModuleTestSupport::MapArea Detail{3500300, 5599700, 1.0, 1500, 1500};

class MapModuleStartup : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("map-module-test-") + QByteArray::number(getpid()));
        const QString karten = medium.path() + "/KARTEN/";
        QDir().mkpath(karten);
        QFile cd(karten + "CD.TXT");
        ASSERT_TRUE(cd.open(QIODevice::WriteOnly));
        cd.write("2\n3501000\n5599000\n"); // CD 2, easting, northing
        cd.close();
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "UEB_1600.TLM", Land));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "ueb_0250.tlm", Land));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "AREA2330.TLM", Detail));
    }
    // The start-up steps as the program runs them.
    void start() {
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
    }
    QString karten() const { return medium.path() + "/KARTEN/"; }
    void TearDown() override {
        delete MainMapModule::instance();
        init.reset();
    }
    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
};

} // namespace

TEST_F(MapModuleStartup, ModuleMapsAndActions) {
    start();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(MapWindowModule::instance(), module);
    EXPECT_EQ(MapActionTarget::instance(), module);
    // CD.TXT gives the easting first; the module keeps northing in X.
    EXPECT_EQ(module->DefCoordX, 5599000);
    EXPECT_EQ(module->DefCoordY, 3501000);

    Modul::Kartenfolge::Sequence& sequence = module->Sequence();
    ASSERT_EQ(sequence.Count(), 3);
    EXPECT_EQ(sequence.Entry(1)->caption, "Übersicht\t1 : 1 600 000");
    EXPECT_EQ(sequence.Entry(1)->mapFile, "UEB_1600.TLM");
    EXPECT_EQ(sequence.Entry(1)->overviewMapFile, "OV_LAND.TLM");
    EXPECT_EQ(sequence.Entry(2)->caption, "Übersicht\t1 :   250 000");
    EXPECT_EQ(sequence.Entry(2)->mapFile, "UEB_0250.TLM");
    EXPECT_EQ(sequence.Entry(2)->overviewMapFile, "OV_LAND.TLM");
    EXPECT_EQ(sequence.Entry(3)->caption, "Top. Karte\t1 :    25 000");
    EXPECT_EQ(sequence.Entry(3)->mapFile, "AREA2330.TLM") << "the regional map of CD 2";
    EXPECT_EQ(sequence.Entry(3)->overviewMapFile, "OV_CD.TLM");

    // Map 1 is shown, centred on the default centre of the medium.
    ASSERT_NE(module->Window(), nullptr);
    EXPECT_EQ(sequence.CurrentMapNumber(), 1);
    Coord centre{};
    centre.type = 1;
    centre.zone = 3;
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(centre.y, 3501000, Land.metres);
    EXPECT_NEAR(centre.x, 5599000, Land.metres);

    // The medium spells map 2 in lower case; it is found all the same.
    sequence.SelectMap(2);
    EXPECT_EQ(sequence.CurrentMapNumber(), 2);
    sequence.SelectMap(3);
    EXPECT_EQ(sequence.CurrentMapNumber(), 3);

    struct Expected {
        const char* hint;
        const char* menuPath;
        const char* category;
    } const expected[] = {
        {"Karte zurück", "", "MAP_CHANGE"},
        {"Karte vorwärts", "", "MAP_CHANGE"},
        {"Folien ein-/ausblenden", "&Anzeige|(CAT_VIEW_MAP)|&Folien...", "CAT_VIEW"},
        {"Abdunkeln (per Dialog)", "&Anzeige|(CAT_VIEW_MAP)|&Abdunkeln...", "CAT_VIEW"},
        {"Abdunkeln (um 20%)", "", "CAT_VIEW"},
        {"Volle Helligkeit", "", "CAT_VIEW"},
    };
    const QList<TModularAction*> actions = init->basis()->mainWindow()->registeredActions();
    int found = -1;
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->hint() == "Karte zurück") {
            found = i;
            break;
        }
    }
    ASSERT_GE(found, 3) << "after the three map entries";
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(actions[found - 3 + n], sequence.Action(n + 1)) << "select action " << n + 1;
    ASSERT_LE(found + 6, actions.size());
    for (int i = 0; i < 6; ++i) {
        TModularAction* action = actions[found + i];
        EXPECT_EQ(action->hint(), QString::fromUtf8(expected[i].hint));
        EXPECT_EQ(action->menuPath(), QString::fromUtf8(expected[i].menuPath));
        EXPECT_EQ(action->toolbarCategory(), QString::fromUtf8(expected[i].category));
        EXPECT_FALSE(action->toolbarBitmap().isNull()) << expected[i].hint;
    }

    // The buttons act on the sequence: map 3 is the last one.
    init->basis()->mainWindow()->updateModularActions();
    EXPECT_TRUE(actions[found]->isEnabled());
    EXPECT_FALSE(actions[found + 1]->isEnabled()) << "\"Karte vorwärts\" on the last map";

    // Dimming by 20 % and back to full brightness.
    actions[found + 4]->execute();
    EXPECT_EQ(module->Window()->DimmerValue(), 204);
    actions[found + 5]->execute();
    EXPECT_EQ(module->Window()->DimmerValue(), 255);
}

// The main window is shown only after start-up, as the program's main() does
// it: the map window gets its real size long after the first map was centred.
TEST_F(MapModuleStartup, DefaultCentreHoldsOnceTheWindowIsShown) {
    start();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    TMainWindow* window = init->basis()->mainWindow();
    window->showMaximized();
    TTolmWindow* map = module->Window();
    ASSERT_NE(map, nullptr);
    ASSERT_TRUE(ModuleTestSupport::processUntil([&] { return map->isVisible() && map->viewport()->width() > 300; }));
    QCoreApplication::processEvents();
    const QSize client = map->viewport()->size();
    ASSERT_LT(client.width(), Land.width) << "the map is larger than the window";
    ASSERT_LT(client.height(), Land.height);

    Coord centre{};
    centre.type = 1;
    centre.zone = 3;
    ASSERT_TRUE(module->Position(centre, TTolmWindow::AlignCenter));
    EXPECT_NEAR(centre.y, 3501000, Land.metres) << "easting of the start place";
    EXPECT_NEAR(centre.x, 5599000, Land.metres) << "northing of the start place";

    // Once the user moved the view, a resize no longer pulls it back.
    map->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const int moved = map->scrollX();
    window->showNormal();
    window->resize(client.width() + 40, client.height() + 160);
    QCoreApplication::processEvents();
    EXPECT_EQ(map->scrollX(), moved);
}

// A map of the sequence that cannot be opened: the user is told which file,
// and the other maps stay usable from the menu and the map-change buttons.
TEST_F(MapModuleStartup, DamagedMapOfTheSequence) {
    {
        QFile map(karten() + "UEB_1600.TLM");
        ASSERT_TRUE(map.resize(300)) << "truncated";
    }
    start();
    MainMapModule* module = MainMapModule::instance();
    ASSERT_NE(module, nullptr);
    Modul::Kartenfolge::Sequence& sequence = module->Sequence();

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("UEB_1600.TLM")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains(QString::fromUtf8("beschädigt")))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(sequence.CurrentMapNumber(), 2) << "the next map is shown instead";

    TMainWindow* window = init->basis()->mainWindow();
    const QList<TModularAction*> actions = window->registeredActions();
    TModularAction* back = nullptr;
    TModularAction* forward = nullptr;
    for (TModularAction* action : actions) {
        if (action->hint() == QString::fromUtf8("Karte zurück"))
            back = action;
        if (action->hint() == QString::fromUtf8("Karte vorwärts"))
            forward = action;
    }
    ASSERT_TRUE(back && forward);
    window->updateModularActions();
    EXPECT_FALSE(sequence.Action(1)->isChecked());
    EXPECT_TRUE(sequence.Action(2)->isChecked()) << "the menu shows what is shown";
    EXPECT_TRUE(forward->isEnabled());

    forward->trigger();
    EXPECT_EQ(sequence.CurrentMapNumber(), 3);
    back->trigger();
    EXPECT_EQ(sequence.CurrentMapNumber(), 2);
    EXPECT_EQ(dialogs.messages.size(), 1);

    // Back onto the damaged map: said again, and map 2 stays.
    back->trigger();
    EXPECT_EQ(sequence.CurrentMapNumber(), 2);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].text.contains("UEB_1600.TLM"));
    window->updateModularActions();
    EXPECT_TRUE(sequence.Action(2)->isChecked());
    EXPECT_FALSE(sequence.Action(1)->isChecked());

    // A missing map is named as missing.
    ASSERT_TRUE(QFile::remove(karten() + "AREA2330.TLM"));
    sequence.Action(3)->trigger();
    EXPECT_EQ(sequence.CurrentMapNumber(), 2);
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_TRUE(dialogs.messages[2].text.contains("AREA2330.TLM"));
    EXPECT_TRUE(dialogs.messages[2].text.contains("fehlt")) << dialogs.messages[2].text.toStdString();
}
