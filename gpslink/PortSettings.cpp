#include "PortSettings.h"

#include <cstdio>

namespace SettingsString {

std::optional<PortSetting> parse(const std::string& text) {
    PortSetting result;
    if (text.empty())
        return result;
    if (text.size() <= 4 || text[4] != ':')
        return std::nullopt;
    // One digit: the low four bits of the fourth character.
    result.port = static_cast<unsigned char>(text[3]) & 15;
    std::size_t pos = 5;
    const std::size_t comma = text.find(',', pos);
    if (comma == std::string::npos)
        return std::nullopt;
    const std::string baud = text.substr(pos, comma - pos);
    bool found = false;
    for (const auto& rate : PortTables::BaudRates) {
        if (baud == rate.text) {
            result.settings.baudRate = rate.value;
            found = true;
        }
    }
    if (!found)
        return std::nullopt;
    pos = comma + 1;
    if (pos + 4 > text.size())
        return std::nullopt;
    found = false;
    for (std::size_t p = 0; p < PortTables::ParityLetters.size(); ++p) {
        if (text[pos] == PortTables::ParityLetters[p]) {
            result.settings.parity = std::uint8_t(p);
            found = true;
        }
    }
    if (!found || text[pos + 1] != ',' || text[pos + 2] < '5' || text[pos + 2] > '8' || text[pos + 3] != ',')
        return std::nullopt;
    result.settings.dataBits = std::uint8_t(text[pos + 2] - '0');
    const std::string stop = text.substr(pos + 4);
    found = false;
    for (std::size_t s = 0; s < PortTables::StopBitTexts.size(); ++s) {
        if (stop == PortTables::StopBitTexts[s]) {
            result.settings.stopBits = std::uint8_t(s);
            found = true;
        }
    }
    if (!found)
        return std::nullopt;
    return result;
}

std::string format(int port, const PortSettings& settings) {
    if (port == 0)
        return std::string();
    const char letter =
        settings.parity < PortTables::ParityLetters.size() ? PortTables::ParityLetters[settings.parity] : 'n';
    const char* stop =
        settings.stopBits < PortTables::StopBitTexts.size() ? PortTables::StopBitTexts[settings.stopBits] : "1";
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "COM%d:%u,%c,%d,%s", port, settings.baudRate, letter, int(settings.dataBits),
                  stop);
    return buffer;
}

} // namespace SettingsString
