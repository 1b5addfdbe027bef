#include "PointDrawFunction.h"

#include "DrawBeep.h"
#include "MapWindowModule.h"
#include "ZeichnenDrawObjectTarget.h"

PointDrawFunction::PointDrawFunction(StdDrawObjectTarget& target) : m_target(target) {}

void PointDrawFunction::PointAction() {
    StdDrawObject& geometry = m_target.geometry();
    // A single point left from a line drawn before the kind was changed
    // becomes an element of the new kind.
    if (geometry.points.size() == 1)
        m_target.commit();

    MapWindowModule* module = MapWindowModule::instance();
    Coord click{};
    click.type = 0xC001;
    click.x = Rectangle().left;
    click.y = Rectangle().top;
    // The map's own coordinates, so the element stays where it was placed
    // whatever the view does later.
    Coord position{};
    if (module == nullptr || !module->Transform(click, position)) {
        DrawBeep::beep();
        return;
    }
    StdDrawObject& fresh = m_target.geometry();
    fresh.points.clear();
    fresh.points.push_back(position);
    m_target.commit();
    module->Repaint();
}

void PointDrawFunction::Paint(MapEventInfo& info) {
    if (const StdDrawAppearance* appearance = m_target.appearance())
        appearance->draw(info, m_target.geometry());
}
