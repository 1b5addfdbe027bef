#pragma once

#include "MapEvents.h"

#include <QPointer>

class StdDrawObject;
class StdDrawObjectTarget;
class TLineAreaForm;
class QWidget;

// Draws a line or an area point by point: each left or middle click on the
// map appends a vertex, backspace takes the last one back (a closed area is
// first opened again), 0 starts afresh. The tool window lives as long as the
// function and is shown while it is active.
class LineAreaFunction : public MapFunction {
public:
    // The tool window is a child window of toolParent (the main window).
    LineAreaFunction(StdDrawObjectTarget& target, QWidget* toolParent);
    ~LineAreaFunction() override;

    void ButtonDown(MapEventInfo& info) override;
    void Key(MapEventInfo& info) override;
    void Paint(MapEventInfo& info) override;
    void Enter(MapFunction* previous) override;
    bool Leave(MapFunction* next) override;

    // The operations of the tool window's buttons; each is followed by a
    // button update and a repaint. CloseArea beeps for fewer than 3 points.
    void DeleteLast();
    void CloseArea();
    void DeleteAll();

    StdDrawObject& Geometry() const;
    StdDrawObjectTarget& Target() const { return m_target; }
    TLineAreaForm* Form() const { return m_form.data(); }

private:
    void changed();

    StdDrawObjectTarget& m_target;
    // A child window of the main window: the window may go first when the
    // program ends, so the function holds it by a guarded pointer.
    QPointer<TLineAreaForm> m_form;
};
