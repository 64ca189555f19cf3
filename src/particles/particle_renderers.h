// Drawing a particle system: camera-facing additive squares fading from full brightness to
// black over each particle's life; plain, rising, shrinking, or both.
#pragma once

#include "particles/particle_system.h"

namespace pelx {

void drawPlain(const ParticleSystem& system);
void drawRising(const ParticleSystem& system);
void drawShrinking(const ParticleSystem& system);
void drawShrinkingRising(const ParticleSystem& system);

} // namespace pelx
