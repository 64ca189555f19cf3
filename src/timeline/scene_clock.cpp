// Scene clock and frame loop helpers.
#include "timeline/scene_clock.h"

#include "display/display.h"
#include "platform/clock.h"
#include "platform/stop_signal.h"

namespace pelx {

float clockSeconds() {
    return tickSeconds();
}

void beginScene(float duration) {
    sceneClock.start = clockSeconds();
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
