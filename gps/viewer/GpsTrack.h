#pragma once

#include "Coord.h"

class QAction;
class QPainter;
namespace DrawCoordTransformer {
class BaseDCT;
}

namespace Modul::GPS::AsSingleDialog {

// How the GPS display hands its positions to a track and lets it paint.
class AbstractTrack {
public:
    virtual ~AbstractTrack() = default;
    // Installs the click handlers of the two menu items; true when the items
    // are to be shown.
    virtual bool setupMenu(QAction* showTrack, QAction* clearTrack) = 0;
    // A new position; `moved` when it lies on another window pixel than the
    // last one drawn.
    virtual void addPoint(const Coord& position, bool moved) = 0;
    // Draws the track through the transformer onto its canvas.
    virtual void paint(DrawCoordTransformer::BaseDCT& transformer) = 0;
};

// The process-wide track; null until one is registered.
AbstractTrack* registeredTrack();
void registerTrack(AbstractTrack* track);

} // namespace Modul::GPS::AsSingleDialog
