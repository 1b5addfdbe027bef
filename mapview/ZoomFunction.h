#pragma once

#include "PointRectFunction.h"

// Rectangle zoom: a dragged rectangle fills the window, a click zooms out one
// step (by 2) with the clicked point in the middle.
class ZoomFunction : public PointRectFunction {
public:
    // Takes the cursor MODUL_FUNCTION_ZOOM_RECT.
    explicit ZoomFunction(MapEventListener* delegate = nullptr);

    void PointAction() override;
    void RectAction() override;

    // The relative factor of a rectangle in a client area of that size: the
    // larger of |width| / client width and |height| / client height.
    static double RectFactor(const Rect& rect, int clientWidth, int clientHeight);
};
