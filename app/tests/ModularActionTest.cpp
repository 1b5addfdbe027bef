#include "ModularAction.h"
#include "AppResources.h"
#include "MainWindow.h"
#include "MapActionTarget.h"
#include "MenuDescription.h"
#include "ModulBasis.h"
#include "ModularActionMenu.h"
#include "ScriptedDialogs.h"

#include <QMenuBar>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

// A map window module as the actions see it.
class FakeMap : public MapActionTarget {
public:
    FakeMap() { setInstance(this); }
    bool hasWindow = true;
    double currentZoom = 1.0;
    double min = 0.125;
    double max = 8.0;
    int dimmer = 255;
    int repaints = 0;
    MapFunction* active = nullptr;
    int maps = 3;
    int current = 1;
    QList<int> selected;
    QStringList shown;

    TTolmWindow* window() const override {
        return hasWindow ? reinterpret_cast<TTolmWindow*>(const_cast<FakeMap*>(this)) : nullptr;
    }
    double zoom() const override { return hasWindow ? currentZoom : 0.0; }
    void setZoom(double zoom) override {
        if (hasWindow)
            currentZoom = zoom;
    }
    double minZoom() const override { return min; }
    double maxZoom() const override { return max; }
    int dimmerValue() const override { return dimmer; }
    void setDimmerValue(int value) override { dimmer = value; }
    void repaint() override { ++repaints; }
    MapFunction* activeMapFunction() const override { return active; }
    void activateMapFunction(MapFunction* function) override { active = function; }
    int mapCount() const override { return maps; }
    int currentMapNumber() const override { return current; }
    void selectMap(int number) override {
        selected << number;
        current = number;
    }
    void showMap(const Modul::Kartenfolge::Info& entry, bool showPage) override {
        shown << entry.mapFile + (showPage ? "+page" : "");
    }
    bool isShownMap(const Modul::Kartenfolge::Info& entry) const override {
        return !shown.isEmpty() && shown.last().startsWith(entry.mapFile);
    }
};

// Distinct identities for map functions; the actions only compare them.
std::shared_ptr<MapFunction> fakeFunction() {
    auto* identity = new int(0);
    return std::shared_ptr<MapFunction>(reinterpret_cast<MapFunction*>(identity),
                                        [](MapFunction* f) { delete reinterpret_cast<int*>(f); });
}

class Actions : public ::testing::Test {
protected:
    Platform::ScriptedDialogs dialogs;
    Modul::Basis basis;
    FakeMap map;
    QMenuBar* menu() { return basis.mainWindow()->menuMain(); }
    QToolBar* toolbar() { return basis.mainWindow()->tbToolbar(); }
    TModularAction* add(const QString& path, const QString& bitmap = {}, const QString& category = {},
                        const QString& hint = {}) {
        auto* action = new TModularAction(basis.mainWindow());
        action->setMenuPath(path);
        if (!bitmap.isEmpty())
            action->setToolbarBitmapName(bitmap);
        action->setToolbarCategory(category);
        action->setHint(hint.isEmpty() ? path : hint);
        registerAction(action);
        return action;
    }
};

} // namespace

TEST_F(Actions, DimmerValues) {
    EXPECT_EQ(ModularDimmerAction::dimmedValue(200, 0.8, 0), 160);
    EXPECT_EQ(ModularDimmerAction::dimmedValue(200, 0.0, 255), 255);
    EXPECT_EQ(ModularDimmerAction::dimmedValue(99, 0.8, 0), 79) << "truncated, not rounded";
    EXPECT_EQ(ModularDimmerAction::dimmedValue(255, 2.0, 0), 255) << "clamped above";
    EXPECT_EQ(ModularDimmerAction::dimmedValue(10, 1.0, -50), 0) << "clamped below";
    EXPECT_EQ(ModularDimmerAction::dimmedValue(200, 1e300, 0), 255) << "huge factors do not overflow";

    ModularDimmerAction darken(0.8, 0), full(0.0, 255);
    map.dimmer = 200;
    darken.execute();
    EXPECT_EQ(map.dimmer, 160);
    EXPECT_EQ(map.repaints, 1);
    full.update();
    EXPECT_TRUE(full.isEnabled());
    full.execute();
    EXPECT_EQ(map.dimmer, 255);
    full.update();
    EXPECT_FALSE(full.isEnabled()) << "\"Volle Helligkeit\" while already at 255";
    map.dimmer = 0;
    darken.update();
    EXPECT_FALSE(darken.isEnabled()) << "0 darkened stays 0";

    map.hasWindow = false;
    full.update();
    EXPECT_FALSE(full.isEnabled());
    full.execute();
    EXPECT_EQ(map.dimmer, 0) << "no map window, nothing happens";
}

TEST_F(Actions, ZoomRules) {
    ModularZoomAction in(0.5, true), out(2.0, true), oneToOne(1.0, false);
    map.currentZoom = 2.0;
    in.execute();
    EXPECT_DOUBLE_EQ(map.currentZoom, 4.0) << "zoom / factor";
    out.execute();
    EXPECT_DOUBLE_EQ(map.currentZoom, 2.0);
    oneToOne.execute();
    EXPECT_DOUBLE_EQ(map.currentZoom, 1.0);

    map.currentZoom = 8.0;
    in.update();
    out.update();
    EXPECT_FALSE(in.isEnabled()) << "MaxZoom reached";
    EXPECT_TRUE(out.isEnabled());
    map.currentZoom = 0.125;
    in.update();
    out.update();
    EXPECT_TRUE(in.isEnabled());
    EXPECT_FALSE(out.isEnabled()) << "MinZoom reached";

    map.max = 0.0; // no upper limit
    map.currentZoom = 64.0;
    in.update();
    EXPECT_TRUE(in.isEnabled()) << "without an upper limit zooming in stays possible";

    map.hasWindow = false;
    oneToOne.setEnabled(false);
    oneToOne.update();
    EXPECT_TRUE(oneToOne.isEnabled()) << "\"Zoom auf 1:1\" is never disabled";
}

TEST_F(Actions, MapSequenceActions) {
    TMapUpDownAction back(-1), forward(+1);
    map.current = 1;
    back.update();
    forward.update();
    EXPECT_FALSE(back.isEnabled()) << "\"Karte zurück\" on the first map";
    EXPECT_TRUE(forward.isEnabled());
    forward.execute();
    EXPECT_EQ(map.selected, QList<int>{2});
    map.current = 3;
    forward.update();
    EXPECT_FALSE(forward.isEnabled()) << "\"Karte vorwärts\" on the last map";
    forward.execute();
    EXPECT_EQ(map.selected, QList<int>{2}) << "no map 4";
    map.current = 0; // none of the sequence shown
    back.update();
    forward.update();
    EXPECT_FALSE(back.isEnabled());
    EXPECT_TRUE(forward.isEnabled()) << "0 + 1 is map 1";

    TMapSelectAction select({"Top. Karte\t1 :    25 000", "AREA1330.TLM", "OV_CD.TLM", {0, 0, 0}});
    TMapSelectAction empty({"Leer", "", "", {0, 0, 0}});
    EXPECT_EQ(select.menuPath(), "&Karte|(CAT_MAPS)|Top. Karte\t1 :    25 000");
    select.update();
    EXPECT_FALSE(select.isChecked());
    select.trigger();
    EXPECT_EQ(map.shown, QStringList{"AREA1330.TLM+page"});
    EXPECT_TRUE(select.isChecked());
    select.select(false);
    EXPECT_EQ(map.shown.last(), "AREA1330.TLM");
    empty.update();
    EXPECT_FALSE(empty.isEnabled()) << "no map file";
}

TEST_F(Actions, MapFunctionAndAskActions) {
    auto centre = fakeFunction();
    auto zoom = fakeFunction();
    TMapFunctionAction a("&Zentrieren", centre), b("Z&oomen", zoom), none("", fakeFunction());
    EXPECT_EQ(a.menuPath(), "&Funktion|&Zentrieren");
    EXPECT_EQ(none.menuPath(), "");
    a.trigger();
    EXPECT_EQ(map.active, centre.get());
    EXPECT_TRUE(a.isChecked());
    a.trigger();
    EXPECT_TRUE(a.isChecked()) << "a second click keeps it active";
    b.trigger();
    a.update();
    EXPECT_FALSE(a.isChecked());
    EXPECT_TRUE(b.isChecked());

    int asked = 0;
    bool available = false;
    ModularAskAction layers([&](TTolmWindow*, QWidget* main) { asked += main == basis.mainWindow(); },
                            [&](TTolmWindow*, QWidget*) { return available; });
    ModularAskAction dimmer([&](TTolmWindow*, QWidget*) { ++asked; }, {});
    layers.update();
    EXPECT_FALSE(layers.isEnabled());
    available = true;
    layers.update();
    EXPECT_TRUE(layers.isEnabled());
    layers.execute();
    EXPECT_EQ(asked, 1);
    dimmer.setEnabled(false);
    dimmer.update();
    EXPECT_FALSE(dimmer.isEnabled()) << "no query: unchanged";
    map.hasWindow = false;
    layers.update();
    EXPECT_FALSE(layers.isEnabled()) << "no map window";
    layers.execute();
    EXPECT_EQ(asked, 1);
}

TEST_F(Actions, ActionsWithoutMapModule) {
    MapActionTarget::setInstance(nullptr);
    ModularDimmerAction full(0.0, 255);
    ModularZoomAction in(0.5, true);
    TMapUpDownAction forward(+1);
    full.update();
    forward.update();
    EXPECT_FALSE(full.isEnabled());
    EXPECT_FALSE(forward.isEnabled());
    full.execute();
    in.execute();
    forward.execute(); // nothing to reach, nothing happens
    MapActionTarget::setInstance(&map);
}

TEST_F(Actions, WrappedActionAndFailures) {
    QAction exit("&Beenden");
    int exits = 0;
    QObject::connect(&exit, &QAction::triggered, [&] { ++exits; });
    TModularAction wrapper;
    wrapper.setAction(&exit);
    wrapper.trigger();
    EXPECT_EQ(exits, 1);

    TModularAction plain;
    int events = 0;
    QObject::connect(&plain, &TModularAction::executeEvent, [&] { ++events; });
    plain.trigger();
    EXPECT_EQ(events, 1);

    TModularFunctionAction failing([] { throw std::runtime_error("Datei kaputt"); });
    failing.trigger();
    ASSERT_EQ(dialogs.messages.size(), 1) << "shown by the general handler";
    EXPECT_EQ(dialogs.messages[0].text, QString("Datei kaputt"));
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);

    TModularAction missing;
    EXPECT_THROW(missing.setToolbarBitmapName("Modul_Gibt_Es_Nicht"), std::runtime_error);
    missing.setToolbarBitmapName("modul_function_zoom_plus");
    EXPECT_EQ(missing.toolbarBitmap().size(), QSize(24, 24)) << "resource names ignore case";
}

TEST_F(Actions, MenuPathEdgeCases) {
    add("&Karte|(CAT_MAPS)|Karte 1");
    add("&Karte|(CAT_PRINT)|Drucken");
    add("&Karte|(CAT_MAPS)|Karte 2");
    add("KARTE|Extra");               // same top item: letter case and "&" differ
    add("K&arte|(CAT_MAPS)|Karte 1"); // existing child reused, not doubled
    add("&Anzeige||&Folien...|");     // empty parts are ignored
    TModularAction* group = add("&Anzeige|&Grenzen|(CAT_X)");
    EXPECT_EQ(MenuDescription::menuBar(menu()), (QStringList{
                                                    "&Karte",
                                                    "  Karte 1",
                                                    "  Karte 2",
                                                    "  ---",
                                                    "  Drucken",
                                                    "  ---",
                                                    "  Extra",
                                                    "&Anzeige",
                                                    "  &Folien...",
                                                    "  &Grenzen",
                                                }));
    EXPECT_TRUE(group->text().isEmpty()) << "a path ending in a group marker sets no caption";
    QAction* grenzen = menu()->actions()[1]->menu()->actions()[1];
    ASSERT_EQ(grenzen->text(), "&Grenzen");
    EXPECT_EQ(grenzen->menu(), nullptr) << "a trailing marker only names a group, it adds nothing";
    grenzen->trigger(); // bound to nothing: no effect, no failure

    EXPECT_TRUE(ModularActionMenu::sameCaption("&Karte", "K&ARTE"));
    EXPECT_FALSE(ModularActionMenu::sameCaption("&Karte", "Karten"));
}

TEST_F(Actions, MenuEntryFollowsItsAction) {
    TModularAction* action = add("&Datei|&Öffnen");
    int events = 0;
    QObject::connect(action, &TModularAction::executeEvent, [&] { ++events; });
    EXPECT_EQ(action->text(), "&Öffnen") << "the caption is the last part";
    QAction* item = menu()->actions()[0]->menu()->actions()[0];
    action->setEnabled(false);
    EXPECT_FALSE(item->isEnabled());
    action->setEnabled(true);
    item->trigger();
    EXPECT_EQ(events, 1);
    EXPECT_EQ(item->statusTip(), action->hint());
}

TEST_F(Actions, ToolbarCategories) {
    add("", "Modul_Function_Zoom_Plus", "A", "a1");
    add("", "Modul_Function_Zoom_Minus", "", "e1"); // the empty category is a category of its own
    add("", "Modul_Function_Zoom_1", "A", "a2");
    add("", "Modul_Function_Zoom_Rect", "B", "b1");
    add("", "Modul_Function_Center_1", "", "e2");
    add("&Nur|&Menü"); // no bitmap, no button
    EXPECT_EQ(MenuDescription::toolbar(toolbar()), (QStringList{"a1", "a2", "|", "e1", "e2", "|", "b1", "|"}));
    EXPECT_EQ(basis.mainWindow()->imgListToolbar().count(), 5);
    QWidget* button = toolbar()->widgetForAction(toolbar()->actions()[0]);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->size(), QSize(31, 30));
}

TEST_F(Actions, MenuBitmapsOnlyWhenWanted) {
    auto* plain = new TModularAction(basis.mainWindow());
    plain->setMenuPath("&A|&Eins");
    plain->setMenuBitmapName("Modul_Help_Help16");
    registerAction(plain);
    EXPECT_EQ(basis.mainWindow()->imgListMenu().count(), 0);
    basis.setUseMenuBitmaps(true);
    auto* withImage = new TModularAction(basis.mainWindow());
    withImage->setMenuPath("&A|&Zwei");
    withImage->setMenuBitmapName("Modul_Help_Help16");
    registerAction(withImage);
    ASSERT_EQ(basis.mainWindow()->imgListMenu().count(), 1);
    EXPECT_EQ(basis.mainWindow()->imgListMenu().pixmap(0).size(), QSize(16, 16));
    QAction* item = menu()->actions()[0]->menu()->actions()[1];
    EXPECT_FALSE(item->icon().isNull());
}

TEST_F(Actions, IdleUpdatesFollowTheMap) {
    auto* full = new ModularDimmerAction(0.0, 255, basis.mainWindow());
    full->setToolbarBitmapName("Modul_View_Dimmer_3");
    full->setHint("Volle Helligkeit");
    registerAction(full);
    registerAction(full); // once only
    EXPECT_EQ(toolbar()->actions().size(), 2);
    map.dimmer = 255;
    updateRegisteredActions();
    QAction* button = toolbar()->actions()[0];
    EXPECT_FALSE(button->isEnabled());
    map.dimmer = 100;
    updateRegisteredActions();
    EXPECT_TRUE(button->isEnabled()) << "the button follows its action";
}

TEST(Resources, EveryModuleBitmapAndCursorExists) {
    const char* bitmaps[] = {
        "Modul_KartenfolgeButtons_1",
        "Modul_KartenfolgeButtons_2",
        "Modul_View_Layers_1",
        "Modul_View_Dimmer_1",
        "Modul_View_Dimmer_2",
        "Modul_View_Dimmer_3",
        "Modul_Function_Center_1",
        "Modul_Function_Zoom_Plus",
        "Modul_Function_Zoom_Minus",
        "Modul_Function_Zoom_1",
        "Modul_Function_Zoom_Rect",
        "Modul_Function_Measure_1",
        "Modul_Function_ObjectClick_1",
        "Modul_Zeichnen",
        "Modul_Function_DHMProfile",
        "Modul_GPS_AsSingleDialog",
        "Modul_Help_Help16",
        "Modul_TopInfo_Sehensw",
        "Modul_TopInfo_JugHerb",
        "Modul_TopInfo_Museum",
        "Modul_TopInfo_BurgS",
        "Modul_TopInfo_BewiHue",
        "Modul_TopInfo_Camping",
    };
    for (const char* name : bitmaps) {
        const QImage image = AppResources::bitmap(name);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), QSize(24, 24)) << name;
        EXPECT_LE(image.convertToFormat(QImage::Format_Indexed8).colorCount(), 16) << name;
        const QPixmap pixmap = AppResources::transparentPixmap(image);
        const QImage masked = pixmap.toImage();
        EXPECT_EQ(qAlpha(masked.pixel(0, 23)), 0) << name;
        int opaque = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                opaque += qAlpha(masked.pixel(x, y)) != 0;
        EXPECT_GT(opaque, 60) << name << " shows a picture";
    }
    EXPECT_FALSE(AppResources::hasBitmap("Modul_Unbekannt"));
    EXPECT_TRUE(AppResources::bitmap("").isNull());

    const char* cursors[] = {"MODUL_FUNCTION_CENTER_1", "MODUL_FUNCTION_DHMPROFILE", "MODUL_FUNCTION_MEASURE_1",
                             "MODUL_FUNCTION_ZOOM_RECT", "MODUL_ZEICHNEN"};
    for (const char* name : cursors) {
        const std::optional<QCursor> cursor = AppResources::cursor(QString(name).toLower());
        ASSERT_TRUE(cursor.has_value()) << name;
        EXPECT_EQ(cursor->pixmap().size(), QSize(32, 32)) << name;
        const QPoint hot = cursor->hotSpot();
        EXPECT_TRUE(hot.x() >= 0 && hot.x() < 32 && hot.y() >= 0 && hot.y() < 32) << name;
    }
    EXPECT_EQ(AppResources::cursor("MODUL_FUNCTION_CENTER_1")->hotSpot(), QPoint(15, 15));
    EXPECT_FALSE(AppResources::cursor("Modul_Unbekannt").has_value());
    EXPECT_FALSE(AppResources::programPixmap().isNull());
}
