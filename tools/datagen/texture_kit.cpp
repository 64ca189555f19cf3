// The texture recipes' shared pieces.
#include "texture_kit.h"

#include "data_random.h"

#include <algorithm>
#include <cmath>

namespace pelx {

float texelNoise(float u, float v, int size, uint32_t seed) {
    int x = int(std::floor(u * float(size))) % size, y = int(std::floor(v * float(size))) % size;
    if (x < 0) x += size;
    if (y < 0) y += size;
    return hashUnit(x, y, seed) * 2.0f - 1.0f;
}

GridCell gridCell(float u, float v, int columns, int rows, float rowShift, uint32_t seed) {
    GridCell cell;
    float y = v * float(rows);
    float fly = std::floor(y);
    int row = int(fly) % rows;
    if (row < 0) row += rows;
    float x = u * float(columns) - rowShift * float(row);
    float flx = std::floor(x);
    int column = int(flx) % columns;
    if (column < 0) column += columns;
    cell.column = column;
    cell.row = row;
    cell.fx = x - flx;
    cell.fy = y - fly;
    cell.id = hashPoint(column, row, seed);
    return cell;
}

float edgeDistance(const GridCell& cell, float width, float height) {
    float dx = std::min(cell.fx, 1.0f - cell.fx) * width;
    float dy = std::min(cell.fy, 1.0f - cell.fy) * height;
    return std::min(dx, dy);
}

float groove(float edgeDist, float halfWidth, float soft) {
    return 1.0f - smoothstep(halfWidth, halfWidth + soft, edgeDist);
}

float bevelLight(const GridCell& cell, float bevel) {
    float light = 0;
    if (cell.fx < bevel) light += 1.0f - cell.fx / bevel;
    if (cell.fy < bevel) light += 1.0f - cell.fy / bevel;
    if (cell.fx > 1.0f - bevel) light -= 1.0f - (1.0f - cell.fx) / bevel;
    if (cell.fy > 1.0f - bevel) light -= 1.0f - (1.0f - cell.fy) / bevel;
    return std::clamp(light, -1.0f, 1.0f);
}

float spriteFalloff(float u, float v, float radius) {
    float dx = u - 0.5f, dy = v - 0.5f;
    float r = std::sqrt(dx * dx + dy * dy) / radius;
    if (r >= 1.0f) return 0.0f;
    float t = 1.0f - r * r;
    return t * t;
}

Rgb ramp(float t, const Rgb* stops, int count) {
    t = clamp01(t) * float(count - 1);
    int i = std::min(int(t), count - 2);
    return mix(stops[i], stops[i + 1], t - float(i));
}

} // namespace pelx
