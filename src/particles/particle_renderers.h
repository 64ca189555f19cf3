// Drawing a particle system: camera-facing additive squares fading from full brightness to
// black over each particle's life; plain, rising, shrinking, or both.
#pragma once

#include "particles/particle_system.h"
#include "platform/vec.h"
#include "platform/view_volume.h"

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

// False only when the sprite drawParticleSprite would draw at (x, y, z) lies wholly outside the
// view, so that leaving it out changes no pixel. Whatever way the square is turned, its corners
// stay within halfSize * sqrt(2) of its centre.
bool spriteMayShow(const ViewVolume& view, const ParticleSystem& system, double x, double y, double z,
                   float halfSize);

} // namespace pelx
