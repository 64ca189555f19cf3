// Stone, road and masonry textures: asphalt, cobbles, bricks, marble, fluted columns, ashlar,
// concrete, granite, floor tiles and roof tiles. Every pattern's period divides the texture.
#include "noise.h"
#include "texture_kit.h"
#include "texture_recipes.h"

#include <cmath>

namespace pelx {

namespace {

constexpr float TWO_PI = 6.2831853f;

// Distance from v to the nearest of `count` evenly spaced lines across the texture, in
// fractions of the spacing (0 on a line, 0.5 halfway between).
float lineDistance(float v, int count) {
    float f = v * float(count);
    return std::fabs(f - std::round(f));
}

Rgb asphaltAt(float u, float v, int size) {
    float stains = fractalNoise(u, v, 4, 5, 11);
    float grain = texelNoise(u, v, size, 12);
    CellSample stone = cellNoise(u, v, 96, 13, 1.0f);
    float stoneShape = 1.0f - smoothstep(0.18f, 0.38f, stone.nearest);
    float stoneTone = (float(stone.cellId & 255u) / 255.0f - 0.5f) * 0.16f;
    float crack = smoothstep(0.955f, 0.985f, ridgedNoise(u, v, 3, 4, 14)) * smoothstep(0.0f, 0.3f, stains);
    float b = 0.19f + 0.05f * stains + 0.035f * grain + stoneShape * stoneTone;
    b *= 1.0f - 0.55f * crack;
    return {b * 0.97f, b * 0.98f, b * 1.03f};
}

// A marble body: veins folded by fractal noise around bands that run diagonally.
Rgb marbleAt(float u, float v, Rgb body, Rgb vein, uint32_t seed) {
    float warp = fractalNoise(u, v, 3, 6, seed);
    float band = std::sin(TWO_PI * (2.0f * u + v + 1.4f * warp));
    float veins = std::pow(1.0f - std::fabs(band), 10.0f);
    float fine = std::pow(1.0f - std::fabs(std::sin(TWO_PI * (5.0f * u - 3.0f * v +
                                                              2.2f * fractalNoise(u, v, 5, 5, seed + 7)))),
                          24.0f);
    float cloud = fractalNoise(u, v, 4, 4, seed + 3) * 0.06f;
    Rgb c = body + Rgb{cloud, cloud, cloud};
    c = mix(c, vein, clamp01(0.85f * veins + 0.35f * fine));
    return c;
}

} // namespace

void paintAsphalt(Canvas& canvas) {
    paint(canvas, [&](float u, float v) { return asphaltAt(u, v, canvas.width); });
}

void paintRoad(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        Rgb c = asphaltAt(u, v, canvas.width);
        // Worn white paint: a dashed centre line (two dashes per repeat) and two edge lines.
        float wear =
            0.75f + 0.25f * fractalNoise(u, v, 16, 3, 15) + 0.1f * texelNoise(u, v, canvas.width, 16);
        float centre = (std::fabs(u - 0.5f) < 0.012f && std::fmod(v * 2.0f, 1.0f) < 0.55f) ? 1.0f : 0.0f;
        float edges = (std::fabs(u - 0.06f) < 0.008f || std::fabs(u - 0.94f) < 0.008f) ? 1.0f : 0.0f;
        return mix(c, Rgb{0.82f, 0.82f, 0.76f}, clamp01((centre + edges) * wear));
    });
}

void paintCobble(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        CellSample c = cellNoise(u, v, 14, 21, 0.75f);
        float edge = c.second - c.nearest;
        float mortar = 1.0f - smoothstep(0.05f, 0.12f, edge);
        float tone = float(c.cellId & 255u) / 255.0f;
        float warm = float((c.cellId >> 8) & 255u) / 255.0f;
        float dome = 1.0f - 0.5f * c.nearest;
        float surface = 0.06f * fractalNoise(u, v, 32, 3, 22) + 0.03f * texelNoise(u, v, canvas.width, 23);
        float b = (0.30f + 0.16f * tone) * dome + surface;
        Rgb stone = {b * (0.98f + 0.08f * warm), b * (0.97f + 0.03f * warm), b * (1.02f - 0.06f * warm)};
        float dirt = 0.11f + 0.04f * fractalNoise(u, v, 24, 3, 24);
        return mix(stone, Rgb{dirt, dirt * 0.95f, dirt * 0.85f}, mortar);
    });
}

void paintBrick(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 8, 16, 0.5f, 31);
        float d = edgeDistance(cell, 64.0f, 32.0f); // texels, 512 wide
        float mortar = groove(d * float(canvas.width) / 512.0f, 2.2f, 1.2f);
        float tone = float(cell.id & 255u) / 255.0f;
        float burnt = ((cell.id >> 8) & 7u) == 0 ? 0.55f : 1.0f;
        float surface = 0.08f * fractalNoise(u, v, 32, 4, 32) + 0.05f * texelNoise(u, v, canvas.width, 33);
        float edgeShade = 0.85f + 0.15f * smoothstep(0.0f, 6.0f, d);
        Rgb brick =
            Rgb{0.50f + 0.14f * tone, 0.20f + 0.06f * tone, 0.13f + 0.03f * tone} * (burnt * edgeShade);
        brick = brick + Rgb{surface, surface * 0.8f, surface * 0.7f};
        float m = 0.52f + 0.06f * fractalNoise(u, v, 64, 2, 34);
        return mix(brick, Rgb{m, m * 0.97f, m * 0.92f}, mortar);
    });
}

void paintMarble(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        return marbleAt(u, v, {0.90f, 0.89f, 0.86f}, {0.45f, 0.47f, 0.48f}, 41);
    });
}

void paintMarbleTiles(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 4, 4, 0.0f, 42);
        bool light = (cell.column + cell.row) % 2 == 0;
        // Each tile shows its own piece of the stone.
        float ou = float(cell.id & 1023u) / 1024.0f, ov = float((cell.id >> 10) & 1023u) / 1024.0f;
        Rgb c = light ? marbleAt(u + ou, v + ov, {0.88f, 0.86f, 0.80f}, {0.55f, 0.50f, 0.42f}, 43)
                      : marbleAt(u + ou, v + ov, {0.62f, 0.48f, 0.44f}, {0.85f, 0.80f, 0.74f}, 44);
        float d = edgeDistance(cell, 128.0f, 128.0f) * float(canvas.width) / 512.0f;
        float grout = groove(d, 1.2f, 1.0f);
        return mix(c, Rgb{0.25f, 0.23f, 0.21f}, grout);
    });
}

void paintColumn(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Sixteen flutes around: dark in each hollow, bright on the ridges between them.
        float f = std::fmod(u * 16.0f, 1.0f);
        float hollow = std::sqrt(std::fabs(f - 0.5f) * 2.0f);
        float shade = 0.72f + 0.28f * hollow;
        float stone = 0.07f * fractalNoise(u, v, 6, 5, 51) + 0.03f * texelNoise(u, v, canvas.width, 52);
        float pits = smoothstep(0.8f, 0.95f, ridgedNoise(u, v, 8, 3, 53)) * 0.12f;
        // A drum joint every quarter of the height.
        float joint = groove(lineDistance(v, 4) * float(canvas.height) / 4.0f, 1.0f, 1.0f);
        float b = (0.78f + stone - pits) * shade * (1.0f - 0.35f * joint);
        return Rgb{b * 1.0f, b * 0.95f, b * 0.84f};
    });
}

void paintStone(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 4, 6, 0.5f, 61);
        float d = edgeDistance(cell, 128.0f, 85.3f) * float(canvas.width) / 512.0f;
        float joint = groove(d, 1.5f, 1.5f);
        float tone = float(cell.id & 255u) / 255.0f;
        float rough = 0.09f * fractalNoise(u, v, 8, 6, 62) + 0.04f * texelNoise(u, v, canvas.width, 63);
        float bevel = 0.08f * bevelLight(cell, 0.04f);
        float b = 0.58f + 0.1f * tone + rough + bevel;
        Rgb c = {b * 1.0f, b * 0.94f, b * 0.82f};
        return mix(c, Rgb{0.22f, 0.2f, 0.17f}, joint);
    });
}

void paintConcrete(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float blotch = 0.08f * fractalNoise(u, v, 3, 6, 71);
        float grain = 0.04f * texelNoise(u, v, canvas.width, 72);
        // Water run down the wall, and the lines of the boards it was cast against.
        float streaks = smoothstep(0.2f, 0.8f, stretchedNoise(u, v, 24, 2, 4, 73)) * 0.12f;
        float board = groove(lineDistance(v, 8) * float(canvas.height) / 8.0f, 0.6f, 0.8f) * 0.06f;
        // Tie holes on a 4 x 2 grid.
        GridCell ties = gridCell(u, v, 4, 2, 0.0f, 74);
        float tx = (ties.fx - 0.5f) * 128.0f, ty = (ties.fy - 0.5f) * 256.0f;
        float hole = 1.0f - smoothstep(3.0f, 4.5f, std::sqrt(tx * tx + ty * ty));
        float b = (0.50f + blotch + grain - streaks - board) * (1.0f - 0.6f * hole);
        return Rgb{b, b * 0.99f, b * 0.96f};
    });
}

void paintPedestal(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        CellSample c = cellNoise(u, v, 48, 81, 1.0f);
        uint32_t kind = c.cellId % 7u;
        Rgb crystal = kind < 3 ? Rgb{0.62f, 0.52f, 0.50f}
                               : (kind < 5 ? Rgb{0.18f, 0.17f, 0.18f} : Rgb{0.82f, 0.80f, 0.78f});
        float speck = texelNoise(u, v, canvas.width, 82);
        Rgb c2 = crystal * (0.85f + 0.15f * speck) + Rgb{0.03f, 0.03f, 0.03f} * fractalNoise(u, v, 4, 3, 83);
        return c2;
    });
}

void paintFloorTiles(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 8, 8, 0.0f, 91);
        bool white = (cell.column + cell.row) % 2 == 0;
        float ou = float(cell.id & 1023u) / 1024.0f, ov = float((cell.id >> 10) & 1023u) / 1024.0f;
        Rgb c = white ? marbleAt(u + ou, v + ov, {0.90f, 0.90f, 0.88f}, {0.55f, 0.56f, 0.58f}, 92)
                      : marbleAt(u + ou, v + ov, {0.07f, 0.07f, 0.08f}, {0.45f, 0.45f, 0.47f}, 93);
        float d = edgeDistance(cell, 64.0f, 64.0f) * float(canvas.width) / 512.0f;
        return mix(c, Rgb{0.30f, 0.29f, 0.27f}, groove(d, 0.8f, 0.8f));
    });
}

void paintRoof(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 8, 12, 0.5f, 101);
        // Each tile is rounded across and darker toward its lower edge, where the next row overlaps.
        float across = std::sin(cell.fx * 3.14159f);
        float shade = (0.6f + 0.4f * std::sqrt(across)) * (1.0f - 0.45f * cell.fy * cell.fy);
        float gap = groove(std::min(cell.fx, 1.0f - cell.fx) * 32.0f, 0.8f, 0.8f);
        float tone = float(cell.id & 255u) / 255.0f;
        float moss = smoothstep(0.35f, 0.7f, fractalNoise(u, v, 6, 4, 102)) * 0.5f;
        Rgb tile = Rgb{0.55f + 0.1f * tone, 0.25f + 0.05f * tone, 0.16f} * shade;
        tile = mix(tile, Rgb{0.22f, 0.26f, 0.14f} * shade, moss);
        tile = tile + Rgb{1, 1, 1} * (0.04f * texelNoise(u, v, canvas.width, 103));
        return mix(tile, Rgb{0.08f, 0.05f, 0.04f}, gap);
    });
}

void paintNoise(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float b = 0.5f + 0.3f * fractalNoise(u, v, 4, 6, 111) + 0.05f * texelNoise(u, v, canvas.width, 112);
        return Rgb{b, b, b};
    });
}

} // namespace pelx
