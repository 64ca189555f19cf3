// A windowed display with the show's rendering context, for tests that draw and read back.
#pragma once

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace pelx::test {

// Opens a windowed display of the given size through the show's own display code, once per
// test program (every test shares it), with message boxes recorded.
void openTestDisplay(int width = 320, int height = 240);

// The pixel at (x, y), counted from the bottom-left of the back buffer, as R, G, B bytes.
std::array<uint8_t, 3> readPixel(int x, int y);

} // namespace pelx::test
