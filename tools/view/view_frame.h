// One frame of the viewer after the scene is animated: the camera it is seen through, the
// headlight, the mirror pass and the mesh pass, all the show's own code.
#pragma once

#include "free_camera.h"
#include "viewed_scene.h"

namespace pelx::view {

struct ViewState {
    bool freeView = false; // seen through freeCamera instead of the scene's camera
    FreeCamera freeCamera;
    bool mirrors = true; // false: no reflections, and mirror meshes are not drawn
    Headlight headlight;
    Bounds bounds; // the scene's, for the headlight's range
    int width = 800;
    int height = 600;
};

// Projection, camera, headlight, mirrors, meshes and flares; the frame is left in the back
// buffer. The scene camera is seen with the show's projection, the free one with a depth range
// that holds the scene.
void drawViewFrame(Scene& scene, ViewState& view);

} // namespace pelx::view
