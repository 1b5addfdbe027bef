#include "MapCoordListener.h"

#include "ShowCoord.h"

namespace {
constexpr uint32_t LibraryGaussKrueger = 1;
}

void MapCoordListener::show(MapEventInfo& info) {
    Coord position{};
    position.type = LibraryGaussKrueger;
    position.zone = m_module.settings().gaussKruegerZone;
    if (info.PositionIn(position))
        m_module.show(position);
}
