// Keyframe animation over small scenes built by hand: frame clamping, camera cuts and camera
// paths, view angles, mesh and light motion, the rewind at frame 0, and damaged tracks.
#include "render/animation.h"

#include "platform/frame.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace pelx {
namespace {

struct Key {
    uint16_t frame;
    Vec3d value;
};

void fillTrack(KeyTrack& track, const std::vector<Key>& keys, int32_t cursor) {
    track.keyCount = static_cast<uint32_t>(keys.size());
    track.keyFrames.clear();
    track.keyValues.clear();
    for (const Key& key : keys) {
        track.keyFrames.push_back(key.frame);
        track.keyValues.push_back(key.value);
    }
    track.keyIndex = cursor;
}

SceneObject& addObject(Scene& scene, uint16_t kind, const std::string& name) {
    lastObject(scene);
    appendObject(scene);
    SceneObject& object = *scene.current;
    object.kind = kind;
    name.copy(object.name, OBJECT_NAME_SIZE - 1);
    resetCursor(scene);
    return object;
}

// A camera as the loader leaves it: both cursors on 1, eye and target on their first keys.
SceneObject& addCamera(Scene& scene, const std::vector<Key>& eyeKeys, const std::vector<Key>& targetKeys) {
    SceneObject& camera = addObject(scene, KIND_CAMERA, "cam" + std::to_string(scene.cameraCount));
    fillTrack(camera.positionTrack, eyeKeys, 1);
    fillTrack(camera.rotationTrack, targetKeys, 1);
    if (!eyeKeys.empty()) camera.eye = eyeKeys[0].value;
    if (!targetKeys.empty()) camera.target = targetKeys[0].value;
    scene.cameras[scene.cameraCount++] = &camera;
    return camera;
}

void playAt(Scene& scene, float elapsed, float duration) {
    sceneClock.elapsed = elapsed;
    sceneClock.duration = duration;
    animateScene(scene);
}

void expectNear(const Vec3d& actual, const Vec3d& expected, const std::string& where) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << where;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << where;
    EXPECT_NEAR(actual.z, expected.z, 1e-9) << where;
}

bool finite(const Vec3d& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST(AnimationTest, CurrentFrameFollowsTheClockAndStopsBeforeTheLastFrame) {
    struct Case {
        int frameCount;
        float elapsed;
        float duration;
        double frame;
    } cases[] = {
        {64, 0, 64, 0},                               // the start
        {64, 8, 64, 8},                               // one frame per second here
        {64, 31.5f, 64, 31.5},   {100, 2.5f, 10, 25}, // a quarter of the scene
        {64, 64, 64, 63},                             // elapsed == duration: one frame before the end
        {64, 70, 64, 63},                             // past the end
        {64, 63.75f, 64, 63.75},                      // truncates to 63, below 64: kept as it is
        {64, 0, 0, 0},                                // a scene of length 0 at its start: no 0 / 0
        {64, 1, 0, 63},                               // and after it: at the end
        {0, 5, 10, 0},                                // no camera, no frames: stays at frame 0
    };
    for (const Case& c : cases) {
        Scene scene;
        appendObject(scene);
        scene.frameCount = c.frameCount;
        playAt(scene, c.elapsed, c.duration);
        EXPECT_DOUBLE_EQ(scene.currentFrame, c.frame)
            << "frameCount " << c.frameCount << " elapsed " << c.elapsed << " duration " << c.duration;
    }
}

// The view looks down -z; the angles turn it from the eye towards the target. Worked numbers:
// 180 / 3.1415 = 57.29746..., so a right angle is 90.002654 degrees, a half turn 180.005309.
TEST(AnimationTest, CameraAnglesTurnTheViewTowardsTheTarget) {
    struct Case {
        Vec3d eye;
        double pitch; // rotation.x
        double yaw;   // rotation.y
    } cases[] = {
        {{0, 0, 10}, 0, 0},                  // already looking down -z
        {{10, 0, 0}, 0, -90.00265440811121}, // target to the left (-x): turn by -90
        {{-10, 0, 0}, 0, 90.00265440811121},
        {{0, 0, -10}, 0, -180.00530881622242}, // behind: dx = 0 counts as positive
        {{3, 0, 4}, 0, -36.87098506534813},    // acos(0.8)
        {{-3, 0, 4}, 0, 36.87098506534813},
        {{0, 3, 4}, 36.87098506534813, 0},    // above the target: looks down
        {{0, -4, 3}, -53.131669342763075, 0}, // below: looks up, acos(0.6)
        {{0, 10, 10}, 45.001327204055606, 0},
    };
    for (const Case& c : cases) {
        Scene scene;
        appendObject(scene);
        SceneObject& camera = addCamera(scene, {{0, c.eye}, {10, c.eye}}, {{0, {}}, {10, {}}});
        scene.frameCount = 10;
        playAt(scene, 5, 10);
        const std::string where =
            "eye " + std::to_string(c.eye.x) + " " + std::to_string(c.eye.y) + " " + std::to_string(c.eye.z);
        EXPECT_NEAR(camera.rotation.x, c.pitch, 1e-9) << where;
        EXPECT_NEAR(camera.rotation.y, c.yaw, 1e-9) << where;
        EXPECT_EQ(camera.rotation.z, 0.0) << where;
    }
}

TEST(AnimationTest, CameraStraightAboveOrOnItsTargetGetsFiniteAngles) {
    const Vec3d eyes[] = {{0, 10, 0}, {0, -10, 0}, {0, 0, 0}};
    const double pitches[] = {90.00265440811121, -90.00265440811121, 90.00265440811121};
    for (int n = 0; n < 3; ++n) {
        Scene scene;
        appendObject(scene);
        SceneObject& camera = addCamera(scene, {{0, eyes[n]}, {10, eyes[n]}}, {{0, {}}, {10, {}}});
        scene.frameCount = 10;
        playAt(scene, 5, 10);
        EXPECT_TRUE(std::isfinite(camera.rotation.y)) << n;
        EXPECT_NEAR(camera.rotation.x, pitches[n], 1e-9) << n;
    }
}

// The camera path is (P[k-1] - P[k]) * (frame - F[k]) scaled before it is divided by the
// segment's length, and angles are taken times 180 before the division by 3.1415, the way
// the scene loader converts its angles. Other groupings land one unit in the last place
// away; a tool that reads the camera back (pelx-3ds dump) must see these very bits.
TEST(AnimationTest, CameraPathAndAnglesRoundAsTheyAreWritten) {
    struct Case {
        Vec3d firstEye, secondEye; // at frames 0 and 3; the target stays at the origin
        Vec3d eye;                 // at frame 1
        double pitch, yaw;
    } cases[] = {
        // 10 + (0 - 10) * (1 - 3) / (0 - 3) = 10 - 20/3: 3.333333333333333, not the nearest
        // double to 10/3 (3.3333333333333335); likewise 7 - 14/3.
        {{0, 0, 5},
         {10, 7, 5},
         {3.333333333333333, 2.333333333333333, 5},
         21.22132609469119,
         -33.69106116140765},
        // Looking down at 45 degrees: pi/4 * 180 / 3.1415 rounds to ...561, not ...5606.
        {{0, 5, 5}, {0, 5, 5}, {0, 5, 5}, 45.00132720405561, 0},
        // Yaw of atan(2): acos(1 / sqrt(5)) * 180 / 3.1415, negated because dx >= 0.
        {{2, 0, 1}, {2, 0, 1}, {2, 0, 1}, 8.537988269592799e-07, -63.436819736729674},
        // 30 degrees to the right: acos(sqrt(3) / 2) * 180 / 3.1415.
        {{-1, 0, 1.7320508075688772},
         {-1, 0, 1.7320508075688772},
         {-1, 0, 1.7320508075688772},
         0,
         30.00088480270373},
    };
    for (const Case& c : cases) {
        Scene scene;
        appendObject(scene);
        SceneObject& camera = addCamera(scene, {{0, c.firstEye}, {3, c.secondEye}}, {{0, {}}, {3, {}}});
        scene.frameCount = 4;
        playAt(scene, 1, 4);
        const std::string where = "eye at frame 1 " + std::to_string(c.eye.x) + " " +
                                  std::to_string(c.eye.y) + " " + std::to_string(c.eye.z);
        EXPECT_EQ(camera.eye.x, c.eye.x) << where;
        EXPECT_EQ(camera.eye.y, c.eye.y) << where;
        EXPECT_EQ(camera.eye.z, c.eye.z) << where;
        EXPECT_EQ(camera.rotation.x, c.pitch) << where;
        EXPECT_EQ(camera.rotation.y, c.yaw) << where;
    }
}

// Two cameras in a 64-frame scene, one frame per second.
// Camera A: eye (0,0,0) at 0, (10,0,0) at 10, (10,0,10) at 20. Camera B: eye (100,0,0) at 30,
// (100,0,10) at 40, (100,0,34) at 64.
TEST(AnimationTest, CamerasFollowOneAnotherAlongTheirSegments) {
    Scene scene;
    appendObject(scene);
    SceneObject& a = addCamera(scene, {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {20, {10, 0, 10}}},
                               {{0, {0, 0, -100}}, {20, {0, 0, -100}}});
    SceneObject& b = addCamera(scene, {{30, {100, 0, 0}}, {40, {100, 0, 10}}, {64, {100, 0, 34}}},
                               {{30, {100, 0, -100}}, {64, {100, 0, -100}}});
    scene.frameCount = 64;

    struct Step {
        float elapsed;
        int camera;
        Vec3d eye;  // of the camera in use
        int cursor; // its eye cursor after the call
        const char* why;
    } steps[] = {
        {0, 0, {0, 0, 0}, 1, "first key"},
        {5, 0, {5, 0, 0}, 1, "halfway along the first segment"},
        {12, 0, {12, 0, 0}, 2, "past the segment's end: extrapolated along it, then the cursor moves"},
        {13,
         1,
         {100, 0, -17},
         1,
         "A's cursor is on its last key: B takes over on its first segment, "
         "extrapolated back from frame 30: 10 + (0 - 10) * (13 - 40) / (30 - 40)"},
        {35, 1, {100, 0, 5}, 1, "inside B's first segment"},
        {50, 1, {100, 0, 20}, 2, "past it: extrapolated, 10 + 10 * (50 - 40) / 10"},
        {52, 1, {100, 0, 22}, 2, "second segment: 10 + 24 * 12 / 24"},
        {64, 1, {100, 0, 33}, 2, "the end clamps to frame 63: the last key is approached, never reached"},
        {0, 1, {100, 0, -30}, 2, "frame 0 does not rewind the cameras: 10 + 24 * (0 - 40) / 24"},
    };
    for (const Step& s : steps) {
        playAt(scene, s.elapsed, 64);
        ASSERT_EQ(scene.currentCamera, s.camera) << s.why;
        SceneObject& camera = s.camera == 0 ? a : b;
        expectNear(camera.eye, s.eye, s.why);
        EXPECT_EQ(camera.positionTrack.keyIndex, s.cursor) << s.why;
    }
    // A was left before it reached its last segment and stays where it was last shown.
    expectNear(a.eye, {12, 0, 0}, "camera A after the cut");
}

TEST(AnimationTest, CameraCursorMovesAtMostOneKeyPerFrame) {
    // Keys at 0, 10, 11, 20 (x = 0, 10, 20, 30). A jump to frame 15 passes keys 1 and 2 but the
    // cursor takes one step; the next frame extrapolates the short segment 10..11.
    Scene scene;
    appendObject(scene);
    SceneObject& camera =
        addCamera(scene, {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {11, {20, 0, 0}}, {20, {30, 0, 0}}},
                  {{0, {0, 0, -50}}, {20, {0, 0, -50}}});
    scene.frameCount = 64;
    playAt(scene, 15, 64);
    expectNear(camera.eye, {15, 0, 0}, "frame 15 on the first segment");
    EXPECT_EQ(camera.positionTrack.keyIndex, 2);
    playAt(scene, 16, 64);
    expectNear(camera.eye, {70, 0, 0}, "frame 16 on segment 10..11: 20 + (10 - 20) * (16 - 11) / (10 - 11)");
    EXPECT_EQ(camera.positionTrack.keyIndex, 3);
}

TEST(AnimationTest, CameraStandsOnTheFinalKeyOfATrackThatEndsEarly) {
    // The target track ends at frame 10 while the eye goes on to 20. At frame 12 the target is
    // extrapolated for the angles, then set exactly on its final key.
    Scene scene;
    appendObject(scene);
    SceneObject& camera =
        addCamera(scene, {{0, {0, 0, 10}}, {20, {0, 0, 10}}}, {{0, {0, 0, 0}}, {10, {-10, 0, 0}}});
    scene.frameCount = 32;
    playAt(scene, 12, 32);
    expectNear(camera.target, {-10, 0, 0}, "target on its final key");
    // The angles come from the extrapolated target (-12, 0, 0): d = (12, 0, 10) / 15.6205,
    // cos(yaw) = 10 / 15.6205 = 0.640184, yaw = 0.876058 rad = 50.19591 degrees, negated.
    EXPECT_NEAR(camera.rotation.y, -50.1959093132818, 1e-9);
}

TEST(AnimationTest, DamagedCameraTracksStayFiniteAndInsideTheirKeys) {
    struct Case {
        const char* what;
        std::vector<Key> eyeKeys;
        int frameCount;
        std::vector<float> elapsed; // one frame per second
        Vec3d eye;                  // after the last call
    } cases[] = {
        {"last two keys share a frame",
         {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {10, {10, 0, 50}}},
         32,
         {5, 10, 15, 20},
         {10, 0, 50}},
        {"all keys share a frame",
         {{5, {1, 0, 0}}, {5, {2, 0, 0}}, {5, {3, 0, 0}}},
         32,
         {0, 5, 9},
         {3, 0, 0}},
        {"first segment of zero length",
         {{0, {0, 0, 0}}, {0, {5, 0, 0}}, {10, {15, 0, 0}}},
         32,
         {0, 5},
         {10, 0, 0}},
        {"one key, cursor past it", {{4, {7, 0, 0}}}, 32, {0, 3}, {7, 0, 0}},
    };
    for (const Case& c : cases) {
        Scene scene;
        appendObject(scene);
        SceneObject& camera = addCamera(scene, c.eyeKeys, {{0, {0, 0, -100}}, {40, {0, 0, -100}}});
        scene.frameCount = c.frameCount;
        for (float elapsed : c.elapsed) {
            playAt(scene, elapsed, static_cast<float>(c.frameCount));
            ASSERT_TRUE(finite(camera.eye)) << c.what << " at " << elapsed;
            ASSERT_TRUE(finite(camera.rotation)) << c.what << " at " << elapsed;
            ASSERT_GE(camera.positionTrack.keyIndex, 0) << c.what;
            ASSERT_LT(camera.positionTrack.keyIndex, static_cast<int32_t>(camera.positionTrack.keyCount))
                << c.what;
        }
        expectNear(camera.eye, c.eye, c.what);
    }
}

TEST(AnimationTest, CameraWithoutAPathIsLeftForTheNext) {
    // A first camera with no eye keys, or a single one, has no segment to play: the next camera
    // takes over instead of the show staying on it.
    for (int keys = 0; keys < 2; ++keys) {
        Scene scene;
        appendObject(scene);
        std::vector<Key> eyeKeys;
        if (keys == 1) eyeKeys.push_back({0, {1, 1, 1}});
        addCamera(scene, eyeKeys, {});
        SceneObject& second =
            addCamera(scene, {{0, {0, 0, 0}}, {10, {10, 0, 0}}}, {{0, {0, 0, -5}}, {10, {0, 0, -5}}});
        scene.frameCount = 10;
        playAt(scene, 1, 10);
        playAt(scene, 2, 10);
        EXPECT_EQ(scene.currentCamera, 1) << keys << " keys";
        expectNear(second.eye, {2, 0, 0}, "second camera");
    }
}

TEST(AnimationTest, SceneWithoutCamerasStillMovesItsMeshes) {
    Scene scene;
    appendObject(scene);
    SceneObject& mesh = addObject(scene, KIND_MESH, "box");
    fillTrack(mesh.positionTrack, {{0, {0, 0, 0}}, {8, {8, 16, 0}}}, 0);
    scene.frameCount = 8;
    playAt(scene, 2, 8);
    EXPECT_EQ(scene.currentCamera, 0);
    expectNear(mesh.position, {2, 4, 0}, "mesh at frame 2");
    EXPECT_EQ(scene.current, static_cast<SceneObject*>(&scene));
}

// A mesh with position keys (0,0,0) at 0, (10,0,0) at 10, (10,10,0) at 20 in a 64-frame scene.
TEST(AnimationTest, MeshMovesAlongItsKeysAndRewindsAtFrameZero) {
    Scene scene;
    appendObject(scene);
    SceneObject& mesh = addObject(scene, KIND_MESH, "box");
    fillTrack(mesh.positionTrack, {{0, {0, 0, 0}}, {10, {10, 0, 0}}, {20, {10, 10, 0}}}, 0);
    scene.frameCount = 64;
    struct Step {
        float elapsed;
        Vec3d position;
        int cursor;
        const char* why;
    } steps[] = {
        {4, {4, 0, 0}, 0, "first segment"},
        {15, {15, 0, 0}, 1, "the frame passed key 1: still the old segment, extrapolated"},
        {16, {10, 6, 0}, 1, "second segment"},
        {0, {0, 0, 0}, 0, "frame 0 rewinds to the first key"},
        {5, {5, 0, 0}, 0, "and plays the first segment again"},
        {25, {25, 0, 0}, 2, "two keys passed in one frame"},
        {30, {25, 0, 0}, 2, "on the last key the last interpolated position stays"},
    };
    for (const Step& s : steps) {
        playAt(scene, s.elapsed, 64);
        expectNear(mesh.position, s.position, s.why);
        EXPECT_EQ(mesh.positionTrack.keyIndex, s.cursor) << s.why;
    }
}

TEST(AnimationTest, MeshRotationAddsUpItsIncrements) {
    // Rotation keys at 0, 2, 4, 6: zero, then +10 about x, +20 about y, +30 about z.
    Scene scene;
    appendObject(scene);
    SceneObject& mesh = addObject(scene, KIND_MESH, "spinner");
    fillTrack(mesh.rotationTrack, {{0, {0, 0, 0}}, {2, {10, 0, 0}}, {4, {0, 20, 0}}, {6, {0, 0, 30}}}, 0);
    scene.frameCount = 64;
    struct Step {
        float elapsed;
        Vec3d rotation;
        Vec3d sum;
        const char* why;
    } steps[] = {
        {0, {0, 0, 0}, {0, 0, 0}, "rewound"},
        {1, {-5, 0, 0}, {0, 0, 0}, "half of the first increment, negated"},
        {5, {-25, 0, 0}, {10, 20, 0}, "keys 1 and 2 passed in one frame: both increments summed"},
        {6, {-10, -20, -30}, {10, 20, 30}, "segment 4..6 on top of the sum"},
        {9, {-10, -20, -30}, {10, 20, 30}, "past the last key nothing changes"},
        {0, {0, 0, 0}, {0, 0, 0}, "rewound again"},
    };
    for (const Step& s : steps) {
        playAt(scene, s.elapsed, 64);
        expectNear(mesh.rotation, s.rotation, s.why);
        expectNear(mesh.rotationSum, s.sum, s.why);
    }
}

TEST(AnimationTest, MeshWithOneKeyPerTrackNeverMoves) {
    Scene scene;
    appendObject(scene);
    SceneObject& mesh = addObject(scene, KIND_MESH, "still");
    fillTrack(mesh.positionTrack, {{0, {1, 2, 3}}}, 0);
    fillTrack(mesh.rotationTrack, {{0, {0, 0, 0}}}, 0);
    mesh.position = {1, 2, 3};
    mesh.rotation = {0, 0, 0};
    scene.frameCount = 64;
    for (float elapsed : {0.0f, 7.0f, 40.0f}) {
        playAt(scene, elapsed, 64);
        expectNear(mesh.position, {1, 2, 3}, "one position key");
        expectNear(mesh.rotation, {0, 0, 0}, "one rotation key");
    }
}

TEST(AnimationTest, MovingLightCarriesItsLightPosition) {
    Scene scene;
    appendObject(scene);
    SceneObject& moving = addObject(scene, KIND_LIGHT, "lamp");
    fillTrack(moving.positionTrack, {{0, {0, 0, 0}}, {8, {0, 8, -16}}}, 0);
    moving.light.lightPosition = {50, 50, 50};
    SceneObject& fixed = addObject(scene, KIND_LIGHT, "&sun");
    fillTrack(fixed.positionTrack, {{0, {9, 9, 9}}}, 0);
    fixed.position = {9, 9, 9};
    fixed.light.lightPosition = {4, 5, 6};
    scene.frameCount = 64;
    const std::pair<float, Vec3d> steps[] = {{2, {0, 2, -4}}, {8, {0, 8, -16}}, {12, {0, 8, -16}}};
    for (const auto& [elapsed, expected] : steps) {
        playAt(scene, elapsed, 64);
        expectNear(moving.light.lightPosition, expected, "moving light");
        expectNear(fixed.light.lightPosition, {4, 5, 6}, "light with one key");
    }
}

TEST(AnimationTest, KeysSharingAFrameLeaveNoNaNBehind) {
    Scene scene;
    appendObject(scene);
    SceneObject& jump = addObject(scene, KIND_MESH, "jump");
    fillTrack(jump.positionTrack, {{0, {0, 0, 0}}, {0, {10, 0, 0}}, {10, {20, 0, 0}}}, 0);
    SceneObject& twoAtZero = addObject(scene, KIND_LIGHT, "flash");
    fillTrack(twoAtZero.positionTrack, {{0, {0, 0, 0}}, {0, {0, 5, 0}}}, 0);
    fillTrack(twoAtZero.rotationTrack, {{0, {0, 0, 0}}, {0, {0, 30, 0}}}, 0);
    scene.frameCount = 64;
    const std::vector<std::pair<float, Vec3d>> jumpPath = {{0, {10, 0, 0}}, {5, {15, 0, 0}}, {9, {19, 0, 0}}};
    for (const auto& [elapsed, expected] : jumpPath) {
        playAt(scene, elapsed, 64);
        expectNear(jump.position, expected, "zero-length first segment");
        expectNear(twoAtZero.position, {0, 5, 0}, "both keys at frame 0");
        expectNear(twoAtZero.light.lightPosition, {0, 5, 0}, "both keys at frame 0");
        expectNear(twoAtZero.rotation, {0, -30, 0}, "both rotation keys at frame 0");
    }
}

TEST(AnimationTest, CursorsPastTheirTracksAreLeftAlone) {
    // Tracks shorter than their cursors (and cursors below 0) must not be read past.
    Scene scene;
    appendObject(scene);
    SceneObject& mesh = addObject(scene, KIND_MESH, "odd");
    fillTrack(mesh.positionTrack, {{0, {0, 0, 0}}, {10, {10, 0, 0}}}, 7);
    fillTrack(mesh.rotationTrack, {{0, {0, 0, 0}}, {10, {0, 10, 0}}}, -3);
    mesh.position = {3, 3, 3};
    mesh.positionTrack.keyCount = 5; // more keys claimed than stored
    scene.frameCount = 64;
    playAt(scene, 5, 64);
    expectNear(mesh.position, {3, 3, 3}, "cursor past the last key");
    expectNear(mesh.rotation, {0, -5, 0}, "a negative cursor reads as the first key");
}

} // namespace
} // namespace pelx
