#pragma once

#include <QString>

class World;

// The drawing "autoload.qvo" of the demo medium: a few folders with symbols,
// a picture symbol, a river line, a lake area and a place name, placed on
// features of the generated region. Written with the viewer's own overlay
// writer; false when the file cannot be written.
bool writeDemoOverlay(const World& world, const QString& fileName);
