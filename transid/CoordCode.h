#pragma once

#include <cstdint>

// The 32-bit coordinate-system code of the registry:
//   bits 0..3   height kind: 0 ellipsoidal height, 1 height above the geoid
//               (the record's separation turns it into an ellipsoidal height)
//   bits 4..11  projection; 0 = geographic, or geocentric when the ellipsoid is 0 too
//   bits 12..19 ellipsoid
//   bits 20..27 datum
namespace Transid::Code {

constexpr uint32_t HeightKindMask = 0x0000000F;
constexpr uint32_t ProjectionMask = 0x00000FF0;
constexpr uint32_t EllipsoidMask = 0x000FF000;
constexpr uint32_t DatumMask = 0x0FF00000;
constexpr uint32_t UnusedMask = 0xF0000000;

constexpr uint32_t heightKind(uint32_t code) {
    return code & HeightKindMask;
}
constexpr uint32_t projection(uint32_t code) {
    return code & ProjectionMask;
}
constexpr uint32_t ellipsoid(uint32_t code) {
    return code & EllipsoidMask;
}
constexpr uint32_t datum(uint32_t code) {
    return (code & DatumMask) >> 20;
}
constexpr uint32_t withDatum(uint32_t datumNumber) {
    return (datumNumber << 20) & DatumMask;
}

// Ellipsoid keys.
constexpr uint32_t Bessel1841 = 0x1000;
constexpr uint32_t GRS80 = 0x2000;
constexpr uint32_t International1924 = 0x3000;
constexpr uint32_t Krassowsky1940 = 0x4000;
constexpr uint32_t Clarke1880IGN = 0x5000;

// Projection keys.
constexpr uint32_t GaussKrueger = 0x10;
constexpr uint32_t UTM = 0x20;
constexpr uint32_t GaussLux = 0x30;
constexpr uint32_t LambertFR = 0x40;
constexpr uint32_t Schweiz = 0x50;
constexpr uint32_t LambertBE = 0x60;

// Datum numbers (bits 20..27). 3 and 4 are reached only from DHDN and have no name.
constexpr uint32_t ETRS89 = 0; // also serves WGS84
constexpr uint32_t ED50 = 1;
constexpr uint32_t DHDN = 2;
constexpr uint32_t BD72 = 5;
constexpr uint32_t CH1903 = 6;

// The systems the viewer offers.
constexpr uint32_t DhdnGaussKrueger = 0x201010;
constexpr uint32_t DhdnGeographic = 0x201000;
constexpr uint32_t Ed50Utm = 0x103020;
constexpr uint32_t Ed50Geographic = 0x103000;
constexpr uint32_t Etrs89Utm = 0x002020;
constexpr uint32_t Etrs89Geographic = 0x002000; // GPS and GPX positions in WGS84

// Display name of one of the six systems above, or null for any other code.
// The height kind is not part of the name.
const char* displayName(uint32_t code);

// Name of a datum number, or null for the unnamed datums.
const char* datumName(uint32_t datumNumber);

} // namespace Transid::Code
