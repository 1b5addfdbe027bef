#pragma once

#include <QCheckBox>
#include <QFrame>

#include <memory>

class QPushButton;
class QTreeWidgetItem;
class TDrawTreeView;
class UserDrawLayer;
struct Coord;

// A three-state box that steps like the framework's: unchecked, checked,
// grayed, unchecked again.
class TTriStateCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// The element tree of the drawing page: the tree view with its root "Alle
// Zeichnungselemente" and the operations on the selected nodes (new folder,
// show and hide, move, delete, centre). It counts the elements handed to it
// since the tree was last loaded or saved, and owns the layer that paints the
// tree over the map.
class TZeichnenAuswahlFrame : public QFrame {
    Q_OBJECT
public:
    explicit TZeichnenAuswahlFrame(QWidget* parent = nullptr);
    ~TZeichnenAuswahlFrame() override;

    TDrawTreeView* tvObjects() const { return m_tree; }
    QTreeWidgetItem* root() const;
    UserDrawLayer& layer() const { return *m_layer; }

    // Elements handed over since creation, the last load or the last save.
    int changeCount() const { return m_changeCount; }
    void setChangeCount(int count) { m_changeCount = count; }
    void countNewElement() { ++m_changeCount; }

    // The node new folders and elements are placed relative to: the current
    // node when it is selected, else the first selected node, else the root.
    QTreeWidgetItem* insertionNode() const;

    // --- operations of the buttons ---
    // "Neuer &Ordner": a folder "Ordner" relative to the insertion node, then selected.
    QTreeWidgetItem* newFolder();
    // A click on "Gewählte(s) Element(e) anzeigen" that left the box in its state.
    void showHideClicked();
    void moveUp();
    void moveDown();
    // Asks first; with the root selected the whole content goes and the
    // remembered overlay path is cleared.
    void deleteSelected();
    // Centres the map on the first vertex of the first selected element that
    // has one, after the map sequence agreed to show that place.
    void centreSelected();
    // The place centreSelected() would go to; false when no selected element has a vertex.
    bool centrePosition(Coord& position) const;

    // Recomputes the show/hide box and the centre button from the selection.
    void selectionChanged();

    QPushButton* pshNewFolder = nullptr;
    QPushButton* pshUp = nullptr;
    QPushButton* pshDown = nullptr;
    QPushButton* pshDelete = nullptr;
    QPushButton* pshCenter = nullptr;
    TTriStateCheckBox* chkShow = nullptr;

signals:
    // The map must be painted again (an element was shown, hidden, moved or deleted).
    void mapChanged();

private:
    void repaintMap();
    // Nodes in selection order; the root counts like any node.
    QList<QTreeWidgetItem*> selectedNodes() const;
    void reselect(const QList<QTreeWidgetItem*>& nodes);

    TDrawTreeView* m_tree = nullptr;
    std::unique_ptr<UserDrawLayer> m_layer;
    int m_changeCount = 0;
};
