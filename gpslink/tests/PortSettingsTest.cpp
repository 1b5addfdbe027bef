#include "PortSettings.h"

#include <gtest/gtest.h>

TEST(SettingsString, ParsesValidStrings) {
    const auto even = SettingsString::parse("COM2:9600,e,8,1");
    ASSERT_TRUE(even);
    EXPECT_EQ(even->port, 2);
    EXPECT_EQ(even->settings, (PortSettings{9600, 8, 2, 0}));
    const auto odd = SettingsString::parse("COM9:57600,o,7,1.5");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->port, 9);
    EXPECT_EQ(odd->settings, (PortSettings{57600, 7, 1, 1}));
    const auto empty = SettingsString::parse("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->port, 0);
}

TEST(SettingsString, RefusesEveryMismatch) {
    for (const char* text :
         {"COM2", "COM2;9600,e,8,1", "COM2:9601,e,8,1", "COM2:9600,x,8,1", "COM2:9600,e,9,1", "COM2:9600,e,4,1",
          "COM2:9600,e,8,3", "COM2:9600,e,8,1 ", "COM2:9600,e,8", "COM2:9600", "COM2:115200,n,8,1", "COM2:9600,e8,1"})
        EXPECT_FALSE(SettingsString::parse(text)) << text;
}

// An open port with odd parity is written back with the letter o; every
// string written reads back to the same settings.
TEST(SettingsString, FormatsAndRoundTrips) {
    EXPECT_EQ(SettingsString::format(3, PortSettings{4800, 8, 1, 0}), "COM3:4800,o,8,1");
    EXPECT_EQ(SettingsString::format(0, PortSettings{}), "");
    for (const auto& rate : PortTables::BaudRates)
        for (std::uint8_t parity = 0; parity < 5; ++parity)
            for (std::uint8_t stop = 0; stop < 3; ++stop) {
                const PortSettings s{rate.value, 6, parity, stop};
                const auto back = SettingsString::parse(SettingsString::format(5, s));
                ASSERT_TRUE(back);
                EXPECT_EQ(back->settings, s);
                EXPECT_EQ(back->port, 5);
            }
}
