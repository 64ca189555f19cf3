// Loading whole scenes: the main chunk, frame-0 positions, the camera table and frame count,
// the light flags, the baked static lighting and the global flags, from memory and files;
// and damaged files, which load what they hold without reading outside it.
#include "scene3ds/scene_loader.h"

#include "lighting/lighting.h"
#include "scene3ds/chunk_handlers.h"
#include "scene_bytes.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;
using test::FileKey;

TEST(SceneLoader, DataThatDoesNotStartWithAMainChunkIsRefused) {
    const std::vector<uint8_t> valid = test::fileOf({test::editorOf({test::triangleObject("box")})});
    std::vector<uint8_t> editorFirst = test::editorOf({test::triangleObject("box")}).bytes();
    std::vector<uint8_t> swapped = valid;
    std::swap(swapped[0], swapped[1]); // 4D 4D is symmetric, so break one byte instead
    swapped[0] = 0x4C;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {{"nothing", {}},
                          {"only the id", {0x4D, 0x4D}},
                          {"editor block first", editorFirst},
                          {"other id", swapped}};
    for (const Case& c : cases) {
        Scene scene;
        EXPECT_FALSE(test::loadBytes(scene, c.bytes)) << c.what;
        EXPECT_EQ(scene.objectCount, 0) << c.what;
        EXPECT_EQ(scene.lightCount, 0) << c.what;
        EXPECT_EQ(scene.materialCount, 0) << c.what;
        EXPECT_EQ(scene.lightingMode, 3) << c.what;
        EXPECT_EQ(scene.file, nullptr) << c.what;
    }
    Scene scene;
    EXPECT_FALSE(loadScene(scene, "/nonexistent/folder/scene.3ds", 3));
    EXPECT_TRUE(test::loadBytes(scene, valid));
}

TEST(SceneLoader, FilesLoadLikeTheSameBytesInMemory) {
    test::ScopedRecordedTextures textures;
    test::TempDir dir;
    const std::vector<uint8_t> bytes = test::fileOf(
        {test::editorOf({test::meshObject("wall", {0, 0, 0, 2, 0, 0, 0, 0, 2}, {0, 1, 2}, "data/w.jpg"),
                         test::spotObject("&sun", 0, -1, 1, 1, 1, 1, 0, 0, 9),
                         test::cameraObject("cam", 0, -5, 1, 0, 0, 1)}),
         test::keyframerOf({test::cameraNode(0xB003, "cam", {{0, 0, -5, 1}, {30, 0, -6, 1}})})});
    test::writeFile(dir.file("s.3ds"), bytes);
    Scene fromFile, fromMemory;
    ASSERT_TRUE(loadScene(fromFile, dir.file("s.3ds").c_str(), 3));
    ASSERT_TRUE(test::loadBytes(fromMemory, bytes, 3));
    ASSERT_EQ(fromFile.objectCount, 3);
    ASSERT_EQ(fromMemory.objectCount, 3);
    EXPECT_EQ(fromFile.frameCount, 30);
    EXPECT_EQ(fromMemory.frameCount, 30);
    ASSERT_EQ(fromFile.baseColors.size(), 3u);
    for (size_t v = 0; v < 3; ++v) EXPECT_EQ(fromFile.baseColors[v], fromMemory.baseColors[v]);
    EXPECT_STREQ(fromFile.materials[0].name, "data/w.jpg");
    test::expectConsistent(fromFile, "file");
}

TEST(SceneLoader, MeshesAndLightsStartAtTheirFirstKey) {
    struct Case {
        const char* what;
        Chunk object; // named "m" (mesh) or "l" (light)
        std::vector<FileKey> keys;
        bool movingMesh;
        bool movingLight;
        Vec3d position;
        int32_t keyIndex;
    };
    const Chunk mesh = test::triangleObject("m");
    const Chunk light = test::lightObject("l", 7, 8, 9, 1, 1, 1);
    const Case cases[] = {
        {"mesh, one key", mesh, {{0, 1, 2, 3}}, false, false, {1, 3, -2}, 0},
        {"mesh, two keys", mesh, {{0, 1, 2, 3}, {10, 4, 5, 6}}, true, false, {1, 3, -2}, 0},
        {"mesh, no keys", mesh, {}, false, false, {0, 0, 0}, 0},
        // A light that does not move keeps its light chunk's position (and its cursor).
        {"light, one key", light, {{0, 1, 2, 3}}, false, false, {7, 9, -8}, 1},
        {"light, two keys", light, {{0, 1, 2, 3}, {10, 4, 5, 6}}, false, true, {1, 3, -2}, 0},
    };
    for (const Case& c : cases) {
        std::vector<Chunk> nodes;
        if (!c.keys.empty()) {
            nodes.push_back(test::objectNode("m", {test::positionTrack(c.keys)}));
            nodes.push_back(test::objectNode("l", {test::positionTrack(c.keys)}));
        }
        Scene scene;
        ASSERT_TRUE(
            test::loadBytes(scene, test::fileOf({test::editorOf({c.object}), test::keyframerOf(nodes)}), 0));
        EXPECT_EQ(bool(scene.hasMovingMesh), c.movingMesh) << c.what;
        EXPECT_EQ(bool(scene.light.moving), c.movingLight) << c.what;
        EXPECT_EQ(scene.position, c.position) << c.what;
        if (!c.keys.empty()) {
            EXPECT_EQ(scene.positionTrack.keyIndex, c.keyIndex) << c.what;
        }
        if (scene.kind == KIND_MESH) {
            EXPECT_EQ(scene.pivot, c.position) << c.what;
        }
        // lightPosition follows the track only once the animation runs.
        if (scene.kind == KIND_LIGHT) {
            EXPECT_EQ(scene.light.lightPosition, (Vec3d{7, 9, -8})) << c.what;
        }
    }
}

TEST(SceneLoader, RotationTracksStartAtKeyZero) {
    Chunk node = test::objectNode("m", {test::rotationTrack({{0, 1, 1, 0, 0}, {10, 1, 0, 0, 1}})});
    Scene scene;
    ASSERT_TRUE(test::loadBytes(
        scene, test::fileOf({test::editorOf({test::triangleObject("m")}), test::keyframerOf({node})}), 0));
    EXPECT_EQ(scene.rotation, (Vec3d{0, 0, 0}));
    EXPECT_EQ(scene.rotationSum, (Vec3d{0, 0, 0}));
    EXPECT_EQ(scene.rotationTrack.keyIndex, 0);
    EXPECT_NEAR(scene.rotationTrack.keyValues[1].y, 57.30, 0.01);
}

TEST(SceneLoader, CamerasPlayInFileOrderAndTheLastOneSetsTheLength) {
    struct Case {
        const char* what;
        std::vector<Chunk> objects;
        std::vector<Chunk> nodes;
        int cameraCount;
        int32_t frameCount;
    };
    Chunk first = test::cameraObject("first", 0, 0, 0, 0, 1, 0);
    Chunk second = test::cameraObject("second", 0, 0, 0, 0, 1, 0);
    const Case cases[] = {
        {"two cameras",
         {first, test::triangleObject("m"), second},
         {test::cameraNode(0xB003, "second", {{0, 0, 0, 0}, {120, 1, 1, 1}}),
          test::cameraNode(0xB003, "first", {{0, 0, 0, 0}, {300, 1, 1, 1}})},
         2,
         120},
        {"a last frame past 65535 wraps",
         {first},
         {test::cameraNode(0xB003, "first", {{0, 0, 0, 0}, {70000, 1, 1, 1}})},
         1,
         4464},
        {"no camera", {test::triangleObject("m")}, {}, 0, 0},
        {"last camera without eye keys",
         {first, second},
         {test::cameraNode(0xB003, "first", {{0, 0, 0, 0}, {300, 1, 1, 1}}),
          test::cameraNode(0xB004, "second", {{0, 1, 1, 1}})},
         2,
         0},
    };
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(
            test::loadBytes(scene, test::fileOf({test::editorOf(c.objects), test::keyframerOf(c.nodes)}), 0));
        EXPECT_EQ(scene.cameraCount, c.cameraCount) << c.what;
        EXPECT_EQ(scene.frameCount, c.frameCount) << c.what;
        EXPECT_EQ(scene.currentCamera, 0) << c.what;
        EXPECT_EQ(scene.currentFrame, 0.0) << c.what;
        if (c.cameraCount == 2) {
            EXPECT_STREQ(scene.cameras[0]->name, "first") << c.what;
            EXPECT_STREQ(scene.cameras[1]->name, "second") << c.what;
        }
    }
}

TEST(SceneLoader, LightsGetTheirTagAndAreSwitchedOn) {
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene,
                                test::fileOf({test::editorOf({test::lightObject("&static", 0, 0, 0, 1, 1, 1),
                                                              test::lightObject("plain", 0, 0, 0, 1, 1, 1),
                                                              test::lightObject("", 0, 0, 0, 1, 1, 1)})}),
                                0));
    ASSERT_EQ(scene.lightCount, 3);
    EXPECT_EQ(scene.lights[0]->tag, '&');
    EXPECT_EQ(scene.lights[1]->tag, 'p');
    EXPECT_EQ(scene.lights[2]->tag, '\0');
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scene.lights[size_t(i)]->on, 1);
}

TEST(SceneLoader, StaticLightsAreBakedIntoTheBaseColours) {
    // An "&" light at the origin reaching 10 units, and a plain light that is not baked.
    // Stored vertices (0,0,0), (5,0,0), (3,0,4), (20,0,0): distances 0, 5, 5 and 20.
    const std::vector<Chunk> objects = {
        test::meshObject("floor", {0, 0, 0, 5, 0, 0, 3, 0, 4, 20, 0, 0}, {0, 1, 2}, ""),
        test::spotObject("&sun", 0, 0, 0, 1, 0.5f, 0.25f, 0, 0, 10),
        test::spotObject("lamp", 0, 0, 0, 1, 1, 1, 0, 0, 100)};
    struct Case {
        int mode;
        std::vector<Vec3f> base;
    };
    const Vec3f white{1, 1, 1};
    const Case cases[] = {
        {0, {white, white, white, white}},
        // Euclidean distance whatever the mode, so (3,0,4) is 5 away in mode 1 as well.
        {1, {{1, 0.5f, 0.25f}, {0.5f, 0.25f, 0.125f}, {0.5f, 0.25f, 0.125f}, {0, 0, 0}}},
        {2, {{1, 0.5f, 0.25f}, {0.5f, 0.25f, 0.125f}, {0.5f, 0.25f, 0.125f}, {0, 0, 0}}},
    };
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf(objects)}), c.mode));
        ASSERT_EQ(scene.baseColors.size(), 4u);
        for (size_t v = 0; v < 4; ++v) {
            EXPECT_FLOAT_EQ(scene.baseColors[v].x, c.base[v].x) << "mode " << c.mode << " vertex " << v;
            EXPECT_FLOAT_EQ(scene.baseColors[v].y, c.base[v].y) << "mode " << c.mode << " vertex " << v;
            EXPECT_FLOAT_EQ(scene.baseColors[v].z, c.base[v].z) << "mode " << c.mode << " vertex " << v;
        }
        EXPECT_EQ(shadowTestMode, 1);
    }
}

TEST(SceneLoader, TheGlobalFlagsAreResetForTheShow) {
    drawMirrors = false;
    tintFlaresByLights = 1;
    shadowTestMode = 7;
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({test::triangleObject("m")})})));
    EXPECT_TRUE(drawMirrors);
    EXPECT_EQ(tintFlaresByLights, 0);
    EXPECT_EQ(shadowTestMode, 1);
    EXPECT_EQ(scene.emitterCount, 0);
}

// A valid scene holding every recognised chunk, for the damage tests.
std::vector<uint8_t> fullScene() {
    Chunk mesh =
        test::meshObject("box", {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1}, {0, 1, 2, 1, 2, 3}, "data/box.jpg");
    Chunk node = test::objectNode("box", {test::positionTrack({{0, 0, 0, 0}, {10, 1, 1, 1}}),
                                          test::rotationTrack({{0, 0, 0, 0, 1}, {10, 1, 0, 0, 1}})});
    return test::fileOf(
        {test::editorOf({mesh, test::spotObject("&sun", 0, 0, 5, 1, 1, 1, 0, 0, 0),
                         test::spotObject("lamp", 2, 0, 5, 1, 0, 0, 0, 0, 0),
                         test::cameraObject("cam", 0, -10, 0, 0, 0, 0),
                         test::meshObject("mirror", {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 1, 2}, "mirror")}),
         test::keyframerOf(
             {node, test::cameraNode(0xB003, "cam", {{0, 0, -10, 0}, {100, 0, -9, 0}}),
              test::cameraNode(0xB004, "cam", {{0, 0, 0, 0}}),
              test::objectNode("lamp", {test::positionTrack({{0, 2, 0, 5}, {50, 3, 0, 5}})}, 0xB007)})});
}

TEST(SceneLoader, EveryTruncationLoadsWhatItHolds) {
    test::ScopedRecordedTextures textures;
    const std::vector<uint8_t> bytes = fullScene();
    for (size_t length = 6; length <= bytes.size(); ++length) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
        Scene scene;
        ASSERT_TRUE(test::loadBytes(scene, cut)) << length;
        test::expectConsistent(scene, "cut at " + std::to_string(length));
    }
    Scene whole;
    ASSERT_TRUE(test::loadBytes(whole, bytes));
    EXPECT_EQ(whole.objectCount, 5);
    EXPECT_EQ(whole.frameCount, 100);
    EXPECT_EQ(whole.mirrorCount, 1);
    EXPECT_TRUE(whole.hasMovingMesh);
}

TEST(SceneLoader, ADestroyedSceneKeepsNoPointerIntoItsFreedObjects) {
    // The scene's own part is the mesh "box"; a light and a camera live in freed objects.
    test::ScopedRecordedTextures textures;
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, fullScene()));
    ASSERT_EQ(scene.lightCount, 2);
    ASSERT_EQ(scene.cameraCount, 1);
    ASSERT_EQ(scene.vertexCount, 4);
    destroyScene(scene);
    EXPECT_EQ(scene.objectCount, 0);
    EXPECT_EQ(scene.lightCount, 0);
    EXPECT_EQ(scene.cameraCount, 0);
    EXPECT_EQ(scene.vertexCount, 0) << "its vertices are gone";
    EXPECT_EQ(scene.faceCount, 0);
    EXPECT_EQ(scene.texCoordCount, 0);
    test::expectConsistent(scene, "after destroyScene");
}

TEST(SceneLoader, DamagedBytesNeverBreakTheScene) {
    // Every byte of the file in turn replaced by values that damage lengths and counts most.
    test::ScopedRecordedTextures textures;
    const std::vector<uint8_t> bytes = fullScene();
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0x05), uint8_t(0x7F), uint8_t(0xFF)}) {
            std::vector<uint8_t> damaged = bytes;
            damaged[at] = value;
            Scene scene;
            test::loadBytes(scene, damaged);
            test::expectConsistent(scene, "byte " + std::to_string(at) + " = " + std::to_string(value));
        }
    }
}

TEST(SceneLoader, AMeshPastTheObjectLimitIsSkipped) {
    // objectCount is 16 bits wide: 65535 objects fill it, the next one has no place.
    Chunk editor(0x3D3D);
    for (int i = 0; i < MAX_OBJECTS; ++i) editor.raw({0x00, 0x40, 0x08, 0, 0, 0, 'o', 0});
    editor.child(test::lightObject("last", 0, 0, 0, 1, 1, 1));
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({editor}), 0));
    EXPECT_EQ(scene.objectCount, MAX_OBJECTS);
    EXPECT_EQ(scene.lightCount, 0);
    SceneObject* last = nullptr;
    lastObject(scene);
    last = scene.current;
    resetCursor(scene);
    EXPECT_STREQ(last->name, "o");
}

} // namespace
} // namespace pelx
