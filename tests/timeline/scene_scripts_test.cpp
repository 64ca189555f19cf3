#include "timeline/scene_scripts.h"

#include <gtest/gtest.h>

namespace pelx {
namespace {

// A disco scene of six lights, all on: L - 1 is the strobe, L - 2 .. L - 4 the washes.
struct DiscoLights {
    DiscoLights() {
        for (int i = 0; i < 6; ++i) {
            records[i].on = 1;
            scene.lights[i] = &records[i];
        }
        scene.lightCount = 6;
        scene.lights[5]->on = 0; // the script switches the strobe off before the first frame
    }
    bool on(int fromEnd) const { return scene.lights[6 - fromEnd]->on != 0; }
    Scene scene;
    SceneLight records[6];
};

TEST(DiscoStrobeTest, PhasesFlashesAndDarkenedLights) {
    struct Frame {
        float t;
        bool strobe;     // L - 1 after the frame
        bool wash2, wash3, wash4; // L - 2, L - 3, L - 4
        float lastFlash;
    };
    // One run through the scene; each row is one frame in order.
    const Frame frames[] = {
        {0.0f, false, true, true, true, 0.0f},
        {24.99f, false, true, true, true, 0.0f},
        {25.0f, true, false, true, true, 25.0f},   // phase 1 begins; the first frame always flashes
        {25.3f, false, false, true, true, 25.0f},  // 0.3 s < 0.6 s
        {25.65f, true, false, true, true, 25.65f}, // 0.65 s >= 0.6 s
        {26.0f, false, false, true, true, 25.65f},
        {27.0f, true, false, true, true, 27.0f},   // frames further apart than the interval
        {28.0f, true, false, true, true, 28.0f},   // flash every frame: the strobe stays lit
        {55.0f, true, false, false, true, 55.0f},  // phase 2 at exactly 55
        {55.3f, false, false, false, true, 55.0f}, // 0.3 < 0.4
        {55.45f, true, false, false, true, 55.45f},
        {85.0f, true, false, false, false, 85.0f}, // phase 3 at exactly 85
        {85.1f, false, false, false, false, 85.0f},
        {85.25f, true, false, false, false, 85.25f},
        {114.0f, true, false, false, false, 114.0f},
    };
    DiscoLights lights;
    float lastFlash = 0;
    for (const Frame& f : frames) {
        discoStrobe(lights.scene, f.t, lastFlash);
        EXPECT_EQ(lights.on(1), f.strobe) << "t = " << f.t;
        EXPECT_EQ(lights.on(2), f.wash2) << "t = " << f.t;
        EXPECT_EQ(lights.on(3), f.wash3) << "t = " << f.t;
        EXPECT_EQ(lights.on(4), f.wash4) << "t = " << f.t;
        EXPECT_EQ(lastFlash, f.lastFlash) << "t = " << f.t;
        // The first two lights are not the strobe's business.
        EXPECT_TRUE(lights.scene.lights[0]->on && lights.scene.lights[1]->on) << "t = " << f.t;
    }
}

TEST(DiscoStrobeTest, FewerLightsThanTheStrobeNeedsAreLeftAlone) {
    Scene scene;
    SceneLight only;
    only.on = 1;
    scene.lights[0] = &only;
    scene.lightCount = 1;
    float lastFlash = 0;
    discoStrobe(scene, 90.0f, lastFlash); // phase 3 would darken L - 4, which does not exist
    EXPECT_EQ(only.on, 1);                // the strobe itself flashes
    EXPECT_EQ(lastFlash, 90.0f);
    Scene empty;
    discoStrobe(empty, 30.0f, lastFlash);
    EXPECT_EQ(empty.lightCount, 0);
}

TEST(EndPictureTest, FadesInOverTheLastFifteenSeconds) {
    EXPECT_LT(endPictureGrey(99.99f), 0.0);
    EXPECT_EQ(endPictureGrey(100.0f), 0.0);
    EXPECT_DOUBLE_EQ(endPictureGrey(107.5f), 0.5);
    EXPECT_DOUBLE_EQ(endPictureGrey(115.0f), 1.0);
}

} // namespace
} // namespace pelx
