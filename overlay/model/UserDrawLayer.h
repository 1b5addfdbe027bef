#pragma once

#include "MapEvents.h"

#include <QPointer>

class QTreeWidgetItem;
class TDrawTreeView;

// Paints the element tree over the map. A hidden node hides its whole
// content; children are painted from the last to the first and a node's own
// element after its children, so the first element in the tree ends on top.
class UserDrawLayer : public MapEventListener {
public:
    explicit UserDrawLayer(TDrawTreeView& tree);

    void Paint(MapEventInfo& info) override;

    // The same walk on any node.
    static void paintNode(const QTreeWidgetItem* node, MapEventInfo& info);

private:
    QPointer<TDrawTreeView> m_tree;
};
