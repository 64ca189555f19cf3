// The logo mask: its BMP layout as the show reads it, and the curve itself: one closed curve one
// pixel wide through the start pixel, inside the margins, of a length the walker covers in the
// scene, its ink written late enough to be whole at the end, and mirrored so that the word
// reads from above.
#include "logo_mask.h"

#include "image/texture.h"
#include "mask_walk.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pelx {
namespace {

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
           uint32_t(bytes[offset + 3]) << 24;
}

TEST(LogoMask, BmpLayoutMatchesTheShowsReader) {
    std::vector<uint8_t> pixels(MASK_SIZE, 0);
    pixels[0] = 7;                 // top left
    pixels[199 * 320] = 9;         // bottom left
    pixels[319] = 3;               // top right
    pixels[100 * 320 + 160] = 255; // somewhere in the middle
    std::vector<uint8_t> bmp = encodeMaskBmp(pixels);
    ASSERT_EQ(bmp.size(), 1078u + 64000u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32At(bmp, 2), 65078u); // file size
    EXPECT_EQ(u32At(bmp, 10), 1078u); // where the pixels start
    EXPECT_EQ(u32At(bmp, 14), 40u);   // information header size
    EXPECT_EQ(u32At(bmp, 18), 320u);
    EXPECT_EQ(u32At(bmp, 22), 200u); // positive: bottom row first
    EXPECT_EQ(bmp[28], 8);           // bits per pixel
    EXPECT_EQ(u32At(bmp, 30), 0u);   // uncompressed
    // The first stored row is the bottom of the picture.
    EXPECT_EQ(bmp[1078], 9);
    EXPECT_EQ(bmp[1078 + 199 * 320], 7);
    EXPECT_EQ(bmp[1078 + 199 * 320 + 319], 3);

    test::TempDir dir;
    test::writeFile(dir.file("p.bmp"), bmp);
    std::vector<uint8_t> read(MASK_SIZE, 1);
    loadMaskBmp(dir.file("p.bmp").c_str(), read.data());
    EXPECT_EQ(read, pixels);
}

class GeneratedLogo : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        logo = new LogoMask;
        built = buildLogoMask(*logo);
    }
    static void TearDownTestSuite() { delete logo; }
    static LogoMask* logo;
    static bool built;
    uint8_t value(int x, int y) const {
        return x >= 0 && y >= 0 && x < 320 && y < 200 ? logo->pixels[size_t(y) * 320 + size_t(x)] : 0;
    }
    bool set(int x, int y) const { return value(x, y) != 0; }
    bool ink(int x, int y) const { return value(x, y) == LOGO_INK; }
};
LogoMask* GeneratedLogo::logo = nullptr;
bool GeneratedLogo::built = false;

TEST_F(GeneratedLogo, IsOneClosedCurveOnePixelWide) {
    ASSERT_TRUE(built);
    ASSERT_EQ(logo->pixels.size(), size_t(MASK_SIZE));
    int count = 0, inkCount = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            uint8_t v = logo->pixels[size_t(y) * 320 + size_t(x)];
            ASSERT_TRUE(v == 0 || v == LOGO_INK || v == LOGO_SILENT) << x << "," << y;
            if (!v) continue;
            ++count;
            inkCount += v == LOGO_INK;
            // Clear border: the walker reads one pixel beyond the one it stands on.
            ASSERT_TRUE(x > 0 && y > 0 && x < 319 && y < 199) << x << "," << y;
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) neighbours += (dx || dy) && set(x + dx, y + dy);
            ASSERT_EQ(neighbours, 2) << "at " << x << "," << y;
        }
    // All of them connected: walk the 8-neighbourhood from the start pixel.
    std::vector<uint8_t> seen(MASK_SIZE, 0);
    std::vector<int> stack = {LOGO_START_Y * 320 + LOGO_START_X};
    seen[size_t(stack[0])] = 1;
    int reached = 0;
    while (!stack.empty()) {
        int p = stack.back();
        stack.pop_back();
        ++reached;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int x = p % 320 + dx, y = p / 320 + dy;
                if (set(x, y) && !seen[size_t(y * 320 + x)])
                    seen[size_t(y * 320 + x)] = 1, stack.push_back(y * 320 + x);
            }
    }
    EXPECT_EQ(reached, count);
    EXPECT_EQ(size_t(count), logo->outline.size());
    EXPECT_GE(count, 900);
    EXPECT_LE(count, 1250);
    // Most of the word's outline is ink.
    EXPECT_EQ(inkCount, logo->inkPixels);
    EXPECT_GE(inkCount, 380);
    EXPECT_LE(inkCount, 600);
}

TEST_F(GeneratedLogo, StartsOnTheStartPixelRunningRight) {
    ASSERT_TRUE(built);
    EXPECT_TRUE(set(131, 41));
    EXPECT_TRUE(set(132, 41));
    ASSERT_FALSE(logo->outline.empty());
    EXPECT_EQ(logo->outline[0], (Pixel{131, 41}));
    EXPECT_EQ(logo->outline[1], (Pixel{132, 41}));
}

TEST_F(GeneratedLogo, ReadsFromAboveBecauseItIsMirrored) {
    ASSERT_TRUE(built);
    // The word begins with the P, whose stem is one straight edge from its top to its foot;
    // the x at the word's end has slanted sides. The world puts column c at x = 320 - c, so the
    // P must be at the mask's right-hand end.
    // The longest vertical run of ink among the three columns at one end of the word.
    auto longestRunNear = [&](int edge, int inward) {
        int best = 0;
        for (int k = 0; k < 3; ++k) {
            int run = 0;
            for (int y = 0; y < 200; ++y) {
                run = ink(edge + k * inward, y) ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best;
    };
    int height = logo->bottom - logo->top + 1;
    EXPECT_GT(longestRunNear(logo->right, -1), height * 6 / 10);
    EXPECT_LT(longestRunNear(logo->left, 1), height * 4 / 10);
}

TEST_F(GeneratedLogo, TheWalkerModelWritesTheInkLateAndLapsTheCurve) {
    ASSERT_TRUE(built);
    int n = int(logo->outline.size());
    MaskWalk walk = walkMask(logo->pixels, 3 * n, LOGO_START_X, LOGO_START_Y);
    EXPECT_EQ(walk.restarts, 0);
    EXPECT_EQ(walk.stalls, 0);
    EXPECT_GE(walk.closedTraces, 2);
    ASSERT_EQ(int(walk.emitted.size()), logo->inkPixels);
    for (int index : walk.emitted) EXPECT_EQ(logo->pixels[size_t(index)], LOGO_INK);
    // Walker iteration i reaches curve pixel i + 1.
    EXPECT_EQ(walk.emittedAt.front(), logo->firstInkStep - 1);
    EXPECT_EQ(walk.emittedAt.back(), logo->lastInkStep - 1);
    // At 1400 steps over 67 s: all ink is written before a minute, and none of it before 30 s,
    // so at 60 s no logo particle (40 s of life) has faded below a quarter.
    EXPECT_LT(double(logo->lastInkStep) * 67.0 / 1400.0, 60.0);
    EXPECT_GE(double(logo->firstInkStep) * 67.0 / 1400.0, 30.0);
}

} // namespace
} // namespace pelx
