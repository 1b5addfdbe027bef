// Accuracy of the library's geodesy against PROJ: its exact transverse
// Mercator on the Bessel and International ellipsoids, and the exact
// geocentric seven-parameter transformation with the parameters the
// linearised datum shift is built from. The largest differences are printed
// and recorded as test properties, so a run reports them.
#include "DatumShift.h"
#include "GaussKrueger.h"
#include "Utm.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace MapCoords;

constexpr double Deg = 3.14159265358979323846 / 180.0;

struct ProjDeleter {
    void operator()(PJ* p) const { proj_destroy(p); }
};

class Proj {
public:
    explicit Proj(const std::string& definition) : m_pj(proj_create(PJ_DEFAULT_CTX, definition.c_str())) {}
    bool valid() const { return m_pj != nullptr; }
    PJ_COORD forward(double u, double v) const { return proj_trans(m_pj.get(), PJ_FWD, proj_coord(u, v, 0, 0)); }
    PJ_COORD inverse(double u, double v) const { return proj_trans(m_pj.get(), PJ_INV, proj_coord(u, v, 0, 0)); }

private:
    std::unique_ptr<PJ, ProjDeleter> m_pj;
};

std::string gaussKruegerDefinition(int zone) {
    return "+proj=tmerc +lat_0=0 +lon_0=" + std::to_string(3 * zone) +
           " +k=1 +x_0=" + std::to_string(zone * 1000000 + 500000) + " +y_0=0 +ellps=bessel";
}

// Metres on the ground for a difference of geographic coordinates (degrees);
// a sphere of the Bessel size is more than precise enough for a difference.
double groundMetres(double dLon, double dLat, double latitude) {
    const double r = 6377397.155;
    const double dx = dLon * Deg * r * std::cos(latitude * Deg);
    const double dy = dLat * Deg * r;
    return std::hypot(dx, dy);
}

void report(const char* name, double value, const char* unit) {
    std::printf("[ accuracy ] %-58s %.6g %s\n", name, value, unit);
    ::testing::Test::RecordProperty(name, std::to_string(value));
}

// The grid of the comparisons: 47°..56° N, every 0.1°.
template <typename F> void forLatitudes(F f) {
    for (int i = 0; i <= 90; ++i)
        f(47.0 + 0.1 * i);
}

TEST(ProjAccuracy, GaussKruegerForwardAndInverseOnBessel) {
    const int zone = 3;
    Proj proj(gaussKruegerDefinition(zone));
    ASSERT_TRUE(proj.valid());

    double forward15 = 0, forward20 = 0, inverse15 = 0, inverse20 = 0;
    forLatitudes([&](double lat) {
        for (int j = -40; j <= 40; ++j) {
            const double dLon = 0.05 * j;
            const double lon = 3.0 * zone + dLon;
            const bool inner = std::fabs(dLon) <= 1.5 + 1e-9;

            const PJ_COORD ref = proj.forward(lon * Deg, lat * Deg);
            const GaussKrueger::Projected p = GaussKrueger::forward(lon, lat, zone);
            const double df = std::hypot(p.easting - ref.xy.x, p.northing - ref.xy.y);
            forward20 = std::max(forward20, df);
            if (inner)
                forward15 = std::max(forward15, df);

            // Inverse of the exact grid coordinates of the same point.
            int32_t z;
            ASSERT_TRUE(GaussKrueger::zoneOfEasting(ref.xy.x, z));
            ASSERT_EQ(z, zone);
            const GaussKrueger::Geographic g = GaussKrueger::inverse(ref.xy.y, ref.xy.x, z);
            const double di = groundMetres(g.longitude - lon, g.latitude - lat, lat);
            inverse20 = std::max(inverse20, di);
            if (inner)
                inverse15 = std::max(inverse15, di);
        }
    });
    report("gk_forward_max_diff_m_within_1.5deg", forward15, "m");
    report("gk_forward_max_diff_m_within_2deg", forward20, "m");
    report("gk_inverse_max_diff_m_within_1.5deg", inverse15, "m");
    report("gk_inverse_max_diff_m_within_2deg", inverse20, "m");
    EXPECT_LT(forward15, 0.001);
    EXPECT_LT(inverse15, 0.001);
    // Beyond the strip the series loses precision slowly; centimetres would
    // mean a wrong coefficient.
    EXPECT_LT(forward20, 0.01);
    EXPECT_LT(inverse20, 0.01);
}

TEST(ProjAccuracy, LinearisedDatumShiftAgainstExactHelmert) {
    // The same seven parameters applied exactly: WGS84 geographic → geocentric
    // → seven-parameter transformation → geographic on Bessel.
    const double arcsec = 180.0 / 3.14159265358979323846 * 3600.0;
    char helmert[400];
    std::snprintf(helmert, sizeof helmert,
                  "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart +ellps=WGS84 "
                  "+step +proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g +s=%.17g "
                  "+convention=coordinate_frame +step +inv +proj=cart +ellps=bessel "
                  "+step +proj=unitconvert +xy_in=rad +xy_out=deg",
                  DatumShift::Dx, DatumShift::Dy, DatumShift::Dz, DatumShift::Ex * arcsec, DatumShift::Ey * arcsec,
                  DatumShift::Ez * arcsec, DatumShift::Scale * 1e6);
    Proj proj(helmert);
    ASSERT_TRUE(proj.valid());

    double worst = 0, worstLon = 0, worstLat = 0, worstStrip3 = 0;
    forLatitudes([&](double lat) {
        for (int j = 0; j <= 100; ++j) {
            const double lon = 5.0 + 0.1 * j;
            const PJ_COORD ref = proj.forward(lon, lat);
            const DatumShift::Geographic g = DatumShift::wgs84ToDhdn(lon, lat);
            const double d = groundMetres(g.longitude - ref.lp.lam, g.latitude - ref.lp.phi, lat);
            if (lon >= 7.0 - 1e-9 && lon <= 11.0 + 1e-9)
                worstStrip3 = std::max(worstStrip3, d);
            if (d > worst) {
                worst = d;
                worstLon = lon;
                worstLat = lat;
            }
        }
    });
    report("datum_shift_max_diff_m_7..11E_47..56N", worstStrip3, "m");
    report("datum_shift_max_diff_m_5..15E_47..56N", worst, "m");
    std::printf("[ accuracy ] (largest at %.1f E %.1f N)\n", worstLon, worstLat);
    // The linearisation costs decimetres; a metre would be a sign or
    // parameter error (the rotations taken the other way round are off by
    // some 160 m).
    EXPECT_LT(worst, 1.0);
}

TEST(ProjAccuracy, UtmOnInternationalEllipsoid) {
    double worst = 0;
    for (int zone = 31; zone <= 33; ++zone) {
        Proj proj("+proj=utm +zone=" + std::to_string(zone) + " +ellps=intl");
        ASSERT_TRUE(proj.valid());
        const double lon0 = 6.0 * (zone - 31) + 3.0;
        forLatitudes([&](double lat) {
            for (int j = 0; j < 60; ++j) {
                const double lon = lon0 - 3.0 + 0.1 * j;
                Utm::Projected p;
                ASSERT_TRUE(Utm::forward(lon, lat, p));
                ASSERT_EQ(p.zone, zone);
                const PJ_COORD ref = proj.forward(lon * Deg, lat * Deg);
                worst = std::max(worst, std::hypot(p.easting - ref.xy.x, p.northing - ref.xy.y));
            }
        });
    }
    report("utm_max_diff_m_zones_31..33_47..56N", worst, "m");
    EXPECT_LT(worst, 0.001);
}

} // namespace
