// Scene flares on screen: each kind's size and height at birth and half life, the light tint
// by pixels, and the state the pass leaves. The carrier's material is a white JPEG written in
// the test, loaded through the ordinary texture loader.
#include "effects/flare_emitters.h"
#include "effects/flare_scene.h"
#include "image/jpeg_writer.h"
#include "particles/particle_renderers.h"
#include "particles/screen_probe.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "support/gl_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelx {
namespace {

class FlareDrawTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::openTestDisplay(320, 240); }
    void SetUp() override {
        ASSERT_TRUE(
            test::writeJpeg(dir.file("white.jpg"), 16, 16, 3, std::vector<uint8_t>(16 * 16 * 3, 255)));
        stage(scene);
        displayState.blendDepthMask = true;
        test::setOrdinaryState();
    }
    void TearDown() override {
        tintFlaresByLights = 0;
        displayState.blendDepthMask = true;
    }

    // The scene's own object, a camera at the origin looking down -z and the white material.
    void stage(Scene& target) {
        test::addObject(target, "", KIND_NONE);
        test::addCamera(target, Vec3d{0, 0, 0}, Vec3d{0, 0, 0});
        test::setMaterial(target, 0, dir.file("white.jpg").c_str());
    }

    // Capacity 2 keeps one flare at a time; it lives 10 s, half-size 10, rise 20.
    void build() { buildFlareEmitters(scene, 2, 10.0f, 10, 10.0f, 20.0f); }

    // One frame of the flare pass at ms, read back.
    test::LitArea frameAt(uint32_t ms) {
        clock.clock.set(ms);
        clearFrame();
        drawFlareEmitters(scene);
        return test::measureLit();
    }

    test::TempDir dir;
    test::TestClock clock{1000};
    Scene scene;
};

TEST_F(FlareDrawTest, EachKindShrinksOrRisesAsItsNameSays) {
    const double k = test::pixelsPerUnitAt100();
    struct Case {
        const char* name;
        double halfLifeWidth;
        double halfLifeCentreY;
    };
    const Case cases[] = {
        {"*0", 20 * k, 120},          {"*1", 20 * k, 120 + 10 * k}, {"*2", 10 * k, 120},
        {"*3", 10 * k, 120 + 10 * k}, {"*k", 20 * k, 120}, // no kind digit: a plain flare
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene one;
        stage(one);
        // A kind-3 flare comes from the carrier's only vertex, not from its position.
        SceneObject& carrier = test::addObject(one, c.name, KIND_MESH, Vec3d{0, 0, -100});
        if (c.name[1] == '3') {
            carrier.position = Vec3d{0, 0, -400};
            carrier.vertices = {Vec3d{0, 0, -100}};
            carrier.vertexCount = 1;
        }
        buildFlareEmitters(one, 2, 10.0f, 10, 10.0f, 20.0f);

        clock.clock.set(1000);
        clearFrame();
        drawFlareEmitters(one); // starts the rate clock, nothing to draw yet
        EXPECT_EQ(test::measureLit().count, 0);

        clock.clock.set(2000);
        clearFrame();
        drawFlareEmitters(one); // born now: full size, white
        test::LitArea lit = test::measureLit();
        ASSERT_GT(lit.count, 0);
        EXPECT_NEAR(lit.width(), 20 * k, 1.5);
        EXPECT_NEAR(lit.centreY(), 120, 1.0);
        for (uint8_t channel : lit.centre) EXPECT_NEAR(channel, 255, 3);

        clock.clock.set(7000);
        clearFrame();
        drawFlareEmitters(one); // half its life
        lit = test::measureLit();
        ASSERT_GT(lit.count, 0);
        EXPECT_NEAR(lit.width(), c.halfLifeWidth, 1.5);
        EXPECT_NEAR(lit.height(), c.halfLifeWidth, 1.5);
        EXPECT_NEAR(lit.centreX(), 160, 1.0);
        EXPECT_NEAR(lit.centreY(), c.halfLifeCentreY, 1.0);
        for (uint8_t channel : lit.centre) EXPECT_NEAR(channel, 128, 3);
    }
}

TEST_F(FlareDrawTest, LightsTintFlaresWithinTheirRangeInsteadOfTheFade) {
    struct Case {
        const char* name;
        const char* carrier;
        std::vector<test::LightEntry> lights;
        bool lit;
        std::array<int, 3> centre;
    };
    const Vec3d flare{0, 0, -100};
    const Vec3f amber{0.8f, 0.5f, 0.2f};
    const Vec3f green{0.6f, 0.7f, 0.1f};
    const Case cases[] = {
        {"beyond every light's range",
         "*0",
         {{{0, 0, 0}, amber, 50, 1}, {{0, 80, -100}, green, 60, 1}},
         false,
         {}},
        {"at a light: its full colour", "*0", {{flare, amber, 50, 1}}, true, {204, 128, 51}},
        {"two lights clamp per channel",
         "*0",
         {{flare, amber, 50, 1}, {flare, green, 50, 1}},
         true,
         {255, 255, 77}},
        {"a switched-off light adds nothing",
         "*0",
         {{flare, amber, 50, 1}, {flare, green, 50, 0}},
         true,
         {204, 128, 51}},
        {"a light without range adds nothing",
         "*0",
         {{flare, amber, 50, 1}, {flare, green, 0, 1}},
         true,
         {204, 128, 51}},
        // Drawn 10 units higher at half life, but tinted where it was born.
        {"tint taken before the rise", "*1", {{flare, amber, 5, 1}}, true, {204, 128, 51}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene lit;
        stage(lit);
        test::addObject(lit, c.carrier, KIND_MESH, flare);
        test::addLights(lit, c.lights);
        buildFlareEmitters(lit, 2, 10.0f, 10, 10.0f, 20.0f);
        tintFlaresByLights = 1;
        for (uint32_t ms : {1000u, 2000u, 7000u}) { // the last frame at half life, where a fade would be 0.5
            clock.clock.set(ms);
            clearFrame();
            drawFlareEmitters(lit);
        }
        const test::LitArea area = test::measureLit();
        ASSERT_EQ(area.count > 0, c.lit);
        if (!c.lit) continue;
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(area.centre[i], c.centre[i], 3) << "channel " << i;
    }
}

TEST_F(FlareDrawTest, PassLeavesBlendingOffDepthRestoredAndTheColourWhite) {
    test::addObject(scene, "*0", KIND_MESH, Vec3d{0, 0, -100});
    build();
    for (bool depthMask : {true, false}) {
        SCOPED_TRACE(depthMask);
        displayState.blendDepthMask = depthMask;
        test::setOrdinaryState();
        frameAt(2000);
        test::expectPassStateRestored();
    }
    EXPECT_EQ(scene.current, &scene);
}

TEST_F(FlareDrawTest, FlaresAreDepthTestedAgainstTheScene) {
    test::addObject(scene, "*0", KIND_MESH, Vec3d{0, 0, -100});
    build();
    frameAt(1000);
    clock.clock.set(2000);
    clearFrame();
    test::drawOpaqueSquare(-50, 2, 0.25f); // nearer than the flare, 12 pixels each side
    drawFlareEmitters(scene);
    for (uint8_t channel : test::readPixel(160, 120)) EXPECT_NEAR(channel, 64, 2);
    for (uint8_t channel : test::readPixel(180, 120)) EXPECT_NEAR(channel, 255, 3);
}

// A sprite left out as outside the view lights no pixel when drawn: squares on a grid round a
// level and a turned camera, past every side of the view, each drawn alone and read back.
TEST_F(FlareDrawTest, OnlySpritesThatLightNothingAreLeftOut) {
    test::addObject(scene, "*0", KIND_MESH, Vec3d{0, 0, -100});
    build();
    ParticleSystem& system = *scene.emitters[0];
    system.cameraPosition = Vec3d{3, -2, 1};
    const ViewVolume view = readViewVolume();
    for (Vec3d turn : {Vec3d{0, 0, 0}, Vec3d{15, -30, 10}}) {
        system.cameraRotation = turn;
        int left = 0;
        for (double z : {40.0, 8.0, -0.9, -12.0, -90.0, -300.0})
            for (double x = -160; x <= 160; x += 8)
                for (double y = -120; y <= 120; y += 12) {
                    if (spriteMayShow(view, system, x, y, z, 6)) continue;
                    ++left;
                    clearFrame();
                    drawParticleSprite(system, x, y, z, 6, Vec3f{1, 1, 1});
                    ASSERT_EQ(test::measureLit(0).count, 0) << turn.y << ": " << x << ", " << y << ", " << z;
                }
        EXPECT_GT(left, 2000);
    }
}

} // namespace
} // namespace pelx
