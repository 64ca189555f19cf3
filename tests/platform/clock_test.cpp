#include "platform/clock.h"
#include "platform/message.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

TEST(ClockTest, VirtualClockReplacesTheRealOneUntilRemoved) {
    {
        test::ScopedVirtualClock virtualClock(5000);
        EXPECT_EQ(tickCount(), 5000u);
        virtualClock.clock.advance(17);
        EXPECT_EQ(tickCount(), 5017u);
    }
    // The real clock counts from program start, so it is small, not the machine's uptime.
    EXPECT_LT(tickCount(), 600000u);
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
    setMessageSink([&](const std::string& text, const std::string&) { seen.push_back(text); });
    showMessage("after", "Error");
    setMessageSink(nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{"after"});
}

} // namespace
} // namespace pelx
