// Small hand-built scenes for the flare tests: a list of named objects, a camera and lights,
// without a 3DS file.
#pragma once

#include "scene/scene.h"

#include <cstring>
#include <vector>

namespace pelx::test {

// Appends an object (the first call names the scene itself) and returns it.
inline SceneObject& addObject(Scene& scene, const char* name, uint16_t kind, Vec3d position = {}) {
    lastObject(scene);
    appendObject(scene);
    SceneObject& object = *scene.current;
    std::strncpy(object.name, name, OBJECT_NAME_SIZE - 1);
    object.kind = kind;
    object.position = position;
    resetCursor(scene);
    return object;
}

// A camera entered in the camera table and made current.
inline SceneObject& addCamera(Scene& scene, Vec3d eye, Vec3d rotation) {
    SceneObject& camera = addObject(scene, "Camera01", KIND_CAMERA);
    camera.eye = eye;
    camera.rotation = rotation;
    scene.currentCamera = scene.cameraCount;
    scene.cameras[scene.cameraCount++] = &camera;
    return camera;
}

// A light entered in the light table.
inline SceneLight& addLight(Scene& scene, Vec3d position, Vec3f color, float range, uint8_t on = 1) {
    SceneObject& object = addObject(scene, "Light", KIND_LIGHT, position);
    object.light.lightPosition = position;
    object.light.color = color;
    object.light.range = range;
    object.light.on = on;
    scene.lights[scene.lightCount++] = &object.light;
    return object.light;
}

// A light as a table-driven case gives it.
struct LightEntry {
    Vec3d position;
    Vec3f color;
    float range;
    uint8_t on;
};

inline void addLights(Scene& scene, const std::vector<LightEntry>& lights) {
    for (const LightEntry& l : lights) addLight(scene, l.position, l.color, l.range, l.on);
}

inline void setMaterial(Scene& scene, int index, const char* name) {
    std::strncpy(scene.materials[index].name, name, MATERIAL_NAME_SIZE - 1);
    if (scene.materialCount <= index) scene.materialCount = index + 1;
}

} // namespace pelx::test
