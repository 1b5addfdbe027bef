#include "UserDrawLayer.h"

#include "DrawTreeItem.h"

UserDrawLayer::UserDrawLayer(TDrawTreeView& tree) : m_tree(&tree) {}

void UserDrawLayer::Paint(MapEventInfo& info) {
    if (m_tree && info.canvas)
        paintNode(m_tree->root(), info);
}

void UserDrawLayer::paintNode(const QTreeWidgetItem* node, MapEventInfo& info) {
    const DrawTreeItem* item = itemOf(node);
    if (item == nullptr || !item->shown())
        return;
    for (int i = node->childCount() - 1; i >= 0; --i)
        paintNode(node->child(i), info);
    if (const auto* object = dynamic_cast<const DrawTreeObject*>(item))
        object->draw(info);
}
