#pragma once

#include "KeptPicture.h"
#include "MapEvents.h"

#include <QPointer>

#include <vector>

class QTreeWidgetItem;
class TDrawTreeView;

// Paints the element tree over the map. A hidden node hides its whole
// content; children are painted from the last to the first and a node's own
// element after its children, so the first element in the tree ends on top.
class UserDrawLayer : public MapEventListener {
public:
    explicit UserDrawLayer(TDrawTreeView& tree);

    void Paint(MapEventInfo& info) override;
    // Something in the tree changed: the next paint draws the elements anew.
    void Invalidate();

    // The same walk on any node.
    static void paintNode(const QTreeWidgetItem* node, MapEventInfo& info);

private:
    // What decides the picture: the view, where it lies, the changes asked
    // for since, the canvas's scale.
    std::vector<double> viewKey(MapEventInfo& info) const;

    QPointer<TDrawTreeView> m_tree;
    KeptPicture m_picture;
};
