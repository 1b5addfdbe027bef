#include "World.h"

#include "GaussKrueger.h"
#include "LineGeometry.h"
#include "Noise.h"
#include "Rng.h"
#include "WorldGrid.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

double smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Salts of the independent random streams of the generation steps.
enum Salt : uint32_t {
    SaltTerrain = 1,
    SaltWarp,
    SaltDetail,
    SaltForest,
    SaltBorder,
    SaltMountains,
};

} // namespace

WorldSpec WorldSpec::make(uint32_t seed, MediumSize size) {
    WorldSpec s;
    s.seed = seed;
    s.size = size;
    double stateW = 60000, stateH = 72000;
    switch (size) {
    case MediumSize::Small:
        s.regionPixels = 4000;
        break;
    case MediumSize::Medium:
        s.regionPixels = 12000;
        stateW = 120000;
        stateH = 140000;
        break;
    case MediumSize::Large:
        s.regionPixels = 32000;
        stateW = 200000;
        stateH = 240000;
        break;
    }
    // The region is centred on the strip border at 7.5° E, a little south of
    // the middle of the state; both are kept on whole kilometres.
    double n = 0, e = 0;
    MediumGk::forward(7.5, 49.55, zone, n, e);
    const double side = s.regionPixels * s.regionPixelSize;
    const double ce = std::round(e / 1000.0) * 1000.0;
    const double cn = std::round(n / 1000.0) * 1000.0;
    s.region = {ce - side / 2, cn - side / 2, ce + side / 2, cn + side / 2};
    const double se0 = std::round((ce - stateW * 0.45) / 1000.0) * 1000.0;
    const double sn0 = std::round((cn - stateH * 0.42) / 1000.0) * 1000.0;
    s.state = {se0, sn0, se0 + stateW, sn0 + stateH};
    return s;
}

World::World(const WorldSpec& spec) : m_spec(spec) {
    m_detail = std::make_unique<Noise>(Rng::derive(spec.seed, SaltDetail));
    m_forest = std::make_unique<Noise>(Rng::derive(spec.seed, SaltForest));
    m_border = std::make_unique<Noise>(Rng::derive(spec.seed, SaltBorder));
    m_warp = std::make_unique<Noise>(Rng::derive(spec.seed, SaltWarp));
    buildTerrain();
    buildHydrology();
    placeSettlements();
    buildAdministration();
    buildRoads();
    buildRailway();
    buildBuildings();
    placePeaks();
    placePois();
}

World::~World() = default;

void World::buildTerrain() {
    m_grid = std::make_unique<Grid>();
    Grid& g = *m_grid;
    const double margin = 3000;
    g.cell = m_spec.cell;
    g.e0 = m_spec.state.e0 - margin;
    g.n0 = m_spec.state.n0 - margin;
    g.nx = int(std::ceil((m_spec.state.width() + 2 * margin) / g.cell)) + 1;
    g.ny = int(std::ceil((m_spec.state.height() + 2 * margin) / g.cell)) + 1;
    const std::size_t count = std::size_t(g.nx) * std::size_t(g.ny);
    g.h.assign(count, 0.f);

    const Noise base(Rng::derive(m_spec.seed, SaltTerrain));
    const Noise mountains(Rng::derive(m_spec.seed, SaltMountains));
    const Noise& warp = *m_warp;
    for (int j = 0; j < g.ny; ++j) {
        for (int i = 0; i < g.nx; ++i) {
            const QPointF p = g.node(i, j);
            // Kilometres, with a large-scale warp so that ridges do not run
            // along the lattice.
            const double x = p.x() / 1000.0, y = p.y() / 1000.0;
            const double wx = x + 5.0 * warp.fbm(x / 25.0, y / 25.0, 3);
            const double wy = y + 5.0 * warp.fbm(x / 25.0 + 31.7, y / 25.0 - 12.2, 3);
            const double hills = 0.5 + 0.5 * base.fbm(wx / 14.0, wy / 14.0, 7, 0.58);
            const double uplands = smoothstep(-0.15, 0.45, mountains.fbm(x / 45.0, y / 45.0, 2));
            const double crests = 0.5 + 0.5 * mountains.ridged(wx / 9.0, wy / 9.0, 4, 0.5);
            // A gentle tilt to the south-west gives the rivers a common
            // direction, as in a real drainage basin.
            const double tilt = 0.0022 * (p.y() - g.n0) + 0.0010 * (p.x() - g.e0);
            const double knolls = 70.0 * base.fbm(x / 4.5 + 40.0, y / 4.5 - 40.0, 4, 0.5);
            const double h = 120.0 + 280.0 * std::pow(hills, 1.3) + uplands * 230.0 * crests * crests + knolls + tilt;
            g.h[std::size_t(g.index(i, j))] = float(h);
        }
    }
}

void World::buildHydrology() {
    Grid& g = *m_grid;
    const int nx = g.nx, ny = g.ny;
    const std::size_t count = g.h.size();

    // Priority flood from the border: every node gets the lowest level at
    // which water can leave the grid, raised by a tiny step per node so that
    // every node has a strictly lower neighbour towards the outlet.
    std::vector<float> filled(g.h);
    std::vector<uint8_t> done(count, 0);
    using Item = std::pair<float, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    for (int i = 0; i < nx; ++i) {
        for (int j : {0, ny - 1}) {
            const int k = g.index(i, j);
            if (!done[std::size_t(k)]) {
                done[std::size_t(k)] = 1;
                open.push({filled[std::size_t(k)], k});
            }
        }
    }
    for (int j = 0; j < ny; ++j) {
        for (int i : {0, nx - 1}) {
            const int k = g.index(i, j);
            if (!done[std::size_t(k)]) {
                done[std::size_t(k)] = 1;
                open.push({filled[std::size_t(k)], k});
            }
        }
    }
    static const int di[8] = {1, -1, 0, 0, 1, 1, -1, -1};
    static const int dj[8] = {0, 0, 1, -1, 1, -1, 1, -1};
    while (!open.empty()) {
        const auto [level, k] = open.top();
        open.pop();
        const int i = k % nx, j = k / nx;
        for (int d = 0; d < 8; ++d) {
            const int ii = i + di[d], jj = j + dj[d];
            if (ii < 0 || jj < 0 || ii >= nx || jj >= ny)
                continue;
            const int kk = g.index(ii, jj);
            if (done[std::size_t(kk)])
                continue;
            done[std::size_t(kk)] = 1;
            // A small random rise per step breaks the ties on filled flats,
            // so that courses across them wander instead of running straight.
            uint32_t hsh = uint32_t(kk) * 0x9E3779B1u ^ m_spec.seed;
            hsh ^= hsh >> 15;
            hsh *= 0x85EBCA6Bu;
            hsh ^= hsh >> 13;
            const float rise = 0.002f + 0.03f * float(hsh & 0xFFFF) / 65535.f;
            filled[std::size_t(kk)] = std::max(filled[std::size_t(kk)], level + rise);
            open.push({filled[std::size_t(kk)], kk});
        }
    }

    // Lakes: connected depressions of moderate size and some depth. Larger
    // basins are not flooded; their rivers cut through the rim instead
    // (see the river beds below), as rivers break through ridges.
    g.lakeId.assign(count, -1);
    g.lakeDepth.assign(count, -5.f);
    std::vector<int> comp;
    // About one lake per 80 km², as in a hilly land without glacial lakes.
    int lakeBudget = std::max(3, int(m_spec.state.width() * m_spec.state.height() / 80e6));
    for (std::size_t start = 0; start < count; ++start) {
        if (filled[start] - g.h[start] < 0.3f || g.lakeId[start] != -1)
            continue;
        comp.clear();
        comp.push_back(int(start));
        g.lakeId[start] = -2;
        float maxDepth = 0, minLevel = 1e9f;
        for (std::size_t q = 0; q < comp.size(); ++q) {
            const int k = comp[q];
            maxDepth = std::max(maxDepth, filled[std::size_t(k)] - g.h[std::size_t(k)]);
            minLevel = std::min(minLevel, filled[std::size_t(k)]);
            const int i = k % nx, j = k / nx;
            for (int d = 0; d < 4; ++d) {
                const int ii = i + di[d], jj = j + dj[d];
                if (ii < 0 || jj < 0 || ii >= nx || jj >= ny)
                    continue;
                const int kk = g.index(ii, jj);
                if (g.lakeId[std::size_t(kk)] == -1 && filled[std::size_t(kk)] - g.h[std::size_t(kk)] >= 0.3f) {
                    g.lakeId[std::size_t(kk)] = -2;
                    comp.push_back(kk);
                }
            }
        }
        const bool keep =
            comp.size() >= 20 && comp.size() <= 400 && maxDepth > 5.0f && maxDepth < 40.0f && lakeBudget > 0;
        if (keep)
            --lakeBudget;
        const int id = keep ? int(lakes.size()) : -3;
        double se = 0, sn = 0;
        for (int k : comp) {
            g.lakeId[std::size_t(k)] = id;
            if (keep) {
                g.lakeDepth[std::size_t(k)] = minLevel - g.h[std::size_t(k)];
                const QPointF p = g.node(k % nx, k / nx);
                se += p.x();
                sn += p.y();
            }
        }
        if (keep) {
            Lake lake;
            lake.level = minLevel;
            lake.area = comp.size() * g.cell * g.cell / 1e6;
            lake.centre = QPointF(se / comp.size(), sn / comp.size());
            lakes.push_back(lake);
        }
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (g.lakeId[k] < 0)
            g.lakeId[k] = -1;
    }

    // Flow directions (steepest descent on the filled surface) and catchments.
    g.down.assign(count, -1);
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const int k = g.index(i, j);
            float best = 0;
            for (int d = 0; d < 8; ++d) {
                const int ii = i + di[d], jj = j + dj[d];
                if (ii < 0 || jj < 0 || ii >= nx || jj >= ny)
                    continue;
                const int kk = g.index(ii, jj);
                const float drop = (filled[std::size_t(k)] - filled[std::size_t(kk)]) / (d < 4 ? 1.f : 1.41421f);
                if (drop > best) {
                    best = drop;
                    g.down[std::size_t(k)] = kk;
                }
            }
        }
    }
    std::vector<int> order(count);
    for (std::size_t k = 0; k < count; ++k)
        order[k] = int(k);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return filled[std::size_t(a)] > filled[std::size_t(b)] ||
               (filled[std::size_t(a)] == filled[std::size_t(b)] && a < b);
    });
    const float cellKm2 = float(g.cell * g.cell / 1e6);
    g.flow.assign(count, cellKm2);
    // The bed of the water course at every node: never higher than anything
    // upstream of it, so that water always runs downhill; where the ground
    // rises across its way the course is cut into it.
    std::vector<float> courseBed(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int id = g.lakeId[k];
        courseBed[k] = id >= 0 ? float(lakes[std::size_t(id)].level) : g.h[k];
    }
    for (int k : order) {
        const int d = g.down[std::size_t(k)];
        if (d >= 0) {
            g.flow[std::size_t(d)] += g.flow[std::size_t(k)];
            courseBed[std::size_t(d)] = std::min(courseBed[std::size_t(d)], courseBed[std::size_t(k)]);
        }
    }

    // Rivers: nodes draining at least 4 km². Traced upstream from every
    // outlet, following the larger branch, so that a river keeps its course
    // through confluences and a tributary ends where it joins.
    const float riverKm2 = 4.0f;
    std::vector<std::vector<int>> upstream(count);
    for (std::size_t k = 0; k < count; ++k) {
        const int d = g.down[k];
        if (d >= 0 && g.flow[k] >= riverKm2)
            upstream[std::size_t(d)].push_back(int(k));
    }
    struct Start {
        int node;
        int mouth; // node the river flows into, -1 for an outlet
    };
    std::vector<Start> starts;
    for (std::size_t k = 0; k < count; ++k) {
        if (g.flow[k] >= riverKm2 && g.down[k] < 0)
            starts.push_back({int(k), -1});
    }
    std::vector<char> isRiver(count, 0);
    while (!starts.empty()) {
        const Start s = starts.back();
        starts.pop_back();
        std::vector<int> path;
        if (s.mouth >= 0)
            path.push_back(s.mouth);
        int k = s.node;
        while (true) {
            path.push_back(k);
            isRiver[std::size_t(k)] = 1;
            const auto& ups = upstream[std::size_t(k)];
            if (ups.empty())
                break;
            int best = ups[0];
            for (int u : ups) {
                if (g.flow[std::size_t(u)] > g.flow[std::size_t(best)])
                    best = u;
            }
            for (int u : ups) {
                if (u != best)
                    starts.push_back({u, k});
            }
            k = best;
        }
        if (path.size() < 3)
            continue;
        River r;
        std::vector<QPointF> raw;
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            raw.push_back(g.node(*it % nx, *it / nx));
        // The grid path turns in steps of 45°; the river is smoothed, and
        // its catchment taken from the nearest node of the path.
        r.points = smoothLine(raw, 35.0, 3);
        std::size_t at = 0;
        for (const QPointF& p : r.points) {
            while (at + 1 < raw.size() && std::hypot(raw[at + 1].x() - p.x(), raw[at + 1].y() - p.y()) <
                                              std::hypot(raw[at].x() - p.x(), raw[at].y() - p.y()))
                ++at;
            const int node = path[path.size() - 1 - at];
            r.flow.push_back(g.flow[std::size_t(node)]);
        }
        rivers.push_back(std::move(r));
    }

    // Valleys: the land around a river is drawn down towards its bed, with a
    // flat floodplain and slopes that widen with the river's size.
    std::vector<float> bed(count, 0.f), dist(count, 1e9f), bedFlow(count, 0.f);
    using DItem = std::pair<float, int>;
    std::priority_queue<DItem, std::vector<DItem>, std::greater<DItem>> front;
    for (std::size_t k = 0; k < count; ++k) {
        if (isRiver[k]) {
            dist[k] = 0;
            bed[k] = courseBed[k];
            bedFlow[k] = g.flow[k];
            front.push({0.f, int(k)});
        }
    }
    const float maxDist = 3000.f;
    while (!front.empty()) {
        const auto [dk, k] = front.top();
        front.pop();
        if (dk > dist[std::size_t(k)] || dk > maxDist)
            continue;
        const int i = k % nx, j = k / nx;
        for (int d = 0; d < 8; ++d) {
            const int ii = i + di[d], jj = j + dj[d];
            if (ii < 0 || jj < 0 || ii >= nx || jj >= ny)
                continue;
            const int kk = g.index(ii, jj);
            const float nd = dk + float(g.cell) * (d < 4 ? 1.f : 1.41421f);
            if (nd < dist[std::size_t(kk)]) {
                dist[std::size_t(kk)] = nd;
                bed[std::size_t(kk)] = bed[std::size_t(k)];
                bedFlow[std::size_t(kk)] = bedFlow[std::size_t(k)];
                front.push({nd, kk});
            }
        }
    }
    g.riverDist = dist;
    for (std::size_t k = 0; k < count; ++k) {
        if (g.lakeId[k] >= 0)
            continue;
        const float f = g.h[k];
        if (isRiver[k]) {
            g.h[k] = bed[k];
            continue;
        }
        if (dist[k] > maxDist || f <= bed[k])
            continue;
        const double root = std::sqrt(double(bedFlow[k]));
        const double plain = 40.0 + 8.0 * root;
        const double width = std::min(2500.0, 350.0 + 70.0 * root);
        const double t = smoothstep(plain, plain + width, dist[k]);
        g.h[k] = float(bed[k] + (f - bed[k]) * std::pow(t, 0.8));
    }

    // Where the valleys of two rivers meet, their beds differ and the carved
    // slopes would meet in a crease; a few rounds of relaxation (river beds
    // held fixed, never below the bed) soften that into a ridge.
    {
        std::vector<float> next(g.h);
        for (int round = 0; round < 8; ++round) {
            for (int j = 1; j < ny - 1; ++j) {
                for (int i = 1; i < nx - 1; ++i) {
                    const std::size_t k = std::size_t(g.index(i, j));
                    if (isRiver[k] || g.lakeId[k] >= 0 || dist[k] > maxDist)
                        continue;
                    float sum = 0;
                    for (int d = 0; d < 8; ++d)
                        sum += g.h[std::size_t(g.index(i + di[d], j + dj[d]))];
                    next[k] = std::max(bed[k], 0.5f * g.h[k] + 0.5f * sum / 8.f);
                }
            }
            g.h.swap(next);
            next = g.h;
        }
    }

    // Relief: height above the mean of the surrounding 1.5 km, by a box blur
    // done as running sums along rows and columns.
    const int r = std::max(1, int(1500.0 / g.cell));
    std::vector<float> tmp(count), mean(count);
    for (int j = 0; j < ny; ++j) {
        double sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += g.at(g.h, i, j);
        for (int i = 0; i < nx; ++i) {
            tmp[std::size_t(g.index(i, j))] = float(sum / (2 * r + 1));
            sum += g.at(g.h, i + r + 1, j) - g.at(g.h, i - r, j);
        }
    }
    for (int i = 0; i < nx; ++i) {
        double sum = 0;
        for (int j = -r; j <= r; ++j)
            sum += g.at(tmp, i, j);
        for (int j = 0; j < ny; ++j) {
            mean[std::size_t(g.index(i, j))] = float(sum / (2 * r + 1));
            sum += g.at(tmp, i, j + r + 1) - g.at(tmp, i, j - r);
        }
    }
    g.relief.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        g.relief[k] = g.h[k] - mean[k];

    g.slope.resize(count);
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const double dx = (g.at(g.h, i + 1, j) - g.at(g.h, i - 1, j)) / (2 * g.cell);
            const double dy = (g.at(g.h, i, j + 1) - g.at(g.h, i, j - 1)) / (2 * g.cell);
            g.slope[std::size_t(g.index(i, j))] = float(std::sqrt(dx * dx + dy * dy));
        }
    }

    // River lengths (names are given with the places).
    for (River& rv : rivers) {
        double len = 0;
        for (std::size_t i = 1; i < rv.points.size(); ++i)
            len += std::hypot(rv.points[i].x() - rv.points[i - 1].x(), rv.points[i].y() - rv.points[i - 1].y());
        rv.length = len;
    }
}

double World::gridHeight(double e, double n) const {
    return m_grid->bicubic(m_grid->h, e, n);
}

double World::gridSlope(double e, double n) const {
    return m_grid->bilinear(m_grid->slope, e, n);
}

double World::exactSlope(double e, double n) const {
    const double d = m_grid->cell;
    const double dx = (gridHeight(e + d, n) - gridHeight(e - d, n)) / (2 * d);
    const double dy = (gridHeight(e, n + d) - gridHeight(e, n - d)) / (2 * d);
    return std::sqrt(dx * dx + dy * dy);
}

double World::ground(double e, double n) const {
    const Grid& g = *m_grid;
    const double base = g.bicubic(g.h, e, n);
    // Small-scale roughness, kept out of the valley floors so that rivers
    // stay in their beds.
    const double rd = g.bilinear(g.riverDist, e, n);
    const double damp = smoothstep(60.0, 400.0, rd);
    return base + damp * (7.0 * m_detail->fbm(e / 450.0, n / 450.0, 3, 0.45));
}

bool World::isLake(double e, double n) const {
    return lakeValue(e, n) > 0.0;
}

double World::lakeValue(double e, double n) const {
    return m_grid->bilinear(m_grid->lakeDepth, e, n);
}

double World::riverDistance(double e, double n) const {
    return m_grid->bilinear(m_grid->riverDist, e, n);
}

double World::surface(double e, double n) const {
    if (isLake(e, n)) {
        int i = 0, j = 0;
        const Grid& g = *m_grid;
        g.nearest(e, n, i, j);
        // The nearest node may lie just outside the lake on its shore: look
        // around for a lake node.
        for (int r = 0; r <= 2; ++r) {
            for (int dj = -r; dj <= r; ++dj) {
                for (int di = -r; di <= r; ++di) {
                    const int id = g.lakeId[std::size_t(g.index(g.clampI(i + di), g.clampJ(j + dj)))];
                    if (id >= 0)
                        return lakes[std::size_t(id)].level;
                }
            }
        }
    }
    return ground(e, n);
}

bool World::insideState(double e, double n) const {
    return borderValue(e, n) > 0;
}

double World::borderValue(double e, double n) const {
    const GkBox& s = m_spec.state;
    const double u = (e - (s.e0 + s.e1) / 2) / (s.width() / 2);
    const double v = (n - (s.n0 + s.n1) / 2) / (s.height() / 2);
    const double r = std::pow(std::pow(std::fabs(u), 3.0) + std::pow(std::fabs(v), 3.0), 1.0 / 3.0);
    // The wobble of the border matters only near it.
    if (r < 0.8 || r > 1.06)
        return 0.93 - r;
    const double wobble = 0.07 * m_border->fbm(e / 9000.0, n / 9000.0, 4, 0.55);
    return 0.93 - (r + wobble);
}

double World::forestValue(double e, double n) const {
    const Grid& g = *m_grid;
    const double slope = gridSlope(e, n);
    const double relief = g.bilinear(g.relief, e, n);
    const double rd = g.bilinear(g.riverDist, e, n);
    double v = m_forest->fbm(e / 2600.0, n / 2600.0, 5, 0.55);
    // Steep and high ground is wooded, valley floors and gentle slopes are
    // farmland.
    v += 2.2 * (slope - 0.06) + 0.006 * relief - 0.35 * (1.0 - smoothstep(100.0, 500.0, rd));
    return v - 0.12;
}

Cover World::cover(double e, double n) const {
    if (!insideState(e, n))
        return Cover::Outside;
    if (isLake(e, n))
        return Cover::Water;
    if (settlementAt(e, n) >= 0)
        return Cover::Settlement;
    return forestAt(e, n) ? Cover::Forest : Cover::Open;
}

double World::settlementValue(double e, double n) const {
    if (m_buckets.empty())
        return -1;
    const int bx = int(std::floor((e - m_spec.state.e0) / BucketSize));
    const int by = int(std::floor((n - m_spec.state.n0) / BucketSize));
    double best = -1;
    for (int y = by - 1; y <= by + 1; ++y) {
        for (int x = bx - 1; x <= bx + 1; ++x) {
            if (x < 0 || y < 0 || x >= m_bucketsX || y >= m_bucketsY)
                continue;
            for (int idx : m_buckets[std::size_t(y * m_bucketsX + x)]) {
                const Settlement& s = settlements[std::size_t(idx)];
                const double dx = e - s.pos.x(), dy = n - s.pos.y();
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d > s.radius * 1.5)
                    continue;
                const double ang = std::atan2(dy, dx);
                const double wob =
                    1.0 + 0.28 * Noise(s.shapeSeed).at(std::cos(ang) * 1.5 + 10, std::sin(ang) * 1.5 + 10);
                best = std::max(best, 1.0 - d / (s.radius * wob));
            }
        }
    }
    return best;
}

int World::settlementAt(double e, double n) const {
    if (m_buckets.empty())
        return -1;
    const int bx = int(std::floor((e - m_spec.state.e0) / BucketSize));
    const int by = int(std::floor((n - m_spec.state.n0) / BucketSize));
    for (int y = by - 1; y <= by + 1; ++y) {
        for (int x = bx - 1; x <= bx + 1; ++x) {
            if (x < 0 || y < 0 || x >= m_bucketsX || y >= m_bucketsY)
                continue;
            for (int idx : m_buckets[std::size_t(y * m_bucketsX + x)]) {
                const Settlement& s = settlements[std::size_t(idx)];
                const double dx = e - s.pos.x(), dy = n - s.pos.y();
                const double d2 = dx * dx + dy * dy;
                const double rmax = s.radius * 1.4;
                if (d2 > rmax * rmax)
                    continue;
                // An irregular outline: the radius varies with the direction.
                const double ang = std::atan2(dy, dx);
                const double wob =
                    1.0 + 0.28 * Noise(s.shapeSeed).at(std::cos(ang) * 1.5 + 10, std::sin(ang) * 1.5 + 10);
                if (d2 < s.radius * s.radius * wob * wob)
                    return idx;
            }
        }
    }
    return -1;
}
