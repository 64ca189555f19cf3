// Hand-built scenes: the bounds and sections follow the loader's rule so that casters made
// here behave like casters read from a file.
#include "scene_builder.h"

#include <algorithm>
#include <cstring>

namespace pelx::testing {

namespace {

Vec3f toFloat(const Vec3d& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

void setName(SceneObject& object, const char* name) {
    // 80 bytes, terminated unless the name fills them all, as in a file.
    std::memset(object.name, 0, sizeof object.name);
    std::memcpy(object.name, name, std::min(std::strlen(name), sizeof object.name));
}

SceneObject& appendAtEnd(Scene& scene, const char* name, uint16_t kind) {
    lastObject(scene);
    appendObject(scene);
    SceneObject& object = *scene.current;
    setName(object, name);
    object.kind = kind;
    resetCursor(scene);
    return object;
}

void setSections(SceneObject& mesh) {
    const Vec3f lo = mesh.boundsMin, hi = mesh.boundsMax;
    const Vec3f mid{lo.x + (hi.x - lo.x) / 2, lo.y + (hi.y - lo.y) / 2, lo.z + (hi.z - lo.z) / 2};
    const Vec3f z[4] = {{lo.x, lo.y, mid.z}, {hi.x, lo.y, mid.z}, {hi.x, hi.y, mid.z}, {lo.x, hi.y, mid.z}};
    const Vec3f x[4] = {{mid.x, lo.y, lo.z}, {mid.x, lo.y, hi.z}, {mid.x, hi.y, hi.z}, {mid.x, hi.y, lo.z}};
    const Vec3f y[4] = {{lo.x, mid.y, lo.z}, {hi.x, mid.y, lo.z}, {hi.x, mid.y, hi.z}, {lo.x, mid.y, hi.z}};
    std::copy(z, z + 4, mesh.sectionZ);
    std::copy(x, x + 4, mesh.sectionX);
    std::copy(y, y + 4, mesh.sectionY);
    const float dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    std::copy(dx > dy && dx > dz ? z : x, (dx > dy && dx > dz ? z : x) + 4, mesh.shadowSection);
}

} // namespace

void startScene(Scene& scene) {
    if (scene.objectCount == 0) appendObject(scene);
    resetCursor(scene);
}

SceneObject& addMesh(Scene& scene, const char* name, const std::vector<Vec3d>& vertices) {
    SceneObject& mesh = appendAtEnd(scene, name, KIND_MESH);
    mesh.vertices = vertices;
    mesh.vertexCount = static_cast<uint16_t>(vertices.size());
    mesh.baseColors.assign(vertices.size(), Vec3f{1, 1, 1});
    mesh.vertexColors.assign(vertices.size(), Vec3f{1, 1, 1});
    if (!vertices.empty()) {
        mesh.boundsMin = mesh.boundsMax = toFloat(vertices[0]);
        for (const Vec3d& v : vertices) {
            const Vec3f f = toFloat(v);
            mesh.boundsMin = {std::min(mesh.boundsMin.x, f.x), std::min(mesh.boundsMin.y, f.y),
                              std::min(mesh.boundsMin.z, f.z)};
            mesh.boundsMax = {std::max(mesh.boundsMax.x, f.x), std::max(mesh.boundsMax.y, f.y),
                              std::max(mesh.boundsMax.z, f.z)};
        }
    }
    setSections(mesh);
    return mesh;
}

SceneObject& addBox(Scene& scene, const char* name, Vec3d low, Vec3d high) {
    std::vector<Vec3d> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back({i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z});
    return addMesh(scene, name, corners);
}

SceneLight& addLight(Scene& scene, const char* name, Vec3d position, Vec3f colour, float range) {
    SceneObject& object = appendAtEnd(scene, name, KIND_LIGHT);
    object.position = position;
    object.light.lightPosition = position;
    object.light.color = colour;
    object.light.range = range;
    object.light.tag = object.name[0];
    object.light.on = 1;
    scene.lights[scene.lightCount++] = &object.light;
    return object.light;
}

void setPositionKeys(SceneObject& object, uint32_t keyCount) {
    object.positionTrack.keyCount = keyCount;
    object.positionTrack.keyFrames.assign(keyCount, 0);
    object.positionTrack.keyValues.assign(keyCount, object.position);
    for (uint32_t k = 0; k < keyCount; ++k) object.positionTrack.keyFrames[k] = static_cast<uint16_t>(10 * k);
    if (object.kind == KIND_LIGHT) object.light.moving = keyCount > 1;
}

int listIndexOf(Scene& scene, const SceneObject* object) {
    int index = 0;
    for (const SceneObject* o = &scene; o; o = o->next, ++index)
        if (o == object) return index;
    return -1;
}

} // namespace pelx::testing
