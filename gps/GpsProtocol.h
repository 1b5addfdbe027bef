#pragma once

// The contract between the GPS link program and its clients: the shared
// position block, the request codes and the records that travel with them.
// Everything here is little-endian with fixed offsets, because the block is
// read by other processes byte for byte.

#include <cstddef>
#include <cstdint>

namespace GpsProtocol {

constexpr std::uint32_t WM_USER = 1024;

// Request codes (message numbers counted from WM_USER).
constexpr std::uint32_t NMEA_REGISTER = 1025;
constexpr std::uint32_t NMEA_UNREGISTER = 1026;
constexpr std::uint32_t NMEA_SET_PORT = 1027;
constexpr std::uint32_t NMEA_QUERY_PORT = 1028;
constexpr std::uint32_t NMEA_SET_RECORD_FILE = 1029;
constexpr std::uint32_t NMEA_SET_PLAY_FILE = 1030;
constexpr std::uint32_t NMEA_SET_PLAY_SPEED = 1031;
constexpr std::uint32_t NMEA_QUERY_STATE = 1032;

// Sentence filter flags.
constexpr std::int32_t NMEA_FLAG_GGA = 1;
constexpr std::int32_t NMEA_FLAG_RMC = 2;
constexpr std::int32_t NMEA_FLAGS_DEFAULT = NMEA_FLAG_GGA | NMEA_FLAG_RMC;

// Event mask bit of a registration: a new position is there.
constexpr std::uint32_t NMEA_EVENT_POSITION = 1;

// The ten position words at the start of the block, as the server writes
// them for every accepted sentence.
struct PositionRecord {
    std::int32_t latDegrees = 0; // negative in the southern hemisphere
    float latMinutes = 0;        // same sign as the degrees
    std::int32_t lonDegrees = 0; // negative west of Greenwich
    float lonMinutes = 0;        // same sign as the degrees
    std::int32_t quality = 0;    // GGA quality indicator; 2 or 0 after RMC
    std::int32_t satellites = 0;
    float hdop = 0;
    float altitude = 0;       // metres
    std::int32_t diffAge = 0; // seconds
    std::int32_t timeMs = 0;  // milliseconds since midnight UTC
};
static_assert(sizeof(PositionRecord) == 40);

// The 4096-byte shared block. Offsets 0..71 are the published layout; the
// sequence word at 72 lies in the part that was unused and lets readers take
// a consistent copy of the position words: the server makes it odd before it
// rewrites them and even again afterwards.
struct SharedPositionBlock {
    PositionRecord position;    // 0
    std::int32_t clientCount;   // 40, kept by the clients
    std::int32_t filterFlags;   // 44, on NMEA_QUERY_PORT
    std::int32_t portNumber;    // 48
    std::uint32_t baudRate;     // 52
    std::uint8_t dataBits;      // 56
    std::uint8_t parity;        // 57
    std::uint8_t stopBits;      // 58
    std::uint8_t unused59;      // 59
    std::int32_t recording;     // 60, on NMEA_QUERY_STATE
    std::int32_t playing;       // 64
    std::int32_t speedExponent; // 68
    std::uint32_t sequence;     // 72, odd while the position words change
    std::uint8_t unused[4096 - 76];
};
static_assert(sizeof(SharedPositionBlock) == 4096);
static_assert(offsetof(SharedPositionBlock, clientCount) == 40);
static_assert(offsetof(SharedPositionBlock, filterFlags) == 44);
static_assert(offsetof(SharedPositionBlock, portNumber) == 48);
static_assert(offsetof(SharedPositionBlock, baudRate) == 52);
static_assert(offsetof(SharedPositionBlock, dataBits) == 56);
static_assert(offsetof(SharedPositionBlock, stopBits) == 58);
static_assert(offsetof(SharedPositionBlock, recording) == 60);
static_assert(offsetof(SharedPositionBlock, speedExponent) == 68);
static_assert(offsetof(SharedPositionBlock, sequence) == 72);

constexpr const char* SharedBlockName = "/Tolm_NMEA";
constexpr std::size_t SharedBlockSize = 4096;

// What a client supplies with NMEA_REGISTER (16 bytes).
struct ClientRegistration {
    std::uint32_t window = 0; // kept as given, returned with every notification
    std::uint32_t message = 0;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
};
static_assert(sizeof(ClientRegistration) == 16);

// Payload of NMEA_SET_PORT (16 bytes); the same layout as the client
// library's port configuration record.
struct PortRequest {
    std::int32_t flags = 0;
    std::int32_t port = 0; // 0 closes the port
    std::uint32_t baudRate = 0;
    std::uint8_t dataBits = 0;
    std::uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t stopBits = 0; // 0 one, 1 one and a half, 2 two
    std::uint8_t unused = 0;
};
static_assert(sizeof(PortRequest) == 16);

} // namespace GpsProtocol
