// Icon 103 as RGBA bytes: size, opacity, palette limits and a few pixels read back.
#include "resources/app_icon.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace pelx {
namespace {

TEST(AppIcon, RgbaBytes) {
    const auto rgba = appIconRgba();
    ASSERT_EQ(rgba.size(), 32u * 32u * 4u);
    std::set<std::tuple<int, int, int>> colours;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        EXPECT_EQ(rgba[i + 3], 255) << "pixel " << i / 4;
        colours.insert({rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GE(colours.size(), 6u) << "a picture, not a flat tile";

    struct Pixel {
        int x, y;
        uint8_t r, g, b;
    };
    // Frame, dark tile, the flame's red rim, its yellow body and its blue heart. The rows are
    // stored top first, so a flipped picture puts the heart at the top and fails here.
    const Pixel pixels[] = {
        {0, 0, 72, 78, 104},     {31, 31, 72, 78, 104},   {1, 1, 14, 16, 30},      {16, 4, 204, 44, 10},
        {16, 22, 255, 228, 100}, {14, 26, 110, 160, 255}, {15, 27, 110, 160, 255},
    };
    for (const Pixel& p : pixels) {
        const uint8_t* px = &rgba[(p.y * 32 + p.x) * 4];
        EXPECT_EQ(px[0], p.r) << p.x << "," << p.y;
        EXPECT_EQ(px[1], p.g) << p.x << "," << p.y;
        EXPECT_EQ(px[2], p.b) << p.x << "," << p.y;
    }
}

} // namespace
} // namespace pelx
