// The steering of a clock toward a reference, a pure function of the readings it is given.
#include "platform/clock_steering.h"

#include <algorithm>
#include <cmath>

namespace pelx {

double steerClock(SteeredClock& clock, double systemMs, const ClockReading* reading) {
    if (!clock.started) {
        clock.started = true;
        clock.shownMs = systemMs;
        clock.systemMs = systemMs;
    }
    const double step = std::max(0.0, systemMs - clock.systemMs);
    clock.systemMs = std::max(clock.systemMs, systemMs);
    const double paced = clock.shownMs + step;
    if (!reading || systemMs - reading->atMs > STEER_LOST_MS) {
        clock.shownMs = paced;
        return clock.shownMs;
    }
    // Between readings the reference runs at the system's pace, but no further than it can be
    // vouched for: past holdMs it has stalled, and the target stays where it stopped.
    const double since = std::clamp(systemMs - reading->atMs, 0.0, reading->holdMs);
    const double referenceMs = reading->seconds * 1000.0 + since;
    double error = clock.anchorMs + referenceMs - paced;
    if (!clock.anchored || std::abs(error) > STEER_JUMP_MS) {
        clock.anchorMs = paced - referenceMs;
        clock.anchored = true;
        error = 0;
    }
    // A fraction of the error that depends on the time passed, not on how often the clock is
    // read, so many reads in one frame steer no harder than one.
    const double steered = paced + error * (1.0 - std::exp(-step / STEER_TIME_MS));
    clock.shownMs = std::max(clock.shownMs, steered);
    return clock.shownMs;
}

} // namespace pelx
