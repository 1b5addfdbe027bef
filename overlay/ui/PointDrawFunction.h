#pragma once

#include "PointRectFunction.h"

class StdDrawObjectTarget;

// Places point elements (symbols, picture symbols, texts): every click on
// the map hands one element to the target. A drag is no click and places
// nothing.
class PointDrawFunction : public PointRectFunction {
public:
    explicit PointDrawFunction(StdDrawObjectTarget& target);

    bool RectsAllowed() const override { return false; }
    void PointAction() override;
    // Draws the geometry not yet handed over with the current appearance.
    void Paint(MapEventInfo& info) override;

    StdDrawObjectTarget& Target() const { return m_target; }

private:
    StdDrawObjectTarget& m_target;
};
