#pragma once

#include <cstdint>
#include <string>

// Argument parsing shared by the subcommands.
namespace ToolArgs {

// A whole unsigned 32-bit number in `base` (no sign, no blanks, nothing after it).
bool parseUnsigned(const std::string& text, int base, uint32_t& value);

// A whole decimal number, optionally signed, with nothing after it.
bool parseInteger(const std::string& text, long long& value);

// A finite real number with nothing after it.
bool parseReal(const std::string& text, double& value);

// Why `path` cannot be read as a file: "no such file", "is a directory",
// "cannot be read" (permissions); empty when it can. Tells a missing file
// from one that is there but does not open as what it should be.
std::string fileProblem(const std::string& path);

// Reports a bad option value on stderr ("tlm-render: --zoom abc: not a
// number") and returns 2, the exit code of wrong usage.
int badValue(const std::string& command, const std::string& option, const std::string& value, const std::string& why);

// Reports an option given without its value and returns 2.
int missingValue(const std::string& command, const std::string& option);

} // namespace ToolArgs
