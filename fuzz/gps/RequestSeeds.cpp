// Writes the request seeds: every request code with well-formed and short
// payloads, a registration split over two frames, a stream cut mid-frame.
#include "GpsProtocol.h"
#include "LinkWire.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace GpsProtocol;

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    int n = 0;
    auto write = [&](std::uint8_t piece, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(dir + "/seed" + std::to_string(n++), std::ios::binary);
        out.put(char(piece));
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    };
    const std::vector<std::uint8_t> reg(16, 1);
    std::vector<std::uint8_t> name{'/', 't', 'm', 'p', '/', 'a', '.', 'n', 'm', 'e', 0};
    std::vector<std::uint8_t> all;
    for (const LinkWire::Request& r : {LinkWire::Request{LinkWire::KindData, NMEA_REGISTER, 1, 0, reg},
                                       LinkWire::Request{LinkWire::KindData, NMEA_REGISTER, 1, 0, {1, 2, 3}},
                                       LinkWire::Request{LinkWire::KindData, NMEA_SET_PORT, 0, 0, reg},
                                       LinkWire::Request{LinkWire::KindData, NMEA_SET_RECORD_FILE, 0, 0, name},
                                       LinkWire::Request{LinkWire::KindData, NMEA_SET_PLAY_FILE, 0, 0, {}},
                                       LinkWire::Request{LinkWire::KindPlain, NMEA_UNREGISTER, 0, 5, {}},
                                       LinkWire::Request{LinkWire::KindPlain, NMEA_QUERY_PORT, 0, 0, {}},
                                       LinkWire::Request{LinkWire::KindPlain, NMEA_SET_PLAY_SPEED, 3, 0, {}},
                                       LinkWire::Request{LinkWire::KindPlain, NMEA_QUERY_STATE, 0, 0, {}}}) {
        const auto bytes = LinkWire::encodeRequest(r);
        write(0, bytes);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    write(5, all);
    write(31, std::vector<std::uint8_t>(all.begin(), all.begin() + 30));
    return 0;
}
