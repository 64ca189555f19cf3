// Keyframer chunks: key layouts, the rotation conversion, node selection by name, and the
// bounds on damaged tracks.
#include "scene_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

using test::Chunk;
using test::FileKey;

TEST(KeyframerChunks, SplineFlagsAnnounceExtraFloats) {
    // Key 0: flags with bits 0 and 3 (tension, ease to) carry two floats before the value;
    // key 1: flags 0; key 2: all five bits.
    Chunk track(0xB020);
    track.u16(0).u16(0).u16(0).u16(0).u16(0).u32(3);
    track.u32(0).u16(0x0009).f32(99).f32(98).vec(1, 2, 3);
    track.u32(10).u16(0).vec(4, 5, 6);
    track.u32(20).u16(0x001F).f32(1).f32(2).f32(3).f32(4).f32(5).vec(7, 8, 9);
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene,
                                test::fileOf({test::editorOf({test::triangleObject("box")}),
                                              test::keyframerOf({test::objectNode("box", {track})})}),
                                0));
    const KeyTrack& keys = scene.positionTrack;
    ASSERT_EQ(keys.keyCount, 3u);
    EXPECT_EQ(keys.keyFrames, (std::vector<uint16_t>{0, 10, 20}));
    EXPECT_EQ(keys.keyValues[0], (Vec3d{1, 3, -2}));
    EXPECT_EQ(keys.keyValues[1], (Vec3d{4, 6, -5}));
    EXPECT_EQ(keys.keyValues[2], (Vec3d{7, 9, -8}));
}

TEST(KeyframerChunks, RotationKeysAreAxisTimesDegreesWithKeyZeroCleared) {
    const float halfPi = 1.57079637f;
    Chunk track = test::rotationTrack({{0, 1.0f, 1, 0, 0}, {70000, halfPi, 0, 0, 1}, {5, -halfPi, 1, 0, 0}});
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene,
                                test::fileOf({test::editorOf({test::triangleObject("box")}),
                                              test::keyframerOf({test::objectNode("box", {track})})}),
                                0));
    const KeyTrack& keys = scene.rotationTrack;
    ASSERT_EQ(keys.keyCount, 3u);
    EXPECT_EQ(keys.keyValues[0], (Vec3d{0, 0, 0}));
    // pi/2 about the stored z axis (the y axis after the change), with 3.1415 as divisor.
    EXPECT_EQ(keys.keyValues[1].x, 0.0);
    EXPECT_NEAR(keys.keyValues[1].y, 90.00266, 0.000005);
    EXPECT_EQ(keys.keyValues[1].z, 0.0);
    EXPECT_NEAR(keys.keyValues[2].x, -90.00266, 0.000005);
    EXPECT_EQ(keys.keyFrames[1], 4464) << "frame 70000 keeps its low 16 bits";
}

TEST(KeyframerChunks, CameraNodesFillEyeAndTargetTracksInAnyOrder) {
    Chunk camera = test::cameraObject("cam", 0, 0, 0, 0, 1, 0);
    // The target node comes first; both select the camera by its name.
    Chunk target = test::cameraNode(0xB004, "cam", {{0, 1, 2, 3}, {50, 4, 5, 6}});
    Chunk eye = test::cameraNode(0xB003, "cam", {{0, 10, 20, 30}, {40, 0, 0, 0}, {90, 1, 1, 1}});
    eye.child(test::rotationTrack({{0, 0, 0, 0, 1}})); // a camera's rotation (roll) track is not read
    Scene scene;
    ASSERT_TRUE(test::loadBytes(
        scene, test::fileOf({test::editorOf({camera}), test::keyframerOf({target, eye})}), 0));
    EXPECT_EQ(scene.positionTrack.keyCount, 3u);
    EXPECT_EQ(scene.rotationTrack.keyCount, 2u);
    EXPECT_EQ(scene.rotationTrack.keyValues[1], (Vec3d{4, 6, -5}));
    EXPECT_EQ(scene.eye, (Vec3d{10, 30, -20})) << "the camera starts at its first eye key";
    EXPECT_EQ(scene.target, (Vec3d{1, 3, -2}));
    EXPECT_EQ(scene.positionTrack.keyIndex, 1);
    EXPECT_EQ(scene.rotationTrack.keyIndex, 1);
    EXPECT_EQ(scene.frameCount, 90);
}

TEST(KeyframerChunks, NodesWithoutAKnownNameGiveTheirTracksToNobody) {
    Chunk trackFirst =
        Chunk(0xB002).child(test::positionTrack({{0, 1, 1, 1}, {5, 2, 2, 2}})).child(test::nodeName("box"));
    Chunk unknown = test::objectNode("nothing", {test::positionTrack({{0, 9, 9, 9}, {5, 8, 8, 8}})});
    // A second name in one node reselects: the track after an unknown name goes nowhere.
    Chunk renamed = Chunk(0xB002)
                        .child(test::nodeName("lamp"))
                        .child(test::nodeName("nothing"))
                        .child(test::positionTrack({{0, 7, 7, 7}, {9, 6, 6, 6}}));
    Scene scene;
    ASSERT_TRUE(test::loadBytes(scene,
                                test::fileOf({test::editorOf({test::triangleObject("box"),
                                                              test::lightObject("lamp", 1, 1, 1, 1, 1, 1)}),
                                              test::keyframerOf({trackFirst, unknown, renamed})}),
                                0));
    EXPECT_EQ(scene.positionTrack.keyCount, 0u);
    EXPECT_EQ(scene.hasMovingMesh, 0);
    EXPECT_EQ(scene.next->positionTrack.keyCount, 0u);
    EXPECT_FALSE(scene.next->light.moving);
}

TEST(KeyframerChunks, AnObjectNodeReplacesEarlierTracksOfItsObject) {
    Chunk first = test::objectNode("box", {test::positionTrack({{0, 1, 1, 1}, {5, 2, 2, 2}}),
                                           test::rotationTrack({{0, 0, 1, 0, 0}, {5, 1, 1, 0, 0}})});
    Chunk second = test::objectNode("box", {}); // names the box, carries no tracks
    Scene scene;
    ASSERT_TRUE(test::loadBytes(
        scene,
        test::fileOf({test::editorOf({test::triangleObject("box")}), test::keyframerOf({first, second})}),
        0));
    EXPECT_EQ(scene.positionTrack.keyCount, 0u);
    EXPECT_EQ(scene.rotationTrack.keyCount, 0u);
    EXPECT_TRUE(scene.positionTrack.keyValues.empty());
    // A spotlight node (0xB007) is read like an object node.
    Chunk spot = test::objectNode("box", {test::positionTrack({{0, 1, 1, 1}, {5, 2, 2, 2}})}, 0xB007);
    Scene again;
    ASSERT_TRUE(test::loadBytes(
        again,
        test::fileOf({test::editorOf({test::triangleObject("box")}), test::keyframerOf({first, spot})}), 0));
    EXPECT_EQ(again.positionTrack.keyCount, 2u);
    EXPECT_EQ(again.rotationTrack.keyCount, 0u);
}

TEST(KeyframerChunks, HugeKeyCountsAreBoundedByTheTrack) {
    struct Case {
        const char* what;
        uint16_t id;
        uint32_t storedCount;
        int keysPresent;
        uint32_t expected;
    };
    const Case cases[] = {
        {"position, count 0xFFFFFFFF", 0xB020, 0xFFFFFFFFu, 2, 2},
        {"rotation, count 0xFFFFFFFF", 0xB021, 0xFFFFFFFFu, 2, 2},
        {"position, count larger than the keys", 0xB020, 1000, 1, 1},
        {"position, no keys at all", 0xB020, 0x7FFFFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        Chunk track(c.id);
        track.u16(0).u16(0).u16(0).u16(0).u16(0).u32(c.storedCount);
        for (int k = 0; k < c.keysPresent; ++k) {
            track.u32(uint32_t(k)).u16(0);
            if (c.id == 0xB021) track.f32(1);
            track.vec(1, 2, 3);
        }
        Scene scene;
        ASSERT_TRUE(test::loadBytes(scene,
                                    test::fileOf({test::editorOf({test::triangleObject("box")}),
                                                  test::keyframerOf({test::objectNode("box", {track})})}),
                                    0));
        const KeyTrack& keys = c.id == 0xB020 ? scene.positionTrack : scene.rotationTrack;
        EXPECT_EQ(keys.keyCount, c.expected) << c.what;
        EXPECT_EQ(keys.keyValues.size(), c.expected) << c.what;
        EXPECT_EQ(keys.keyFrames.size(), c.expected) << c.what;
    }
}

TEST(KeyframerChunks, AKeyframerBeforeTheEditorFindsNoObjects) {
    // An empty node name would otherwise match the scene record before it holds an object.
    Chunk keyframer =
        test::keyframerOf({test::objectNode("box", {test::positionTrack({{0, 1, 1, 1}, {5, 2, 2, 2}})}),
                           test::objectNode("", {test::positionTrack({{0, 1, 1, 1}, {5, 2, 2, 2}})})});
    Scene scene;
    ASSERT_TRUE(
        test::loadBytes(scene, test::fileOf({keyframer, test::editorOf({test::triangleObject("box")})}), 0));
    EXPECT_EQ(scene.objectCount, 1);
    EXPECT_EQ(scene.positionTrack.keyCount, 0u);
    EXPECT_EQ(scene.hasMovingMesh, 0);
}

} // namespace
} // namespace pelx
