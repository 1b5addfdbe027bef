#include "Playback.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using GpsProtocol::PositionRecord;

namespace {

std::FILE* fileWith(const std::string& text) {
    std::FILE* f = std::tmpfile();
    std::fputs(text.c_str(), f);
    std::rewind(f);
    return f;
}

std::string gga(int hh, int mm, int ss, int quality = 1, int lat = 4807) {
    char line[128];
    std::snprintf(line, sizeof(line), "$GPGGA,%02d%02d%02d,%d.038,N,01131.000,E,%d,08,0.9,545.4,M,46.9,M,,\r\n", hh, mm,
                  ss, lat, quality);
    return line;
}

std::int32_t ms(int hh, int mm, int ss) {
    return ((hh * 60 + mm) * 60 + ss) * 1000;
}

} // namespace

TEST(Playback, FilesWithoutOrWithOneRecord) {
    Playback playback;
    PositionRecord r;
    bool notify = true;
    EXPECT_EQ(playback.start(fileWith("\r\n$GPGSV,1,2\r\nrubbish\r\n"), 3, 0, r, notify), Playback::Start::NoData);
    EXPECT_FALSE(playback.running());
    EXPECT_FALSE(notify);
    // Flags 0 accept nothing, so every file is without data.
    EXPECT_EQ(playback.start(fileWith(gga(12, 0, 0)), 0, 0, r, notify), Playback::Start::NoData);
    // One valid sentence is delivered at once and playback ends without error.
    EXPECT_EQ(playback.start(fileWith("junk\r\n" + gga(12, 0, 0)), 3, 0, r, notify), Playback::Start::Finished);
    EXPECT_TRUE(notify);
    EXPECT_EQ(r.timeMs, ms(12, 0, 0));
    EXPECT_FALSE(playback.running());
    // A first record without a fix is stored but not announced.
    EXPECT_EQ(playback.start(fileWith(gga(12, 0, 0, 0) + gga(12, 0, 1)), 3, 0, r, notify), Playback::Start::Playing);
    EXPECT_FALSE(notify);
    EXPECT_EQ(r.quality, 0);
}

// Records come at the pace of their time stamps; a record without a fix is
// read but never delivered; the end of the file ends playback.
TEST(Playback, DeliversAtPaceAndSkipsRecordsWithoutFix) {
    Playback playback;
    PositionRecord r;
    bool notify = false;
    const std::string file = gga(12, 0, 0) + gga(12, 0, 1) + gga(12, 0, 2, 0) + gga(12, 0, 3);
    ASSERT_EQ(playback.start(fileWith(file), 3, 10000, r, notify), Playback::Start::Playing);
    EXPECT_FALSE(playback.tick(10999, 3, r));
    EXPECT_TRUE(playback.tick(11001, 3, r));
    EXPECT_EQ(r.timeMs, ms(12, 0, 1));
    EXPECT_FALSE(playback.tick(12001, 3, r)) << "the record without a fix is not delivered";
    EXPECT_EQ(r.timeMs, ms(12, 0, 1));
    EXPECT_TRUE(playback.running());
    EXPECT_TRUE(playback.tick(13001, 3, r));
    EXPECT_EQ(r.timeMs, ms(12, 0, 3));
    EXPECT_FALSE(playback.running());
}

// Past midnight the times are small again: everything later is due at once,
// and only the last valid record of the rest is delivered.
TEST(Playback, MidnightReleasesTheRestAtOnce) {
    Playback playback;
    PositionRecord r;
    bool notify = false;
    const std::string file = gga(23, 59, 58) + gga(23, 59, 59) + gga(0, 0, 0) + gga(0, 0, 1) + gga(0, 0, 2, 1, 4900);
    ASSERT_EQ(playback.start(fileWith(file), 3, 500, r, notify), Playback::Start::Playing);
    EXPECT_FALSE(playback.tick(1000, 3, r));
    // The tick that finds the last record before midnight due finds all
    // later ones due as well.
    EXPECT_TRUE(playback.tick(1501, 3, r));
    EXPECT_EQ(r.timeMs, ms(0, 0, 2));
    EXPECT_EQ(r.latDegrees, 49);
    EXPECT_FALSE(playback.running());
}

// Speed changes at awkward moments (long after a delivery, towards a faster
// and a slower pace) neither skip nor repeat a record: with ticks much finer
// than the records, every tick delivers at most the next record.
TEST(Playback, SpeedChangesNeitherSkipNorRepeat) {
    std::string file;
    for (int s = 0; s < 40; ++s)
        file += gga(10, 0, s);
    Playback playback;
    PositionRecord r;
    bool notify = false;
    std::int64_t now = 1000;
    ASSERT_EQ(playback.start(fileWith(file), 3, now, r, notify), Playback::Start::Playing);
    std::vector<std::int32_t> delivered{r.timeMs};
    const std::vector<std::pair<std::int64_t, int>> changes = {{1900, 8}, {2950, 2}, {5300, 4}, {6010, 1}, {8990, 8}};
    std::size_t next = 0;
    std::int64_t lastDelivery = now;
    std::int64_t longestGap = 0;
    while (playback.running() && now < 100000) {
        now += 5;
        if (next < changes.size() && now >= changes[next].first)
            playback.setSpeed(changes[next++].second, now);
        if (playback.tick(now, 3, r)) {
            delivered.push_back(r.timeMs);
            longestGap = std::max(longestGap, now - lastDelivery);
            lastDelivery = now;
        }
    }
    ASSERT_EQ(delivered.size(), 40u);
    for (std::size_t i = 0; i < delivered.size(); ++i)
        EXPECT_EQ(delivered[i], ms(10, 0, int(i))) << "record " << i;
    EXPECT_EQ(playback.speed(), 8);
    EXPECT_LE(longestGap, 1005) << "no record waits longer than one second at the slowest pace";
}
