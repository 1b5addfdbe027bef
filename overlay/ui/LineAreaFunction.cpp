#include "LineAreaFunction.h"

#include "DrawBeep.h"
#include "LineAreaForm.h"
#include "MapWindowModule.h"
#include "ZeichnenDrawObjectTarget.h"

LineAreaFunction::LineAreaFunction(StdDrawObjectTarget& target, QWidget* toolParent)
    : m_target(target), m_form(new TLineAreaForm(*this, toolParent)) {}

LineAreaFunction::~LineAreaFunction() {
    delete m_form.data();
}

StdDrawObject& LineAreaFunction::Geometry() const {
    return m_target.geometry();
}

void LineAreaFunction::changed() {
    if (m_form)
        m_form->updateButtons();
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

void LineAreaFunction::ButtonDown(MapEventInfo& info) {
    if (info.doubleClick || (info.button != 0 && info.button != 2))
        return;
    // A click beside every map adds nothing and says nothing.
    Coord position{};
    if (info.PositionIn(position) && !Geometry().closed())
        Geometry().points.push_back(position);
    changed();
}

void LineAreaFunction::Key(MapEventInfo& info) {
    StdDrawObject& geometry = Geometry();
    if (info.key == 8) {
        if (geometry.closed())
            geometry.setClosed(false);
        else if (!geometry.points.empty())
            geometry.points.pop_back();
    } else if (info.key == '0') {
        geometry.setClosed(false);
        geometry.points.clear();
    } else {
        return;
    }
    changed();
}

void LineAreaFunction::Paint(MapEventInfo& info) {
    if (const StdDrawAppearance* appearance = m_target.appearance())
        appearance->draw(info, Geometry());
}

void LineAreaFunction::Enter(MapFunction* previous) {
    if (m_form) {
        m_form->updateButtons();
        m_form->show();
    }
    MapFunction::Enter(previous);
}

bool LineAreaFunction::Leave(MapFunction* next) {
    if (m_form)
        m_form->hide();
    return MapFunction::Leave(next);
}

void LineAreaFunction::DeleteLast() {
    StdDrawObject& geometry = Geometry();
    if (geometry.closed())
        geometry.setClosed(false);
    else if (!geometry.points.empty())
        geometry.points.pop_back();
    changed();
}

void LineAreaFunction::CloseArea() {
    if (!Geometry().setClosed(true))
        DrawBeep::beep();
    changed();
}

void LineAreaFunction::DeleteAll() {
    StdDrawObject& geometry = Geometry();
    geometry.setClosed(false);
    geometry.points.clear();
    changed();
}
