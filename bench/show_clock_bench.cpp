// The show in real time with its soundtrack, reporting at every scene start and at the end where
// the show's clock stands against the music the listener hears and against the system clock.
// Run from the folder that holds data/, under a display; SDL_AUDIODRIVER=disk with
// SDL_DISKAUDIOFILE=/dev/null plays the music without a sound card.
//
// usage: pelx-bench-show-clock [WxH]      (default 320x240)
#include "audio/music.h"
#include "platform/clock.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "platform/stop_signal.h"
#include "timeline/demo_sequence.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

using namespace pelx;

namespace {

struct Marks {
    uint32_t showStartMs = 0;
    uint64_t systemStartMs = 0;
    double worstMs = 0;
};

// One line: the show's time, the music's heard position and the system's time since the first
// scene began, and the show's distance from the music.
void report(Marks& marks, const char* what) {
    const double showMs = static_cast<double>(tickCount() - marks.showStartMs);
    const double systemMs = static_cast<double>(SDL_GetTicks64() - marks.systemStartMs);
    ClockReading reading;
    if (!musicPlaybackReading(&reading)) {
        std::printf("%-14s show %10.1f ms  system %10.1f ms  music: no position\n", what, showMs, systemMs);
        return;
    }
    const double since = std::clamp(static_cast<double>(SDL_GetTicks64()) - reading.atMs, 0.0, reading.holdMs);
    const double musicMs = reading.seconds * 1000.0 + since;
    marks.worstMs = std::max(marks.worstMs, std::abs(showMs - musicMs));
    std::printf("%-14s show %10.1f ms  system %10.1f ms  music %10.1f ms  show - music %7.1f ms  system - music %7.1f ms\n",
                what, showMs, systemMs, musicMs, showMs - musicMs, systemMs - musicMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int width = 320, height = 240;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: pelx-bench-show-clock [WxH]\n");
        return 2;
    }
    installStopSignals();
    setMessageSink(stderrMessageSink());
    launchOptions = LaunchOptions{};
    launchOptions.width = width;
    launchOptions.height = height;
    launchOptions.fullscreen = false;
    launchOptions.launchRequested = 1;
    Marks marks;
    ShowHooks hooks;
    hooks.sceneStarts = [&](const ShowScene& scene) {
        if (scene.name == std::string("road")) {
            // The music has just started; the show's time and the system's count from here.
            marks.showStartMs = tickCount();
            marks.systemStartMs = SDL_GetTicks64();
        }
        report(marks, (std::string(scene.name) + " starts").c_str());
    };
    hooks.sceneEnds = [&](const ShowScene& scene) {
        if (scene.name == std::string("disco")) report(marks, "show ends");
    };
    runShow(nullptr, hooks);
    if (const int signal = stopSignal()) endByStopSignal(signal);
    std::printf("largest distance of the show from the music: %.1f ms\n", marks.worstMs);
    return 0;
}
