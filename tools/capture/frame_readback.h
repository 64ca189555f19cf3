// The finished frame read back from the back buffer, for the tools that save frames.
#pragma once

#include <cstdint>
#include <vector>

namespace pelx {

// width x height pixels of the back buffer's lower-left corner as R, G, B rows, top row first
// (the order writePng takes).
std::vector<uint8_t> readBackBuffer(int width, int height);

} // namespace pelx
