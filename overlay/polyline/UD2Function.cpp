#include "UD2Function.h"

#include "MapWindowModule.h"
#include "UD2Element.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace UD2Function {

namespace {

QWidget* mapControl() {
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->WindowControl() : nullptr;
}

void repaintMap() {
    if (MapWindowModule* module = MapWindowModule::instance())
        module->Repaint();
}

// Event positions are whole client pixels; other callers may pass any double.
int truncated(double v) {
    if (!std::isfinite(v))
        return 0;
    return int(std::trunc(std::clamp(v, -1.0e9, 1.0e9)));
}

} // namespace

EditElement::EditElement(UD2Element::LineArea* element) : m_element(element) {}

EditElement::~EditElement() {
    TUD2_DeletePopup& popup = TUD2_DeletePopup::instance();
    if (popup.function() == this)
        popup.prepare(nullptr, -1);
}

int EditElement::hitClass(const MapEventInfo& info, int* index) const {
    if (m_element == nullptr || !m_element->isEditable())
        return 0;
    int hit = -1;
    if (m_element->hitPoint(info, hit)) {
        if (index != nullptr)
            *index = hit;
        return 2;
    }
    return 1;
}

QCursor EditElement::normalCursor() const {
    return QCursor(Qt::CrossCursor);
}

void EditElement::showCursor(int cursorClass) {
    m_cursorClass = cursorClass;
    QWidget* control = mapControl();
    if (control == nullptr)
        return;
    switch (cursorClass) {
    case 0:
        control->setCursor(Qt::ForbiddenCursor);
        break;
    case 2:
        control->setCursor(Qt::SizeAllCursor);
        break;
    default:
        control->setCursor(normalCursor());
        break;
    }
}

void EditElement::MouseMove(MapEventInfo& info) {
    // A move without the button means the release went elsewhere: the
    // press ends without effect.
    if (m_mode != None && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        m_mode = None;
        if (QWidget* control = mapControl(); control != nullptr && QWidget::mouseGrabber() == control)
            control->releaseMouse();
    }
    showCursor(hitClass(info));
}

void EditElement::ButtonDown(MapEventInfo& info) {
    if (info.button != 0)
        return;
    int index = -1;
    m_mode = hitClass(info, &index);
    m_vertex = m_mode == Vertex ? index : -1;
    showCursor(m_mode);
    if (m_mode != None) {
        m_pressX = truncated(info.position.x);
        m_pressY = truncated(info.position.y);
    }
}

void EditElement::ButtonUp(MapEventInfo& info) {
    const int mode = m_mode;
    m_mode = None;
    if (QWidget* control = mapControl(); control != nullptr && QWidget::mouseGrabber() == control)
        control->releaseMouse();
    if (mode == None || m_element == nullptr)
        return;
    Coord position{}; // type 0: the map's own system
    if (!info.Transform(info.position, position))
        return;
    if (mode == Free) {
        const int x = truncated(info.position.x), y = truncated(info.position.y);
        if (std::abs(x - m_pressX) >= 6 || std::abs(y - m_pressY) >= 6)
            return; // a drag away from every vertex is no click
        if (!m_element->appendPoint(position))
            return;
    } else if (!m_element->movePoint(m_vertex, position)) {
        return;
    }
    afterChange();
}

void EditElement::Context(MapEventInfo& info) {
    int index = -1;
    const int hit = hitClass(info, &index);
    if (hit == 0)
        return;
    TUD2_DeletePopup& popup = TUD2_DeletePopup::instance();
    popup.prepare(this, hit == 2 ? index : -1);
    QPoint at(truncated(info.position.x), truncated(info.position.y));
    if (QWidget* control = mapControl())
        at = control->mapToGlobal(at);
    popup.popup(at);
}

void EditElement::Paint(MapEventInfo& info) {
    if (m_element != nullptr)
        m_element->draw(info);
}

void EditElement::removePoint(int index) {
    if (m_element == nullptr || !m_element->removePoint(index))
        return;
    afterChange();
}

void EditElement::removeAll() {
    if (m_element == nullptr)
        return;
    while (m_element->removePoint(0)) {
    }
    afterChange();
}

void EditElement::afterChange() {
    repaintMap();
    changed();
}

} // namespace UD2Function

TUD2_DeletePopup& TUD2_DeletePopup::instance() {
    static TUD2_DeletePopup* popup = new TUD2_DeletePopup;
    return *popup;
}

TUD2_DeletePopup::TUD2_DeletePopup() {
    setObjectName(QStringLiteral("TUD2_DeletePopup"));
    RemovePoint = addAction(QStringLiteral("&Punkt löschen"));
    RemovePoint->setObjectName(QStringLiteral("RemovePoint"));
    RemoveAll = addAction(QStringLiteral("&Alles löschen"));
    RemoveAll->setObjectName(QStringLiteral("RemoveAll"));
    connect(RemovePoint, &QAction::triggered, this, [this] {
        if (m_function != nullptr)
            m_function->removePoint(m_vertex);
    });
    connect(RemoveAll, &QAction::triggered, this, [this] {
        if (m_function != nullptr)
            m_function->removeAll();
    });
}

void TUD2_DeletePopup::prepare(UD2Function::EditElement* function, int vertex) {
    m_function = function;
    m_vertex = vertex;
    RemovePoint->setVisible(function != nullptr && vertex >= 0);
}
