// The fire logo's mask, "data/p.bmp": the outline of the word "Pelx" (letters standing on one
// bar so the word is a single shape, its counters cut open to the outside) as one closed curve
// one pixel wide, stored mirrored left to right because the show lays mask column c at world
// x = 320 - c, so that it reads correctly from above.
#pragma once

#include "outline.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace pelx {

inline constexpr const char* MASK_FILE = "data/p.bmp";
// Where every walk of the show starts, heading right.
inline constexpr int LOGO_START_X = 131;
inline constexpr int LOGO_START_Y = 41;
// The palette index of outline pixels (anything but 0 and the walker's mark 12).
inline constexpr uint8_t LOGO_INK = 255;
// The outline length aimed at: the walker takes about 20.9 steps a second, so this many pixels
// are written by about 53 s of the 67 s scene.
inline constexpr int LOGO_TARGET_LENGTH = 1100;
inline constexpr int LOGO_MIN_LENGTH = 900;
inline constexpr int LOGO_MAX_LENGTH = 1250;

struct LogoMask {
    std::vector<uint8_t> pixels; // 320 x 200 palette indices, top row first
    std::vector<Pixel> outline;  // the curve in walking order, starting at the start pixel
    int pixelSize = 0;           // the font size the word was rendered at
    int left = 0, top = 0, right = 0, bottom = 0; // the outline's bounds in mask pixels
};

// Renders, outlines and places the word; tries font sizes until the outline is a simple closed
// curve of a fitting length that the walker model follows lap after lap. False, with a line on
// stderr, if none does.
bool buildLogoMask(LogoMask& out);

// The mask as an uncompressed 8-bit BMP: 1078 bytes of headers and grey palette, then the
// 320-byte rows bottom first.
std::vector<uint8_t> encodeMaskBmp(const std::vector<uint8_t>& pixels);

// Builds the mask and writes showDir / "data/p.bmp".
bool writeLogoMask(const std::filesystem::path& showDir);

} // namespace pelx
