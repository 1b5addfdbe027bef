#include "AppEventListener.h"

#include "ModulBasis.h"

AppEventListener::AppEventListener() {
    if (Modul::Basis* basis = Modul::Basis::instance())
        basis->addCloseListener(this);
}

AppEventListener::~AppEventListener() {
    // Listeners live as long as the program; one that goes early (a test, a
    // module torn down at exit) must not be asked afterwards.
    if (Modul::Basis* basis = Modul::Basis::instance())
        basis->forgetCloseListener(this);
}
