#include "AboutBox.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "StartupSequence.h"

namespace {

const Startup::Registration registration(Startup::About, "about", [](Startup::Context& context) {
    Modul::Basis* basis = &context.basis;
    auto* action = new TModularFunctionAction(
        [basis] {
            TAboutBox box(*basis, basis->mainWindow());
            box.exec();
        },
        &context.mainWindow);
    action->setMenuPath(QStringLiteral("&Hilfe|&Info"));
    registerAction(action);
});

} // namespace
