// Named objects, lights, spotlights and cameras.
#include "scene_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;

TEST(ObjectChunks, LightColoursAreMadePositiveAndTheSpotlightSetsTheRange) {
    struct Case {
        const char* what;
        Chunk object;
        Vec3f color;
        float range;
        Vec3d position;
    };
    const Case cases[] = {
        {"negative colour, spotlight 5 away",
         test::spotObject("l", 0, 0, 0, -0.5f, 0.25f, -1, 3, 0, 4),
         {0.5f, 0.25f, 1},
         5,
         {0, 0, 0}},
        {"no spotlight", test::lightObject("l", 1, 2, 3, 1, 1, 1), {1, 1, 1}, 0, {1, 3, -2}},
        {"target along the stored y axis",
         test::spotObject("l", 1, 2, 3, 0, 0, 0, 1, 8, 3),
         {0, 0, 0},
         6,
         {1, 3, -2}},
        {"no colour chunk",
         Chunk(0x4000).str("l").child(Chunk(0x4600).vec(0, 0, 0)),
         {0, 0, 0},
         0,
         {0, 0, 0}},
        {"the last colour and spotlight win",
         Chunk(0x4000).str("l").child(Chunk(0x4600)
                                          .vec(0, 0, 0)
                                          .child(Chunk(0x0010).vec(1, 1, 1))
                                          .child(Chunk(0x4610).vec(1, 0, 0).f32(0).f32(0))
                                          .child(Chunk(0x0011).u8(255).u8(0).u8(0)) // 24-bit colour: skipped
                                          .child(Chunk(0x0010).vec(0.5f, 0, 0))
                                          .child(Chunk(0x4610).vec(0, 0, 2).f32(0).f32(0))),
         {0.5f, 0, 0},
         2,
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        Scene scene;
        ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({c.object})}), 0));
        EXPECT_EQ(scene.kind, KIND_LIGHT) << c.what;
        EXPECT_EQ(scene.light.color, c.color) << c.what;
        EXPECT_EQ(scene.light.range, c.range) << c.what;
        EXPECT_EQ(scene.position, c.position) << c.what;
        EXPECT_EQ(scene.light.lightPosition, c.position) << c.what;
        ASSERT_EQ(scene.lightCount, 1) << c.what;
        EXPECT_EQ(scene.lights[0], &scene.light) << c.what;
        EXPECT_TRUE(scene.light.on) << c.what;
    }
}

TEST(ObjectChunks, KindsFollowTheChildrenTheLastOneDeciding) {
    Chunk dummy = Chunk(0x4000).str("dummy").child(Chunk(0x4010).u8(0)); // an unknown child only
    Chunk both = Chunk(0x4000)
                     .str("both")
                     .child(Chunk(0x4100).child(Chunk(0x4110).u16(1).vec(1, 2, 3)))
                     .child(Chunk(0x4600).vec(7, 8, 9));
    Chunk camera = test::cameraObject("cam", 1, 2, 3, 4, 5, 6);
    Chunk misplaced = Chunk(0x4000).str("loose").child(Chunk(0x4110).u16(1).vec(1, 2, 3)); // not under 0x4100
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf({dummy, both, camera, misplaced})}), 0));
    ASSERT_EQ(scene.objectCount, 4);
    struct Expect {
        const char* name;
        uint16_t kind;
        uint16_t vertexCount;
    };
    const Expect expected[] = {
        {"dummy", KIND_NONE, 0}, {"both", KIND_LIGHT, 1}, {"cam", KIND_CAMERA, 0}, {"loose", KIND_NONE, 0}};
    for (int i = 0; i < 4; ++i) {
        SceneObject* object = test::objectAt(scene, i);
        EXPECT_STREQ(object->name, expected[i].name);
        EXPECT_EQ(object->kind, expected[i].kind) << expected[i].name;
        EXPECT_EQ(object->vertexCount, expected[i].vertexCount) << expected[i].name;
    }
    EXPECT_EQ(test::objectAt(scene, 1)->position, (Vec3d{7, 9, -8})) << "both payloads are kept";
    SceneObject* cam = test::objectAt(scene, 2);
    EXPECT_EQ(cam->eye, (Vec3d{1, 3, -2}));
    EXPECT_EQ(cam->target, (Vec3d{4, 6, -5}));
    EXPECT_EQ(scene.cameraCount, 1);
    EXPECT_EQ(scene.cameras[0], cam);
}

TEST(ObjectChunks, ObjectNamesOf79And80Characters) {
    const std::string n79(79, 'a'), n80(80, 'b');
    // The 80-character name has no terminator; its NUL stays unread and is walked over as
    // the start of the object's children (the walk resynchronises on the chunk lengths).
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene,
                                test::fileOf({test::editorOf({test::lightObject(n79, 0, 0, 0, 1, 1, 1),
                                                              test::lightObject(n80, 0, 0, 0, 1, 1, 1)})}),
                                0));
    ASSERT_EQ(scene.objectCount, 2);
    EXPECT_EQ(std::string(scene.name), n79);
    SceneObject* second = scene.next;
    EXPECT_EQ(std::string(second->name, OBJECT_NAME_SIZE), n80);
    EXPECT_EQ(findObject(scene, n80.c_str()), second);
    EXPECT_EQ(findObject(scene, n79.c_str()), &scene);
    EXPECT_EQ(findObject(scene, std::string(79, 'b').c_str()), nullptr);
}

TEST(ObjectChunks, TheLightTableStopsAtItsCapacity) {
    std::vector<Chunk> lights;
    for (int i = 0; i < MAX_LIGHTS + 3; ++i)
        lights.push_back(test::lightObject("l" + std::to_string(i), float(i), 0, 0, 1, 1, 1));
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf(lights)}), 0));
    EXPECT_EQ(scene.objectCount, MAX_LIGHTS + 3) << "every light stays in the list";
    EXPECT_EQ(scene.lightCount, MAX_LIGHTS);
    EXPECT_EQ(scene.lights[MAX_LIGHTS - 1], &test::objectAt(scene, MAX_LIGHTS - 1)->light);
    EXPECT_EQ(test::objectAt(scene, MAX_LIGHTS + 2)->kind, KIND_LIGHT);
}

TEST(ObjectChunks, TheCameraTableStopsAtItsCapacity) {
    std::vector<Chunk> objects;
    for (int i = 0; i < MAX_CAMERAS + 2; ++i)
        objects.push_back(test::cameraObject("c" + std::to_string(i), 0, 0, 0, 1, 0, 0));
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene, test::fileOf({test::editorOf(objects)}), 0));
    EXPECT_EQ(scene.cameraCount, MAX_CAMERAS);
    EXPECT_STREQ(scene.cameras[MAX_CAMERAS - 1]->name, "c9");
}

} // namespace
} // namespace pelx
