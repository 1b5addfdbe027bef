#pragma once

#include "MapEvents.h"

#include <QString>

// Identifies objects of the clickable layers (points of interest): over an
// object its hint shows as a tooltip and the cursor becomes a hand; a click
// is offered to the layers, the last registered first, until one handles it.
class ObjectClickFunction : public MapFunction {
public:
    using MapFunction::MapFunction;

    void MouseMove(MapEventInfo& info) override;
    void ButtonDown(MapEventInfo& info) override;
    // Clears and hides the hint, then the default leave.
    bool Leave(MapFunction* next) override;

    // The hint shown last; empty when none is shown.
    const QString& ShownHint() const { return m_hint; }

private:
    void clearHint();

    QString m_hint;
};
