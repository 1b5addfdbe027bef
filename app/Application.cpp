#include "Application.h"

#include "ModulBasis.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application title "vistrel" until start-up sets the product title;
    // kept apart from the toolkit's display name, which would be appended to
    // every window caption.
    setApplicationName(QStringLiteral("vistrel"));
    Modul::setApplicationTitle(QStringLiteral("vistrel"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Modul::showException(error);
    }
    return false;
}
