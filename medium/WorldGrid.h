#pragma once

#include "World.h"

#include <algorithm>
#include <cmath>
#include <vector>

// The world's coarse terrain raster: nodes every `cell` metres from the
// south-west corner (e0, n0), row j northwards, column i eastwards.
struct World::Grid {
    double e0 = 0, n0 = 0, cell = 100;
    int nx = 0, ny = 0;
    std::vector<float> h;         // carved terrain height, metres
    std::vector<float> lakeDepth; // water depth in lakes, negative elsewhere
    std::vector<int> lakeId;      // lake index or -1
    std::vector<float> relief;    // height above the surrounding 1.5 km mean
    std::vector<float> riverDist; // metres to the nearest river node (capped)
    std::vector<float> flow;      // catchment in km²
    std::vector<float> slope;     // gradient, rise per metre
    std::vector<int> down;        // index of the downstream node or -1

    int index(int i, int j) const { return j * nx + i; }
    int clampI(int i) const { return std::clamp(i, 0, nx - 1); }
    int clampJ(int j) const { return std::clamp(j, 0, ny - 1); }
    float at(const std::vector<float>& v, int i, int j) const { return v[std::size_t(index(clampI(i), clampJ(j)))]; }
    double gx(double e) const { return (e - e0) / cell; }
    double gy(double n) const { return (n - n0) / cell; }
    QPointF node(int i, int j) const { return QPointF(e0 + i * cell, n0 + j * cell); }
    void nearest(double e, double n, int& i, int& j) const {
        i = clampI(int(std::lround(gx(e))));
        j = clampJ(int(std::lround(gy(n))));
    }

    double bilinear(const std::vector<float>& v, double e, double n) const {
        const double x = gx(e), y = gy(n);
        const double fx = std::floor(x), fy = std::floor(y);
        const int i = int(fx), j = int(fy);
        const double tx = x - fx, ty = y - fy;
        const double a = at(v, i, j) + (at(v, i + 1, j) - at(v, i, j)) * tx;
        const double b = at(v, i, j + 1) + (at(v, i + 1, j + 1) - at(v, i, j + 1)) * tx;
        return a + (b - a) * ty;
    }

    // Catmull-Rom interpolation: continuous slopes, so hill shading shows no
    // facets along the grid lines.
    double bicubic(const std::vector<float>& v, double e, double n) const {
        const double x = gx(e), y = gy(n);
        const double fx = std::floor(x), fy = std::floor(y);
        const int i = int(fx), j = int(fy);
        const double tx = x - fx, ty = y - fy;
        double col[4];
        for (int k = 0; k < 4; ++k) {
            const int jj = j - 1 + k;
            col[k] = cubic(at(v, i - 1, jj), at(v, i, jj), at(v, i + 1, jj), at(v, i + 2, jj), tx);
        }
        return cubic(col[0], col[1], col[2], col[3], ty);
    }

    static double cubic(double p0, double p1, double p2, double p3, double t) {
        return p1 + 0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
    }
};
