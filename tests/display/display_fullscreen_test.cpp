// The display opened full screen, its own process: the window system's class and title, the
// borderless window drawing at the chosen size with its first viewport, the hidden cursor, a
// screen without the chosen mode (the test display offers only its own size), and what
// closeDisplay gives back.
#include "display/display.h"
#include "platform/launch_options.h"
#include "support/test_support.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

// Last: the X11 headers define macros (None, Bool) that clash with names in the headers above.
#include <SDL_syswm.h>
#include <X11/Xutil.h>

namespace pelx {
namespace {

// The quit requests waiting on the queue, taken off it (window events are dropped).
int takeQuitRequests() {
    int quits = 0;
    WindowEvent event;
    while (pollOneEvent(&event))
        if (event.kind == EventKind::Quit) ++quits;
    return quits;
}

TEST(DisplayFullscreen, OpensTheChosenSizeBorderlessAndGivesEverythingBackAtClose) {
    test::MessageRecorder recorder;
    launchOptions = LaunchOptions{};
    launchOptions.width = 1024;
    launchOptions.height = 768;
    ASSERT_TRUE(launchOptions.fullscreen);

    PlatformWindow* window = createDisplayWindow(DISPLAY_TITLE, 1024, 768, true, nullptr);
    ASSERT_NE(window, nullptr);
    SDL_Window* sdlWindow = reinterpret_cast<SDL_Window*>(window);

    // A size report before any context exists must do no harm.
    displayWindowProc(window, WindowEvent{EventKind::Resize, 10, 10});
    EXPECT_EQ(displayState.renderContext, nullptr);

    EXPECT_TRUE(initRenderer(window));
    ASSERT_NE(displayState.renderContext, nullptr);

    EXPECT_STREQ(SDL_GetWindowTitle(sdlWindow), "Pelx Engine - Demo");
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdlWindow, &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    XClassHint hint{};
    ASSERT_NE(XGetClassHint(info.info.x11.display, info.info.x11.window, &hint), 0);
    EXPECT_STREQ(hint.res_class, "Morrowvane");
    XFree(hint.res_name);
    XFree(hint.res_class);

    EXPECT_TRUE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_BORDERLESS);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    // Whether or not the display could switch to 1024 x 768, the drawing area is that size.
    EXPECT_EQ(displayState.clientRect.right, 1024);
    EXPECT_EQ(displayState.clientRect.bottom, 768);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5] / m[0], 1.3333, 1e-4);

    // Either the screen switches to the mode, or (the test display offers only its own size)
    // the window covers the screen at its own mode. Neither is a failure: no message, no quit
    // request.
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(takeQuitRequests(), 0);
    SDL_DisplayMode desktop{}, current{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
    if (displayOffersMode(DisplayMode{1024, 768, desktop.refresh_rate, desktop.format})) {
        EXPECT_EQ(current.w, 1024);
        EXPECT_EQ(current.h, 768);
    } else {
        EXPECT_EQ(current.w, desktop.w);
        EXPECT_EQ(current.h, desktop.h);
        EXPECT_EQ(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP,
                  SDL_WINDOW_FULLSCREEN_DESKTOP);
    }

    // In full screen a size report changes neither the viewport nor the client area.
    displayWindowProc(window, WindowEvent{EventKind::Resize, 640, 480});
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(displayState.clientRect.right, 1024);

    closeDisplay();
    EXPECT_EQ(displayState.renderContext, nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(takeQuitRequests(), 1);
    destroyWindow(window);
}

} // namespace
} // namespace pelx
