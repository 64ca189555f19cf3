// The walker model on small masks: the order in which a closed outline is written, a stroke's
// free end, a start pixel off the mask, and pixels already marked.
#include "mask_walk.h"

#include "image/texture.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelx {
namespace {

int at(int x, int y) {
    return y * MASK_WIDTH + x;
}

std::vector<uint8_t> squareOutline(int left, int top, int size) {
    std::vector<uint8_t> mask(MASK_SIZE, 0);
    for (int i = 0; i < size; ++i) {
        mask[size_t(at(left + i, top))] = 255;
        mask[size_t(at(left + i, top + size - 1))] = 255;
        mask[size_t(at(left, top + i))] = 255;
        mask[size_t(at(left + size - 1, top + i))] = 255;
    }
    return mask;
}

TEST(MaskWalk, SquareIsWrittenRightDownLeftUpWithTheStartLast) {
    std::vector<uint8_t> mask = squareOutline(10, 10, 4);
    MaskWalk walk = walkMask(mask, 13, 10, 10);
    const std::vector<int> order = {at(11, 10), at(12, 10), at(13, 10), at(13, 11), at(13, 12), at(13, 13),
                                    at(12, 13), at(11, 13), at(10, 13), at(10, 12), at(10, 11), at(10, 10)};
    EXPECT_EQ(walk.emitted, order);
    // The twelfth iteration closes the lap without writing; the thirteenth writes the start.
    ASSERT_EQ(walk.emittedAt.size(), 12u);
    EXPECT_EQ(walk.emittedAt[10], 10);
    EXPECT_EQ(walk.emittedAt[11], 12);
    EXPECT_EQ(walk.closedTraces, 1);
    EXPECT_EQ(walk.restarts, 0);
    EXPECT_EQ(walk.stalls, 0);

    // Later laps find every pixel written already.
    MaskWalk laps = walkMask(mask, 60, 10, 10);
    EXPECT_EQ(laps.emitted, order);
    EXPECT_EQ(laps.closedTraces, 4);
}

TEST(MaskWalk, EdgeCases) {
    struct Case {
        const char* name;
        std::vector<uint8_t> mask;
        int iterations;
        size_t emitted;
        int restarts;
        int stalls;
    };
    std::vector<uint8_t> line(MASK_SIZE, 0);
    for (int x = 10; x <= 15; ++x) line[size_t(at(x, 10))] = 255;
    std::vector<uint8_t> marked = squareOutline(10, 10, 4);
    marked[size_t(at(12, 10))] = 12;
    marked[size_t(at(10, 12))] = 12;
    std::vector<uint8_t> elsewhere = squareOutline(50, 50, 4);
    const Case cases[] = {
        // Five steps to the end of the stroke, then no way on but back: the walker stays.
        {"free end", line, 10, 5, 0, 5},
        {"nothing walked yet", squareOutline(10, 10, 4), 0, 0, 0, 0},
        {"pixels already marked", marked, 13, 10, 0, 0},
        {"start pixel clear and alone", elsewhere, 7, 0, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MaskWalk walk = walkMask(c.mask, c.iterations, 10, 10);
        EXPECT_EQ(walk.emitted.size(), c.emitted);
        EXPECT_EQ(walk.restarts, c.restarts);
        EXPECT_EQ(walk.stalls, c.stalls);
    }
}

} // namespace
} // namespace pelx
