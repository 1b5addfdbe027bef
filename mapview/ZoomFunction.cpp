#include "ZoomFunction.h"

#include "MapWindowModule.h"
#include "TolmWindow.h"

#include <algorithm>
#include <cmath>

namespace {

// A client point of the map window, the type the window centres on at the
// new zoom.
Coord windowPoint(double x, double y) {
    Coord point;
    point.type = 0xC001;
    point.x = x;
    point.y = y;
    return point;
}

// Relative zoom: the new zoom is the current one divided by the factor; the
// module clamps it to its limits.
void zoomBy(double factor, const Coord& centre) {
    MapWindowModule* module = MapWindowModule::instance();
    if (module == nullptr || module->Window() == nullptr || !(factor > 0.0) || !std::isfinite(factor))
        return;
    module->SetZoom(module->Zoom() / factor, centre);
}

} // namespace

ZoomFunction::ZoomFunction(MapEventListener* delegate) : PointRectFunction(delegate) {
    LoadCursorByName(QStringLiteral("MODUL_FUNCTION_ZOOM_RECT"));
}

double ZoomFunction::RectFactor(const Rect& rect, int clientWidth, int clientHeight) {
    if (clientWidth <= 0 || clientHeight <= 0)
        return 0.0;
    return std::max(std::abs(rect.width()) / double(clientWidth), std::abs(rect.height()) / double(clientHeight));
}

void ZoomFunction::PointAction() {
    const Rect& r = Rectangle();
    zoomBy(2.0, windowPoint(r.left, r.top));
}

void ZoomFunction::RectAction() {
    MapWindowModule* module = MapWindowModule::instance();
    TTolmWindow* window = module ? module->Window() : nullptr;
    if (window == nullptr)
        return;
    const Rect& r = Rectangle();
    const double factor = RectFactor(r, window->viewport()->width(), window->viewport()->height());
    zoomBy(factor, windowPoint((r.left + r.right) * 0.5, (r.top + r.bottom) * 0.5));
}
