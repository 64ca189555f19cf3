// The generator's own pseudo-random numbers: a fixed-seed SplitMix64 sequence and a stateless
// integer hash for noise lattices. Every file the generator writes depends only on these, so
// two runs on any machine give the same bytes.
#pragma once

#include <cstdint>

namespace pelx {

// A sequence of 64-bit values from one seed (SplitMix64).
struct DataRandom {
    explicit DataRandom(uint64_t seed) : state(seed) {}

    uint64_t next() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), from the top 24 bits so every value is exact in a float.
    float uniform() { return float(next() >> 40) * (1.0f / 16777216.0f); }
    // Uniform in [low, high).
    float range(float low, float high) { return low + (high - low) * uniform(); }
    // Uniform integer in [0, count); count > 0.
    int below(int count) { return int((next() >> 33) % uint64_t(count)); }

    uint64_t state;
};

// A well-mixed 32-bit hash of a lattice point and a seed.
inline uint32_t hashPoint(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= uint32_t(x) * 0x85EBCA77u;
    h = (h ^ (h >> 15)) * 0x2C1B3C6Du;
    h ^= uint32_t(y) * 0xC2B2AE3Du;
    h = (h ^ (h >> 13)) * 0x297A2D39u;
    return h ^ (h >> 16);
}

// The hash as a float in [0, 1).
inline float hashUnit(int32_t x, int32_t y, uint32_t seed) {
    return float(hashPoint(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

} // namespace pelx
