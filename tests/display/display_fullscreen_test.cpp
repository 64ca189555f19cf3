// The display opened full screen, its own process: the window system's class and title, the
// borderless window of the chosen size with its first viewport, the hidden cursor, the answer to
// a mode the display may refuse, and what closeDisplay gives back.
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

// The quit requests waiting on the queue, taken off it.
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

    // A display that refuses the mode says so once and posts a quit request; the show goes on
    // in the borderless window.
    const int quits = takeQuitRequests();
    if (recorder.messages.empty()) {
        EXPECT_EQ(quits, 0);
    } else {
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].first, "Display Mode Not Compatible");
        EXPECT_EQ(recorder.messages[0].second, "Error");
        EXPECT_EQ(quits, 1);
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
