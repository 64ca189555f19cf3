#include "platform/random.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

// The sequence every run of the show draws: the classic never-seeded runtime generator.
TEST(RandomTest, FreshSequenceMatchesTheUnseededRuntimeGenerator) {
    resetRandom();
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(nextRandom(), value);
}

TEST(RandomTest, ValuesStayInFifteenBitsAndResetRepeats) {
    resetRandom();
    std::vector<int> first;
    for (int i = 0; i < 1000; ++i) {
        int value = nextRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
        first.push_back(value);
    }
    resetRandom();
    for (int value : first) ASSERT_EQ(nextRandom(), value);
}

TEST(RandomTest, RandomBelowDrawsFromTheSharedSequence) {
    resetRandom();
    EXPECT_EQ(randomBelow(32768), 41); // the first value of a fresh run, unreduced
    EXPECT_EQ(randomBelow(100), 67);   // 18467
    EXPECT_EQ(randomBelow(1000), 334); // 6334
    for (int i = 0; i < 200; ++i) ASSERT_EQ(randomBelow(1), 0);
    resetRandom();
}

} // namespace
} // namespace pelx
