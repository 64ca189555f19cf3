// Per-frame vertex lighting on a synthetic room: 20 lit meshes with 10,000 vertices in all,
// 10 "$" walls, so 30 casters, and 8 moving lights in lighting mode 3 with one rectangle per
// caster. Times computeLighting and single shadow tests, library against the plain version.
#include "lighting/lighting.h"

#include "lighting_reference.h"
#include "scene_builder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace pelx {
namespace {

constexpr int LIT_MESHES = 20;
constexpr int VERTICES_PER_MESH = 500;
constexpr int WALLS = 10;
constexpr int LIGHTS = 8;
constexpr float LIGHT_RANGE = 35;

double uniform(std::mt19937& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

void buildRoom(Scene& scene) {
    std::mt19937 rng(2024);
    testing::startScene(scene);
    scene.lightingMode = LIGHTING_SHADOWS;
    scene.shadowFactor = 0.1f;
    scene.translucentShadowFactor = 0.4f;
    for (int m = 0; m < LIT_MESHES; ++m) {
        // Furniture-sized clouds of vertices spread over a 100 x 20 x 100 room.
        const Vec3d centre{uniform(rng, -45, 45), uniform(rng, 0, 15), uniform(rng, -45, 45)};
        const Vec3d half{uniform(rng, 1, 5), uniform(rng, 1, 5), uniform(rng, 1, 5)};
        std::vector<Vec3d> vertices(VERTICES_PER_MESH);
        for (Vec3d& v : vertices)
            v = {centre.x + uniform(rng, -half.x, half.x), centre.y + uniform(rng, -half.y, half.y),
                 centre.z + uniform(rng, -half.z, half.z)};
        const std::string name = (m % 4 == 3 ? "%glass" : "mesh") + std::to_string(m);
        SceneObject& mesh = testing::addMesh(scene, name.c_str(), vertices);
        if (m % 5 == 0) {
            testing::setPositionKeys(mesh, 2);
            scene.hasMovingMesh = 1;
        }
    }
    for (int w = 0; w < WALLS; ++w) {
        const Vec3d centre{uniform(rng, -40, 40), 10, uniform(rng, -40, 40)};
        const bool alongX = w % 2 == 0;
        const Vec3d half{alongX ? 8.0 : 0.2, 10, alongX ? 0.2 : 8.0};
        testing::addBox(scene, ("$wall" + std::to_string(w)).c_str(),
                        {centre.x - half.x, centre.y - half.y, centre.z - half.z},
                        {centre.x + half.x, centre.y + half.y, centre.z + half.z});
    }
    for (int l = 0; l < LIGHTS; ++l) {
        const Vec3d position{uniform(rng, -40, 40), uniform(rng, 5, 18), uniform(rng, -40, 40)};
        SceneLight& light =
            testing::addLight(scene, ("lamp" + std::to_string(l)).c_str(), position,
                              {static_cast<float>(uniform(rng, 0.3, 1)), 0.6f, 0.5f}, LIGHT_RANGE);
        light.moving = 1;
    }
    shadowTestMode = 2;
    precomputeLighting(scene);
    shadowTestMode = 1;
}

// The lights swing on small circles about where they were placed, a new place each frame.
void moveLights(Scene& scene, const std::vector<Vec3d>& placed, int frame) {
    for (int j = 0; j < scene.lightCount; ++j) {
        const double a = 0.4 * (frame % 16) + j;
        scene.lights[j]->lightPosition = {placed[j].x + std::cos(a), placed[j].y, placed[j].z + std::sin(a)};
    }
}

std::vector<Vec3d> lightPlaces(const Scene& scene) {
    std::vector<Vec3d> places;
    for (int j = 0; j < scene.lightCount; ++j) places.push_back(scene.lights[j]->lightPosition);
    return places;
}

// Vertex/light pairs that reach the shadow test in one frame: applied, inside the range.
long shadowTestsPerFrame(Scene& scene) {
    long count = 0;
    for (SceneObject* o = scene.next; o; o = o->next) {
        if (o->kind != KIND_MESH || o->name[0] == '$') continue;
        for (int j = 0; j < scene.lightCount; ++j) {
            const SceneLight& light = *scene.lights[j];
            for (const Vec3d& v : o->vertices) {
                const double dx = v.x - o->pivot.x + o->position.x - light.lightPosition.x;
                const double dy = v.y - o->pivot.y + o->position.y - light.lightPosition.y;
                const double dz = v.z - o->pivot.z + o->position.z - light.lightPosition.z;
                if (std::sqrt(dx * dx + dy * dy + dz * dz) <= light.range) ++count;
            }
        }
    }
    return count;
}

template <void (*Lighting)(Scene&)> void computeLightingBench(benchmark::State& state) {
    Scene scene;
    buildRoom(scene);
    const std::vector<Vec3d> placed = lightPlaces(scene);
    moveLights(scene, placed, 0);
    const long tests = shadowTestsPerFrame(scene);
    int frame = 0;
    for (auto _ : state) {
        moveLights(scene, placed, frame++);
        Lighting(scene);
        benchmark::DoNotOptimize(scene.next->vertexColors.data());
    }
    state.counters["shadowTests"] = static_cast<double>(tests);
    state.counters["perShadowTest"] =
        benchmark::Counter(static_cast<double>(tests),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The bake at load: the same room with its eight lights static, three rectangles per caster.
template <void (*Bake)(Scene&)> void precomputeLightingBench(benchmark::State& state) {
    Scene scene;
    buildRoom(scene);
    for (int j = 0; j < scene.lightCount; ++j) scene.lights[j]->tag = '&';
    const int32_t savedMode = shadowTestMode;
    shadowTestMode = 2;
    for (auto _ : state) {
        Bake(scene);
        benchmark::DoNotOptimize(scene.next->baseColors.data());
    }
    shadowTestMode = savedMode;
}

struct Ray {
    int vertex, mesh, light;
};

template <int (*Test)(Scene&, int, int, int, const uint8_t*)> void shadowTestBench(benchmark::State& state) {
    Scene scene;
    buildRoom(scene);
    std::vector<uint8_t> casters(scene.objectCount, 1);
    std::mt19937 rng(7);
    std::vector<Ray> rays;
    for (int r = 0; r < 4096; ++r)
        rays.push_back({static_cast<int>(rng() % VERTICES_PER_MESH), 1 + static_cast<int>(rng() % LIT_MESHES),
                        static_cast<int>(rng() % LIGHTS)});
    size_t next = 0;
    int shadowed = 0;
    for (auto _ : state) {
        const Ray& ray = rays[next++ % rays.size()];
        shadowed += Test(scene, ray.vertex, ray.mesh, ray.light, casters.data()) != SHADOW_LIT;
    }
    benchmark::DoNotOptimize(shadowed);
    state.counters["shadowedShare"] = static_cast<double>(shadowed) / static_cast<double>(state.iterations());
}

BENCHMARK(computeLightingBench<plain::computeLighting>)
    ->Name("computeLighting/plain")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(computeLightingBench<computeLighting>)
    ->Name("computeLighting/library")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(precomputeLightingBench<plain::precomputeLighting>)
    ->Name("precomputeLighting/plain")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(precomputeLightingBench<precomputeLighting>)
    ->Name("precomputeLighting/library")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(shadowTestBench<plain::shadowTest>)->Name("shadowTest/plain")->Unit(benchmark::kMicrosecond);
BENCHMARK(shadowTestBench<shadowTest>)->Name("shadowTest/library")->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace pelx

BENCHMARK_MAIN();
