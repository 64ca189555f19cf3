// Keyframe animation: the current frame from the scene clock, camera cuts and camera motion,
// and the motion of meshes and lights along their tracks.
#pragma once

#include "scene/scene.h"

namespace pelx {

// Brings the scene to the moment sceneClock.elapsed of sceneClock.duration.
void animateScene(Scene& scene);

} // namespace pelx
