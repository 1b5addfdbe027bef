#include "Coord.h"

#include <gtest/gtest.h>

#include <cstring>

// The map library and the viewer exchange Coord by pointer: check the bytes,
// not only the static_asserts, so a packing pragma slipping in shows up.
TEST(Coord, FieldsSitAtTheirByteOffsets) {
    Coord c;
    c.type = 0x01020304u;
    c.zone = 0xA0B0C0D0u;
    c.x = 1.5;
    c.y = -2.25;
    c.z = 100.0;
    c.separation = 47.5;
    unsigned char raw[40];
    std::memcpy(raw, &c, sizeof raw);
    uint32_t type, zone;
    double x, y, z, s;
    std::memcpy(&type, raw + 0, 4);
    std::memcpy(&zone, raw + 4, 4);
    std::memcpy(&x, raw + 8, 8);
    std::memcpy(&y, raw + 16, 8);
    std::memcpy(&z, raw + 24, 8);
    std::memcpy(&s, raw + 32, 8);
    EXPECT_EQ(type, 0x01020304u);
    EXPECT_EQ(zone, 0xA0B0C0D0u);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, -2.25);
    EXPECT_EQ(z, 100.0);
    EXPECT_EQ(s, 47.5);
    EXPECT_EQ(Coord{}.type, 0u);
    EXPECT_EQ(Coord{}.separation, 0.0);
}
