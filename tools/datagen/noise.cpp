// Gradient and cellular noise on lattices that wrap around, built on the generator's own hash
// so that no library's random numbers or trigonometry can change a texture between machines.
#include "noise.h"

#include "data_random.h"

#include <cmath>

namespace pelx {

namespace {

// Sixteen unit gradients as constants (no sin/cos at run time).
constexpr float GRADIENTS[16][2] = {
    {1.0f, 0.0f},  {0.92388f, 0.38268f},   {0.70711f, 0.70711f},   {0.38268f, 0.92388f},
    {0.0f, 1.0f},  {-0.38268f, 0.92388f},  {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},
    {-1.0f, 0.0f}, {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f}, {0.38268f, -0.92388f},  {0.70711f, -0.70711f},  {0.92388f, -0.38268f},
};

int wrap(int value, int period) {
    int r = value % period;
    return r < 0 ? r + period : r;
}

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float corner(int ix, int iy, float fx, float fy, int periodX, int periodY, uint32_t seed) {
    const float* g = GRADIENTS[hashPoint(wrap(ix, periodX), wrap(iy, periodY), seed) & 15u];
    return g[0] * fx + g[1] * fy;
}

} // namespace

float gradientNoise(float x, float y, int period, uint32_t seed) {
    return gradientNoise(x, y, period, period, seed);
}

float gradientNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    float flx = std::floor(x), fly = std::floor(y);
    int ix = int(flx), iy = int(fly);
    float fx = x - flx, fy = y - fly;
    float n00 = corner(ix, iy, fx, fy, periodX, periodY, seed);
    float n10 = corner(ix + 1, iy, fx - 1.0f, fy, periodX, periodY, seed);
    float n01 = corner(ix, iy + 1, fx, fy - 1.0f, periodX, periodY, seed);
    float n11 = corner(ix + 1, iy + 1, fx - 1.0f, fy - 1.0f, periodX, periodY, seed);
    float sx = fade(fx), sy = fade(fy);
    float top = n00 + (n10 - n00) * sx;
    float bottom = n01 + (n11 - n01) * sx;
    // Gradient noise peaks near +-0.7; scale it to use about [-1, 1].
    return 1.41f * (top + (bottom - top) * sy);
}

float fractalNoise(float u, float v, int basePeriod, int octaves, uint32_t seed, float gain) {
    float sum = 0, weight = 1, total = 0;
    int period = basePeriod;
    for (int k = 0; k < octaves; ++k) {
        sum +=
            weight * gradientNoise(u * float(period), v * float(period), period, seed + uint32_t(k) * 101u);
        total += weight;
        weight *= gain;
        period *= 2;
    }
    return sum / total;
}

float stretchedNoise(float u, float v, int basePeriodU, int basePeriodV, int octaves, uint32_t seed,
                     float gain) {
    float sum = 0, weight = 1, total = 0;
    int pu = basePeriodU, pv = basePeriodV;
    for (int k = 0; k < octaves; ++k) {
        sum += weight * gradientNoise(u * float(pu), v * float(pv), pu, pv, seed + uint32_t(k) * 101u);
        total += weight;
        weight *= gain;
        pu *= 2;
        pv *= 2;
    }
    return sum / total;
}

float ridgedNoise(float u, float v, int basePeriod, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    int period = basePeriod;
    for (int k = 0; k < octaves; ++k) {
        float n = 1.0f - std::fabs(gradientNoise(u * float(period), v * float(period), period,
                                                 seed + uint32_t(k) * 131u));
        sum += weight * n * n;
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

CellSample cellNoise(float u, float v, int cells, uint32_t seed, float jitter) {
    float x = u * float(cells), y = v * float(cells);
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    CellSample best;
    best.nearest = 1e9f;
    best.second = 1e9f;
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            int cx = ix + ox, cy = iy + oy;
            int wx = wrap(cx, cells), wy = wrap(cy, cells);
            float px = float(cx) + 0.5f + jitter * (hashUnit(wx, wy, seed) - 0.5f);
            float py = float(cy) + 0.5f + jitter * (hashUnit(wx, wy, seed ^ 0x5bd1e995u) - 0.5f);
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < best.nearest) {
                best.second = best.nearest;
                best.nearest = d;
                best.cellId = hashPoint(wx, wy, seed ^ 0x27d4eb2fu);
                float cu = px / float(cells), cv = py / float(cells);
                best.centerU = cu - std::floor(cu);
                best.centerV = cv - std::floor(cv);
            } else if (d < best.second) {
                best.second = d;
            }
        }
    }
    return best;
}

} // namespace pelx
