#pragma once

#include <QWidget>

class LineAreaFunction;
class QPushButton;

// The small tool window of line and area drawing: always on top, with the
// buttons that edit the polyline under construction.
class TLineAreaForm : public QWidget {
    Q_OBJECT
public:
    TLineAreaForm(LineAreaFunction& function, QWidget* parent);

    LineAreaFunction& function() const { return m_function; }

    QPushButton* pshDeleteLast = nullptr;
    QPushButton* pshCloseArea = nullptr;
    QPushButton* pshDeleteAll = nullptr;

    // "&Fläche schließen" while more than two points are open; the other two
    // while there is a point.
    void updateButtons();

    // Moves the window so that it stands centred over the control, its lower
    // edge on the control's upper edge.
    void placeOver(const QWidget& control);

private:
    void pshDeleteLastClick();
    void pshCloseAreaClick();
    void pshDeleteAllClick();

    LineAreaFunction& m_function;
};
