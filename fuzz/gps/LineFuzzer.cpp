// Bytes from a receiver: line assembly, the sentence rules, and the settings
// string reader, which sees the same kind of untrusted text.
#include "LineAssembler.h"
#include "NmeaParser.h"
#include "PortSettings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the filter flags, as a user could.
    const std::int32_t flags = data[0] & 3;
    LineAssembler assembler;
    GpsProtocol::PositionRecord record;
    assembler.feed(data + 1, size - 1, [&](const std::string& line) {
        if (line.size() > LineAssembler::MaxLine)
            std::abort();
        NmeaParser::parseSentence(line, flags, record);
        NmeaParser::parseSentence(line, 3, record);
        if (const auto setting = SettingsString::parse(line)) {
            const auto again = SettingsString::parse(SettingsString::format(setting->port, setting->settings));
            // Only one-digit port numbers survive writing; others are refused when opened.
            if (setting->port >= 1 && setting->port <= 9 && (!again || !(again->settings == setting->settings)))
                std::abort();
        }
    });
    return 0;
}
