// Metal, paint and glass textures: painted lamp posts, car paint, tyre rubber, bronze with
// patina, gold, chrome, riveted panels, hazard stripes and tinted window glass.
#include "noise.h"
#include "texture_kit.h"
#include "texture_recipes.h"

#include <cmath>

namespace pelx {

namespace {

constexpr float TWO_PI = 6.2831853f;

// Fine scratches: thin bright lines along u with a random few across.
float scratches(float u, float v, int size, uint32_t seed) {
    float along = smoothstep(0.92f, 0.99f, stretchedNoise(u, v, 2, 96, 2, seed));
    float across = smoothstep(0.95f, 0.995f, stretchedNoise(u, v, 80, 3, 2, seed + 1));
    return clamp01(along + across) * (0.6f + 0.4f * texelNoise(u, v, size, seed + 2));
}

} // namespace

void paintLampMetal(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Cast iron painted dark green: brush marks in the paint, chips showing the metal.
        float brushed = stretchedNoise(u, v, 64, 2, 3, 231);
        float wear = smoothstep(0.35f, 0.65f, fractalNoise(u, v, 4, 5, 232));
        float pitting = 0.5f + 0.5f * fractalNoise(u, v, 16, 3, 234);
        Rgb paintColour = Rgb{0.13f, 0.19f, 0.15f} * (0.85f + 0.3f * brushed + 0.2f * pitting);
        Rgb bare = Rgb{0.42f, 0.41f, 0.39f} * (0.9f + 0.25f * brushed);
        return mix(paintColour, bare, wear) + Rgb{1, 1, 1} * (0.02f * texelNoise(u, v, canvas.width, 233));
    });
}

void paintCarPaint(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float body = 0.05f * fractalNoise(u, v, 2, 3, 241);
        float flake = texelNoise(u, v, canvas.width, 242);
        float sparkle = smoothstep(0.86f, 0.98f, flake) * 0.35f;
        return Rgb{0.58f + body, 0.05f + body * 0.3f, 0.07f + body * 0.3f} +
               Rgb{sparkle, sparkle * 0.8f, sparkle * 0.8f};
    });
}

void paintRubber(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A tread of chevrons along v.
        float chevron = std::fmod(v * 16.0f + std::fabs(u - 0.5f) * 2.0f + 8.0f, 1.0f);
        float groovePart = chevron < 0.25f ? 1.0f : 0.0f;
        float b =
            0.09f + 0.02f * texelNoise(u, v, canvas.width, 251) + 0.015f * fractalNoise(u, v, 8, 3, 252);
        return Rgb{b, b, b} * (1.0f - 0.6f * groovePart);
    });
}

void paintBronze(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float body = fractalNoise(u, v, 4, 5, 261);
        float polish = 0.12f * stretchedNoise(u, v, 3, 16, 3, 262);
        float patina = smoothstep(0.15f, 0.55f, ridgedNoise(u, v, 3, 5, 263) - 0.35f + 0.3f * body);
        Rgb metal = Rgb{0.58f, 0.40f, 0.19f} * (0.9f + 0.2f * body + polish);
        Rgb verdigris = Rgb{0.28f, 0.52f, 0.44f} * (0.85f + 0.1f * texelNoise(u, v, canvas.width, 264));
        return mix(metal, verdigris, 0.8f * patina);
    });
}

void paintGold(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float brushed = 0.08f * stretchedNoise(u, v, 2, 48, 3, 271);
        float sheen = 0.5f + 0.5f * std::sin(TWO_PI * (2.0f * v + 0.3f * fractalNoise(u, v, 2, 3, 272)));
        float b = 0.75f + brushed + 0.2f * sheen + 0.1f * scratches(u, v, canvas.width, 273);
        return Rgb{0.95f, 0.72f, 0.30f} * b;
    });
}

void paintChrome(Canvas& canvas) {
    // Bands of a reflected room: dark floor, bright ceiling light, grey walls.
    const Rgb stops[5] = {{0.15f, 0.15f, 0.17f},
                          {0.55f, 0.56f, 0.60f},
                          {0.95f, 0.96f, 1.0f},
                          {0.40f, 0.41f, 0.45f},
                          {0.15f, 0.15f, 0.17f}};
    paint(canvas, [&](float u, float v) {
        float warp = 0.08f * fractalNoise(u, v, 2, 3, 281);
        float band = std::fmod(v * 2.0f + warp + 4.0f, 1.0f);
        Rgb c = ramp(band, stops, 5);
        return c + Rgb{1, 1, 1} * (0.12f * scratches(u, v, canvas.width, 282));
    });
}

void paintMetalPanel(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 4, 4, 0.0f, 291);
        float panelTexels = float(canvas.width) / 4.0f;
        float d = edgeDistance(cell, panelTexels, panelTexels);
        float seam = groove(d, 1.0f, 1.0f);
        // Rivets every eighth of a panel, a little inside its edge.
        float rivet = 0;
        float inset = 0.06f;
        float nearX = std::min(cell.fx, 1.0f - cell.fx), nearY = std::min(cell.fy, 1.0f - cell.fy);
        if (nearX < inset * 1.8f || nearY < inset * 1.8f) {
            float along = nearX < nearY ? cell.fy : cell.fx;
            float rx = (std::fabs(std::fmod(along * 8.0f, 1.0f) - 0.5f)) / 8.0f;
            float ry = std::fabs(std::min(nearX, nearY) - inset);
            float r = std::sqrt(rx * rx + ry * ry) * panelTexels;
            rivet = 1.0f - smoothstep(2.0f, 3.0f, r);
        }
        float brushed = 0.05f * stretchedNoise(u, v, 2, 64, 3, 292);
        float tone = 0.04f * (float(cell.id & 255u) / 255.0f - 0.5f);
        float grime = smoothstep(0.0f, 14.0f, d);
        float b =
            (0.50f + brushed + tone) * (0.75f + 0.25f * grime) + 0.1f * scratches(u, v, canvas.width, 293);
        b = b * (1.0f - 0.7f * seam) + 0.25f * rivet;
        return Rgb{b * 0.96f, b * 0.98f, b * 1.02f};
    });
}

void paintHazard(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        bool yellow = std::fmod((u + v) * 4.0f, 1.0f) < 0.5f;
        float wear = smoothstep(0.45f, 0.75f, fractalNoise(u, v, 8, 4, 301));
        Rgb stripe = yellow ? Rgb{0.90f, 0.70f, 0.08f} : Rgb{0.07f, 0.07f, 0.07f};
        Rgb c = mix(stripe, Rgb{0.35f, 0.33f, 0.30f}, 0.7f * wear);
        return c * (0.92f + 0.08f * texelNoise(u, v, canvas.width, 302));
    });
}

void paintGlass(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Drawn as an additive pane, so dark is clear: a faint tint with a few diagonal reflections.
        float streak = std::pow(
            0.5f + 0.5f * std::sin(TWO_PI * (2.0f * (u + v) + 0.4f * fractalNoise(u, v, 2, 3, 311))), 12.0f);
        float ripple = 0.02f * fractalNoise(u, v, 8, 3, 312);
        float b = 0.16f + 0.22f * streak + ripple;
        return Rgb{b * 0.85f, b * 1.0f, b * 1.1f};
    });
}

void paintCarGlass(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // One car window, dark: the night sky's blue in its upper half above a soft horizon,
        // a diagonal sheen, the dark street below.
        float sky = 1.0f - smoothstep(0.38f, 0.62f, v);
        float sheen = std::exp(-std::pow((u + 0.6f * v - 0.55f) / 0.08f, 2.0f)) * 0.18f;
        float b = 0.04f + 0.1f * sky + 0.01f * fractalNoise(u, v, 4, 3, 321);
        return Rgb{b * 0.8f + sheen, b * 0.95f + sheen, b * 1.4f + sheen};
    });
}

} // namespace pelx
