// Mirrors: the scene drawn once per mirror from the mirror's position and copied into the
// mirror's texture, before the frame's main drawing.
#pragma once

#include "scene/scene.h"

namespace pelx {

void renderMirrors(Scene& scene);

// true (the default): reflections are drawn off-screen when the driver offers framebuffer
// objects; false: always in the back buffer, copying only what lies inside the window. Read by
// renderMirrors; tests switch it to exercise both ways.
extern bool allowOffscreenMirrors;

} // namespace pelx
