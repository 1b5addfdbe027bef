#pragma once

#include <QString>

class QTextBrowser;

namespace Modul::Help {

// The help page: the program path with its extension replaced by ".html"
// ("vistrel" gives "vistrel.html").
QString helpFileName(const QString& programPath);
// The page the help command shows: the installed one (share/vistrel beside
// the program's bin directory) when there is one, else helpFileName().
QString helpFile(const QString& programPath);

// Opens the help page in the desktop's viewer without waiting; where no
// viewer can be started, shows it in a help window of the program's own. A
// help page that is missing is reported ("Konnte Hilfe nicht öffnen").
void openHelp();
// The same for a given help page.
void openHelpFile(const QString& file);

// The program's own help window, none before it was needed (or after the
// user closed it).
QTextBrowser* helpWindow();

} // namespace Modul::Help
