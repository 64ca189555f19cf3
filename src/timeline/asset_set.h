// Everything the show draws, loaded once before the first scene behind the loading picture:
// the two show pictures, the six scenes, the two fire systems of the first scene and the
// logo mask. Owned from loadAssets to releaseAssets.
#pragma once

#include "image/texture.h"
#include "particles/particle_system.h"
#include "scene/scene.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace pelx {

struct AssetSet {
    TextureId showTextures[2] = {0, 0}; // 0: loading picture, 1: end picture
    std::unique_ptr<Scene> roadScene;
    std::unique_ptr<Scene> colonneScene;
    std::unique_ptr<Scene> roomScene;
    std::unique_ptr<Scene> mirrorScene;
    std::unique_ptr<Scene> tunnelScene;
    std::unique_ptr<Scene> discoScene;
    std::unique_ptr<ParticleSystem> fireSystemA; // the logo: 10000 long-lived particles
    std::unique_ptr<ParticleSystem> fireSystemB; // sparks along the logo
    std::unique_ptr<uint8_t[]> logoMask;         // 320 x 200, marked by the logo walker
};

// Written by loadAssets and releaseAssets; read by the scene scripts.
extern AssetSet assets;

inline constexpr int LOADING_STEPS = 10;

// Loads everything in the show's fixed order, showing the loading picture after each of the
// ten steps. afterStep, when given, is told the number of each finished step (1..10).
void loadAssets(const std::function<void(int step)>& afterStep = nullptr);
void releaseAssets();
// Draws the loading picture once and ends the frame.
void drawLoadingScreen();
// A show picture as an upright 3 x 2 rectangle centred 4 units in front of the eye (about 60
// percent of the screen height), in the grey given (1: the picture as it is).
void drawShowPicture(TextureId texture, double grey);

} // namespace pelx
