// The show's display: window, optional full-screen mode, OpenGL context, projection and the
// fixed drawing state; the window's event handling; and the teardown.
//
// Layer display: window, mode switch, context, projection, window events. May use render and
// the layers below (it needs only platform).
#pragma once

#include "platform/display_state.h"
#include "platform/window.h"

namespace pelx {

// Window class and title of the display window.
inline constexpr const char* DISPLAY_CLASS_NAME = "Morrowvane";
inline constexpr const char* DISPLAY_TITLE = "Pelx Engine - Demo";

// Opens the window (switching the display first when fullscreen). nullptr when no window
// can be made.
PlatformWindow* createDisplayWindow(const char* title, int width, int height, bool fullscreen,
                                    void* instance);
// Reads the desired mode's base from the desktop and checks that the display offers it; where
// it does not, the window will cover the desktop at its own size and frames are scaled onto it.
void setFullscreenMode(int width, int height);
// Context, pixel format, projection and fixed OpenGL state. False, after an "Error" box, only
// when no OpenGL context can be made current: nothing could be drawn.
bool initRenderer(PlatformWindow* window);
void createRenderContext(int width, int height);
bool choosePixelFormatForWindow(PlatformWindow* deviceContext);
// The show's projection: the vertical field of view in degrees and the near and far planes.
// The viewer's free camera starts from the same.
inline constexpr double SHOW_FIELD_OF_VIEW = 45.0;
inline constexpr double SHOW_NEAR_PLANE = 0.5;
inline constexpr double SHOW_FAR_PLANE = 4000.0;

// Viewport and the show's projection for a drawing area of this size.
void resizeViewport(int width, int height);
// Handles one window event; returns the event's result (0 for the events the show handles).
int displayWindowProc(PlatformWindow* window, const WindowEvent& event);
void closeDisplay();

} // namespace pelx
