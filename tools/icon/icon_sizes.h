// The program's icon at the sizes of the desktop's icon theme, drawn from its 32 x 32 design
// (resources/app_icon.h) so that every size shows the same picture with crisp edges.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace pelx {

// The sizes desktops look for in the hicolor theme's NxN/apps folders.
inline constexpr std::array<int, 8> ICON_THEME_SIZES = {16, 22, 24, 32, 48, 64, 128, 256};

// The design at size x size pixels as palette indices, top row first. Every pixel takes the
// palette colour that covers most of its area in the design, so no colour is ever mixed: a whole
// multiple of 32 is the design with each pixel repeated, 32 is the design itself, and the sizes
// in between keep its edges hard. size: 1 to 1024.
std::vector<uint8_t> appIconIndicesAt(int size);

// The same picture as R, G, B bytes (the icon is fully opaque).
std::vector<uint8_t> appIconRgbAt(int size);

} // namespace pelx
