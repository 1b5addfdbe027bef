#include "NmeaParser.h"
#include "LineAssembler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using GpsProtocol::PositionRecord;
using NmeaParser::parseSentence;

namespace {

const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,3,0000";

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i)
        sum ^= static_cast<unsigned char>(body[i]);
    char tail[8];
    std::snprintf(tail, sizeof(tail), "*%02X", sum);
    return body + tail;
}

} // namespace

TEST(NmeaParser, GgaFieldsAndHemispheres) {
    PositionRecord r;
    ASSERT_TRUE(parseSentence(Gga, 3, r));
    EXPECT_EQ(r.timeMs, 45319000);
    EXPECT_EQ(r.latDegrees, 48);
    EXPECT_FLOAT_EQ(r.latMinutes, 7.038f);
    EXPECT_EQ(r.lonDegrees, 11);
    EXPECT_FLOAT_EQ(r.lonMinutes, 31.0f);
    EXPECT_EQ(r.quality, 1);
    EXPECT_EQ(r.satellites, 8);
    EXPECT_FLOAT_EQ(r.hdop, 0.9f);
    EXPECT_FLOAT_EQ(r.altitude, 545.4f);
    EXPECT_EQ(r.diffAge, 3);

    PositionRecord s;
    ASSERT_TRUE(parseSentence("$GPGGA,123519,4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,,", 3, s));
    EXPECT_EQ(s.latDegrees, -48);
    EXPECT_FLOAT_EQ(s.latMinutes, -7.038f);
    EXPECT_EQ(s.lonDegrees, -11);
    EXPECT_FLOAT_EQ(s.lonMinutes, -31.0f);
}

// Legend: comma counts decide acceptance; the name is case-sensitive; the
// filter decides which names are tried; a GGA line is never tried as RMC.
TEST(NmeaParser, AcceptanceRules) {
    struct Case {
        const char* legend;
        std::string line;
        std::int32_t flags;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"GGA with 14 commas", "$GPGGA,1,2,N,3,E,1,2,3,4,M,5,M,6,", 3, true},
        {"GGA with only 13 commas", "$GPGGA,1,2,N,3,E,1,2,3,4,M,5,M,6", 3, false},
        {"RMC with exactly 11 commas", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 3, true},
        {"RMC with 10 commas", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1", 3, false},
        {"lower-case name", "$gpgga,1,2,N,3,E,1,2,3,4,M,5,M,6,", 3, false},
        {"other sentence", "$GPGSV,1,2,N,3,E,1,2,3,4,M,5,M,6,", 3, false},
        {"GGA filtered out", Gga, 2, false},
        {"RMC filtered out", "$GPRMC,123519,A,4807.038,N,01131.000,E,1,2,3,4,W", 1, false},
        {"flags 0", Gga, 0, false},
        {"empty line", "", 3, false},
        {"valid checksum", withChecksum(Gga), 3, true},
        {"lower-case hex checksum",
         "$GPGGA,1,2,N,3,E,1,2,3,4,M,5,M,6,*" +
             [] {
                 char t[4];
                 unsigned s = 0;
                 for (char c : std::string("GPGGA,1,2,N,3,E,1,2,3,4,M,5,M,6,"))
                     s ^= static_cast<unsigned char>(c);
                 std::snprintf(t, sizeof(t), "%02x", s);
                 return std::string(t);
             }(),
         3, true},
        {"damaged checksum", Gga + "*00", 3, false},
        {"one digit flipped under a checksum",
         [] {
             std::string l = withChecksum(Gga);
             l[10] = '9';
             return l;
         }(),
         3, false},
        {"truncated checksum", Gga + "*4", 3, false},
        {"non-hex checksum", Gga + "*ZZ", 3, false},
    };
    for (const Case& c : cases) {
        PositionRecord r;
        r.altitude = 1234;
        const PositionRecord before = r;
        EXPECT_EQ(parseSentence(c.line, c.flags, r), c.accepted) << c.legend;
        if (!c.accepted) {
            EXPECT_EQ(std::memcmp(&r, &before, sizeof(r)), 0) << c.legend << ": a rejected line changed the record";
        }
    }
}

TEST(NmeaParser, RmcRules) {
    // A position gives quality 2 and the fixed RMC values.
    PositionRecord r;
    r.altitude = 100;
    ASSERT_TRUE(parseSentence("$GPRMC,123520,A,4807.038,N,01131.000,E,0,0,230394,0,W", 3, r));
    EXPECT_EQ(r.quality, 2);
    EXPECT_EQ(r.satellites, 4);
    EXPECT_EQ(r.altitude, 0);
    EXPECT_EQ(r.timeMs, 45320000);

    // Empty position fields: quality 0.
    PositionRecord e;
    ASSERT_TRUE(parseSentence("$GPRMC,123520,V,,,,,,,,,", 3, e));
    EXPECT_EQ(e.quality, 0);

    // The RMC of the same second as a valid GGA is refused, so the GGA's
    // altitude and satellites remain; the next second is taken.
    PositionRecord g;
    ASSERT_TRUE(parseSentence(Gga, 3, g));
    EXPECT_FALSE(parseSentence("$GPRMC,123519,A,4807.038,N,01131.000,E,1,2,3,4,W", 3, g));
    EXPECT_FLOAT_EQ(g.altitude, 545.4f);
    EXPECT_EQ(g.satellites, 8);
    EXPECT_TRUE(parseSentence("$GPRMC,123520,A,4807.038,N,01131.000,E,1,2,3,4,W", 3, g));
    // After a GGA without a fix, the RMC of the same second is welcome.
    PositionRecord z;
    ASSERT_TRUE(parseSentence("$GPGGA,123519,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,3,0000", 3, z));
    EXPECT_TRUE(parseSentence("$GPRMC,123519,A,4807.038,N,01131.000,E,1,2,3,4,W", 3, z));
    // Time 0 never blocks.
    PositionRecord t;
    t.quality = 1;
    EXPECT_TRUE(parseSentence("$GPRMC,,A,4807.038,N,01131.000,E,1,2,3,4,W", 3, t));
}

// Receivers without a fix send RMC with status "V" and placeholder
// positions; a position off the earth is never taken, from GGA or RMC.
TEST(NmeaParser, InvalidFixes) {
    const PositionRecord fix = [] {
        PositionRecord r;
        parseSentence(Gga, 3, r);
        return r;
    }();
    struct Case {
        const char* legend;
        std::string line;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"latitude 90 degrees", "$GPGGA,1,9000.000,N,00000.000,E,1,2,3,4,M,5,M,6,", true},
        {"latitude 90 degrees 0.5 minutes", "$GPGGA,1,9000.500,S,00000.000,E,1,2,3,4,M,5,M,6,", false},
        {"latitude 91 degrees", "$GPGGA,1,9100.000,N,00000.000,E,1,2,3,4,M,5,M,6,", false},
        {"latitude minutes 59.999", "$GPGGA,1,4859.999,N,00000.000,E,1,2,3,4,M,5,M,6,", true},
        {"latitude minutes 60", "$GPGGA,1,4860.000,N,00000.000,E,1,2,3,4,M,5,M,6,", false},
        {"longitude 180 degrees", "$GPGGA,1,0000.000,N,18000.000,W,1,2,3,4,M,5,M,6,", true},
        {"longitude 180 degrees 0.1 minutes", "$GPGGA,1,0000.000,N,18000.100,E,1,2,3,4,M,5,M,6,", false},
        {"longitude 999 degrees", "$GPGGA,1,0000.000,N,99900.000,E,1,2,3,4,M,5,M,6,", false},
        {"longitude minutes 75", "$GPGGA,1,0000.000,N,01175.000,E,1,2,3,4,M,5,M,6,", false},
        {"infinite minutes", "$GPGGA,1,481e300,N,0111e300,E,1,2,3,4,M,5,M,6,", false},
        {"minutes not a number", "$GPGGA,1,48nan,N,011nan,E,1,2,3,4,M,5,M,6,", false},
        {"RMC latitude 99", "$GPRMC,2,A,9959.999,N,01131.000,E,0,0,230394,0,W", false},
        {"RMC longitude 999", "$GPRMC,2,A,4807.038,N,99999.999,E,0,0,230394,0,W", false},
        {"RMC minutes 60", "$GPRMC,2,A,4807.038,N,01160.000,E,0,0,230394,0,W", false},
        {"RMC without fix, out of range", "$GPRMC,2,V,9999.999,N,99999.999,E,0,0,230394,0,W", false},
        {"RMC without fix", "$GPRMC,2,V,4807.038,N,01131.000,E,0,0,230394,0,W", true},
    };
    for (const Case& c : cases) {
        PositionRecord r = fix;
        EXPECT_EQ(parseSentence(c.line, 3, r), c.accepted) << c.legend;
        if (!c.accepted) {
            EXPECT_EQ(std::memcmp(&r, &fix, sizeof(r)), 0) << c.legend << ": a rejected line changed the record";
        }
    }

    // Any status but "A" counts as no fix: stored without a position, with
    // quality 0, so that nobody is notified.
    for (const char* status : {"V", "", "a", "AV"}) {
        PositionRecord r = fix;
        const std::string line = std::string("$GPRMC,123520,") + status + ",5000.000,S,00800.000,W,0,0,230394,0,W";
        ASSERT_TRUE(parseSentence(line, 3, r)) << status;
        EXPECT_EQ(r.quality, 0) << status;
        EXPECT_EQ(r.timeMs, 45320000) << status;
        EXPECT_EQ(r.latDegrees, 0) << status;
        EXPECT_EQ(r.latMinutes, 0) << status;
        EXPECT_EQ(r.lonDegrees, 0) << status;
        EXPECT_EQ(r.lonMinutes, 0) << status;
    }
    PositionRecord a;
    ASSERT_TRUE(parseSentence("$GPRMC,123520,A,5000.000,S,00800.000,W,0,0,230394,0,W", 3, a));
    EXPECT_EQ(a.quality, 2);
    EXPECT_EQ(a.latDegrees, -50);
    EXPECT_EQ(a.lonDegrees, -8);
}

TEST(NmeaParser, TimeAndNumberConversions) {
    EXPECT_EQ(NmeaParser::timeOfField("123519.5"), 45319500);
    EXPECT_EQ(NmeaParser::timeOfField("123519.567"), 45319567);
    EXPECT_EQ(NmeaParser::timeOfField("123519.5678"), 45319567);
    EXPECT_EQ(NmeaParser::timeOfField("123519,5"), 45319000);
    EXPECT_EQ(NmeaParser::timeOfField("1235"), 0);
    EXPECT_EQ(NmeaParser::timeOfField("000000"), 0);
    // Non-digits count with their low four bits, as they always did.
    EXPECT_EQ(NmeaParser::timeOfField("??????"), ((165 * 60 + 165) * 60 + 165) * 1000);

    EXPECT_EQ(NmeaParser::fieldInt(""), 0);
    EXPECT_EQ(NmeaParser::fieldInt(" -12abc"), -12);
    EXPECT_EQ(NmeaParser::fieldInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(NmeaParser::fieldInt("-99999999999999999999"), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(NmeaParser::fieldDouble("  +7.038xyz"), 7.038);
    EXPECT_DOUBLE_EQ(NmeaParser::fieldDouble("1e999"), HUGE_VAL);
    EXPECT_DOUBLE_EQ(NmeaParser::fieldDouble("abc"), 0);

    // A value beyond the float range saturates instead of overflowing.
    PositionRecord r;
    ASSERT_TRUE(parseSentence("$GPGGA,1,4807,N,01131,E,1,2,3,1e300,M,5,M,6,", 3, r));
    EXPECT_TRUE(std::isinf(r.altitude));
    // Short position fields give what is there.
    ASSERT_TRUE(parseSentence("$GPGGA,1,4,N,3,W,1,2,3,4,M,5,M,6,", 3, r));
    EXPECT_EQ(r.latDegrees, 4);
    EXPECT_EQ(r.latMinutes, 0);
    EXPECT_EQ(r.lonDegrees, -3);
}

// CR LF gives an empty line after every sentence; a long line keeps its
// first 127 characters and the rest up to the line end is dropped.
TEST(LineAssembler, CutsLines) {
    LineAssembler assembler;
    std::vector<std::string> lines;
    const std::string input = "$GPGGA,1\r\n\r" + std::string(200, 'x') + "\nend";
    assembler.feed(reinterpret_cast<const std::uint8_t*>(input.data()), input.size(),
                   [&](const std::string& line) { lines.push_back(line); });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "$GPGGA,1");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], std::string(127, 'x'));
    const std::string rest = "\n";
    assembler.feed(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size(),
                   [&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(lines.back(), "end");
}
