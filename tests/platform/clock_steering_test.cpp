#include "platform/clock_steering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelx {
namespace {

// A sound device playing from system time 0 at its own rate, mixing in passes of about 93 ms:
// the position it reports moves only when a pass is mixed, and stands still while it stalls.
struct Device {
    double rate = 1.0;                   // device seconds per system second
    double passMs = 92.88;               // 4096 frames at 44.1 kHz
    double stallFrom = -1, stallTo = -1; // system ms during which nothing is mixed
    double restartAt = -1;               // system ms at which the stream starts again from 0

    // Music time heard at system time t: what the steered clock should show (plus the anchor).
    double heardMs(double t) const {
        double playing = t;
        if (restartAt >= 0 && t >= restartAt) playing = t - restartAt;
        if (stallFrom >= 0 && t >= stallFrom) playing -= std::min(t, stallTo) - stallFrom;
        return playing * rate;
    }
    // The reading the music layer would give at system time t: the last pass's position, and the
    // time the pass was stamped, which a busy sound thread makes up to 4 ms late.
    ClockReading reading(double t) const {
        double passAt = std::floor(t / passMs) * passMs;
        if (stallFrom >= 0 && passAt > stallFrom && passAt < stallTo)
            passAt = std::floor(stallFrom / passMs) * passMs;
        const double stampLate = static_cast<double>(static_cast<long>(passAt / passMs) * 7919 % 5);
        return {heardMs(passAt) / 1000.0, std::min(t, passAt + stampLate), 1.5 * passMs};
    }
};

struct Trace {
    std::vector<double> systemMs, shownMs, heardMs;
};

// Steps the clock at frame times from 0 to lengthMs with a little jitter on every frame.
Trace play(const Device& device, double frameMs, double lengthMs) {
    SteeredClock clock;
    Trace run;
    unsigned seed = 12345;
    for (double t = 0; t <= lengthMs;) {
        ClockReading reading = device.reading(t);
        run.systemMs.push_back(t);
        run.shownMs.push_back(steerClock(clock, t, &reading));
        run.heardMs.push_back(device.heardMs(t));
        seed = seed * 1103515245u + 12345u;
        t += frameMs + static_cast<double>((seed >> 16) % 5) - 2.0;
    }
    return run;
}

TEST(ClockSteeringTest, FollowsTheMusicNeverBackwards) {
    struct Case {
        const char* what;
        Device device;
        double frameMs;
        double settleFromMs; // the offset is checked from here on
    };
    Device fast, slow;
    fast.rate = 1.0002;
    slow.rate = 0.9998;
    const Case cases[] = {
        {"device 200 ppm fast, 60 fps", fast, 16.7, 500},
        {"device 200 ppm slow, 60 fps", slow, 16.7, 500},
        {"device 200 ppm fast, 24 fps", fast, 41.7, 500},
        {"device 200 ppm slow, 144 fps", slow, 6.9, 500},
    };
    for (const Case& c : cases) {
        Trace run = play(c.device, c.frameMs, 300000);
        double worst = 0, roughest = 0;
        for (size_t i = 0; i < run.systemMs.size(); ++i) {
            if (i > 0) {
                ASSERT_GE(run.shownMs[i], run.shownMs[i - 1]) << c.what << " at " << run.systemMs[i];
            }
            // Over five minutes a 200 ppm device drifts 60 ms from the system clock; the steered
            // clock stays with the music.
            if (run.systemMs[i] < c.settleFromMs) continue;
            worst = std::max(worst, std::abs(run.shownMs[i] - run.heardMs[i]));
            // Late stamps are smoothed out, not passed on as uneven steps from frame to frame.
            const double step = run.systemMs[i] - run.systemMs[i - 1];
            roughest = std::max(roughest, std::abs(run.shownMs[i] - run.shownMs[i - 1] - step));
        }
        EXPECT_LT(worst, c.frameMs) << c.what;
        EXPECT_LT(roughest, 3.0) << c.what;
        EXPECT_GT(std::abs(run.heardMs.back() - run.systemMs.back()), 50.0) << c.what;
    }
}

TEST(ClockSteeringTest, AStalledStreamHoldsThePictureAndARestartIsFollowed) {
    const double frameMs = 16.7;
    {
        Device device;
        device.stallFrom = 10000;
        device.stallTo = 10500;
        Trace run = play(device, frameMs, 15000);
        for (size_t i = 1; i < run.systemMs.size(); ++i) {
            const double t = run.systemMs[i];
            ASSERT_GE(run.shownMs[i], run.shownMs[i - 1]);
            const double offset = run.shownMs[i] - run.heardMs[i];
            // While the sound stands still the picture may run on by a buffer and a few frames, no more.
            if (t >= device.stallFrom && t < device.stallTo) {
                EXPECT_LT(offset, 4 * frameMs + 93) << t;
            }
            // Within a few frames of the sound coming back, the clock is with it again.
            if (t >= device.stallTo + 10 * frameMs && t < device.stallTo + 2000) {
                EXPECT_LT(std::abs(offset), frameMs) << t;
            }
        }
    }
    {
        Device device;
        device.restartAt = 20000;
        Trace run = play(device, frameMs, 30000);
        double offsetAfter = 0;
        for (size_t i = 1; i < run.systemMs.size(); ++i) {
            const double t = run.systemMs[i];
            ASSERT_GE(run.shownMs[i], run.shownMs[i - 1]) << t;
            // The picture goes on from where it is and then keeps the restarted music's pace.
            if (t >= device.restartAt && t < device.restartAt + 200) {
                EXPECT_LT(run.shownMs[i] - run.shownMs[i - 1], 3 * frameMs) << t;
            }
            if (t >= device.restartAt + 10 * frameMs) {
                const double offset = run.shownMs[i] - run.heardMs[i];
                if (offsetAfter == 0) offsetAfter = offset;
                EXPECT_LT(std::abs(offset - offsetAfter), frameMs) << t;
            }
        }
        EXPECT_NEAR(offsetAfter, 20000, 3 * frameMs);
    }
}

TEST(ClockSteeringTest, WithoutReadingsTheSystemPaceGoesOnFromWhereTheClockIs) {
    SteeredClock clock;
    EXPECT_EQ(steerClock(clock, 5000, nullptr), 5000);
    EXPECT_EQ(steerClock(clock, 5016, nullptr), 5016);
    // A reference that reads 0 now is counted from the clock's value, then stops being read.
    ClockReading reading{0.0, 5016, 0};
    EXPECT_EQ(steerClock(clock, 5016, &reading), 5016);
    reading = {1.0, 6016, 46};
    EXPECT_NEAR(steerClock(clock, 6016, &reading), 6016, 1e-9);
    EXPECT_EQ(steerClock(clock, 7016, nullptr), 7016);
    // A reading older than three seconds is a lost reference: the system's pace again.
    EXPECT_EQ(steerClock(clock, 9100, &reading), 9100);
}

} // namespace
} // namespace pelx
