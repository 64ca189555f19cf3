// Wood, paper, cloth and wax textures: floor planks, furniture wood, wallpaper, curtains,
// upholstery, candle wax, a lampshade, plaster, panelled walls, speaker cloth and a rug.
#include "noise.h"
#include "texture_kit.h"
#include "texture_recipes.h"

#include <algorithm>
#include <cmath>

namespace pelx {

namespace {

constexpr float TWO_PI = 6.2831853f;

// Wood grain: growth rings across u bent by noise, fibres along v.
float grainAt(float u, float v, int rings, uint32_t seed, float bendiness = 1.5f) {
    float bend = stretchedNoise(u, v, 2, 1, 4, seed);
    float ring = std::fmod(float(rings) * u + bendiness * bend + 8.0f, 1.0f);
    float fibre = stretchedNoise(u, v, 64, 2, 3, seed + 5);
    return clamp01(0.55f * std::pow(ring, 3.0f) + 0.25f * (fibre * 0.5f + 0.5f));
}

} // namespace

void paintWoodFloor(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Six planks across; each column of planks has joints at its own offset, twice per repeat.
        GridCell column = gridCell(u, 0.0f, 6, 1, 0.0f, 121);
        float offset = float(column.id & 255u) / 256.0f;
        float along = std::fmod(v + offset, 0.5f) * 2.0f;
        uint32_t board = column.id ^ (uint32_t(std::floor((v + offset) * 2.0f)) % 2u) * 0x9E3779B1u;
        float tone = float((board >> 4) & 255u) / 255.0f;
        float g = grainAt(u + float(board & 63u) / 64.0f, v, 18, 122 + (board & 3u));
        Rgb light = {0.66f, 0.44f, 0.24f}, dark = {0.42f, 0.25f, 0.12f};
        Rgb c = mix(light, dark, g) * (0.85f + 0.25f * tone);
        float side = std::min(column.fx, 1.0f - column.fx) * 85.3f * float(canvas.width) / 512.0f;
        float end = std::min(along, 1.0f - along) * 256.0f * float(canvas.height) / 512.0f;
        float gap = std::max(groove(side, 0.7f, 0.8f), groove(end, 0.6f, 0.8f));
        c = c + Rgb{1, 1, 1} * (0.02f * texelNoise(u, v, canvas.width, 123));
        return mix(c, Rgb{0.10f, 0.06f, 0.03f}, gap);
    });
}

void paintWood(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Straight-grained boards: a strong bend reads as ripples on a table's width.
        float g = grainAt(u, v, 12, 131, 0.45f);
        float pores = 0.05f * texelNoise(u, v * 0.25f, canvas.width, 132);
        Rgb c = mix(Rgb{0.40f, 0.23f, 0.12f}, Rgb{0.20f, 0.10f, 0.05f}, g);
        return c + Rgb{pores, pores * 0.7f, pores * 0.4f};
    });
}

void paintWallpaper(Canvas& canvas) {
    Rgb ground = {0.13f, 0.27f, 0.25f}, motif = {0.74f, 0.62f, 0.36f};
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 4, 4, 0.5f, 141);
        float px = std::fabs(cell.fx - 0.5f) * 2.0f, py = (cell.fy - 0.5f) * 2.0f;
        float r = std::sqrt(px * px + py * py);
        float angle = std::atan2(py, px);
        // A six-petalled rosette, a lozenge around it and a dot at its heart.
        float petals = std::fabs(r - 0.38f - 0.12f * std::cos(6.0f * angle));
        float rosette = 1.0f - smoothstep(0.025f, 0.045f, petals);
        float lozenge = 1.0f - smoothstep(0.015f, 0.03f, std::fabs(px + std::fabs(py) * 0.8f - 0.88f));
        float heart = 1.0f - smoothstep(0.07f, 0.09f, r);
        float ink = clamp01(rosette + lozenge + heart);
        // Pinstripes between the motifs and the paper's own fibre.
        float stripe =
            1.0f - smoothstep(0.004f, 0.007f, std::fabs(std::fmod(u * 8.0f + 0.5f, 1.0f) - 0.5f) / 8.0f);
        float paper = 0.04f * fractalNoise(u, v, 16, 3, 142) + 0.02f * texelNoise(u, v, canvas.width, 143);
        Rgb c = mix(ground, motif, 0.9f * ink) + Rgb{paper, paper, paper};
        return mix(c, motif * 0.8f, 0.35f * stripe * (1.0f - ink));
    });
}

void paintCurtain(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float sway = 0.08f * stretchedNoise(u, v, 1, 2, 2, 151);
        float fold = 0.5f + 0.5f * std::sin(TWO_PI * (6.0f * u + sway));
        float sheen = std::pow(fold, 6.0f);
        float weave = 0.03f * texelNoise(u, v, canvas.width, 152);
        float b = 0.35f + 0.5f * fold;
        Rgb c = Rgb{0.55f, 0.06f, 0.09f} * b + Rgb{0.35f, 0.12f, 0.12f} * (0.5f * sheen);
        return c + Rgb{weave, weave, weave};
    });
}

void paintFabric(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A plain weave: threads alternate over and under, each shaded round.
        GridCell cell = gridCell(u, v, 64, 64, 0.0f, 161);
        bool warpOver = (cell.column + cell.row) % 2 == 0;
        float across = warpOver ? cell.fx : cell.fy;
        float thread = std::sin(across * 3.14159f);
        float tone = float(cell.id & 255u) / 255.0f;
        float mottle = 0.06f * fractalNoise(u, v, 4, 4, 162);
        Rgb warp = {0.22f, 0.30f, 0.46f}, weft = {0.30f, 0.36f, 0.50f};
        Rgb c = (warpOver ? warp : weft) * (0.6f + 0.4f * thread) * (0.93f + 0.1f * tone);
        return c + Rgb{mottle, mottle, mottle};
    });
}

void paintCandle(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Wax with cloudy depth and runs of melted wax down the side.
        float body = 0.07f * fractalNoise(u, v, 3, 5, 171);
        float drips = smoothstep(0.1f, 0.7f, stretchedNoise(u, v, 12, 1, 3, 172)) * 0.12f;
        float grain = 0.015f * texelNoise(u, v, canvas.width, 173);
        float b = 0.80f + body + drips + grain;
        return Rgb{b, b * 0.93f, b * 0.78f};
    });
}

void paintLampshade(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float weave = 0.05f * texelNoise(u, v, canvas.width, 181) +
                      0.04f * std::sin(TWO_PI * float(canvas.width / 4) * u) *
                          std::sin(TWO_PI * float(canvas.height / 4) * v);
        float blotch = 0.08f * fractalNoise(u, v, 3, 4, 182);
        // Eight panels sewn together: darker along each seam.
        float seam = groove(std::fabs(std::fmod(u * 8.0f + 0.5f, 1.0f) - 0.5f) * float(canvas.width) / 8.0f,
                            0.8f, 1.5f);
        float b = (0.82f + weave + blotch) * (1.0f - 0.35f * seam);
        return Rgb{b, b * 0.72f, b * 0.42f};
    });
}

void paintPlaster(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float trowel = 0.05f * fractalNoise(u, v, 6, 5, 191);
        float grit = 0.025f * texelNoise(u, v, canvas.width, 192);
        float stain = smoothstep(0.3f, 0.8f, fractalNoise(u, v, 2, 4, 193)) * 0.12f;
        float b = 0.76f + trowel + grit - stain;
        return Rgb{b, b * 0.95f, b * 0.86f};
    });
}

void paintHallWall(Canvas& canvas) {
    Rgb paintColour = {0.82f, 0.78f, 0.68f}, gilt = {0.78f, 0.60f, 0.26f};
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 2, 2, 0.0f, 201);
        float d = edgeDistance(cell, 1.0f, 1.0f); // 0 at the frame's edge, 0.5 at the centre
        float light = 0;
        // The frame's moulding rises outward; the panel inside is sunk with a bevel around it.
        if (d < 0.06f)
            light = 0.18f * bevelLight(cell, 0.06f);
        else if (d < 0.09f)
            light = -0.2f * bevelLight(cell, 0.09f);
        float giltLine = 1.0f - smoothstep(0.003f, 0.006f, std::fabs(d - 0.075f));
        float grain =
            0.03f * stretchedNoise(u, v, 2, 32, 3, 202) + 0.015f * texelNoise(u, v, canvas.width, 203);
        Rgb c = paintColour * (0.92f + light + grain);
        return mix(c, gilt, giltLine);
    });
}

void paintSpeaker(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 48, 48, 0.5f, 211);
        float dx = cell.fx - 0.5f, dy = cell.fy - 0.5f;
        float hole = 1.0f - smoothstep(0.25f, 0.33f, std::sqrt(dx * dx + dy * dy));
        float cloth =
            0.10f + 0.02f * texelNoise(u, v, canvas.width, 212) + 0.015f * fractalNoise(u, v, 8, 2, 213);
        float b = cloth * (1.0f - 0.7f * hole);
        return Rgb{b, b, b * 1.05f};
    });
}

void paintRug(Canvas& canvas) {
    Rgb red = {0.50f, 0.08f, 0.08f}, navy = {0.08f, 0.10f, 0.28f}, ivory = {0.85f, 0.78f, 0.60f},
        gold = {0.75f, 0.55f, 0.20f};
    paint(canvas, [&](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f;
        float border = std::max(std::fabs(x), std::fabs(y)); // 0.5 at the edge
        Rgb c;
        if (border > 0.44f) {
            c = navy;
            // A band of small diamonds running round the border.
            float along = std::fabs(x) > std::fabs(y) ? v : u;
            float diamond =
                std::fabs(std::fmod(along * 24.0f, 1.0f) - 0.5f) + std::fabs((border - 0.47f) * 24.0f);
            if (diamond < 0.35f) c = gold;
        } else if (border > 0.42f) {
            c = ivory;
        } else {
            c = red;
            // A medallion: nested diamonds and a ring at the centre, small flowers in the field.
            float lozenge = std::fabs(x) + std::fabs(y);
            float ring = std::sqrt(x * x + y * y);
            if (std::fabs(lozenge - 0.28f) < 0.012f || std::fabs(lozenge - 0.20f) < 0.03f) c = navy;
            if (std::fabs(ring - 0.09f) < 0.015f) c = gold;
            if (ring < 0.04f) c = ivory;
            GridCell flower = gridCell(u, v, 12, 12, 0.5f, 221);
            float fx = flower.fx - 0.5f, fy = flower.fy - 0.5f;
            if (lozenge > 0.33f && std::sqrt(fx * fx + fy * fy) < 0.12f) c = ivory * 0.9f;
        }
        float pile =
            0.9f + 0.08f * texelNoise(u, v, canvas.width, 222) + 0.05f * fractalNoise(u, v, 8, 3, 223);
        return c * pile;
    });
}

void paintDancers(Canvas& canvas) {
    // Clothes for the club's crowd, one swatch per cell of a 4 x 4 sheet: skin tones, two rows
    // of shirts, trousers and skirts. The weave keeps a swatch from looking painted on.
    static const Rgb swatches[4][4] = {
        {{0.85f, 0.66f, 0.52f}, {0.62f, 0.43f, 0.30f}, {0.40f, 0.26f, 0.18f}, {0.93f, 0.76f, 0.64f}},
        {{0.92f, 0.92f, 0.90f}, {0.80f, 0.12f, 0.15f}, {0.95f, 0.80f, 0.15f}, {0.10f, 0.65f, 0.65f}},
        {{0.12f, 0.12f, 0.14f}, {0.50f, 0.18f, 0.65f}, {0.95f, 0.45f, 0.10f}, {0.20f, 0.60f, 0.25f}},
        {{0.18f, 0.28f, 0.50f}, {0.10f, 0.10f, 0.11f}, {0.45f, 0.45f, 0.47f}, {0.85f, 0.85f, 0.82f}}};
    paint(canvas, [&](float u, float v) {
        const int column = std::min(3, int(u * 4.0f)), row = std::min(3, int(v * 4.0f));
        float weave = 0.9f + 0.1f * fractalNoise(u, v, 32, 2, 431);
        return swatches[row][column] * weave;
    });
}

} // namespace pelx
