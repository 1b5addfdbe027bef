#pragma once

#include "MapEvents.h"

// A click puts the clicked point of the map in the middle of the window.
class CenterFunction : public MapFunction {
public:
    // Takes the cursor MODUL_FUNCTION_CENTER_1.
    explicit CenterFunction(MapEventListener* delegate = nullptr);
    // Left button, single or double click.
    void ButtonDown(MapEventInfo& info) override;
};
