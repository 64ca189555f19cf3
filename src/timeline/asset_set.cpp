// The asset set: the show's fixed loading order and its per-scene parameters.
#include "timeline/asset_set.h"

#include "effects/flare_emitters.h"
#include "lighting/lighting.h"
#include "platform/stop_signal.h"
#include "scene3ds/scene_loader.h"
#include "timeline/data_files.h"
#include "timeline/scene_clock.h"

#include <GL/gl.h>

namespace pelx {

AssetSet assets;

namespace {

struct FlareParameters {
    int capacity;
    float lifetime;
    int rate;
    float size;
    float rise;
};

// Shadow factors are set before loading because the load bakes the static lighting.
std::unique_ptr<Scene> loadShowScene(const char* file, float shadowFactor, float translucentShadowFactor,
                                     const FlareParameters* flares) {
    auto scene = std::make_unique<Scene>();
    scene->shadowFactor = shadowFactor;
    scene->translucentShadowFactor = translucentShadowFactor;
    loadScene(*scene, file, LIGHTING_SHADOWS);
    if (flares)
        buildFlareEmitters(*scene, flares->capacity, flares->lifetime, flares->rate, flares->size, flares->rise);
    return scene;
}

std::unique_ptr<ParticleSystem> makeFireSystem(int capacity, float lifetime, int rate, float size, float rise) {
    auto system = std::make_unique<ParticleSystem>(capacity, DATA_FIRE_SPRITE, lifetime, rate, size, rise);
    system->cameraPosition = Vec3d{0, 0, 500};
    system->cameraRotation = Vec3d{0, 0, 0};
    return system;
}

} // namespace

void drawShowPicture(TextureId texture, double grey) {
    glLoadIdentity();
    glTranslatef(0, 0, -2);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glColor3d(grey, grey, grey);
    glTexCoord2f(0, 1);
    glVertex3f(-1.5f, -1, -2);
    glTexCoord2f(0, 0);
    glVertex3f(-1.5f, 1, -2);
    glTexCoord2f(1, 0);
    glVertex3f(1.5f, 1, -2);
    glTexCoord2f(1, 1);
    glVertex3f(1.5f, -1, -2);
    glEnd();
}

void drawLoadingScreen() {
    clearFrame();
    drawShowPicture(assets.showTextures[0], 1.0);
    pumpOrPresent();
}

void loadAssets(const std::function<void(int step)>& afterStep) {
    static const FlareParameters roadFlares{50, 1.0f, 10, 15.0f, 50.0f};
    static const FlareParameters roomFlares{50, 4.0f, 5, 1.5f, 50.0f};
    static const FlareParameters discoFlares{100, 5.0f, 5, 5.0f, 30.0f};
    const std::function<void()> steps[LOADING_STEPS] = {
        [] {
            loadTexture(assets.showTextures, DATA_LOAD_PICTURE, 0);
            loadTexture(assets.showTextures, DATA_END_PICTURE, 1);
        },
        [] { assets.roadScene = loadShowScene(DATA_ROAD_SCENE, 0.1f, 0.4f, &roadFlares); },
        [] { assets.fireSystemA = makeFireSystem(10000, 40.0f, 150, 3.0f, 0.0f); },
        [] { assets.fireSystemB = makeFireSystem(5000, 2.0f, 10, 10.0f, 80.0f); },
        [] {
            assets.logoMask = std::make_unique<uint8_t[]>(MASK_SIZE);
            loadMaskBmp(DATA_LOGO_MASK, assets.logoMask.get());
        },
        [] { assets.colonneScene = loadShowScene(DATA_COLONNE_SCENE, 0.1f, 0.4f, nullptr); },
        [] { assets.roomScene = loadShowScene(DATA_ROOM_SCENE, 0.1f, 0.4f, &roomFlares); },
        [] { assets.mirrorScene = loadShowScene(DATA_MIRROR_SCENE, 0.1f, 0.4f, nullptr); },
        [] { assets.tunnelScene = loadShowScene(DATA_TUNNEL_SCENE, 0.6f, 1.0f, nullptr); },
        [] { assets.discoScene = loadShowScene(DATA_DISCO_SCENE, 0.3f, 0.6f, &discoFlares); },
    };
    for (int step = 1; step <= LOADING_STEPS; ++step) {
        // A stop request ends the loading after the step in progress; the show then ends.
        if (stopRequested()) return;
        steps[step - 1]();
        drawLoadingScreen();
        if (afterStep) afterStep(step);
    }
}

void releaseAssets() {
    if (assets.fireSystemA) assets.fireSystemA->release();
    if (assets.fireSystemB) assets.fireSystemB->release();
    assets.logoMask.reset();
    for (std::unique_ptr<Scene>* scene : {&assets.roadScene, &assets.colonneScene, &assets.roomScene,
                                          &assets.mirrorScene, &assets.tunnelScene, &assets.discoScene}) {
        if (*scene) destroyScene(**scene);
        scene->reset();
    }
    assets.fireSystemA.reset();
    assets.fireSystemB.reset();
}

} // namespace pelx
