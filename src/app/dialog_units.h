// Dialog units to pixels. A dialog template measures its controls in quarters of the font's
// average character width and eighths of its height; the launch dialog's 8-point font has a
// 6 x 13 pixel cell, so one unit is 1.5 pixels across and 1.625 pixels down.
#pragma once

namespace pelx {

inline constexpr int DIALOG_BASE_UNIT_X = 6;  // pixels, average character width
inline constexpr int DIALOG_BASE_UNIT_Y = 13; // pixels, character height

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Each value is scaled on its own and rounded to the nearest pixel, halves away from zero.
int dialogUnitsToPixelsX(int units);
int dialogUnitsToPixelsY(int units);
PixelRect dialogRectToPixels(int x, int y, int width, int height);

} // namespace pelx
