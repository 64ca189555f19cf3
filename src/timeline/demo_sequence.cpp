// The demo sequence: open the display, load, start the music, play the scenes, tear down.
#include "timeline/demo_sequence.h"

#include "audio/music.h"
#include "display/display.h"
#include "platform/clock.h"
#include "platform/launch_options.h"
#include "platform/stop_signal.h"
#include "timeline/asset_set.h"
#include "timeline/data_files.h"
#include "timeline/scene_clock.h"
#include "timeline/scene_scripts.h"

namespace pelx {

namespace {

constexpr ShowScene showScene(const SceneFacts& facts, void (*play)()) {
    return {facts.name, play, facts.length};
}

} // namespace

const ShowScene SHOW_SCENES[SHOW_SCENE_COUNT] = {
    showScene(ROAD_SCENE, playRoadScene),     showScene(COLONNE_SCENE, playColonneScene),
    showScene(ROOM_SCENE, playRoomScene),     showScene(MIRROR_SCENE, playMirrorScene),
    showScene(TUNNEL_SCENE, playTunnelScene), showScene(DISCO_SCENE, playDiscoScene),
};

float showLength() {
    float length = 0;
    for (const ShowScene& scene : SHOW_SCENES) length += scene.length;
    return length;
}

void runDemo(void* instance) {
    runShow(instance, ShowHooks{});
}

void runShow(void* instance, const ShowHooks& hooks) {
    PlatformWindow* window = createDisplayWindow(DISPLAY_TITLE, launchOptions.width, launchOptions.height,
                                                 launchOptions.fullscreen, instance);
    if (!window) return;
    if (!initRenderer(window)) {
        // Without an OpenGL context there is nothing to show: end as if no window had opened.
        closeDisplay();
        return;
    }
    if (hooks.beforeLoading) hooks.beforeLoading();
    loadAssets(hooks.afterLoadingStep);
    if (hooks.beforeFirstScene) hooks.beforeFirstScene();
    // The music starts only when everything is loaded, right before the first frame.
    const bool music = !launchOptions.musicOff;
    if (music) {
        startMusic(DATA_SOUNDTRACK);
        // The show's time is the music's while it plays; without it, the system clock's.
        followClockReference(musicPlaybackReading);
    }
    beginShow();
    for (const ShowScene& scene : SHOW_SCENES) {
        // A stop request skips what is left of the show, but never the teardown below.
        if (stopRequested()) break;
        if (!hooks.onlyScene.empty() && hooks.onlyScene != scene.name) continue;
        if (hooks.sceneStarts) hooks.sceneStarts(scene);
        scene.play();
        if (hooks.sceneEnds) hooks.sceneEnds(scene);
    }
    endShow();
    if (music) {
        followClockReference(nullptr);
        stopMusic();
    }
    releaseAssets();
    closeDisplay();
    launchOptions.launchRequested = 0;
}

} // namespace pelx
