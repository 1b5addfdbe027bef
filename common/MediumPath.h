#pragma once

#include <QString>

#include <string>

// Data media come from a case-insensitive world: a map sheet list may say
// "karten/Blatt1.tlm" where the medium holds "KARTEN/BLATT1.TLM". Every lookup
// of a file on a medium goes through here.
namespace MediumPath {

// Resolves `relative` (components separated by '/') below `root`, matching
// each component case-insensitively inside its directory. An exact match wins
// over a case-folded one. Returns the path as it exists on disk, or an empty
// string when some component is missing. An absolute `relative` is resolved
// from the file system root and `root` is ignored.
QString resolve(const QString& root, const QString& relative);

// The same for a full path: every component after the first existing prefix
// is matched case-insensitively.
QString resolve(const QString& path);

// UTF-8 variants for the cores that work on std::string paths.
std::string resolve(const std::string& root, const std::string& relative);
std::string resolve(const std::string& path);

} // namespace MediumPath
