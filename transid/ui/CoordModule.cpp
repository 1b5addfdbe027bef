#include "CoordSelectDlgAction.h"
#include "MainWindow.h"
#include "Registry.h"
#include "ShowCoord.h"
#include "StartupSequence.h"

// The coordinate display with its menu entry, and later the coordinate-system
// module, which builds the registry once more for the modules after it.
namespace {

const Startup::Registration display(Startup::CoordinateDisplay, "coordinate display", [](Startup::Context& context) {
    Modul::ShowCoord::create(context.mainWindow.sbStatusBar());
    auto* action = new CoordSelectDlgAction(&context.mainWindow, &context.mainWindow);
    action->setMenuPath(QStringLiteral("&Anzeige|(CAT_COORD)|&Koordinaten"));
    registerAction(action);
});

const Startup::Registration systems(Startup::CoordinateSystems, "coordinate systems",
                                    [](Startup::Context&) { Transid::BuildRegistry(); });

} // namespace
