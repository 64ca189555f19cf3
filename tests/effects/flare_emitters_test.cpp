// Flare carriers without a display: which objects get a system, the kind from the name, the
// table's limit, where each kind emits, and the light tint's colour.
#include "effects/flare_emitters.h"
#include "effects/flare_scene.h"
#include "platform/random.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace pelx {
namespace {

class FlareEmittersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRandom();
        test::addObject(scene, "", KIND_NONE);
    }
    void TearDown() override { tintFlaresByLights = 0; }

    // One frame's feeding of emitter index at time ms.
    void feedAt(int index, uint32_t ms) {
        clock.clock.set(ms);
        feedFlareEmitter(scene, index);
    }

    RecordingTextureBackend textures;
    ScopedTextureBackend installed{&textures};
    test::TestClock clock{1000};
    Scene scene;
};

TEST_F(FlareEmittersTest, OnlyMeshesNamedWithAStarCarryFlares) {
    test::setMaterial(scene, 0, "data/flame.jpg");
    test::setMaterial(scene, 1, "data/glow.jpg");
    SceneObject& lamp = test::addObject(scene, "*0lamp", KIND_MESH);
    test::addObject(scene, "*1cam", KIND_CAMERA);
    test::addObject(scene, "*2light", KIND_LIGHT);
    test::addObject(scene, "lamp*", KIND_MESH);
    SceneObject& glow = test::addObject(scene, "*3glow", KIND_MESH);
    glow.materialIndex = 1;
    test::addObject(scene, "%*1", KIND_MESH);

    buildFlareEmitters(scene, 100, 5.0f, 5, 5.0f, 30.0f);

    ASSERT_EQ(scene.emitterCount, 2);
    EXPECT_EQ(scene.emitterObjects[0], &lamp);
    EXPECT_EQ(scene.emitterObjects[1], &glow);
    // Each system's sprite is its carrier's material picture.
    ASSERT_EQ(textures.entries().size(), 2u);
    EXPECT_EQ(textures.entries()[0].path, "data/flame.jpg");
    EXPECT_EQ(textures.entries()[1].path, "data/glow.jpg");
    EXPECT_EQ(scene.emitters[1]->texture, textures.entries()[1].id);
    const ParticleSystem& s = *scene.emitters[1];
    EXPECT_EQ(s.capacity, 100);
    EXPECT_EQ(s.lifetime, 5.0f);
    EXPECT_EQ(s.rate, 5);
    EXPECT_EQ(s.size, 5.0f);
    EXPECT_EQ(s.rise, 30.0f);
    EXPECT_EQ(scene.current, &scene);
}

TEST_F(FlareEmittersTest, MaterialIndexOutsideTheTableGivesNoTexture) {
    test::setMaterial(scene, 0, "data/flame.jpg");
    // Entry 1 lies inside the table but holds no material: its empty name is not loaded.
    for (int32_t index : {-1, 1, MAX_MATERIALS, 1000})
        test::addObject(scene, "*1", KIND_MESH).materialIndex = index;
    buildFlareEmitters(scene, 50, 1.0f, 10, 15.0f, 50.0f);
    ASSERT_EQ(scene.emitterCount, 4);
    EXPECT_TRUE(textures.entries().empty());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(scene.emitters[i]->texture, 0u);
}

TEST_F(FlareEmittersTest, KindComesFromTheSecondCharacter) {
    struct Case {
        const char* name;
        int kind;
    };
    const Case cases[] = {{"*0", 0}, {"*1torch", 1}, {"*2", 2}, {"*3disco", 3},
                          {"*4", 0}, {"*x1", 0},     {"*", 0},  {"*$3", 0}};
    for (const Case& c : cases) test::addObject(scene, c.name, KIND_MESH);
    buildFlareEmitters(scene, 50, 1.0f, 10, 15.0f, 50.0f);
    ASSERT_EQ(scene.emitterCount, int(std::size(cases)));
    for (int i = 0; i < scene.emitterCount; ++i)
        EXPECT_EQ(scene.emitters[i]->kind, cases[i].kind) << cases[i].name;
}

TEST_F(FlareEmittersTest, TableStopsAtSixtyCarriers) {
    test::setMaterial(scene, 0, "data/flame.jpg"); // every carrier loads its sprite from it
    std::vector<SceneObject*> carriers;
    for (int i = 0; i < 61; ++i)
        carriers.push_back(&test::addObject(scene, ("*0f" + std::to_string(i)).c_str(), KIND_MESH));
    buildFlareEmitters(scene, 50, 1.0f, 10, 15.0f, 50.0f);
    EXPECT_EQ(scene.emitterCount, 60);
    EXPECT_EQ(scene.emitterObjects[59], carriers[59]);
    EXPECT_EQ(textures.entries().size(), 60u); // no system was built for the 61st
}

TEST_F(FlareEmittersTest, FlaresStayWhereTheyWereBornWhileTheCarrierMoves) {
    test::addCamera(scene, Vec3d{5, 6, 7}, Vec3d{10, 20, 30});
    for (const char* name : {"*0", "*1", "*2"}) test::addObject(scene, name, KIND_MESH);
    buildFlareEmitters(scene, 50, 4.0f, 5, 1.5f, 50.0f);
    for (int e = 0; e < 3; ++e) {
        SCOPED_TRACE(e);
        SceneObject& carrier = *scene.emitterObjects[e];
        carrier.position = Vec3d{1, 2, 3};
        feedAt(e, 1000); // the first update only starts the rate clock
        EXPECT_EQ(scene.emitters[e]->count, 0);
        carrier.position = Vec3d{10, 0, -4};
        feedAt(e, 1300);
        carrier.position = Vec3d{20, 0, -8};
        feedAt(e, 1600);
        const ParticleSystem& s = *scene.emitters[e];
        ASSERT_EQ(s.count, 2);
        EXPECT_EQ(s.particles[0].position, (Vec3d{10, 0, -4}));
        EXPECT_EQ(s.particles[1].position, (Vec3d{20, 0, -8}));
        EXPECT_EQ(s.cameraPosition, (Vec3d{5, 6, 7}));
        EXPECT_EQ(s.cameraRotation, (Vec3d{10, 20, 30}));
    }
}

TEST_F(FlareEmittersTest, KindThreeTakesEachCoordinateFromItsOwnRandomVertex) {
    SceneObject& carrier = test::addObject(scene, "*3", KIND_MESH, Vec3d{-1, -1, -1});
    // Vertex i is (i, 100 + i, 200 + i), so every coordinate tells which vertex it came from.
    for (int i = 0; i < 7; ++i) carrier.vertices.push_back(Vec3d{double(i), 100.0 + i, 200.0 + i});
    carrier.vertexCount = 7;
    buildFlareEmitters(scene, 50, 10.0f, 10, 1.0f, 1.0f);

    resetRandom();
    for (int frame = 0; frame < 5; ++frame) feedAt(0, 1000 + 200 * frame);

    // Three draws per frame, x then y then z; the first frame's point is not used.
    resetRandom();
    std::vector<int> draws;
    for (int i = 0; i < 15; ++i) draws.push_back(nextRandom() % 7);
    const ParticleSystem& s = *scene.emitters[0];
    ASSERT_EQ(s.count, 4);
    bool someCoordinatesDiffer = false;
    for (int p = 0; p < 4; ++p) {
        const int x = draws[3 * (p + 1)], y = draws[3 * (p + 1) + 1], z = draws[3 * (p + 1) + 2];
        EXPECT_EQ(s.particles[p].position, (Vec3d{double(x), 100.0 + y, 200.0 + z})) << "particle " << p;
        someCoordinatesDiffer = someCoordinatesDiffer || x != y || y != z;
    }
    EXPECT_TRUE(someCoordinatesDiffer); // the draws would not tell x, y, z apart otherwise
}

TEST_F(FlareEmittersTest, KindThreeWithoutVerticesEmitsAtItsPosition) {
    test::addObject(scene, "*3empty", KIND_MESH, Vec3d{4, 5, 6});
    buildFlareEmitters(scene, 50, 10.0f, 10, 1.0f, 1.0f);
    feedAt(0, 1000);
    feedAt(0, 1500);
    ASSERT_EQ(scene.emitters[0]->count, 1);
    EXPECT_EQ(scene.emitters[0]->particles[0].position, (Vec3d{4, 5, 6}));
    EXPECT_EQ(nextRandom(), 41); // nothing was drawn from the shared sequence
}

// Partial weights by worked numbers; the full colour, clamping and switched-off lights are
// checked on screen.
TEST_F(FlareEmittersTest, ColourFadesOrComesFromTheLightsInRange) {
    const Vec3d flare{10, 0, 0};
    struct Case {
        const char* name;
        uint8_t tint;
        std::vector<test::LightEntry> lights;
        float fade;
        Vec3f expected;
    };
    const Vec3f amber{0.8f, 0.5f, 0.2f};
    const Case cases[] = {
        {"untinted fades to grey", 0, {{flare, amber, 50, 1}}, 0.25f, {0.25f, 0.25f, 0.25f}},
        {"halfway to the range's edge: half", 1, {{{10, 0, 25}, amber, 50, 1}}, 1.0f, {0.4f, 0.25f, 0.1f}},
        {"3-4-5 away with range 10", 1, {{{13, 4, 0}, {1, 1, 1}, 10, 1}}, 1.0f, {0.5f, 0.5f, 0.5f}},
        {"just beyond the range: black", 1, {{{10, 0, 10.5}, amber, 10, 1}}, 1.0f, {0, 0, 0}},
        {"range 0: nothing, not NaN", 1, {{flare, amber, 0, 1}}, 1.0f, {0, 0, 0}},
        {"no lights: black", 1, {}, 1.0f, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene lit;
        test::addObject(lit, "", KIND_NONE);
        test::addLights(lit, c.lights);
        tintFlaresByLights = c.tint;
        const Vec3f color = flareColor(lit, flare, c.fade);
        EXPECT_NEAR(color.x, c.expected.x, 1e-6);
        EXPECT_NEAR(color.y, c.expected.y, 1e-6);
        EXPECT_NEAR(color.z, c.expected.z, 1e-6);
    }
}

} // namespace
} // namespace pelx
