// Per-frame vertex lighting on synthetic rooms, library against the plain version. Today's
// room: 20 lit meshes with 10,000 vertices in all, 10 "$" walls, so 30 casters, and 8 moving
// lights in lighting mode 3 with one rectangle per caster. The scale series grows the room to
// 300,000 vertices and 240 casters, so that the growth of the cost can be read off.
#include "lighting/lighting.h"

#include "lighting_reference.h"
#include "lighting_rooms.h"
#include "scene_builder.h"

#include <benchmark/benchmark.h>
#include <tbb/global_control.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace pelx {
namespace {

using testing::buildRoom;
using testing::lightPlaces;
using testing::moveLights;
using testing::ROOM_SIZES;
using testing::RoomSize;

constexpr const RoomSize& TODAYS_ROOM = ROOM_SIZES[0];

// Vertex/light pairs that reach the shadow test in one frame (applied, inside the range), or
// in the bake (distances from the stored vertices).
long shadowTestsPerFrame(Scene& scene, bool stored) {
    long count = 0;
    for (SceneObject* o = scene.next; o; o = o->next) {
        if (o->kind != KIND_MESH || (!stored && o->name[0] == '$')) continue;
        for (int j = 0; j < scene.lightCount; ++j) {
            const SceneLight& light = *scene.lights[j];
            for (const Vec3d& v : o->vertices) {
                const Vec3d w =
                    stored ? v
                           : Vec3d{v.x - o->pivot.x + o->position.x, v.y - o->pivot.y + o->position.y,
                                   v.z - o->pivot.z + o->position.z};
                const double dx = w.x - light.lightPosition.x;
                const double dy = w.y - light.lightPosition.y;
                const double dz = w.z - light.lightPosition.z;
                if (std::sqrt(dx * dx + dy * dy + dz * dz) <= light.range) ++count;
            }
        }
    }
    return count;
}

int casterCount(const Scene& scene) {
    int count = 0;
    for (const SceneObject* o = scene.next; o; o = o->next) count += o->kind == KIND_MESH;
    return count;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of every thread of the process: on a busy machine it still says how much work
// a frame took, where the wall clock also counts the time other programs had the cores.
double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The counters of one size of a scale series.
void reportScale(benchmark::State& state, const RoomSize& size, const Scene& scene, long pairs,
                 double plainSeconds, double seconds, double processorSeconds) {
    state.counters["vertices"] = size.vertices;
    state.counters["casters"] = casterCount(scene);
    state.counters["pairs"] = static_cast<double>(pairs);
    state.counters["plain_ms"] = plainSeconds * 1e3;
    state.counters["library_ms"] = seconds * 1e3;
    state.counters["ratio"] = plainSeconds / seconds;
    state.counters["plain_ns_per_pair"] = plainSeconds * 1e9 / static_cast<double>(pairs);
    state.counters["ns_per_pair"] = seconds * 1e9 / static_cast<double>(pairs);
    state.counters["cpu_ns_per_pair"] = processorSeconds * 1e9 / static_cast<double>(pairs);
}

template <void (*Lighting)(Scene&)> void computeLightingBench(benchmark::State& state) {
    Scene scene;
    buildRoom(scene, TODAYS_ROOM);
    const std::vector<Vec3d> placed = lightPlaces(scene);
    moveLights(scene, placed, 0);
    const long tests = shadowTestsPerFrame(scene, false);
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
    buildRoom(scene, TODAYS_ROOM);
    for (int j = 0; j < scene.lightCount; ++j) scene.lights[j]->tag = '&';
    const int32_t savedMode = shadowTestMode;
    shadowTestMode = 2;
    for (auto _ : state) {
        Bake(scene);
        benchmark::DoNotOptimize(scene.next->baseColors.data());
    }
    shadowTestMode = savedMode;
}

// One size of the scale series: frames of the plain version are timed first (at least one,
// as many as fit in half a second), then the library's frames as the benchmark's own time.
// Both are wall-clock times: the library uses every core.
void frameScaleBench(benchmark::State& state) {
    const RoomSize& size = ROOM_SIZES[state.range(0)];
    Scene scene;
    buildRoom(scene, size);
    const std::vector<Vec3d> placed = lightPlaces(scene);
    moveLights(scene, placed, 0);
    const long pairs = shadowTestsPerFrame(scene, false);
    int frame = 0;
    const auto plainStart = std::chrono::steady_clock::now();
    int plainFrames = 0;
    do {
        moveLights(scene, placed, frame++);
        plain::computeLighting(scene);
        ++plainFrames;
    } while (secondsSince(plainStart) < 0.5);
    const double plainSeconds = secondsSince(plainStart) / plainFrames;

    const auto start = std::chrono::steady_clock::now();
    const double processStart = processSeconds();
    for (auto _ : state) {
        moveLights(scene, placed, frame++);
        computeLighting(scene);
        benchmark::DoNotOptimize(scene.next->vertexColors.data());
    }
    const double iterations = static_cast<double>(state.iterations());
    reportScale(state, size, scene, pairs, plainSeconds, secondsSince(start) / iterations,
                (processSeconds() - processStart) / iterations);
}

// The bake of each size, all eight lights static: the plain version once, the library as the
// benchmark's time.
void bakeScaleBench(benchmark::State& state) {
    const RoomSize& size = ROOM_SIZES[state.range(0)];
    Scene scene;
    buildRoom(scene, size);
    for (int j = 0; j < scene.lightCount; ++j) scene.lights[j]->tag = '&';
    const long pairs = shadowTestsPerFrame(scene, true);
    const int32_t savedMode = shadowTestMode;
    shadowTestMode = 2;
    const auto plainStart = std::chrono::steady_clock::now();
    plain::precomputeLighting(scene);
    const double plainSeconds = secondsSince(plainStart);
    const auto start = std::chrono::steady_clock::now();
    const double processStart = processSeconds();
    for (auto _ : state) {
        precomputeLighting(scene);
        benchmark::DoNotOptimize(scene.next->baseColors.data());
    }
    const double iterations = static_cast<double>(state.iterations());
    reportScale(state, size, scene, pairs, plainSeconds, secondsSince(start) / iterations,
                (processSeconds() - processStart) / iterations);
    shadowTestMode = savedMode;
}

struct Ray {
    int vertex, mesh, light;
};

template <int (*Test)(Scene&, int, int, int, const uint8_t*)> void shadowTestBench(benchmark::State& state) {
    Scene scene;
    buildRoom(scene, TODAYS_ROOM);
    std::vector<uint8_t> casters(scene.objectCount, 1);
    std::mt19937 rng(7);
    std::vector<Ray> rays;
    const int verticesPerMesh = TODAYS_ROOM.vertices / TODAYS_ROOM.litMeshes;
    for (int r = 0; r < 4096; ++r)
        rays.push_back({static_cast<int>(rng() % verticesPerMesh),
                        1 + static_cast<int>(rng() % TODAYS_ROOM.litMeshes),
                        static_cast<int>(rng() % scene.lightCount)});
    size_t next = 0;
    int shadowed = 0;
    for (auto _ : state) {
        const Ray& ray = rays[next++ % rays.size()];
        shadowed += Test(scene, ray.vertex, ray.mesh, ray.light, casters.data()) != SHADOW_LIT;
    }
    benchmark::DoNotOptimize(shadowed);
    state.counters["shadowedShare"] = static_cast<double>(shadowed) / static_cast<double>(state.iterations());
}

void sizeArguments(benchmark::internal::Benchmark* bench) {
    bench->ArgName("size");
    for (int i = 0; i < static_cast<int>(std::size(ROOM_SIZES)); ++i) bench->Arg(i);
}

// The library runs on every core, so its times are wall-clock times.
BENCHMARK(computeLightingBench<plain::computeLighting>)
    ->Name("computeLighting/plain")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(computeLightingBench<computeLighting>)
    ->Name("computeLighting/library")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(precomputeLightingBench<plain::precomputeLighting>)
    ->Name("precomputeLighting/plain")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(precomputeLightingBench<precomputeLighting>)
    ->Name("precomputeLighting/library")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(shadowTestBench<plain::shadowTest>)->Name("shadowTest/plain")->Unit(benchmark::kMicrosecond);
BENCHMARK(shadowTestBench<shadowTest>)->Name("shadowTest/library")->Unit(benchmark::kMicrosecond);
BENCHMARK(frameScaleBench)
    ->Name("scale/computeLighting")
    ->Apply(sizeArguments)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(bakeScaleBench)
    ->Name("scale/precomputeLighting")
    ->Apply(sizeArguments)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
} // namespace pelx

// --lighting-threads=N caps the threads the lighting may use (default: every core).
int main(int argc, char** argv) {
    std::unique_ptr<tbb::global_control> threads;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const char* prefix = "--lighting-threads=";
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) {
            const int count = std::atoi(argv[i] + std::strlen(prefix));
            if (count < 1) {
                std::fprintf(stderr, "pelx-bench-lighting: --lighting-threads needs a count of 1 or more\n");
                return 2;
            }
            threads =
                std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism, count);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
