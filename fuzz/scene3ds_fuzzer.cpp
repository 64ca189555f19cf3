// Loads a scene from the fuzzer's bytes through the loader's own path (a memory byte source),
// the static lighting bake included, then runs one per-frame lighting pass on the result.
#include "fuzz_support.h"
#include "lighting/lighting.h"
#include "scene3ds/byte_source.h"
#include "scene3ds/scene_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool prepared = (pelx::fuzz::quietEnvironment(), true);
    (void)prepared;
    pelx::MemoryByteSource source(data, size);
    pelx::Scene scene;
    scene.shadowFactor = 0.1f;
    scene.translucentShadowFactor = 0.4f;
    if (pelx::loadScene(scene, source, 3)) pelx::computeLighting(scene);
    return 0;
}
