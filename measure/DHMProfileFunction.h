#pragma once

#include "DhmPath.h"
#include "TDHMDialog.h"
#include "UD2Element.h"
#include "UD2Function.h"

#include <QPointer>

class QWidget;

// The elevation profile on the map: the user clicks a line (magenta, 3
// pixels), edits it like any drawn line, and the profile window follows
// every change.
class DHMProfileFunction : public UD2Function::EditElement {
public:
    explicit DHMProfileFunction(const Modul::DHM* model, QWidget* owner = nullptr);
    ~DHMProfileFunction() override;

    void Enter(MapFunction* previous) override;
    bool Leave(MapFunction* next) override;
    // The line changed: the profile is built again from its points.
    void changed() override;

    UD2Element::LineArea& line() { return m_line; }
    DHM_Path& path() { return m_path; }
    // None until the function was first entered.
    TDHMDialog* dialog() const { return m_dialog.data(); }
    // Centres the map on the line at that distance from its first point.
    bool jumpTo(double distance);

protected:
    QCursor normalCursor() const override;

private:
    UD2Element::LineArea m_line;
    DHM_Path m_path;
    QPointer<QWidget> m_owner;
    QPointer<TDHMDialog> m_dialog;
};
