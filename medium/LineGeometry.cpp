#include "LineGeometry.h"

#include <cmath>

namespace {

double dist(const QPointF& a, const QPointF& b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// Douglas-Peucker simplification with tolerance `tol` metres.
void simplify(const std::vector<QPointF>& in, std::size_t a, std::size_t b, double tol, std::vector<char>& keep) {
    if (b <= a + 1)
        return;
    const QPointF pa = in[a], pb = in[b];
    const double len = std::max(1e-9, dist(pa, pb));
    double worst = -1;
    std::size_t at = a;
    for (std::size_t i = a + 1; i < b; ++i) {
        const double d =
            std::fabs((pb.x() - pa.x()) * (pa.y() - in[i].y()) - (pa.x() - in[i].x()) * (pb.y() - pa.y())) / len;
        if (d > worst) {
            worst = d;
            at = i;
        }
    }
    if (worst > tol) {
        keep[at] = 1;
        simplify(in, a, at, tol, keep);
        simplify(in, at, b, tol, keep);
    }
}

} // namespace

std::vector<QPointF> smoothLine(const std::vector<QPointF>& raw, double tol, int iterations) {
    if (raw.size() < 3)
        return raw;
    std::vector<char> keep(raw.size(), 0);
    keep.front() = keep.back() = 1;
    simplify(raw, 0, raw.size() - 1, tol, keep);
    std::vector<QPointF> pts;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (keep[i])
            pts.push_back(raw[i]);
    }
    // Chaikin corner cutting keeps the end points.
    for (int it = 0; it < iterations && pts.size() >= 3; ++it) {
        std::vector<QPointF> out;
        out.push_back(pts.front());
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            const QPointF a = pts[i], b = pts[i + 1];
            out.push_back(a * 0.75 + b * 0.25);
            out.push_back(a * 0.25 + b * 0.75);
        }
        out.push_back(pts.back());
        pts.swap(out);
    }
    return pts;
}
