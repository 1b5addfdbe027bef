#include "Ellipsoid.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Transid;

// The three ways of defining an ellipsoid must agree on every derived value.
TEST(Ellipsoid, ConstructorsDeriveTheSameShape) {
    struct Case {
        const char* legend;
        Ellipsoid e;
        double b;
        double e2;
    };
    const Case cases[] = {
        {"Bessel 1841 from a, b", Ellipsoid(6377397.15508, 6356078.9629), 6356078.9629, 0.006674372230614},
        {"GRS80 from a, e²", Ellipsoid(6378137.0, SquaredEccentricity{0.0066943800229}), 6356752.31414,
         0.0066943800229},
        {"International from a, f", Flattening(6378388.0, 1.0 / 297.0), 6356911.946128, 0.006722670022333},
        {"Krassowsky from a, f", Flattening(6378245.0, 0.003352329869259135), 6356863.018773, 0.006693421622966},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        EXPECT_NEAR(c.e.b(), c.b, 1e-4);
        EXPECT_NEAR(c.e.e2(), c.e2, 1e-12);
        const double a = c.e.a();
        const double b = c.e.b();
        EXPECT_NEAR(c.e.e2(), (a * a - b * b) / (a * a), 1e-14);
        EXPECT_NEAR(c.e.ep2(), (a * a - b * b) / (b * b), 1e-14);
        EXPECT_NEAR(c.e.ep2(), c.e.e2() / (1.0 - c.e.e2()), 1e-14);
    }
}

TEST(Ellipsoid, GeographicToGeocentricAtTheAxes) {
    const Ellipsoid grs80(6378137.0, SquaredEccentricity{0.0066943800229});
    Coord c;
    c.x = 0.0;
    c.y = 0.0;
    c.z = 100.0;
    ASSERT_TRUE(grs80.revert(c));
    EXPECT_NEAR(c.x, 6378237.0, 1e-6);
    EXPECT_NEAR(c.y, 0.0, 1e-6);
    EXPECT_NEAR(c.z, 0.0, 1e-6);

    c = Coord{};
    c.x = 90.0;
    c.y = 90.0;
    ASSERT_TRUE(grs80.revert(c));
    EXPECT_NEAR(c.x, 0.0, 1e-6);
    EXPECT_NEAR(c.y, 0.0, 1e-6);
    EXPECT_NEAR(c.z, grs80.b(), 1e-6);

    // And back from the polar axis itself, where p / cos φ would be 0 / 0.
    c = Coord{};
    c.z = -(grs80.b() + 250.0);
    ASSERT_TRUE(grs80.apply(c));
    EXPECT_NEAR(c.y, -90.0, 1e-12);
    EXPECT_NEAR(c.z, 250.0, 1e-6);
}

// Geographic -> geocentric -> geographic closes to a tenth of a millimetre,
// also beyond ±90° longitude, where a plain arctangent would answer with the
// opposite meridian.
TEST(Ellipsoid, RoundTripKeepsPositionAndHeight) {
    const Ellipsoid bessel(6377397.15508, 6356078.9629);
    const double lons[] = {-179.5, -120.0, -45.0, 0.0, 6.5, 9.0, 13.8, 89.9, 91.0, 120.0, 179.5};
    const double lats[] = {-70.0, -10.0, 0.0, 30.0, 47.2, 50.0, 55.1, 80.0};
    const double heights[] = {-400.0, 0.0, 1000.0, 8848.0};
    for (double lon : lons) {
        for (double lat : lats) {
            for (double h : heights) {
                Coord c;
                c.x = lon;
                c.y = lat;
                c.z = h;
                ASSERT_TRUE(bessel.revert(c));
                ASSERT_TRUE(bessel.apply(c));
                EXPECT_NEAR(c.x, lon, 1e-9) << lon << ' ' << lat << ' ' << h;
                EXPECT_NEAR(c.y, lat, 1e-9) << lon << ' ' << lat << ' ' << h;
                EXPECT_NEAR(c.z, h, 1e-4) << lon << ' ' << lat << ' ' << h;
            }
        }
    }
}

TEST(Ellipsoid, NonFiniteInputFails) {
    const Ellipsoid bessel(6377397.15508, 6356078.9629);
    Coord c;
    c.x = std::nan("");
    c.y = 50.0;
    EXPECT_FALSE(bessel.revert(c));
    c.x = 0.0;
    c.y = 0.0;
    c.z = 0.0; // the centre of the earth has no latitude
    EXPECT_FALSE(bessel.apply(c));
}
