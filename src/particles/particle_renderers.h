// Drawing a particle system: camera-facing additive squares fading from full brightness to
// black over each particle's life; plain, rising, shrinking, or both.
#pragma once

#include "particles/particle_system.h"
#include "platform/vec.h"

namespace pelx {

void drawPlain(const ParticleSystem& system);
void drawRising(const ParticleSystem& system);
void drawShrinking(const ParticleSystem& system);
void drawShrinkingRising(const ParticleSystem& system);

// The pieces every additive particle pass shares (the four renderers and the scene flares).

// Keeps glowing squares from hiding each other: with blendDepthMask the depth test stays on and
// depth writes stop; without it the depth test goes off. restoreParticleDepth undoes either.
void holdParticleDepth();
void restoreParticleDepth();

// Fade of a particle at time now: 1 at birth, 0 at death, negative after (drawn black).
float particleFade(const Particle& particle, float now);

// One sprite: the model-view matrix rebuilt from the system's camera pose with the square at
// (x, y, z) turned back by the camera angles, the system's texture, the colour, and a square
// of half-size halfSize.
void drawParticleSprite(const ParticleSystem& system, double x, double y, double z, float halfSize,
                        Vec3f color);

// The view a sprite has to reach to add anything to the picture: the bounds of the current
// projection, read once per pass with readSpriteView. `known` is false when the projection is
// not a symmetric perspective; every sprite is then drawn.
struct SpriteView {
    bool known = false;
    double slopeX = 0, slopeY = 0; // the projection's x and y scales
    double zNear = 0, zFar = 0;
};
SpriteView readSpriteView();

// False only when the sprite drawParticleSprite would draw at (x, y, z) lies wholly outside the
// view, so that leaving it out changes no pixel. Whatever way the square is turned, its corners
// stay within halfSize * sqrt(2) of its centre.
bool spriteMayShow(const SpriteView& view, const ParticleSystem& system, double x, double y, double z,
                   float halfSize);

} // namespace pelx
