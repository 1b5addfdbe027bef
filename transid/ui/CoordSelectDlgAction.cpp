#include "CoordSelectDlgAction.h"

#include "ShowCoord.h"
#include "TCoordSelectDialog.h"

CoordSelectDlgAction::CoordSelectDlgAction(QWidget* owner, QObject* parent) : TModularAction(parent), m_owner(owner) {}

void CoordSelectDlgAction::execute() {
    Modul::ShowCoord* module = Modul::ShowCoord::instance();
    if (module == nullptr)
        return;
    TCoordSelectDialog dialog(module->settings(), m_owner);
    dialog.exec();
}
