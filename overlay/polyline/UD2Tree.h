#pragma once

#include <QString>

#include <memory>
#include <vector>

// The nodes of a drawing tree: a name, the parent folder and an enabled flag.
// Only a node that is enabled together with all its ancestors may be edited,
// so switching a folder off protects everything below it.
namespace UD2Tree {

class Folder;

class Node {
public:
    explicit Node(QString name = {}) : m_name(std::move(name)) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    Folder* parent() const { return m_parent; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    // This node and every ancestor up to the top are enabled.
    bool isEditable() const;

private:
    friend class Folder;
    QString m_name;
    Folder* m_parent = nullptr;
    bool m_enabled = true;
};

// A node without children (an element).
class Leaf : public Node {
public:
    using Node::Node;
};

// A node that owns its children, in order.
class Folder : public Node {
public:
    using Node::Node;
    // Takes the node and makes this folder its parent; returns it.
    Node* add(std::unique_ptr<Node> child);
    // Hands the child back to the caller; none when it is not a child here.
    std::unique_ptr<Node> take(Node* child);
    const std::vector<std::unique_ptr<Node>>& children() const { return m_children; }

private:
    std::vector<std::unique_ptr<Node>> m_children;
};

} // namespace UD2Tree
