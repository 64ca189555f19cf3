// Scene clock and frame loop helpers.
#include "timeline/scene_clock.h"

#include "display/display.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pelx {

namespace {
// Where the show's next scene starts, in milliseconds of the tick counter, so that the lengths add
// up without rounding and a scene starts exactly where a clock reading would put it. Written by
// beginShow, endShow and beginScene; read by beginScene.
struct ShowTimeline {
    bool running = false;
    uint64_t nextStartMs = 0;
} showTimeline;
} // namespace

float clockSeconds() {
    return tickSeconds();
}

void beginShow() {
    showTimeline.running = true;
    showTimeline.nextStartMs = tickCount();
}

void endShow() {
    showTimeline.running = false;
}

void beginScene(float duration) {
    if (showTimeline.running) {
        // The tick count in seconds as clockSeconds reads it, rounded to a float once.
        sceneClock.start =
            static_cast<float>(static_cast<double>(showTimeline.nextStartMs) * static_cast<double>(0.001f));
        showTimeline.nextStartMs += static_cast<uint64_t>(std::llround(std::max(0.0f, duration) * 1000.0));
    } else {
        sceneClock.start = clockSeconds();
    }
    sceneClock.elapsed = 0;
    sceneClock.duration = duration;
}

bool tick() {
    // The product is kept in double so that only the difference is rounded to a float.
    double now = static_cast<double>(tickCount()) * static_cast<double>(0.001f);
    sceneClock.elapsed = static_cast<float>(now - static_cast<double>(sceneClock.start));
    // A stop request (a signal, never a window message) ends the scene before its next frame.
    if (stopRequested()) return false;
    return sceneClock.elapsed <= sceneClock.duration;
}

void pumpOrPresent() {
    WindowEvent event;
    if (pollOneEvent(&event)) {
        // A quit request lands here too and is dropped: nothing shortens a scene.
        displayWindowProc(displayState.window, event);
        return;
    }
    presentWindow(displayState.window);
}

} // namespace pelx
