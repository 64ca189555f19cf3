// Vertex lighting on the CPU: every light fades linearly to nothing at its range; in lighting
// mode 3 a shadow ray to the light is tested against the casters' section rectangles.
// "&" lights are baked into baseColors at load; the others are added per frame.
//
// Layer lighting: geometry helpers (geometry.h) and the vertex lighting, one file per part:
// the light model (light_model.cpp), the casters' section rectangles and their shortcuts
// (section_rectangles.h and .cpp), the narrowing of the casters (caster_aim.cpp), the ray blocks
// (ray_blocks.cpp), the vertex runs shared among threads (vertex_runs.cpp) and these entry
// points (lighting.cpp); lighting_internal.h is what they share. May use scene and the layers
// below it.
#pragma once

#include "scene/scene.h"

#include <cstddef>
#include <cstdint>

namespace pelx {

// lightingMode values: 0 or less: no lighting; 1: no shadows, Manhattan distance;
// 2: no shadows, Euclidean distance; 3: Euclidean distance with shadow rays.
inline constexpr int LIGHTING_OFF = 0;
inline constexpr int LIGHTING_MANHATTAN = 1;
inline constexpr int LIGHTING_EUCLIDEAN = 2;
inline constexpr int LIGHTING_SHADOWS = 3;

// Shadow test results.
inline constexpr int SHADOW_LIT = 0;
inline constexpr int SHADOW_TRANSLUCENT = 1;
inline constexpr int SHADOW_OPAQUE = 2;

// How the lighting calls share their vertices among threads: runs of at most taskVertices
// vertices, and a call with less work than serialBelow stays on the calling thread (the unit
// is a tenth of a vertex-light pair with a shadow ray against one rectangle per caster: waking
// a second thread is worth it from about 6,000 such pairs, a few tenths of a millisecond). The
// colours never depend on either. The show keeps the defaults; tests and benchmarks write
// them, the lighting calls read them.
struct LightingSplit {
    size_t taskVertices = 1024;
    long serialBelow = 60000;
};
extern LightingSplit lightingSplit;

// Fills every mesh's baseColors from the static "&" lights (once, at load).
void precomputeLighting(Scene& scene);
// Fills vertexColors of every lit mesh for the current frame.
void computeLighting(Scene& scene);
// Vertex of the mesh at list index meshIndex against light lightIndex, with casters[i] = 1 for
// each object that may cast. Leaves the cursor on the mesh.
int shadowTest(Scene& scene, int vertex, int meshIndex, int lightIndex, const uint8_t* casters);

} // namespace pelx
