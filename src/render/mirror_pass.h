// Mirrors: the scene drawn once per mirror from the mirror's position and copied into the
// mirror's texture, before the frame's main drawing.
#pragma once

#include "scene3ds/scene.h"

namespace pelx {

void renderMirrors(Scene& scene);

} // namespace pelx
