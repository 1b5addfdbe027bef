// Places, administrative units, traffic and points of interest of the world.
#include "World.h"

#include "LineGeometry.h"
#include "NameGenerator.h"
#include "Noise.h"
#include "Rng.h"
#include "WorldGrid.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <queue>

namespace {

enum Salt : uint32_t {
    SaltSettlements = 100,
    SaltNames,
    SaltAdmin,
    SaltRoads,
    SaltBuildings,
    SaltPeaks,
    SaltPois,
    SaltTerritory,
};

double dist(const QPointF& a, const QPointF& b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

QString plainAscii(QString s) {
    s = s.toLower();
    s.replace(QStringLiteral("ä"), QStringLiteral("ae"));
    s.replace(QStringLiteral("ö"), QStringLiteral("oe"));
    s.replace(QStringLiteral("ü"), QStringLiteral("ue"));
    s.replace(QStringLiteral("ß"), QStringLiteral("ss"));
    QString out;
    for (QChar c : s) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += c;
        else if (c == QLatin1Char(' ') || c == QLatin1Char('-'))
            out += QLatin1Char('-');
    }
    return out;
}

} // namespace

void World::placeSettlements() {
    const Grid& g = *m_grid;
    Rng rng(Rng::derive(m_spec.seed, SaltSettlements));
    NameGenerator names(Rng::derive(m_spec.seed, SaltNames));
    const GkBox& st = m_spec.state;

    // Rivers long enough get names; the big ones get short old names.
    std::vector<std::size_t> byFlow(rivers.size());
    std::iota(byFlow.begin(), byFlow.end(), 0);
    std::sort(byFlow.begin(), byFlow.end(), [&](std::size_t a, std::size_t b) {
        return rivers[a].flow.back() > rivers[b].flow.back() ||
               (rivers[a].flow.back() == rivers[b].flow.back() && a < b);
    });
    for (std::size_t idx : byFlow) {
        River& r = rivers[idx];
        if (r.length < 2500)
            continue;
        r.name = names.river(r.flow.back() > 150.f);
    }
    for (Lake& l : lakes)
        l.name = names.lake();

    m_bucketsX = int(std::ceil(st.width() / BucketSize)) + 1;
    m_bucketsY = int(std::ceil(st.height() / BucketSize)) + 1;
    m_buckets.assign(std::size_t(m_bucketsX * m_bucketsY), {});
    auto bucketOf = [&](const QPointF& p, int& bx, int& by) {
        bx = std::clamp(int(std::floor((p.x() - st.e0) / BucketSize)), 0, m_bucketsX - 1);
        by = std::clamp(int(std::floor((p.y() - st.n0) / BucketSize)), 0, m_bucketsY - 1);
    };
    auto nearestDistance = [&](const QPointF& p) {
        int bx = 0, by = 0;
        bucketOf(p, bx, by);
        double best = 1e18;
        for (int y = by - 1; y <= by + 1; ++y) {
            for (int x = bx - 1; x <= bx + 1; ++x) {
                if (x < 0 || y < 0 || x >= m_bucketsX || y >= m_bucketsY)
                    continue;
                for (int i : m_buckets[std::size_t(y * m_bucketsX + x)])
                    best = std::min(best, dist(p, settlements[std::size_t(i)].pos));
            }
        }
        return best;
    };

    struct Candidate {
        QPointF pos;
        double score;
    };
    std::vector<Candidate> accepted;
    const double areaKm2 = st.width() * st.height() / 1e6;
    const int attempts = int(areaKm2 * 12);
    for (int a = 0; a < attempts; ++a) {
        const QPointF p(rng.uniform(st.e0, st.e1), rng.uniform(st.n0, st.n1));
        const double u = rng.uniform();
        if (!insideState(p.x(), p.y()) || isLake(p.x(), p.y()))
            continue;
        const double slope = gridSlope(p.x(), p.y());
        const double relief = g.bilinear(g.relief, p.x(), p.y());
        const double rd = g.bilinear(g.riverDist, p.x(), p.y());
        const double lakeNear = g.bilinear(g.lakeDepth, p.x(), p.y());
        if (slope > 0.16 || rd < 90 || lakeNear > -3.0)
            continue;
        double score = std::exp(-slope * 14.0) * (relief < 0 ? 1.0 : std::exp(-relief / 35.0));
        if (rd < 900)
            score *= 1.5;
        if (u > score * 0.7)
            continue;
        if (nearestDistance(p) < 1300)
            continue;
        Settlement s;
        s.pos = p;
        s.height = ground(p.x(), p.y());
        s.shapeSeed = rng.next();
        int bx = 0, by = 0;
        bucketOf(p, bx, by);
        m_buckets[std::size_t(by * m_bucketsX + bx)].push_back(int(settlements.size()));
        settlements.push_back(s);
        accepted.push_back({p, score + 0.6 * rng.uniform() + (rd < 700 ? 0.5 : 0.0)});
    }

    // Ranks: the best-placed places become towns and cities, spaced apart.
    std::vector<int> order(settlements.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return accepted[std::size_t(a)].score > accepted[std::size_t(b)].score ||
               (accepted[std::size_t(a)].score == accepted[std::size_t(b)].score && a < b);
    });
    std::vector<int> cities, towns;
    for (int idx : order) {
        Settlement& s = settlements[std::size_t(idx)];
        bool farFromCities = true, farFromTowns = true;
        for (int c : cities)
            farFromCities = farFromCities && dist(s.pos, settlements[std::size_t(c)].pos) > 18000;
        for (int t : towns)
            farFromTowns = farFromTowns && dist(s.pos, settlements[std::size_t(t)].pos) > 6500;
        for (int c : cities)
            farFromTowns = farFromTowns && dist(s.pos, settlements[std::size_t(c)].pos) > 6500;
        if (farFromCities && cities.size() < std::size_t(std::max(1.0, areaKm2 / 1500.0))) {
            s.rank = 0;
            cities.push_back(idx);
        } else if (farFromTowns) {
            s.rank = 1;
            towns.push_back(idx);
        } else {
            s.rank = rng.chance(0.4) ? 3 : 2;
        }
    }
    // The region of the CD shows at least one town.
    bool regionTown = false;
    for (const Settlement& s : settlements)
        regionTown = regionTown || (s.rank <= 1 && m_spec.region.contains(s.pos));
    if (!regionTown) {
        for (int idx : order) {
            Settlement& s = settlements[std::size_t(idx)];
            if (m_spec.region.contains(s.pos) && s.rank >= 2) {
                s.rank = 1;
                break;
            }
        }
    }
    for (Settlement& s : settlements) {
        switch (s.rank) {
        case 0:
            s.radius = rng.uniform(1000, 1400);
            break;
        case 1:
            s.radius = rng.uniform(480, 720);
            break;
        case 2:
            s.radius = rng.uniform(190, 330);
            break;
        default:
            s.radius = rng.uniform(75, 130);
            break;
        }
        // The nearest named river within 1.5 km may lend its name.
        QString stem;
        double best = 1500;
        for (const River& r : rivers) {
            if (r.name.isEmpty())
                continue;
            for (std::size_t i = 0; i < r.points.size(); i += 3) {
                const double d = dist(r.points[i], s.pos);
                if (d < best) {
                    best = d;
                    stem = NameGenerator::stemOf(r.name);
                }
            }
        }
        s.name = names.place(s.rank, stem);
    }
}

int World::municipalityAt(double e, double n) const {
    if (!insideState(e, n) || m_buckets.empty())
        return -1;
    const GkBox& st = m_spec.state;
    const int bx = int(std::floor((e - st.e0) / BucketSize));
    const int by = int(std::floor((n - st.n0) / BucketSize));
    // Territories are weighted Voronoi cells of the places, with a warped
    // distance so that the boundaries wind like real ones.
    const double warp = 1.0 + 0.22 * m_warp->fbm(e / 1800.0, n / 1800.0, 3, 0.5);
    for (int ring = 2; ring <= 8; ring += 2) {
        double best = 1e18;
        int found = -1;
        for (int y = by - ring; y <= by + ring; ++y) {
            for (int x = bx - ring; x <= bx + ring; ++x) {
                if (x < 0 || y < 0 || x >= m_bucketsX || y >= m_bucketsY)
                    continue;
                for (int i : m_buckets[std::size_t(y * m_bucketsX + x)]) {
                    const Settlement& s = settlements[std::size_t(i)];
                    const double w = s.rank == 0 ? 2.2 : s.rank == 1 ? 1.5 : s.rank == 2 ? 1.0 : 0.7;
                    const double dx = e - s.pos.x(), dy = n - s.pos.y();
                    const double d = std::sqrt(dx * dx + dy * dy) / w *
                                     (1.0 + 0.3 * Noise(s.shapeSeed + 7).at(dx / 1500.0, dy / 1500.0)) * warp;
                    if (d < best) {
                        best = d;
                        found = s.municipality;
                    }
                }
            }
        }
        if (found >= 0)
            return found;
    }
    return -1;
}

void World::buildAdministration() {
    Rng rng(Rng::derive(m_spec.seed, SaltAdmin));
    NameGenerator names(Rng::derive(m_spec.seed, SaltAdmin + 1000));
    // Municipalities: every town and village holds one; hamlets and some
    // villages next to a town are parts of their neighbour.
    std::vector<int> mains;
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        Settlement& s = settlements[i];
        if (s.rank <= 2) {
            bool merged = false;
            if (s.rank == 2 && rng.chance(0.35)) {
                for (std::size_t k = 0; k < settlements.size(); ++k) {
                    const Settlement& t = settlements[k];
                    if (t.rank <= 1 && dist(t.pos, s.pos) < 3200 && t.municipality >= 0) {
                        s.municipality = t.municipality;
                        municipalities[std::size_t(t.municipality)].parts.push_back(int(i));
                        merged = true;
                        break;
                    }
                }
            }
            if (merged)
                continue;
            Municipality m;
            m.name = s.name;
            m.main = int(i);
            m.parts.push_back(int(i));
            s.municipality = int(municipalities.size());
            municipalities.push_back(m);
            mains.push_back(int(i));
        }
    }
    // Towns may have come after their merged villages were looked at; the
    // order of `settlements` is random, so a second pass merges the rest.
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        Settlement& s = settlements[i];
        if (s.municipality >= 0)
            continue;
        double best = 1e18;
        int m = -1;
        for (int k : mains) {
            const double d = dist(settlements[std::size_t(k)].pos, s.pos);
            if (d < best) {
                best = d;
                m = settlements[std::size_t(k)].municipality;
            }
        }
        if (m < 0) {
            Municipality mu;
            mu.name = s.name;
            mu.main = int(i);
            m = int(municipalities.size());
            municipalities.push_back(mu);
            mains.push_back(int(i));
        }
        s.municipality = m;
        municipalities[std::size_t(m)].parts.push_back(int(i));
    }

    // Associations around the towns and cities, districts around some of
    // them; every unit lies wholly inside the one above it because it is
    // made of whole units of the level below.
    std::vector<int> assocSeats;
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        if (settlements[i].rank <= 1)
            assocSeats.push_back(int(i));
    }
    if (assocSeats.empty() && !settlements.empty())
        assocSeats.push_back(0);
    std::vector<int> districtSeats;
    for (int a : assocSeats) {
        bool far = true;
        for (int d : districtSeats)
            far = far && dist(settlements[std::size_t(a)].pos, settlements[std::size_t(d)].pos) > 24000;
        if (far)
            districtSeats.push_back(a);
    }
    for (int d : districtSeats) {
        District dist;
        dist.name = (rng.chance(0.5) ? QStringLiteral("Landkreis ") : QStringLiteral("Kreis ")) +
                    settlements[std::size_t(d)].name;
        districts.push_back(dist);
    }
    for (int a : assocSeats) {
        Association as;
        const Settlement& seat = settlements[std::size_t(a)];
        as.name = (seat.rank == 0 ? QStringLiteral("Stadt ") : QStringLiteral("Verbandsgemeinde ")) + seat.name;
        double best = 1e18;
        for (std::size_t d = 0; d < districtSeats.size(); ++d) {
            const double dd = dist(seat.pos, settlements[std::size_t(districtSeats[d])].pos);
            if (dd < best) {
                best = dd;
                as.district = int(d);
            }
        }
        associations.push_back(as);
    }
    for (Municipality& m : municipalities) {
        const QPointF p = settlements[std::size_t(m.main)].pos;
        double best = 1e18;
        for (std::size_t a = 0; a < assocSeats.size(); ++a) {
            const double d = dist(p, settlements[std::size_t(assocSeats[a])].pos);
            if (d < best) {
                best = d;
                m.association = int(a);
            }
        }
    }
    // A hamlet whose own territory would lie inside another municipality's
    // is reassigned to the municipality its site belongs to, so that places
    // and territories agree.
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        Settlement& s = settlements[i];
        const int m = municipalityAt(s.pos.x(), s.pos.y());
        if (m >= 0 && m != s.municipality && s.rank == 3) {
            auto& parts = municipalities[std::size_t(s.municipality)].parts;
            if (municipalities[std::size_t(s.municipality)].main == int(i))
                continue;
            parts.erase(std::remove(parts.begin(), parts.end(), int(i)), parts.end());
            s.municipality = m;
            municipalities[std::size_t(m)].parts.push_back(int(i));
        }
    }
    (void)names;
}

std::vector<QPointF> World::routeOnGrid(QPointF from, QPointF to, double slopeWeight, bool avoidWater) const {
    const Grid& g = *m_grid;
    int i0 = 0, j0 = 0, i1 = 0, j1 = 0;
    g.nearest(from.x(), from.y(), i0, j0);
    g.nearest(to.x(), to.y(), i1, j1);
    // Search inside the box of both ends with a margin, in local arrays.
    const int margin = int(3000 / g.cell) + 2;
    const int bi0 = std::max(0, std::min(i0, i1) - margin), bi1 = std::min(g.nx - 1, std::max(i0, i1) + margin);
    const int bj0 = std::max(0, std::min(j0, j1) - margin), bj1 = std::min(g.ny - 1, std::max(j0, j1) + margin);
    const int w = bi1 - bi0 + 1, h = bj1 - bj0 + 1;
    std::vector<float> cost(std::size_t(w * h), 1e30f);
    std::vector<int> prev(std::size_t(w * h), -1);
    auto local = [&](int i, int j) { return (j - bj0) * w + (i - bi0); };
    using Item = std::pair<float, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    const int start = local(i0, j0), goal = local(i1, j1);
    cost[std::size_t(start)] = 0;
    open.push({0.f, start});
    static const int di[8] = {1, -1, 0, 0, 1, 1, -1, -1};
    static const int dj[8] = {0, 0, 1, -1, 1, -1, 1, -1};
    auto heuristic = [&](int i, int j) { return float(std::hypot(double(i - i1), double(j - j1)) * g.cell); };
    while (!open.empty()) {
        const auto [f, k] = open.top();
        open.pop();
        if (k == goal)
            break;
        const int i = bi0 + k % w, j = bj0 + k / w;
        const float ck = cost[std::size_t(k)];
        if (f - heuristic(i, j) > ck + 0.5f)
            continue;
        const float hk = g.h[std::size_t(g.index(i, j))];
        for (int d = 0; d < 8; ++d) {
            const int ii = i + di[d], jj = j + dj[d];
            if (ii < bi0 || jj < bj0 || ii > bi1 || jj > bj1)
                continue;
            const std::size_t gk = std::size_t(g.index(ii, jj));
            if (avoidWater && g.lakeId[gk] >= 0)
                continue;
            const double len = g.cell * (d < 4 ? 1.0 : 1.41421);
            const double grade = (g.h[gk] - hk) / len;
            double step = len * (1.0 + slopeWeight * grade * grade * 100.0);
            if (g.riverDist[gk] < 1.0f)
                step += 250.0; // bridges are dear
            const int kk = local(ii, jj);
            const float nc = ck + float(step);
            if (nc < cost[std::size_t(kk)]) {
                cost[std::size_t(kk)] = nc;
                prev[std::size_t(kk)] = k;
                open.push({nc + heuristic(ii, jj), kk});
            }
        }
    }
    std::vector<QPointF> path;
    if (prev[std::size_t(goal)] < 0 && goal != start)
        return {from, to};
    for (int k = goal; k >= 0; k = prev[std::size_t(k)])
        path.push_back(g.node(bi0 + k % w, bj0 + k / w));
    std::reverse(path.begin(), path.end());
    path.front() = from;
    path.back() = to;
    return smoothLine(path, 30.0, 3);
}

void World::buildRoads() {
    Rng rng(Rng::derive(m_spec.seed, SaltRoads));
    const std::size_t n = settlements.size();
    struct Edge {
        int a, b;
        double d;
    };
    std::vector<Edge> edges;
    auto addEdge = [&](int a, int b) {
        if (a > b)
            std::swap(a, b);
        for (const Edge& e : edges) {
            if (e.a == a && e.b == b)
                return;
        }
        edges.push_back({a, b, dist(settlements[std::size_t(a)].pos, settlements[std::size_t(b)].pos)});
    };
    for (std::size_t i = 0; i < n; ++i) {
        const Settlement& s = settlements[i];
        std::vector<std::pair<double, int>> near;
        for (std::size_t k = 0; k < n; ++k) {
            if (k == i)
                continue;
            const double d = dist(s.pos, settlements[k].pos);
            const bool bothBig = s.rank <= 1 && settlements[k].rank <= 1;
            if (d < (bothBig ? 26000 : 5500))
                near.push_back({d + (bothBig ? 0 : 1e6), int(k)});
        }
        std::sort(near.begin(), near.end());
        const int want = s.rank <= 1 ? 4 : s.rank == 2 ? 2 : 1;
        int bigWanted = s.rank <= 1 ? 2 : 0;
        int taken = 0;
        for (const auto& [d, k] : near) {
            if (d < 1e6) {
                if (bigWanted-- > 0)
                    addEdge(int(i), k);
                continue;
            }
            if (taken++ >= want)
                break;
            addEdge(int(i), k);
        }
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge& x, const Edge& y) { return x.d < y.d || (x.d == y.d && x.a < y.a); });
    for (const Edge& e : edges) {
        const Settlement& a = settlements[std::size_t(e.a)];
        const Settlement& b = settlements[std::size_t(e.b)];
        Road r;
        const int best = std::min(a.rank, b.rank), worst = std::max(a.rank, b.rank);
        if (worst <= 1)
            r.cls = RoadClass::Federal;
        else if (best <= 1)
            r.cls = RoadClass::State;
        else if (worst == 3)
            r.cls = RoadClass::Local;
        else
            r.cls = RoadClass::District;
        r.points = routeOnGrid(a.pos, b.pos, r.cls == RoadClass::Federal ? 2.0 : 4.0, true);
        roads.push_back(std::move(r));
    }
    (void)rng;
}

void World::buildRailway() {
    std::vector<int> towns;
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        if (settlements[i].rank <= 1)
            towns.push_back(int(i));
    }
    if (towns.size() < 2)
        return;
    // One line from the westernmost town through the nearest towns in turn.
    std::sort(towns.begin(), towns.end(),
              [&](int a, int b) { return settlements[std::size_t(a)].pos.x() < settlements[std::size_t(b)].pos.x(); });
    std::vector<char> visited(towns.size(), 0);
    std::size_t cur = 0;
    visited[0] = 1;
    std::vector<QPointF> line;
    while (true) {
        double best = 22000;
        std::size_t next = towns.size();
        for (std::size_t k = 0; k < towns.size(); ++k) {
            if (visited[k])
                continue;
            const double d = dist(settlements[std::size_t(towns[cur])].pos, settlements[std::size_t(towns[k])].pos);
            if (d < best) {
                best = d;
                next = k;
            }
        }
        if (next == towns.size())
            break;
        visited[next] = 1;
        const auto part = routeOnGrid(settlements[std::size_t(towns[cur])].pos,
                                      settlements[std::size_t(towns[next])].pos, 25.0, true);
        if (!line.empty())
            line.pop_back();
        line.insert(line.end(), part.begin(), part.end());
        cur = next;
    }
    if (line.size() < 2)
        return;
    railways.push_back(line);
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        const Settlement& s = settlements[i];
        if (s.rank == 3)
            continue;
        double best = 1e18;
        QPointF at;
        for (const QPointF& p : line) {
            const double d = dist(p, s.pos);
            if (d < best) {
                best = d;
                at = p;
            }
        }
        if (best < s.radius + 150)
            stations.push_back({at, int(i)});
    }
}

void World::buildBuildings() {
    Rng rng(Rng::derive(m_spec.seed, SaltBuildings));
    GkBox area = m_spec.region;
    area.e0 -= 1500;
    area.n0 -= 1500;
    area.e1 += 1500;
    area.n1 += 1500;
    for (std::size_t si = 0; si < settlements.size(); ++si) {
        const Settlement& s = settlements[si];
        if (!area.contains(s.pos))
            continue;
        // Streets of the place: lanes from near the centre outwards, then
        // side streets branching off them at right angles.
        const int mainStreets = s.rank == 0 ? 12 : s.rank == 1 ? 7 : s.rank == 2 ? 3 : 1;
        const int sideStreets = s.rank == 0 ? 34 : s.rank == 1 ? 16 : s.rank == 2 ? 5 : 1;
        std::vector<std::vector<QPointF>> lines;
        auto addStreet = [&](QPointF p, double ang, double len) {
            std::vector<QPointF> raw{p};
            const int steps = 4;
            for (int t = 0; t < steps; ++t) {
                ang += rng.uniform(-0.3, 0.3);
                p += QPointF(std::cos(ang), std::sin(ang)) * (len / steps);
                raw.push_back(p);
            }
            Road r;
            r.cls = RoadClass::Local;
            r.points = smoothLine(raw, 0.5, 2);
            roads.push_back(r);
            lines.push_back(r.points);
        };
        for (int k = 0; k < mainStreets; ++k) {
            const QPointF p = s.pos + QPointF(rng.uniform(-0.2, 0.2), rng.uniform(-0.2, 0.2)) * s.radius;
            addStreet(p, rng.uniform(0, 6.283185307179586), s.radius * rng.uniform(0.8, 1.15));
        }
        for (int k = 0; k < sideStreets && !lines.empty(); ++k) {
            const auto& base = lines[std::size_t(rng.range(0, int(lines.size()) - 1))];
            if (base.size() < 3)
                continue;
            const std::size_t at = std::size_t(rng.range(1, int(base.size()) - 2));
            const QPointF d = base[at + 1] - base[at - 1];
            const double ang = std::atan2(d.y(), d.x()) + (rng.chance(0.5) ? 1.5708 : -1.5708);
            const double len = s.radius * rng.uniform(0.25, 0.55);
            const QPointF end = base[at] + QPointF(std::cos(ang), std::sin(ang)) * len;
            if (settlementAt(end.x(), end.y()) != int(si))
                continue;
            addStreet(base[at], ang, len);
        }
        for (const Road& r : roads) {
            if (r.cls == RoadClass::Local && std::find(lines.begin(), lines.end(), r.points) != lines.end())
                continue;
            bool near = false;
            for (const QPointF& p : r.points)
                near = near || dist(p, s.pos) < s.radius * 1.4;
            if (near)
                lines.push_back(r.points);
        }
        // Houses along the streets, turned to face them.
        const double step = s.rank == 0 ? 17 : 21;
        for (const auto& line : lines) {
            // Walk along the street by distance; a house every `step`
            // metres or so on either side.
            double next = rng.uniform(0, step), walked = 0;
            for (std::size_t i = 0; i + 1 < line.size(); ++i) {
                const QPointF a = line[i], b = line[i + 1];
                const double len = dist(a, b);
                if (len < 1e-6)
                    continue;
                const QPointF dir = (b - a) / len;
                const QPointF nrm(-dir.y(), dir.x());
                while (next < walked + len) {
                    const double t = next - walked;
                    next += step * rng.uniform(0.8, 1.3);
                    for (int side : {-1, 1}) {
                        if (rng.chance(0.18))
                            continue;
                        const double along = rng.uniform(11, 18), across = rng.uniform(9, 13);
                        const double off = 8 + across / 2 + rng.uniform(0, 4);
                        const QPointF c = a + dir * t + nrm * (side * off);
                        if (settlementAt(c.x(), c.y()) != int(si) || isLake(c.x(), c.y()))
                            continue;
                        const QPointF u = dir * (along / 2), v = nrm * (across / 2);
                        QPolygonF poly;
                        poly << c - u - v << c + u - v << c + u + v << c - u + v;
                        buildings.push_back(poly);
                    }
                }
                walked += len;
            }
        }
    }
}

void World::placePeaks() {
    const Grid& g = *m_grid;
    Rng rng(Rng::derive(m_spec.seed, SaltPeaks));
    NameGenerator names(Rng::derive(m_spec.seed, SaltPeaks + 1000));
    std::vector<std::pair<float, int>> cands;
    for (int j = 1; j < g.ny - 1; ++j) {
        for (int i = 1; i < g.nx - 1; ++i) {
            const int k = g.index(i, j);
            const float h = g.h[std::size_t(k)];
            bool top = g.relief[std::size_t(k)] > 35.f;
            for (int dj = -2; dj <= 2 && top; ++dj) {
                for (int di = -2; di <= 2 && top; ++di) {
                    if ((di || dj) && g.at(g.h, i + di, j + dj) >= h)
                        top = false;
                }
            }
            if (top)
                cands.push_back({-g.relief[std::size_t(k)], k});
        }
    }
    std::sort(cands.begin(), cands.end());
    for (const auto& [r, k] : cands) {
        QPointF p = g.node(k % g.nx, k / g.nx);
        if (!insideState(p.x(), p.y()) || settlementAt(p.x(), p.y()) >= 0)
            continue;
        bool far = true;
        for (const Peak& q : peaks)
            far = far && dist(q.pos, p) > 1800;
        if (!far)
            continue;
        // The summit itself: the highest point of the fine terrain nearby.
        double best = ground(p.x(), p.y());
        QPointF at = p;
        for (int dy = -4; dy <= 4; ++dy) {
            for (int dx = -4; dx <= 4; ++dx) {
                const QPointF q = p + QPointF(dx * 15.0, dy * 15.0);
                const double h = ground(q.x(), q.y());
                if (h > best) {
                    best = h;
                    at = q;
                }
            }
        }
        Peak pk;
        pk.pos = at;
        pk.height = best;
        pk.name = names.hill();
        peaks.push_back(pk);
    }
    (void)rng;
}

void World::placePois() {
    Rng rng(Rng::derive(m_spec.seed, SaltPois));
    NameGenerator names(Rng::derive(m_spec.seed, SaltPois + 1000));
    GkBox inner = m_spec.region;
    inner.e0 += 150;
    inner.n0 += 150;
    inner.e1 -= 150;
    inner.n1 -= 150;

    auto municipalityOf = [&](int si) -> const Municipality& {
        return municipalities[std::size_t(settlements[std::size_t(si)].municipality)];
    };
    auto addressOf = [&](Poi& p, int si) {
        const Settlement& s = settlements[std::size_t(si)];
        const Municipality& m = municipalityOf(si);
        p.street = names.street() + QLatin1Char(' ') + QString::number(rng.range(1, 48));
        const int plz = 66000 + (settlements[std::size_t(m.main)].shapeSeed % 1900u) * 1 + 0;
        p.plzOrt = QString::number(plz) + QLatin1Char(' ') + s.name;
        p.vorwahl = QStringLiteral("06") + QString::number(300 + (m.association * 37) % 600);
        p.telefon = QString::number(rng.range(1000, 99999));
        if (rng.chance(0.6))
            p.fax = QString::number(rng.range(1000, 99999));
        if (rng.chance(0.7))
            p.email = QStringLiteral("info@") + plainAscii(p.name).left(24) + QStringLiteral(".de");
        p.settlement = si;
    };
    auto spotIn = [&](int si, QPointF& out) {
        const Settlement& s = settlements[std::size_t(si)];
        for (int a = 0; a < 60; ++a) {
            const QPointF q = s.pos + QPointF(rng.uniform(-0.6, 0.6), rng.uniform(-0.6, 0.6)) * s.radius;
            if (settlementAt(q.x(), q.y()) == si && inner.contains(q)) {
                out = q;
                return true;
            }
        }
        return false;
    };

    std::vector<int> local;
    for (std::size_t i = 0; i < settlements.size(); ++i) {
        if (inner.contains(settlements[i].pos))
            local.push_back(int(i));
    }
    std::sort(local.begin(), local.end(), [&](int a, int b) {
        return settlements[std::size_t(a)].rank < settlements[std::size_t(b)].rank ||
               (settlements[std::size_t(a)].rank == settlements[std::size_t(b)].rank && a < b);
    });
    for (int si : local) {
        const Settlement& s = settlements[std::size_t(si)];
        QPointF at;
        if (s.rank <= 2 && rng.chance(s.rank <= 1 ? 1.0 : 0.45) && spotIn(si, at)) {
            Poi p;
            p.category = 1;
            static const char* const kinds[] = {
                "Ev. Kirche", "Kath. Kirche St. Martin", "Historischer Marktplatz", "Alte Mühle",
                "Rathaus",    "Fachwerkhäuser"};
            p.name = QString::fromUtf8(kinds[rng.range(0, 5)]) + QLatin1Char(' ') + s.name;
            p.pos = at;
            addressOf(p, si);
            p.description = QStringLiteral("Sehenswertes Bauwerk im Ortskern von %1.").arg(s.name);
            pois.push_back(p);
        }
        if (s.rank <= 1 && spotIn(si, at)) {
            Poi p;
            p.category = 3;
            p.name = (rng.chance(0.5) ? QStringLiteral("Heimatmuseum ") : QStringLiteral("Museum im Alten Amtshaus ")) +
                     s.name;
            p.pos = at;
            addressOf(p, si);
            p.description = QStringLiteral("Sammlung zur Geschichte von %1 und Umgebung.").arg(s.name);
            pois.push_back(p);
        }
        if (s.rank <= 1 && rng.chance(0.8) && spotIn(si, at)) {
            Poi p;
            p.category = 2;
            p.name = QStringLiteral("Jugendherberge ") + s.name;
            p.pos = at;
            addressOf(p, si);
            p.description = QStringLiteral("Jugendherberge mit %1 Betten.").arg(rng.range(60, 180));
            pois.push_back(p);
        }
        if (s.rank <= 1 && rng.chance(0.5) && spotIn(si, at)) {
            Poi p;
            p.category = 4;
            p.name = QStringLiteral("Schloss ") + s.name;
            p.pos = at;
            addressOf(p, si);
            p.description = QStringLiteral("Barockes Schloss mit Park.");
            pois.push_back(p);
        }
    }
    // On the hills: castle ruins, towers and huts; by the water: camp sites.
    for (const Peak& pk : peaks) {
        if (!inner.contains(pk.pos))
            continue;
        int nearest = -1;
        double best = 1e18;
        for (int si : local) {
            const double d = dist(settlements[std::size_t(si)].pos, pk.pos);
            if (d < best) {
                best = d;
                nearest = si;
            }
        }
        if (nearest < 0)
            continue;
        const double u = rng.uniform();
        Poi p;
        p.pos = pk.pos + QPointF(rng.uniform(-20, 20), rng.uniform(-20, 20));
        if (u < 0.3) {
            p.category = 4;
            p.name = QStringLiteral("Burgruine ") + NameGenerator::stemOf(pk.name) + QStringLiteral("burg");
            p.description = QStringLiteral("Reste einer Höhenburg auf dem %1 (%2 m).").arg(pk.name).arg(int(pk.height));
        } else if (u < 0.6) {
            p.category = 5;
            p.name = names.person() + QStringLiteral("-Hütte");
            p.description = QStringLiteral("Bewirtschaftete Hütte am %1, geöffnet an Wochenenden.").arg(pk.name);
        } else {
            p.category = 1;
            p.name = QStringLiteral("Aussichtsturm ") + pk.name;
            p.description =
                QStringLiteral("Weiter Blick über das Land vom %1 (%2 m).").arg(pk.name).arg(int(pk.height));
        }
        addressOf(p, nearest);
        pois.push_back(p);
    }
    for (const Lake& l : lakes) {
        if (!inner.contains(l.centre))
            continue;
        int nearest = -1;
        double best = 1e18;
        for (int si : local) {
            const double d = dist(settlements[std::size_t(si)].pos, l.centre);
            if (d < best) {
                best = d;
                nearest = si;
            }
        }
        if (nearest < 0)
            continue;
        // The shore nearest to the place, a little inland.
        const QPointF toward = settlements[std::size_t(nearest)].pos - l.centre;
        const double len = std::max(1.0, std::hypot(toward.x(), toward.y()));
        QPointF q = l.centre;
        for (double t = 0; t < len && isLake(q.x(), q.y()); t += 10)
            q = l.centre + toward / len * t;
        q += toward / len * 60.0;
        if (!inner.contains(q))
            continue;
        Poi p;
        p.category = 6;
        p.name = QStringLiteral("Campingplatz am ") + l.name;
        p.pos = q;
        addressOf(p, nearest);
        p.description = QStringLiteral("Campingplatz am Ufer des %1.").arg(l.name);
        pois.push_back(p);
    }
    // Every category is found at least once in the region.
    for (int cat = 1; cat <= 6; ++cat) {
        bool present = false;
        for (const Poi& p : pois)
            present = present || p.category == cat;
        if (present || local.empty())
            continue;
        const int si = local[std::size_t(rng.range(0, int(local.size()) - 1))];
        Poi p;
        p.category = cat;
        const Settlement& s = settlements[std::size_t(si)];
        QPointF at = s.pos;
        if (cat == 5 || cat == 6) {
            // Outside the place, at the edge of its fields.
            at = s.pos + QPointF(s.radius + 250, 120);
            if (!inner.contains(at))
                at = s.pos - QPointF(s.radius + 250, 120);
            if (!inner.contains(at))
                at = s.pos;
        } else if (!spotIn(si, at)) {
            at = s.pos;
        }
        static const char* const fallbackNames[] = {"",           "Dorfkirche", "Jugendherberge", "Dorfmuseum",
                                                    "Wasserburg", "Waldhütte",  "Campingplatz"};
        p.name = QString::fromUtf8(fallbackNames[cat]) + QLatin1Char(' ') + s.name;
        p.pos = at;
        addressOf(p, si);
        p.description = QStringLiteral("Bei %1.").arg(s.name);
        pois.push_back(p);
    }
}
