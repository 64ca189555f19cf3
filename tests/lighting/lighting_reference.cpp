// Plain vertex lighting: no preparation, no shortcuts, one segmentHitsPolygon per rectangle.
#include "lighting_reference.h"

#include "lighting/geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelx::plain {

namespace {

bool marked(const SceneObject& object, char mark) {
    return object.name[0] == mark || (object.name[0] != 0 && object.name[1] == mark);
}

int lightsInTable(const Scene& scene) {
    return std::min(std::max(scene.lightCount, 0), MAX_LIGHTS);
}

size_t vertexCountOf(const SceneObject& mesh, bool withVertexColors) {
    size_t n =
        std::min({static_cast<size_t>(mesh.vertexCount), mesh.vertices.size(), mesh.baseColors.size()});
    return withVertexColors ? std::min(n, mesh.vertexColors.size()) : n;
}

// One light's contribution to one vertex colour at world point w.
void contribute(Scene& scene, Vec3f& colour, Vec3d w, int lightIndex, bool manhattan, bool shadowRay,
                int vertex, int meshIndex, const uint8_t* casters) {
    const SceneLight& light = *scene.lights[lightIndex];
    const Vec3d l = light.lightPosition;
    float dist;
    if (manhattan) {
        float sum = 0;
        sum = static_cast<float>(static_cast<double>(absoluteValue(static_cast<float>(w.x - l.x))) +
                                 absoluteValue(static_cast<float>(w.y - l.y)) +
                                 absoluteValue(static_cast<float>(w.z - l.z)));
        dist = sum;
    } else {
        dist = static_cast<float>(
            std::sqrt((w.x - l.x) * (w.x - l.x) + (w.y - l.y) * (w.y - l.y) + (w.z - l.z) * (w.z - l.z)));
    }
    if (!(dist <= light.range)) return;
    if (light.range == 0) return; // lights nothing rather than 0 / 0
    const double att = 1.0 - static_cast<double>(dist) / light.range;
    double r = att * light.color.x;
    double g = att * light.color.y;
    double b = att * light.color.z;
    if (shadowRay) {
        const int s = shadowTest(scene, vertex, meshIndex, lightIndex, casters);
        if (s == 1) {
            r *= scene.translucentShadowFactor;
            g *= scene.translucentShadowFactor;
            b *= scene.translucentShadowFactor;
        }
        if (s == 2) {
            r *= scene.shadowFactor;
            g *= scene.shadowFactor;
            b *= scene.shadowFactor;
        }
    }
    colour.x = static_cast<float>(colour.x + r);
    colour.y = static_cast<float>(colour.y + g);
    colour.z = static_cast<float>(colour.z + b);
    if (colour.x > 1.0f) colour.x = 1.0f;
    if (colour.y > 1.0f) colour.y = 1.0f;
    if (colour.z > 1.0f) colour.z = 1.0f;
}

} // namespace

int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters) {
    seekObject(scene, meshIndex);
    const SceneObject& mesh = *scene.current;
    const Vec3d& p = mesh.vertices[vertex];
    const Vec3f w{static_cast<float>(p.x - mesh.pivot.x + mesh.position.x),
                  static_cast<float>(p.y - mesh.pivot.y + mesh.position.y),
                  static_cast<float>(p.z - mesh.pivot.z + mesh.position.z)};
    const Vec3d& lp = scene.lights[lightIndex]->lightPosition;
    const Vec3f l{static_cast<float>(lp.x), static_cast<float>(lp.y), static_cast<float>(lp.z)};
    resetCursor(scene);
    for (int n = 0; n < scene.objectCount; ++n) {
        const SceneObject& caster = *scene.current;
        if (casters[n] == 1) {
            const Vec3f segment[2] = {{static_cast<float>(w.x + caster.pivot.x - caster.position.x),
                                       static_cast<float>(w.y + caster.pivot.y - caster.position.y),
                                       static_cast<float>(w.z + caster.pivot.z - caster.position.z)},
                                      {static_cast<float>(l.x + caster.pivot.x - caster.position.x),
                                       static_cast<float>(l.y + caster.pivot.y - caster.position.y),
                                       static_cast<float>(l.z + caster.pivot.z - caster.position.z)}};
            bool hit = false;
            if (shadowTestMode == 1) hit = segmentHitsPolygon(caster.shadowSection, segment, 4);
            if (shadowTestMode == 2) {
                hit = segmentHitsPolygon(caster.sectionZ, segment, 4);
                if (!hit) hit = segmentHitsPolygon(caster.sectionX, segment, 4);
                if (!hit) hit = segmentHitsPolygon(caster.sectionY, segment, 4);
            }
            if (hit) {
                const int result = caster.name[0] == '%' ? 1 : 2;
                seekObject(scene, meshIndex);
                return result;
            }
        }
        nextObject(scene);
    }
    seekObject(scene, meshIndex);
    return 0;
}

void precomputeLighting(Scene& scene) {
    std::vector<uint8_t> casters(scene.objectCount, 1);
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i) {
        SceneObject& mesh = *scene.current;
        if (mesh.kind == KIND_MESH) {
            for (size_t v = 0; v < vertexCountOf(mesh, false); ++v) {
                if (scene.lightCount < 1 || scene.lightingMode < 1) {
                    mesh.baseColors[v] = {1, 1, 1};
                    continue;
                }
                mesh.baseColors[v] = {0, 0, 0};
                for (int j = 0; j < lightsInTable(scene); ++j) {
                    if (!scene.lights[j] || scene.lights[j]->tag != '&') continue;
                    contribute(scene, mesh.baseColors[v], mesh.vertices[v], j, false, scene.lightingMode == 3,
                               static_cast<int>(v), i, casters.data());
                }
            }
        }
        nextObject(scene);
    }
    resetCursor(scene);
}

void computeLighting(Scene& scene) {
    std::vector<uint8_t> casters(scene.objectCount, 0);
    resetCursor(scene);
    for (int i = 0; i < scene.objectCount; ++i) {
        SceneObject& mesh = *scene.current;
        if (!marked(mesh, '$') && scene.lightCount > 0 && scene.lightingMode > 0 && mesh.kind == KIND_MESH) {
            const size_t count = vertexCountOf(mesh, true);
            for (size_t v = 0; v < count; ++v) mesh.vertexColors[v] = mesh.baseColors[v];
            for (int j = 0; j < lightsInTable(scene); ++j) {
                const SceneLight* light = scene.lights[j];
                if (!light) continue;
                bool applied = (scene.lightingMode == 3 && scene.hasMovingMesh) || light->moving ||
                               mesh.positionTrack.keyCount > 1;
                if (light->tag == '&' || !light->on) applied = false;
                if (!applied) continue;
                if (scene.lightingMode == 3) {
                    resetCursor(scene);
                    for (int n = 0; n < scene.objectCount; ++n) {
                        casters[n] = marked(*scene.current, '!') ? 0 : 1;
                        nextObject(scene);
                    }
                    seekObject(scene, i);
                }
                const Vec3d l = light->lightPosition;
                const double range = light->range;
                for (size_t v = 0; v < count; ++v) {
                    const Vec3d& p = mesh.vertices[v];
                    const Vec3d w{p.x - mesh.pivot.x + mesh.position.x, p.y - mesh.pivot.y + mesh.position.y,
                                  p.z - mesh.pivot.z + mesh.position.z};
                    if (!(l.x - range <= w.x && w.x <= l.x + range)) continue;
                    if (!(l.y - range <= w.y && w.y <= l.y + range)) continue;
                    if (!(l.z - range <= w.z && w.z <= l.z + range)) continue;
                    contribute(scene, mesh.vertexColors[v], w, j, scene.lightingMode == 1,
                               scene.lightingMode == 3, static_cast<int>(v), i, casters.data());
                }
            }
        }
        nextObject(scene);
    }
}

} // namespace pelx::plain
