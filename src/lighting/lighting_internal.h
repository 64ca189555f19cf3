// What the lighting files share, in the order they use it: the light model (light_model.cpp),
// the casters' section rectangles and their shortcuts (section_rectangles.h, with the per-ray
// tests, and section_rectangles.cpp), the records of one call, the narrowing of its casters
// (caster_aim.cpp), the ray blocks (ray_blocks.cpp) and the vertex runs shared among threads
// (vertex_runs.cpp); lighting.cpp holds the entry points. Private to src/lighting and its tests.
#pragma once

#include "lighting/lighting.h"
#include "lighting/section_rectangles.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace pelx::lighting_internal {

// ---- the light model ----

// The light table is trusted as loaded, but never read past its capacity.
int usableLightCount(const Scene& scene);
// Vertices whose colour arrays exist; a mesh whose arrays are shorter than vertexCount (a
// failed allocation, a hand-built scene) is lit as far as its arrays go.
size_t bakedVertexCount(const SceneObject& mesh);
size_t litVertexCount(const SceneObject& mesh);

// The walkers step with nextObject, which stays on the last object; keep that behaviour.
inline SceneObject* following(SceneObject* object) {
    return object->next ? object->next : object;
}

// Where a vertex is this frame: the mesh's translation only, its rotation is not applied.
inline Vec3d worldPoint(const SceneObject& mesh, const Vec3d& vertex) {
    return {vertex.x - mesh.pivot.x + mesh.position.x, vertex.y - mesh.pivot.y + mesh.position.y,
            vertex.z - mesh.pivot.z + mesh.position.z};
}

inline Vec3f toFloat(const Vec3d& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// A world point moved into a caster's stored coordinates (its translation undone).
inline Vec3f intoCaster(Vec3f point, const SceneObject& caster) {
    return {static_cast<float>(static_cast<double>(point.x) + caster.pivot.x - caster.position.x),
            static_cast<float>(static_cast<double>(point.y) + caster.pivot.y - caster.position.y),
            static_cast<float>(static_cast<double>(point.z) + caster.pivot.z - caster.position.z)};
}

float lightDistance(const Vec3d& point, const Vec3d& light, bool manhattan);
// Linear fall-off to nothing at the range; false where the light does not reach.
bool attenuation(float distance, float range, double* result);
// Adds att times the light's colour, dimmed by the shadow's factor, each channel clamped at 1.
void addLight(Vec3f& colour, const SceneLight& light, double att, int shadow, const Scene& scene);
// Whether a per-frame call recomputes this light on this mesh.
bool lightApplies(const Scene& scene, const SceneObject& mesh, const SceneLight& light);
// Whether the current shadowTestMode tests any rectangles at all.
bool shadowRectanglesTested();

// ---- the records of one call ----

struct Caster {
    const SceneObject* object;
    bool translucent;
    uint32_t firstRectangle;
    uint32_t rectangleCount;
};

struct FloatBox {
    Vec3f low, high;
};

enum : uint8_t { AIM_WANTED, AIM_BEING_MADE, AIM_READY };

// What the rays to one light share during one call. Written before the vertices are walked,
// only read while they are.
struct LightAim {
    const SceneLight* light = nullptr;
    // A frame aims only at lights that reach some run's vertices: the first run that needs the
    // aim computes it while any other waits for it.
    std::atomic<uint8_t> state{AIM_READY};
    std::vector<uint32_t> aimed; // casters its rays may cross, in list order
    std::vector<Vec3f> ends;     // per caster: the light in the caster's coordinates
    std::vector<float> sides;    // per rectangle: the light's distance from its plane, 0 where
                                 // no ray this call can hit it
};

// One lit mesh and the lights applied to it (indices into jobLights, in light table order).
struct MeshJob {
    SceneObject* mesh;
    size_t count;
    uint32_t firstLight, lightCount;
};

// A run of one mesh's vertices: the unit of work a thread takes.
struct VertexRun {
    uint32_t job;
    size_t begin, end;
};

// Everything one call prepares before its vertex runs start. Owned by the calling thread,
// read by every thread that helps with the runs.
struct CallScratch {
    std::vector<Caster> casters;
    std::vector<CasterRectangle> rectangles;
    std::array<LightAim, MAX_LIGHTS> aims; // by light table index
    std::vector<MeshJob> jobs;
    std::vector<uint8_t> jobLights; // light table indices, per job in table order
    std::vector<VertexRun> runs;
    // The work of a call in tenths of a vertex-light pair with one rectangle per caster, to
    // decide on threads: a ray tests three rectangles per caster at load and in some scenes,
    // and a pair without a shadow ray costs about a tenth.
    long work = 0;
};

// The rays of up to RAY_BLOCK vertices to one light. Whole groups of RAY_LANES lanes are always
// computed, so the arrays start zeroed and unused lanes hold earlier, finite starts.
constexpr size_t RAY_BLOCK = 64;
constexpr size_t RAY_LANES = 8;
struct RayBlock {
    float x[RAY_BLOCK], y[RAY_BLOCK], z[RAY_BLOCK];    // open rays' starts, world coordinates
    float cx[RAY_BLOCK], cy[RAY_BLOCK], cz[RAY_BLOCK]; // the same in the current caster's
    float side[RAY_BLOCK];                             // their sides of the current plane
    bool hit[RAY_BLOCK];
    uint8_t slot[RAY_BLOCK]; // an open ray's place in the block
    uint32_t vertex[RAY_BLOCK];
    double att[RAY_BLOCK];
    int result[RAY_BLOCK];
};

// Per thread: what one run narrows and computes for itself.
struct RunScratch {
    RayBlock rays{};
    std::vector<uint32_t> meshAimed; // of a light's casters, those this run's rays may hit
    std::vector<float> meshSides;    // per rectangle: the light's side, 0 where they cannot hit
    std::vector<Vec3d> worldPoints;  // per vertex of the run
    std::vector<Vec3f> shadowPoints;
};

// ---- the narrowing of the casters ----

// The rectangles a caster is tested with under the current shadowTestMode (1 or 2).
int sectionsOf(const SceneObject& object, const Vec3f** out);
// The casters in list order, walked the way every list walker does; castsShadow picks them.
void prepareCasters(CallScratch& s, Scene& scene, bool (*castsShadow)(const SceneObject&));
// The light's side of every caster's planes, and the casters its rays may cross: those near
// reach (a box holding every start this call tests against the light) or, with null, all.
void aimAtLight(const CallScratch& s, LightAim& aim, Vec3f light, const FloatBox* reach);
// The aim at light j, made by the first run that needs it.
const LightAim& aimFor(CallScratch& s, uint8_t j);
// Narrows the light's casters to those the rays from the starts of one run may hit.
void aimFromRun(RunScratch& t, const CallScratch& s, const LightAim& aim, const FloatBox& starts);

// ---- the ray blocks ----

// One light added to the colours of one run's vertices, shadow rays and all.
void lightVertices(RunScratch& t, const CallScratch& s, const Scene& scene, const LightAim& aim,
                   const Vec3d* points, const Vec3f* shadowPoints, size_t count, Vec3f* colours,
                   bool manhattan, bool boxTest, bool shadows, const FloatBox& starts);

// ---- the vertex runs among threads ----

// Per thread, reused between calls, so a frame allocates nothing once the arrays have grown.
CallScratch& callScratch();
RunScratch& runScratch();
// Whether the light's cube meets the mesh's stored bounds moved by shift: an estimate of the
// work only.
bool reachesBounds(const SceneLight& light, const SceneObject& mesh, const Vec3d& shift);
// Cuts every job into runs of at most lightingSplit.taskVertices vertices.
void splitIntoRuns(CallScratch& s);
// Every run through lightRun, on this thread or shared among threads by lightingSplit.
void runAll(const CallScratch& s, const std::function<void(const VertexRun&)>& lightRun);

} // namespace pelx::lighting_internal
