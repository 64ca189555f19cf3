#include "display/display.h"
#include "platform/launch_options.h"
#include "support/gl_test_support.h"
#include "timeline/scene_clock.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace pelx {
namespace {

struct Projection {
    GLint viewport[4];
    double aspect; // recovered from the perspective matrix: m[5] / m[0]
    double fovYDegrees;
};

Projection currentProjection() {
    Projection p{};
    glGetIntegerv(GL_VIEWPORT, p.viewport);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    p.aspect = m[5] / m[0];
    p.fovYDegrees = 2.0 * std::atan(1.0 / m[5]) * 180.0 / std::numbers::pi;
    return p;
}

class DisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::openTestDisplay(320, 240);
        savedFullscreen = launchOptions.fullscreen;
    }
    void TearDown() override {
        launchOptions.fullscreen = savedFullscreen;
        resizeViewport(320, 240);
    }
    bool savedFullscreen = false;
};

TEST_F(DisplayTest, InitialStateIsTheShowsFixedState) {
    resizeViewport(320, 240);
    Projection p = currentProjection();
    EXPECT_EQ(p.viewport[2], 320);
    EXPECT_EQ(p.viewport[3], 240);
    EXPECT_NEAR(p.aspect, 320.0 / 240.0, 1e-6); // the matrix is kept in floats
    EXPECT_NEAR(p.fovYDegrees, 45.0, 1e-4);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLint depthFunc = 0, shade = 0, matrixMode = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(shade, GL_SMOOTH);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    EXPECT_TRUE(displayState.blendDepthMask);
    EXPECT_EQ(displayState.clientRect.right, 320);
    EXPECT_EQ(displayState.clientRect.bottom, 240);
}

TEST_F(DisplayTest, NearAndFarPlanes) {
    resizeViewport(320, 240);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    // For gluPerspective: m[10] = (f + n) / (n - f), m[14] = 2 f n / (n - f).
    double n = 0.5, f = 4000.0;
    EXPECT_NEAR(m[10], (f + n) / (n - f), 1e-6);
    EXPECT_NEAR(m[14], 2 * f * n / (n - f), 1e-6);
}

TEST_F(DisplayTest, WindowedResizeToHeightZeroUsesHeightOne) {
    launchOptions.fullscreen = false;
    displayWindowProc(displayState.window, WindowEvent{EventKind::Resize, 300, 0});
    Projection p = currentProjection();
    EXPECT_EQ(p.viewport[2], 300);
    EXPECT_EQ(p.viewport[3], 1);
    EXPECT_NEAR(p.aspect, 300.0, 1e-4);
}

TEST_F(DisplayTest, FullscreenResizeChangesNothing) {
    launchOptions.fullscreen = false;
    displayWindowProc(displayState.window, WindowEvent{EventKind::Resize, 320, 240});
    ClientRect before = displayState.clientRect;
    launchOptions.fullscreen = true;
    displayWindowProc(displayState.window, WindowEvent{EventKind::Resize, 100, 50});
    Projection p = currentProjection();
    EXPECT_EQ(p.viewport[2], 320);
    EXPECT_EQ(p.viewport[3], 240);
    EXPECT_EQ(displayState.clientRect.right, before.right);
    EXPECT_EQ(displayState.clientRect.bottom, before.bottom);
}

TEST_F(DisplayTest, CloseRequestLeavesTheWindowAndTheSceneRunning) {
    test::TestClock clock(10000);
    discardEvents();
    int presented = 0;
    ScopedPresentHook hook([&] { ++presented; });
    pushEvent(WindowEvent{EventKind::Close, 0, 0});

    beginScene(1.0f);
    int frames = 0;
    while (tick()) {
        clearFrame();
        pumpOrPresent();
        ++frames;
        clock.clock.advance(100);
    }
    // Frames at 0.0 .. 0.9 s (at 1.0 s the float seconds land a hair past the end); the close
    // request and the quit request it posts each cost one presentation, and the scene still
    // ran its whole length.
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(presented, 8);
    EXPECT_EQ(displayState.window, displayState.deviceContext);
    EXPECT_NE(displayState.window, nullptr);
}

} // namespace
} // namespace pelx
