// The three show pictures, with their text set in DejaVu through FreeType.
#include "pictures.h"

#include "noise.h"
#include "text.h"
#include "texture_kit.h"

#include <cmath>

namespace pelx {

namespace {

constexpr int PICTURE_WIDTH = 768; // the pictures are shown 3:2
constexpr int PICTURE_HEIGHT = 512;

// The column at which a line of text's coverage goes so that its ink is centred across the canvas.
int centredLeft(const Canvas& canvas, const TextImage& text) {
    return (canvas.width - (text.inkRight - text.inkLeft + 1)) / 2 - text.inkLeft;
}

// The name in warm light: a wide soft glow, a tighter one, then the letters themselves shaded
// from yellow at the top to deep orange at the bottom.
void drawGlowingName(Canvas& canvas, int pixelSize, int baseline, float glow) {
    TextImage name;
    if (!renderText(FONT_SANS_BOLD, pixelSize, "Pelx", 48, pixelSize / 20, name)) return;
    int left = centredLeft(canvas, name), top = baseline - name.baseline;
    addCoverage(canvas, blurred(name.coverage, pixelSize / 6), left, top, Rgb{0.9f, 0.32f, 0.05f} * glow);
    addCoverage(canvas, blurred(name.coverage, pixelSize / 24), left, top,
                Rgb{1.0f, 0.55f, 0.12f} * (0.8f * glow));
    float height = float(name.inkBottom - name.inkTop + 1);
    for (int y = 0; y < name.coverage.height; ++y) {
        int cy = top + y;
        if (cy < 0 || cy >= canvas.height) continue;
        float t = clamp01(float(y - name.inkTop) / height);
        Rgb colour = mix(Rgb{1.0f, 0.93f, 0.62f}, Rgb{0.95f, 0.42f, 0.08f}, t);
        for (int x = 0; x < name.coverage.width; ++x) {
            int cx = left + x;
            if (cx < 0 || cx >= canvas.width) continue;
            canvas.at(cx, cy) = mix(canvas.at(cx, cy), colour, name.coverage.at(x, y));
        }
    }
}

void drawLine(Canvas& canvas, const char* font, int pixelSize, int spacing, const std::string& line,
              int baseline, Rgb colour) {
    TextImage text;
    if (!renderText(font, pixelSize, line, 8, spacing, text)) return;
    addCoverage(canvas, text.coverage, centredLeft(canvas, text), baseline - text.baseline, colour);
}

} // namespace

Canvas paintLoadPicture() {
    Canvas canvas = makeCanvas(PICTURE_WIDTH, PICTURE_HEIGHT);
    // Deep blue night with a faint warm glow rising from below, and slow drifting haze.
    paint(canvas, [](float u, float v) {
        float dx = (u - 0.5f) * 1.5f, dy = v - 1.05f;
        float ember = std::exp(-(dx * dx + dy * dy) * 3.0f);
        float haze = 0.5f + 0.5f * fractalNoise(u, v, 3, 5, 501);
        Rgb c = mix(Rgb{0.015f, 0.02f, 0.05f}, Rgb{0.04f, 0.05f, 0.10f}, haze * (1.0f - v * 0.5f));
        return c + Rgb{0.22f, 0.07f, 0.02f} * ember;
    });
    drawGlowingName(canvas, 190, 300, 0.45f);
    drawLine(canvas, FONT_SANS_LIGHT, 30, 14, "loading", 395, Rgb{0.62f, 0.68f, 0.82f});
    // A thin rule under the word, fading out to both sides.
    for (int x = 0; x < canvas.width; ++x) {
        float t = 1.0f - std::fabs(float(x) / float(canvas.width) - 0.5f) * 4.0f;
        if (t <= 0.0f) continue;
        for (int y = 338; y < 340; ++y) canvas.at(x, y) = canvas.at(x, y) + Rgb{0.35f, 0.22f, 0.12f} * t;
    }
    return canvas;
}

Canvas paintEndPicture() {
    Canvas canvas = makeCanvas(PICTURE_WIDTH, PICTURE_HEIGHT);
    drawGlowingName(canvas, 170, 270, 0.55f);
    drawLine(canvas, FONT_SANS_LIGHT, 34, 5, "thank you for watching", 370, Rgb{0.85f, 0.82f, 0.75f});
    drawLine(canvas, FONT_SANS, 18, 4, "made with the Pelx engine", 440, Rgb{0.45f, 0.42f, 0.40f});
    return canvas;
}

Canvas paintFireSprite() {
    Canvas canvas = makeCanvas(128, 128);
    static const Rgb stops[5] = {
        {0, 0, 0}, {0.45f, 0.06f, 0.01f}, {0.92f, 0.35f, 0.05f}, {1.0f, 0.75f, 0.25f}, {1.0f, 0.95f, 0.8f}};
    paint(canvas, [](float u, float v) {
        // A round blob, a little taller above its centre, its edge broken by noise.
        float x = (u - 0.5f) * 2.0f, y = (v - 0.55f) * 2.0f;
        float stretch = y < 0.0f ? 0.75f : 1.0f;
        float r = std::sqrt(x * x + (y * stretch) * (y * stretch));
        float edge = 0.15f * fractalNoise(u, v, 4, 3, 511);
        float heat = clamp01(1.0f - r / (0.8f + edge)) * spriteFalloff(u, v, 0.46f) * 1.8f;
        return ramp(clamp01(heat), stops, 5);
    });
    return canvas;
}

bool writePictures(const std::filesystem::path& showDir) {
    bool ok = writeJpeg(showDir / LOAD_PICTURE, paintLoadPicture());
    ok = writeJpeg(showDir / END_PICTURE, paintEndPicture()) && ok;
    return writeJpeg(showDir / FIRE_SPRITE, paintFireSprite()) && ok;
}

} // namespace pelx
