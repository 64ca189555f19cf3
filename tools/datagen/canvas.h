// The generator's picture in the making: a float RGB canvas with the colour arithmetic the
// recipes use, a one-channel coverage map (text, masks, glows), and the JPEG writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace pelx {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb operator*(Rgb a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Rgb operator*(float s, Rgb a) {
    return a * s;
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}
// An 8-bit-per-channel colour written as 0xRRGGBB.
inline Rgb hex(uint32_t rgb) {
    return {float((rgb >> 16) & 255u) / 255.0f, float((rgb >> 8) & 255u) / 255.0f,
            float(rgb & 255u) / 255.0f};
}

float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // rows top first

    Rgb& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Canvas makeCanvas(int width, int height, Rgb fill = {});

// Sets every pixel from shade(u, v), u and v the pixel centre in [0, 1) (u across, v down).
void paint(Canvas& canvas, const std::function<Rgb(float u, float v)>& shade);

// Clamped and rounded to bytes, R, G, B per pixel, rows top first.
std::vector<uint8_t> toRgbBytes(const Canvas& canvas);

// A one-channel map of values in [0, 1], rows top first.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    float& at(int x, int y) { return values[size_t(y) * size_t(width) + size_t(x)]; }
    float at(int x, int y) const { return values[size_t(y) * size_t(width) + size_t(x)]; }
};

Coverage makeCoverage(int width, int height);

// A box blur of the given radius run three times (close to a Gaussian); edges are clamped.
Coverage blurred(const Coverage& source, int radius);

// Adds color x coverage onto the canvas with the coverage's top-left corner at (left, top).
void addCoverage(Canvas& canvas, const Coverage& coverage, int left, int top, Rgb color);
// Paints color over the canvas with the coverage as opacity.
void coverWith(Canvas& canvas, const Coverage& coverage, int left, int top, Rgb color);

// A baseline JPEG of the canvas (three components, fixed quality and the exact integer DCT, so
// the same canvas always gives the same bytes). False, with a line on stderr, on failure.
bool writeJpeg(const std::filesystem::path& path, const Canvas& canvas, int quality = 90);

// Writes bytes to a file, creating its folder; the file appears whole or not at all. The first
// failure is reported on stderr, and from then on every call writes nothing and returns false:
// a full disk stops the generator at its first failed file, with one message.
bool writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// True once a file could not be written; the parts still running give up.
bool dataWriteFailed();

} // namespace pelx
