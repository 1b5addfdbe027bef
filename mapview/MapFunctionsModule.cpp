#include "CenterFunction.h"
#include "MainWindow.h"
#include "ModularAction.h"
#include "ObjectClickFunction.h"
#include "StartupSequence.h"
#include "ZoomFunction.h"

#include <memory>

// The simple map functions and the zoom buttons. The centre function is made
// first of all map functions, so it is the default function the map window
// module activates when it starts.
namespace {

TMapFunctionAction* functionAction(Startup::Context& context, const QString& caption,
                                   std::shared_ptr<MapFunction> function, const char* bitmap, const QString& hint) {
    auto* action = new TMapFunctionAction(caption, std::move(function), &context.mainWindow);
    action->setToolbarBitmapName(QString::fromLatin1(bitmap));
    action->setToolbarCategory(QStringLiteral("CAT_FUNCTION"));
    action->setHint(hint);
    registerAction(action);
    return action;
}

void zoomAction(Startup::Context& context, const QString& menuPath, double factor, bool relative, const char* bitmap,
                const QString& hint) {
    auto* action = new ModularZoomAction(factor, relative, &context.mainWindow);
    action->setMenuPath(menuPath);
    action->setToolbarBitmapName(QString::fromLatin1(bitmap));
    action->setToolbarCategory(QStringLiteral("CAT_VIEW_MAP"));
    action->setHint(hint);
    registerAction(action);
}

const Startup::Registration centre(Startup::MapFunctionCenter, "centre function", [](Startup::Context& context) {
    functionAction(context, QStringLiteral("&Zentrieren"), std::make_shared<CenterFunction>(),
                   "Modul_Function_Center_1", QStringLiteral("Zentrieren"));
});

const Startup::Registration zoom(Startup::MapFunctionZoom, "zoom", [](Startup::Context& context) {
    zoomAction(context, QStringLiteral("&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Hineinzoomen"), 0.5, true,
               "Modul_Function_Zoom_Plus", QStringLiteral("Hineinzoomen"));
    zoomAction(context, QStringLiteral("&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&Herauszoomen"), 2.0, true,
               "Modul_Function_Zoom_Minus", QStringLiteral("Herauszoomen"));
    zoomAction(context, QStringLiteral("&Anzeige|(CAT_VIEW_MAP)|&Zoomen|&1:1"), 1.0, false, "Modul_Function_Zoom_1",
               QStringLiteral("Zoom auf 1:1"));
    functionAction(context, QStringLiteral("Z&oomen"), std::make_shared<ZoomFunction>(), "Modul_Function_Zoom_Rect",
                   QStringLiteral("Ausschnitt vergrößern"));
});

const Startup::Registration
    objectClick(Startup::MapFunctionObjectClick, "object identification", [](Startup::Context& context) {
        functionAction(context, QStringLiteral("&Objekt identifizieren"), std::make_shared<ObjectClickFunction>(),
                       "Modul_Function_ObjectClick_1", QStringLiteral("Objekt identifizieren"));
    });

} // namespace
