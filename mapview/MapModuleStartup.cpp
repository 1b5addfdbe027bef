// The map window module's steps of the start-up sequence: the module, the
// maps of the sequence, the map-change buttons, layers and dimming, and the
// start of the module once every map function exists.
#include "DataMedium.h"
#include "FileArguments.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "ModularAction.h"
#include "StartupSequence.h"
#include "TolmWindow.h"

namespace {

const Startup::Registration moduleStep(Startup::MapWindowModule, "map window module", [](Startup::Context& context) {
    // Lives until the process ends, as every module does.
    MainMapModule* module = MainMapModule::instance();
    if (module == nullptr)
        module = new MainMapModule;
    module->DefCoordX = context.startupData.northing;
    module->DefCoordY = context.startupData.easting;
});

const Startup::Registration mapsStep(Startup::MapSequenceMaps, "map sequence maps", [](Startup::Context& context) {
    using Modul::Kartenfolge::Info;
    Info overview1600;
    overview1600.caption = QStringLiteral("Übersicht\t1 : 1 600 000");
    overview1600.mapFile = QStringLiteral("UEB_1600.TLM");
    overview1600.overviewMapFile = QStringLiteral("OV_LAND.TLM");
    Info overview250;
    overview250.caption = QStringLiteral("Übersicht\t1 :   250 000");
    overview250.mapFile = QStringLiteral("UEB_0250.TLM");
    overview250.overviewMapFile = QStringLiteral("OV_LAND.TLM");
    Info regional;
    regional.caption = QStringLiteral("Top. Karte\t1 :    25 000");
    regional.mapFile = DataMedium::regionalMapFile(context.startupData.cdNumber);
    regional.overviewMapFile = QStringLiteral("OV_CD.TLM");
    Modul::Kartenfolge::AddEntry(overview1600);
    Modul::Kartenfolge::AddEntry(overview250);
    Modul::Kartenfolge::AddEntry(regional);
});

const Startup::Registration startStep(Startup::MapSequenceStart, "map sequence start",
                                      [](Startup::Context&) { Modul::Kartenfolge::Start(1); });

const Startup::Registration buttonsStep(Startup::MapChangeButtons, "map change buttons", [](Startup::Context& context) {
    struct Button {
        int step;
        const char* bitmap;
        const char* hint;
    };
    const Button buttons[] = {{-1, "Modul_KartenfolgeButtons_1", "Karte zurück"},
                              {+1, "Modul_KartenfolgeButtons_2", "Karte vorwärts"}};
    for (const Button& button : buttons) {
        auto* action = new TMapUpDownAction(button.step, &context.mainWindow);
        action->setToolbarBitmapName(QString::fromLatin1(button.bitmap));
        action->setToolbarCategory(QStringLiteral("MAP_CHANGE"));
        action->setHint(QString::fromUtf8(button.hint));
        registerAction(action);
    }
});

const Startup::Registration layersStep(Startup::MapLayers, "map layers", [](Startup::Context& context) {
    auto* action =
        new ModularAskAction([](TTolmWindow* window, QWidget* owner) { window->AskLayerActivation(owner); },
                             [](TTolmWindow* window, QWidget* owner) { return window->QueryAskLayerActivation(owner); },
                             &context.mainWindow);
    action->setMenuPath(QStringLiteral("&Anzeige|(CAT_VIEW_MAP)|&Folien..."));
    action->setToolbarBitmapName(QStringLiteral("Modul_View_Layers_1"));
    action->setToolbarCategory(QStringLiteral("CAT_VIEW"));
    action->setHint(QStringLiteral("Folien ein-/ausblenden"));
    registerAction(action);
});

const Startup::Registration dimmingStep(Startup::MapDimming, "map dimming", [](Startup::Context& context) {
    auto* ask = new ModularAskAction([](TTolmWindow* window, QWidget* owner) { window->AskDimmer(owner); }, {},
                                     &context.mainWindow);
    ask->setMenuPath(QStringLiteral("&Anzeige|(CAT_VIEW_MAP)|&Abdunkeln..."));
    ask->setToolbarBitmapName(QStringLiteral("Modul_View_Dimmer_1"));
    ask->setToolbarCategory(QStringLiteral("CAT_VIEW"));
    ask->setHint(QStringLiteral("Abdunkeln (per Dialog)"));
    registerAction(ask);

    struct Dimmer {
        double factor;
        int offset;
        const char* bitmap;
        const char* hint;
    };
    const Dimmer dimmers[] = {{0.8, 0, "Modul_View_Dimmer_2", "Abdunkeln (um 20%)"},
                              {0.0, 255, "Modul_View_Dimmer_3", "Volle Helligkeit"}};
    for (const Dimmer& dimmer : dimmers) {
        auto* action = new ModularDimmerAction(dimmer.factor, dimmer.offset, &context.mainWindow);
        action->setToolbarBitmapName(QString::fromLatin1(dimmer.bitmap));
        action->setToolbarCategory(QStringLiteral("CAT_VIEW"));
        action->setHint(QString::fromUtf8(dimmer.hint));
        registerAction(action);
    }
});

const Startup::Registration windowStartStep(Startup::MapWindowStart, "map window start", [](Startup::Context&) {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Start();
    // Map files opened from outside the program are shown in the map window.
    FileArguments::addOpener({QStringLiteral("tlm"), QStringLiteral("kmo")}, [](const QString& path) {
        MainMapModule* module = MainMapModule::instance();
        return module != nullptr && module->OpenMapFile(path);
    });
});

} // namespace
