#pragma once

#include "GpsProtocol.h"

#include <cstdint>
#include <string_view>

// Sentence parsing into a position record. The same rules serve the port and
// the playback; the sentence filter flags apply to both.
namespace NmeaParser {

// Parses `line` into `target`; true when accepted. A rejected line leaves the
// target unchanged.
bool parseSentence(std::string_view line, std::int32_t filterFlags, GpsProtocol::PositionRecord& target);

// "hhmmss[.sss]" to milliseconds since midnight; fewer than six characters
// give 0. Each character counts with its low four bits, as receivers have
// always been read here.
std::int32_t timeOfField(std::string_view field);

// A sentence that carries a checksum ("*hh" at its end) must match it; a
// sentence without one passes. A "*" not followed by exactly two hex digits
// counts as a damaged checksum.
bool checksumOk(std::string_view line);

// The C library's atoi/atof on a field that need not be zero-terminated:
// leading blanks, a sign, the leading number; nothing gives 0. Out-of-range
// values are clamped instead of overflowing.
std::int32_t fieldInt(std::string_view field);
double fieldDouble(std::string_view field);

} // namespace NmeaParser
