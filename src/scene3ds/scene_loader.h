// Loading a whole 3DS file into an empty scene, ready at frame 0 with its static lighting.
#pragma once

#include "scene3ds/scene.h"

namespace pelx {

// True when the file was read; false when it cannot be opened or does not start with a main
// chunk (the scene stays empty then).
bool loadScene(Scene& scene, const char* fileName, int lightingMode);

} // namespace pelx
