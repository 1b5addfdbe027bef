// Bytes from a receiver: line assembly, the sentence rules, and the settings
// string reader, which sees the same kind of untrusted text.
#include "LineAssembler.h"
#include "NmeaParser.h"
#include "PortSettings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// Whatever a receiver sends, an accepted sentence leaves a place on the earth.
void checkPlace(const GpsProtocol::PositionRecord& r) {
    const auto within = [](std::int32_t degrees, float minutes, double limit) {
        const double m = std::fabs(double(minutes));
        return m < 60 && std::fabs(double(degrees)) + m / 60 <= limit;
    };
    if (!within(r.latDegrees, r.latMinutes, 90) || !within(r.lonDegrees, r.lonMinutes, 180))
        std::abort();
}

} // namespace

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
        if (NmeaParser::parseSentence(line, flags, record))
            checkPlace(record);
        if (NmeaParser::parseSentence(line, 3, record))
            checkPlace(record);
        if (const auto setting = SettingsString::parse(line)) {
            const auto again = SettingsString::parse(SettingsString::format(setting->port, setting->settings));
            // Only one-digit port numbers survive writing; others are refused when opened.
            if (setting->port >= 1 && setting->port <= 9 && (!again || !(again->settings == setting->settings)))
                std::abort();
        }
    });
    return 0;
}
