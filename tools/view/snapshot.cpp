// --snapshot: the scene played on a virtual clock, frame by frame as the show's frame loop
// plays it, and the frame at the asked time written as PNG.
#include "display/display.h"
#include "frame_readback.h"
#include "platform/clock.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "png_writer.h"
#include "render/animation.h"
#include "texture_lookup.h"
#include "timeline/scene_clock.h"
#include "view_frame.h"
#include "view_options.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace pelx::view {

namespace {

// pelx-capture's clock starts here too, so the same frame numbers give the same readings.
constexpr uint32_t START_MS = 1000;

uint32_t clockAt(int64_t frame, int fps) {
    return START_MS + static_cast<uint32_t>(std::llround(static_cast<double>(frame) * 1000.0 / fps));
}

int failure(const std::string& message) {
    std::fprintf(stderr, "pelx-view: %s\n", message.c_str());
    return 2;
}

} // namespace

int runSnapshot(const ViewOptions& options) {
    setMessageSink(stderrMessageSink());
    if (const std::string problem = sceneFileProblem(options.file); !problem.empty()) {
        std::fprintf(stderr, "pelx-view: %s\n", problem.c_str());
        return 2;
    }
    VirtualClock clock(clockAt(options.clockFrames, options.fps));
    ScopedVirtualClock installedClock(&clock);
    launchOptions = LaunchOptions{};
    launchOptions.width = options.width;
    launchOptions.height = options.height;
    launchOptions.fullscreen = false;
    PlatformWindow* window = createDisplayWindow("pelx-view", options.width, options.height, false, nullptr);
    if (!window || !initRenderer(window))
        return failure("the window could not be opened (no X display? try xvfb-run -a)");
    setEventsIgnored(true);

    TextureLookup lookup(std::filesystem::path(options.file).parent_path(), glTextureBackend());
    LoadedScene loaded = loadViewedScene(options.file, options.settings, lookup);
    if (!loaded.scene) return failure(loaded.error);
    for (const std::string& problem : lookup.problems)
        std::fprintf(stderr, "pelx-view: %s\n", problem.c_str());
    Scene& scene = *loaded.scene;

    ViewState view;
    view.width = options.width;
    view.height = options.height;
    view.bounds = sceneBounds(scene);
    view.freeView = options.free || !hasUsableCamera(scene);
    view.freeCamera = frameBounds(view.bounds, static_cast<double>(options.width) / options.height);
    view.headlight.on = !lightReachesMeshes(scene);
    const float length = options.length >= 0 ? options.length : sceneLength(scene);

    // Frame k of the scene is drawn with the clock at frame clockFrames + k, as the show's loop
    // draws it after k presented frames. Frames before the last are only animated, unless the
    // scene has flares, whose particles live from frame to frame.
    const int64_t last = std::llround(static_cast<double>(options.at) * options.fps);
    beginScene(length);
    for (int64_t k = 0; k <= last; ++k) {
        clock.set(clockAt(options.clockFrames + k, options.fps));
        if (!tick()) {
            // Past the end: the scene plays again from its start.
            rewindScene(scene);
            beginScene(length);
            tick();
        }
        const bool drawn = k == last || scene.emitterCount > 0;
        if (drawn) clearFrame();
        animateScene(scene);
        if (drawn) drawViewFrame(scene, view);
    }
    const std::vector<uint8_t> pixels = readBackBuffer(options.width, options.height);
    std::string error;
    if (!writePng(options.snapshot, options.width, options.height, pixels.data(), &error))
        return failure(error);
    releaseSceneTextures(scene);
    closeDisplay();
    return 0;
}

} // namespace pelx::view
