// The light model: how far a vertex is from a light, how a light fades to nothing at its
// range, how its colour adds up (dimmed in shadow, clamped at 1), and which lights a per-frame
// call recomputes.
#include "lighting/geometry.h"
#include "lighting/lighting_internal.h"
#include "scene/name_marks.h"

#include <algorithm>
#include <cmath>

namespace pelx::lighting_internal {

int usableLightCount(const Scene& scene) {
    return std::clamp(scene.lightCount, 0, MAX_LIGHTS);
}

size_t bakedVertexCount(const SceneObject& mesh) {
    return std::min({static_cast<size_t>(mesh.vertexCount), mesh.vertices.size(), mesh.baseColors.size()});
}
size_t litVertexCount(const SceneObject& mesh) {
    return std::min(bakedVertexCount(mesh), mesh.vertexColors.size());
}

float lightDistance(const Vec3d& point, const Vec3d& light, bool manhattan) {
    if (manhattan) {
        const float dx = absoluteValue(static_cast<float>(point.x - light.x));
        const float dy = absoluteValue(static_cast<float>(point.y - light.y));
        const float dz = absoluteValue(static_cast<float>(point.z - light.z));
        return static_cast<float>(static_cast<double>(dx) + dy + dz);
    }
    const double dx = point.x - light.x, dy = point.y - light.y, dz = point.z - light.z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

// A light without a spotlight target has range 0: it lights nothing (the fall-off would
// divide zero by zero at the light itself).
bool attenuation(float distance, float range, double* result) {
    if (!(range > 0) || !(distance <= range)) return false;
    *result = 1.0 - static_cast<double>(distance) / range;
    return true;
}

namespace {
float addClamped(float colour, double amount) {
    const float sum = static_cast<float>(colour + amount);
    return sum > 1.0f ? 1.0f : sum;
}
} // namespace

void addLight(Vec3f& colour, const SceneLight& light, double att, int shadow, const Scene& scene) {
    double r = att * light.color.x, g = att * light.color.y, b = att * light.color.z;
    if (shadow != SHADOW_LIT) {
        const double factor =
            shadow == SHADOW_TRANSLUCENT ? scene.translucentShadowFactor : scene.shadowFactor;
        r *= factor;
        g *= factor;
        b *= factor;
    }
    colour.x = addClamped(colour.x, r);
    colour.y = addClamped(colour.y, g);
    colour.z = addClamped(colour.z, b);
}

bool lightApplies(const Scene& scene, const SceneObject& mesh, const SceneLight& light) {
    if (isStaticLight(light) || !light.on) return false;
    // A still light on a still mesh gives the same colours every frame; in shadow mode a
    // moving mesh anywhere may throw a new shadow, so then every light is recomputed.
    return (scene.lightingMode == LIGHTING_SHADOWS && scene.hasMovingMesh) || light.moving ||
           mesh.positionTrack.keyCount > 1;
}

bool shadowRectanglesTested() {
    return shadowTestMode == 1 || shadowTestMode == 2;
}

} // namespace pelx::lighting_internal
