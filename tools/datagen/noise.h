// Tileable procedural noise for the textures: gradient noise on a repeating lattice, its
// fractal sums, and cellular (Worley) noise. Every function repeats exactly over the unit
// square of texture coordinates, so a texture built from them tiles without a seam.
#pragma once

#include <cstdint>

namespace pelx {

// Gradient noise at (x, y) in lattice cells on a lattice that repeats every `period` cells in
// both directions. Roughly in [-1, 1], 0 at every lattice point.
float gradientNoise(float x, float y, int period, uint32_t seed);
// The same with separate periods across (x) and down (y), for stretched patterns.
float gradientNoise(float x, float y, int periodX, int periodY, uint32_t seed);

// Sum of `octaves` gradient noises over texture coordinates (u, v); octave k has period
// basePeriod * 2^k and weight gain^k. Normalised to roughly [-1, 1]. Tiles over [0, 1)^2.
float fractalNoise(float u, float v, int basePeriod, int octaves, uint32_t seed, float gain = 0.5f);
// A fractal sum stretched along one axis: periods basePeriodU across and basePeriodV down.
float stretchedNoise(float u, float v, int basePeriodU, int basePeriodV, int octaves, uint32_t seed,
                     float gain = 0.5f);

// The same sum of absolute values, folded to ridges: 1 on the ridge lines, toward 0 away from them.
float ridgedNoise(float u, float v, int basePeriod, int octaves, uint32_t seed);

struct CellSample {
    float nearest = 0;   // distance to the nearest feature point, in cells
    float second = 0;    // distance to the second nearest, in cells
    uint32_t cellId = 0; // a hash naming the nearest point's cell (same for the whole cell)
    float centerU = 0;   // texture coordinates of the nearest feature point, wrapped into [0, 1)
    float centerV = 0;
};

// Cellular noise with cells x cells jittered feature points over the unit square (jitter 0: a
// regular grid, 1: anywhere in its cell).
CellSample cellNoise(float u, float v, int cells, uint32_t seed, float jitter = 1.0f);

} // namespace pelx
