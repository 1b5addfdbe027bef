#include "CoordCode.h"
#include "Ellipsoid.h"
#include "LibraryCoord.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace Transid;

namespace {

Coord make(uint32_t code, double x, double y, double z = 0.0, uint32_t zone = 0, double separation = 0.0) {
    Coord c;
    c.type = code;
    c.zone = zone;
    c.x = x;
    c.y = y;
    c.z = z;
    c.separation = separation;
    return c;
}

Coord target(uint32_t code, uint32_t zone = 0) {
    return make(code, -1.0, -2.0, -3.0, zone);
}

class ConvertTest : public ::testing::Test {
protected:
    ConvertTest() { reg.build(); }

    // Geographic -> geocentric on the ellipsoid of code, datum row, geocentric ->
    // geographic on the ellipsoid of toCode: the steps Convert must take.
    Coord byHand(const Coord& geographic, uint32_t toCode, uint32_t fromDatum, uint32_t toDatum) const {
        Coord w = geographic;
        EXPECT_TRUE(reg.ellipsoidOf(geographic.type)->revert(w));
        EXPECT_TRUE(reg.transformation(fromDatum, toDatum)->change(w));
        EXPECT_TRUE(reg.ellipsoidOf(toCode)->apply(w));
        return w;
    }

    Registry reg;
};

} // namespace

TEST_F(ConvertTest, RegistryHoldsEveryEntryAndRebuildsFromScratch) {
    EXPECT_EQ(reg.changerCount(), 11u);
    EXPECT_EQ(reg.transformationCount(), 14u);
    reg.build();
    EXPECT_EQ(reg.changerCount(), 11u);
    EXPECT_EQ(reg.transformationCount(), 14u);
    EXPECT_NE(reg.changer(0x1000), nullptr);

    for (unsigned long key : {0x1000ul, 0x2000ul, 0x3000ul, 0x4000ul, 0x5000ul})
        EXPECT_NE(reg.changer(key)->asEllipsoid(), nullptr) << key;
    const std::pair<unsigned long, bool> projections[] = {{0x10, true}, {0x20, true}, {0x30, false},
                                                          {0x40, true}, {0x50, true}, {0x60, true}};
    for (const auto& [key, zones] : projections) {
        ASSERT_NE(reg.changer(key), nullptr) << key;
        EXPECT_EQ(reg.changer(key)->hasZones(), zones) << key;
    }
    EXPECT_EQ(reg.changer(0x70), nullptr);
    EXPECT_EQ(reg.transformation(1, 3), nullptr);
    EXPECT_EQ(reg.transformation(2, 2), nullptr);
    EXPECT_NE(reg.transformation(3, 2), nullptr);

    reg.clear();
    Coord t = target(Code::Etrs89Geographic);
    EXPECT_FALSE(reg.convert(make(Code::DhdnGeographic, 9.0, 50.0), t));
}

TEST_F(ConvertTest, StripChangeReprojectsWithoutDatumShift) {
    const Coord source = make(Code::DhdnGaussKrueger, 2600000.0, 5500000.0, 123.0, 2);
    Coord t = target(Code::DhdnGaussKrueger, 3);
    ASSERT_TRUE(reg.convert(source, t));
    EXPECT_EQ(t.zone, 3u);
    EXPECT_EQ(t.type, Code::DhdnGaussKrueger);
    EXPECT_EQ(t.z, 123.0); // a datum shift would have moved the height

    Coord w = source;
    ASSERT_TRUE(reg.projectionOf(Code::DhdnGaussKrueger)->revert(w));
    w.zone = 3;
    ASSERT_TRUE(reg.projectionOf(Code::DhdnGaussKrueger)->apply(w));
    EXPECT_DOUBLE_EQ(t.x, w.x);
    EXPECT_DOUBLE_EQ(t.y, w.y);

    // Same code, same zone: nothing to do.
    Coord same = target(Code::DhdnGaussKrueger, 2);
    ASSERT_TRUE(reg.convert(source, same));
    EXPECT_EQ(same.x, source.x);
    EXPECT_EQ(same.y, source.y);
}

// 2 -> 0 uses its row, and the way back uses the 0 -> 2 row, not an inverse of 2 -> 0.
TEST_F(ConvertTest, EachDirectionUsesItsOwnDatumRow) {
    const Coord dhdn = make(Code::DhdnGeographic, 9.5, 49.5, 250.0);
    Coord etrs = target(Code::Etrs89Geographic);
    ASSERT_TRUE(reg.convert(dhdn, etrs));
    const Coord expected = byHand(dhdn, Code::Etrs89Geographic, 2, 0);
    EXPECT_DOUBLE_EQ(etrs.x, expected.x);
    EXPECT_DOUBLE_EQ(etrs.y, expected.y);
    EXPECT_DOUBLE_EQ(etrs.z, expected.z);
    EXPECT_GT(std::fabs(etrs.x - dhdn.x) * 71000.0, 50.0); // the shift is some 100 m

    Coord back = target(Code::DhdnGeographic);
    const Coord etrsIn = make(Code::Etrs89Geographic, etrs.x, etrs.y, etrs.z);
    ASSERT_TRUE(reg.convert(etrsIn, back));
    const Coord expectedBack = byHand(etrsIn, Code::DhdnGeographic, 0, 2);
    EXPECT_DOUBLE_EQ(back.x, expectedBack.x);
    EXPECT_DOUBLE_EQ(back.y, expectedBack.y);
    EXPECT_DOUBLE_EQ(back.z, expectedBack.z);
    // The two rows are each other's inverse only to some micrometres; an
    // inverted 2 -> 0 row would close the round trip to rounding error.
    EXPECT_NEAR(back.x, dhdn.x, 1e-9);
    EXPECT_NEAR(back.y, dhdn.y, 1e-9);
    EXPECT_NEAR(back.z, dhdn.z, 1e-5);
    EXPECT_GT(std::fabs(back.x - dhdn.x), 1e-12);
}

TEST_F(ConvertTest, HeightAboveGeoidBecomesEllipsoidalHeight) {
    // Height kind 1 with 47.5 m separation is 47.5 m more of ellipsoidal
    // height before the datum shift.
    const Coord geoidal = make(Code::DhdnGeographic | 1, 10.0, 51.0, 100.0, 0, 47.5);
    const Coord ellipsoidal = make(Code::DhdnGeographic, 10.0, 51.0, 147.5);
    Coord a = target(Code::Etrs89Geographic);
    Coord b = target(Code::Etrs89Geographic);
    ASSERT_TRUE(reg.convert(geoidal, a));
    ASSERT_TRUE(reg.convert(ellipsoidal, b));
    EXPECT_DOUBLE_EQ(a.x, b.x);
    EXPECT_DOUBLE_EQ(a.y, b.y);
    EXPECT_DOUBLE_EQ(a.z, b.z);

    // A target of height kind 1 gets its own separation taken off and keeps it.
    Coord c = make(Code::Etrs89Geographic | 1, 0, 0, 0, 0, 40.0);
    ASSERT_TRUE(reg.convert(geoidal, c));
    EXPECT_NEAR(c.z, b.z - 40.0, 1e-9);
    EXPECT_EQ(c.separation, 40.0);
    EXPECT_EQ(c.type, Code::Etrs89Geographic | 1u);

    // Only the height kind differs: the position stays, the height changes.
    Coord d = target(Code::DhdnGeographic);
    ASSERT_TRUE(reg.convert(geoidal, d));
    EXPECT_EQ(d.x, 10.0);
    EXPECT_EQ(d.y, 51.0);
    EXPECT_EQ(d.z, 147.5);
}

TEST_F(ConvertTest, FailuresLeaveTheTargetAlone) {
    const Coord ed50 = make(Code::Ed50Geographic, 9.0, 50.0);
    const Coord cases[] = {
        make(0x301000, 0, 0),   // datum 3 is reached only from DHDN
        make(0x209000, 0, 0),   // ellipsoid not registered
        make(0x2010F0, 0, 0),   // projection not registered
        make(0x201002, 0, 0),   // height kind 2 means nothing
        make(0x000010, 0, 0),   // a projection needs an ellipsoid
        make(0x10201000, 0, 0), // bits above the datum
        make(1, 0, 0),          // a map library code is no registry code
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Coord t = cases[i];
        t.zone = 77;
        t.x = 1.0;
        t.y = 2.0;
        t.z = 3.0;
        EXPECT_FALSE(reg.convert(ed50, t)) << std::hex << cases[i].type;
        EXPECT_EQ(t.zone, 77u);
        EXPECT_EQ(t.x, 1.0);
        EXPECT_EQ(t.y, 2.0);
        EXPECT_EQ(t.z, 3.0);
        // As a source it fails just the same.
        Coord t2 = target(Code::Ed50Geographic);
        EXPECT_FALSE(reg.convert(cases[i], t2)) << std::hex << cases[i].type;
    }
    // A French Lambert source with a zone outside 1..6 cannot be unprojected.
    Coord fr = target(Code::Etrs89Geographic);
    EXPECT_FALSE(reg.convert(make(0x005040, 600000.0, 2200000.0, 0, 9), fr));
    EXPECT_EQ(fr.x, -1.0);
}

TEST_F(ConvertTest, ZonesFollowTheTargetProjection) {
    const Coord gk = make(Code::DhdnGaussKrueger, 3500000.0, 5540000.0, 0, 3);
    // Geographic targets have no zone, whatever they asked for.
    Coord geo = target(Code::DhdnGeographic, 7);
    ASSERT_TRUE(reg.convert(gk, geo));
    EXPECT_EQ(geo.zone, 0u);
    EXPECT_NEAR(geo.x, 9.0, 1e-9);
    // Zone 0 lets the projection choose.
    Coord utm = target(Code::Ed50Utm, 0);
    ASSERT_TRUE(reg.convert(gk, utm));
    EXPECT_EQ(utm.zone, 32u);
    EXPECT_NEAR(utm.x, 32500000.0, 200.0);
    // Through ED50 -> ETRS89 (row 1 -> 0) and back into UTM.
    Coord etrsUtm = target(Code::Etrs89Utm, 32);
    ASSERT_TRUE(reg.convert(utm, etrsUtm));
    EXPECT_EQ(etrsUtm.zone, 32u);
    EXPECT_NEAR(etrsUtm.x - utm.x, -90.0, 30.0); // ED50 -> ETRS89 moves some 100 m west and south
    EXPECT_NEAR(etrsUtm.y - utm.y, -200.0, 30.0);

    // Swiss old frame to new frame on the same datum: the false origins differ.
    const Coord lv03 = make(0x601050, 650000.0, 180000.0, 500.0, 3);
    Coord lv95 = target(0x601050, 0);
    ASSERT_TRUE(reg.convert(lv03, lv95));
    EXPECT_EQ(lv95.zone, 95u);
    EXPECT_NEAR(lv95.x, 2650000.0, 1e-6);
    EXPECT_NEAR(lv95.y, 1180000.0, 1e-6);
    EXPECT_NEAR(lv95.z, 500.0, 1e-9);

    // GaussLux has no zones: a zone in source or target does not force a conversion.
    const Coord lux = make(0x103030, 80000.0, 100000.0, 0, 5);
    Coord lux2 = target(0x103030, 9);
    ASSERT_TRUE(reg.convert(lux, lux2));
    EXPECT_EQ(lux2.zone, 0u);
    EXPECT_EQ(lux2.x, 80000.0);
}

TEST_F(ConvertTest, GeocentricCodes) {
    // Code 0 is ETRS89 geocentric.
    const Coord etrs = make(Code::Etrs89Geographic, 0.0, 0.0, 0.0);
    Coord xyz = target(0);
    ASSERT_TRUE(reg.convert(etrs, xyz));
    EXPECT_NEAR(xyz.x, 6378137.0, 1e-6);
    // DHDN geocentric to ETRS89 geocentric is the row alone.
    const Coord dhdn = make(0x200000, 4000000.0, 500000.0, 4900000.0);
    Coord out = target(0);
    ASSERT_TRUE(reg.convert(dhdn, out));
    Coord byRow = dhdn;
    ASSERT_TRUE(reg.transformation(2, 0)->change(byRow));
    EXPECT_EQ(out.x, byRow.x);
    EXPECT_EQ(out.y, byRow.y);
    EXPECT_EQ(out.z, byRow.z);
}

// The process-wide registry and the crossing of map library codes.
TEST(LibraryCoord, MapsTheThreeLibraryCodes) {
    EXPECT_EQ(registryCodeOfLibraryType(1), Code::DhdnGaussKrueger);
    EXPECT_EQ(registryCodeOfLibraryType(0x11), Code::DhdnGaussKrueger); // option bits are ignored
    EXPECT_EQ(registryCodeOfLibraryType(2), Code::DhdnGeographic);
    EXPECT_EQ(registryCodeOfLibraryType(3), Code::Etrs89Geographic);
    EXPECT_EQ(registryCodeOfLibraryType(4), 0u);
    EXPECT_EQ(registryCodeOfLibraryType(0x8000), 0u);
    EXPECT_EQ(registryCodeOfLibraryType(Code::DhdnGaussKrueger), 0u);
    EXPECT_FALSE(isMappedLibraryType(0));

    BuildRegistry();
    // Library type 1 carries northing first; the registry easting first.
    Coord lib = make(1, 5540000.0, 3500000.0, 0, 3);
    Coord geo = target(Code::DhdnGeographic);
    ASSERT_TRUE(ConvertMapCoord(lib, geo));
    EXPECT_NEAR(geo.x, 9.0, 1e-9);
    EXPECT_NEAR(geo.y, 49.9975, 0.001);

    // Registry to library type 1 with zone 0 chooses the strip.
    Coord back = make(1, 0, 0, 0, 0);
    ASSERT_TRUE(ConvertMapCoord(geo, back));
    EXPECT_EQ(back.type, 1u);
    EXPECT_EQ(back.zone, 3u);
    EXPECT_NEAR(back.x, 5540000.0, 1e-3);
    EXPECT_NEAR(back.y, 3500000.0, 1e-3);

    // Library to library: DHDN geographic (2) to WGS84 geographic (3) shifts the datum.
    Coord wgs = make(3, 0, 0);
    ASSERT_TRUE(ConvertMapCoord(make(2, 9.0, 50.0), wgs));
    Coord viaRegistry = target(Code::Etrs89Geographic);
    ASSERT_TRUE(Convert(make(Code::DhdnGeographic, 9.0, 50.0), viaRegistry));
    EXPECT_EQ(wgs.x, viaRegistry.x);
    EXPECT_EQ(wgs.y, viaRegistry.y);

    // Library UTM (4) and pixel codes are not mapped.
    Coord utm = make(4, 0, 0);
    EXPECT_FALSE(ConvertMapCoord(geo, utm));
    Coord pixel = make(Code::DhdnGeographic, 0, 0);
    EXPECT_FALSE(ConvertMapCoord(make(0x8000, 10.0, 10.0, 0, 1), pixel));
    EXPECT_EQ(pixel.x, 0.0);
}

// Arbitrary records (codes, zones, NaN, infinities, huge values) never crash,
// hang or trip the sanitizers, and a reported success carries finite values.
TEST_F(ConvertTest, ArbitraryRecordsAreHandledSafely) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    const uint32_t codes[] = {0x201010, 0x201000, 0x103020, 0x103000, 0x002020, 0x002000, 0x000000, 0x601050,
                              0x503060, 0x005040, 0x003030, 0x401000, 0x201001, 0x301000, 0x402010, 0x002060};
    const double specials[] = {std::nan(""), INFINITY, -INFINITY, 1e308, -1e308,    0.0,       -0.0, 5e-324,
                               90.0,         -90.0,    180.0,     1e7,   3500000.0, 5500000.0, 2.2e6};
    auto value = [&] {
        const uint64_t r = next();
        if (r % 4 == 0)
            return specials[(r >> 8) % std::size(specials)];
        if (r % 4 == 1) {
            double d;
            const uint64_t bits = next();
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        return (static_cast<double>(r >> 11) / 9007199254740992.0 - 0.5) * 2.0e7;
    };
    auto code = [&] {
        const uint64_t r = next();
        return r % 8 == 0 ? static_cast<uint32_t>(r >> 32) : codes[(r >> 8) % std::size(codes)];
    };
    auto zone = [&] {
        const uint64_t r = next();
        return r % 4 == 0 ? static_cast<uint32_t>(r >> 32) : static_cast<uint32_t>((r >> 8) % 100);
    };
    for (int i = 0; i < 100000; ++i) {
        const Coord s = make(code(), value(), value(), value(), zone(), value());
        Coord t = make(code(), 0, 0, 0, zone(), value());
        if (reg.convert(s, t)) {
            EXPECT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z));
        }
    }
}
