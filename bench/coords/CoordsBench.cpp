// Conversions per second of the map library's coordinate conversion against
// PROJ doing the same work per point with proj_trans: WGS84 → map pixel
// (datum shift, Gauss-Krüger, pixel transform) and map pixel → Gauss-Krüger,
// in the map's own strip and in the neighbouring one. PROJ runs the exact
// geocentric datum transformation and its exact transverse Mercator, so it
// does more arithmetic per point; the comparison shows what the library's
// shorter formulas buy.
#include "DatumShift.h"
#include "GaussKrueger.h"
#include "TlmGeoreference.h"
#include "TransformCoords.h"

#include <benchmark/benchmark.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace MapCoords;

// A 1 : 25 000 sheet of 4000 × 4000 pixels of 2.5 m around 9.3° E 50.1° N in
// strip 3, georeferenced by a similarity transform, shown at zoom 0.5.
constexpr double E0 = 3520000.0;
constexpr double N0 = 5556000.0;
constexpr double PixelSize = 2.5;
constexpr int32_t Size = 4000;
constexpr double Zoom = 0.5;
// x = R1 + a R3 − b R4, y = R2 + a R4 + b R3 with R3 = 0: pixel (0, 0) at (E0, N0).
constexpr double R4 = -1.0 / PixelSize;
constexpr double R1 = E0 * R4;
constexpr double R2 = -N0 * R4;
constexpr int Points = 4096;

struct BenchMap final : CoordMap {
    TlmGeoreference georef{255, 3, R1, R2, 0.0, R4, Size, Size, Zoom};
    const MapGeoreference& georeference() const override { return georef; }
    ExternalCoordHook externalCoordHook() const override { return nullptr; }
};
struct NoWindow final : CoordWindow {
    uint32_t mapId() const override { return 0; }
    PixelOffset drawnOrigin() const override { return {}; }
};
struct NoSurface final : CoordSurface {
    Binding binding() const override { return {}; }
};

struct Setup {
    BenchMap map;
    IdRegistry<BenchMap> maps;
    IdRegistry<NoWindow> windows;
    IdRegistry<NoSurface> surfaces;
    RegistryResolver<BenchMap, NoWindow, NoSurface> resolver{maps, windows, surfaces};
    uint32_t mapId = maps.add(&map);
    std::vector<Coord> wgs84;  // points on the sheet, WGS84 degrees
    std::vector<Coord> pixels; // the same points as display pixels

    Setup() {
        for (int i = 0; i < Points; ++i) {
            Coord p;
            p.type = TypeMapPixel;
            p.zone = mapId;
            p.x = (i % 64) * (Size * Zoom / 64.0) + 3.25;
            p.y = (i / 64) * (Size * Zoom / 64.0) + 1.75;
            pixels.push_back(p);
            // Pixel → DHDN geographic, then shifted back to WGS84 roughly:
            // any point on the sheet will do for timing.
            Coord geo;
            geo.type = TypeGeoDhdn;
            transformCoordsEx(resolver, p, geo);
            geo.type = TypeGeoWgs84;
            geo.x -= 0.0011;
            geo.y -= 0.0011;
            wgs84.push_back(geo);
        }
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

struct ProjDeleter {
    void operator()(PJ* p) const { proj_destroy(p); }
};
using ProjPtr = std::unique_ptr<PJ, ProjDeleter>;

ProjPtr makeProj(const std::string& definition) {
    ProjPtr p(proj_create(PJ_DEFAULT_CTX, definition.c_str()));
    if (!p)
        std::fprintf(stderr, "proj_create failed: %s\n", definition.c_str());
    return p;
}

std::string helmert() {
    const double arcsec = 180.0 / 3.14159265358979323846 * 3600.0;
    char buf[300];
    std::snprintf(buf, sizeof buf,
                  "+step +proj=cart +ellps=WGS84 +step +proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g "
                  "+rz=%.17g +s=%.17g +convention=coordinate_frame +step +inv +proj=cart +ellps=bessel ",
                  DatumShift::Dx, DatumShift::Dy, DatumShift::Dz, DatumShift::Ex * arcsec, DatumShift::Ey * arcsec,
                  DatumShift::Ez * arcsec, DatumShift::Scale * 1e6);
    return buf;
}

std::string tmerc(int zone) {
    return "+proj=tmerc +lon_0=" + std::to_string(3 * zone) + " +k=1 +x_0=" + std::to_string(zone * 1000000 + 500000) +
           " +y_0=0 +ellps=bessel ";
}

// Easting/northing → display pixel: px = (R1 − b R4) × zoom, py = (R2 + a R4) × zoom.
std::string affine() {
    char buf[200];
    std::snprintf(buf, sizeof buf, "+proj=affine +xoff=%.17g +yoff=%.17g +s11=%.17g +s12=0 +s21=0 +s22=%.17g ",
                  R1 * Zoom, R2 * Zoom, -R4 * Zoom, R4 * Zoom);
    return buf;
}

// The library converting the points in turn into the target type and zone,
// one point per iteration.
void libraryLoop(benchmark::State& state, const std::vector<Coord>& from, uint32_t type, uint32_t zone) {
    Setup& s = setup();
    Coord t;
    size_t i = 0;
    for (auto _ : state) {
        t.type = type;
        t.zone = zone;
        benchmark::DoNotOptimize(transformCoordsEx(s.resolver, from[i], t));
        benchmark::DoNotOptimize(t);
        i = (i + 1) % Points;
    }
    state.SetItemsProcessed(state.iterations());
}

// PROJ doing the same per point; false (the run skipped) without the pipeline.
bool projLoop(benchmark::State& state, const ProjPtr& p, PJ_DIRECTION direction, const std::vector<Coord>& from,
              const char* missing) {
    if (!p) {
        state.SkipWithError(missing);
        return false;
    }
    size_t i = 0;
    for (auto _ : state) {
        const PJ_COORD r = proj_trans(p.get(), direction, proj_coord(from[i].x, from[i].y, 0, 0));
        benchmark::DoNotOptimize(r);
        i = (i + 1) % Points;
    }
    state.SetItemsProcessed(state.iterations());
    return true;
}

void BM_Library_Wgs84ToPixel(benchmark::State& state) {
    libraryLoop(state, setup().wgs84, TypeMapPixel, setup().mapId);
}
BENCHMARK(BM_Library_Wgs84ToPixel);

void BM_Proj_Wgs84ToPixel(benchmark::State& state) {
    Setup& s = setup();
    ProjPtr p = makeProj("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad " + helmert() + "+step " +
                         tmerc(3) + "+step " + affine());
    if (!projLoop(state, p, PJ_FWD, s.wgs84, "no PROJ pipeline"))
        return;

    // Both sides must compute the same thing: the largest difference in
    // display pixels (0.5 m of datum linearisation is 0.1 pixel here).
    double worst = 0;
    for (const Coord& w : s.wgs84) {
        Coord t;
        t.type = TypeMapPixel | OptionNoRounding;
        t.zone = s.mapId;
        transformCoordsEx(s.resolver, w, t);
        const PJ_COORD r = proj_trans(p.get(), PJ_FWD, proj_coord(w.x, w.y, 0, 0));
        worst = std::max({worst, std::fabs(r.xy.x - t.x), std::fabs(r.xy.y - t.y)});
    }
    state.counters["max_diff_px"] = worst;
}
BENCHMARK(BM_Proj_Wgs84ToPixel);

void BM_Library_PixelToGaussKrueger(benchmark::State& state) {
    libraryLoop(state, setup().pixels, TypeGaussKrueger, 3);
}
BENCHMARK(BM_Library_PixelToGaussKrueger);

void BM_Proj_PixelToGaussKrueger(benchmark::State& state) {
    Setup& s = setup();
    ProjPtr p = makeProj(affine());
    projLoop(state, p, PJ_INV, s.pixels, "no PROJ affine");
}
BENCHMARK(BM_Proj_PixelToGaussKrueger);

void BM_Library_PixelToGaussKruegerNextStrip(benchmark::State& state) {
    libraryLoop(state, setup().pixels, TypeGaussKrueger, 4);
}
BENCHMARK(BM_Library_PixelToGaussKruegerNextStrip);

void BM_Proj_PixelToGaussKruegerNextStrip(benchmark::State& state) {
    Setup& s = setup();
    ProjPtr p = makeProj("+proj=pipeline +step +inv " + affine() + "+step +inv " + tmerc(3) + "+step " + tmerc(4));
    projLoop(state, p, PJ_FWD, s.pixels, "no PROJ pipeline");
}
BENCHMARK(BM_Proj_PixelToGaussKruegerNextStrip);

void BM_Library_GaussKruegerForward(benchmark::State& state) {
    Setup& s = setup();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GaussKrueger::forward(s.wgs84[i].x, s.wgs84[i].y, 3));
        i = (i + 1) % Points;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Library_GaussKruegerForward);

void BM_Proj_GaussKruegerForward(benchmark::State& state) {
    Setup& s = setup();
    ProjPtr p = makeProj("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + tmerc(3));
    projLoop(state, p, PJ_FWD, s.wgs84, "no PROJ tmerc");
}
BENCHMARK(BM_Proj_GaussKruegerForward);

} // namespace
