#pragma once

#include <cstdint>
#include <string>

// Argument parsing shared by the subcommands.
namespace ToolArgs {

// A whole unsigned 32-bit number in `base` (no sign, no blanks, nothing after it).
bool parseUnsigned(const std::string& text, int base, uint32_t& value);

} // namespace ToolArgs
