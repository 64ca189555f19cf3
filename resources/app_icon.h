// Icon 103: the program's own 32 x 32, 16-colour picture, a flame on a dark tile. Kept as a
// palette and one palette index (a hex digit) per pixel, the way a 4-bit icon stores it, with
// the conversion to the RGBA bytes that window systems take.
#pragma once

#include <array>
#include <cstdint>

namespace pelx {

inline constexpr int APP_ICON_ID = 103;
inline constexpr int APP_ICON_SIZE = 32;

struct IconColor {
    uint8_t r, g, b;
};

inline constexpr std::array<IconColor, 16> APP_ICON_PALETTE = {{
    {14, 16, 30},    // 0 tile
    {30, 26, 52},    // 1 glow behind the flame
    {96, 16, 24},    // 2 smoke-red rim
    {150, 24, 16},   // 3 dark red
    {204, 44, 10},   // 4 red
    {234, 84, 12},   // 5 red-orange
    {248, 130, 18},  // 6 orange
    {252, 170, 34},  // 7 amber
    {255, 202, 52},  // 8 yellow-orange
    {255, 228, 100}, // 9 yellow
    {255, 246, 176}, // a pale core
    {255, 255, 255}, // b white
    {60, 20, 30},    // c ember
    {40, 80, 200},   // d blue
    {110, 160, 255}, // e blue heart of the flame
    {72, 78, 104},   // f frame
}};

// Row by row from the top, one hex digit (a palette index) per pixel.
// clang-format off
inline constexpr const char* APP_ICON_PIXELS[APP_ICON_SIZE] = {
    "ffffffffffffffffffffffffffffffff",
    "f000000000000000200000000000000f",
    "f000000000000000200000000000000f",
    "f000000000011111221110000000000f",
    "f000000011111111422111110000000f",
    "f000000111111112422111111000000f",
    "f000001111111112442211111100000f",
    "f000011111111112444211111110000f",
    "f000111111111124544221111111000f",
    "f001111111111124554421111111100f",
    "f011111111111244554421111111110f",
    "f011111111112245655421111111110f",
    "f011111111112445655442111111110f",
    "f111111111122455665442111111111f",
    "f111111111224456665542111111111f",
    "f111111111244556766542111111111f",
    "f111111112245567766542211111111f",
    "f111111112445567776544211111111f",
    "f111111124455667876554211111111f",
    "f111111224556678876654221111111f",
    "f111111244556778887654421111111f",
    "f111111245566788887655421111111f",
    "f111111245667789987665421111111f",
    "f011111145677889987765411111110f",
    "f01111112467889a988764211111110f",
    "f01111111457899aa98754111111110f",
    "f001111111468eeeee8641111111100f",
    "f0001111111168eee86111111111000f",
    "f00001111111111e111111111110000f",
    "f000001111111111111111111100000f",
    "f000000111111111111111111000000f",
    "ffffffffffffffffffffffffffffffff",
};
// clang-format on

constexpr int appIconDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Every row has exactly APP_ICON_SIZE valid digits.
constexpr bool appIconWellFormed() {
    for (const char* row : APP_ICON_PIXELS) {
        int length = 0;
        for (; row[length]; ++length)
            if (appIconDigit(row[length]) < 0) return false;
        if (length != APP_ICON_SIZE) return false;
    }
    return true;
}
static_assert(appIconWellFormed(), "each icon row holds 32 hex digits");

// The picture as 32 x 32 RGBA bytes, top row first, fully opaque.
inline std::array<uint8_t, APP_ICON_SIZE * APP_ICON_SIZE * 4> appIconRgba() {
    std::array<uint8_t, APP_ICON_SIZE * APP_ICON_SIZE * 4> rgba{};
    for (int y = 0; y < APP_ICON_SIZE; ++y)
        for (int x = 0; x < APP_ICON_SIZE; ++x) {
            const IconColor c = APP_ICON_PALETTE[appIconDigit(APP_ICON_PIXELS[y][x])];
            uint8_t* p = &rgba[(y * APP_ICON_SIZE + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 255;
        }
    return rgba;
}

} // namespace pelx
