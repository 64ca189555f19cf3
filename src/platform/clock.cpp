// Tick counter: SDL's program-relative milliseconds, or an installed virtual clock.
#include "platform/clock.h"

#include <SDL.h>

namespace pelx {

namespace {
// Written by installVirtualClock (tests, capture tool); read by tickCount.
VirtualClock* virtualClock = nullptr;
} // namespace

uint32_t tickCount() {
    if (virtualClock) return virtualClock->now();
    // Counting from program start keeps float seconds precise however long the machine has run.
    return static_cast<uint32_t>(SDL_GetTicks64());
}

float tickSeconds() {
    return static_cast<float>(static_cast<double>(tickCount()) * static_cast<double>(0.001f));
}

void installVirtualClock(VirtualClock* clock) {
    virtualClock = clock;
}

} // namespace pelx
