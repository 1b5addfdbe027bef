#pragma once

#include <QStringList>

#include <functional>

class QWidget;

// Files named on the command line (a file manager passes the file the user
// opened): each is handed to the module that registered its kind by file
// ending. A file without such a module, or one that does not exist, is
// reported to the user.
namespace FileArguments {

// True when the module opened the file; it reports its own failures.
using Opener = std::function<bool(const QString& path)>;

// Endings in lower case without the dot ("tlm").
void addOpener(const QStringList& suffixes, Opener opener);

// Opens the files in order; returns how many were opened.
int open(const QStringList& files, QWidget* parent);

} // namespace FileArguments
