#pragma once

#include <QList>
#include <QPoint>

class QWidget;

namespace PanelLayout {

// Lays the controls out from top to bottom in the container: the first at
// spacing + margin, each next one spacing below the previous one. Then the
// container and its parents, up to the first one that fills its parent, grow
// by the height still needed, so that the last control ends margin pixels
// above the bottom.
void TPanel_VBox(QWidget* container, int spacing, int margin, const QList<QWidget*>& controls);

// Moves the control, keeping its size, so that the point lies at its left,
// centre or right edge (alignment bits 2-3: 0, 1, 2) and at its top, centre
// or bottom edge (bits 0-1: 0, 1, 2). The point is in the reference
// control's client coordinates, or in screen coordinates without one.
void placeControlRelative(QWidget* control, int alignment, QPoint point, QWidget* reference);

// A control fills its parent when it is a window or its geometry covers the
// parent's whole client area.
bool fillsParent(const QWidget* control);

} // namespace PanelLayout
