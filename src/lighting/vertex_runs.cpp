// The vertex runs: each call's meshes cut into runs of vertices, taken on the calling thread or
// shared among the cores by oneTBB, with the scratch each thread keeps between calls.
#include "lighting/lighting_internal.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <algorithm>

namespace pelx {

LightingSplit lightingSplit;

namespace lighting_internal {

// Both reused between calls, so a frame allocates nothing once the arrays have grown.
CallScratch& callScratch() {
    thread_local CallScratch instance;
    return instance;
}
RunScratch& runScratch() {
    thread_local RunScratch instance;
    return instance;
}

// Whether the light's cube meets the mesh's stored bounds moved to where the mesh stands. Only
// an estimate of the work: whether it is shared among threads, never what is computed.
bool reachesBounds(const SceneLight& light, const SceneObject& mesh, const Vec3d& shift) {
    const Vec3d c = light.lightPosition;
    const double r = light.range;
    return c.x - r <= mesh.boundsMax.x + shift.x && mesh.boundsMin.x + shift.x <= c.x + r &&
           c.y - r <= mesh.boundsMax.y + shift.y && mesh.boundsMin.y + shift.y <= c.y + r &&
           c.z - r <= mesh.boundsMax.z + shift.z && mesh.boundsMin.z + shift.z <= c.z + r;
}

// Cuts every job into runs of at most taskVertices vertices.
void splitIntoRuns(CallScratch& s) {
    const size_t most = std::max<size_t>(lightingSplit.taskVertices, 1);
    s.runs.clear();
    for (uint32_t j = 0; j < s.jobs.size(); ++j)
        for (size_t begin = 0; begin < s.jobs[j].count; begin += most)
            s.runs.push_back({j, begin, std::min(begin + most, s.jobs[j].count)});
}

// Every vertex's colour depends on nothing but its own mesh, the lights and the casters, and
// its sum is formed light after light in table order by whichever thread takes its run, so
// the colours are the same bits however the runs are shared out.
void runAll(const CallScratch& s, const std::function<void(const VertexRun&)>& lightRun) {
    if (s.runs.size() < 2 || s.work < lightingSplit.serialBelow) {
        for (const VertexRun& run : s.runs) lightRun(run);
        return;
    }
    tbb::parallel_for(tbb::blocked_range<size_t>(0, s.runs.size()),
                      [&](const tbb::blocked_range<size_t>& range) {
                          for (size_t i = range.begin(); i != range.end(); ++i) lightRun(s.runs[i]);
                      });
}

} // namespace lighting_internal
} // namespace pelx
