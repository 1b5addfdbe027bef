#include "DrawTreeItem.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>

#include <array>

// --- items ---

QTreeWidgetItem* DrawTreeItem::insertInto(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text) {
    return insertNode(tree, selectedNode, text, 0);
}

QTreeWidgetItem* DrawTreeItem::insertNode(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text,
                                          int imageIndex) {
    auto* node = new DrawTreeNode(this, imageIndex);
    node->setText(0, text);
    if (tree.root() == nullptr) {
        // The root keeps its text.
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
        tree.addTopLevelItem(node);
        return node;
    }
    if (selectedNode == nullptr || drawNode(selectedNode) == nullptr)
        selectedNode = tree.root();
    if (dynamic_cast<DrawTreeFolder*>(itemOf(selectedNode)) != nullptr) {
        selectedNode->insertChild(0, node);
        selectedNode->setExpanded(true);
    } else {
        QTreeWidgetItem* parent = selectedNode->parent();
        parent->insertChild(parent->indexOfChild(selectedNode) + 1, node);
        parent->setExpanded(true);
    }
    return node;
}

QTreeWidgetItem* DrawTreeFolder::insertInto(TDrawTreeView& tree, QTreeWidgetItem* selectedNode, const QString& text) {
    return insertNode(tree, selectedNode, text, 2);
}

DrawTreeObject::DrawTreeObject(const StdDrawAppearance& appearance, std::unique_ptr<StdDrawObject>& geometry)
    : m_appearance(std::make_unique<StdDrawAppearance>(appearance)),
      m_geometry(geometry ? std::move(geometry) : std::make_unique<StdDrawObject>()) {}

void DrawTreeObject::draw(MapEventInfo& target) const {
    m_appearance->draw(target, *m_geometry);
}

// --- nodes ---

DrawTreeNode::DrawTreeNode(DrawTreeItem* item, int imageIndex)
    : QTreeWidgetItem(QTreeWidgetItem::UserType), m_item(item) {
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    setImageIndex(imageIndex);
}

DrawTreeNode::~DrawTreeNode() {
    // Children first, so that the items go in the order of their nodes.
    qDeleteAll(takeChildren());
}

void DrawTreeNode::setImageIndex(int index) {
    m_imageIndex = index;
    setIcon(0, TDrawTreeView::image(index));
}

DrawTreeItem* itemOf(const QTreeWidgetItem* node) {
    const auto* n = dynamic_cast<const DrawTreeNode*>(node);
    return n ? n->item() : nullptr;
}

DrawTreeNode* drawNode(QTreeWidgetItem* node) {
    return dynamic_cast<DrawTreeNode*>(node);
}

// --- tree view ---

const QString TDrawTreeView::RootText = QStringLiteral("Alle Zeichnungselemente");

TDrawTreeView::TDrawTreeView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    // A double click centres the map on the element; renaming starts with a
    // second click on a selected node or with F2.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemExpanded, this, &TDrawTreeView::nodeExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &TDrawTreeView::nodeCollapsed);
}

namespace {

void countNodes(const QTreeWidgetItem* node, int& count) {
    ++count;
    for (int i = 0; i < node->childCount(); ++i)
        countNodes(node->child(i), count);
}

bool findIndex(const QTreeWidgetItem* node, const QTreeWidgetItem* wanted, int& index) {
    if (node == wanted)
        return true;
    ++index;
    for (int i = 0; i < node->childCount(); ++i) {
        if (findIndex(node->child(i), wanted, index))
            return true;
    }
    return false;
}

QTreeWidgetItem* findNode(QTreeWidgetItem* node, int& remaining) {
    if (remaining == 0)
        return node;
    --remaining;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QTreeWidgetItem* found = findNode(node->child(i), remaining))
            return found;
    }
    return nullptr;
}

} // namespace

int TDrawTreeView::absoluteIndex(const QTreeWidgetItem* node) const {
    int index = 0;
    for (int i = 0; node != nullptr && i < topLevelItemCount(); ++i) {
        if (findIndex(topLevelItem(i), node, index))
            return index;
    }
    return -1;
}

QTreeWidgetItem* TDrawTreeView::nodeAt(int absoluteIndex) const {
    if (absoluteIndex < 0)
        return nullptr;
    int remaining = absoluteIndex;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = findNode(topLevelItem(i), remaining))
            return found;
    }
    return nullptr;
}

int TDrawTreeView::nodeCount() const {
    int count = 0;
    for (int i = 0; i < topLevelItemCount(); ++i)
        countNodes(topLevelItem(i), count);
    return count;
}

void TDrawTreeView::clearBelowRoot() {
    if (QTreeWidgetItem* r = root())
        qDeleteAll(r->takeChildren());
}

void TDrawTreeView::nodeExpanded(QTreeWidgetItem* node) {
    DrawTreeNode* n = drawNode(node);
    if (n && n->kind() == 2)
        n->setImageIndex(n->imageIndex() - 1);
}

void TDrawTreeView::nodeCollapsed(QTreeWidgetItem* node) {
    DrawTreeNode* n = drawNode(node);
    if (n && n->kind() == 1)
        n->setImageIndex(n->imageIndex() + 1);
}

namespace {

// 16 x 16 pictures: a drawing pen for elements, an open and a closed folder;
// hidden nodes show the same pictures faded.
QPixmap paintImage(int kind, bool hidden) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (hidden)
        p.setOpacity(0.35);
    p.setPen(QPen(Qt::black, 1));
    if (kind == 0) {
        p.setBrush(QColor(255, 0, 255));
        const QPoint pen[] = {{3, 12}, {11, 4}, {13, 6}, {5, 14}, {2, 15}};
        p.drawPolygon(pen, 5);
    } else {
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 2, 5, 2);
        if (kind == 1) {
            p.setBrush(QColor(255, 230, 140));
            const QPoint lid[] = {{3, 7}, {15, 7}, {13, 14}, {1, 14}};
            p.drawPolygon(lid, 4);
        }
    }
    return pixmap;
}

} // namespace

QIcon TDrawTreeView::image(int imageIndex) {
    static const std::array<QIcon, 6> images = [] {
        std::array<QIcon, 6> list;
        for (int i = 0; i < 6; ++i)
            list[size_t(i)] = QIcon(paintImage(i % 3, i >= 3));
        return list;
    }();
    return images[size_t(qBound(0, imageIndex, 5))];
}
