#pragma once

#include "ModularAction.h"

// The menu entry behind which the user chooses the systems of the
// coordinate display: shows "Koordinatenwahl" modally.
class CoordSelectDlgAction : public TModularAction {
    Q_OBJECT
public:
    // `owner`: the parent of the dialog.
    CoordSelectDlgAction(QWidget* owner, QObject* parent = nullptr);
    void execute() override;

private:
    QWidget* m_owner;
};
