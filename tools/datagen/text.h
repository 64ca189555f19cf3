// Text on the generated pictures: one line of text rendered through FreeType with the DejaVu
// fonts into a coverage map.
#pragma once

#include "canvas.h"

#include <string>

namespace pelx {

inline constexpr const char* FONT_SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
inline constexpr const char* FONT_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* FONT_SANS_LIGHT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf";
inline constexpr const char* FONT_SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
inline constexpr const char* FONTS[] = {FONT_SANS_BOLD, FONT_SANS, FONT_SANS_LIGHT, FONT_SERIF};

// True if FreeType can open every font the pictures and textures are drawn with. Without one
// of them the generator would write other data than ours, so it checks before writing any.
bool fontsLoad();

struct TextImage {
    Coverage coverage; // the line of text with `padding` empty pixels on every side
    int baseline = 0;  // row of the baseline inside coverage
    int inkLeft = 0;   // first and last columns and rows holding ink
    int inkRight = 0;
    int inkTop = 0;
    int inkBottom = 0;
};

// Renders one line of text (ASCII) at pixelSize pixels per em, with the font's kerning and
// `spacing` extra pixels between letters. False, with a line on stderr, if the font cannot be
// loaded.
bool renderText(const char* fontPath, int pixelSize, const std::string& text, int padding, int spacing,
                TextImage& out);

} // namespace pelx
