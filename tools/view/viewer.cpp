// The interactive viewer: the scene played on the real clock in a window, steered by the key
// table and the mouse, reloaded when its files change.
#include "display/display.h"
#include "file_watch.h"
#include "key_table.h"
#include "lighting/lighting.h"
#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "platform/phase_timer.h"
#include "platform/window.h"
#include "texture_lookup.h"
#include "view_frame.h"
#include "view_options.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace pelx::view {

namespace {

constexpr uint32_t WATCH_INTERVAL_MS = 250; // reloads come within a second of a change
constexpr uint32_t TITLE_INTERVAL_MS = 500;
constexpr float MAX_FRAME_SECONDS = 0.25f; // a stalled frame does not jump the animation
constexpr int SEEK_FPS = 30;               // animation steps when jumping in time

class Viewer {
  public:
    explicit Viewer(const ViewOptions& options) : options(options), settings(options.settings) {}

    int run() {
        setMessageSink(stderrMessageSink());
        if (const std::string problem = sceneFileProblem(options.file); !problem.empty()) {
            std::fprintf(stderr, "pelx-view: %s\n", problem.c_str());
            return 2;
        }
        launchOptions = LaunchOptions{};
        launchOptions.width = options.width;
        launchOptions.height = options.height;
        launchOptions.fullscreen = false;
        window = createDisplayWindow("pelx-view", options.width, options.height, false, nullptr);
        if (!window || !initRenderer(window)) {
            std::fprintf(stderr, "pelx-view: the window could not be opened (no X display?)\n");
            return 2;
        }
        view.width = options.width;
        view.height = options.height;
        if (!load(true)) return 2;
        view.freeView = !hasUsableCamera(*scene);
        view.freeCamera = frameBounds(view.bounds, aspect());
        view.headlight.on = !lightReachesMeshes(*scene);
        if (view.headlight.on) say("no light of the scene reaches a mesh: headlight on (H)");
        enablePhaseTimer(true);
        resetPhaseTotals();
        lastTick = tickCount();
        lastTitle = lastWatch = lastTick;

        while (running) {
            handleEvents();
            followWindowSize();
            const uint32_t now = tickCount();
            const float seconds = std::min((now - lastTick) / 1000.0f, MAX_FRAME_SECONDS);
            lastTick = now;
            fly(seconds);
            if (!paused) advance(seconds);
            if (now - lastWatch >= WATCH_INTERVAL_MS) {
                lastWatch = now;
                if (watch.changed()) reload(false);
            }
            drawFrame();
            ++framesSinceTitle;
            if (now - lastTitle >= TITLE_INTERVAL_MS) {
                updateTitle(now - lastTitle);
                lastTitle = now;
            }
        }
        releaseSceneTextures(*scene);
        if (fullscreen) leaveFullscreen(window);
        closeDisplay();
        return 0;
    }

  private:
    static void say(const std::string& text) { std::fprintf(stderr, "pelx-view: %s\n", text.c_str()); }

    double aspect() const { return static_cast<double>(view.width) / std::max(view.height, 1); }

    // Loads the file; on the first load a failure ends the viewer, later ones keep the old scene.
    bool load(bool first) {
        TextureLookup lookup(std::filesystem::path(options.file).parent_path(), glTextureBackend());
        LoadedScene loaded = loadViewedScene(options.file, settings, lookup);
        std::vector<std::string> watched = loaded.files;
        watched.insert(watched.end(), lookup.files.begin(), lookup.files.end());
        // A picture that is missing now may be put beside the scene later.
        if (!lookup.problems.empty())
            watched.push_back(std::filesystem::path(options.file).parent_path().empty()
                                  ? std::string(".")
                                  : std::filesystem::path(options.file).parent_path().string());
        if (!loaded.scene) {
            // Said once: nothing reloads until the files change again.
            say(first ? loaded.error : loaded.error + "; the scene before it stays on screen");
            shadowTestMode = settings.shadowTestMode; // the attempt reset it
            return false;
        }
        watch.watch(watched);
        for (const std::string& problem : lookup.problems) say(problem);
        if (scene) releaseSceneTextures(*scene);
        scene = std::move(loaded.scene);
        length = options.length >= 0 ? options.length : sceneLength(*scene);
        view.bounds = sceneBounds(*scene);
        summary = sceneSummary(*scene, length);
        if (first) say(std::filesystem::path(options.file).filename().string() + ": " + summary);
        return true;
    }

    void reload(bool asked) {
        const float keep = time;
        const bool headlightOn = view.headlight.on;
        if (!load(false)) return;
        view.headlight.on = headlightOn;
        // Same time, and so the same camera: the animation is played up to it again.
        time = std::min(keep, length);
        rewindScene(*scene);
        playForward(*scene, 0, time, length, SEEK_FPS);
        if (view.freeView == false && !hasUsableCamera(*scene)) view.freeView = true;
        say((asked ? "reloaded: " : "reloaded after a change on disk: ") + summary);
    }

    void advance(float seconds) {
        if (length <= 0) return;
        time += seconds;
        if (time > length) restart();
    }

    void restart() {
        time = 0;
        rewindScene(*scene);
    }

    void seek(float seconds) {
        const float target = std::clamp(time + seconds, 0.0f, length);
        // The cursors only move forward, at most one camera key a frame: going back replays
        // from the start, and either way the animation is stepped as on screen.
        float from = time;
        if (target < time) {
            rewindScene(*scene);
            animateAt(*scene, 0, length);
            from = 0;
        }
        playForward(*scene, from, target, length, SEEK_FPS);
        time = target;
    }

    void drawFrame() {
        clearFrame();
        {
            ScopedPhase phase(Phase::Animate);
            animateAt(*scene, time, length);
        }
        drawViewFrame(*scene, view);
        ScopedPhase phase(Phase::Present);
        presentWindow(window);
    }

    void followWindowSize() {
        int width = 0, height = 0;
        clientSize(window, &width, &height);
        if (width <= 0 || height <= 0 || (width == view.width && height == view.height)) return;
        view.width = width;
        view.height = height;
        launchOptions.width = width; // the mirror pass restores this viewport
        launchOptions.height = height;
        displayState.clientRect = ClientRect{0, 0, width, height};
    }

    void handleEvents() {
        WindowEvent event;
        InputEvent input;
        while (pollOneEvent(&event, &input)) {
            if (event.kind == EventKind::Close) running = false;
            switch (input.kind) {
            case InputKind::KeyDown:
            case InputKind::KeyUp:
                key(input);
                break;
            case InputKind::ButtonDown:
            case InputKind::ButtonUp:
                if (input.button == BUTTON_LEFT) orbiting = input.kind == InputKind::ButtonDown;
                if (input.button == BUTTON_RIGHT) panning = input.kind == InputKind::ButtonDown;
                break;
            case InputKind::MouseMove:
                if (!view.freeView) break;
                if (orbiting) orbitFree(view.freeCamera, input.dx, input.dy);
                if (panning) panFree(view.freeCamera, input.dx, input.dy, view.height);
                break;
            case InputKind::Wheel:
                if (view.freeView) zoomFree(view.freeCamera, input.wheel);
                break;
            case InputKind::None:
                break;
            }
        }
    }

    void key(const InputEvent& input) {
        const KeyBinding* binding = bindingFor(input.key, view.freeView);
        if (!binding) return;
        if (isHeldCommand(binding->command)) {
            held[static_cast<int>(binding->command) - static_cast<int>(Command::FlyForward)] =
                input.kind == InputKind::KeyDown;
            return;
        }
        if (input.kind != InputKind::KeyDown) return;
        // Held keys repeat; only the time steps make sense repeated.
        if (input.repeat && binding->command != Command::Back && binding->command != Command::Forward) return;
        switch (binding->command) {
        case Command::Pause:
            paused = !paused;
            break;
        case Command::Back:
            seek(-1);
            break;
        case Command::Forward:
            seek(1);
            break;
        case Command::Restart:
            restart();
            break;
        case Command::SwitchCamera:
            if (!view.freeView || hasUsableCamera(*scene)) {
                view.freeView = !view.freeView;
                held[0] = held[1] = held[2] = held[3] = false;
            } else {
                say("the scene has no camera to look through");
            }
            break;
        case Command::LightingMode1:
            scene->lightingMode = LIGHTING_MANHATTAN;
            break;
        case Command::LightingMode2:
            scene->lightingMode = LIGHTING_EUCLIDEAN;
            break;
        case Command::LightingMode3:
            scene->lightingMode = LIGHTING_SHADOWS;
            break;
        case Command::ShadowRectangles:
            shadowTestMode = shadowTestMode == 2 ? 1 : 2;
            break;
        case Command::Mirrors:
            view.mirrors = !view.mirrors;
            break;
        case Command::Headlight:
            view.headlight.on = !view.headlight.on;
            if (view.headlight.on && scene->lightCount >= MAX_LIGHTS)
                say("the scene's light table is full (" + std::to_string(MAX_LIGHTS) +
                    " lights): no room for the headlight");
            break;
        case Command::FullScreen:
            toggleFullscreen();
            break;
        case Command::Reload:
            reload(true);
            break;
        case Command::Quit:
            running = false;
            break;
        default:
            break;
        }
        // A reload keeps what the keys chose.
        settings.lightingMode = scene->lightingMode;
        settings.shadowTestMode = shadowTestMode;
    }

    void fly(float seconds) {
        if (!view.freeView) return;
        const double forward = (held[0] ? 1 : 0) - (held[1] ? 1 : 0);
        const double right = (held[3] ? 1 : 0) - (held[2] ? 1 : 0);
        if (forward != 0 || right != 0) flyFree(view.freeCamera, forward, right, seconds);
    }

    void toggleFullscreen() {
        if (fullscreen) {
            leaveFullscreen(window);
            fullscreen = false;
            return;
        }
        DisplayMode desktop;
        if (!currentDisplayMode(&desktop) || !enterFullscreen(window, desktop)) {
            say("full screen is not available");
            return;
        }
        fullscreen = true;
    }

    void updateTitle(uint32_t ms) {
        const PhaseTotals totals = phaseTotals();
        const double frames = std::max(framesSinceTitle, 1);
        auto per = [&](Phase phase) { return totals[static_cast<size_t>(phase)] / frames; };
        char camera[32];
        if (view.freeView)
            std::snprintf(camera, sizeof camera, "free");
        else
            std::snprintf(camera, sizeof camera, "camera %d/%d", scene->currentCamera + 1,
                          scene->cameraCount);
        char title[512];
        std::snprintf(
            title, sizeof title,
            "%s  %.1f/%.1f s%s  frame %.0f/%d  %s  %.1f fps  ms: animate %.1f lighting %.1f mesh %.1f "
            "particles %.1f present %.1f",
            std::filesystem::path(options.file).filename().c_str(), time, length, paused ? " paused" : "",
            scene->currentFrame, scene->frameCount, camera, framesSinceTitle * 1000.0 / std::max(ms, 1u),
            per(Phase::Animate), per(Phase::Lighting), per(Phase::MeshPass), per(Phase::Particles),
            per(Phase::Present));
        setWindowTitle(window, title);
        resetPhaseTotals();
        framesSinceTitle = 0;
    }

    const ViewOptions& options;
    SceneSettings settings; // the options, as the keys changed them
    PlatformWindow* window = nullptr;
    std::unique_ptr<Scene> scene;
    ViewState view;
    FileWatch watch;
    std::string summary; // of the scene on screen
    float length = 0;
    float time = 0;
    bool paused = false;
    bool running = true;
    bool fullscreen = false;
    bool orbiting = false;
    bool panning = false;
    bool held[4] = {false, false, false, false}; // fly forward, back, left, right
    uint32_t lastTick = 0;
    uint32_t lastTitle = 0;
    uint32_t lastWatch = 0;
    int framesSinceTitle = 0;
};

} // namespace

int runViewer(const ViewOptions& options) {
    return Viewer(options).run();
}

} // namespace pelx::view
