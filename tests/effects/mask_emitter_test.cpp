// The fire logo's walker on masks drawn in the test: budget, steering, marks, the closed
// square, and strokes on the image border. The mask sits between two guard areas full of set
// bytes, so any read or write outside the 320 x 200 image shows up in every build.
#include "effects/mask_emitter.h"
#include "image/texture.h"
#include "platform/random.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace pelx {
namespace {

constexpr uint8_t GUARD = 1;

struct MaskCanvas {
    MaskCanvas() : buffer(3 * size_t(MASK_SIZE), GUARD) { std::fill(mask(), mask() + MASK_SIZE, 0); }
    uint8_t* mask() { return buffer.data() + MASK_SIZE; }
    uint8_t& at(int x, int y) { return mask()[y * MASK_WIDTH + x]; }
    void row(int x0, int x1, int y, uint8_t value = 1) {
        for (int x = x0; x <= x1; ++x) at(x, y) = value;
    }
    void column(int x, int y0, int y1, uint8_t value = 1) {
        for (int y = y0; y <= y1; ++y) at(x, y) = value;
    }
    bool guardsIntact() const {
        auto intact = [](auto first, auto last) {
            return std::all_of(first, last, [](uint8_t b) { return b == GUARD; });
        };
        return intact(buffer.begin(), buffer.begin() + MASK_SIZE) &&
               intact(buffer.end() - MASK_SIZE, buffer.end());
    }
    std::vector<uint8_t> buffer;
};

using Pixel = std::pair<int, int>;

// Sprites are recorded by name, not loaded: no texture file or rendering context is needed.
struct ScopedRecordingTextures {
    RecordingTextureBackend backend;
    ScopedTextureBackend installed{&backend};
};

class MaskEmitterTest : public ::testing::Test {
  protected:
    void SetUp() override { resetRandom(); }

    void walk(MaskCanvas& canvas, float elapsed, int stepBudget, int startX, int startY, int anchorStep = 0,
              float duration = 67.0f) {
        emitFromMask(elapsed, duration, canvas.mask(), stepBudget, logo, sparks, startX, startY, anchorStep);
    }

    // The mask pixels of the logo particles, in emission order (the logo lies at height 10,
    // image column x at world x = 320 - x, row y at world z = y - 50).
    std::vector<Pixel> logoPixels() const {
        std::vector<Pixel> pixels;
        for (int i = 0; i < logo.count; ++i) {
            const Vec3d& p = logo.particles[i].position;
            EXPECT_EQ(p.y, 10.0);
            pixels.emplace_back(int(320 - p.x), int(p.z + 50));
        }
        return pixels;
    }

    ScopedRecordingTextures textures; // before the systems, which load their sprite when built
    test::TestClock clock{5000};
    ParticleSystem logo{10000, "data/fire.jpg", 40.0f, 150, 3.0f, 0.0f};
    ParticleSystem sparks{5000, "data/fire.jpg", 2.0f, 10, 10.0f, 80.0f};
};

// A single-pixel path that never ends or closes within 1400 steps: rows 300 pixels long,
// two apart, joined alternately at the right and the left end.
void drawSerpentine(MaskCanvas& canvas, int startX, int startY, int rows) {
    for (int r = 0; r < rows; ++r) {
        const int y = startY + 2 * r;
        canvas.row(startX, startX + 299, y);
        if (r + 1 < rows) canvas.at(r % 2 == 0 ? startX + 299 : startX, y + 1) = 1;
    }
}

TEST_F(MaskEmitterTest, WalkLengthFollowsTheElapsedShareOfTheBudget) {
    struct Case {
        float elapsed;
        int expectedSteps;
    };
    const Case cases[] = {
        {0.0f, 0},    {0.5f, 11}, // 10.4 steps, the fraction not dropped
        {1.0f, 21},               // 20.9
        {33.5f, 700}, {67.0f, 1400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        MaskCanvas canvas;
        drawSerpentine(canvas, 10, 10, 10);
        logo.count = 0;
        walk(canvas, c.elapsed, 1400, 10, 10);
        // Every step reaches a new pixel of the path, so steps and logo particles are one.
        EXPECT_EQ(logo.count, c.expectedSteps);
        EXPECT_TRUE(canvas.guardsIntact());
    }
}

TEST_F(MaskEmitterTest, LaterFramesOnlyGrowTheFrontOfTheWalk) {
    MaskCanvas canvas;
    drawSerpentine(canvas, 10, 10, 3);
    walk(canvas, 1.0f, 1400, 10, 10);
    ASSERT_EQ(logo.count, 21);
    walk(canvas, 2.0f, 1400, 10, 10); // 41.8: 42 steps, the first 21 over marked pixels
    ASSERT_EQ(logo.count, 42);
    std::vector<Pixel> pixels = logoPixels();
    for (int i = 0; i < 42; ++i) EXPECT_EQ(pixels[i], Pixel(11 + i, 10));
    EXPECT_EQ(canvas.at(52, 10), MASK_EMITTED);
    EXPECT_EQ(canvas.at(53, 10), 1);
    EXPECT_EQ(canvas.at(10, 10), 1); // the start pixel is left behind by the first step
}

TEST_F(MaskEmitterTest, SerpentineTurnsDownAtItsEnds) {
    MaskCanvas canvas;
    drawSerpentine(canvas, 10, 10, 3);
    walk(canvas, 67.0f, 310, 10, 10);
    std::vector<Pixel> pixels = logoPixels();
    ASSERT_EQ(pixels.size(), 310u);
    EXPECT_EQ(pixels[298], Pixel(309, 10));
    EXPECT_EQ(pixels[299], Pixel(309, 11));
    EXPECT_EQ(pixels[300], Pixel(309, 12));
    EXPECT_EQ(pixels[301], Pixel(308, 12)); // left along the second row
    EXPECT_EQ(pixels[309], Pixel(300, 12));
}

TEST_F(MaskEmitterTest, SteeringTakesTheFirstSetNeighbourInItsOrder) {
    // The walker comes along row 50 from (100, 50) and, in the "down" cases, turns down at
    // (105, 50) to (105, 53). At the last pixel the way ahead is clear and only the listed
    // neighbours are set; the next logo pixel shows which one it took.
    struct Case {
        const char* name;
        bool down;
        std::vector<Pixel> neighbours;
        std::vector<Pixel> next; // empty: nowhere to go, the walker stays
    };
    const Case cases[] = {
        {"below before above", false, {{105, 51}, {105, 49}}, {{105, 51}}},
        {"above before above-right", false, {{106, 49}, {105, 49}}, {{105, 49}}},
        {"below-right before above-right", false, {{106, 49}, {106, 51}}, {{106, 51}}},
        {"above-right before above-left", false, {{104, 49}, {106, 49}}, {{106, 49}}},
        {"above-left before below-left", false, {{104, 51}, {104, 49}}, {{104, 49}}},
        {"below-left last", false, {{104, 51}}, {{104, 51}}},
        {"free end", false, {}, {}},
        {"right before left", true, {{104, 53}, {106, 53}}, {{106, 53}}},
        {"left", true, {{104, 53}}, {{104, 53}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MaskCanvas canvas;
        canvas.row(100, 105, 50);
        if (c.down) canvas.column(105, 51, 53);
        for (const Pixel& p : c.neighbours) canvas.at(p.first, p.second) = 1;
        const int stepsToCorner = c.down ? 8 : 5;
        logo.count = 0;
        walk(canvas, 67.0f, stepsToCorner + 1, 100, 50);
        std::vector<Pixel> pixels = logoPixels();
        ASSERT_EQ(pixels.size(), size_t(stepsToCorner) + c.next.size());
        EXPECT_EQ(pixels[stepsToCorner - 1], c.down ? Pixel(105, 53) : Pixel(105, 50));
        if (!c.next.empty()) {
            EXPECT_EQ(pixels.back(), c.next[0]);
        }
    }
}

TEST_F(MaskEmitterTest, ClearStartPixelWithoutSetNeighboursEmitsNothing) {
    MaskCanvas canvas;
    canvas.row(200, 250, 100); // set pixels elsewhere do not matter
    const std::vector<uint8_t> before = canvas.buffer;
    walk(canvas, 67.0f, 1400, 131, 41);
    EXPECT_EQ(logo.count, 0);
    EXPECT_EQ(sparks.count, 0);
    EXPECT_EQ(canvas.buffer, before);
    // Sparks are drawn for only on set pixels: the shared sequence was not touched.
    EXPECT_EQ(nextRandom(), 41);
}

TEST_F(MaskEmitterTest, MarkedPixelsSteerButNeverEmit) {
    MaskCanvas canvas;
    canvas.row(100, 104, 41);
    canvas.at(102, 41) = MASK_EMITTED;
    walk(canvas, 67.0f, 1400, 100, 41);
    EXPECT_EQ(logoPixels(), (std::vector<Pixel>{{101, 41}, {103, 41}, {104, 41}}));
    for (int x = 101; x <= 104; ++x) EXPECT_EQ(canvas.at(x, 41), MASK_EMITTED) << x;
    EXPECT_EQ(canvas.at(100, 41), 1);
}

TEST_F(MaskEmitterTest, FullLogoPoolStillMarksThePixels) {
    ParticleSystem full(1, "data/fire.jpg", 40.0f, 150, 3.0f, 0.0f);
    MaskCanvas canvas;
    canvas.row(100, 110, 41);
    emitFromMask(67.0f, 67.0f, canvas.mask(), 1400, full, sparks, 100, 41, 0);
    EXPECT_EQ(full.count, 0);
    for (int x = 101; x <= 110; ++x) EXPECT_EQ(canvas.at(x, 41), MASK_EMITTED) << x;
}

TEST_F(MaskEmitterTest, ClosedSquareIsTracedRightDownLeftUpWithTheStartPixelLast) {
    // Corners (131, 41) and (134, 44); the walk starts at the top-left corner heading right.
    const std::vector<Vec3d> expected = {
        {188, 10, -9}, {187, 10, -9}, {186, 10, -9}, // top edge
        {186, 10, -8}, {186, 10, -7}, {186, 10, -6}, // right edge, down
        {187, 10, -6}, {188, 10, -6}, {189, 10, -6}, // bottom edge, leftwards
        {189, 10, -7}, {189, 10, -8},                // left edge, up
        {189, 10, -9},                               // the start pixel
    };
    struct Case {
        int anchorStep;
        int steps;
        size_t emitted;
    };
    const Case cases[] = {
        {0, 12, 11}, // the closing step emits nothing
        {0, 13, 12}, // the start pixel at the start of the second lap
        {0, 60, 12}, // later laps pass marked pixels only
        {1, 24, 11}, // the anchor slides one column; the second lap ends at the start pixel
        {1, 25, 12},
        // The anchor slides past the square onto a clear pixel: the walk restarts at the start
        // pixel heading right with the anchor back there, closes each lap at once and never
        // stops on the start pixel to emit it.
        {5, 200, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "anchorStep " << c.anchorStep << ", " << c.steps << " steps");
        MaskCanvas canvas;
        canvas.row(131, 134, 41);
        canvas.row(131, 134, 44);
        canvas.column(131, 42, 43);
        canvas.column(134, 42, 43);
        logo.count = 0;
        walk(canvas, 67.0f, c.steps, 131, 41, c.anchorStep);
        ASSERT_EQ(size_t(logo.count), c.emitted);
        for (size_t i = 0; i < c.emitted; ++i)
            EXPECT_EQ(logo.particles[i].position, expected[i]) << "particle " << i;
        EXPECT_EQ(canvas.at(131, 41), c.emitted == 12 ? MASK_EMITTED : 1);
    }
}

TEST_F(MaskEmitterTest, StrokesOnTheImageBorderNeverLookOutside) {
    struct Case {
        const char* name;
        Pixel start;
        std::vector<Pixel> stroke;  // drawn in the mask, start included
        std::vector<Pixel> decoys;  // set pixels a wrapped or outside read would land on
        std::vector<Pixel> emitted; // expected logo pixels in order
    };
    auto rowRun = [](int x0, int x1, int y) {
        std::vector<Pixel> p;
        for (int x = x0; x <= x1; ++x) p.emplace_back(x, y);
        return p;
    };
    auto columnRun = [](int x, int y0, int y1) {
        std::vector<Pixel> p;
        for (int y = y0; y <= y1; ++y) p.emplace_back(x, y);
        return p;
    };
    const Case cases[] = {
        {"top row", {100, 0}, rowRun(100, 110, 0), {}, rowRun(101, 110, 0)},
        {"bottom row", {100, 199}, rowRun(100, 110, 199), {}, rowRun(101, 110, 199)},
        // Column 319's right neighbour is column 0 of the next row in memory.
        {"right column", {319, 50}, columnRun(319, 50, 60), columnRun(0, 40, 70), columnRun(319, 51, 60)},
        // Column 0's left neighbour is column 319 of the row above.
        {"left column", {0, 50}, columnRun(0, 50, 60), columnRun(319, 40, 70), columnRun(0, 51, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MaskCanvas canvas;
        for (const Pixel& p : c.stroke) canvas.at(p.first, p.second) = 1;
        for (const Pixel& p : c.decoys) canvas.at(p.first, p.second) = 1;
        logo.count = 0;
        walk(canvas, 67.0f, 1400, c.start.first, c.start.second);
        EXPECT_EQ(logoPixels(), c.emitted);
        EXPECT_TRUE(canvas.guardsIntact());
        for (const Pixel& p : c.decoys) EXPECT_EQ(canvas.at(p.first, p.second), 1);
    }
}

TEST_F(MaskEmitterTest, SparkRisesWhereTheWalkerStands) {
    // A budget of 2 leaves odds of 1 in 1: every step on a set pixel updates the spark system.
    clock.clock.set(5000);
    sparks.update(); // the first update only starts the spark system's rate clock
    clock.clock.set(6000);
    MaskCanvas canvas;
    canvas.row(50, 60, 50);
    walk(canvas, 67.0f, 2, 50, 50);
    // The first step's update emits; the second, at the same instant, owes nothing.
    ASSERT_EQ(sparks.count, 1);
    EXPECT_EQ(sparks.particles[0].position, (Vec3d{269, 10, 0}));
    EXPECT_EQ(sparks.emitPosition, (Vec3d{268, 10, 0}));
    EXPECT_EQ(logo.count, 2);
}

TEST_F(MaskEmitterTest, DegenerateBudgetsAndDurationsEndTheCall) {
    struct Case {
        float elapsed, duration;
        int budget;
        int expectedSteps;
    };
    const Case cases[] = {
        {10.0f, 0.0f, 30, 30}, // an endless share stops at the budget
        {0.0f, 0.0f, 30, 0},   // no share at all
        {67.0f, 67.0f, 1, 1},  // no odds to draw a spark from
        {67.0f, 67.0f, -5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.elapsed << " / " << c.duration << ", budget " << c.budget);
        MaskCanvas canvas;
        drawSerpentine(canvas, 10, 10, 2);
        logo.count = 0;
        walk(canvas, c.elapsed, c.budget, 10, 10, 0, c.duration);
        EXPECT_EQ(logo.count, c.expectedSteps);
    }
}

} // namespace
} // namespace pelx
