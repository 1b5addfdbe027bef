#pragma once

#include "MapEvents.h"

namespace Modul {
class ShowCoord;
}

// Writes the position of every map event into the status bar: each event is
// asked for its position as a map library Gauss-Krüger coordinate in the
// configured strip; events without a position (paints, view changes) leave
// the text as it is.
class MapCoordListener : public MapEventListener {
public:
    explicit MapCoordListener(Modul::ShowCoord& module) : m_module(module) {}

    void MouseMove(MapEventInfo& info) override { show(info); }
    void ButtonDown(MapEventInfo& info) override { show(info); }
    void ButtonUp(MapEventInfo& info) override { show(info); }
    void Key(MapEventInfo& info) override { show(info); }
    void Context(MapEventInfo& info) override { show(info); }
    void Paint(MapEventInfo& info) override { show(info); }
    void ViewChanged(MapEventInfo& info) override { show(info); }

private:
    void show(MapEventInfo& info);

    Modul::ShowCoord& m_module;
};
