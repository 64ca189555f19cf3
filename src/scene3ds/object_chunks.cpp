// Named objects of the editor block and their light, spotlight and camera chunks. Each named
// object becomes one SceneObject appended to the list; its children say what it is.
#include "scene3ds/chunk_handlers.h"

#include <cmath>

namespace pelx {

void readNamedObject(Scene& scene, const ChunkHeader& header) {
    // The list's count is 16 bits wide; objects past it have no place (the walk goes on).
    if (scene.objectCount >= MAX_OBJECTS) return;
    appendObject(scene);
    SceneObject& object = *scene.current;
    readName(scene, object.name);
    object.faceCount = 0;
    object.vertexCount = 0;
    object.position = {};
    object.rotation = {};
    walkChildren(scene, header,
                 {{CHUNK_TRIANGULARMESH, "   +--CHUNK_TRIANGULARMESH\n", readMesh},
                  {CHUNK_LIGHT, "   +--CHUNK_LIGHT\n", readLight},
                  {CHUNK_CAMERA, "   +--CHUNK_CAMERA\n", readCamera}});
}

void readLight(Scene& scene, const ChunkHeader& header) {
    SceneObject& object = *scene.current;
    object.kind = KIND_LIGHT;
    object.position = readVector(scene);
    object.light.lightPosition = object.position;
    walkChildren(scene, header,
                 {{CHUNK_LIGHTCOLOR, nullptr}, {CHUNK_SPOTLIGHT, "      +--CHUNK_SPOTLIGHT\n"}},
                 [&](const ChunkHeader& child) {
                     if (child.id == CHUNK_LIGHTCOLOR) {
                         // Some exporters write negative components for "negative" lights;
                         // the lighting only adds, so their magnitude is what counts.
                         Vec3f color = readPlainVector(scene);
                         object.light.color = {std::fabs(color.x), std::fabs(color.y), std::fabs(color.z)};
                         return;
                     }
                     // Only the distance to the spotlight's target survives: it is the
                     // light's reach, where its contribution has faded to nothing.
                     Vec3d target = readVector(scene);
                     const Vec3d& at = object.light.lightPosition;
                     double dx = at.x - target.x;
                     double dy = at.y - target.y;
                     double dz = at.z - target.z;
                     object.light.range = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
                     readF32(scene); // hotspot, not used
                     readF32(scene); // falloff, not used
                 });
    // A full table takes no more lights; the object stays in the list, unlit by itself.
    if (scene.lightCount < MAX_LIGHTS) {
        scene.lights[scene.lightCount] = &object.light;
        scene.lightCount += 1;
    }
}

void readCamera(Scene& scene, const ChunkHeader& header) {
    SceneObject& object = *scene.current;
    object.kind = KIND_CAMERA;
    object.eye = readVector(scene);
    object.target = readVector(scene);
    readF32(scene); // bank, not used
    readF32(scene); // lens, not used
    skipChunk(scene, header);
}

} // namespace pelx
