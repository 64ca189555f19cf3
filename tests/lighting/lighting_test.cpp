// The lighting rules on hand-built scenes: fall-off and its edge, clamping, static and switched
// lights, the applied-light rule, shadow casters by prefix and list order, moving casters, the
// shadow test modes and where the list cursor is left.
#include "lighting/lighting.h"

#include "scene_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace pelx {
namespace {

using namespace pelx::testing; // the hand-built scenes

class LightingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedMode = shadowTestMode;
        shadowTestMode = 1;
    }
    void TearDown() override { shadowTestMode = savedMode; }

    // A scene in the given lighting mode with the asset set's shadow factors.
    static void prepare(Scene& scene, int mode) {
        startScene(scene);
        scene.lightingMode = mode;
        scene.shadowFactor = 0.1f;
        scene.translucentShadowFactor = 0.4f;
    }

    int32_t savedMode = 1;
};

void expectColour(const Vec3f& actual, const Vec3f& expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-6) << what;
}

// Frame lighting of one vertex by one moving light at the origin (range 10), nothing baked.
TEST_F(LightingTest, FallOffReachesNothingAtTheRange) {
    struct Case {
        int mode;
        Vec3d vertex;
        float expectedRed; // the light is (1, 0.5, 0.25)
    } cases[] = {
        {2, {0, 0, 0}, 1.0f},
        {2, {5, 0, 0}, 0.5f},
        {2, {0, -2.5, 0}, 0.75f},
        {2, {0, 0, 9}, 0.1f},
        {2, {10, 0, 0}, 0}, // exactly at the range
        {2, {6, 8, 0}, 0},  // exactly at the range, diagonally
        {2, {7, 7, 0}, 0.01005050634f},
        {2, {10, 10, 0}, 0}, // inside the cube, beyond the range
        {2, {10.5, 0, 0}, 0},
        {3, {3, 4, 0}, 0.5f},
        {3, {0, 0, 0}, 1.0f},
        {1, {3, 4, 0}, 0.3f}, // Manhattan distance 7
        {1, {2, 0, 0}, 0.8f},
        {1, {6, 8, 0}, 0},   // Manhattan 14
        {1, {-5, -5, 0}, 0}, // Manhattan exactly 10
        {1, {-2, 3, -4}, 0.1f},
    };
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, c.mode);
        SceneObject& mesh = addMesh(scene, "floor", {c.vertex});
        SceneLight& light = addLight(scene, "lamp", {0, 0, 0}, {1, 0.5f, 0.25f}, 10);
        light.moving = 1;
        precomputeLighting(scene);
        expectColour(mesh.baseColors[0], {0, 0, 0}, "no static light");
        computeLighting(scene);
        const std::string what = "mode " + std::to_string(c.mode) + " vertex " + std::to_string(c.vertex.x) +
                                 "," + std::to_string(c.vertex.y) + "," + std::to_string(c.vertex.z);
        expectColour(mesh.vertexColors[0], {c.expectedRed, c.expectedRed / 2, c.expectedRed / 4}, what);
    }
}

// Static lights are always measured straight, from where the vertex is stored.
TEST_F(LightingTest, BakedLightsUseStraightDistanceFromStoredVertices) {
    struct Case {
        int mode;
        Vec3d meshPosition;
        float expected;
    } cases[] = {
        {1, {0, 0, 0}, 0.5f}, // Euclidean 5 even where frames use Manhattan 7
        {2, {0, 0, 0}, 0.5f},
        {3, {0, 0, 0}, 0.5f},
        {2, {100, 0, 0}, 0.5f}, // the mesh's place is not the vertex's
    };
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, c.mode);
        SceneObject& mesh = addMesh(scene, "floor", {{3, 4, 0}});
        mesh.position = c.meshPosition;
        addLight(scene, "&sun", {0, 0, 0}, {1, 1, 1}, 10);
        precomputeLighting(scene);
        expectColour(mesh.baseColors[0], {c.expected, c.expected, c.expected},
                     "mode " + std::to_string(c.mode));
    }
}

TEST_F(LightingTest, LightWithoutRangeAddsNothing) {
    for (const char* name : {"&static", "lamp"}) {
        Scene scene;
        prepare(scene, 3);
        SceneObject& mesh = addMesh(scene, "floor", {{1, 2, 3}, {1, 2, 4}});
        SceneLight& light = addLight(scene, name, {1, 2, 3}, {1, 1, 1}, 0);
        light.moving = 1;
        addLight(scene, "&dim", {1, 2, 3}, {0.25f, 0.25f, 0.25f}, 100);
        precomputeLighting(scene);
        computeLighting(scene);
        for (int v = 0; v < 2; ++v) {
            EXPECT_TRUE(std::isfinite(mesh.vertexColors[v].x)) << name;
            EXPECT_TRUE(std::isfinite(mesh.baseColors[v].x)) << name;
        }
        // Only the dim static light reaches the vertex sitting on both lights.
        expectColour(mesh.baseColors[0], {0.25f, 0.25f, 0.25f}, name);
        expectColour(mesh.vertexColors[0], {0.25f, 0.25f, 0.25f}, name);
    }
}

TEST_F(LightingTest, ColoursClampAtOneAfterEachLight) {
    struct Case {
        const char* what;
        Vec3f staticA, staticB; // "&" lights, baked
        Vec3f first, second;    // moving lights
        Vec3f expected;
    } cases[] = {
        {"two reds of 0.7", {0, 0, 0}, {0, 0, 0}, {0.7f, 0, 0}, {0.7f, 0.2f, 0}, {1.0f, 0.2f, 0}},
        {"baked half and 0.7", {0.5f, 0.5f, 0.5f}, {0, 0, 0}, {0.7f, 0.2f, 0}, {0, 0, 0}, {1.0f, 0.7f, 0.5f}},
        {"below one stays", {0.1f, 0, 0}, {0, 0, 0}, {0.3f, 0, 0}, {0.3f, 0.9f, 0}, {0.7f, 0.9f, 0}},
        {"baked reds clamp too", {0.7f, 0, 0}, {0.7f, 0, 0}, {0, 0, 0}, {0, 0, 0}, {1.0f, 0, 0}},
    };
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, 2);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
        addLight(scene, "&a", {0, 0, 0}, c.staticA, 10);
        addLight(scene, "&b", {0, 0, 0}, c.staticB, 10);
        addLight(scene, "one", {0, 0, 0}, c.first, 10).moving = 1;
        addLight(scene, "two", {0, 0, 0}, c.second, 10).moving = 1;
        precomputeLighting(scene);
        EXPECT_LE(mesh.baseColors[0].x, 1.0f) << c.what;
        computeLighting(scene);
        EXPECT_LE(mesh.vertexColors[0].x, 1.0f) << c.what;
        expectColour(mesh.vertexColors[0], c.expected, c.what);
    }
}

TEST_F(LightingTest, SwitchedOffLightsStillCountWhenBaked) {
    Scene scene;
    prepare(scene, 2);
    SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
    addLight(scene, "&off", {0, 0, 0}, {0.3f, 0.2f, 0.1f}, 10).on = 0;
    addLight(scene, "lampOff", {0, 0, 0}, {0.5f, 0.5f, 0.5f}, 10).moving = 1;
    scene.lights[1]->on = 0;
    precomputeLighting(scene);
    expectColour(mesh.baseColors[0], {0.3f, 0.2f, 0.1f}, "baked though off");
    computeLighting(scene);
    // The static light is not added a second time; the ordinary one is off.
    expectColour(mesh.vertexColors[0], {0.3f, 0.2f, 0.1f}, "frame");
    scene.lights[1]->on = 1;
    computeLighting(scene);
    expectColour(mesh.vertexColors[0], {0.8f, 0.7f, 0.6f}, "switched on");
}

TEST_F(LightingTest, AppliedLightRule) {
    struct Case {
        const char* what;
        int mode;
        bool sceneHasMovingMesh, lightMoves;
        uint32_t meshKeys;
        const char* lightName;
        bool on;
        bool applied;
    } cases[] = {
        {"shadow mode, something moves", 3, true, false, 0, "lamp", true, true},
        {"shadow mode, nothing moves", 3, false, false, 0, "lamp", true, false},
        {"no shadows, another mesh moves", 2, true, false, 0, "lamp", true, false},
        {"moving light", 2, false, true, 0, "lamp", true, true},
        {"moving light, Manhattan", 1, false, true, 0, "lamp", true, true},
        {"mesh with two keys", 2, false, false, 2, "lamp", true, true},
        {"mesh with one key", 2, false, false, 1, "lamp", true, false},
        {"moving static light", 3, true, true, 2, "&lamp", true, false},
        {"moving light switched off", 3, true, true, 2, "lamp", false, false},
    };
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, c.mode);
        scene.hasMovingMesh = c.sceneHasMovingMesh;
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
        setPositionKeys(mesh, c.meshKeys);
        SceneLight& light = addLight(scene, c.lightName, {0, 0, 0}, {0.5f, 0.5f, 0.5f}, 10);
        light.moving = c.lightMoves;
        light.on = c.on;
        mesh.baseColors[0] = {0, 0, 0};
        computeLighting(scene);
        const float expected = c.applied ? 0.5f : 0.0f;
        expectColour(mesh.vertexColors[0], {expected, expected, expected}, c.what);
    }
}

TEST_F(LightingTest, UnlitScenesKeepWhiteBaseAndCopyNothing) {
    struct Case {
        const char* what;
        int mode;
        bool withLight;
        bool framesWritten;
    } cases[] = {
        {"no lights", 3, false, false},
        {"mode 0", 0, true, false},
        {"negative mode", -1, true, false},
        {"mode 2 with a light", 2, true, true},
    };
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, c.mode);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}, {50, 0, 0}});
        if (c.withLight) addLight(scene, "lamp", {0, 0, 0}, {0.5f, 0.5f, 0.5f}, 10).moving = 1;
        mesh.baseColors.assign(2, Vec3f{0.3f, 0.3f, 0.3f});
        mesh.vertexColors.assign(2, Vec3f{0.25f, 0.5f, 0.75f});
        precomputeLighting(scene);
        computeLighting(scene);
        if (c.framesWritten) {
            expectColour(mesh.baseColors[1], {0, 0, 0}, c.what);
            expectColour(mesh.vertexColors[0], {0.5f, 0.5f, 0.5f}, c.what);
            expectColour(mesh.vertexColors[1], {0, 0, 0}, c.what);
        } else {
            for (int v = 0; v < 2; ++v) {
                expectColour(mesh.baseColors[v], {1, 1, 1}, c.what);
                expectColour(mesh.vertexColors[v], {0.25f, 0.5f, 0.75f}, c.what);
            }
        }
    }
}

TEST_F(LightingTest, DollarMeshesAreNotLitPerFrame) {
    struct Case {
        const char* name;
        bool lit;
    } cases[] = {{"$sky", false}, {"s$ky", false}, {"$", false}, {"sk$y", true}, {"sky", true}, {"", true}};
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, 2);
        SceneObject& mesh = addMesh(scene, c.name, {{0, 0, 0}});
        addLight(scene, "lamp", {0, 0, 0}, {0.5f, 0.5f, 0.5f}, 10).moving = 1;
        precomputeLighting(scene);
        mesh.vertexColors[0] = {0.25f, 0.25f, 0.25f};
        computeLighting(scene);
        const float expected = c.lit ? 0.5f : 0.25f;
        expectColour(mesh.vertexColors[0], {expected, expected, expected},
                     std::string("name '") + c.name + "'");
    }
}

// A vertex at the origin lit by a moving light at (10, 0, 0), range 20 (att 0.5); walls across
// the ray at x = 3 and x = 6 in the order given. Shadow factors 0.1 (opaque), 0.4 ("%").
TEST_F(LightingTest, FirstBlockingCasterInListOrderDecides) {
    struct Case {
        const char* what;
        const char* first;  // wall at x = 3, or null for none
        const char* second; // wall at x = 6, or null
        bool secondListedFirst;
        float expected;
    } cases[] = {
        {"nothing in the way", nullptr, nullptr, false, 0.5f},
        {"opaque wall", "wall", nullptr, false, 0.05f},
        {"translucent wall", "%glass", nullptr, false, 0.2f},
        {"glass listed before the wall", "%glass", "wall", false, 0.2f},
        {"wall listed before the glass", "%glass", "wall", true, 0.05f},
        {"% only counts first", "x%glass", nullptr, false, 0.05f},
        {"two glasses", "%a", "%b", true, 0.2f},
    };
    for (const Case& c : cases) {
        shadowTestMode = 1;
        Scene scene;
        prepare(scene, 3);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
        auto addFirst = [&] {
            if (c.first) addBox(scene, c.first, {2.9, -1, -1}, {3.1, 1, 1});
        };
        auto addSecond = [&] {
            if (c.second) addBox(scene, c.second, {5.9, -1, -1}, {6.1, 1, 1});
        };
        if (c.secondListedFirst) {
            addSecond();
            addFirst();
        } else {
            addFirst();
            addSecond();
        }
        addLight(scene, "lamp", {10, 0, 0}, {1, 1, 1}, 20).moving = 1;
        precomputeLighting(scene);
        computeLighting(scene);
        expectColour(mesh.vertexColors[0], {c.expected, c.expected, c.expected}, c.what);
    }
}

// The same wall casts the baked shadow of a static light but, when its name carries "!", not
// the per-frame shadow of a moving one. Static light red, moving light green.
TEST_F(LightingTest, BangCastersOnlyShadowStaticLights) {
    struct Case {
        const char* wallName;
        bool castsPerFrame;
    } cases[] = {{"wall", true}, {"!wall", false}, {"w!all", false}, {"wa!ll", true}};
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, 3);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
        addBox(scene, c.wallName, {5.9, -1, -1}, {6.1, 1, 1});
        addLight(scene, "&sun", {10, 0, 0}, {0.4f, 0, 0}, 20);
        addLight(scene, "lamp", {10, 0, 0}, {0, 0.4f, 0}, 20).moving = 1;
        shadowTestMode = 2; // as while loading
        precomputeLighting(scene);
        shadowTestMode = 1;
        computeLighting(scene);
        const float frameGreen = c.castsPerFrame ? 0.02f : 0.2f;
        expectColour(mesh.vertexColors[0], {0.02f, frameGreen, 0}, c.wallName);
    }
}

// Shadows of a moving wall go with its translation (position - pivot); its rotation is ignored.
TEST_F(LightingTest, MovingCasterShadowsFollowTranslationOnly) {
    struct Case {
        const char* what;
        double wallY; // the wall's stored height (centre)
        Vec3d pivot, position, rotation;
        Vec3d litMeshPosition; // the lit vertex is stored at (0, 5, 0)
        bool shadowed;
    } cases[] = {
        {"in place, turned 90 degrees", 0, {0, 0, 0}, {0, 0, 0}, {0, 90, 0}, {0, -5, 0}, true},
        {"moved up out of the ray", 0, {0, 0, 0}, {0, 5, 0}, {0, 0, 0}, {0, -5, 0}, false},
        {"stored high, moved down into the ray", 20, {0, 0, 0}, {0, -20, 0}, {0, 0, 0}, {0, -5, 0}, true},
        {"stored high, pivot high, in place", 20, {0, 20, 0}, {0, 20, 0}, {45, 0, 0}, {0, -5, 0}, false},
        {"stored high, pivot high, set at 0", 20, {0, 20, 0}, {0, 0, 0}, {0, 0, 0}, {0, -5, 0}, true},
        {"lit mesh moved above the wall", 0, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        shadowTestMode = 1;
        Scene scene;
        prepare(scene, 3);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 5, 0}});
        mesh.position = c.litMeshPosition;
        setPositionKeys(mesh, 2);
        SceneObject& wall = addBox(scene, "wall", {5.9, c.wallY - 1, -1}, {6.1, c.wallY + 1, 1});
        wall.pivot = c.pivot;
        wall.position = c.position;
        wall.rotation = c.rotation;
        setPositionKeys(wall, 2);
        scene.hasMovingMesh = 1;
        SceneLight& light = addLight(scene, "lamp", {10, 0, 0}, {1, 1, 1}, 20);
        // The light stands level with the lit vertex's world position.
        light.lightPosition.y = mesh.position.y + 5;
        precomputeLighting(scene);
        computeLighting(scene);
        const float expected = c.shadowed ? 0.05f : 0.5f;
        expectColour(mesh.vertexColors[0], {expected, expected, expected}, c.what);
    }
}

// A plate above the vertex: only its horizontal section (tested in mode 2) is in the way.
TEST_F(LightingTest, ShadowTestModeChoosesTheRectangles) {
    struct Case {
        int32_t mode;
        int expected;
    } cases[] = {{1, SHADOW_LIT}, {2, SHADOW_OPAQUE}, {0, SHADOW_LIT},
                 {3, SHADOW_LIT}, {5, SHADOW_LIT},    {-1, SHADOW_LIT}};
    for (const Case& c : cases) {
        Scene scene;
        prepare(scene, 3);
        SceneObject& mesh = addMesh(scene, "floor", {{0, 0, 0}});
        addBox(scene, "plate", {-1, 4.9, -1}, {1, 5.1, 1});
        addLight(scene, "lamp", {0, 10, 0}, {1, 1, 1}, 20).moving = 1;
        shadowTestMode = c.mode;
        const uint8_t casters[4] = {1, 1, 1, 1};
        EXPECT_EQ(shadowTest(scene, 0, 1, 0, casters), c.expected) << "shadowTestMode " << c.mode;
        precomputeLighting(scene);
        computeLighting(scene);
        const float expected = c.expected == SHADOW_OPAQUE ? 0.05f : 0.5f;
        expectColour(mesh.vertexColors[0], {expected, expected, expected}, "mode " + std::to_string(c.mode));
    }
}

TEST_F(LightingTest, ShadowTestHonoursTheCasterSet) {
    shadowTestMode = 1;
    Scene scene;
    prepare(scene, 3);
    // A box lit at one corner: its own mid-section stands between that corner and the light.
    SceneObject& box = addBox(scene, "box", {-1, -1, -1}, {1, 1, 1});
    addBox(scene, "%glass", {2.9, -2, -2}, {3.1, 2, 2});
    addLight(scene, "lamp", {10, 0, 0}, {1, 1, 1}, 20);
    const int boxIndex = listIndexOf(scene, &box);
    ASSERT_EQ(boxIndex, 1);
    struct Case {
        uint8_t casters[4];
        int expected;
    } cases[] = {
        {{1, 1, 1, 1}, SHADOW_OPAQUE},      // the lit mesh itself comes first
        {{1, 0, 1, 1}, SHADOW_TRANSLUCENT}, // without it, the glass
        {{1, 0, 0, 1}, SHADOW_LIT},         {{0, 1, 0, 0}, SHADOW_OPAQUE},
        {{1, 2, 2, 1}, SHADOW_LIT}, // only 1 means "may cast"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shadowTest(scene, 0, boxIndex, 0, c.casters), c.expected)
            << int(c.casters[1]) << int(c.casters[2]);
        EXPECT_EQ(scene.current, &box);
    }
}

TEST_F(LightingTest, CursorIsLeftWhereEachPassSaysItIs) {
    shadowTestMode = 1;
    for (int mode : {0, 2, 3}) {
        Scene scene;
        prepare(scene, mode);
        scene.hasMovingMesh = 1;
        SceneObject& first = addMesh(scene, "floor", {{0, 0, 0}, {1, 0, 0}});
        addBox(scene, "wall", {5.9, -1, -1}, {6.1, 1, 1});
        addLight(scene, "lamp", {10, 0, 0}, {1, 1, 1}, 20).moving = 1;
        SceneObject& last = addMesh(scene, "ceiling", {{0, 8, 0}});
        seekObject(scene, 2);
        precomputeLighting(scene);
        EXPECT_EQ(scene.current, static_cast<SceneObject*>(&scene)) << mode;
        computeLighting(scene);
        EXPECT_EQ(scene.current, &last) << mode;
        const uint8_t casters[5] = {1, 1, 1, 1, 1};
        shadowTest(scene, 1, 1, 0, casters);
        EXPECT_EQ(scene.current, &first) << mode;
    }
    Scene empty;
    computeLighting(empty);
    precomputeLighting(empty);
    EXPECT_EQ(empty.current, static_cast<SceneObject*>(&empty));
}

} // namespace
} // namespace pelx
