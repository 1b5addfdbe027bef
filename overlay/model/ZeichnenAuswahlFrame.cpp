#include "ZeichnenAuswahlFrame.h"

#include "DrawTreeItem.h"
#include "MapSequence.h"
#include "MapWindowModule.h"
#include "ModulBasis.h"
#include "PlatformDialogs.h"
#include "UserDrawLayer.h"

#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <set>

void TTriStateCheckBox::nextCheckState() {
    if (!isTristate()) {
        QCheckBox::nextCheckState();
        return;
    }
    switch (checkState()) {
    case Qt::Unchecked:
        setCheckState(Qt::Checked);
        break;
    case Qt::Checked:
        setCheckState(Qt::PartiallyChecked);
        break;
    case Qt::PartiallyChecked:
        setCheckState(Qt::Unchecked);
        break;
    }
}

TZeichnenAuswahlFrame::TZeichnenAuswahlFrame(QWidget* parent) : QFrame(parent) {
    m_tree = new TDrawTreeView(this);
    (new DrawTreeFolder)->insertInto(*m_tree, nullptr, TDrawTreeView::RootText);
    // The tree is painted over the map from now on (once the map window
    // module exists).
    m_layer = std::make_unique<UserDrawLayer>(*m_tree);
    m_layer->Attach();
    // A drawing loaded, cleared or edited here shows at once, not with the
    // next paint that happens to come.
    connect(this, &TZeichnenAuswahlFrame::mapChanged, this, [this] {
        m_layer->Invalidate();
        if (MapWindowModule* module = MapWindowModule::instance())
            module->Repaint();
    });

    chkShow = new TTriStateCheckBox(QStringLiteral("Gewählte(s) Element(e) anzeigen"), this);
    chkShow->setTristate(true);
    pshNewFolder = new QPushButton(QStringLiteral("Neuer &Ordner"), this);
    pshUp = new QPushButton(QStringLiteral("Nach oben"), this);
    pshDown = new QPushButton(QStringLiteral("Nach unten"), this);
    pshDelete = new QPushButton(QStringLiteral("Löschen"), this);
    pshCenter = new QPushButton(QStringLiteral("Zentrieren"), this);

    auto* buttons = new QGridLayout;
    buttons->addWidget(pshNewFolder, 0, 0);
    buttons->addWidget(pshDelete, 0, 1);
    buttons->addWidget(pshUp, 1, 0);
    buttons->addWidget(pshDown, 1, 1);
    buttons->addWidget(pshCenter, 2, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(chkShow);
    layout->addLayout(buttons);

    connect(pshNewFolder, &QPushButton::clicked, this, [this] { newFolder(); });
    connect(pshUp, &QPushButton::clicked, this, &TZeichnenAuswahlFrame::moveUp);
    connect(pshDown, &QPushButton::clicked, this, &TZeichnenAuswahlFrame::moveDown);
    connect(pshDelete, &QPushButton::clicked, this, &TZeichnenAuswahlFrame::deleteSelected);
    connect(pshCenter, &QPushButton::clicked, this, &TZeichnenAuswahlFrame::centreSelected);
    connect(chkShow, &QCheckBox::clicked, this, &TZeichnenAuswahlFrame::showHideClicked);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &TZeichnenAuswahlFrame::selectionChanged);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] { centreSelected(); });
    selectionChanged();
}

TZeichnenAuswahlFrame::~TZeichnenAuswahlFrame() {
    // The layer must not paint a tree that is going away.
    m_layer->Detach();
}

QTreeWidgetItem* TZeichnenAuswahlFrame::root() const {
    return m_tree->root();
}

QTreeWidgetItem* TZeichnenAuswahlFrame::insertionNode() const {
    QTreeWidgetItem* current = m_tree->currentItem();
    if (current != nullptr && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    return selected.isEmpty() ? root() : selected.first();
}

QTreeWidgetItem* TZeichnenAuswahlFrame::newFolder() {
    QTreeWidgetItem* node = (new DrawTreeFolder)->insertInto(*m_tree, insertionNode(), QStringLiteral("Ordner"));
    m_tree->clearSelection();
    m_tree->setCurrentItem(node);
    node->setSelected(true);
    return node;
}

QList<QTreeWidgetItem*> TZeichnenAuswahlFrame::selectedNodes() const {
    return m_tree->selectedItems();
}

void TZeichnenAuswahlFrame::reselect(const QList<QTreeWidgetItem*>& nodes) {
    m_tree->clearSelection();
    for (QTreeWidgetItem* node : nodes)
        node->setSelected(true);
    if (!nodes.isEmpty())
        m_tree->setCurrentItem(nodes.first(), 0, QItemSelectionModel::NoUpdate);
}

void TZeichnenAuswahlFrame::repaintMap() {
    // The map is repainted by the answer to the signal.
    emit mapChanged();
}

void TZeichnenAuswahlFrame::selectionChanged() {
    const QList<QTreeWidgetItem*> nodes = selectedNodes();
    int shown = 0;
    int hidden = 0;
    bool anyObject = false;
    for (const QTreeWidgetItem* node : nodes) {
        const DrawTreeItem* item = itemOf(node);
        if (item == nullptr)
            continue;
        (item->shown() ? shown : hidden) += 1;
        anyObject = anyObject || dynamic_cast<const DrawTreeObject*>(item) != nullptr;
    }
    Qt::CheckState state = Qt::PartiallyChecked;
    if (shown > 0 && hidden == 0)
        state = Qt::Checked;
    else if (hidden > 0 && shown == 0)
        state = Qt::Unchecked;
    chkShow->setCheckState(state);
    pshCenter->setEnabled(anyObject);
}

void TZeichnenAuswahlFrame::showHideClicked() {
    const Qt::CheckState state = chkShow->checkState();
    // The grayed state stands for "as they are".
    if (state == Qt::PartiallyChecked)
        return;
    const bool shown = state == Qt::Checked;
    for (QTreeWidgetItem* node : selectedNodes()) {
        DrawTreeNode* n = drawNode(node);
        if (n == nullptr)
            continue;
        n->item()->setShown(shown);
        n->setImageIndex(n->kind() + (shown ? 0 : 3));
    }
    repaintMap();
}

namespace {

void collectExpanded(QTreeWidgetItem* node, QList<QTreeWidgetItem*>& expanded) {
    if (node->isExpanded())
        expanded.append(node);
    for (int i = 0; i < node->childCount(); ++i)
        collectExpanded(node->child(i), expanded);
}

// Puts the node (with its content) at index of parent, keeping which of its
// folders are open.
void relocate(QTreeWidgetItem* node, QTreeWidgetItem* parent, int index) {
    QList<QTreeWidgetItem*> expanded;
    collectExpanded(node, expanded);
    QTreeWidgetItem* oldParent = node->parent();
    oldParent->takeChild(oldParent->indexOfChild(node));
    parent->insertChild(index, node);
    for (QTreeWidgetItem* open : expanded)
        open->setExpanded(true);
}

bool isContainer(QTreeWidgetItem* node) {
    const DrawTreeNode* n = drawNode(node);
    return n != nullptr && n->isContainer();
}

} // namespace

void TZeichnenAuswahlFrame::moveUp() {
    const QList<QTreeWidgetItem*> nodes = selectedNodes();
    for (QTreeWidgetItem* node : nodes) {
        // The root and the first element stay where they are.
        if (m_tree->absoluteIndex(node) <= 1)
            continue;
        QTreeWidgetItem* parent = node->parent();
        const int index = parent->indexOfChild(node);
        if (index > 0) {
            QTreeWidgetItem* previous = parent->child(index - 1);
            if (isContainer(previous))
                relocate(node, previous, previous->childCount());
            else
                relocate(node, parent, index - 1);
        } else {
            // The first child leaves its folder, which is not the root here.
            QTreeWidgetItem* grand = parent->parent();
            relocate(node, grand, grand->indexOfChild(parent));
        }
    }
    reselect(nodes);
    if (!nodes.isEmpty())
        repaintMap();
}

void TZeichnenAuswahlFrame::moveDown() {
    const QList<QTreeWidgetItem*> nodes = selectedNodes();
    for (QTreeWidgetItem* node : nodes) {
        QTreeWidgetItem* parent = node->parent();
        if (parent == nullptr)
            continue;
        const int index = parent->indexOfChild(node);
        if (index + 1 < parent->childCount()) {
            QTreeWidgetItem* next = parent->child(index + 1);
            if (isContainer(next))
                relocate(node, next, 0);
            else
                relocate(node, parent, index + 1);
        } else if (parent != root()) {
            QTreeWidgetItem* grand = parent->parent();
            relocate(node, grand, grand->indexOfChild(parent) + 1);
        }
    }
    reselect(nodes);
    if (!nodes.isEmpty())
        repaintMap();
}

void TZeichnenAuswahlFrame::deleteSelected() {
    if (Platform::dialogs().messageBox(this,
                                       QStringLiteral("Wollen Sie das/die gewählte(n) Elemente wirklich löschen?"),
                                       Modul::applicationTitle(), Platform::MsgButtons::YesNo,
                                       Platform::MsgIcon::Error) != Platform::MsgResult::Yes)
        return;
    std::set<int> positions;
    for (QTreeWidgetItem* node : selectedNodes())
        positions.insert(m_tree->absoluteIndex(node));
    positions.erase(-1);
    if (positions.count(0) != 0) {
        if (Modul::Basis* basis = Modul::Basis::instance())
            basis->writeSetting(QStringLiteral("LastOverlayPathName"), QString());
    }
    // From the highest position down: a node's descendants lie above it, so
    // every position still names the node it named when collected.
    bool deleted = false;
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        QTreeWidgetItem* node = m_tree->nodeAt(*it);
        if (node == nullptr)
            continue;
        if (node->childCount() > 0) {
            qDeleteAll(node->takeChildren());
            deleted = true;
        }
        if (node != root()) {
            delete node;
            deleted = true;
        }
    }
    selectionChanged();
    if (deleted)
        repaintMap();
}

bool TZeichnenAuswahlFrame::centrePosition(Coord& position) const {
    for (const QTreeWidgetItem* node : selectedNodes()) {
        const auto* object = dynamic_cast<const DrawTreeObject*>(itemOf(node));
        if (object != nullptr && !object->geometry().points.empty()) {
            position = object->geometry().points.front();
            return true;
        }
    }
    return false;
}

void TZeichnenAuswahlFrame::centreSelected() {
    Coord position{};
    if (!centrePosition(position))
        return;
    if (!Modul::Kartenfolge::ShowPlaceOnSomeMap(position, QStringLiteral("Zeichnungselement zentrieren"),
                                                QStringLiteral("Das gewählte Element"), QStringLiteral("es")))
        return;
    if (MapWindowModule* module = MapWindowModule::instance())
        module->SetCentre(position, false);
}
