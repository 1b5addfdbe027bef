#pragma once

#include "StdDrawAppearance.h"
#include "StdDrawObject.h"

#include <QPointer>

#include <memory>

class QTreeWidgetItem;
class TZeichnenAuswahlFrame;

// Where a drawing function hands over what it has drawn: the geometry under
// construction, the appearance it is drawn with, and commit() to turn them
// into an element.
class StdDrawObjectTarget {
public:
    StdDrawObjectTarget() : m_geometry(std::make_unique<StdDrawObject>()) {}
    virtual ~StdDrawObjectTarget() = default;

    StdDrawObject& geometry() { return *m_geometry; }
    StdDrawAppearance* appearance() const { return m_appearance; }
    void setAppearance(StdDrawAppearance* appearance) { m_appearance = appearance; }

    // Takes the current geometry; the target then holds a new empty one.
    virtual bool commit() = 0;

protected:
    std::unique_ptr<StdDrawObject> m_geometry;
    StdDrawAppearance* m_appearance = nullptr;
};

// Hands new elements to the element tree of the selection frame, placed
// relative to the node that was selected when the target was made.
class ZeichnenDrawObjectTarget : public StdDrawObjectTarget {
public:
    // Without a node the frame's root is taken.
    ZeichnenDrawObjectTarget(TZeichnenAuswahlFrame& frame, QTreeWidgetItem* node);

    QTreeWidgetItem* node() const { return m_node; }

    // Names the element (the appearance's name, else the kind label), inserts
    // it, counts the change and starts a new geometry. False without an
    // appearance.
    bool commit() override;

private:
    QPointer<TZeichnenAuswahlFrame> m_frame;
    QTreeWidgetItem* m_node = nullptr;
};
