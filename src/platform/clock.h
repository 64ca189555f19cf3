// The millisecond tick counter. The real clock counts from program start and, while a reference
// such as the playing soundtrack is followed, is steered toward it; tests and the capture tool
// install a virtual clock behind the same function.
#pragma once

#include "platform/clock_steering.h"
#include "platform/scoped_swap.h"

#include <cstdint>

namespace pelx {

// Milliseconds as an unsigned 32-bit count, like the tick counter the timing rules are written for.
uint32_t tickCount();

// The tick count in seconds: the whole count times the float constant 0.001, rounded to a float
// once. Converting the count to a float first would round it a second time past 2^24 ms
// (about 4.7 hours after start).
float tickSeconds();

// A clock that only moves when told to. Installing one replaces the real clock for every reader.
class VirtualClock {
  public:
    explicit VirtualClock(uint32_t startMs = 0) : nowMs(startMs) {}
    uint32_t now() const { return nowMs; }
    void set(uint32_t ms) { nowMs = ms; }
    void advance(uint32_t ms) { nowMs += ms; }

  private:
    uint32_t nowMs;
};

// nullptr restores the real clock.
void installVirtualClock(VirtualClock* clock);
// The virtual clock installed now; nullptr while the real clock runs.
VirtualClock* currentVirtualClock();
// Installs a virtual clock while it lives (scoped_swap.h).
using ScopedVirtualClock = ScopedSwap<VirtualClock*, currentVirtualClock, installVirtualClock>;

// From now on the real clock follows this reference, counted from the clock's value at its first
// reading; nullptr lets it run on at the system's pace from where it is. Either way it never
// goes back. Called on the show's thread, which is the only one that reads the clock.
void followClockReference(ClockReference reference);

} // namespace pelx
