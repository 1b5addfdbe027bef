#pragma once

#include <QFrame>

class QAction;
class QPushButton;
class QStackedLayout;
class TZeichnenAuswahlFrame;
class TZeichnenNeuBearbFrame;

// The content of the page "Zeichnen": either the element tree with its
// buttons or the property editor of a new element, never both.
class TZeichnenFrame : public QFrame {
    Q_OBJECT
public:
    explicit TZeichnenFrame(QWidget* parent = nullptr);

    TZeichnenAuswahlFrame* auswahlFrame() const { return m_auswahl; }
    TZeichnenNeuBearbFrame* neuBearbFrame() const { return m_neuBearb; }
    bool editorShown() const;

    // The action that showing the page executes (the idle drawing function's).
    QAction* action() const { return m_action; }
    void setAction(QAction* action) { m_action = action; }
    // The page was made current: the drawing function of an open editor,
    // else the page's action, becomes active.
    void pageShown();

    // "Neues &Zeichnungselement": the editor for a new element placed
    // relative to the tree's insertion node.
    void newElement();

    QPushButton* pshNewElement = nullptr;
    QPushButton* pshLoad = nullptr;
    QPushButton* pshSave = nullptr;

private:
    void showTree();

    TZeichnenAuswahlFrame* m_auswahl = nullptr;
    TZeichnenNeuBearbFrame* m_neuBearb = nullptr;
    QStackedLayout* m_stack = nullptr;
    QAction* m_action = nullptr;
};
