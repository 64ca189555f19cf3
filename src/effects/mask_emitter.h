// The logo written in fire: a walker traces the outlines of the 320 x 200 mask, dropping one
// logo particle on every pixel it reaches first and now and then a spark.
#pragma once

#include "particles/particle_system.h"

#include <cstdint>

namespace pelx {

// The value written into a mask pixel that has emitted its logo particle.
inline constexpr uint8_t MASK_EMITTED = 12;

void emitFromMask(float elapsed, float duration, uint8_t* mask, int stepBudget, ParticleSystem& logoSystem,
                  ParticleSystem& sparkSystem, int startX, int startY, int anchorStep);

} // namespace pelx
