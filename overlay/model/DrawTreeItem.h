#pragma once

#include "StdDrawAppearance.h"
#include "StdDrawObject.h"

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <memory>

class MapEventInfo;
class TDrawTreeView;

// The object behind one node of the element tree: a folder or a drawing
// element. Each node owns its item; deleting the node destroys the item.
class DrawTreeItem {
public:
    DrawTreeItem() = default;
    DrawTreeItem(const DrawTreeItem&) = delete;
    DrawTreeItem& operator=(const DrawTreeItem&) = delete;
    virtual ~DrawTreeItem() = default;

    // Places a new node for this item relative to the selected node and hands
    // the item to it: into a folder as its first child (the folder is
    // expanded), after any other node (its parent is expanded). Without a
    // selected node the root is taken; into an empty tree the node becomes
    // the root.
    virtual QTreeWidgetItem* insertInto(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text);

    bool shown() const { return m_shown != 0; }
    void setShown(bool shown) { m_shown = shown ? 1 : 0; }

protected:
    QTreeWidgetItem* insertNode(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text,
                                int imageIndex);

private:
    unsigned char m_shown = 1;
};

class DrawTreeFolder : public DrawTreeItem {
public:
    // The new node shows a collapsed folder.
    QTreeWidgetItem* insertInto(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text) override;
};

// A drawing element: its own copy of an appearance and the geometry it took
// over from its creator.
class DrawTreeObject : public DrawTreeItem {
public:
    // The creator's geometry pointer is left empty.
    DrawTreeObject(const StdDrawAppearance& appearance, std::unique_ptr<StdDrawObject>& geometry);

    void draw(MapEventInfo& target) const;

    StdDrawAppearance& appearance() { return *m_appearance; }
    const StdDrawAppearance& appearance() const { return *m_appearance; }
    StdDrawObject& geometry() { return *m_geometry; }
    const StdDrawObject& geometry() const { return *m_geometry; }

private:
    std::unique_ptr<StdDrawAppearance> m_appearance;
    std::unique_ptr<StdDrawObject> m_geometry;
};

// One node of the element tree with the item it owns and its image index:
// kind (0 element, 1 expanded folder, 2 collapsed folder) + 3 when hidden.
class DrawTreeNode : public QTreeWidgetItem {
public:
    DrawTreeNode(DrawTreeItem* item, int imageIndex);
    ~DrawTreeNode() override;

    DrawTreeItem* item() const { return m_item.get(); }
    int imageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int kind() const { return m_imageIndex % 3; }
    // Expanded or collapsed folders count as containers for moving; hidden
    // folders do not.
    bool isContainer() const { return m_imageIndex == 1 || m_imageIndex == 2; }

private:
    std::unique_ptr<DrawTreeItem> m_item;
    int m_imageIndex = 0;
};

// The item of a node; none for nodes that are not element tree nodes.
DrawTreeItem* itemOf(const QTreeWidgetItem* node);
DrawTreeNode* drawNode(QTreeWidgetItem* node);

// The tree view that holds the element tree below its one root node "Alle
// Zeichnungselemente". The node order is the drawing order: the first
// element is painted last, on top of the others. Every node except the root
// can be renamed in place; nodes move only through the move operations.
class TDrawTreeView : public QTreeWidget {
    Q_OBJECT
public:
    static const QString RootText;

    explicit TDrawTreeView(QWidget* parent = nullptr);

    QTreeWidgetItem* root() const { return topLevelItemCount() ? topLevelItem(0) : nullptr; }
    // Position in the order of all nodes, the root being 0; -1 for none.
    int absoluteIndex(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* nodeAt(int absoluteIndex) const;
    int nodeCount() const;
    // Deletes every node below the root.
    void clearBelowRoot();

    // The pictures of the six image indices.
    static QIcon image(int imageIndex);

private slots:
    void nodeExpanded(QTreeWidgetItem* node);
    void nodeCollapsed(QTreeWidgetItem* node);
};
