// PNG files of captured frames.
#pragma once

#include <cstdint>
#include <string>

namespace pelx {

// rgb: height rows of width R, G, B bytes, top row first. False when the file cannot be written.
bool writePng(const std::string& path, int width, int height, const uint8_t* rgb);

} // namespace pelx
