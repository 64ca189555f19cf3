// Binary pictures and their outlines: the logo's shape is a region of set pixels whose boundary
// becomes the one-pixel curve the fire walker follows. Tracing, corner cleaning and the checks
// that the result is a simple closed curve live here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelx {

struct BitImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits; // 0 or 1, rows top first

    // Outside the picture counts as clear.
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height &&
               bits[size_t(y) * size_t(width) + size_t(x)] != 0;
    }
    void set(int x, int y, bool value) { bits[size_t(y) * size_t(width) + size_t(x)] = value ? 1 : 0; }
};

BitImage makeBitImage(int width, int height);

struct Pixel {
    int x = 0;
    int y = 0;
    bool operator==(const Pixel&) const = default;
};

// Dilation followed by erosion with a (2 radius + 1) square: closes gaps narrower than that.
BitImage closed(const BitImage& image, int radius);
// Erosion followed by dilation: removes parts thinner than 2 radius + 1 pixels.
BitImage opened(const BitImage& image, int radius);

// The connected parts (4-connected) of the clear pixels that do not reach the picture's border.
std::vector<std::vector<Pixel>> holesOf(const BitImage& image);

// Cuts each hole open to the outside along the shortest straight (vertical or horizontal) path
// through the set pixels, `width` pixels wide, so the region's boundary runs around the hole as
// part of its one outer boundary. False if some hole has no straight way out.
bool cutHolesOpen(BitImage& image, int width);

// The boundary pixels of the 8-connected region containing the top-most, left-most set pixel,
// in order around it (Moore neighbour tracing), each once per lap. Empty for an empty picture.
std::vector<Pixel> traceBoundary(const BitImage& image);

// Removes every pixel whose two neighbours along the curve touch each other (the inner pixel of
// a staircase corner), so that along a clean boundary each pixel touches only its two neighbours.
std::vector<Pixel> withoutCorners(const std::vector<Pixel>& curve);

// True when the pixels form one closed curve in which every pixel has exactly two of the
// curve's pixels among its eight neighbours and consecutive pixels touch.
bool isSimpleClosedCurve(const std::vector<Pixel>& curve, int width, int height);

} // namespace pelx
