#pragma once

#include <string>
#include <vector>

// What the HDB subcommands share: the code word and the report of a file
// that does not open.
namespace HdbArgs {

// The code word the medium's databases are scrambled with; the default of
// every HDB subcommand. `--codeword ''` reads and writes plain files.
const char* standardCodeWord();

// The help line of the --codeword option.
std::string codewordHelp();

// Reports on stderr why `path` did not open as an HDB file: missing or
// unreadable, else damaged or scrambled with another code word.
void reportUnreadable(const std::string& command, const std::string& path, const std::string& codeword);

} // namespace HdbArgs
