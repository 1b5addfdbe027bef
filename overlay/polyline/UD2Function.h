#pragma once

#include "MapEvents.h"

#include <QMenu>
#include <QPointer>

class QAction;
class QWidget;

namespace UD2Element {
class LineArea;
}

namespace UD2Function {

// Edits a line or area on the map with the mouse: a click appends a point, a
// press on a vertex drags it, a right click offers to delete. After every
// change the map is repainted and changed() is called.
class EditElement : public MapFunction {
public:
    enum Mode { None = 0, Free = 1, Vertex = 2 };

    explicit EditElement(UD2Element::LineArea* element = nullptr);
    ~EditElement() override;

    // Not owned.
    void setElement(UD2Element::LineArea* element) { m_element = element; }
    UD2Element::LineArea* element() const { return m_element; }

    void MouseMove(MapEventInfo& info) override;
    void ButtonDown(MapEventInfo& info) override;
    void ButtonUp(MapEventInfo& info) override;
    void Context(MapEventInfo& info) override;
    void Paint(MapEventInfo& info) override;

    // Called after every change of the element.
    virtual void changed() {}

    // 0 no editable element, 2 on a vertex (index set), else 1.
    int hitClass(const MapEventInfo& info, int* index = nullptr) const;
    // The mode and vertex of the press in progress.
    int mode() const { return m_mode; }
    int vertex() const { return m_vertex; }
    // The cursor class last shown on the map window (0 "no", 1 normal, 2 drag).
    int cursorClass() const { return m_cursorClass; }

    // The popup's items.
    void removePoint(int index);
    void removeAll();

protected:
    // The cursor of the function itself, shown for cursor class 1.
    virtual QCursor normalCursor() const;

private:
    void showCursor(int cursorClass);
    void afterChange();

    UD2Element::LineArea* m_element = nullptr;
    int m_mode = None;
    int m_vertex = -1;
    int m_pressX = 0;
    int m_pressY = 0;
    int m_cursorClass = 1;
};

} // namespace UD2Function

// The popup of a right click on the edited line: "&Punkt löschen" (only when
// a vertex was hit; it keeps that vertex's index) and "&Alles löschen". One
// instance, created on first use.
class TUD2_DeletePopup : public QMenu {
    Q_OBJECT
public:
    static TUD2_DeletePopup& instance();
    // Sets the function and the vertex (-1: none) the items act for.
    void prepare(UD2Function::EditElement* function, int vertex);

    QAction* RemovePoint = nullptr;
    QAction* RemoveAll = nullptr;
    UD2Function::EditElement* function() const { return m_function; }
    int vertex() const { return m_vertex; }

private:
    TUD2_DeletePopup();
    UD2Function::EditElement* m_function = nullptr;
    int m_vertex = -1;
};
