#include "PanelLayout.h"

#include <QLayout>
#include <QWidget>

namespace PanelLayout {

namespace {

bool managedByLayout(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    return parent != nullptr && parent->layout() != nullptr &&
           parent->layout()->indexOf(const_cast<QWidget*>(control)) >= 0;
}

} // namespace

bool fillsParent(const QWidget* control) {
    const QWidget* parent = control->parentWidget();
    if (parent == nullptr || control->isWindow())
        return true;
    return control->geometry() == parent->rect();
}

void TPanel_VBox(QWidget* container, int spacing, int margin, const QList<QWidget*>& controls) {
    if (container == nullptr)
        return;
    int top = spacing + margin;
    int bottom = top;
    for (QWidget* control : controls) {
        if (control == nullptr)
            continue;
        control->move(control->x(), top);
        bottom = top + control->height();
        top = bottom + spacing;
    }
    const int needed = bottom + margin - container->height();
    if (needed <= 0)
        return;
    for (QWidget* w = container; w != nullptr && !fillsParent(w); w = w->parentWidget()) {
        if (managedByLayout(w)) {
            // Its layout sets its size: ask it for the room instead, and let
            // the layout pass the need on upwards.
            w->setMinimumHeight(w->height() + needed);
            break;
        }
        w->resize(w->width(), w->height() + needed);
    }
}

void placeControlRelative(QWidget* control, int alignment, QPoint point, QWidget* reference) {
    if (control == nullptr)
        return;
    const QPoint global = reference ? reference->mapToGlobal(point) : point;
    const QPoint local = (control->isWindow() || control->parentWidget() == nullptr)
                             ? global
                             : control->parentWidget()->mapFromGlobal(global);
    const int horizontal = (alignment >> 2) & 3;
    const int vertical = alignment & 3;
    control->move(local.x() - horizontal * control->width() / 2, local.y() - vertical * control->height() / 2);
}

} // namespace PanelLayout
