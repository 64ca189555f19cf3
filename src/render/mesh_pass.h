// The mesh pass: opaque meshes, then additive "%" meshes, then the scene's flares, from the
// current camera.
//
// Layer render: animation, mesh pass, mirrors. May use effects and the layers below.
#pragma once

#include "platform/view_volume.h"
#include "scene/scene.h"

namespace pelx {

void drawMesh(Scene& scene);

// Whether any of the mesh can reach the picture, seen from camera (none: the identity) through
// the view; drawMesh leaves out the meshes for which this is false.
bool meshMayShow(const ViewVolume& view, const SceneObject* camera, const SceneObject& object);

} // namespace pelx
