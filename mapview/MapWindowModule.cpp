#include "MapWindowModule.h"

#include "velmar32.h"

namespace {
MapWindowModule* g_module = nullptr;
}

MapWindowModule::MapWindowModule() {
    g_module = this;
}

MapWindowModule::~MapWindowModule() {
    if (g_module == this)
        g_module = nullptr;
}

MapWindowModule* MapWindowModule::instance() {
    return g_module;
}

std::optional<Coord> MapWindowModule::RememberedPosition() const {
    if (DefCoordX == 0.0 && DefCoordY == 0.0)
        return std::nullopt;
    Coord position{};
    position.type = 1; // Gauss-Krüger: a = northing, b = easting
    position.zone = 0;
    position.x = DefCoordX;
    position.y = DefCoordY;
    return position;
}

bool MapWindowModule::Remember(const std::optional<Coord>& position) {
    if (!position)
        return false;
    Coord gk = *position;
    if (gk.type != 1) {
        // Window points and pixels only mean something to the map shown:
        // first into the map's own system, then on to Gauss-Krüger.
        Coord own{};
        own.type = 0;
        if (!Transform(*position, own))
            return false;
        if (own.type == 1) {
            gk = own;
        } else {
            Coord target{};
            target.type = 1;
            target.zone = 0;
            if (TLM_TransformCoords(&own, &target) == 0)
                return false;
            gk = target;
        }
    }
    DefCoordX = gk.x;
    DefCoordY = gk.y;
    return true;
}
