// Shared pieces of the texture recipes: per-pixel grain, tile-local coordinates, grooves and
// bevels, and the round fall-off that keeps a sprite black at its edges. All of them repeat
// over the unit square where the recipes need the texture to tile.
#pragma once

#include "canvas.h"

#include <cstdint>

namespace pelx {

// Per-texel hash noise in [-1, 1) for a texture `size` texels wide: the finest grain there is.
float texelNoise(float u, float v, int size, uint32_t seed);

// Where (u, v) falls in a grid of columns x rows cells, each row shifted right by `rowShift`
// cells times the row number (bricks: 0.5). Cell coordinates wrap so the grid tiles.
struct GridCell {
    int column = 0; // 0 .. columns - 1
    int row = 0;    // 0 .. rows - 1
    float fx = 0;   // position inside the cell, 0 .. 1
    float fy = 0;
    uint32_t id = 0; // a hash naming the cell
};
GridCell gridCell(float u, float v, int columns, int rows, float rowShift = 0.0f, uint32_t seed = 0);

// Distance from the position inside a cell to the cell's nearest edge, in cell units scaled by
// the cell's aspect (width, height in any common unit), so grooves have one width all round.
float edgeDistance(const GridCell& cell, float width, float height);

// 1 inside a groove of the given half-width at a cell edge, 0 out of it, soft over `soft`.
float groove(float edgeDist, float halfWidth, float soft);

// Light from the upper left on a raised cell: +1 on its top and left bevels, -1 on the bottom
// and right, 0 on the flat, over a bevel of the given width (in cell fractions).
float bevelLight(const GridCell& cell, float bevel);

// A round fall-off for sprites: 1 at the centre, smoothly 0 from `radius` (in texture units,
// at most 0.5) outward, so every edge texel is black.
float spriteFalloff(float u, float v, float radius);

// A colour ramp through evenly spaced stops.
Rgb ramp(float t, const Rgb* stops, int count);

} // namespace pelx
