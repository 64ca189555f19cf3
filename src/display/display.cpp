// The display window and its rendering context on top of the platform's window calls.
#include "display/display.h"

#include "platform/launch_options.h"
#include "platform/message.h"
#include "resources/app_icon.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace pelx {

namespace {

// The mode the display switches to once the window exists (the window system switches modes
// for a window). Written by setFullscreenMode, read by createDisplayWindow.
bool modeChangePending = false;
DisplayMode pendingMode;
// The screen lacks the chosen mode: the window covers the desktop at its own size instead.
// Written by setFullscreenMode, read by createDisplayWindow.
bool desktopFullscreenPending = false;
// Whether the window went full screen (either way), so closeDisplay takes it back.
bool modeChanged = false;
// Full screen, and the size every frame is drawn at then, whatever the screen's size. Written
// by createDisplayWindow, read by initRenderer.
bool fullscreenPicture = false;
int pictureWidth = 0;
int pictureHeight = 0;

} // namespace

void setFullscreenMode(int width, int height) {
    DisplayMode mode;
    if (!currentDisplayMode(&mode)) {
        showMessage("Could Not Enum Display Settings", "Error");
        return;
    }
    // Only the size changes: the desktop's colour depth and refresh rate are kept.
    mode.width = width;
    mode.height = height;
    if (!displayOffersMode(mode)) {
        // Many screens (laptop panels, virtual machines, remote desktops) offer only their own
        // size. The picture is then drawn at the chosen size and scaled onto the desktop.
        desktopFullscreenPending = true;
        return;
    }
    pendingMode = mode;
    modeChangePending = true;
}

PlatformWindow* createDisplayWindow(const char* title, int width, int height, bool fullscreen,
                                    void* instance) {
    registerWindowClass(DISPLAY_CLASS_NAME);
    modeChangePending = false;
    desktopFullscreenPending = false;
    fullscreenPicture = fullscreen;
    pictureWidth = width;
    pictureHeight = height;
    if (fullscreen) {
        setFullscreenMode(width, height);
        showCursor(false);
    }
    displayState.instance = instance;
    PlatformWindow* window = createWindow(title, 0, 0, width, height, fullscreen);
    if (!window) return nullptr;
    setWindowIcon(window, appIconRgba().data());
    if (modeChangePending) {
        modeChanged = enterFullscreen(window, pendingMode);
        // A mode the screen lists but then refuses is met like one it lacks.
        if (!modeChanged) desktopFullscreenPending = true;
    }
    if (desktopFullscreenPending) {
        modeChanged = enterDesktopFullscreen(window);
        if (!modeChanged) {
            showMessage("Display Mode Not Compatible", "Error");
            postQuit();
        }
    }
    return window;
}

bool choosePixelFormatForWindow(PlatformWindow* deviceContext) {
    if (windowPixelFormat(deviceContext) != PixelFormatStatus::Ok) {
        showMessage("ChoosePixelFormat failed", "Error");
        return false;
    }
    return true;
}

void createRenderContext(int width, int height) {
    displayState.deviceContext = displayState.window;
    if (!choosePixelFormatForWindow(displayState.deviceContext)) postQuit();
    displayState.renderContext = createGlContext(displayState.window);
    if (!makeCurrent(displayState.window, displayState.renderContext)) {
        // Nothing could be drawn, and every OpenGL call would go nowhere (GLU's crash).
        deleteGlContext(displayState.renderContext);
        displayState.renderContext = nullptr;
    }
    resizeViewport(width, height);
}

bool initRenderer(PlatformWindow* window) {
    displayState.window = window;
    int width = 0, height = 0;
    clientSize(window, &width, &height);
    // Full screen draws at the chosen size whatever the screen's size (on a screen without
    // that mode the corner is scaled up when presented), so every drawing step sees the same
    // viewport, aspect and client area on every screen.
    if (fullscreenPicture) {
        width = pictureWidth;
        height = pictureHeight;
    }
    displayState.clientRect = ClientRect{0, 0, width, height};
    createRenderContext(displayState.clientRect.right, displayState.clientRect.bottom);
    if (!displayState.renderContext) {
        showMessage("OpenGL context could not be created", "Error");
        return false;
    }

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    displayState.blendDepthMask = true;
    if (fullscreenPicture) setPictureSize(pictureWidth, pictureHeight);
    return true;
}

void resizeViewport(int width, int height) {
    // A size event can arrive before any context exists; there is nothing to set up then.
    if (!displayState.renderContext) return;
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(SHOW_FIELD_OF_VIEW, static_cast<double>(width) / static_cast<double>(height),
                   SHOW_NEAR_PLANE, SHOW_FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int displayWindowProc(PlatformWindow* window, const WindowEvent& event) {
    switch (event.kind) {
    case EventKind::Resize:
        if (!launchOptions.fullscreen) {
            resizeViewport(event.width, event.height);
            int width = 0, height = 0;
            clientSize(window, &width, &height);
            displayState.clientRect = ClientRect{0, 0, width, height};
        }
        return 0;
    case EventKind::Paint:
        return 0; // nothing to paint outside the frame loop
    case EventKind::Close:
        // The window stays and the show goes on; the frame loops ignore the quit request.
        postQuit();
        return 0;
    case EventKind::Quit:
    case EventKind::Other:
        return 0;
    }
    return 0;
}

void closeDisplay() {
    setPictureSize(0, 0);
    if (displayState.renderContext) {
        makeCurrent(nullptr, nullptr);
        deleteGlContext(displayState.renderContext);
        displayState.renderContext = nullptr;
    }
    displayState.deviceContext = nullptr;
    if (launchOptions.fullscreen) {
        if (modeChanged && displayState.window) leaveFullscreen(displayState.window);
        modeChanged = false;
        showCursor(true);
    }
    registerWindowClass(nullptr);
    postQuit();
}

} // namespace pelx
