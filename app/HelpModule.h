#pragma once

#include <QString>

namespace Modul::Help {

// The help page: the program path with its extension replaced by ".html"
// ("vistrel" gives "vistrel.html").
QString helpFileName(const QString& programPath);

// Opens the help page in the desktop's viewer without waiting; when that
// fails, says so ("Konnte Hilfe nicht öffnen").
void openHelp();

} // namespace Modul::Help
