// The scene scripts: the common frame loop and each scene's extras.
#include "timeline/scene_scripts.h"

#include "effects/mask_emitter.h"
#include "lighting/lighting.h"
#include "particles/particle_renderers.h"
#include "platform/phase_timer.h"
#include "render/animation.h"
#include "render/mesh_pass.h"
#include "render/mirror_pass.h"
#include "timeline/asset_set.h"
#include "timeline/scene_clock.h"
#include "timeline/show_scenes.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <functional>

namespace pelx {

namespace {

// A script's scene may be missing if its file could not be read; play an empty one then,
// so the show keeps its timing.
Scene& sceneOrEmpty(std::unique_ptr<Scene>& scene) {
    if (!scene) scene = std::make_unique<Scene>();
    return *scene;
}

// A script's own per-frame work: before clearing the frame, or after drawMesh.
using FrameExtras = std::function<void(Scene&)>;

void runFrameLoop(Scene& scene, float length, bool withMirrors, const FrameExtras& before,
                  const FrameExtras& after) {
    beginScene(length);
    while (tick()) {
        if (before) before(scene);
        clearFrame();
        {
            ScopedPhase phase(Phase::Animate);
            animateScene(scene);
        }
        {
            ScopedPhase phase(Phase::MeshPass);
            if (withMirrors) renderMirrors(scene);
            drawMesh(scene);
        }
        if (after) after(scene);
        ScopedPhase phase(Phase::Present);
        pumpOrPresent();
    }
}

void playPlainScene(std::unique_ptr<Scene>& slot, float length, float shadowFactor,
                    float translucentShadowFactor, bool withMirrors) {
    Scene& scene = sceneOrEmpty(slot);
    scene.shadowFactor = shadowFactor;
    scene.translucentShadowFactor = translucentShadowFactor;
    runFrameLoop(scene, length, withMirrors, nullptr, nullptr);
}

// The logo written in fire, drawn with the camera of the same frame.
void writeFireLogo(Scene& scene) {
    ScopedPhase phase(Phase::Particles);
    ParticleSystem& logo = *assets.fireSystemA;
    ParticleSystem& sparks = *assets.fireSystemB;
    if (const SceneObject* camera = viewingCamera(scene)) {
        for (ParticleSystem* system : {&logo, &sparks}) {
            system->cameraPosition = camera->eye;
            system->cameraRotation = camera->rotation;
        }
    }
    emitFromMask(sceneClock.elapsed, ROAD_SCENE.length, assets.logoMask.get(), FIRE_LOGO_STEPS, logo, sparks,
                 131, 41, 0);
    drawPlain(logo);
    drawShrinkingRising(sparks);
}

void drawEndPicture(Scene&) {
    double grey = endPictureGrey(sceneClock.elapsed);
    if (grey < 0) return;
    glDisable(GL_DEPTH_TEST);
    beginAdditiveBlend();
    drawShowPicture(assets.showTextures[1], grey);
    endAdditiveBlend();
    glEnable(GL_DEPTH_TEST);
}

SceneLight* lightAt(Scene& scene, int index) {
    return index >= 0 && index < scene.lightCount ? scene.lights[index] : nullptr;
}

} // namespace

void discoStrobe(Scene& scene, float t, float& lastFlash) {
    // Beats in whole milliseconds of scene time, so that the grid adds up without rounding.
    struct StrobePhase {
        long fromMs;
        long beatMs;
        int darkLight; // counted back from the end of the light list
    };
    static const StrobePhase phases[] = {{85000, 200, 4}, {55000, 400, 3}, {25000, 600, 2}};
    // The clock counts whole milliseconds from a start that need not be whole, so a frame may read
    // up to a millisecond early: one that close before a beat is on it.
    constexpr long ON_BEAT_MS = 1;
    const int count = scene.lightCount;
    const long ms = std::lround(static_cast<double>(t) * 1000.0);
    for (const StrobePhase& phase : phases) {
        if (t < phase.fromMs / 1000.0f) continue;
        // The latest beat of the phase's grid that this frame has reached. Flashing for it, not
        // for the frame's own time, keeps the flashes on the music however the frames fall.
        const long beat = std::max(0L, ms + ON_BEAT_MS - phase.fromMs) / phase.beatMs;
        const long beatMs = phase.fromMs + beat * phase.beatMs;
        const bool flash = lastFlash == 0 || beatMs > std::lround(static_cast<double>(lastFlash) * 1000.0);
        if (SceneLight* strobe = lightAt(scene, count - 1)) strobe->on = flash ? 1 : 0;
        if (flash) lastFlash = static_cast<float>(beatMs / 1000.0);
        // A scene with fewer lights than the strobe needs simply has fewer lights to darken.
        if (SceneLight* dark = lightAt(scene, count - phase.darkLight)) dark->on = 0;
        return;
    }
}

double endPictureGrey(float t) {
    if (t < 100) return -1;
    return (static_cast<double>(t) - 100.0) / 15.0;
}

void playRoadScene() {
    Scene& scene = sceneOrEmpty(assets.roadScene);
    scene.shadowFactor = 0.1f;
    scene.translucentShadowFactor = 0.4f;
    runFrameLoop(scene, ROAD_SCENE.length, false, nullptr, writeFireLogo);
}

void playColonneScene() {
    shadowTestMode = 2;
    playPlainScene(assets.colonneScene, COLONNE_SCENE.length, 0.1f, 0.2f, false);
    shadowTestMode = 1;
}

void playRoomScene() {
    playPlainScene(assets.roomScene, ROOM_SCENE.length, 0.3f, 0.6f, false);
}

void playMirrorScene() {
    playPlainScene(assets.mirrorScene, MIRROR_SCENE.length, 0.7f, 0.7f, true);
}

void playTunnelScene() {
    playPlainScene(assets.tunnelScene, TUNNEL_SCENE.length, 0.3f, 0.6f, false);
}

void playDiscoScene() {
    Scene& scene = sceneOrEmpty(assets.discoScene);
    // Set before the clock starts; nothing reads them in between.
    scene.lightingMode = LIGHTING_EUCLIDEAN;
    tintFlaresByLights = 1;
    if (SceneLight* strobe = lightAt(scene, scene.lightCount - 1)) strobe->on = 0;
    float lastFlash = 0;
    runFrameLoop(
        scene, DISCO_SCENE.length, false, [&](Scene& s) { discoStrobe(s, sceneClock.elapsed, lastFlash); },
        drawEndPicture);
}

} // namespace pelx
