#include "CoordCode.h"
#include "Ellipsoid.h"
#include "GaussLux.h"
#include "Registry.h"
#include "Schweiz.h"
#include "xTM.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Transid;

namespace {

class Projections : public ::testing::Test {
protected:
    Projections() { reg.build(); }

    const RevCoordChanger& projection(uint32_t key) const {
        const RevCoordChanger* p = reg.changer(key);
        EXPECT_NE(p, nullptr);
        return *p;
    }

    static Coord geo(uint32_t code, double lon, double lat, uint32_t zone = 0) {
        Coord c;
        c.type = code;
        c.zone = zone;
        c.x = lon;
        c.y = lat;
        return c;
    }

    Registry reg;
};

constexpr uint32_t Bessel = Code::Bessel1841;
constexpr uint32_t Intl = Code::International1924;
constexpr uint32_t Clarke = Code::Clarke1880IGN;
constexpr uint32_t Grs80 = Code::GRS80;

} // namespace

// The series must reproduce the quarter meridians of Bessel 1841 and GRS80
// (10 000 855.764 m and 10 001 965.729 m).
TEST_F(Projections, MeridianArcReachesTheQuarterMeridian) {
    const auto& gk = static_cast<const xTM&>(projection(Code::GaussKrueger));
    EXPECT_EQ(gk.meridianArc(*reg.ellipsoidOf(Bessel), 0.0), 0.0);
    EXPECT_NEAR(gk.meridianArc(*reg.ellipsoidOf(Bessel), Pi / 2), 10000855.7644, 1e-3);
    EXPECT_NEAR(gk.meridianArc(*reg.ellipsoidOf(Grs80), Pi / 2), 10001965.7293, 1e-3);
}

TEST_F(Projections, GaussKruegerChoosesTheStripOfTheLongitude) {
    const RevCoordChanger& gk = projection(Code::GaussKrueger);
    Coord west = geo(Bessel, 7.4, 50.0);
    ASSERT_TRUE(gk.apply(west));
    EXPECT_EQ(west.zone, 2u);
    EXPECT_GT(west.x, 2500000.0); // east of the central meridian 6°
    EXPECT_LT(west.x, 2700000.0);

    Coord east = geo(Bessel, 7.6, 50.0);
    ASSERT_TRUE(gk.apply(east));
    EXPECT_EQ(east.zone, 3u);
    EXPECT_GT(east.x, 3300000.0); // west of the central meridian 9°
    EXPECT_LT(east.x, 3500000.0);

    // On the central meridian the easting is the false easting and the
    // northing the meridian arc.
    Coord centre = geo(Bessel, 9.0, 50.0);
    ASSERT_TRUE(gk.apply(centre));
    EXPECT_NEAR(centre.x, 3500000.0, 1e-6);
    EXPECT_NEAR(centre.y, static_cast<const xTM&>(gk).meridianArc(*reg.ellipsoidOf(Bessel), 50.0 / Rho), 1e-6);

    // An explicit strip is kept even far outside it.
    Coord forced = geo(Bessel, 7.6, 50.0, 2);
    ASSERT_TRUE(gk.apply(forced));
    EXPECT_EQ(forced.zone, 2u);
    EXPECT_GT(forced.x, 2600000.0);

    // Inverse with zone 0 reads the strip from the easting's millions.
    Coord back = east;
    back.zone = 0;
    ASSERT_TRUE(gk.revert(back));
    EXPECT_EQ(back.zone, 3u);
    EXPECT_NEAR(back.x, 7.6, 1e-10);
    EXPECT_NEAR(back.y, 50.0, 1e-10);
}

TEST_F(Projections, UtmChoosesTheSixDegreeZone) {
    const RevCoordChanger& utm = projection(Code::UTM);
    Coord c = geo(Intl, 11.9, 50.0);
    ASSERT_TRUE(utm.apply(c));
    EXPECT_EQ(c.zone, 32u);
    EXPECT_GT(c.x, 32700000.0); // 2.9° east of 9°
    EXPECT_LT(c.x, 32800000.0);

    Coord centre = geo(Intl, 9.0, 50.0);
    ASSERT_TRUE(utm.apply(centre));
    EXPECT_EQ(centre.zone, 32u);
    EXPECT_NEAR(centre.x, 32500000.0, 1e-6);
    EXPECT_NEAR(centre.y, 0.9996 * static_cast<const xTM&>(utm).meridianArc(*reg.ellipsoidOf(Intl), 50.0 / Rho), 1e-6);

    Coord border = geo(Intl, 12.0, 50.0);
    ASSERT_TRUE(utm.apply(border));
    EXPECT_EQ(border.zone, 33u);
}

TEST_F(Projections, SchweizFramesAtBern) {
    const RevCoordChanger& ch = projection(Code::Schweiz);
    Coord old = geo(Bessel, Schweiz::Lambda0, Schweiz::Phi0, 3);
    ASSERT_TRUE(ch.apply(old));
    EXPECT_EQ(old.zone, 3u);
    EXPECT_NEAR(old.x, 600000.0, 1e-3);
    EXPECT_NEAR(old.y, 200000.0, 1e-3);

    Coord fresh = geo(Bessel, Schweiz::Lambda0, Schweiz::Phi0, 0);
    ASSERT_TRUE(ch.apply(fresh));
    EXPECT_EQ(fresh.zone, 95u);
    EXPECT_NEAR(fresh.x, 2600000.0, 1e-3);
    EXPECT_NEAR(fresh.y, 1200000.0, 1e-3);

    // Any zone but 3 takes the new frame, in both directions.
    Coord other = geo(Bessel, 8.0, 47.0, 7);
    ASSERT_TRUE(ch.apply(other));
    EXPECT_EQ(other.zone, 95u);
    EXPECT_GT(other.x, 2600000.0);
    other.zone = 0;
    ASSERT_TRUE(ch.revert(other));
    EXPECT_NEAR(other.x, 8.0, 1e-10);
    EXPECT_NEAR(other.y, 47.0, 1e-10);
}

TEST_F(Projections, LambertFranceZoneRules) {
    const RevCoordChanger& fr = projection(Code::LambertFR);
    for (uint32_t zone : {0u, 7u, 255u}) {
        Coord c = geo(Clarke, 2.5, 46.8, zone);
        ASSERT_TRUE(fr.apply(c));
        EXPECT_EQ(c.zone, 5u) << zone;
        EXPECT_NEAR(c.x, 612000.0, 2000.0) << zone; // Lambert II étendu around Paris' meridian
        EXPECT_NEAR(c.y, 2200000.0, 100000.0) << zone;
    }
    for (uint32_t zone : {0u, 7u}) {
        Coord c = geo(Clarke, 600000.0, 2200000.0, zone);
        const Coord before = c;
        EXPECT_FALSE(fr.revert(c)) << zone;
        EXPECT_EQ(c.x, before.x);
        EXPECT_EQ(c.y, before.y);
    }
}

TEST_F(Projections, GaussLuxHasItsOriginAndNoZones) {
    const RevCoordChanger& lux = projection(Code::GaussLux);
    EXPECT_FALSE(lux.hasZones());
    Coord c = geo(Intl, GaussLux::Lon0, GaussLux::Lat0, 7);
    ASSERT_TRUE(lux.apply(c));
    EXPECT_EQ(c.zone, 0u);
    EXPECT_NEAR(c.x, 80000.0, 1e-6);
    EXPECT_NEAR(c.y, 100000.0, 1e-6);
    c.zone = 4;
    ASSERT_TRUE(lux.revert(c));
    EXPECT_EQ(c.zone, 0u);
    EXPECT_NEAR(c.x, GaussLux::Lon0, 1e-10);
    EXPECT_NEAR(c.y, GaussLux::Lat0, 1e-10);
}

// Forward then inverse over each projection's area, every zone: the
// positions must come back to 1e-9° (0.1 mm).
TEST_F(Projections, RoundTripsForEveryProjectionAndZone) {
    struct Case {
        const char* legend;
        uint32_t code;
        uint32_t zone;
        double west, south, east, north;
    };
    const Case cases[] = {
        {"GK strip 2", Bessel | Code::GaussKrueger, 2, 4.5, 47.0, 7.5, 55.5},
        {"GK strip 3", Bessel | Code::GaussKrueger, 3, 7.5, 47.0, 10.5, 55.5},
        {"GK strip 4", Bessel | Code::GaussKrueger, 4, 10.5, 47.0, 13.5, 55.5},
        {"GK strip 5", Bessel | Code::GaussKrueger, 5, 13.5, 47.0, 16.5, 55.5},
        {"UTM 31 ED50", Intl | Code::UTM, 31, 0.0, 38.0, 6.0, 72.0},
        {"UTM 32 ED50", Intl | Code::UTM, 32, 6.0, 38.0, 12.0, 72.0},
        {"UTM 33 ETRS89", Grs80 | Code::UTM, 33, 12.0, 38.0, 18.0, 84.0},
        {"Luxembourg Gauss", Intl | Code::GaussLux, 0, 5.7, 49.4, 6.6, 50.2},
        {"Lambert Nord", Clarke | Code::LambertFR, 1, -5.0, 48.1, 8.0, 51.1},
        {"Lambert Centre", Clarke | Code::LambertFR, 2, -5.0, 45.4, 8.0, 48.2},
        {"Lambert Sud", Clarke | Code::LambertFR, 3, -2.0, 42.3, 8.0, 45.5},
        {"Lambert Corse", Clarke | Code::LambertFR, 4, 8.5, 41.3, 9.6, 43.1},
        {"Lambert II étendu", Clarke | Code::LambertFR, 5, -5.0, 42.3, 8.3, 51.1},
        {"Lambert 93", Grs80 | Code::LambertFR, 6, -5.0, 41.3, 9.6, 51.1},
        {"Lambert 72", Intl | Code::LambertBE, 0, 2.5, 49.5, 6.4, 51.5},
        {"Swiss old frame", Bessel | Code::Schweiz, 3, 5.9, 45.8, 10.5, 47.8},
        {"Swiss new frame", Bessel | Code::Schweiz, 95, 5.9, 45.8, 10.5, 47.8},
    };
    const int steps = 12;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.legend);
        const RevCoordChanger* p = reg.projectionOf(k.code);
        ASSERT_NE(p, nullptr);
        for (int i = 0; i <= steps; ++i) {
            for (int j = 0; j <= steps; ++j) {
                const double lon = k.west + (k.east - k.west) * i / steps;
                const double lat = k.south + (k.north - k.south) * j / steps;
                Coord c = geo(k.code, lon, lat, k.zone);
                ASSERT_TRUE(p->apply(c)) << lon << ' ' << lat;
                if (k.zone != 0) {
                    EXPECT_EQ(c.zone, k.zone);
                }
                ASSERT_TRUE(p->revert(c)) << lon << ' ' << lat;
                EXPECT_NEAR(c.x, lon, 1e-9) << lat;
                EXPECT_NEAR(c.y, lat, 1e-9) << lon;
            }
        }
    }
}

// A southern position goes back to the south: the footpoint latitude keeps its sign.
TEST_F(Projections, TransverseMercatorSouthernHemisphere) {
    const RevCoordChanger& utm = projection(Code::UTM);
    Coord c = geo(Grs80, 18.4, -33.9);
    ASSERT_TRUE(utm.apply(c));
    EXPECT_EQ(c.zone, 34u);
    EXPECT_LT(c.y, 0.0);
    ASSERT_TRUE(utm.revert(c));
    EXPECT_NEAR(c.x, 18.4, 1e-9);
    EXPECT_NEAR(c.y, -33.9, 1e-9);
}

// Bad numbers fail instead of producing a wrapped zone, a hang or garbage.
TEST_F(Projections, BadInputFails) {
    const double nan = std::nan("");
    for (uint32_t key :
         {Code::GaussKrueger, Code::UTM, Code::GaussLux, Code::LambertFR, Code::Schweiz, Code::LambertBE}) {
        const RevCoordChanger& p = projection(key);
        const uint32_t ell = key == Code::LambertFR ? Clarke : Intl;
        Coord c = geo(ell, nan, 50.0, key == Code::LambertFR ? 5 : 3);
        EXPECT_FALSE(p.apply(c)) << key;
        c = geo(ell, 500000.0, nan, key == Code::LambertFR ? 5 : 3);
        EXPECT_FALSE(p.revert(c)) << key;
        // An ellipsoid that is not registered.
        c = geo(0x9000, 8.0, 50.0, 3);
        EXPECT_FALSE(p.apply(c)) << key;
    }
    // A strip west of Greenwich would be negative: no zone field can hold it.
    Coord west = geo(Bessel, -10.0, 50.0);
    EXPECT_FALSE(projection(Code::GaussKrueger).apply(west));
    Coord negative = geo(Bessel, -2000000.0, 5500000.0);
    EXPECT_FALSE(projection(Code::GaussKrueger).revert(negative));
    Coord huge = geo(Bessel, 1e300, 5500000.0);
    EXPECT_FALSE(projection(Code::UTM).revert(huge));
}

// Every UTM zone and every Gauss-Krüger strip east of Greenwich: zone 0 picks
// the zone of the longitude, and the inverse, reading the zone from the
// easting's millions, comes back to the same point.
TEST_F(Projections, EveryZoneIsChosenAndInvertedFromTheEasting) {
    const RevCoordChanger& utm = projection(Code::UTM);
    const RevCoordChanger& gk = projection(Code::GaussKrueger);
    for (uint32_t zone = 1; zone <= 60; ++zone) {
        const double centre = 6.0 * zone - 183.0;
        for (double dl : {-3.0, -1.0, 0.0, 2.999}) {
            for (double lat : {0.5, 30.0, 60.0, 80.0}) {
                Coord c = geo(Grs80, centre + dl, lat);
                ASSERT_TRUE(utm.apply(c));
                EXPECT_EQ(c.zone, zone) << centre + dl;
                c.zone = 0;
                ASSERT_TRUE(utm.revert(c));
                EXPECT_EQ(c.zone, zone);
                EXPECT_NEAR(c.x, centre + dl, 1e-9);
                EXPECT_NEAR(c.y, lat, 1e-9);
            }
        }
    }
    for (uint32_t zone = 1; zone <= 59; ++zone) {
        const double centre = 3.0 * zone;
        for (double dl : {-1.5, 0.0, 1.499}) {
            for (double lat : {0.5, 47.0, 55.0, 80.0}) {
                Coord c = geo(Bessel, centre + dl, lat);
                ASSERT_TRUE(gk.apply(c));
                EXPECT_EQ(c.zone, zone) << centre + dl;
                c.zone = 0;
                ASSERT_TRUE(gk.revert(c));
                EXPECT_EQ(c.zone, zone);
                EXPECT_NEAR(c.x, centre + dl, 1e-9);
                EXPECT_NEAR(c.y, lat, 1e-9);
            }
        }
    }
}
