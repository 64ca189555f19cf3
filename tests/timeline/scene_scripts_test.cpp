#include "timeline/scene_scripts.h"

#include <gtest/gtest.h>
#include <vector>

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
        bool strobe;              // L - 1 after the frame
        bool wash2, wash3, wash4; // L - 2, L - 3, L - 4
        float lastFlash;
    };
    // One run through the scene; each row is one frame in order. Flashes fall on the first frame
    // at or after each beat of the phase's grid, and lastFlash holds the beat.
    const Frame frames[] = {
        {0.0f, false, true, true, true, 0.0f},
        {24.99f, false, true, true, true, 0.0f},
        {25.0f, true, false, true, true, 25.0f},  // phase 1 begins; the first frame always flashes
        {25.3f, false, false, true, true, 25.0f}, // no beat since 25.0
        {25.65f, true, false, true, true, 25.6f}, // the beat at 25.6, not 25.65 + 0.6 next
        {26.0f, false, false, true, true, 25.6f},
        {26.2f, true, false, true, true, 26.2f},  // on the beat, 0.55 s after the last flash
        {27.0f, true, false, true, true, 26.8f},  // frames further apart than the interval
        {28.0f, true, false, true, true, 28.0f},  // flash every frame: the strobe stays lit
        {55.0f, true, false, false, true, 55.0f}, // phase 2 at exactly 55
        {55.3f, false, false, false, true, 55.0f},
        {55.45f, true, false, false, true, 55.4f},
        {85.0f, true, false, false, false, 85.0f}, // phase 3 at exactly 85
        {85.1f, false, false, false, false, 85.0f},
        {85.25f, true, false, false, false, 85.2f},
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

// Frames at whole milliseconds of scene time, from 20 s to the end of the scene.
std::vector<long> framesAtRate(int fps) {
    std::vector<long> ms;
    for (long n = 20L * fps; n * 1000 <= 115000L * fps; ++n) ms.push_back((n * 1000 + fps / 2) / fps);
    return ms;
}

std::vector<long> jitteredFrames(unsigned seed) {
    std::vector<long> ms{20000};
    // Intervals from 1 ms to a quarter second, so some frames pass several beats of the last phase.
    while (ms.back() < 115000) {
        seed = seed * 1103515245u + 12345u;
        ms.push_back(ms.back() + 1 + static_cast<long>((seed >> 8) % 250));
    }
    return ms;
}

TEST(DiscoStrobeTest, OneFlashOnTheFirstFrameAtOrAfterEachBeat) {
    // The beats, listed from the phase table: every 0.6 s from 25 s, 0.4 s from 55 s, 0.2 s from 85 s.
    std::vector<long> beats;
    for (long b = 25000; b < 55000; b += 600) beats.push_back(b);
    for (long b = 55000; b < 85000; b += 400) beats.push_back(b);
    for (long b = 85000; b <= 115000; b += 200) beats.push_back(b);
    // A beat is reached by a frame less than a millisecond before it (the clock counts whole
    // milliseconds), except the first, which waits for the strobe to begin at 25 s.
    auto reached = [](long beat, long ms) { return ms >= (beat == 25000 ? beat : beat - 1); };
    struct Case {
        const char* what;
        std::vector<long> frames;
    };
    const Case cases[] = {{"24 fps", framesAtRate(24)},    {"30 fps", framesAtRate(30)},
                          {"60 fps", framesAtRate(60)},    {"144 fps", framesAtRate(144)},
                          {"jittered", jitteredFrames(7)}, {"jittered", jitteredFrames(99)}};
    for (const Case& c : cases) {
        DiscoLights lights;
        float lastFlash = 0;
        size_t nextBeat = 0;
        for (long ms : c.frames) {
            discoStrobe(lights.scene, static_cast<float>(ms / 1000.0), lastFlash);
            bool due = false;
            while (nextBeat < beats.size() && reached(beats[nextBeat], ms)) {
                due = true;
                ++nextBeat;
            }
            // A flash exactly where a beat was reached: one per beat, or one for several a frame passes.
            EXPECT_EQ(lights.on(1), due) << c.what << " at " << ms << " ms";
        }
        EXPECT_EQ(nextBeat, beats.size()) << c.what;
    }
}

TEST(EndPictureTest, FadesInOverTheLastFifteenSeconds) {
    EXPECT_LT(endPictureGrey(99.99f), 0.0);
    EXPECT_EQ(endPictureGrey(100.0f), 0.0);
    EXPECT_DOUBLE_EQ(endPictureGrey(107.5f), 0.5);
    EXPECT_DOUBLE_EQ(endPictureGrey(115.0f), 1.0);
}

} // namespace
} // namespace pelx
