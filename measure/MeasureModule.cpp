#include "MainWindow.h"
#include "MeasureFunction.h"
#include "ModularAction.h"
#include "StartupSequence.h"

#include <memory>

// The measure function takes its place among the map functions, after the
// zoom; its figures are shown without decimal places.
namespace {

constexpr int MeasureDecimals = 0;

const Startup::Registration measure(Startup::MapFunctionMeasure, "measure function", [](Startup::Context& context) {
    auto function = std::make_shared<MeasureFunction>(MeasureDecimals, &context.mainWindow);
    auto* action =
        new TMapFunctionAction(QStringLiteral("Entfernung/Fläche &messen"), std::move(function), &context.mainWindow);
    action->setToolbarBitmapName(QStringLiteral("Modul_Function_Measure_1"));
    action->setToolbarCategory(QStringLiteral("CAT_FUNCTION"));
    action->setHint(QStringLiteral("Entfernung/Fläche messen"));
    registerAction(action);
});

} // namespace
