#include "platform/clock.h"
#include "platform/message.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

TEST(ClockTest, VirtualClockReplacesTheRealOneUntilRemoved) {
    {
        test::TestClock virtualClock(5000);
        EXPECT_EQ(tickCount(), 5000u);
        virtualClock.clock.advance(17);
        EXPECT_EQ(tickCount(), 5017u);
    }
    // The real clock counts from program start, so it is small, not the machine's uptime.
    EXPECT_LT(tickCount(), 600000u);
}

TEST(ClockTest, SecondsAreTheCountTimesTheFloatThousandthRoundedOnce) {
    // Worked values: 16777217 x 0.001f = 16777.2177969 rounds to 16777.21875 (rounding the count
    // to a float first would give 16777.216796875); the largest count, 4294967295 ms, gives
    // 4294967.5 s; 1 ms is 0.001f exactly.
    struct Case {
        uint32_t ms;
        float seconds;
    } cases[] = {{0, 0.0f}, {1, 0.001f}, {16777217, 16777.21875f}, {4294967295u, 4294967.5f}};
    for (const Case& c : cases) {
        test::TestClock virtualClock(c.ms);
        EXPECT_EQ(tickSeconds(), c.seconds) << c.ms << " ms";
    }
}

TEST(MessageTest, RecorderReceivesTextAndCaptionAndLetsGo) {
    {
        test::MessageRecorder recorder;
        showMessage("data/end.jpg", "-=(Status)=-");
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].first, "data/end.jpg");
        EXPECT_EQ(recorder.messages[0].second, "-=(Status)=-");
    }
    std::vector<std::string> seen;
    {
        ScopedMessageSink sink([&](const std::string& text, const std::string&) { seen.push_back(text); });
        showMessage("after", "Error");
    }
    EXPECT_EQ(seen, std::vector<std::string>{"after"});
}

} // namespace
} // namespace pelx
