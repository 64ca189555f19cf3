// The vertex lighting written plainly, step by step as the algorithm reads: list walks with
// the cursor, the caster set rebuilt for every applied light, every ray tested from scratch.
// The tests hold the fast library version to it bit for bit; the benchmark times both.
#pragma once

#include "scene/scene.h"

#include <cstdint>

namespace pelx::plain {

void precomputeLighting(Scene& scene);
void computeLighting(Scene& scene);
int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters);

} // namespace pelx::plain
