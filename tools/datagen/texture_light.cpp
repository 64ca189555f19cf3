// Textures that carry light: house fronts and towers with lit windows, the night sky, the view
// out of a window, the club's lit floor and neon, a light beam, and the flare sprites, which
// are drawn added to the picture and so are black wherever they should show nothing.
#include "noise.h"
#include "text.h"
#include "texture_kit.h"
#include "texture_recipes.h"

#include <cmath>

namespace pelx {

namespace {

constexpr float TWO_PI = 6.2831853f;

// One window pane in a cell: glass lit warm or cool, or dark with a faint reflection.
Rgb windowGlass(const GridCell& cell, float wx, float wy, uint32_t seed) {
    uint32_t h = cell.id ^ seed;
    uint32_t kind = h % 10u;
    float level = float((h >> 8) & 255u) / 255.0f;
    if (kind < 5) {
        // Warm room light, brighter toward the top, a curtain edge on one side.
        Rgb warm = Rgb{1.0f, 0.80f, 0.45f} * (0.75f + 0.25f * level) * (1.0f - 0.3f * wy);
        float curtain = ((h >> 16) & 1u) ? smoothstep(0.18f, 0.28f, wx) : smoothstep(0.18f, 0.28f, 1.0f - wx);
        return mix(warm * 0.45f, warm, curtain);
    }
    if (kind < 7)
        return Rgb{0.62f, 0.72f, 0.95f} * (0.7f + 0.3f * level) * (1.0f - 0.2f * wy); // a screen's glow
    float reflection = 0.04f + 0.05f * (1.0f - wy) * (0.5f + 0.5f * level);
    return Rgb{reflection * 0.8f, reflection * 0.9f, reflection * 1.3f};
}

// 1 inside the square, falling to 0 in a thin band along its edges: for sprites that fill
// their square and must still be black at its border.
float edgeWindow(float u, float v) {
    return smoothstep(0.0f, 0.04f, std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v)));
}

// A sprite's colour from its brightness: black, red, orange, yellow, white.
Rgb fireRamp(float t) {
    static const Rgb stops[5] = {
        {0, 0, 0}, {0.55f, 0.07f, 0.01f}, {0.95f, 0.40f, 0.05f}, {1.0f, 0.80f, 0.30f}, {1.0f, 0.97f, 0.85f}};
    return ramp(t, stops, 5);
}

} // namespace

void paintFacade(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 4, 4, 0.0f, 321);
        float wall =
            0.55f + 0.05f * fractalNoise(u, v, 8, 5, 322) + 0.02f * texelNoise(u, v, canvas.width, 323);
        Rgb c = Rgb{wall, wall * 0.9f, wall * 0.78f};
        float x0 = 0.28f, x1 = 0.72f, y0 = 0.18f, y1 = 0.78f; // the window opening in its cell
        float frame = 0.035f;
        // Stone lintel above and sill below.
        if (cell.fx > x0 - 0.05f && cell.fx < x1 + 0.05f &&
            ((cell.fy > y0 - 0.07f && cell.fy < y0) || (cell.fy > y1 && cell.fy < y1 + 0.05f)))
            c = Rgb{0.70f, 0.68f, 0.62f} * (0.95f + 0.05f * texelNoise(u, v, canvas.width, 324));
        if (cell.fx > x0 && cell.fx < x1 && cell.fy > y0 && cell.fy < y1) {
            float wx = (cell.fx - x0) / (x1 - x0), wy = (cell.fy - y0) / (y1 - y0);
            bool onFrame =
                cell.fx < x0 + frame || cell.fx > x1 - frame || cell.fy < y0 + frame || cell.fy > y1 - frame;
            bool onBars = std::fabs(wx - 0.5f) < 0.035f || std::fabs(wy - 0.45f) < 0.03f;
            c = (onFrame || onBars) ? Rgb{0.82f, 0.80f, 0.74f} * 0.8f : windowGlass(cell, wx, wy, 325);
        }
        return c;
    });
}

void paintWindows(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        GridCell cell = gridCell(u, v, 8, 12, 0.0f, 331);
        float wall =
            0.22f + 0.04f * fractalNoise(u, v, 6, 4, 332) + 0.02f * texelNoise(u, v, canvas.width, 333);
        Rgb c = {wall, wall, wall * 1.05f};
        if (cell.fx > 0.18f && cell.fx < 0.82f && cell.fy > 0.22f && cell.fy < 0.82f) {
            float wx = (cell.fx - 0.18f) / 0.64f, wy = (cell.fy - 0.22f) / 0.60f;
            c = windowGlass(cell, wx, wy, 334);
            if (std::fabs(wx - 0.5f) < 0.05f) c = c * 0.3f; // the mullion
        }
        return c;
    });
}

void paintNightSky(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float nebula = smoothstep(-0.2f, 0.8f, fractalNoise(u, v, 2, 6, 341));
        Rgb c = Rgb{0.012f, 0.018f, 0.05f} + Rgb{0.03f, 0.015f, 0.05f} * nebula;
        float speck = texelNoise(u, v, canvas.width, 342);
        if (speck > 0.992f) c = c + Rgb{0.5f, 0.5f, 0.55f} * ((speck - 0.992f) / 0.008f);
        // A few brighter stars with a small halo.
        CellSample star = cellNoise(u, v, 12, 343, 0.8f);
        float bright = float(star.cellId & 255u) / 255.0f;
        if (bright > 0.55f) {
            float glow = std::exp(-star.nearest * star.nearest * 900.0f);
            c = c + Rgb{0.95f, 0.92f, 0.85f} * (glow * bright);
        }
        return c;
    });
}

void paintDaylight(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Sky above a line of hills with trees in front: the view through the room's window.
        Rgb sky = mix(Rgb{0.35f, 0.58f, 0.92f}, Rgb{0.80f, 0.88f, 0.97f}, smoothstep(0.0f, 0.6f, v));
        float cloud = smoothstep(0.1f, 0.6f, fractalNoise(u, v * 2.0f, 3, 5, 351)) *
                      (1.0f - smoothstep(0.35f, 0.55f, v));
        Rgb c = mix(sky, Rgb{1.0f, 1.0f, 1.0f}, 0.85f * cloud);
        float hills = 0.58f + 0.05f * fractalNoise(u, 0.0f, 3, 4, 352);
        if (v > hills)
            c = mix(Rgb{0.45f, 0.58f, 0.62f}, Rgb{0.35f, 0.50f, 0.45f}, smoothstep(hills, hills + 0.1f, v));
        float trees = 0.72f + 0.06f * fractalNoise(u, 0.0f, 12, 4, 353);
        if (v > trees) {
            float leaves = fractalNoise(u, v, 24, 4, 354);
            c = Rgb{0.16f, 0.34f, 0.12f} * (0.8f + 0.4f * leaves) *
                (1.0f - 0.4f * smoothstep(trees, 1.0f, v));
        }
        return c;
    });
}

void paintDanceFloor(Canvas& canvas) {
    static const Rgb colours[6] = {{1.0f, 0.15f, 0.6f}, {0.1f, 0.85f, 1.0f}, {1.0f, 0.85f, 0.1f},
                                   {0.3f, 0.35f, 1.0f}, {0.2f, 1.0f, 0.35f}, {1.0f, 0.45f, 0.1f}};
    paint(canvas, [&](float u, float v) {
        // Eight by eight squares: a repeat of this size hides its pattern on the floor.
        GridCell cell = gridCell(u, v, 8, 8, 0.0f, 361);
        bool lit = (cell.column + cell.row) % 2 == 0;
        float d = edgeDistance(cell, 1.0f, 1.0f);
        Rgb glow = colours[cell.id % 6u];
        // A lit square is brightest in its middle; a dark one is smoked glass; a metal grid between.
        float centre = 1.0f - 1.4f * (0.5f - d);
        float frost = 0.05f * fractalNoise(u, v, 16, 3, 362);
        Rgb c = lit ? glow * (0.55f + 0.45f * centre + frost)
                    : Rgb{0.06f, 0.06f, 0.08f} * (1.0f + 4.0f * frost) + glow * 0.06f;
        float grid = groove(d * float(canvas.width) / 8.0f, 2.5f, 1.0f);
        return mix(c, Rgb{0.18f, 0.18f, 0.2f}, grid);
    });
}

void paintNeonSign(Canvas& canvas) {
    // A dark brick wall, then the word in a pink tube with a cyan tube under it.
    paintBrick(canvas);
    for (Rgb& p : canvas.pixels) p = p * 0.18f;
    TextImage word;
    if (renderText(FONT_SANS, canvas.width * 3 / 10, "Pelx", 40, 6, word)) {
        int left = (canvas.width - (word.inkRight - word.inkLeft + 1)) / 2 - word.inkLeft;
        int top = canvas.height * 45 / 100 - word.baseline;
        addCoverage(canvas, blurred(word.coverage, 14), left, top, Rgb{1.2f, 0.15f, 0.6f});
        addCoverage(canvas, blurred(word.coverage, 4), left, top, Rgb{1.0f, 0.3f, 0.75f});
        addCoverage(canvas, word.coverage, left, top, Rgb{1.0f, 0.85f, 0.95f});
    }
    Coverage tube = makeCoverage(canvas.width, canvas.height);
    int y = canvas.height * 62 / 100;
    for (int x = canvas.width / 5; x < canvas.width * 4 / 5; ++x)
        for (int t = -3; t <= 3; ++t) tube.at(x, y + t) = 1.0f - float(t * t) / 12.0f;
    addCoverage(canvas, blurred(tube, 12), 0, 0, Rgb{0.1f, 0.8f, 1.2f});
    addCoverage(canvas, tube, 0, 0, Rgb{0.8f, 1.0f, 1.0f});
}

void paintNeonWall(Canvas& canvas) {
    // Circles, zigzags and triangles in neon on a dark wall; every shape is measured across the
    // wrap so the wall tiles.
    paint(canvas, [&](float u, float v) {
        auto wrapped = [](float d) { return d - std::round(d); };
        float base = 0.05f + 0.02f * fractalNoise(u, v, 8, 4, 371);
        Rgb c = {base, base, base * 1.2f};
        auto tube = [&](float dist, Rgb colour, float width) {
            float core = std::exp(-dist * dist / (width * width));
            float halo = std::exp(-dist * dist / (16.0f * width * width));
            c = c + colour * (0.35f * halo) + Rgb{1, 1, 1} * (0.6f * core) + colour * (0.6f * core);
        };
        float dx = wrapped(u - 0.27f), dy = wrapped(v - 0.3f);
        tube(std::fabs(std::sqrt(dx * dx + dy * dy) - 0.16f), {1.0f, 0.1f, 0.6f}, 0.006f);
        float zig = 0.75f + 0.05f * (std::fabs(std::fmod(u * 10.0f + 10.0f, 2.0f) - 1.0f) * 2.0f - 1.0f);
        tube(std::fabs(wrapped(v - zig)), {0.1f, 0.8f, 1.0f}, 0.005f);
        float tx = wrapped(u - 0.72f), ty = wrapped(v - 0.32f);
        float tri = std::max(std::fabs(tx) * 1.732f + ty, -2.0f * ty) - 0.12f; // a triangle, point down
        tube(std::fabs(tri) * 0.6f, {1.0f, 0.9f, 0.1f}, 0.006f);
        return c;
    });
}

void paintBeam(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // Brightest at the lamp (v = 0), gone at the far end; dust and streaks around the cone.
        float fall = std::pow(1.0f - v, 2.2f);
        float streak = 0.8f + 0.2f * stretchedNoise(u, v, 16, 1, 3, 381);
        float dust = 1.0f + 0.15f * fractalNoise(u, v, 8, 3, 382);
        float b = fall * streak * dust * (v > 0.97f ? 0.0f : 1.0f);
        return Rgb{b, b, b * 0.95f};
    });
}

void paintFlame(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A tongue of flame: round at the base, drawn up to a tip, flickering at its edges.
        float x = (u - 0.5f) * 2.0f, y = (v - 0.62f) * 2.0f; // y < 0 above the base's centre
        float bend = 0.12f * fractalNoise(u, v, 4, 3, 391) * (0.5f - y);
        x += bend;
        float width = y > 0.0f ? 0.5f : 0.5f * (1.0f + y / 1.15f);
        float shape =
            width > 0.0f ? 1.0f - (x * x) / (width * width) - (y > 0.0f ? (y * y) / 0.16f : 0.0f) : 0.0f;
        float flicker = 0.85f + 0.15f * fractalNoise(u, v, 6, 3, 392);
        float heat = clamp01(shape) * flicker * spriteFalloff(u, v, 0.47f) * 1.6f;
        return fireRamp(clamp01(heat));
    });
}

void paintCandleFlame(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // One candle flame, drawn dim: a still carrier lays about ten copies of it on one
        // spot, so the copies add up to a white-hot core inside an orange body and a faint
        // halo. A rounded base low in the square with the wick's blue at its foot, drawn up
        // to a tip near the top.
        float x = (u - 0.5f) / 0.17f, y = (v - 0.74f) / 0.2f; // y < 0 above the base's centre
        float width = y > 0.0f ? std::sqrt(std::max(0.0f, 1.0f - y * y)) : std::pow(1.0f + y / 3.3f, 0.8f);
        if (y < -3.3f) width = 0.0f;
        float across = width > 0.0f ? std::fabs(x) / width : 2.0f;
        float body = clamp01(1.0f - across * across) * (y < -2.6f ? clamp01((y + 3.3f) / 0.7f) : 1.0f);
        float core = std::pow(body, 3.0f) * clamp01(1.0f + y * 0.35f);
        float blue = clamp01(1.0f - std::fabs(y - 0.55f) / 0.45f) * clamp01(1.0f - std::fabs(x) * 0.8f);
        float r2 = (u - 0.5f) * (u - 0.5f) + (v - 0.6f) * (v - 0.6f) * 0.5f;
        float halo = std::exp(-r2 * 40.0f) * 0.08f;
        Rgb c = Rgb{1.0f, 0.48f, 0.12f} * body * 0.16f + Rgb{0.0f, 0.4f, 0.6f} * core * 0.14f +
                Rgb{0.05f, 0.08f, 0.3f} * blue * 0.25f + Rgb{1.0f, 0.55f, 0.2f} * halo;
        return c * edgeWindow(u, v);
    });
}

void paintWisp(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A faint warm thread of hot air and smoke: tall and narrow, so copies rising one
        // after another run together into one wisp.
        float x = (u - 0.5f) / 0.15f, y = (v - 0.5f) / 0.5f;
        float b = std::exp(-x * x) * clamp01(1.0f - y * y * y * y) * 0.1f;
        return Rgb{1.0f, 0.72f, 0.45f} * b * edgeWindow(u, v);
    });
}

void paintTailLamp(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A car's tail lamp: a red bar, hot at its middle, with a red glow around it.
        float x = std::max(std::fabs(u - 0.5f) - 0.2f, 0.0f), y = std::max(std::fabs(v - 0.5f) - 0.07f, 0.0f);
        float d = std::sqrt(x * x + y * y);
        float bar = 1.0f - smoothstep(0.0f, 0.025f, d);
        float glow = std::exp(-d * d * 120.0f) * 0.55f;
        // The bulb behind the red glass shows nearly white at the bar's middle.
        float hot = bar * std::exp(-(u - 0.5f) * (u - 0.5f) * 30.0f);
        return (Rgb{1.0f, 0.08f, 0.04f} * (bar + glow) + Rgb{0.0f, 0.7f, 0.6f} * hot) * edgeWindow(u, v);
    });
}

void paintBulb(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
        float core = std::exp(-r * r * 220.0f);
        float halo = std::exp(-r * r * 30.0f) * 0.6f;
        float k = spriteFalloff(u, v, 0.46f);
        return Rgb{1.0f, 0.92f, 0.75f} * ((core + halo) * k) + Rgb{0.3f, 0.3f, 0.3f} * (core * k);
    });
}

void paintHaze(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float puff = 0.55f + 0.45f * fractalNoise(u, v, 3, 5, 401);
        float b = 0.95f * puff * spriteFalloff(u, v, 0.46f);
        return Rgb{b, b, b * 1.05f};
    });
}

void paintSparkle(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f;
        float r = std::sqrt(x * x + y * y);
        float rays = std::exp(-std::fabs(x) * 120.0f) + std::exp(-std::fabs(y) * 120.0f);
        float diagonal = 0.5f * (std::exp(-std::fabs(x - y) * 90.0f) + std::exp(-std::fabs(x + y) * 90.0f));
        float core = std::exp(-r * r * 400.0f);
        float b = (0.7f * rays * std::exp(-r * 6.0f) + 0.5f * diagonal * std::exp(-r * 12.0f) + core) *
                  spriteFalloff(u, v, 0.47f);
        return Rgb{b * 0.95f, b * 0.97f, b};
    });
}

void paintConfetti(Canvas& canvas) {
    static const Rgb colours[6] = {{1.0f, 0.3f, 0.35f},  {1.0f, 0.9f, 0.3f},   {0.35f, 0.9f, 1.0f},
                                   {1.0f, 0.45f, 0.95f}, {0.45f, 1.0f, 0.45f}, {1.0f, 1.0f, 1.0f}};
    paint(canvas, [&](float u, float v) {
        // Little paper squares scattered over a disc; the cell grid keeps them apart.
        GridCell cell = gridCell(u, v, 10, 10, 0.0f, 411);
        float px = cell.fx - 0.5f, py = cell.fy - 0.5f;
        float angle = float(cell.id & 1023u) / 1024.0f * TWO_PI;
        float ca = std::cos(angle), sa = std::sin(angle);
        float rx = ca * px + sa * py, ry = -sa * px + ca * py;
        bool present = ((cell.id >> 12) % 3u) != 0;
        float piece = present && std::fabs(rx) < 0.22f && std::fabs(ry) < 0.13f ? 1.0f : 0.0f;
        float glow = spriteFalloff(u, v, 0.46f);
        Rgb c = colours[(cell.id >> 16) % 6u] * (piece * std::sqrt(glow));
        return c + Rgb{0.25f, 0.22f, 0.2f} * (0.4f * glow * glow);
    });
}

void paintSpot(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A mirror ball's reflected spot: a soft-edged disc of white light.
        float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) / 0.45f;
        float b = 0.9f * (1.0f - smoothstep(0.55f, 1.0f, r));
        return Rgb{b, b * 0.97f, b * 0.92f} * edgeWindow(u, v);
    });
}

void paintLampGlow(Canvas& canvas) {
    paint(canvas, [&](float u, float v) {
        // A long lamp panel: a bright rounded bar with a soft glow around it.
        float x = std::max(std::fabs(u - 0.5f) - 0.22f, 0.0f),
              y = std::max(std::fabs(v - 0.5f) - 0.05f, 0.0f);
        float d = std::sqrt(x * x + y * y);
        float bar = 1.0f - smoothstep(0.0f, 0.02f, d);
        float glow = std::exp(-d * d * 180.0f) * 0.7f;
        float k = spriteFalloff(u, v, 0.49f);
        float edge = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        float b = (bar + glow) * k * smoothstep(0.01f, 0.05f, edge);
        return Rgb{b, b * 0.97f, b * 0.88f};
    });
}

} // namespace pelx
