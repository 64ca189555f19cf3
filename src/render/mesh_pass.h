// The mesh pass: opaque meshes, then additive "%" meshes, then the scene's flares, from the
// current camera.
//
// Layer render: animation, mesh pass, mirrors. May use effects and the layers below.
#pragma once

#include "scene/scene.h"

namespace pelx {

void drawMesh(Scene& scene);

} // namespace pelx
