#include "MapActionTarget.h"

namespace {
MapActionTarget* g_target = nullptr;
}

MapActionTarget::~MapActionTarget() {
    if (g_target == this)
        g_target = nullptr;
}

MapActionTarget* MapActionTarget::instance() {
    return g_target;
}

void MapActionTarget::setInstance(MapActionTarget* target) {
    g_target = target;
}
