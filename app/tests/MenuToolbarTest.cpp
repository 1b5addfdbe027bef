// The whole menu and toolbar of the viewer, built by the start-up sequence
// from every registration in its order. The features that live in other
// libraries are stood in for by test actions registered at their order keys,
// with their menu paths, bitmaps, categories and hints.
#include "AboutBox.h"
#include "AppEventListener.h"
#include "AppInitModule.h"
#include "DataPage.h"
#include "ExtPageControl.h"
#include "HelpModule.h"
#include "LeftRightFrame.h"
#include "MainWindow.h"
#include "MenuDescription.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "Paths.h"
#include "ScriptedDialogs.h"
#include "StartupSequence.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Entry {
    int order;
    const char* kind; // "select", "updown", "ask", "dimmer", "plain", "function", "zoom", "call"
    const char* menuPath;
    const char* bitmap;
    const char* category;
    const char* hint;
};

const Entry StandIns[] = {
    {Startup::MapSequenceStart, "select", "Übersicht\t1 : 1 600 000", "", "", ""},
    {Startup::MapSequenceStart, "select", "Übersicht\t1 :   250 000", "", "", ""},
    {Startup::MapSequenceStart, "select", "Top. Karte\t1 :    25 000", "", "", ""},
    {Startup::MapChangeButtons, "updown", "", "Modul_KartenfolgeButtons_1", "MAP_CHANGE", "Karte zurück"},
    {Startup::MapChangeButtons, "updown", "", "Modul_KartenfolgeButtons_2", "MAP_CHANGE", "Karte vorwärts"},
    {Startup::MapLayers, "ask", "&Anzeige|(CAT_VIEW_MAP)|&Folien...", "Modul_View_Layers_1", "CAT_VIEW",
     "Folien ein-/ausblenden"},
    {Startup::MapDimming, "ask", "&Anzeige|(CAT_VIEW_MAP)|&Abdunkeln...", "Modul_View_Dimmer_1", "CAT_VIEW",
     "Abdunkeln (per Dialog)"},
    {Startup::MapDimming, "dimmer", "", "Modul_View_Dimmer_2", "CAT_VIEW", "Abdunkeln (um 20%)"},
    {Startup::MapDimming, "dimmer", "", "Modul_View_Dimmer_3", "CAT_VIEW", "Volle Helligkeit"},
    {Startup::BoundaryLines, "plain", "&Anzeige|&Grenzen|&keine", "", "", ""},
    {Startup::BoundaryLines, "plain", "&Anzeige|&Grenzen|K&reisgrenzen", "", "", ""},
    {Startup::BoundaryLines, "plain", "&Anzeige|&Grenzen|&VG-Grenzen", "", "", ""},
    {Startup::BoundaryLines, "plain", "&Anzeige|&Grenzen|&Gemeindegrenzen", "", "", ""},
    {Startup::MapFunctionCenter, "function", "&Zentrieren", "Modul_Function_Center_1", "CAT_FUNCTION", "Zentrieren"},
    {Startup::MapFunctionZoom, "zoom", "&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Hineinzoomen", "Modul_Function_Zoom_Plus",
     "CAT_VIEW_MAP", "Hineinzoomen"},
    {Startup::MapFunctionZoom, "zoom", "&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Herauszoomen", "Modul_Function_Zoom_Minus",
     "CAT_VIEW_MAP", "Herauszoomen"},
    {Startup::MapFunctionZoom, "zoom", "&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&1:1", "Modul_Function_Zoom_1", "CAT_VIEW_MAP",
     "Zoom auf 1:1"},
    {Startup::MapFunctionZoom, "function", "Z&oomen", "Modul_Function_Zoom_Rect", "CAT_FUNCTION",
     "Ausschnitt vergrößern"},
    {Startup::MapFunctionMeasure, "function", "Entfernung/Fläche &messen", "Modul_Function_Measure_1", "CAT_FUNCTION",
     "Entfernung/Fläche messen"},
    {Startup::MapFunctionObjectClick, "function", "&Objekt identifizieren", "Modul_Function_ObjectClick_1",
     "CAT_FUNCTION", "Objekt identifizieren"},
    {Startup::CoordinateDisplay, "plain", "&Anzeige|(CAT_COORD)|&Koordinaten", "", "", ""},
    {Startup::Drawing, "function", "&Zeichnen", "Modul_Zeichnen", "CAT_FUNCTION", "Zeichnen"},
    {Startup::ElevationProfile, "function", "&Höhenprofil", "Modul_Function_DHMProfile", "CAT_FUNCTION", "Höhenprofil"},
    {Startup::GpsPositionDialog, "call", "&Anzeige|&GPS-Koordinaten", "Modul_GPS_AsSingleDialog", "CAT_VIEW",
     "GPS-Position anzeigen"},
    {Startup::PrintAction, "call", "&Karte|(CAT_PRINT)|Drucken", "", "", ""},
};

TModularAction* makeStandIn(const Entry& entry, QObject* parent) {
    const QString kind = entry.kind;
    TModularAction* action = nullptr;
    if (kind == "select")
        action = new TMapSelectAction({entry.menuPath, "map.tlm", "ov.tlm", {0, 0, 0}}, parent);
    else if (kind == "updown")
        action = new TMapUpDownAction(QString(entry.hint) == "Karte zurück" ? -1 : +1, parent);
    else if (kind == "ask")
        action = new ModularAskAction({}, {}, parent);
    else if (kind == "dimmer")
        action = new ModularDimmerAction(0.8, 0, parent);
    else if (kind == "function")
        action = new TMapFunctionAction(entry.menuPath, nullptr, parent);
    else if (kind == "zoom")
        action = new ModularZoomAction(0.5, true, parent);
    else if (kind == "call")
        action = new TModularFunctionAction([] {}, parent);
    else
        action = new TModularAction(parent);
    if (kind != "select" && kind != "function")
        action->setMenuPath(entry.menuPath);
    if (*entry.bitmap)
        action->setToolbarBitmapName(entry.bitmap);
    action->setToolbarCategory(entry.category);
    action->setHint(entry.hint);
    return action;
}

// One registration per stand-in, at its order key, before the real steps run.
struct StandInRegistrations {
    StandInRegistrations() {
        for (const Entry& entry : StandIns) {
            static std::vector<std::unique_ptr<Startup::Registration>> keep;
            keep.push_back(
                std::make_unique<Startup::Registration>(entry.order, "stand-in", [&entry](Startup::Context& context) {
                    registerAction(makeStandIn(entry, &context.mainWindow));
                }));
        }
    }
} standIns;

class WholeMenu : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VISTREL_INSTANCE_KEY", QByteArray("menu-test-") + QByteArray::number(getpid()));
        TestSupport::makeMedium(medium.path(), "3 3500000 5500000\n", "AREA3330.TLM");
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        init = std::make_unique<TAppInitModule>(options);
        ASSERT_TRUE(init->initApp());
        window = init->basis()->mainWindow();
    }
    QTemporaryDir medium;
    Platform::ScriptedDialogs dialogs;
    std::unique_ptr<TAppInitModule> init;
    TMainWindow* window = nullptr;
};

} // namespace

TEST_F(WholeMenu, TwentyEightRegistrations) {
    EXPECT_EQ(window->registeredActions().size(), 28);
    EXPECT_TRUE(window->isMainMenuAttached());
    EXPECT_EQ(window->menuBar(), window->menuMain());
}

TEST_F(WholeMenu, ResultingMainMenu) {
    const QStringList expected = {
        "&Karte",
        "  Übersicht\t1 : 1 600 000",
        "  Übersicht\t1 :   250 000",
        "  Top. Karte\t1 :    25 000",
        "  ---",
        "  Drucken",
        "  ---",
        "  &Beenden",
        "&Anzeige",
        "  &Folien...",
        "  &Abdunkeln...",
        "  &Zoomen",
        "    &Hineinzoomen",
        "    &Herauszoomen",
        "    &1:1",
        "  ---",
        "  &Grenzen",
        "    &keine",
        "    K&reisgrenzen",
        "    &VG-Grenzen",
        "    &Gemeindegrenzen",
        "  &GPS-Koordinaten",
        "  ---",
        "  &Koordinaten",
        "&Funktion",
        "  &Zentrieren",
        "  Z&oomen",
        "  Entfernung/Fläche &messen",
        "  &Objekt identifizieren",
        "  &Zeichnen",
        "  &Höhenprofil",
        "&Hilfe",
        "  &Inhalt",
        "  &Info",
    };
    const QStringList actual = MenuDescription::menuBar(window->menuMain());
    EXPECT_EQ(actual, expected) << actual.join("\n").toStdString();
}

TEST_F(WholeMenu, ResultingToolbar) {
    const QStringList expected = {
        "Karte zurück",
        "Karte vorwärts",
        "|",
        "Folien ein-/ausblenden",
        "Abdunkeln (per Dialog)",
        "Abdunkeln (um 20%)",
        "Volle Helligkeit",
        "GPS-Position anzeigen",
        "|",
        "Zentrieren",
        "Ausschnitt vergrößern",
        "Entfernung/Fläche messen",
        "Objekt identifizieren",
        "Zeichnen",
        "Höhenprofil",
        "|",
        "Hineinzoomen",
        "Herauszoomen",
        "Zoom auf 1:1",
        "|",
        "Hilfe aufrufen",
        "|",
    };
    const QStringList actual = MenuDescription::toolbar(window->tbToolbar());
    EXPECT_EQ(actual, expected) << actual.join(" ").toStdString();
    EXPECT_EQ(window->imgListToolbar().count(), 17);
    for (int i = 0; i < window->imgListToolbar().count(); ++i) {
        const QImage image = window->imgListToolbar().pixmap(i).toImage();
        EXPECT_EQ(image.size(), QSize(24, 24));
        EXPECT_EQ(qAlpha(image.pixel(0, 23)), 0) << "lower-left colour is transparent, button " << i;
    }
}

namespace {

QAction* entry(QMenuBar* bar, const QString& menu, const QString& item) {
    for (QAction* top : bar->actions()) {
        if (top->text() != menu || !top->menu())
            continue;
        for (QAction* action : top->menu()->actions()) {
            if (action->text() == item)
                return action;
        }
    }
    return nullptr;
}

} // namespace

TEST_F(WholeMenu, HelpEntryOpensThePageBesideTheProgram) {
    QAction* help = entry(window->menuMain(), "&Hilfe", "&Inhalt");
    ASSERT_NE(help, nullptr);
    const QString page = QCoreApplication::applicationFilePath() + ".html";
    QFile::remove(page);

    help->trigger();
    EXPECT_TRUE(dialogs.openedDocuments.isEmpty()) << "no page, no viewer";
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Konnte Hilfe nicht öffnen"));
    EXPECT_EQ(dialogs.messages[0].caption, QString("vistrel (32-Bit-Version)"));
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);

    ASSERT_TRUE(TestSupport::writeFile(page, "<html></html>"));
    help->trigger();
    EXPECT_EQ(dialogs.openedDocuments, QStringList{page});
    EXPECT_EQ(dialogs.messages.size(), 1);

    // No viewer can be started: the page shows in a window of the program.
    EXPECT_EQ(Modul::Help::helpWindow(), nullptr);
    ASSERT_TRUE(TestSupport::writeFile(page, "<html><body><h1>Hilfe zum Test</h1></body></html>"));
    dialogs.openDocumentResult = false;
    help->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1) << "no failure message";
    QTextBrowser* own = Modul::Help::helpWindow();
    ASSERT_NE(own, nullptr);
    EXPECT_TRUE(own->isVisible());
    EXPECT_TRUE(own->isWindow());
    EXPECT_TRUE(own->toPlainText().contains("Hilfe zum Test")) << own->toPlainText().toStdString();
    EXPECT_EQ(own->source(), QUrl::fromLocalFile(page));
    // Asked again, the same window comes to the front.
    help->trigger();
    EXPECT_EQ(Modul::Help::helpWindow(), own);
    own->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Modul::Help::helpWindow(), nullptr);

    // A page that is really missing is still reported, viewer or not.
    QFile::remove(page);
    help->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(Modul::Help::helpWindow(), nullptr);
}

TEST_F(WholeMenu, QuitEntryAsksBeforeClosing) {
    window->show();
    QAction* quit = entry(window->menuMain(), "&Karte", "&Beenden");
    ASSERT_NE(quit, nullptr);
    dialogs.messageAnswers = {Platform::MsgResult::No};
    quit->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString("Wollen Sie das Programm wirklich beenden?"));
    EXPECT_EQ(dialogs.messages[0].caption, QString("vistrel (32-Bit-Version)"));
    EXPECT_TRUE(window->isVisible()) << "answered No";
    dialogs.messageAnswers = {Platform::MsgResult::Yes};
    quit->trigger();
    EXPECT_FALSE(window->isVisible());
}

namespace {
struct CountingCloseListener : AppEventListener {
    int asked = 0;
    int closeQuery() override {
        ++asked;
        return NothingToSay;
    }
};
} // namespace

// F1 and Ctrl+Q typed into the shown main window: the help command, and the
// close question on the same path as closing the window.
TEST_F(WholeMenu, KeysForHelpAndQuit) {
    window->showMaximized();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(entry(window->menuMain(), "&Hilfe", "&Inhalt")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(entry(window->menuMain(), "&Karte", "&Beenden")->shortcut(), QKeySequence("Ctrl+Q"));

    QFile::remove(QCoreApplication::applicationFilePath() + ".html");
    QTest::keyClick(window, Qt::Key_F1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8("Konnte Hilfe nicht öffnen"));

    CountingCloseListener listener;
    dialogs.messageAnswers = {Platform::MsgResult::No};
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(listener.asked, 1) << "the close listeners are asked first";
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[1].text, QString("Wollen Sie das Programm wirklich beenden?"));
    EXPECT_TRUE(window->isVisible()) << "answered No";
    dialogs.messageAnswers = {Platform::MsgResult::Yes};
    QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(listener.asked, 2);
    EXPECT_FALSE(window->isVisible());
    Modul::Basis::instance()->forgetCloseListener(&listener);
}

namespace {

DataMedium::StartupData g_seen;
int g_mapWindowSteps = 0;
const Startup::Registration watcher(Startup::MapWindowModule, "watcher", [](Startup::Context& context) {
    g_seen = context.startupData;
    ++g_mapWindowSteps;
    // By now the application object knows the medium and the page frames exist.
    EXPECT_TRUE(context.basis.basePath().endsWith("/"));
    EXPECT_NE(BaseDataPageManager::instance(), nullptr);
    EXPECT_FALSE(context.mainWindow.isMainMenuAttached());
});

struct StartCase {
    const char* legend;
    QByteArray cdText;
    QString regionalMap;
};

} // namespace

TEST_F(WholeMenu, StartupStateAndTexts) {
    Modul::Basis* basis = init->basis();
    EXPECT_EQ(basis->appName(), "vistrel (32-Bit-Version)");
    EXPECT_EQ(basis->appTitle(), "vistrel (32-Bit-Version)");
    EXPECT_EQ(basis->appVersionText(), "Version 1.32");
    EXPECT_EQ(basis->copyrightText().count('\n'), 1) << "two lines";
    // True for the generated demo medium as well as for official map data.
    EXPECT_TRUE(basis->copyrightText().section('\n', 0, 0).contains("generierte, fiktive Region"));
    EXPECT_EQ(basis->basePath(), QDir(medium.path()).absolutePath() + "/");
    EXPECT_EQ(Singletons::Paths::instance().symbolDirectory(), QCoreApplication::applicationDirPath() + "/Symbole/");
    EXPECT_EQ(Singletons::Paths::instance().mapDirectory(), basis->basePath() + "KARTEN/");
    EXPECT_EQ(g_seen.cdNumber, 3);
    EXPECT_DOUBLE_EQ(g_seen.easting, 3500000);
    EXPECT_DOUBLE_EQ(g_seen.northing, 5500000);
    EXPECT_TRUE(dialogs.messages.isEmpty());

    TAboutBox about(*basis);
    EXPECT_EQ(about.lblProduct()->text(), "vistrel (32-Bit-Version)");
    EXPECT_EQ(about.lblVersion()->text(), "Version 1.32");
    EXPECT_EQ(about.lblCopyright()->text(), basis->copyrightText());
}

TEST(Startup, StepsRunInOrderOfTheirKeys) {
    const std::vector<Startup::Step> steps = Startup::steps();
    ASSERT_FALSE(steps.empty());
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_LE(steps[i - 1].order, steps[i].order);
    auto position = [&](const char* name) {
        for (std::size_t i = 0; i < steps.size(); ++i)
            if (QString(steps[i].name) == name)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_LT(position("help contents"), position("about"));
    EXPECT_LT(position("about"), position("quit"));
    EXPECT_EQ(position("quit"), static_cast<int>(steps.size()) - 1);
}

TEST(Startup, BadStartupDataIsReportedAndEndsTheProgram) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("bad-start-") + QByteArray::number(getpid()));
    const StartCase cases[] = {
        {"CD number 0", "0 3500000 5500000", "AREA1330.TLM"},
        {"CD number 6", "6 3500000 5500000", "AREA1330.TLM"},
        {"two values", "1 3500000", "AREA1330.TLM"},
        {"no CD.TXT", QByteArray(), "AREA1330.TLM"},
    };
    const char* const reasons[] = {"Die CD-Nummer 0 liegt nicht zwischen 1 und 5.",
                                   "Die CD-Nummer 6 liegt nicht zwischen 1 und 5.",
                                   "Der Hochwert des Startpunkts (dritter Wert) fehlt", "fehlt."};
    int index = 0;
    for (const StartCase& c : cases) {
        Platform::ScriptedDialogs dialogs;
        QTemporaryDir medium;
        TestSupport::makeMedium(medium.path(), c.cdText, c.regionalMap);
        TAppInitModule::Options options;
        options.places = DataMedium::SearchPlaces{};
        options.places->commandLine = medium.path();
        const int before = g_mapWindowSteps;
        TAppInitModule init(options);
        EXPECT_FALSE(init.initApp()) << c.legend;
        EXPECT_TRUE(init.basis()->terminated()) << c.legend;
        EXPECT_NE(init.exitCode(), 0) << c.legend << ": a failure, not a success";
        ASSERT_EQ(dialogs.messages.size(), 1) << c.legend;
        const Platform::ScriptedDialogs::MessageCall& message = dialogs.messages[0];
        EXPECT_TRUE(message.text.startsWith("Die Startdatei " + medium.path() + "/KARTEN/CD.TXT "))
            << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(QString::fromUtf8(reasons[index++]))) << message.text.toStdString();
        EXPECT_EQ(message.icon, Platform::MsgIcon::Error);
        EXPECT_EQ(g_mapWindowSteps, before) << c.legend << ": no module created";
        EXPECT_FALSE(init.basis()->mainWindow()->isMainMenuAttached());
    }
}

TEST(Startup, NoMediumAndCancelEndsTheProgram) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("no-medium-") + QByteArray::number(getpid()));
    Platform::ScriptedDialogs dialogs;
    dialogs.messageAnswers = {Platform::MsgResult::Cancel};
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    TAppInitModule init(options);
    EXPECT_FALSE(init.initApp());
    EXPECT_TRUE(init.basis()->terminated());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, QString("vistrel (32-Bit-Version)")) << "captioned with the title";
}

TEST(Startup, ArgumentsNameTheMedium) {
    EXPECT_EQ(TAppInitModule::parseArguments({"vistrel", "--data", "/m"}).dataRoot, "/m");
    EXPECT_EQ(TAppInitModule::parseArguments({"vistrel", "--data=/n"}).dataRoot, "/n");
    EXPECT_EQ(TAppInitModule::parseArguments({"vistrel", "--data"}).dataRoot, "");
    EXPECT_EQ(TAppInitModule::parseArguments({"vistrel", "-style", "fusion"}).dataRoot, "");
    EXPECT_TRUE(TAppInitModule::parseArguments({"vistrel", "-style", "fusion"}).files.isEmpty());
    EXPECT_EQ(TAppInitModule::parseArguments({"vistrel", "--data", "/m", "a.qvo", "-platform", "xcb", "b.tlm"}).files,
              QStringList({"a.qvo", "b.tlm"}));
}

TEST(Startup, HelpFileName) {
    EXPECT_EQ(Modul::Help::helpFileName("/opt/vistrel/bin/vistrel"), "/opt/vistrel/bin/vistrel.html");
    EXPECT_EQ(Modul::Help::helpFileName("/opt/v1.2/vistrel"), "/opt/v1.2/vistrel.html");
    EXPECT_EQ(Modul::Help::helpFileName("/opt/bin/vistrel.bin"), "/opt/bin/vistrel.html");
    EXPECT_EQ(Modul::Help::helpFileName("/opt/bin/.vistrel"), "/opt/bin/.vistrel.html");

    // An installed program takes the page among the installed data.
    QTemporaryDir prefix;
    const QString program = prefix.path() + "/bin/vistrel";
    EXPECT_EQ(Modul::Help::helpFile(program), program + ".html");
    QDir().mkpath(prefix.path() + "/share/vistrel");
    QFile page(prefix.path() + "/share/vistrel/vistrel.html");
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    EXPECT_EQ(Modul::Help::helpFile(program), prefix.path() + "/share/vistrel/vistrel.html");
}

// For looking at the whole frame under a real X server:
//   VISTREL_SHOT=/tmp/frame.png QT_QPA_PLATFORM=xcb xvfb-run -a app_startup_tests --gtest_filter='*Look*'
TEST_F(WholeMenu, LookAtTheFrame) {
    const QString shot = qEnvironmentVariable("VISTREL_SHOT");
    if (shot.isEmpty())
        GTEST_SKIP() << "set VISTREL_SHOT to a file name to save a picture of the frame";
    window->showMaximized();
    if (QMenu* anzeige = window->menuMain()->actions()[1]->menu())
        anzeige->popup(window->menuMain()->mapToGlobal(
            window->menuMain()->actionGeometry(window->menuMain()->actions()[1]).bottomLeft()));
    TestSupport::processUntil([] { return false; }, 60);
    ASSERT_TRUE(window->screen()->grabWindow(0).save(shot));
    TAboutBox about(*init->basis());
    about.adjustSize();
    ASSERT_TRUE(about.grab().save(shot + ".about.png"));
}

TEST_F(WholeMenu, MainWindowHoldsMenuToolbarStatusBarAndPages) {
    window->showMaximized();
    EXPECT_EQ(window->statusBar(), window->sbStatusBar());
    EXPECT_EQ(window->tbToolbar()->height(), 40);
    EXPECT_EQ(window->tbToolbar()->iconSize(), QSize(24, 24));
    auto* frame = qobject_cast<TLeftRightFrame*>(window->centralWidget());
    ASSERT_NE(frame, nullptr) << "the page frame is the whole client area";
    EXPECT_EQ(frame, init->pageManager()->frame());
    EXPECT_NE(frame->pageLeft(), nullptr);
    EXPECT_NE(frame->pageRight(), nullptr);
    EXPECT_EQ(frame->pageLeft()->count(), 0) << "no feature page yet";
}
