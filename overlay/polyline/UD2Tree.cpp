#include "UD2Tree.h"

#include <algorithm>

namespace UD2Tree {

bool Node::isEditable() const {
    for (const Node* node = this; node != nullptr; node = node->m_parent)
        if (!node->m_enabled)
            return false;
    return true;
}

Node* Folder::add(std::unique_ptr<Node> child) {
    if (!child)
        return nullptr;
    if (child->m_parent != nullptr) // still owned elsewhere: leave it there
        return nullptr;
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

std::unique_ptr<Node> Folder::take(Node* child) {
    const auto found = std::find_if(m_children.begin(), m_children.end(),
                                    [child](const std::unique_ptr<Node>& n) { return n.get() == child; });
    if (found == m_children.end())
        return nullptr;
    std::unique_ptr<Node> node = std::move(*found);
    m_children.erase(found);
    node->m_parent = nullptr;
    return node;
}

} // namespace UD2Tree
