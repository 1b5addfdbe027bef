#include "UserDrawFunction.h"

UserDrawFunction::UserDrawFunction() {
    LoadCursorByName(QStringLiteral("MODUL_ZEICHNEN"));
}

void UserDrawFunction::Enter(MapFunction* previous) {
    if (!m_entering && showPage && !(pageShown && pageShown())) {
        m_entering = true;
        showPage();
        m_entering = false;
    }
    MapFunction::Enter(previous);
}
