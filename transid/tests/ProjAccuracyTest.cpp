// Accuracy of the projections and datum rows measured against PROJ over a
// grid covering each system's area of use. The largest differences are
// printed as "[accuracy]" lines.
#include "CoordCode.h"
#include "Ellipsoid.h"
#include "RefSysTransform.h"
#include "Registry.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace Transid;

namespace {

constexpr double MetresPerDegree = 111320.0;

class Proj {
public:
    Proj(const char* from, const char* to) {
        PJ* raw = proj_create_crs_to_crs(nullptr, from, to, nullptr);
        if (raw) {
            m_pj = proj_normalize_for_visualization(nullptr, raw);
            proj_destroy(raw);
        }
    }
    explicit Proj(const std::string& pipeline) : m_pj(proj_create(nullptr, pipeline.c_str())) {}
    ~Proj() { proj_destroy(m_pj); }
    Proj(const Proj&) = delete;
    Proj& operator=(const Proj&) = delete;

    bool valid() const { return m_pj != nullptr; }
    PJ_COORD trans(PJ_DIRECTION dir, double x, double y, double z = 0.0) const {
        return proj_trans(m_pj, dir, proj_coord(x, y, z, 0));
    }

private:
    PJ* m_pj = nullptr;
};

struct Area {
    double west, south, east, north;
};

// Area of use of an EPSG system as PROJ knows it.
Area areaOf(const char* crs) {
    PJ* p = proj_create(nullptr, crs);
    Area a{0, 0, 0, 0};
    const char* name = nullptr;
    if (p)
        proj_get_area_of_use(nullptr, p, &a.west, &a.south, &a.east, &a.north, &name);
    proj_destroy(p);
    return a;
}

struct Extreme {
    double forward = 0.0; // metres, projected
    double inverse = 0.0; // metres along the ellipsoid
    double lon = 0.0;
    double lat = 0.0;
};

void report(const char* legend, const Extreme& e) {
    std::printf("[accuracy] %-44s forward %9.4f mm, inverse %9.4f mm (worst near %.3f %.3f)\n", legend,
                e.forward * 1000.0, e.inverse * 1000.0, e.lon, e.lat);
    ::testing::Test::RecordProperty(std::string(legend) + " forward mm", std::to_string(e.forward * 1000.0));
    ::testing::Test::RecordProperty(std::string(legend) + " inverse mm", std::to_string(e.inverse * 1000.0));
}

class ProjAccuracy : public ::testing::Test {
protected:
    ProjAccuracy() { reg.build(); }

    // Compares one of our projections (code, zone) with a PROJ conversion
    // from geographic to projected coordinates. offsetX/offsetY are added to
    // PROJ's coordinates (our GK/UTM eastings carry the zone number, some
    // EPSG frames differ by a false northing).
    Extreme compare(const char* geographic, const char* projected, uint32_t code, uint32_t zone, Area area,
                    double offsetX = 0.0, double offsetY = 0.0, int steps = 40) const {
        Extreme worst;
        const Proj proj(geographic, projected);
        EXPECT_TRUE(proj.valid()) << projected;
        if (!proj.valid())
            return worst;
        const RevCoordChanger* p = reg.projectionOf(code);
        EXPECT_NE(p, nullptr);
        for (int i = 0; i <= steps; ++i) {
            for (int j = 0; j <= steps; ++j) {
                const double lon = area.west + (area.east - area.west) * i / steps;
                const double lat = area.south + (area.north - area.south) * j / steps;
                const PJ_COORD ref = proj.trans(PJ_FWD, lon, lat);
                Coord c;
                c.type = code;
                c.zone = zone;
                c.x = lon;
                c.y = lat;
                EXPECT_TRUE(p->apply(c));
                const double fwd = std::hypot(c.x - (ref.xy.x + offsetX), c.y - (ref.xy.y + offsetY));
                // Inverse from PROJ's projected coordinates.
                Coord back;
                back.type = code;
                back.zone = zone;
                back.x = ref.xy.x + offsetX;
                back.y = ref.xy.y + offsetY;
                EXPECT_TRUE(p->revert(back));
                const double inv = std::hypot((back.x - lon) * MetresPerDegree * std::cos(lat / Rho),
                                              (back.y - lat) * MetresPerDegree);
                if (fwd > worst.forward) {
                    worst.forward = fwd;
                    worst.lon = lon;
                    worst.lat = lat;
                }
                worst.inverse = std::max(worst.inverse, inv);
            }
        }
        return worst;
    }

    Registry reg;
};

constexpr uint32_t Bessel = Code::Bessel1841;
constexpr uint32_t Intl = Code::International1924;
constexpr uint32_t Grs80 = Code::GRS80;
constexpr uint32_t Clarke = Code::Clarke1880IGN;

} // namespace

TEST_F(ProjAccuracy, GaussKruegerAndUtmBelowAMillimetre) {
    struct Case {
        const char* legend;
        const char* geographic;
        const char* projected;
        uint32_t code;
        uint32_t zone;
        double offsetX;
    };
    const Case cases[] = {
        {"DHDN / GK zone 2 (EPSG 31466)", "EPSG:4314", "EPSG:31466", Bessel | Code::GaussKrueger, 2, 0.0},
        {"DHDN / GK zone 3 (EPSG 31467)", "EPSG:4314", "EPSG:31467", Bessel | Code::GaussKrueger, 3, 0.0},
        {"DHDN / GK zone 4 (EPSG 31468)", "EPSG:4314", "EPSG:31468", Bessel | Code::GaussKrueger, 4, 0.0},
        {"ED50 / UTM 32N (EPSG 23032)", "EPSG:4230", "EPSG:23032", Intl | Code::UTM, 32, 32000000.0},
        {"ETRS89 / UTM 32N (EPSG 25832)", "EPSG:4258", "EPSG:25832", Grs80 | Code::UTM, 32, 32000000.0},
        {"Luxembourg 1930 / Gauss (EPSG 2169)", "EPSG:4181", "EPSG:2169", Intl | Code::GaussLux, 0, 0.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.legend);
        const Extreme e = compare(k.geographic, k.projected, k.code, k.zone, areaOf(k.projected), k.offsetX);
        report(k.legend, e);
        EXPECT_LT(e.forward, 0.001);
        EXPECT_LT(e.inverse, 0.001);
    }
}

// The Swiss, Belgian and French constants are rounded; what remains must stay
// well below a metre, or the formulas are wrong.
TEST_F(ProjAccuracy, ObliqueAndConicProjections) {
    struct Case {
        const char* legend;
        const char* geographic;
        const char* projected;
        uint32_t code;
        uint32_t zone;
        double offsetY; // added to PROJ's northing
    };
    const Case cases[] = {
        {"CH1903 / LV03 (EPSG 21781)", "EPSG:4149", "EPSG:21781", Bessel | Code::Schweiz, 3, 0.0},
        {"CH1903+ / LV95 (EPSG 2056)", "EPSG:4150", "EPSG:2056", Bessel | Code::Schweiz, 95, 0.0},
        {"BD72 / Belgian Lambert 72 (EPSG 31370)", "EPSG:4313", "EPSG:31370", Intl | Code::LambertBE, 0, 0.0},
        // Zones 1 to 3 are the northern, central and southern zones with
        // 200 000 m false northing; the EPSG "zone I..IV" frames add 1..4 million.
        {"NTF / Lambert zone I (EPSG 27571) -1e6 N", "EPSG:4275", "EPSG:27571", Clarke | Code::LambertFR, 1, -1e6},
        {"NTF / Lambert zone II (EPSG 27572) -2e6 N", "EPSG:4275", "EPSG:27572", Clarke | Code::LambertFR, 2, -2e6},
        {"NTF / Lambert zone III (EPSG 27573) -3e6 N", "EPSG:4275", "EPSG:27573", Clarke | Code::LambertFR, 3, -3e6},
        {"NTF / Lambert zone IV (EPSG 27574) -4e6 N", "EPSG:4275", "EPSG:27574", Clarke | Code::LambertFR, 4, -4e6},
        {"NTF / Lambert Nord France (EPSG 27561)", "EPSG:4275", "EPSG:27561", Clarke | Code::LambertFR, 1, 0.0},
        {"NTF / Lambert Centre France (EPSG 27562)", "EPSG:4275", "EPSG:27562", Clarke | Code::LambertFR, 2, 0.0},
        {"NTF / Lambert Sud France (EPSG 27563)", "EPSG:4275", "EPSG:27563", Clarke | Code::LambertFR, 3, 0.0},
        {"NTF / Lambert Corse (EPSG 27564)", "EPSG:4275", "EPSG:27564", Clarke | Code::LambertFR, 4, 0.0},
        {"NTF / Lambert II etendu (EPSG 27572), zone 5", "EPSG:4275", "EPSG:27572", Clarke | Code::LambertFR, 5, 0.0},
        {"RGF93 / Lambert-93 (EPSG 2154), zone 6", "EPSG:4171", "EPSG:2154", Grs80 | Code::LambertFR, 6, 0.0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.legend);
        const Extreme e = compare(k.geographic, k.projected, k.code, k.zone, areaOf(k.projected), 0.0, k.offsetY);
        report(k.legend, e);
        EXPECT_LT(e.forward, 1.0);
        EXPECT_LT(e.inverse, 1.0);
    }
}

// Every datum row against PROJ's Molodensky-Badekas transformation with the
// same parameters (position-vector rotations in arc seconds, scale in ppm),
// on geocentric points of a grid over Central Europe from 0 to 3000 m.
// PROJ scales the rotated vector, (1 + s) R dX, while the rows scale only the
// differences, k dX + r x dX; the two part by (k − 1) |r| |dX|. With a rotation
// centre dX is a few hundred kilometres and that is far below a millimetre;
// the rows about the earth's centre (2 <-> 3, 2 <-> 4) reach some 4 mm.
TEST_F(ProjAccuracy, DatumRowsMatchMolodenskyBadekas) {
    const uint32_t pairs[][2] = {{2, 0}, {0, 2}, {2, 1}, {1, 2}, {1, 0}, {0, 1}, {2, 3},
                                 {3, 2}, {2, 4}, {4, 2}, {5, 0}, {0, 5}, {0, 6}, {6, 0}};
    const Ellipsoid& bessel = *reg.ellipsoidOf(Bessel);
    const double arcSeconds = Rho * 3600.0;
    double worstOverall = 0.0;
    for (const auto& pair : pairs) {
        const auto* t = dynamic_cast<const RefSysTransform*>(reg.transformation(pair[0], pair[1]));
        ASSERT_NE(t, nullptr);
        const RefSysTransform::Parameters& p = t->parameters();
        char pipeline[1024];
        std::snprintf(pipeline, sizeof pipeline,
                      "+proj=molobadekas +x=%.12g +y=%.12g +z=%.12g +rx=%.15g +ry=%.15g +rz=%.15g +s=%.15g "
                      "+px=%.12g +py=%.12g +pz=%.12g +convention=position_vector",
                      p.tx, p.ty, p.tz, p.rx * arcSeconds, p.ry * arcSeconds, p.rz * arcSeconds, (p.k - 1.0) * 1e6,
                      p.cx, p.cy, p.cz);
        const Proj proj{std::string(pipeline)};
        ASSERT_TRUE(proj.valid()) << pipeline;
        double worst = 0.0;
        for (double lon = 2.0; lon <= 17.0; lon += 0.5) {
            for (double lat = 45.0; lat <= 56.0; lat += 0.5) {
                for (double h : {0.0, 3000.0}) {
                    Coord c;
                    c.x = lon;
                    c.y = lat;
                    c.z = h;
                    ASSERT_TRUE(bessel.revert(c));
                    const PJ_COORD ref = proj.trans(PJ_FWD, c.x, c.y, c.z);
                    ASSERT_TRUE(t->change(c));
                    const double d =
                        std::sqrt((c.x - ref.xyz.x) * (c.x - ref.xyz.x) + (c.y - ref.xyz.y) * (c.y - ref.xyz.y) +
                                  (c.z - ref.xyz.z) * (c.z - ref.xyz.z));
                    worst = std::max(worst, d);
                }
            }
        }
        char legend[64];
        std::snprintf(legend, sizeof legend, "datum row %u -> %u vs molobadekas", pair[0], pair[1]);
        std::printf("[accuracy] %-44s max %9.6f mm\n", legend, worst * 1000.0);
        const bool centred = p.cx != 0.0 || p.cy != 0.0 || p.cz != 0.0;
        const double rotation = std::max({std::fabs(p.rx), std::fabs(p.ry), std::fabs(p.rz)});
        const double convention = std::fabs(p.k - 1.0) * std::sqrt(3.0) * rotation * 6.4e6;
        EXPECT_LT(worst, centred ? 0.001 : convention + 0.0005) << legend;
        worstOverall = std::max(worstOverall, worst);
    }
    RecordProperty("datum rows max mm", std::to_string(worstOverall * 1000.0));
}

// The whole chain DHDN Gauss-Krüger -> ETRS89 geographic against a PROJ
// pipeline with the same datum rows: projection, ellipsoid and datum steps
// together stay below a millimetre.
TEST_F(ProjAccuracy, GaussKruegerToEtrs89ChainMatchesPipeline) {
    const RefSysTransform::Parameters& p = dynamic_cast<const RefSysTransform*>(reg.transformation(2, 0))->parameters();
    const double arcSeconds = Rho * 3600.0;
    char pipeline[2048];
    std::snprintf(pipeline, sizeof pipeline,
                  "+proj=pipeline +step +inv +proj=tmerc +lat_0=0 +lon_0=9 +k=1 +x_0=3500000 +y_0=0 +ellps=bessel "
                  "+step +proj=cart +ellps=bessel "
                  "+step +proj=molobadekas +x=%.12g +y=%.12g +z=%.12g +rx=%.15g +ry=%.15g +rz=%.15g +s=%.15g "
                  "+px=%.12g +py=%.12g +pz=%.12g +convention=position_vector "
                  "+step +inv +proj=cart +ellps=GRS80 +step +proj=unitconvert +xy_in=rad +xy_out=deg",
                  p.tx, p.ty, p.tz, p.rx * arcSeconds, p.ry * arcSeconds, p.rz * arcSeconds, (p.k - 1.0) * 1e6, p.cx,
                  p.cy, p.cz);
    const Proj proj{std::string(pipeline)};
    ASSERT_TRUE(proj.valid());
    double worst = 0.0;
    double worstHeight = 0.0;
    for (double e = 3390000.0; e <= 3610000.0; e += 11000.0) {
        for (double n = 5230000.0; n <= 6110000.0; n += 22000.0) {
            Coord s;
            s.type = Code::DhdnGaussKrueger;
            s.zone = 3;
            s.x = e;
            s.y = n;
            s.z = 200.0;
            Coord t;
            t.type = Code::Etrs89Geographic;
            ASSERT_TRUE(reg.convert(s, t));
            const PJ_COORD ref = proj.trans(PJ_FWD, e, n, 200.0);
            const double d = std::hypot((t.x - ref.lpz.lam) * MetresPerDegree * std::cos(t.y / Rho),
                                        (t.y - ref.lpz.phi) * MetresPerDegree);
            worst = std::max(worst, d);
            worstHeight = std::max(worstHeight, std::fabs(t.z - ref.lpz.z));
        }
    }
    std::printf("[accuracy] %-44s max %9.4f mm, height %9.4f mm\n", "GK zone 3 -> ETRS89 chain vs pipeline",
                worst * 1000.0, worstHeight * 1000.0);
    EXPECT_LT(worst, 0.001);
    EXPECT_LT(worstHeight, 0.001);
}
