// Frame times of the show played full screen, scaling included: the whole show (or one scene)
// from data/ in the current folder, full screen at the given size as "Launch" plays it, or in
// a window for comparison. A virtual clock moves on by 1/fps at every presented frame, so
// every run draws the same frames; the figures are the real time from one present to the next.
//   pelx-bench-fullscreen --size WxH [--windowed] [--fps N] [--scene NAME]
#include "platform/clock.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "platform/phase_timer.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "timeline/demo_sequence.h"

#include <GL/gl.h>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct SceneFrames {
    std::string name;
    std::vector<double> ms;
};

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s --size WxH [--windowed] [--fps N] [--scene NAME]\n", program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace pelx;
    int width = 800, height = 600, fps = 30;
    bool windowed = false;
    std::string scene;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--size" && hasValue && std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2)
            ++i;
        else if (arg == "--fps" && hasValue && std::sscanf(argv[i + 1], "%d", &fps) == 1 && fps > 0)
            ++i;
        else if (arg == "--scene" && hasValue)
            scene = argv[++i];
        else if (arg == "--windowed")
            windowed = true;
        else
            return usage(argv[0]);
    }
    if (width <= 0 || height <= 0) return usage(argv[0]);

    installStopSignals();
    setMessageSink(stderrMessageSink());
    launchOptions = LaunchOptions{};
    launchOptions.width = width;
    launchOptions.height = height;
    launchOptions.fullscreen = !windowed;
    launchOptions.musicOff = true;
    launchOptions.launchRequested = 1;
    // No event may cost a frame, so every run presents the same frames.
    setEventsIgnored(true);

    VirtualClock clock(1000);
    ScopedVirtualClock virtualClock(&clock);
    std::vector<SceneFrames> scenes;
    long presented = 0;
    Clock::time_point last;
    ScopedPresentHook timing([&] {
        if (!scenes.empty()) {
            // The previous frame's scaling and swap, and this frame's drawing, are in the interval.
            glFinish();
            const Clock::time_point now = Clock::now();
            scenes.back().ms.push_back(std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        }
        ++presented;
        clock.set(1000 + static_cast<uint32_t>(std::llround(static_cast<double>(presented) * 1000.0 / fps)));
    });
    ShowHooks hooks;
    hooks.onlyScene = scene;
    int drawableWidth = 0, drawableHeight = 0;
    hooks.beforeFirstScene = [&] {
        SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &drawableWidth, &drawableHeight);
    };
    hooks.sceneStarts = [&](const ShowScene& s) {
        glFinish();
        scenes.push_back(SceneFrames{s.name, {}});
        last = Clock::now();
    };
    runShow(nullptr, hooks);
    if (stopSignal()) return 128 + stopSignal();
    if (scenes.empty()) {
        std::fprintf(stderr, "%s: the show did not play (no display, or no data/ here)\n", argv[0]);
        return 1;
    }

    std::printf("%dx%d %s on a %dx%d drawable, %d fps of show time\n", width, height,
                windowed ? "windowed" : "full screen", drawableWidth, drawableHeight, fps);
    std::printf("%-8s %7s %10s %9s\n", "scene", "frames", "median ms", "p99 ms");
    for (const SceneFrames& s : scenes)
        std::printf("%-8s %7zu %10.2f %9.2f\n", s.name.c_str(), s.ms.size(), percentile(s.ms, 0.5),
                    percentile(s.ms, 0.99));
    return 0;
}
