#include "ZeichnenDrawObjectTarget.h"

#include "DrawTreeItem.h"
#include "ZeichnenAuswahlFrame.h"

ZeichnenDrawObjectTarget::ZeichnenDrawObjectTarget(TZeichnenAuswahlFrame& frame, QTreeWidgetItem* node)
    : m_frame(&frame), m_node(node ? node : frame.root()) {}

bool ZeichnenDrawObjectTarget::commit() {
    if (m_appearance == nullptr || !m_frame)
        return false;
    TDrawTreeView& tree = *m_frame->tvObjects();
    // The node may have been deleted since the target was made.
    if (tree.absoluteIndex(m_node) < 0)
        m_node = tree.root();
    QString name = m_appearance->name;
    if (name.isEmpty())
        name = m_appearance->kindLabel(*m_geometry);
    auto* object = new DrawTreeObject(*m_appearance, m_geometry);
    object->insertInto(tree, m_node, name);
    m_frame->countNewElement();
    m_geometry = std::make_unique<StdDrawObject>();
    return true;
}
