#include "platform/window.h"
#include "support/gl_test_support.h"
#include "timeline/scene_clock.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

TEST(SceneClockTest, TicksAgainstDuration) {
    test::TestClock virtualClock(123456);
    struct Step {
        uint32_t advanceMs;
        float elapsed;
        bool running;
    };
    struct Case {
        const char* what;
        float duration;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"start of a 27 s scene", 27.0f, {{0, 0.0f, true}}},
        {"exactly at the end, then past it", 2.0f, {{2000, 2.0f, true}, {1, 2.001f, false}}},
        {"duration 0 runs while the clock stands",
         0.0f,
         {{0, 0.0f, true}, {0, 0.0f, true}, {1, 0.001f, false}}},
    };
    for (const Case& c : cases) {
        beginScene(c.duration);
        EXPECT_EQ(sceneClock.elapsed, 0.0f) << c.what;
        EXPECT_EQ(sceneClock.duration, c.duration) << c.what;
        for (const Step& step : c.steps) {
            virtualClock.clock.advance(step.advanceMs);
            EXPECT_EQ(tick(), step.running) << c.what;
            EXPECT_NEAR(sceneClock.elapsed, step.elapsed, 1e-5) << c.what;
        }
    }
}

TEST(SceneClockTest, ShowScenesStartWhereTheOneBeforeEnds) {
    // Frames every 33 ms from 1000 ms; a 2 s scene's first frame past its end comes at 3013 ms.
    // The next scene started then would begin 13 ms late, and every boundary would add to it; in
    // a show it begins at 3000 ms, so its first frame is 13 ms into it.
    test::TestClock virtualClock(1000);
    beginShow();
    beginScene(2.0f);
    while (tick()) virtualClock.clock.advance(33);
    EXPECT_EQ(virtualClock.clock.now(), 3013u);
    beginScene(3.0f);
    // Where the clock's own seconds stand at 3000 ms.
    virtualClock.clock.set(3000);
    EXPECT_EQ(sceneClock.start, clockSeconds());
    virtualClock.clock.set(3013);
    EXPECT_TRUE(tick());
    EXPECT_NEAR(sceneClock.elapsed, 0.013f, 1e-6);
    endShow();
    // Outside a show a scene starts when it begins.
    virtualClock.clock.set(7000);
    beginScene(1.0f);
    EXPECT_FLOAT_EQ(sceneClock.start, 7.0f);
}

TEST(SceneClockTest, ElapsedIsTheRoundedDifferenceOfFloatSeconds) {
    // Past 2^24 ms the count itself is no longer exact as a float. start is the exact product
    // 16777217 x 0.001f (= 16777.2177969) rounded once, to 16777.21875; rounding the count first
    // would give 16777.216796875. One millisecond later elapsed is the difference taken before
    // rounding: 16777.2187969 - 16777.21875 = 4.6875e-5 s, not the 2 ms a float subtraction of
    // double-rounded seconds would report.
    test::TestClock virtualClock(16777217);
    beginScene(10.0f);
    EXPECT_EQ(sceneClock.start, 16777.21875f);
    virtualClock.clock.advance(1);
    tick();
    EXPECT_NEAR(sceneClock.elapsed, 4.6875095e-5f, 1e-11);
}

TEST(PumpOrPresentTest, HandlesOneEventOrPresents) {
    test::openTestDisplay();
    discardEvents();
    int presented = 0;
    ScopedPresentHook hook([&] { ++presented; });
    pushEvent(WindowEvent{EventKind::Other, 0, 0});
    pushEvent(WindowEvent{EventKind::Paint, 0, 0});
    pumpOrPresent();
    EXPECT_EQ(presented, 0);
    pumpOrPresent();
    EXPECT_EQ(presented, 0);
    pumpOrPresent();
    EXPECT_EQ(presented, 1);
}

} // namespace
} // namespace pelx
