#include "DHMProfileFunction.h"
#include "DhmModel.h"
#include "MainWindow.h"
#include "ModularAction.h"
#include "Paths.h"
#include "StartupSequence.h"

#include <memory>

// The elevation models are opened early, the profile function takes its
// place after the printing among the map functions.
namespace {

const Startup::Registration models(Startup::ElevationModel, "elevation models", [](Startup::Context&) {
    // Lives until the process ends, like every module.
    static Modul::DHM* dhm = new Modul::DHM;
    dhm->open(Singletons::Paths::instance().dataDirectory());
    Modul::DHM::setInstance(dhm);
});

const Startup::Registration profile(Startup::ElevationProfile, "elevation profile", [](Startup::Context& context) {
    auto function = std::make_shared<DHMProfileFunction>(Modul::DHM::instance(), &context.mainWindow);
    auto* action = new TMapFunctionAction(QStringLiteral("&Höhenprofil"), std::move(function), &context.mainWindow);
    action->setObjectName(QStringLiteral("Modul_Function_DHMProfile"));
    action->setToolbarBitmapName(QStringLiteral("Modul_Function_DHMProfile"));
    action->setToolbarCategory(QStringLiteral("CAT_FUNCTION"));
    action->setHint(QStringLiteral("Höhenprofil"));
    registerAction(action);
});

} // namespace
