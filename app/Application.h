#pragma once

#include <QApplication>

// The application object of the toolkit, with the general exception handler:
// an exception that leaves an event handler is shown as a message box
// instead of ending the program.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
