// Scenes built by hand for the lighting tests and benchmark: meshes with the loader's bounding
// box and section rectangles, lights entered in the light table, all without a 3DS file.
#pragma once

#include "scene/scene.h"

#include <vector>

namespace pelx::testing {

// Makes the scene itself the first object of an empty scene.
void startScene(Scene& scene);

// Appends a mesh at the end of the list: vertices as given, bounds and sections as the loader
// derives them, baseColors and vertexColors white, standing at its stored place.
SceneObject& addMesh(Scene& scene, const char* name, const std::vector<Vec3d>& vertices);

// A box-shaped mesh: its eight corners.
SceneObject& addBox(Scene& scene, const char* name, Vec3d low, Vec3d high);

// Appends a light object and enters it in the light table: tag from the name, switched on.
SceneLight& addLight(Scene& scene, const char* name, Vec3d position, Vec3f colour, float range);

// Gives an object keyCount position keys (frames 0, 10, ...), all at its current position;
// more than one makes a mesh count as moving and a light as moving.
void setPositionKeys(SceneObject& object, uint32_t keyCount);

// The list index of an object, for shadowTest and cursor checks.
int listIndexOf(Scene& scene, const SceneObject* object);

} // namespace pelx::testing
