// The map window module on a real page with real maps: zoom limits, the
// remembered position, the map sequence and the search for a place on
// another map.
#include "LeftRightFrame.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapEvents.h"
#include "MapSequence.h"
#include "MapTabCard.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "ModuleTestSupport.h"
#include "ScriptedDialogs.h"
#include "TolmWindow.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using Modul::Kartenfolge::Info;
using ModuleTestSupport::gk;
using ModuleTestSupport::MapArea;

namespace {

// Three maps from the overview down to the detailed one, each larger than
// the window so that every place on them can be centred.
const MapArea Overview1600{3470000, 5630000, 50.0, 1200, 1200}; // E 3470000..3530000, N 5570000..5630000
const MapArea Overview250{3495000, 5605000, 10.0, 1000, 1000};  // E 3495000..3505000, N 5595000..5605000
const MapArea Regional{3500300, 5599700, 1.0, 1500, 1500};      // E 3500300..3501800, N 5598200..5599700

constexpr double InAllE = 3501000, InAllN = 5599000;                 // on every map
constexpr double OnlyOverviewsE = 3496000, OnlyOverviewsN = 5604000; // maps 1 and 2
constexpr double OnlyFirstE = 3475000, OnlyFirstN = 5625000;         // map 1
constexpr double NowhereE = 3400000, NowhereN = 5700000;

// Gauss-Krüger of the window's centre.
Coord centreOf(const MainMapModule& module) {
    Coord c{};
    c.type = 1;
    c.zone = 3;
    EXPECT_TRUE(module.Position(c, TTolmWindow::AlignCenter));
    return c;
}

class MapModule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(medium.isValid());
        basis.setBasePath(medium.path());
        karten = basis.basePath() + "KARTEN/";
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "UEB_1600.TLM", Overview1600));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "UEB_0250.TLM", Overview250));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "AREA1330.TLM", Regional));
        ASSERT_TRUE(ModuleTestSupport::writeMap(karten + "ANDERE.TLM", Regional));
        manager = std::make_unique<LeftRightDataPageManager>(basis.mainWindow());
        basis.mainWindow()->resize(1000, 700);
        basis.mainWindow()->show();
        module = std::make_unique<MainMapModule>();
    }
    void TearDown() override {
        module.reset();
        manager.reset();
    }

    void addMaps() {
        module->Sequence().AddEntry({"Übersicht\t1 : 1 600 000", "UEB_1600.TLM", "OV_LAND.TLM", {}});
        module->Sequence().AddEntry({"Übersicht\t1 :   250 000", "UEB_0250.TLM", "OV_LAND.TLM", {}});
        module->Sequence().AddEntry({"Top. Karte\t1 :    25 000", "AREA1330.TLM", "OV_CD.TLM", {}});
    }

    void rememberNothing() {
        module->DefCoordX = 0.0;
        module->DefCoordY = 0.0;
    }

    TTolmWindow& window() {
        TTolmWindow* w = module->ShowMapPage();
        EXPECT_NE(w, nullptr);
        return *w;
    }

    Platform::ScriptedDialogs dialogs;
    QTemporaryDir medium;
    Modul::Basis basis;
    QString karten;
    std::unique_ptr<LeftRightDataPageManager> manager;
    std::unique_ptr<MainMapModule> module;
};

} // namespace

TEST_F(MapModule, ZoomIsClampedToTheLimits) {
    module->SetMap(karten + "AREA1330.TLM", 1.0, std::nullopt, true);
    ASSERT_NE(module->Window(), nullptr);
    ASSERT_FALSE(module->MapPath().isEmpty());
    module->SetZoom(20.0, std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 8.0);
    module->SetZoom(0.01, std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 0.125);
    module->SetZoom(2.0, std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 2.0);
    module->SetZoom(std::nan(""), std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 2.0) << "not a number: no zoom";

    module->MaxZoom = 0.0;
    module->SetZoom(20.0, std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 20.0) << "MaxZoom 0: no upper limit";
    module->SetZoom(0.01, std::nullopt);
    EXPECT_DOUBLE_EQ(module->Zoom(), 0.125) << "the lower limit still holds";
    EXPECT_DOUBLE_EQ(module->ClampedZoom(-3.0), 0.125);

    // The action target sees the same limits.
    module->MaxZoom = 8.0;
    MapActionTarget* target = MapActionTarget::instance();
    ASSERT_EQ(target, module.get());
    target->setZoom(100.0);
    EXPECT_DOUBLE_EQ(target->zoom(), 8.0);
}

TEST_F(MapModule, RememberedPosition) {
    rememberNothing();
    EXPECT_FALSE(module->RememberedPosition()) << "0/0 counts as none";
    module->DefCoordX = 5599000;
    module->DefCoordY = 0.0;
    ASSERT_TRUE(module->RememberedPosition());
    EXPECT_EQ(module->RememberedPosition()->type, 1u);
    EXPECT_EQ(module->RememberedPosition()->x, 5599000);

    EXPECT_FALSE(module->Remember(std::nullopt));
    EXPECT_TRUE(module->Remember(gk(InAllE, InAllN)));
    EXPECT_EQ(module->DefCoordX, InAllN) << "a = northing";
    EXPECT_EQ(module->DefCoordY, InAllE) << "b = easting";

    // A window point needs a map to mean anything.
    Coord point{};
    point.type = 0xC001;
    point.x = 10;
    point.y = 10;
    module->ShowMapPage();
    EXPECT_FALSE(module->Remember(point));
    EXPECT_EQ(module->DefCoordX, InAllN) << "a failed conversion keeps the position";

    module->DefCoordDynamic = false;
    module->SetMap(karten + "AREA1330.TLM", 1.0, gk(InAllE, InAllN), true);
    TTolmWindow& w = window();
    const int sx = w.scrollX(), sy = w.scrollY();
    EXPECT_TRUE(module->Remember(point));
    EXPECT_NEAR(module->DefCoordY, Regional.easting + sx + 10, 1.0);
    EXPECT_NEAR(module->DefCoordX, Regional.northing - (sy + 10), 1.0);
}

TEST_F(MapModule, SequenceKeepsTheRememberedPosition) {
    addMaps();
    module->Remember(gk(InAllE, InAllN));
    module->Sequence().Start(1);
    ASSERT_NE(module->Window(), nullptr);
    EXPECT_EQ(module->MapPath(), karten + "UEB_1600.TLM");
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 1);
    Coord c = centreOf(*module);
    EXPECT_NEAR(c.y, InAllE, Overview1600.metres);
    EXPECT_NEAR(c.x, InAllN, Overview1600.metres);

    for (int n : {2, 3, 1, 3}) {
        module->Sequence().SelectMap(n);
        EXPECT_EQ(module->Sequence().CurrentMapNumber(), n);
        const double metres = n == 1 ? Overview1600.metres : n == 2 ? Overview250.metres : Regional.metres;
        c = centreOf(*module);
        EXPECT_NEAR(c.y, InAllE, metres) << "map " << n;
        EXPECT_NEAR(c.x, InAllN, metres) << "map " << n;
    }
    module->Sequence().SelectMap(4); // no such map: nothing
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 3);

    // A map outside the sequence is number 0.
    module->SetMapPath(karten + "ANDERE.TLM", false);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 0);
}

TEST_F(MapModule, NoRememberedPositionKeepsTheWindowsCentre) {
    addMaps();
    rememberNothing();
    module->DefCoordDynamic = false;
    module->Sequence().Start(2);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);
    const double e = 3501200, n = 5598700; // on maps 2 and 3, away from their edges
    module->SetCentre(gk(e, n), false);
    module->Sequence().SelectMap(3);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 3);
    const Coord c = centreOf(*module);
    EXPECT_NEAR(c.y, e, 1.0) << "no remembered position: the map opens on the window's own centre";
    EXPECT_NEAR(c.x, n, 1.0);
}

TEST_F(MapModule, StartShowsTheFirstMapForNumbersOutOfRange) {
    addMaps();
    module->Sequence().Start(7);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 1);
    ASSERT_EQ(module->Sequence().Count(), 3);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(module->Sequence().Action(n)->isRegistered());
    EXPECT_EQ(module->Sequence().Action(1)->menuPath(), "&Karte|(CAT_MAPS)|Übersicht\t1 : 1 600 000");
    EXPECT_EQ(module->Sequence().Entry(3)->overviewMapFile, "OV_CD.TLM");
    EXPECT_EQ(module->Sequence().Entry(0), nullptr);
    EXPECT_EQ(module->Sequence().Entry(4), nullptr);
}

TEST_F(MapModule, MapChangeButtonsFollowTheSequence) {
    addMaps();
    module->Sequence().Start(1);
    TMapUpDownAction back(-1), forward(+1);
    back.update();
    forward.update();
    EXPECT_FALSE(back.isEnabled()) << "\"Karte zurück\" on the first map";
    EXPECT_TRUE(forward.isEnabled());

    forward.execute();
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);
    back.update();
    forward.update();
    EXPECT_TRUE(back.isEnabled());
    EXPECT_TRUE(forward.isEnabled());

    forward.execute();
    back.update();
    forward.update();
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 3);
    EXPECT_TRUE(back.isEnabled());
    EXPECT_FALSE(forward.isEnabled()) << "\"Karte vorwärts\" on the last map";
    forward.execute();
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 3);

    TMapSelectAction* third = module->Sequence().Action(3);
    third->update();
    EXPECT_TRUE(third->isChecked());
    module->Sequence().Action(1)->update();
    EXPECT_FALSE(module->Sequence().Action(1)->isChecked());

    back.execute();
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);
}

TEST_F(MapModule, MapNamesAndTheMapDirectory) {
    const auto resolved = [](const QString& name) {
        Info entry;
        entry.mapFile = name;
        return Modul::Kartenfolge::ResolvedPath(entry);
    };
    EXPECT_EQ(resolved("D:\\KARTEN\\UEB_1600.TLM"), "D:\\KARTEN\\UEB_1600.TLM");
    EXPECT_EQ(resolved("\\KARTEN\\UEB_1600.TLM"), "\\KARTEN\\UEB_1600.TLM");
    EXPECT_EQ(resolved("/srv/karten/x.tlm"), "/srv/karten/x.tlm");
    EXPECT_EQ(resolved("UEB_1600.TLM"), karten + "UEB_1600.TLM");
    EXPECT_EQ(resolved("ueb_1600.tlm"), karten + "UEB_1600.TLM") << "the medium's own spelling";
    EXPECT_EQ(resolved("FEHLT.TLM"), karten + "FEHLT.TLM");

    // A medium that spells its map folder in lower case.
    QTemporaryDir lower;
    ASSERT_TRUE(lower.isValid());
    ASSERT_TRUE(ModuleTestSupport::writeMap(lower.path() + "/karten/ueb_0250.tlm", Overview250));
    basis.setBasePath(lower.path());
    EXPECT_EQ(resolved("UEB_0250.TLM"), lower.path() + "/karten/ueb_0250.tlm");
    basis.setBasePath(medium.path());

    // An entry without a map file gives a disabled select action.
    module->Sequence().AddEntry({"Leer", "", "", {}});
    module->Sequence().Action(1)->update();
    EXPECT_FALSE(module->Sequence().Action(1)->isEnabled());

    // A missing map leaves the map shown before and its action unchecked.
    module->Sequence().AddEntry({"Fehlt", "FEHLT.TLM", "", {}});
    module->SetMap(karten + "AREA1330.TLM", 1.0, std::nullopt, true);
    module->Sequence().SelectMap(2);
    EXPECT_EQ(module->MapPath(), karten + "AREA1330.TLM");
    module->Sequence().Action(2)->update();
    EXPECT_FALSE(module->Sequence().Action(2)->isChecked());
}

TEST_F(MapModule, PlaceOnAnotherMap) {
    addMaps();
    module->Remember(gk(InAllE, InAllN));
    module->Sequence().Start(3);
    ASSERT_EQ(module->Sequence().CurrentMapNumber(), 3);

    // On the current map: no question.
    EXPECT_TRUE(module->Sequence().ShowPlaceOnSomeMap(gk(InAllE, InAllN), "Suche", "Burg", "die Burg"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // Only on the second map: one question, then map 2.
    EXPECT_TRUE(module->Sequence().ShowPlaceOnSomeMap(gk(OnlyOverviewsE, OnlyOverviewsN), "Ortssuche", "Kleinstadt",
                                                      "die Kleinstadt"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "Kleinstadt ist in der aktuellen Karte nicht enthalten.\n"
                                        "Wollen Sie die Kleinstadt auf einer anderen Karte sehen?");
    EXPECT_EQ(dialogs.messages[0].caption, "Ortssuche");
    EXPECT_EQ(dialogs.messages[0].buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Question);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);

    // No: nothing changes.
    dialogs.messages.clear();
    module->Sequence().SelectMap(3);
    dialogs.messageAnswers.push_back(Platform::MsgResult::No);
    EXPECT_FALSE(module->Sequence().ShowPlaceOnSomeMap(gk(OnlyFirstE, OnlyFirstN), "Suche", "Dorf", "das Dorf"));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 3);

    // Yes and nowhere: the walk ends at map 1 with the apology.
    dialogs.messages.clear();
    EXPECT_FALSE(module->Sequence().ShowPlaceOnSomeMap(gk(NowhereE, NowhereN), "Suche", "Atlantis", "Atlantis"));
    ASSERT_EQ(dialogs.messages.size(), 2) << "asked once, then the apology";
    EXPECT_EQ(dialogs.messages[1].text, "Atlantis scheint in keiner Karte enthalten zu sein. Sorry!");
    EXPECT_EQ(dialogs.messages[1].caption, "Suche");
    EXPECT_EQ(dialogs.messages[1].icon, Platform::MsgIcon::Information);
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 1);

    // From a map outside the sequence the walk starts at the last map.
    dialogs.messages.clear();
    module->SetMapPath(karten + "ANDERE.TLM", false);
    EXPECT_TRUE(
        Modul::Kartenfolge::ShowPlaceOnSomeMap(gk(OnlyOverviewsE, OnlyOverviewsN), "Suche", "Kleinstadt", "sie"));
    EXPECT_EQ(module->Sequence().CurrentMapNumber(), 2);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(MapModule, RememberedPositionFollowsClicksAndScrolling) {
    module->SetMap(karten + "AREA1330.TLM", 1.0, gk(InAllE, InAllN), true);
    TTolmWindow& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(basis.mainWindow()));
    const int sx = w.scrollX(), sy = w.scrollY();

    MapEvents::DispatchMessage(w, TMessage{TLM_WM_LBUTTONDOWN, TLM_MK_LBUTTON, packMousePosition(10, 20), 0});
    EXPECT_NEAR(module->DefCoordY, Regional.easting + sx + 10, 1.0);
    EXPECT_NEAR(module->DefCoordX, Regional.northing - (sy + 20), 1.0);

    MapEvents::DispatchMessage(w, TMessage{TLM_WM_RBUTTONDBLCLK, 0, packMousePosition(30, 40), 0});
    EXPECT_NEAR(module->DefCoordY, Regional.easting + sx + 30, 1.0) << "any button counts";

    MapEvents::DispatchMessage(w, TMessage{TLM_WM_MOUSEMOVE, 0, packMousePosition(200, 200), 0});
    MapEvents::DispatchMessage(w, TMessage{TLM_WM_LBUTTONUP, 0, packMousePosition(200, 200), 0});
    EXPECT_NEAR(module->DefCoordY, Regional.easting + sx + 30, 1.0) << "moves and releases do not";

    w.horizontalScrollBar()->setValue(sx + 100);
    w.verticalScrollBar()->setValue(sy + 50);
    MapEvents::DispatchMessage(w, TMessage{TLM_WM_HSCROLL, TLM_SB_ENDSCROLL, 0, 0});
    const Coord c = centreOf(*module);
    EXPECT_NEAR(module->DefCoordY, c.y, 1.0) << "a scroll message remembers the centre";
    EXPECT_NEAR(module->DefCoordX, c.x, 1.0);

    module->DefCoordDynamic = false;
    MapEvents::DispatchMessage(w, TMessage{TLM_WM_LBUTTONDOWN, 0, packMousePosition(0, 0), 0});
    EXPECT_NEAR(module->DefCoordY, c.y, 1.0) << "switched off: nothing is remembered";

    // Centring and zooming remember the centre they are given.
    module->DefCoordDynamic = true;
    module->SetCentre(gk(3501500, 5598500), false);
    EXPECT_EQ(module->DefCoordY, 3501500);
    module->SetZoom(2.0, gk(3500500, 5599500));
    EXPECT_EQ(module->DefCoordY, 3500500);
    EXPECT_EQ(module->DefCoordX, 5599500);

    // A window point is the place under it before the view moves, the place
    // that then lies in the middle (as the zoom function's clicks pass it).
    const auto placeAt = [&](double x, double y) {
        Coord point{};
        point.type = 0xC001;
        point.x = x;
        point.y = y;
        Coord place{};
        place.type = 1;
        place.zone = 3;
        EXPECT_TRUE(module->Transform(point, place));
        return std::pair{point, place};
    };
    module->SetZoom(1.0, gk(InAllE, InAllN));
    const auto [zoomPoint, zoomPlace] = placeAt(120, 90);
    module->SetZoom(2.0, zoomPoint);
    EXPECT_NEAR(centreOf(*module).y, zoomPlace.y, 1.0);
    EXPECT_NEAR(module->DefCoordY, zoomPlace.y, 1.0) << "zoom about a window point";
    EXPECT_NEAR(module->DefCoordX, zoomPlace.x, 1.0);

    const auto [centrePoint, centrePlace] = placeAt(150, 110);
    module->SetCentre(centrePoint, false);
    EXPECT_NEAR(centreOf(*module).y, centrePlace.y, 1.0);
    EXPECT_NEAR(module->DefCoordY, centrePlace.y, 1.0) << "centre on a window point";
    EXPECT_NEAR(module->DefCoordX, centrePlace.x, 1.0);

    const auto [mapPoint, mapPlace] = placeAt(130, 100);
    module->SetMap(QString(), 1.0, mapPoint, false);
    EXPECT_NEAR(module->DefCoordY, mapPlace.y, 1.0) << "set map without path on a window point";
    EXPECT_NEAR(module->DefCoordX, mapPlace.x, 1.0);
}

TEST_F(MapModule, TabCardHandsTheWindowsEventsOn) {
    struct Counter : MapEventListener {
        int views = 0;
        QList<Coord> downs;
        void ViewChanged(MapEventInfo&) override { ++views; }
        void ButtonDown(MapEventInfo& info) override { downs << info.position; }
    } counter;
    counter.Attach();
    module->SetMap(karten + "AREA1330.TLM", 1.0, gk(InAllE, InAllN), true);
    TTolmWindow& w = window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(basis.mainWindow()));
    EXPECT_EQ(_MapTabCard, module->TabCard());
    EXPECT_EQ(w.objectName(), "wndMap");

    counter.views = 0;
    module->SetZoom(2.0, std::nullopt);
    EXPECT_GE(counter.views, 1) << "the window's notification";

    counter.views = 0;
    module->TabCard()->resize(module->TabCard()->size() + QSize(-20, -10));
    EXPECT_GE(counter.views, 1) << "a resized card";

    QTest::mouseClick(w.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 25));
    ASSERT_EQ(counter.downs.size(), 1);
    EXPECT_EQ(counter.downs[0].x, 15);
    EXPECT_EQ(counter.downs[0].y, 25);
    counter.Detach();
}
