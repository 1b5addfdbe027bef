#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What a port is configured with; the numbering is that of the serial
// device control block the settings file and the clients use.
struct PortSettings {
    std::uint32_t baudRate = 4800;
    std::uint8_t dataBits = 8; // 5 to 8
    std::uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two

    bool operator==(const PortSettings&) const = default;
};

namespace PortTables {

struct BaudRate {
    const char* text;
    std::uint32_t value;
};
inline constexpr std::array<BaudRate, 12> BaudRates{{{"110", 110},
                                                     {"300", 300},
                                                     {"600", 600},
                                                     {"1200", 1200},
                                                     {"2400", 2400},
                                                     {"4800", 4800},
                                                     {"9600", 9600},
                                                     {"14400", 14400},
                                                     {"19200", 19200},
                                                     {"28800", 28800},
                                                     {"38400", 38400},
                                                     {"57600", 57600}}};

struct Choice {
    const char* text;
    int value;
};
// Dialog order of the parity choices.
inline constexpr std::array<Choice, 5> Parities{
    {{"keine", 0}, {"gerade", 2}, {"ungerade", 1}, {"Markierung", 3}, {"Leerzeichen", 4}}};
// Parity letters of the settings string, indexed by parity value.
inline constexpr std::array<char, 5> ParityLetters{'n', 'o', 'e', 'm', 's'};
inline constexpr std::array<const char*, 3> StopBitTexts{"1", "1.5", "2"};
inline constexpr std::array<Choice, 3> SentenceChoices{{{"alle Daten", 3}, {"nur GPGGA", 1}, {"nur GPRMC", 2}}};
// Playback speed by menu command 111..114.
inline constexpr std::array<int, 4> SpeedFactors{1, 2, 4, 8};

} // namespace PortTables

struct PortSetting {
    int port = 0; // 1 to 9
    PortSettings settings;
};

namespace SettingsString {

// "COMn:baud,p,bits,stop", e.g. COM1:4800,n,8,1. Nothing for an invalid
// string; an empty string is valid and means "no port" (port 0).
std::optional<PortSetting> parse(const std::string& text);
// The same form for an open port; the empty string for port 0.
std::string format(int port, const PortSettings& settings);

} // namespace SettingsString
