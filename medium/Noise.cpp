#include "Noise.h"

#include <cmath>

namespace {

inline uint32_t hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

inline double fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// Dot product of the lattice gradient at (ix, iy) with the offset (dx, dy);
// 16 gradient directions evenly around the circle.
inline double grad(int32_t ix, int32_t iy, uint32_t seed, double dx, double dy) {
    static const double gx[16] = {1.0,  0.9239,  0.7071,  0.3827,  0.0, -0.3827, -0.7071, -0.9239,
                                  -1.0, -0.9239, -0.7071, -0.3827, 0.0, 0.3827,  0.7071,  0.9239};
    static const double gy[16] = {0.0, 0.3827,  0.7071,  0.9239,  1.0,  0.9239,  0.7071,  0.3827,
                                  0.0, -0.3827, -0.7071, -0.9239, -1.0, -0.9239, -0.7071, -0.3827};
    const uint32_t h = hash(ix, iy, seed) & 15u;
    return gx[h] * dx + gy[h] * dy;
}

} // namespace

double Noise::at(double x, double y) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int32_t ix = int32_t(fx);
    const int32_t iy = int32_t(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    const double n00 = grad(ix, iy, m_seed, dx, dy);
    const double n10 = grad(ix + 1, iy, m_seed, dx - 1, dy);
    const double n01 = grad(ix, iy + 1, m_seed, dx, dy - 1);
    const double n11 = grad(ix + 1, iy + 1, m_seed, dx - 1, dy - 1);
    const double u = fade(dx);
    const double v = fade(dy);
    const double a = n00 + u * (n10 - n00);
    const double b = n01 + u * (n11 - n01);
    return 1.4142 * (a + v * (b - a));
}

double Noise::fbm(double x, double y, int octaves, double gain) const {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        // Each octave gets its own lattice offset so that the layers do not
        // line up at the origin.
        sum += amp * Noise(m_seed + 1013u * uint32_t(o)).at(x + 17.31 * o, y - 9.77 * o);
        norm += amp;
        amp *= gain;
        x *= 2.0;
        y *= 2.0;
    }
    return sum / norm;
}

double Noise::ridged(double x, double y, int octaves, double gain) const {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        const double n = 1.0 - std::fabs(Noise(m_seed + 7919u * uint32_t(o)).at(x + 5.13 * o, y + 3.71 * o));
        sum += amp * n * n;
        norm += amp;
        amp *= gain;
        x *= 2.0;
        y *= 2.0;
    }
    return sum / norm * 2.0 - 1.0;
}
