// The asset set and the scene scripts run on small data in a temporary folder, with the show's
// own display and a virtual clock that moves on with every presented frame.
#include "lighting/lighting.h"
#include "platform/frame.h"
#include "platform/window.h"
#include "show_data.h"
#include "support/gl_test_support.h"
#include "timeline/asset_set.h"
#include "timeline/scene_scripts.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace pelx {
namespace {

// Runs the test body from a folder holding data/, with a virtual clock advancing stepMs per
// presented frame and every presented frame handed to onPresent.
class ShowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::openTestDisplay();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
    }
    void TearDown() override {
        releaseAssets();
        std::filesystem::current_path(previous);
    }

    test::TempDir dir;
    std::filesystem::path previous;
    test::TestClock clock{5000};
    test::MessageRecorder messages;
    uint32_t stepMs = 250;
    int presented = 0;
    std::function<void()> onPresent;
    ScopedEventsIgnored eventsIgnored{true};
    ScopedPresentHook presentHook{[this] {
        ++presented;
        if (onPresent) onPresent();
        clock.clock.advance(stepMs);
    }};
};

TEST_F(ShowTest, LoadingShowsTenFramesAndSetsEachScenesParameters) {
    test::writeShowData(dir.path, {"data/end.jpg"});
    std::vector<int> steps;
    loadAssets([&](int step) { steps.push_back(step); });

    EXPECT_EQ(presented, 10);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].first, "data/end.jpg");
    EXPECT_EQ(messages.messages[0].second, "-=(Status)=-");
    EXPECT_TRUE(glIsTexture(assets.showTextures[1])); // reported, but a name all the same

    struct Expected {
        const Scene* scene;
        float shadow, translucent;
        int emitters;
    };
    const Expected expected[] = {
        {assets.roadScene.get(), 0.1f, 0.4f, 1},   {assets.colonneScene.get(), 0.1f, 0.4f, 0},
        {assets.roomScene.get(), 0.1f, 0.4f, 1},   {assets.mirrorScene.get(), 0.1f, 0.4f, 0},
        {assets.tunnelScene.get(), 0.6f, 1.0f, 0}, {assets.discoScene.get(), 0.3f, 0.6f, 1},
    };
    for (const Expected& e : expected) {
        ASSERT_NE(e.scene, nullptr);
        EXPECT_EQ(e.scene->shadowFactor, e.shadow);
        EXPECT_EQ(e.scene->translucentShadowFactor, e.translucent);
        EXPECT_EQ(e.scene->emitterCount, e.emitters);
        EXPECT_EQ(e.scene->lightingMode, LIGHTING_SHADOWS);
        EXPECT_EQ(e.scene->cameraCount, 1);
    }
    EXPECT_EQ(assets.roadScene->emitters[0]->capacity, 50);
    EXPECT_EQ(assets.roomScene->emitters[0]->lifetime, 4.0f);
    EXPECT_EQ(assets.discoScene->emitters[0]->capacity, 100);
    EXPECT_EQ(assets.mirrorScene->mirrorCount, 1);
    EXPECT_EQ(assets.fireSystemA->capacity, 10000);
    EXPECT_EQ(assets.fireSystemB->rise, 80.0f);
    EXPECT_EQ(assets.fireSystemA->cameraPosition, (Vec3d{0, 0, 500}));
    EXPECT_EQ(assets.logoMask[41 * 320 + 131], 1);
}

// The loading picture on a 320 x 240 display: a 3 x 2 rectangle 4 units in front of the eye
// under a 45 degree view spans 60.4 percent of the height (rows 48 to 192 from the bottom) and
// 67.9 percent of the width (columns 52 to 268), upright.
TEST_F(ShowTest, LoadingPictureIsUprightAndCentred) {
    test::writeShowData(dir.path);
    std::vector<uint8_t> pixels(32 * 32 * 3, 0);
    for (int row = 0; row < 32; ++row)
        for (int column = 0; column < 32; ++column)
            pixels[size_t(row * 32 + column) * 3 + (row < 16 ? 0 : 2)] = 255; // red above blue
    ASSERT_TRUE(test::writeJpeg((dir.path / "data/load.jpg").string(), 32, 32, 3, pixels));

    enum Colour { Black, Red, Blue };
    struct Probe {
        int x, y;
        Colour colour;
    };
    const Probe probes[] = {
        {160, 170, Red},  {160, 186, Red}, {160, 203, Black}, {160, 70, Blue}, {160, 54, Blue},
        {160, 38, Black}, {60, 170, Red},  {40, 170, Black},  {260, 70, Blue}, {280, 70, Black},
    };
    auto check = [&](const char* what) {
        for (const Probe& p : probes) {
            const std::array<uint8_t, 3> rgb = test::readPixel(p.x, p.y);
            const bool red = rgb[0] > 200 && rgb[1] < 40 && rgb[2] < 40;
            const bool blue = rgb[2] > 200 && rgb[0] < 40 && rgb[1] < 40;
            const bool black = rgb[0] < 10 && rgb[1] < 10 && rgb[2] < 10;
            EXPECT_TRUE(p.colour == Red    ? red
                        : p.colour == Blue ? blue
                                           : black)
                << what << " at (" << p.x << ", " << p.y << "): " << int(rgb[0]) << " " << int(rgb[1]) << " "
                << int(rgb[2]);
        }
    };
    // Every loading frame, including those after scenes that set up mirrors and flares.
    int checkedFrames = 0;
    onPresent = [&] { check(("loading frame " + std::to_string(++checkedFrames)).c_str()); };
    loadAssets();
    EXPECT_EQ(checkedFrames, 10);

    // The same rectangle in half grey, as the end picture is halfway through its fade.
    onPresent = nullptr;
    clearFrame();
    drawShowPicture(assets.showTextures[0], 0.5);
    const std::array<uint8_t, 3> half = test::readPixel(160, 170);
    EXPECT_NEAR(half[0], 127, 6);
    EXPECT_LT(half[2], 20);
}

// Each script's length and shadow factors, played in show order with frames 7 s apart (no
// length is a multiple of 7, so a scene of L seconds shows floor(L / 7) + 1 frames).
TEST_F(ShowTest, ScriptsPlayTheirLengthsWithTheirFactors) {
    test::writeShowData(dir.path);
    loadAssets();
    stepMs = 7000;
    struct Script {
        void (*play)();
        const std::unique_ptr<Scene>* scene;
        float length, shadow, translucent;
        int frames;
    };
    const Script scripts[] = {
        {playRoadScene, &assets.roadScene, 67.0f, 0.1f, 0.4f, 10},
        {playColonneScene, &assets.colonneScene, 27.0f, 0.1f, 0.2f, 4},
        {playRoomScene, &assets.roomScene, 27.0f, 0.3f, 0.6f, 4},
        {playMirrorScene, &assets.mirrorScene, 27.0f, 0.7f, 0.7f, 4},
        {playTunnelScene, &assets.tunnelScene, 20.0f, 0.3f, 0.6f, 3},
        {playDiscoScene, &assets.discoScene, 115.0f, 0.3f, 0.6f, 17}, // the loaded factors, kept
    };
    for (const Script& script : scripts) {
        const int before = presented;
        script.play();
        const Scene& scene = **script.scene;
        EXPECT_EQ(sceneClock.duration, script.length) << script.length;
        EXPECT_EQ(presented - before, script.frames) << script.length;
        EXPECT_EQ(scene.shadowFactor, script.shadow) << script.length;
        EXPECT_EQ(scene.translucentShadowFactor, script.translucent) << script.length;
    }
    tintFlaresByLights = 0;
}

TEST_F(ShowTest, ColonneRaisesTheShadowTestOnlyWhileItPlays) {
    test::writeShowData(dir.path);
    loadAssets();
    stepMs = 1000;
    std::vector<int> modes;
    onPresent = [&] { modes.push_back(shadowTestMode); };
    playColonneScene();
    // Frames at 0, 1, ..., 26 s and, float seconds permitting, 27 s; all with the three-rectangle test.
    ASSERT_GE(modes.size(), 27u);
    ASSERT_LE(modes.size(), 28u);
    for (int mode : modes) EXPECT_EQ(mode, 2);
    EXPECT_EQ(shadowTestMode, 1);
    EXPECT_EQ(assets.colonneScene->translucentShadowFactor, 0.2f);
    modes.clear();
    playRoomScene();
    for (int mode : modes) EXPECT_EQ(mode, 1);
    EXPECT_EQ(assets.roomScene->shadowFactor, 0.3f);
}

TEST_F(ShowTest, RoadDrawsTheFireWithTheSameFramesCamera) {
    test::writeShowData(dir.path);
    loadAssets();
    stepMs = 500;
    int checked = 0;
    onPresent = [&] {
        const Scene& road = *assets.roadScene;
        const SceneObject& camera = *road.cameras[road.currentCamera];
        EXPECT_EQ(assets.fireSystemA->cameraPosition, camera.eye);
        EXPECT_EQ(assets.fireSystemB->cameraRotation, camera.rotation);
        ++checked;
    };
    playRoadScene();
    EXPECT_GE(checked, 134); // 0 .. 67 s every 0.5 s
    EXPECT_LE(checked, 135);
    // The square outline of the test mask has been walked: its start pixel is marked.
    int marked = 0;
    for (int i = 0; i < MASK_SIZE; ++i) marked += assets.logoMask[i] == 12;
    EXPECT_GT(marked, 0);
    EXPECT_EQ(assets.fireSystemA->count, marked);
}

TEST_F(ShowTest, DiscoDarkensItsLightsAndTintsItsFlares) {
    test::writeShowData(dir.path);
    loadAssets();
    stepMs = 5000;
    playDiscoScene();
    const Scene& disco = *assets.discoScene;
    EXPECT_EQ(disco.lightingMode, LIGHTING_EUCLIDEAN);
    EXPECT_EQ(tintFlaresByLights, 1);
    ASSERT_EQ(disco.lightCount, 6);
    // Frames 5 s apart are further apart than every interval: the strobe flashed on the last.
    EXPECT_EQ(disco.lights[5]->on, 1);
    EXPECT_EQ(disco.lights[4]->on, 0);
    EXPECT_EQ(disco.lights[3]->on, 0);
    EXPECT_EQ(disco.lights[2]->on, 0);
    EXPECT_EQ(disco.lights[1]->on, 1);
    tintFlaresByLights = 0;
}

// Without a disco scene file the scene is empty and black, so the centre pixel is the end
// picture alone: the grey 200 of the test's end.jpg times the fade, added over black.
TEST_F(ShowTest, EndPictureFadesInOverTheLastFifteenSeconds) {
    test::writeShowData(dir.path, {"data/disco.3ds"});
    loadAssets();
    stepMs = 2500;
    struct Sample {
        float t;
        int red;
    };
    std::vector<Sample> samples;
    onPresent = [&] {
        samples.push_back({sceneClock.elapsed, test::readPixel(160, 120)[0]});
        // The picture leaves the fixed state as it found it.
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << sceneClock.elapsed;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << sceneClock.elapsed;
    };
    playDiscoScene();

    const Sample expected[] = {{0.0f, 0},    {97.5f, 0},    {100.0f, 0},
                               {102.5f, 33}, {107.5f, 100}, {112.5f, 167}};
    for (const Sample& e : expected) {
        auto frame = std::find_if(samples.begin(), samples.end(),
                                  [&](const Sample& s) { return std::fabs(s.t - e.t) < 0.01f; });
        ASSERT_NE(frame, samples.end()) << "no frame at " << e.t;
        EXPECT_NEAR(frame->red, e.red, 4) << "t = " << e.t;
    }
}

} // namespace
} // namespace pelx
