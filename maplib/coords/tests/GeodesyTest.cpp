#include "DatumShift.h"
#include "GaussKrueger.h"
#include "GradMinSec.h"
#include "Utm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace MapCoords;

// Reference grid coordinates from PROJ's exact transverse Mercator (tmerc on
// bessel, utm on intl), rounded to 0.1 mm.
struct GridCase {
    const char* legend;
    double longitude, latitude;
    int32_t zone;
    double northing, easting;
};

TEST(GaussKrueger, MatchesReferenceGridCoordinates) {
    const GridCase cases[] = {
        {"central Germany, 0.5 deg east of the meridian", 9.5, 50.0, 3, 5540399.3500, 3535843.4288},
        {"south-west, 2 deg west of the meridian", 7.0, 48.5, 3, 5375408.6906, 3352218.7800},
        {"north, 1.2 deg east", 10.2, 54.1, 3, 5997092.7036, 3578490.8004},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.legend);
        const GaussKrueger::Projected p = GaussKrueger::forward(c.longitude, c.latitude, c.zone);
        EXPECT_NEAR(p.northing, c.northing, 0.001);
        EXPECT_NEAR(p.easting, c.easting, 0.001);

        int32_t zone = -1;
        ASSERT_TRUE(GaussKrueger::zoneOfEasting(c.easting, zone));
        EXPECT_EQ(zone, c.zone);
        const GaussKrueger::Geographic g = GaussKrueger::inverse(c.northing, c.easting, zone);
        EXPECT_NEAR(g.longitude, c.longitude, 2e-8); // ~1.5 mm
        EXPECT_NEAR(g.latitude, c.latitude, 2e-8);
    }
}

TEST(GaussKrueger, ZoneChoiceAndZoneOfEasting) {
    int32_t zone = -1;
    ASSERT_TRUE(GaussKrueger::zoneForLongitude(7.4, zone));
    EXPECT_EQ(zone, 2);
    ASSERT_TRUE(GaussKrueger::zoneForLongitude(7.6, zone));
    EXPECT_EQ(zone, 3);
    ASSERT_TRUE(GaussKrueger::zoneForLongitude(-2.0, zone)); // west of Greenwich: strip -1
    EXPECT_EQ(zone, -1);

    ASSERT_TRUE(GaussKrueger::zoneOfEasting(2999999.99, zone));
    EXPECT_EQ(zone, 2);
    ASSERT_TRUE(GaussKrueger::zoneOfEasting(3000000.0, zone));
    EXPECT_EQ(zone, 3);

    // Numbers that give no strip are refused, not cast.
    EXPECT_FALSE(GaussKrueger::zoneForLongitude(std::numeric_limits<double>::quiet_NaN(), zone));
    EXPECT_FALSE(GaussKrueger::zoneForLongitude(1e300, zone));
    EXPECT_FALSE(GaussKrueger::zoneOfEasting(-std::numeric_limits<double>::infinity(), zone));
}

TEST(Utm, MatchesReferenceGridCoordinatesAndSetsZone) {
    const GridCase cases[] = {
        {"zone 32, 0.5 deg east of 9 E", 9.5, 50.0, 32, 5538862.1102, 535835.1680},
        {"zone 32, 2 deg west of 9 E", 7.0, 48.5, 32, 5373912.9959, 352252.9319},
        {"zone 33, 1.8 deg west of 15 E", 13.2, 54.1, 33, 5996274.3800, 382294.0888},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.legend);
        Utm::Projected p;
        ASSERT_TRUE(Utm::forward(c.longitude, c.latitude, p));
        EXPECT_EQ(p.zone, c.zone);
        EXPECT_NEAR(p.northing, c.northing, 0.001);
        EXPECT_NEAR(p.easting, c.easting, 0.001);
    }
    Utm::Projected p;
    ASSERT_TRUE(Utm::forward(12.0, 50.0, p)); // a zone's western edge belongs to it
    EXPECT_EQ(p.zone, 33);
    EXPECT_FALSE(Utm::forward(std::numeric_limits<double>::infinity(), 50.0, p));
}

TEST(DatumShift, CloseToExactSevenParameterTransformation) {
    // Reference: PROJ, geocentric seven-parameter transformation with the
    // same parameters. The linearised shift stays within a few decimetres
    // (5e-6 deg is 0.3 to 0.55 m); a wrong sign of any parameter moves the
    // result by metres.
    struct Case {
        double lon, lat, refLon, refLat;
    } cases[] = {
        {9.5, 50.0, 9.501107359, 50.001140978},
        {7.0, 48.5, 7.000740428, 48.500979111},
        {13.2, 54.1, 13.201741133, 54.101579375},
    };
    for (const Case& c : cases) {
        const DatumShift::Geographic g = DatumShift::wgs84ToDhdn(c.lon, c.lat);
        EXPECT_NEAR(g.longitude, c.refLon, 5e-6);
        EXPECT_NEAR(g.latitude, c.refLat, 5e-6);
    }
}

TEST(GradMinSec, SplitsBothValuesAndLeavesTheSecondWordAlone) {
    Coord c;
    c.type = 0x8012;
    c.x = 7.5;
    c.y = 50.2625; // 50° 15' 45"
    GradMinSec out;
    out.unused = 0x5A5A5A5A;
    coordToGradMinSec(c, out);
    EXPECT_EQ(out.type, 0x8012);
    EXPECT_EQ(out.unused, 0x5A5A5A5A);
    EXPECT_EQ(out.degreesA, 7.0);
    EXPECT_EQ(out.minutesA, 30.0);
    EXPECT_EQ(out.secondsA, 0.0);
    EXPECT_EQ(out.degreesB, 50.0);
    EXPECT_EQ(out.minutesB, 15.0);
    EXPECT_NEAR(out.secondsB, 45.0, 1e-9);

    // Negative values count from the next lower whole degree.
    c.x = -7.25;
    coordToGradMinSec(c, out);
    EXPECT_EQ(out.degreesA, -8.0);
    EXPECT_EQ(out.minutesA, 45.0);
    EXPECT_NEAR(out.secondsA, 0.0, 1e-9);
}

} // namespace
