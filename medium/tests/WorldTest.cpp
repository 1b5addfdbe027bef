#include "World.h"
#include "GaussKrueger.h"
#include "MapRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

TEST(GaussKrueger, RoundTripAndStripBorder) {
    // A point on 7.5° E lies as far east of strip 2's meridian as west of
    // strip 3's.
    double n2 = 0, e2 = 0, n3 = 0, e3 = 0;
    MediumGk::forward(7.5, 49.5, 2, n2, e2);
    MediumGk::forward(7.5, 49.5, 3, n3, e3);
    EXPECT_NEAR(e2 - 2500000.0, 3500000.0 - e3, 0.01);
    EXPECT_NEAR(n2, n3, 0.01);
    EXPECT_NEAR(e2, 2608600, 1500); // about 108.6 km east of 6° E
    EXPECT_EQ(MediumGk::zoneOf(7.4), 2);
    EXPECT_EQ(MediumGk::zoneOf(7.6), 3);
    for (double lon : {6.2, 7.5, 8.9}) {
        for (double lat : {47.5, 49.5, 51.0}) {
            for (int zone : {2, 3}) {
                double n = 0, e = 0, lo = 0, la = 0;
                MediumGk::forward(lon, lat, zone, n, e);
                MediumGk::inverse(n, e, lo, la);
                EXPECT_NEAR(lo, lon, 2e-7); // 2 cm
                EXPECT_NEAR(la, lat, 2e-7);
            }
        }
    }
}

// One world is costly (seconds); the checks of the model share it.
TEST(WorldModel, DeterministicAndPlausible) {
    const WorldSpec spec = WorldSpec::make(11, MediumSize::Small);
    const World a(spec);
    const World b(spec);

    // The region straddles the strip border.
    double lonW = 0, lonE = 0, lat = 0;
    MediumGk::inverse(spec.region.n0, spec.region.e0, lonW, lat);
    MediumGk::inverse(spec.region.n0, spec.region.e1, lonE, lat);
    EXPECT_LT(lonW, 7.5);
    EXPECT_GT(lonE, 7.5);

    // Same seed, same world, same pixels.
    ASSERT_EQ(a.settlements.size(), b.settlements.size());
    for (std::size_t i = 0; i < a.settlements.size(); ++i) {
        EXPECT_EQ(a.settlements[i].name, b.settlements[i].name);
        EXPECT_EQ(a.settlements[i].pos, b.settlements[i].pos);
    }
    EXPECT_EQ(a.rivers.size(), b.rivers.size());
    EXPECT_EQ(a.pois.size(), b.pois.size());
    const MapSpec ms = MapSpec::regional(spec);
    std::vector<uint8_t> ra(std::size_t(ms.width) * 64), rb(ra.size());
    MapRenderer(a, ms).renderBand(1000, 64, ra.data(), std::size_t(ms.width));
    MapRenderer(b, ms).renderBand(1000, 64, rb.data(), std::size_t(ms.width));
    EXPECT_EQ(ra, rb);

    // Names are unique; places sit on land, not on summits, inside their
    // own built-up area and their municipality's territory.
    std::set<QString> names;
    int inRegion = 0;
    for (std::size_t i = 0; i < a.settlements.size(); ++i) {
        const Settlement& s = a.settlements[i];
        EXPECT_TRUE(names.insert(s.name).second) << s.name.toStdString();
        EXPECT_FALSE(a.isLake(s.pos.x(), s.pos.y())) << s.name.toStdString();
        EXPECT_TRUE(a.insideState(s.pos.x(), s.pos.y()));
        EXPECT_GE(a.settlementAt(s.pos.x(), s.pos.y()), 0);
        ASSERT_GE(s.municipality, 0);
        EXPECT_EQ(a.municipalityAt(s.pos.x(), s.pos.y()), s.municipality) << s.name.toStdString();
        for (const Peak& pk : a.peaks)
            EXPECT_GT(std::hypot(pk.pos.x() - s.pos.x(), pk.pos.y() - s.pos.y()), 150.0);
        inRegion += spec.region.contains(s.pos);
    }
    EXPECT_GE(inRegion, 8);
    // Administrative units nest.
    for (const Municipality& m : a.municipalities) {
        ASSERT_GE(m.association, 0);
        ASSERT_LT(std::size_t(m.association), a.associations.size());
        const int d = a.associations[std::size_t(m.association)].district;
        ASSERT_GE(d, 0);
        ASSERT_LT(std::size_t(d), a.districts.size());
        EXPECT_EQ(a.settlements[std::size_t(m.main)].municipality, &m - a.municipalities.data());
    }

    // Rivers run downhill: along the course the ground never rises much
    // above the lowest point passed so far (the smoothed line may cut a
    // little into the valley side).
    int points = 0, rising = 0;
    for (const River& r : a.rivers) {
        double lowest = 1e9;
        for (const QPointF& p : r.points) {
            const double h = a.surface(p.x(), p.y());
            ++points;
            if (h > lowest + 5.0)
                ++rising;
            lowest = std::min(lowest, h);
        }
        EXPECT_LE(a.surface(r.points.back().x(), r.points.back().y()),
                  a.surface(r.points.front().x(), r.points.front().y()) + 1.0);
    }
    EXPECT_GT(points, 1000);
    EXPECT_LT(rising, points / 20) << rising << " of " << points;

    // All six kinds of points of interest, inside the region; hostels and
    // museums inside places.
    std::set<int> cats;
    for (const Poi& p : a.pois) {
        cats.insert(p.category);
        EXPECT_TRUE(spec.region.contains(p.pos)) << p.name.toStdString();
        if (p.category == 2 || p.category == 3) {
            EXPECT_GE(a.settlementAt(p.pos.x(), p.pos.y()), 0) << p.name.toStdString();
        }
        EXPECT_FALSE(p.name.isEmpty());
        EXPECT_FALSE(p.plzOrt.isEmpty());
    }
    EXPECT_EQ(cats.size(), 6u);

    // Another seed, another world.
    const World c(WorldSpec::make(12, MediumSize::Small));
    int same = 0;
    for (std::size_t i = 0; i < std::min(a.settlements.size(), c.settlements.size()); ++i)
        same += a.settlements[i].name == c.settlements[i].name;
    EXPECT_LT(same, 5);
}
