// Flares carried by scene meshes whose names begin with "*": one particle system per carrier,
// moved to its carrier, fed, aged and drawn every frame.
#pragma once

#include "scene3ds/scene.h"

namespace pelx {

void buildFlareEmitters(Scene& scene, int capacity, float lifetime, int rate, float size, float rise);
void drawFlareEmitters(Scene& scene);

} // namespace pelx
