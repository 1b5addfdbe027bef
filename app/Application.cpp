#include "Application.h"

#include "ModulBasis.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("vistrel"));
    setApplicationDisplayName(QStringLiteral("vistrel"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Modul::showException(error);
    }
    return false;
}
