// Room scenes: the random draws come in one fixed order, so the 10,000-vertex room is the same
// scene the lighting benchmark has always timed.
#include "lighting_rooms.h"

#include "lighting/lighting.h"
#include "scene_builder.h"

#include <cmath>
#include <random>
#include <string>

namespace pelx::testing {

namespace {

constexpr int ROOM_LIGHTS = 8;
constexpr float LIGHT_RANGE = 35;
constexpr int TODAYS_CASTERS = 30;

double uniform(std::mt19937& rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}

} // namespace

void buildRoom(Scene& scene, const RoomSize& size) {
    std::mt19937 rng(2024);
    startScene(scene);
    scene.lightingMode = LIGHTING_SHADOWS;
    scene.shadowFactor = 0.1f;
    scene.translucentShadowFactor = 0.4f;
    // Today's room is 100 x 20 x 100; a larger one keeps as many casters per floor area.
    const double k = std::sqrt(static_cast<double>(size.litMeshes + size.walls) / TODAYS_CASTERS);
    for (int m = 0; m < size.litMeshes; ++m) {
        const Vec3d centre{uniform(rng, -45 * k, 45 * k), uniform(rng, 0, 15), uniform(rng, -45 * k, 45 * k)};
        const Vec3d half{uniform(rng, 1, 5), uniform(rng, 1, 5), uniform(rng, 1, 5)};
        const int count = size.vertices / size.litMeshes + (m < size.vertices % size.litMeshes ? 1 : 0);
        std::vector<Vec3d> vertices(count);
        for (Vec3d& v : vertices)
            v = {centre.x + uniform(rng, -half.x, half.x), centre.y + uniform(rng, -half.y, half.y),
                 centre.z + uniform(rng, -half.z, half.z)};
        const std::string name = (m % 4 == 3 ? "%glass" : "mesh") + std::to_string(m);
        SceneObject& mesh = addMesh(scene, name.c_str(), vertices);
        if (m % 5 == 0) {
            setPositionKeys(mesh, 2);
            scene.hasMovingMesh = 1;
        }
    }
    for (int w = 0; w < size.walls; ++w) {
        const Vec3d centre{uniform(rng, -40 * k, 40 * k), 10, uniform(rng, -40 * k, 40 * k)};
        const bool alongX = w % 2 == 0;
        const Vec3d half{alongX ? 8.0 : 0.2, 10, alongX ? 0.2 : 8.0};
        addBox(scene, ("$wall" + std::to_string(w)).c_str(),
               {centre.x - half.x, centre.y - half.y, centre.z - half.z},
               {centre.x + half.x, centre.y + half.y, centre.z + half.z});
    }
    for (int l = 0; l < ROOM_LIGHTS; ++l) {
        const Vec3d position{uniform(rng, -40 * k, 40 * k), uniform(rng, 5, 18),
                             uniform(rng, -40 * k, 40 * k)};
        SceneLight& light = addLight(scene, ("lamp" + std::to_string(l)).c_str(), position,
                                     {static_cast<float>(uniform(rng, 0.3, 1)), 0.6f, 0.5f}, LIGHT_RANGE);
        light.moving = 1;
    }
    // As the loader does: three rectangles per caster for the bake, one for the frames.
    shadowTestMode = 2;
    precomputeLighting(scene);
    shadowTestMode = 1;
}

std::vector<Vec3d> lightPlaces(const Scene& scene) {
    std::vector<Vec3d> places;
    for (int j = 0; j < scene.lightCount; ++j) places.push_back(scene.lights[j]->lightPosition);
    return places;
}

void moveLights(Scene& scene, const std::vector<Vec3d>& placed, int frame) {
    for (int j = 0; j < scene.lightCount; ++j) {
        const double a = 0.4 * (frame % 16) + j;
        scene.lights[j]->lightPosition = {placed[j].x + std::cos(a), placed[j].y, placed[j].z + std::sin(a)};
    }
}

} // namespace pelx::testing
