// PNG files of captured frames.
#pragma once

#include <cstdint>
#include <string>

namespace pelx {

// rgb: height rows of width R, G, B bytes, top row first. The file appears under its name only
// when complete. False when it cannot be written, with "cannot write PATH: reason" in *error.
bool writePng(const std::string& path, int width, int height, const uint8_t* rgb,
              std::string* error = nullptr);

} // namespace pelx
