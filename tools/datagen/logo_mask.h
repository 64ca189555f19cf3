// The fire logo's mask, "data/p.bmp": one closed curve one pixel wide that the show's walker
// follows from the start pixel. Most of it is the outline of the word "Pelx" in ink (each pixel
// gives a logo particle when the walker first reaches it); the rest is a lead-in path and a few
// joins already holding the walker's mark 12, which it follows without writing. The logo's
// particles fade out over 40 s, so the lead-in holds the writing back until the scene's second
// half: the word is written from about 34 s to 57 s and reads whole at the end.
// The word is stored mirrored left to right, because the show lays mask column c at world
// x = 320 - c, so that it reads correctly from above.
#pragma once

#include "outline.h"
#include "timeline/data_files.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace pelx {

inline constexpr const char* MASK_FILE = DATA_LOGO_MASK;
// Where every walk of the show starts, heading right.
inline constexpr int LOGO_START_X = 131;
inline constexpr int LOGO_START_Y = 41;
// Palette indices: the word's outline, and the path the walker follows without writing (the
// value the walker itself leaves on a pixel it has written).
inline constexpr uint8_t LOGO_INK = 255;
inline constexpr uint8_t LOGO_SILENT = 12;
// The whole curve stays within what the walker covers in the scene: 1400 steps over 67 s,
// about 20.9 a second.
inline constexpr int LOGO_MIN_LENGTH = 900;
inline constexpr int LOGO_MAX_LENGTH = 1250;
// The word's outline in ink, in pixels, and the walker step at which its last pixel is written
// (step 1190 comes at 57 s of the 67 s scene).
inline constexpr int LOGO_INK_TARGET = 480;
inline constexpr int LOGO_INK_MIN = 380;
inline constexpr int LOGO_INK_MAX = 600;
inline constexpr int LOGO_WRITTEN_BY_STEP = 1190;

struct LogoMask {
    std::vector<uint8_t> pixels; // 320 x 200 palette indices, top row first
    std::vector<Pixel> outline;  // the whole curve in walking order, from the start pixel
    int inkPixels = 0;           // how many of them are ink
    int firstInkStep = 0;        // the walker steps before the first and after the last ink pixel
    int lastInkStep = 0;
    int pixelSize = 0;                            // the font size the word was rendered at
    int left = 0, top = 0, right = 0, bottom = 0; // the word's bounds in mask pixels
};

// Renders, outlines and places the word with its lead-in; tries font sizes and placements
// until the curve is simple and closed, of a fitting length, and the walker model follows it
// lap after lap writing exactly the ink. False, with a line on stderr, if none does.
bool buildLogoMask(LogoMask& out);

// The mask as an uncompressed 8-bit BMP: 1078 bytes of headers and grey palette, then the
// 320-byte rows bottom first.
std::vector<uint8_t> encodeMaskBmp(const std::vector<uint8_t>& pixels);

// Builds the mask and writes showDir / "data/p.bmp".
bool writeLogoMask(const std::filesystem::path& showDir);

} // namespace pelx
