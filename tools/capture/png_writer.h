// PNG files of captured frames.
#pragma once

#include <cstdint>
#include <string>

namespace pelx {

// How a picture's bytes lie in memory.
enum class PixelLayout {
    RgbTopDown,   // rows of R, G, B bytes, top row first
    BgrxBottomUp, // rows of B, G, R and an unused byte, bottom row first (OpenGL's read-back)
};

// pixels: height rows of width pixels in the given layout. The file appears under its name only
// when complete. False when it cannot be written, with "cannot write PATH: reason" in *error.
// Equal pictures give equal files, whatever layout they came in.
bool writePng(const std::string& path, int width, int height, const uint8_t* pixels, PixelLayout layout,
              std::string* error = nullptr);
// rgb: RgbTopDown.
inline bool writePng(const std::string& path, int width, int height, const uint8_t* rgb,
                     std::string* error = nullptr) {
    return writePng(path, width, height, rgb, PixelLayout::RgbTopDown, error);
}

} // namespace pelx
