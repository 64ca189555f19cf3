// Steering a clock toward a reference that runs beside it, such as the soundtrack's playback
// position: the clock never goes backwards, an error is corrected a little on every step, and a
// reference that stops holds the clock rather than letting it run ahead.
#pragma once

namespace pelx {

// One reading of the reference: its own time, and the system time at which that was its time.
struct ClockReading {
    double seconds = 0; // the reference's time
    double atMs = 0;    // system milliseconds at which it read `seconds`
    double holdMs = 0;  // how long after atMs it can be taken to have run on unobserved
};

// Reads the reference; false when it has nothing to say (no music, or no position).
using ClockReference = bool (*)(ClockReading* reading);

// The steered clock's state. Zero-initialised it starts at the system time of its first step.
struct SteeredClock {
    bool started = false;
    double shownMs = 0;  // the clock's value, unrounded
    double systemMs = 0; // the system time of that value
    bool anchored = false;
    double anchorMs = 0; // the clock's value at which the reference read 0
};

// An error shrinks by the factor exp(-dt / STEER_TIME_MS) over a step of dt: at 60 frames per
// second about a quarter of it is made up each frame.
inline constexpr double STEER_TIME_MS = 50;
// An error larger than this is not drift but a jump of the reference (restarted, or back after a
// long silence): the clock follows it from where the clock is now instead of leaping.
inline constexpr double STEER_JUMP_MS = 1000;
// A reference that has not been seen to move for this long is lost (a sound device that never
// starts, or has died): the clock runs on at the system's pace until it moves again. Shorter
// stalls, such as a busy machine starving the sound thread for a second or two, hold the clock.
inline constexpr double STEER_LOST_MS = 3000;

// The clock's value at system time systemMs, given the reference's latest reading (nullptr when
// there is none). Without a reading it runs at the system's pace; with one it follows the
// reference, counted from the clock's value at the first reading.
double steerClock(SteeredClock& clock, double systemMs, const ClockReading* reading);

} // namespace pelx
