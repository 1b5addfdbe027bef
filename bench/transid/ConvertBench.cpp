// DHDN Gauss-Krüger (strip 3) -> ETRS89 geographic and back, one million
// points, through Transid::Convert and through PROJ pipelines built from the
// same datum rows (2 -> 0 there, 0 -> 2 back). "conversions" counts one-way
// conversions (two per point and round trip).
#include "CoordCode.h"
#include "RefSysTransform.h"
#include "Registry.h"

#include <benchmark/benchmark.h>
#include <proj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr size_t PointCount = 1000000;

struct Point {
    double easting;
    double northing;
};

// Deterministic points spread over strip 3 (7.5°..10.5° E, 47°..55° N).
const std::vector<Point>& points() {
    static const std::vector<Point> list = [] {
        std::vector<Point> v(PointCount);
        uint64_t state = 0x2545F4914F6CDD1Dull;
        auto next = [&state] {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<double>(state >> 11) / 9007199254740992.0;
        };
        for (Point& p : v) {
            p.easting = 3390000.0 + 220000.0 * next();
            p.northing = 5230000.0 + 880000.0 * next();
        }
        return v;
    }();
    return list;
}

std::string molodenskyBadekas(uint32_t from, uint32_t to) {
    const auto* t = dynamic_cast<const Transid::RefSysTransform*>(Transid::registry().transformation(from, to));
    const Transid::RefSysTransform::Parameters& p = t->parameters();
    const double arcSeconds = Transid::Rho * 3600.0;
    char text[512];
    std::snprintf(text, sizeof text,
                  "+step +proj=molobadekas +x=%.12g +y=%.12g +z=%.12g +rx=%.15g +ry=%.15g +rz=%.15g +s=%.15g "
                  "+px=%.12g +py=%.12g +pz=%.12g +convention=position_vector ",
                  p.tx, p.ty, p.tz, p.rx * arcSeconds, p.ry * arcSeconds, p.rz * arcSeconds, (p.k - 1.0) * 1e6, p.cx,
                  p.cy, p.cz);
    return text;
}

const char* const Strip3 = "+proj=tmerc +lat_0=0 +lon_0=9 +k=1 +x_0=3500000 +y_0=0 +ellps=bessel ";

struct ProjPipelines {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* there = nullptr;
    PJ* back = nullptr;
    ProjPipelines() {
        Transid::BuildRegistry();
        const std::string forward = std::string("+proj=pipeline +step +inv ") + Strip3 +
                                    "+step +proj=cart +ellps=bessel " + molodenskyBadekas(2, 0) +
                                    "+step +inv +proj=cart +ellps=GRS80 +step +proj=unitconvert +xy_in=rad +xy_out=deg";
        const std::string inverse = std::string("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad ") +
                                    "+step +proj=cart +ellps=GRS80 " + molodenskyBadekas(0, 2) +
                                    "+step +inv +proj=cart +ellps=bessel +step " + Strip3;
        there = proj_create(ctx, forward.c_str());
        back = proj_create(ctx, inverse.c_str());
        if (!there || !back) {
            std::fprintf(stderr, "PROJ pipelines could not be created\n");
            std::abort();
        }
    }
    ~ProjPipelines() {
        proj_destroy(there);
        proj_destroy(back);
        proj_context_destroy(ctx);
    }
};

void setCounters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * PointCount);
    state.counters["conversions"] =
        benchmark::Counter(2.0 * PointCount * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TransidConvertGkEtrs89RoundTrip(benchmark::State& state) {
    Transid::BuildRegistry();
    const std::vector<Point>& pts = points();
    for (auto _ : state) {
        double sum = 0.0;
        for (const Point& p : pts) {
            Coord gk;
            gk.type = Transid::Code::DhdnGaussKrueger;
            gk.zone = 3;
            gk.x = p.easting;
            gk.y = p.northing;
            Coord geo;
            geo.type = Transid::Code::Etrs89Geographic;
            if (!Transid::Convert(gk, geo))
                state.SkipWithError("Convert failed");
            Coord back;
            back.type = Transid::Code::DhdnGaussKrueger;
            back.zone = 3;
            if (!Transid::Convert(geo, back))
                state.SkipWithError("Convert failed");
            sum += back.x + back.y;
        }
        benchmark::DoNotOptimize(sum);
    }
    setCounters(state);
}
BENCHMARK(BM_TransidConvertGkEtrs89RoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProjTransGkEtrs89RoundTrip(benchmark::State& state) {
    static ProjPipelines proj;
    const std::vector<Point>& pts = points();
    for (auto _ : state) {
        double sum = 0.0;
        for (const Point& p : pts) {
            const PJ_COORD geo = proj_trans(proj.there, PJ_FWD, proj_coord(p.easting, p.northing, 0.0, 0.0));
            const PJ_COORD back = proj_trans(proj.back, PJ_FWD, geo);
            sum += back.xyz.x + back.xyz.y;
        }
        benchmark::DoNotOptimize(sum);
    }
    setCounters(state);
}
BENCHMARK(BM_ProjTransGkEtrs89RoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same with PROJ's array interface, which saves the per-call overhead.
void BM_ProjTransArrayGkEtrs89RoundTrip(benchmark::State& state) {
    static ProjPipelines proj;
    const std::vector<Point>& pts = points();
    std::vector<PJ_COORD> buffer(pts.size());
    for (auto _ : state) {
        for (size_t i = 0; i < pts.size(); ++i)
            buffer[i] = proj_coord(pts[i].easting, pts[i].northing, 0.0, 0.0);
        proj_trans_array(proj.there, PJ_FWD, buffer.size(), buffer.data());
        proj_trans_array(proj.back, PJ_FWD, buffer.size(), buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    setCounters(state);
}
BENCHMARK(BM_ProjTransArrayGkEtrs89RoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
