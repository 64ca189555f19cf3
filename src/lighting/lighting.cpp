// Per-vertex lighting: static "&" lights baked into baseColors at load, the others added each
// frame into vertexColors, dimmed where a shadow ray meets a caster's section rectangle.
// This is the show's hottest loop, so everything that does not depend on the vertex is
// prepared once per call, and the vertices are shared out among the cores (oneTBB); the
// results are bit for bit those of testing each ray from scratch, on one thread. This file
// holds the entry points and what one run of each does; lighting_internal.h names the rest.
#include "lighting/lighting.h"

#include "lighting/geometry.h"
#include "lighting/lighting_internal.h"
#include "platform/phase_timer.h"
#include "scene/name_marks.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace pelx {

using namespace lighting_internal;

namespace {

// One run of the bake: the static lights, distances from the stored vertices, shadow rays from
// where the mesh stands, as they are every frame.
void bakeRun(const CallScratch& s, const Scene& scene, const VertexRun& run, bool shadows) {
    RunScratch& t = runScratch();
    const MeshJob& job = s.jobs[run.job];
    SceneObject& mesh = *job.mesh;
    const size_t count = run.end - run.begin;
    Vec3f* colours = mesh.baseColors.data() + run.begin;
    std::fill_n(colours, count, Vec3f{0, 0, 0});
    FloatBox starts{{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}};
    if (shadows) {
        t.shadowPoints.resize(count);
        for (size_t v = 0; v < count; ++v) {
            const Vec3f p = toFloat(worldPoint(mesh, mesh.vertices[run.begin + v]));
            t.shadowPoints[v] = p;
            // Any NaN start makes the box non-finite too, which turns the narrowing off.
            starts.low = {std::fmin(starts.low.x, p.x), std::fmin(starts.low.y, p.y),
                          std::fmin(starts.low.z, p.z)};
            starts.high = {std::fmax(starts.high.x, p.x), std::fmax(starts.high.y, p.y),
                           std::fmax(starts.high.z, p.z)};
            if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) starts.low.x = NAN;
        }
    }
    for (uint32_t k = 0; k < job.lightCount; ++k) {
        const LightAim& aim = s.aims[s.jobLights[job.firstLight + k]];
        lightVertices(t, s, scene, aim, mesh.vertices.data() + run.begin,
                      shadows ? t.shadowPoints.data() : nullptr, count, colours, false, false, shadows,
                      starts);
    }
}

// One run of a frame: base colours, then each applied light that reaches the run's vertices.
void frameRun(CallScratch& s, const Scene& scene, const VertexRun& run, bool manhattan, bool shadows) {
    RunScratch& t = runScratch();
    const MeshJob& job = s.jobs[run.job];
    SceneObject& mesh = *job.mesh;
    const size_t count = run.end - run.begin;
    Vec3f* colours = mesh.vertexColors.data() + run.begin;
    std::copy_n(mesh.baseColors.begin() + static_cast<std::ptrdiff_t>(run.begin), count, colours);

    // Where the vertices stand this frame, and the box around them, for a cube test that
    // turns a light away from the whole run at once.
    t.worldPoints.resize(count);
    constexpr double inf = std::numeric_limits<double>::infinity();
    Vec3d low{inf, inf, inf}, high{-inf, -inf, -inf};
    for (size_t v = 0; v < count; ++v) {
        const Vec3d w = worldPoint(mesh, mesh.vertices[run.begin + v]);
        t.worldPoints[v] = w;
        low = {std::min(low.x, w.x), std::min(low.y, w.y), std::min(low.z, w.z)};
        high = {std::max(high.x, w.x), std::max(high.y, w.y), std::max(high.z, w.z)};
    }
    for (uint32_t k = 0; k < job.lightCount; ++k) {
        const uint8_t j = s.jobLights[job.firstLight + k];
        const SceneLight& light = *s.aims[j].light;
        const Vec3d centre = light.lightPosition;
        const double range = light.range;
        if (!(centre.x - range <= high.x && low.x <= centre.x + range && centre.y - range <= high.y &&
              low.y <= centre.y + range && centre.z - range <= high.z && low.z <= centre.z + range))
            continue;
        const LightAim& aim = shadows ? aimFor(s, j) : s.aims[j];
        // Only vertices inside the light's cube are lit, so only they start rays.
        const FloatBox starts{toFloat({std::max(low.x, centre.x - range), std::max(low.y, centre.y - range),
                                       std::max(low.z, centre.z - range)}),
                              toFloat({std::min(high.x, centre.x + range), std::min(high.y, centre.y + range),
                                       std::min(high.z, centre.z + range)})};
        lightVertices(t, s, scene, aim, t.worldPoints.data(), nullptr, count, colours, manhattan, true,
                      shadows, starts);
    }
}

} // namespace

void precomputeLighting(Scene& scene) {
    CallScratch& s = callScratch();
    s.work = 0;
    const int lightCount = usableLightCount(scene);
    const bool lit = scene.lightCount >= 1 && scene.lightingMode >= 1;
    // At load every object casts, "!" ones included.
    const bool shadows = scene.lightingMode == LIGHTING_SHADOWS && shadowRectanglesTested();
    s.jobs.clear();
    s.jobLights.clear();
    if (lit) {
        for (int j = 0; j < lightCount; ++j) {
            const SceneLight* light = scene.lights[j];
            if (!light || !isStaticLight(*light)) continue;
            s.jobLights.push_back(static_cast<uint8_t>(j));
            s.aims[j].light = light;
            s.aims[j].state.store(AIM_READY, std::memory_order_relaxed);
        }
        if (shadows && !s.jobLights.empty()) {
            prepareCasters(s, scene, [](const SceneObject&) { return true; });
            // Distances are measured from the stored vertices but rays start where each mesh
            // stands, so no one box holds every start: each run narrows the casters itself.
            for (uint8_t j : s.jobLights)
                aimAtLight(s, s.aims[j], toFloat(scene.lights[j]->lightPosition), nullptr);
        }
    }
    SceneObject* object = &scene;
    for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
        SceneObject& mesh = *object;
        if (mesh.kind != KIND_MESH) continue;
        const size_t count = bakedVertexCount(mesh);
        if (!lit) {
            std::fill_n(mesh.baseColors.begin(), count, Vec3f{1, 1, 1});
            continue;
        }
        s.jobs.push_back({&mesh, count, 0, static_cast<uint32_t>(s.jobLights.size())});
        s.work += static_cast<long>(count) * (1 + static_cast<long>(s.jobLights.size()) * (shadows ? 30 : 1));
    }
    splitIntoRuns(s);
    runAll(s, [&](const VertexRun& run) { bakeRun(s, scene, run, shadows); });
    resetCursor(scene);
}

void computeLighting(Scene& scene) {
    ScopedPhase phase(Phase::Lighting);
    CallScratch& s = callScratch();
    const int lightCount = usableLightCount(scene);
    const int mode = scene.lightingMode;
    s.jobs.clear();
    s.jobLights.clear();
    s.work = 0;
    if (lightCount > 0 && scene.lightCount > 0 && mode > 0) {
        const bool shadows = mode == LIGHTING_SHADOWS && shadowRectanglesTested();
        const long pairWork = shadows ? 10 * (shadowTestMode == 2 ? 3 : 1) : 1;
        bool anyApplied = false;
        SceneObject* object = &scene;
        for (int i = 0; i < scene.objectCount; ++i, object = following(object)) {
            SceneObject& mesh = *object;
            if (mesh.kind != KIND_MESH || skipsFrameLighting(mesh)) continue;
            MeshJob job{&mesh, litVertexCount(mesh), static_cast<uint32_t>(s.jobLights.size()), 0};
            const Vec3d shift{mesh.position.x - mesh.pivot.x, mesh.position.y - mesh.pivot.y,
                              mesh.position.z - mesh.pivot.z};
            for (int j = 0; j < lightCount; ++j) {
                const SceneLight* light = scene.lights[j];
                if (!light || !lightApplies(scene, mesh, *light) || !(light->range > 0)) continue;
                s.jobLights.push_back(static_cast<uint8_t>(j));
                ++job.lightCount;
                anyApplied = true;
                if (reachesBounds(*light, mesh, shift)) s.work += static_cast<long>(job.count) * pairWork;
            }
            s.work += static_cast<long>(job.count);
            s.jobs.push_back(job);
        }
        if (anyApplied) {
            if (shadows)
                prepareCasters(s, scene, [](const SceneObject& o) { return !castsNoFrameShadow(o); });
            for (uint8_t j : s.jobLights) {
                s.aims[j].light = scene.lights[j];
                s.aims[j].state.store(AIM_WANTED, std::memory_order_relaxed);
            }
        }
        splitIntoRuns(s);
        runAll(s,
               [&](const VertexRun& run) { frameRun(s, scene, run, mode == LIGHTING_MANHATTAN, shadows); });
    }
    // The walk ends on the last object, as a cursor walk of objectCount steps does.
    seekObject(scene, scene.objectCount);
}

int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters) {
    seekObject(scene, meshIndex);
    const SceneObject& mesh = *scene.current;
    const bool vertexKnown = vertex >= 0 && static_cast<size_t>(vertex) < mesh.vertices.size();
    const bool lightKnown =
        lightIndex >= 0 && lightIndex < usableLightCount(scene) && scene.lights[lightIndex];
    assert(vertexKnown && "shadowTest: no such vertex");
    assert(lightKnown && "shadowTest: no such light");
    int result = SHADOW_LIT;
    if (shadowRectanglesTested() && vertexKnown && lightKnown) {
        // One ray: each caster is prepared only when the walk reaches it.
        const Vec3f point = toFloat(worldPoint(mesh, mesh.vertices[vertex]));
        const Vec3f light = toFloat(scene.lights[lightIndex]->lightPosition);
        const SceneObject* object = &scene;
        for (int n = 0; n < scene.objectCount && result == SHADOW_LIT;
             ++n, object = object->next ? object->next : object) {
            if (casters[n] != 1) continue;
            const Vec3f* sections[3];
            const int count = sectionsOf(*object, sections);
            const Vec3f segment[2] = {intoCaster(point, *object), intoCaster(light, *object)};
            for (int r = 0; r < count && result == SHADOW_LIT; ++r) {
                const Vec3f normal = triangleNormal(sections[r]);
                const float planeConstant = planeDistance(normal, sections[r][0]);
                const float endSide = static_cast<float>(dot(normal, segment[1]) + planeConstant);
                if (segmentHitsRectangle(sections[r], normal, planeConstant, endSide, segment))
                    result = isAdditive(*object) ? SHADOW_TRANSLUCENT : SHADOW_OPAQUE;
            }
        }
    }
    seekObject(scene, meshIndex);
    return result;
}

} // namespace pelx
