#pragma once

#include <string>

// The settings file of the GPS link in the plain "[section] key=value" form
// that both the link program and its clients read. Section and key names
// match case-insensitively; values are taken verbatim (surrounding blanks
// removed), so "COM1:4800,n,8,1" stays one string.
namespace ProfileFile {

std::string read(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& fallback = std::string());

// Replaces or adds the key. The file is rewritten through a temporary file
// and a rename, so an interrupted write never loses the other settings.
bool write(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

} // namespace ProfileFile
