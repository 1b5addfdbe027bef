#pragma once

#include <cmath>
#include <cstdint>
#include <random>

// The one source of randomness of the world generator. std::mt19937 is
// specified bit for bit, but the standard distributions are not (their output
// differs between library versions), so the distributions are written out
// here: the same seed gives the same medium everywhere.
class Rng {
public:
    explicit Rng(uint32_t seed) : m_engine(seed) {}

    uint32_t next() { return uint32_t(m_engine()); }

    // Uniform in [0, 1) with 53 random bits.
    double uniform() {
        const uint64_t a = next() >> 5; // 27 bits
        const uint64_t b = next() >> 6; // 26 bits
        return double((a << 26) | b) * (1.0 / 9007199254740992.0);
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    // Uniform integer in [lo, hi].
    int range(int lo, int hi) {
        if (hi <= lo)
            return lo;
        const uint64_t span = uint64_t(int64_t(hi) - int64_t(lo) + 1);
        return int(int64_t(lo) + int64_t(uint64_t(uniform() * double(span)) % span));
    }

    bool chance(double p) { return uniform() < p; }

    // Standard normal by Box-Muller (both values drawn, one used, so that the
    // stream of draws does not depend on earlier calls).
    double normal() {
        double u1 = uniform();
        const double u2 = uniform();
        if (u1 < 1e-300)
            u1 = 1e-300;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

    // A derived seed for an independent stream (one per generation step, so
    // that changing one step does not reshuffle the others).
    static uint32_t derive(uint32_t seed, uint32_t salt) {
        uint32_t h = seed * 0x9E3779B1u ^ (salt + 0x7F4A7C15u);
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
        return h;
    }

private:
    std::mt19937 m_engine;
};
