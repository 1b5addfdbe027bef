#pragma once

class QCoreApplication;

// Qt's own dialogs (file, print, colour, the buttons of message boxes) speak
// English until Qt's translations are loaded. Every program of the system has a
// German user interface, so each one calls this right after creating its
// application object. Returns false when the translation files are not
// installed; the program then still runs, with Qt's texts in English.
namespace QtGerman {

bool install(QCoreApplication& app);

} // namespace QtGerman
