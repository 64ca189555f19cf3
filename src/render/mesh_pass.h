// The mesh pass: opaque meshes, then additive "%" meshes, then the scene's flares, from the
// current camera.
#pragma once

#include "scene/scene.h"

namespace pelx {

void drawMesh(Scene& scene);

} // namespace pelx
