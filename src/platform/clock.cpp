// Tick counter: SDL's program-relative milliseconds, steered toward a followed reference, or an
// installed virtual clock.
#include "platform/clock.h"

#include <SDL.h>

namespace pelx {

namespace {
// Written by installVirtualClock (tests, capture tool); read by tickCount.
VirtualClock* virtualClock = nullptr;
// Written by followClockReference; read by tickCount.
ClockReference reference = nullptr;
// The real clock as steered so far. Written and read by tickCount and followClockReference.
SteeredClock realClock;
} // namespace

uint32_t tickCount() {
    if (virtualClock) return virtualClock->now();
    // Counting from program start keeps float seconds precise however long the machine has run.
    const double systemMs = static_cast<double>(SDL_GetTicks64());
    ClockReading reading;
    const bool known = reference && reference(&reading);
    return static_cast<uint32_t>(steerClock(realClock, systemMs, known ? &reading : nullptr));
}

float tickSeconds() {
    return static_cast<float>(static_cast<double>(tickCount()) * static_cast<double>(0.001f));
}

void installVirtualClock(VirtualClock* clock) {
    virtualClock = clock;
}

VirtualClock* currentVirtualClock() {
    return virtualClock;
}

void followClockReference(ClockReference followed) {
    reference = followed;
    realClock.anchored = false;
}

} // namespace pelx
