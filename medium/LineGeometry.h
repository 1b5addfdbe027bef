#pragma once

#include <QPointF>

#include <vector>

// Smoothing of generated lines (rivers, roads, rails): Douglas-Peucker
// simplification with tolerance `tol` metres, then `iterations` rounds of
// Chaikin corner cutting; the end points stay where they are.
std::vector<QPointF> smoothLine(const std::vector<QPointF>& raw, double tol, int iterations);
