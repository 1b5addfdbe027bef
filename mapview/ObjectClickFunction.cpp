#include "ObjectClickFunction.h"

#include "ListenerIterator.h"
#include "MapWindowModule.h"
#include "TolmWindow.h"

#include <QCursor>
#include <QToolTip>
#include <QWidget>

namespace {

QWidget* mapControl() {
    MapWindowModule* module = MapWindowModule::instance();
    return module ? module->WindowControl() : nullptr;
}

// The client area of the map window, where event positions are counted from.
QWidget* clientArea() {
    MapWindowModule* module = MapWindowModule::instance();
    TTolmWindow* window = module ? module->Window() : nullptr;
    return window ? window->viewport() : nullptr;
}

} // namespace

void ObjectClickFunction::clearHint() {
    m_hint.clear();
    if (QWidget* control = mapControl())
        control->setToolTip(QString());
    QToolTip::hideText();
}

void ObjectClickFunction::MouseMove(MapEventInfo& info) {
    QString hint;
    bool hit = false;
    for (auto it = MapEventListeners::Backward(); it->HasMore();) {
        auto* layer = dynamic_cast<ClickableLayer*>(it->Next());
        if (layer != nullptr && layer->ObjectUnderPoint(info, hint)) {
            hit = true;
            break;
        }
    }
    QWidget* control = mapControl();
    QWidget* client = clientArea();
    if (!hit) {
        if (!m_hint.isEmpty())
            clearHint();
        if (control != nullptr)
            control->unsetCursor();
        return;
    }
    m_hint = hint;
    if (control != nullptr)
        control->setCursor(Qt::PointingHandCursor);
    if (client != nullptr) {
        const QPoint local(static_cast<int>(info.position.x), static_cast<int>(info.position.y));
        QToolTip::showText(client->mapToGlobal(local), hint, client);
    }
}

void ObjectClickFunction::ButtonDown(MapEventInfo& info) {
    if (info.button != 0)
        return;
    for (auto it = MapEventListeners::Backward(); it->HasMore();) {
        auto* layer = dynamic_cast<ClickableLayer*>(it->Next());
        if (layer != nullptr && layer->Click(info))
            return;
    }
}

bool ObjectClickFunction::Leave(MapFunction* next) {
    clearHint();
    return MapFunction::Leave(next);
}
