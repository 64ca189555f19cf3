// The four renderers on screen: size, brightness and height of a sprite at birth and half
// life, the camera transform, depth handling and the state left after every pass. Pixels are
// read back from a 320 x 240 display; a unit square 100 units ahead spans 2.9 pixels.
#include "particles/particle_renderers.h"
#include "particles/screen_probe.h"
#include "platform/display_state.h"
#include "platform/frame.h"
#include "support/gl_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace pelx {
namespace {

using Renderer = void (*)(const ParticleSystem&);

struct NamedRenderer {
    const char* name;
    Renderer draw;
    bool shrinks;
    bool rises;
};

const NamedRenderer RENDERERS[] = {
    {"drawPlain", drawPlain, false, false},
    {"drawRising", drawRising, false, true},
    {"drawShrinking", drawShrinking, true, false},
    {"drawShrinkingRising", drawShrinkingRising, true, true},
};

class ParticleRendererTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        test::openTestDisplay(320, 240);
        white = test::makeWhiteTexture();
    }
    void SetUp() override {
        displayState.blendDepthMask = true;
        test::setOrdinaryState();
        clearFrame();
    }
    void TearDown() override { displayState.blendDepthMask = true; }

    // Lifetime 2 s, half-size 10, rise 20; the sprite texture is plain white.
    ParticleSystem makeSystem() {
        RecordingTextureBackend recording; // nothing to load from disk
        ScopedTextureBackend installed(&recording);
        ParticleSystem system(10, "sprite.jpg", 2.0f, 10, 10.0f, 20.0f);
        system.texture = white;
        return system;
    }

    static GLuint white;
    test::TestClock clock{1000};
};

GLuint ParticleRendererTest::white = 0;

TEST_F(ParticleRendererTest, SpriteSizeBrightnessAndHeightFollowTheParticlesAge) {
    const double k = test::pixelsPerUnitAt100(); // 2.897
    for (const NamedRenderer& r : RENDERERS) {
        SCOPED_TRACE(r.name);
        struct Age {
            uint32_t ms;
            double width;   // pixels
            double centreY; // pixels from the bottom
            int grey;
        };
        const Age ages[] = {
            {1000, 20 * k, 120, 255},                                             // birth
            {2000, (r.shrinks ? 10 : 20) * k, 120 + (r.rises ? 10 * k : 0), 128}, // half life
        };
        for (const Age& a : ages) {
            SCOPED_TRACE(a.ms);
            clock.clock.set(1000);
            ParticleSystem system = makeSystem();
            system.emitAt(Vec3d{0, 0, -100});
            clock.clock.set(a.ms);
            clearFrame();
            r.draw(system);
            const test::LitArea lit = test::measureLit();
            ASSERT_GT(lit.count, 0);
            EXPECT_NEAR(lit.width(), a.width, 1.5);
            EXPECT_NEAR(lit.height(), a.width, 1.5);
            EXPECT_NEAR(lit.centreX(), 160, 1.0);
            EXPECT_NEAR(lit.centreY(), a.centreY, 1.0);
            for (uint8_t channel : lit.centre) EXPECT_NEAR(channel, a.grey, 2);
        }
    }
}

TEST_F(ParticleRendererTest, ParticlePastItsDeathAddsNothing) {
    for (const NamedRenderer& r : RENDERERS) {
        SCOPED_TRACE(r.name);
        clock.clock.set(1000);
        ParticleSystem system = makeSystem();
        system.emitAt(Vec3d{0, 0, -100});
        clock.clock.set(4000); // a full life after its death
        clearFrame();
        r.draw(system);
        EXPECT_EQ(test::measureLit().count, 0);
    }
}

TEST_F(ParticleRendererTest, SpritesSitInTheCamerasViewOfTheWorld) {
    const double k = test::pixelsPerUnitAt100();
    struct Pose {
        const char* name;
        Vec3d eye, rotation, particle;
        double centreX;
        bool fullSquare; // false: the square is turned edge-on to the viewer
    };
    const Pose poses[] = {
        {"straight ahead", {0, 0, 0}, {0, 0, 0}, {0, 0, -100}, 160, true},
        {"moved camera", {50, 20, 5}, {0, 0, 0}, {50, 20, -95}, 160, true},
        {"ten units right", {0, 0, 0}, {0, 0, 0}, {10, 0, -100}, 160 + 10 * k, true},
        {"turned about y", {0, 0, 0}, {0, 90, 0}, {100, 0, 0}, 160, true},
        {"turned about x", {0, 0, 0}, {90, 0, 0}, {0, -100, 0}, 160, true},
        // The turn back repeats the x, y, z order instead of reversing it, so with two angles the
        // square is not facing the viewer: after 90 degrees about x and y it lies edge-on.
        {"turned about x and y", {0, 0, 0}, {90, 90, 0}, {0, -100, 0}, 160, false},
    };
    for (const Pose& p : poses) {
        SCOPED_TRACE(p.name);
        ParticleSystem system = makeSystem();
        system.cameraPosition = p.eye;
        system.cameraRotation = p.rotation;
        system.emitAt(p.particle);
        clearFrame();
        drawPlain(system);
        const test::LitArea lit = test::measureLit();
        if (p.fullSquare) {
            ASSERT_GT(lit.count, 0);
            EXPECT_NEAR(lit.width(), 20 * k, 1.5);
            EXPECT_NEAR(lit.height(), 20 * k, 1.5);
            EXPECT_NEAR(lit.centreX(), p.centreX, 1.0);
            EXPECT_NEAR(lit.centreY(), 120, 1.0);
        } else {
            EXPECT_LT(lit.count, 120); // at most a line, against 3,300 pixels facing the viewer
        }
    }
}

TEST_F(ParticleRendererTest, CameraTurnsAboutXThenYThenZ) {
    // Each particle lies 100 units down the view axis of a camera at the origin turned by
    // these angles, worked out by hand: it is drawn at the centre of the screen. Taking the
    // turns in another order puts it tens of pixels away. With several angles the sprite is
    // tilted a little, so only its centre and its rough area are judged.
    struct Turn {
        Vec3d rotation;
        Vec3d particle;
    };
    const Turn turns[] = {
        {{30, 30, 0}, {43.30127, -50, -75}},              // (25 sqrt 3, -50, -75)
        {{-25, 35, 20}, {63.30308, 21.93366, -74.24039}}, // turned z, y, x: 33 pixels right, 24 low
    };
    for (const Turn& t : turns) {
        SCOPED_TRACE(testing::Message() << t.rotation.x << ", " << t.rotation.y << ", " << t.rotation.z);
        ParticleSystem system = makeSystem();
        system.cameraRotation = t.rotation;
        system.emitAt(t.particle);
        clearFrame();
        drawPlain(system);
        const test::LitArea lit = test::measureLit();
        EXPECT_GT(lit.count, 2500); // a facing square covers 3,360 pixels
        EXPECT_NEAR(lit.centreX(), 160, 1.5);
        EXPECT_NEAR(lit.centreY(), 120, 1.5);
    }
}

// A 2 x 2 picture with a different colour in each corner: first row red, green; second row
// blue, white. Sampled without filtering so each quarter of a sprite shows one colour.
GLuint makeCornerTexture() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const uint8_t texels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return id;
}

TEST_F(ParticleRendererTest, SpriteShowsItsPictureUprightWhereverTheCameraRolls) {
    // The picture's first row is at the top of the square. A roll about the view axis moves
    // the particle around the centre of the screen, but the sprite is turned back and stays
    // upright. The particle is 10 units right of the view axis, 100 units ahead.
    const double k = test::pixelsPerUnitAt100();
    struct Roll {
        double degrees;
        double centreX, centreY;
    };
    const Roll rolls[] = {
        {0, 160 + 10 * k, 120},
        {90, 160, 120 + 10 * k},
        {-90, 160, 120 - 10 * k},
        {180, 160 - 10 * k, 120},
    };
    const GLuint corners = makeCornerTexture();
    for (const Roll& r : rolls) {
        SCOPED_TRACE(r.degrees);
        ParticleSystem system = makeSystem();
        system.texture = corners;
        system.cameraRotation = Vec3d{0, 0, r.degrees};
        system.emitAt(Vec3d{10, 0, -100});
        clearFrame();
        drawPlain(system);
        const test::LitArea lit = test::measureLit();
        ASSERT_GT(lit.count, 0);
        EXPECT_NEAR(lit.centreX(), r.centreX, 1.0);
        EXPECT_NEAR(lit.centreY(), r.centreY, 1.0);
        // The middle of each quarter, 5 units (14.5 pixels) from the sprite's centre.
        const int cx = int(lit.centreX()), cy = int(lit.centreY()), q = int(5 * k);
        EXPECT_EQ(test::readPixel(cx - q, cy + q), (std::array<uint8_t, 3>{255, 0, 0})) << "top left";
        EXPECT_EQ(test::readPixel(cx + q, cy + q), (std::array<uint8_t, 3>{0, 255, 0})) << "top right";
        EXPECT_EQ(test::readPixel(cx - q, cy - q), (std::array<uint8_t, 3>{0, 0, 255})) << "bottom left";
        EXPECT_EQ(test::readPixel(cx + q, cy - q), (std::array<uint8_t, 3>{255, 255, 255})) << "bottom right";
    }
    glDeleteTextures(1, &corners);
}

TEST_F(ParticleRendererTest, EveryPassLeavesBlendingOffAndTheColourWhite) {
    for (bool depthMask : {true, false}) {
        for (const NamedRenderer& r : RENDERERS) {
            for (int particles : {0, 3}) {
                SCOPED_TRACE(testing::Message() << r.name << ", blendDepthMask " << depthMask << ", "
                                                << particles << " particles");
                displayState.blendDepthMask = depthMask;
                ParticleSystem system = makeSystem();
                for (int i = 0; i < particles; ++i) system.emitAt(Vec3d{double(i), 0, -100});
                test::setOrdinaryState();
                r.draw(system);
                // The additive factors are set even with nothing to draw.
                test::expectPassStateRestored();
            }
        }
    }
}

TEST_F(ParticleRendererTest, DepthIsTestedButNotWrittenUnlessTheFlagIsClear) {
    struct Case {
        bool blendDepthMask;
        bool opaqueFirst; // the grey square 50 units ahead is drawn before the particle
        int centre;       // expected brightness at the centre
    };
    const Case cases[] = {
        {true, true, 64},   // the nearer square hides the particle
        {false, true, 255}, // drawn over it regardless: 64 + 255, saturated
        {true, false, 64},  // the particle left no depth, so a square drawn later still covers it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "blendDepthMask " << c.blendDepthMask << ", opaque first " << c.opaqueFirst);
        displayState.blendDepthMask = c.blendDepthMask;
        ParticleSystem system = makeSystem();
        system.emitAt(Vec3d{0, 0, -100});
        clearFrame();
        test::setOrdinaryState();
        if (c.opaqueFirst) {
            test::drawOpaqueSquare(-50, 2, 0.25f); // 12 pixels each side of the centre
            drawPlain(system);
        } else {
            drawPlain(system);
            test::drawOpaqueSquare(-150, 30, 0.25f); // covers the whole sprite
        }
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        const std::array<uint8_t, 3> centre = test::readPixel(160, 120);
        for (uint8_t channel : centre) EXPECT_NEAR(channel, c.centre, 2);
        // Outside the grey square, the particle alone.
        for (uint8_t channel : test::readPixel(160 + 20, 120))
            EXPECT_NEAR(channel, c.opaqueFirst ? 255 : 64, 2);
    }
}

} // namespace
} // namespace pelx
