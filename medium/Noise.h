#pragma once

#include <cstdint>

// Two-dimensional gradient noise (lattice gradients from an integer hash, so
// it needs no tables and is the same on every machine) and its fractal sums.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_seed(seed) {}

    // Noise at (x, y) in lattice units, roughly in [-1, 1], smooth (C2).
    double at(double x, double y) const;

    // Fractal sum of `octaves` layers, each at twice the frequency and `gain`
    // times the amplitude of the one before, normalised to about [-1, 1].
    double fbm(double x, double y, int octaves, double gain = 0.5) const;

    // Ridged variant: sharp crests where the noise crosses zero.
    double ridged(double x, double y, int octaves, double gain = 0.5) const;

private:
    uint32_t m_seed;
};
