// The library's lighting against the plain version, bit for bit, on randomized scenes: every
// lighting mode, one and three rectangles per caster, every name prefix, moving meshes and
// lights, lights switched off or without range, and rays aimed at the casters' corners; and
// on the benchmark's rooms. Each on one thread and on two.
#include "lighting/lighting.h"

#include "lighting_reference.h"
#include "lighting_rooms.h"
#include "scene_builder.h"

#include <gtest/gtest.h>
#include <tbb/global_control.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace pelx {
namespace {

using namespace pelx::testing; // the hand-built scenes

struct SceneRecipe {
    uint32_t seed;
    int lightingMode;
};

double uniform(std::mt19937& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}
int pick(std::mt19937& rng, int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(rng);
}
Vec3d randomPoint(std::mt19937& rng, double extent) {
    return {uniform(rng, -extent, extent), uniform(rng, -extent, extent), uniform(rng, -extent, extent)};
}

// Builds the same scene for the same recipe, so one copy can go to each implementation.
// Some recipes move the whole scene far from the origin or shrink it, so that rounding is
// large compared with the casters.
void buildScene(Scene& scene, const SceneRecipe& recipe) {
    std::mt19937 rng(recipe.seed);
    const double offset = recipe.seed % 5 == 0 ? 1e5 : 0;
    const double scale = recipe.seed % 7 == 0 ? 1e-3 : 1;
    auto place = [&](Vec3d p) {
        return Vec3d{offset + scale * p.x, offset + scale * p.y, offset + scale * p.z};
    };
    startScene(scene);
    scene.lightingMode = recipe.lightingMode;
    scene.shadowFactor = static_cast<float>(uniform(rng, 0, 1));
    scene.translucentShadowFactor = static_cast<float>(uniform(rng, 0, 1));

    static const char* const prefixes[] = {"", "", "", "!", "x!", "$", "x$", "%", "%!", "!%", "x%", "&"};
    struct LightPlan {
        Vec3d position;
        Vec3f colour;
        float range;
        std::string name;
        bool moving, on;
    };
    std::vector<LightPlan> lights(3 + pick(rng, 6));
    for (size_t j = 0; j < lights.size(); ++j) {
        LightPlan& l = lights[j];
        l.position = place(randomPoint(rng, 25));
        l.colour = {static_cast<float>(uniform(rng, 0, 1)), static_cast<float>(uniform(rng, 0, 1)),
                    static_cast<float>(uniform(rng, 0, 1))};
        l.range = pick(rng, 10) == 0 ? 0.0f : static_cast<float>(scale * uniform(rng, 5, 60));
        l.name = (pick(rng, 3) == 0 ? "&light" : "light") + std::to_string(j);
        l.moving = pick(rng, 2) == 0;
        l.on = pick(rng, 8) != 0;
    }

    std::vector<SceneObject*> walls;
    const int meshCount = 6 + pick(rng, 8);
    for (int m = 0; m < meshCount; ++m) {
        const std::string name =
            std::string(prefixes[pick(rng, std::size(prefixes))]) + "mesh" + std::to_string(m);
        SceneObject* mesh;
        if (pick(rng, 2) == 0) {
            // A wall: thin on one axis, wide on the others, sometimes very long and narrow.
            const Vec3d centre = randomPoint(rng, 15);
            Vec3d half{uniform(rng, 1, 8), uniform(rng, 1, 8), uniform(rng, 1, 8)};
            if (pick(rng, 4) == 0) half.y = uniform(rng, 0.01, 0.3);
            (pick(rng, 3) == 0 ? half.x : pick(rng, 2) == 0 ? half.y : half.z) = uniform(rng, 0, 0.2);
            mesh =
                &addBox(scene, name.c_str(), place({centre.x - half.x, centre.y - half.y, centre.z - half.z}),
                        place({centre.x + half.x, centre.y + half.y, centre.z + half.z}));
            walls.push_back(mesh);
        } else {
            const Vec3d centre = randomPoint(rng, 20);
            const double spread = uniform(rng, 0.01, 10);
            std::vector<Vec3d> vertices(1 + pick(rng, 40));
            for (Vec3d& v : vertices) {
                const Vec3d offsetInMesh = randomPoint(rng, spread);
                v = place({centre.x + offsetInMesh.x, centre.y + offsetInMesh.y, centre.z + offsetInMesh.z});
            }
            // Some vertices whose ray to a light grazes a wall's corner.
            if (!walls.empty())
                for (int k = 0; k < 6; ++k) {
                    const SceneObject& wall = *walls[pick(rng, static_cast<int>(walls.size()))];
                    const Vec3f corner = wall.shadowSection[pick(rng, 4)];
                    const Vec3d light = lights[pick(rng, static_cast<int>(lights.size()))].position;
                    const double beyond = uniform(rng, 0.1, 2);
                    const double jitter = pick(rng, 2) == 0 ? 0 : scale * uniform(rng, -1e-4, 1e-4);
                    vertices.push_back({corner.x + (corner.x - light.x) * beyond + jitter,
                                        corner.y + (corner.y - light.y) * beyond - jitter,
                                        corner.z + (corner.z - light.z) * beyond});
                }
            mesh = &addMesh(scene, name.c_str(), vertices);
        }
        // Casters that are not axis-aligned rectangles: skewed, twisted or crossed corners.
        if (pick(rng, 6) == 0) {
            Vec3f* sections[4] = {mesh->sectionZ, mesh->sectionX, mesh->sectionY, mesh->shadowSection};
            for (Vec3f* section : sections) {
                if (pick(rng, 2) == 0) std::swap(section[2], section[3]);
                const int corner = pick(rng, 4);
                section[corner].x += static_cast<float>(scale * uniform(rng, -1, 1));
                section[corner].y += static_cast<float>(scale * uniform(rng, -1e-3, 1e-3));
            }
        }
        const int keys = pick(rng, 3);
        if (keys > 0) {
            mesh->pivot = pick(rng, 2) == 0 ? Vec3d{} : place(randomPoint(rng, 5));
            mesh->position = mesh->pivot;
        }
        setPositionKeys(*mesh, static_cast<uint32_t>(keys));
        if (keys > 1) scene.hasMovingMesh = 1;
        mesh->rotation = randomPoint(rng, 180);
        for (Vec3f& c : mesh->vertexColors) c = {0.125f, 0.25f, 0.5f};
    }
    // Some lights on or right next to a wall's plane: their rays run nearly along it.
    if (!walls.empty())
        for (LightPlan& l : lights) {
            if (pick(rng, 3) != 0) continue;
            const SceneObject& wall = *walls[pick(rng, static_cast<int>(walls.size()))];
            const Vec3f* section = wall.shadowSection;
            const double nudge[] = {0, 1e-7, -1e-7, 1e-4, -1e-3, 1e-2};
            const double d = scale * nudge[pick(rng, std::size(nudge))];
            if (section[0].x == section[1].x && section[1].x == section[2].x)
                l.position.x = section[0].x + d;
            else if (section[0].y == section[1].y && section[1].y == section[2].y)
                l.position.y = section[0].y + d;
            else
                l.position.z = section[0].z + d;
        }
    for (const LightPlan& l : lights) {
        SceneLight& light = addLight(scene, l.name.c_str(), l.position, l.colour, l.range);
        light.moving = l.moving;
        light.on = l.on;
    }
}

// One frame's movement, applied alike to both copies.
void advanceFrame(Scene& scene, std::mt19937 rng) {
    for (SceneObject* o = &scene; o; o = o->next) {
        if (o->kind == KIND_LIGHT) {
            // A moving light wanders about where it was placed, at the scene's scale.
            if (o->light.moving) {
                const Vec3d step = randomPoint(rng, 10);
                const double size =
                    std::fabs(o->position.x) > 1e4 ? 1.0 : std::max(o->light.range / 30.0, 1e-3);
                o->light.lightPosition = {o->position.x + step.x * size, o->position.y + step.y * size,
                                          o->position.z + step.z * size};
            }
            if (pick(rng, 6) == 0) o->light.on = !o->light.on;
        } else if (o->kind == KIND_MESH && o->positionTrack.keyCount > 1) {
            const Vec3d step = randomPoint(rng, pick(rng, 2) == 0 ? 3 : 0.003);
            o->position = {o->position.x + step.x, o->position.y + step.y, o->position.z + step.z};
            o->rotation = randomPoint(rng, 180);
        }
    }
}

bool sameBits(const Vec3f& a, const Vec3f& b) {
    return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
           std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
           std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z);
}

void expectSameColours(Scene& fast, Scene& plain, const std::string& what) {
    const SceneObject* a = &fast;
    const SceneObject* b = &plain;
    for (; a && b; a = a->next, b = b->next) {
        ASSERT_EQ(a->baseColors.size(), b->baseColors.size());
        for (size_t v = 0; v < a->baseColors.size(); ++v) {
            ASSERT_TRUE(sameBits(a->baseColors[v], b->baseColors[v]))
                << what << " base of " << a->name << " #" << v;
            ASSERT_TRUE(sameBits(a->vertexColors[v], b->vertexColors[v]))
                << what << " colour of " << a->name << " #" << v << ": " << a->vertexColors[v].x << " vs "
                << b->vertexColors[v].x;
        }
    }
    EXPECT_EQ(listIndexOf(fast, fast.current), listIndexOf(plain, plain.current)) << what;
}

// How the library shares out its vertices: the colours must not depend on it.
struct ThreadSetting {
    int threads;
    LightingSplit split;
};
// One thread as the show runs; two threads with tiny runs and no serial floor, so that even the
// small scenes are cut into many runs taken by both threads.
const ThreadSetting THREAD_SETTINGS[] = {{1, LightingSplit{}}, {2, LightingSplit{7, 0}}};

// Sets the library's threads and runs for the life of the object.
class ScopedThreads {
  public:
    explicit ScopedThreads(const ThreadSetting& setting)
        : control(tbb::global_control::max_allowed_parallelism, static_cast<size_t>(setting.threads)),
          saved(lightingSplit) {
        lightingSplit = setting.split;
    }
    ~ScopedThreads() { lightingSplit = saved; }
    ScopedThreads(const ScopedThreads&) = delete;
    ScopedThreads& operator=(const ScopedThreads&) = delete;

  private:
    tbb::global_control control;
    LightingSplit saved;
};

TEST(LightingEquivalenceTest, FastLightingMatchesThePlainAlgorithmBitForBit) {
    const int32_t savedMode = shadowTestMode;
    const int modes[] = {3, 3, 3, 2, 1, 0, 3, -1};
    const int32_t shadowModes[] = {1, 2, 1, 2, 5};
    int shadowed[3] = {0, 0, 0};
    for (const ThreadSetting& setting : THREAD_SETTINGS) {
        ScopedThreads threads(setting);
        for (uint32_t seed = 1; seed <= 150; ++seed) {
            const SceneRecipe recipe{seed, modes[seed % std::size(modes)]};
            Scene fast, plain;
            buildScene(fast, recipe);
            buildScene(plain, recipe);
            const std::string what = "threads " + std::to_string(setting.threads) + " seed " +
                                     std::to_string(seed) + " mode " + std::to_string(recipe.lightingMode);

            shadowTestMode = 2;
            precomputeLighting(fast);
            plain::precomputeLighting(plain);
            expectSameColours(fast, plain, what + " baked");

            std::mt19937 frames(seed * 7919u);
            for (int frame = 0; frame < 4; ++frame) {
                shadowTestMode = shadowModes[(seed + frame) % std::size(shadowModes)];
                const uint32_t frameSeed = static_cast<uint32_t>(frames());
                advanceFrame(fast, std::mt19937(frameSeed));
                advanceFrame(plain, std::mt19937(frameSeed));
                computeLighting(fast);
                plain::computeLighting(plain);
                expectSameColours(fast, plain, what + " frame " + std::to_string(frame));
                if (::testing::Test::HasFatalFailure()) return;

                // Single rays with caster sets of every kind.
                std::mt19937 rays(frameSeed);
                std::vector<uint8_t> casters(fast.objectCount);
                for (int r = 0; r < 300; ++r) {
                    const int meshIndex = 1 + pick(rays, fast.objectCount - 1);
                    seekObject(fast, meshIndex);
                    if (fast.current->kind != KIND_MESH || fast.current->vertices.empty()) continue;
                    const int vertex = pick(rays, static_cast<int>(fast.current->vertices.size()));
                    const int light = pick(rays, fast.lightCount);
                    for (uint8_t& c : casters) c = static_cast<uint8_t>(pick(rays, 4) == 0 ? 0 : 1);
                    const int expected = plain::shadowTest(plain, vertex, meshIndex, light, casters.data());
                    ASSERT_EQ(shadowTest(fast, vertex, meshIndex, light, casters.data()), expected)
                        << what << " ray " << r;
                    ASSERT_EQ(fast.current, static_cast<SceneObject*>(fast.current));
                    EXPECT_EQ(listIndexOf(fast, fast.current), listIndexOf(plain, plain.current));
                    ++shadowed[expected];
                }
            }
        }
    }
    shadowTestMode = savedMode;
    // The scenes must really throw both kinds of shadow for the comparison to mean anything.
    EXPECT_GT(shadowed[SHADOW_TRANSLUCENT], 200);
    EXPECT_GT(shadowed[SHADOW_OPAQUE], 200);
    EXPECT_GT(shadowed[SHADOW_LIT], 2000);
}

// The benchmark's rooms, today's and the larger ones, baked and lit for two frames on one and
// on two threads. Half the lights are made static so that the bake has work to do too. The
// address-checking build, many times slower, stops at 30,000 vertices.
TEST(LightingEquivalenceTest, BenchmarkRoomsMatchThePlainAlgorithmOnOneAndTwoThreads) {
#if defined(__SANITIZE_ADDRESS__)
    const size_t sizes = 2;
#else
    const size_t sizes = std::size(ROOM_SIZES);
#endif
    const int32_t savedMode = shadowTestMode;
    for (size_t i = 0; i < sizes; ++i) {
        Scene fast, plain;
        buildRoom(fast, ROOM_SIZES[i]);
        buildRoom(plain, ROOM_SIZES[i]);
        for (Scene* scene : {&fast, &plain})
            for (int j = 0; j < scene->lightCount; j += 2) scene->lights[j]->tag = '&';
        const std::vector<Vec3d> placed = lightPlaces(plain);
        const std::string room = std::to_string(ROOM_SIZES[i].vertices) + " vertices";

        shadowTestMode = 2;
        plain::precomputeLighting(plain);
        for (const ThreadSetting& setting :
             {ThreadSetting{1, LightingSplit{}}, ThreadSetting{2, LightingSplit{}}}) {
            ScopedThreads threads(setting);
            precomputeLighting(fast);
            expectSameColours(fast, plain, room + " baked on " + std::to_string(setting.threads));
            if (::testing::Test::HasFatalFailure()) return;
        }

        shadowTestMode = 1;
        for (int frame = 0; frame < 2; ++frame) {
            moveLights(plain, placed, frame * 5);
            moveLights(fast, placed, frame * 5);
            plain::computeLighting(plain);
            for (const ThreadSetting& setting : THREAD_SETTINGS) {
                ScopedThreads threads(setting);
                computeLighting(fast);
                expectSameColours(fast, plain,
                                  room + " frame " + std::to_string(frame) + " on " +
                                      std::to_string(setting.threads));
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
        // Shadows of both kinds must fall, or the comparison proves little: sample rays from
        // vertices of the lit meshes to the moving lights.
        int shadowed[3] = {0, 0, 0};
        std::mt19937 rng(static_cast<uint32_t>(i));
        std::vector<uint8_t> casters(plain.objectCount, 1);
        for (int r = 0; r < 400; ++r) {
            const int meshIndex = 1 + pick(rng, ROOM_SIZES[i].litMeshes);
            seekObject(plain, meshIndex);
            const int vertex = pick(rng, static_cast<int>(plain.current->vertices.size()));
            ++shadowed[plain::shadowTest(plain, vertex, meshIndex, 1 + 2 * pick(rng, 4), casters.data())];
        }
        EXPECT_GT(shadowed[SHADOW_TRANSLUCENT], 0) << room;
        EXPECT_GT(shadowed[SHADOW_OPAQUE], 0) << room;
        EXPECT_GT(shadowed[SHADOW_LIT], 0) << room;
    }
    shadowTestMode = savedMode;
}

// Rays aimed at points just inside and just outside the edges and corners of long, narrow
// walls, where the angle sum's rounding is at its worst, from lights near and far.
TEST(LightingEquivalenceTest, NarrowWallsAndEdgeRaysMatchThePlainAlgorithm) {
    const int32_t savedMode = shadowTestMode;
    shadowTestMode = 1;
    const double widths[] = {4, 1, 0.1, 0.01, 0.001};
    const double insets[] = {-0.3, -0.01, -1e-4, -1e-6, 0, 1e-6, 1e-4, 0.01, 0.2, 0.26, 0.5};
    int rays = 0, differing = 0, hits = 0;
    for (double width : widths) {
        // A wall in the plane x = 0, 4 long in z and `width` high in y; the lit vertices stand
        // on the -x side and each ray is aimed through one target point of the wall's plane.
        std::vector<Vec3d> targets;
        for (double dy : insets)
            for (double dz : insets) {
                targets.push_back({0, dy * width, -2 + dz * width});
                targets.push_back({0, width - dy * width, 2 - std::fabs(dz) * 4});
            }
        std::mt19937 rng(static_cast<uint32_t>(width * 1e6));
        std::vector<Vec3d> vertices;
        for (const Vec3d& t : targets)
            vertices.push_back(
                {t.x - uniform(rng, 0.5, 30), t.y + uniform(rng, -5, 5), t.z + uniform(rng, -5, 5)});
        Scene fast, plain;
        for (Scene* scene : {&fast, &plain}) {
            startScene(*scene);
            scene->lightingMode = 3;
            scene->shadowFactor = 0.25f;
            scene->hasMovingMesh = 1;
            addBox(*scene, "wall", {-0.001, 0, -2}, {0.001, width, 2});
            addMesh(*scene, "floor", vertices);
            addLight(*scene, "lamp", {20, 1, 0.5}, {1, 1, 1}, 1e6);
        }
        const uint8_t casters[4] = {0, 1, 0, 0}; // the wall alone
        for (size_t v = 0; v < targets.size(); ++v) {
            const Vec3d& t = targets[v];
            const Vec3d& w = vertices[v];
            const double far = uniform(rng, 0.2, 50);
            const Vec3d light{t.x + (t.x - w.x) * far, t.y + (t.y - w.y) * far, t.z + (t.z - w.z) * far};
            fast.lights[0]->lightPosition = light;
            plain.lights[0]->lightPosition = light;
            const int expected = plain::shadowTest(plain, static_cast<int>(v), 2, 0, casters);
            ++rays;
            hits += expected != SHADOW_LIT;
            if (shadowTest(fast, static_cast<int>(v), 2, 0, casters) != expected) ++differing;
            computeLighting(fast);
            plain::computeLighting(plain);
            const SceneObject& a = *fast.next->next;
            const SceneObject& b = *plain.next->next;
            for (size_t u = 0; u < a.vertexColors.size(); ++u)
                if (!sameBits(a.vertexColors[u], b.vertexColors[u])) ++differing;
        }
    }
    shadowTestMode = savedMode;
    EXPECT_EQ(differing, 0) << "of " << rays << " rays";
    EXPECT_GT(hits, rays / 4);
    EXPECT_LT(hits, rays);
}

} // namespace
} // namespace pelx
