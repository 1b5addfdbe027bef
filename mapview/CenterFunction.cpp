#include "CenterFunction.h"

#include "MapWindowModule.h"

CenterFunction::CenterFunction(MapEventListener* delegate) : MapFunction(delegate) {
    LoadCursorByName(QStringLiteral("MODUL_FUNCTION_CENTER_1"));
}

void CenterFunction::ButtonDown(MapEventInfo& info) {
    if (info.button != 0)
        return;
    MapWindowModule* module = MapWindowModule::instance();
    if (module == nullptr)
        return;
    // The map's own coordinates: the window point would move with the view.
    Coord target; // type 0
    if (!info.PositionIn(target))
        return;
    module->SetCentre(target, false);
    module->Repaint();
}
