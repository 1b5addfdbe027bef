#pragma once

#include <cstddef>
#include <cstdint>

// The position record of the whole system. It crosses between the viewer and
// the map library by pointer, so its layout is fixed byte for byte.
//
// Two code spaces share `type`: the map library's small codes (1 Gauss-Krüger
// on DHDN with x = northing and y = easting, 2 geographic DHDN, 3 geographic
// WGS84, 4 UTM, 0x8000 display pixel of a map, 0xC000/0xC001 map window
// points, 0xDFF6 drawing surface points) and the coordinate library's 32-bit
// registry codes (x = easting or longitude, y = northing or latitude).
// For the library's pixel types `zone` carries the 32-bit id of the map,
// window or drawing surface, never a pointer.
struct Coord {
    uint32_t type = 0;       // coordinate-system code or map library type code
    uint32_t zone = 0;       // zone or strip, 0 = choose automatically; or a handle id
    double x = 0.0;          // easting or longitude in degrees (library codes: first value)
    double y = 0.0;          // northing or latitude in degrees (library codes: second value)
    double z = 0.0;          // height in metres
    double separation = 0.0; // geoid separation in metres, added to z for height kind 1
};

static_assert(sizeof(Coord) == 40, "Coord is exchanged by pointer and must stay 40 bytes");
static_assert(offsetof(Coord, type) == 0);
static_assert(offsetof(Coord, zone) == 4);
static_assert(offsetof(Coord, x) == 8);
static_assert(offsetof(Coord, y) == 16);
static_assert(offsetof(Coord, z) == 24);
static_assert(offsetof(Coord, separation) == 32);
