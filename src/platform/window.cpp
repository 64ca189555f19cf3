// SDL2 behind the window calls of window.h.
#include "platform/window.h"

#include "platform/scaled_picture.h"

#include <SDL.h>
#include <cstdlib>

namespace pelx {

namespace {

// Our own quit request, kept apart from SDL_QUIT, which the window system sends on a close
// request and which the show answers with exactly this request.
Uint32 quitEventType = 0;
// Written by setPresentHook (capture tool); read by presentWindow.
std::function<void()> presentHook;
// Written by setPresentSkipped (capture tool); read by presentWindow.
bool presentSkipped = false;
// Written by setEventsIgnored (capture tool); read by pollOneEvent.
bool eventsIgnored = false;
// The full-screen picture's size. Written by setPictureSize (display); read by presentWindow.
int pictureWidth = 0;
int pictureHeight = 0;

SDL_Window* sdl(PlatformWindow* window) {
    return reinterpret_cast<SDL_Window*>(window);
}

int keyCode(SDL_Keycode key) {
    switch (key) {
    case SDLK_LEFT:
        return KEY_LEFT;
    case SDLK_RIGHT:
        return KEY_RIGHT;
    case SDLK_UP:
        return KEY_UP;
    case SDLK_DOWN:
        return KEY_DOWN;
    case SDLK_HOME:
        return KEY_HOME;
    case SDLK_TAB:
        return KEY_TAB;
    case SDLK_ESCAPE:
        return KEY_ESCAPE;
    default:
        break;
    }
    // SDL's codes for printable keys are their lower-case characters.
    return key > 0 && key < 0x7F ? static_cast<int>(key) : 0;
}

// The key or mouse event behind e, or None.
InputEvent inputOf(const SDL_Event& e) {
    InputEvent input;
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        input.kind = e.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp;
        input.key = keyCode(e.key.keysym.sym);
        input.repeat = e.key.repeat != 0;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        input.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputKind::ButtonDown : InputKind::ButtonUp;
        input.button = e.button.button == SDL_BUTTON_LEFT     ? BUTTON_LEFT
                       : e.button.button == SDL_BUTTON_RIGHT  ? BUTTON_RIGHT
                       : e.button.button == SDL_BUTTON_MIDDLE ? BUTTON_MIDDLE
                                                              : 0;
        input.x = e.button.x;
        input.y = e.button.y;
        break;
    case SDL_MOUSEMOTION:
        input.kind = InputKind::MouseMove;
        input.x = e.motion.x;
        input.y = e.motion.y;
        input.dx = e.motion.xrel;
        input.dy = e.motion.yrel;
        break;
    case SDL_MOUSEWHEEL:
        input.kind = InputKind::Wheel;
        input.wheel = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        break;
    default:
        break;
    }
    return input;
}

} // namespace

bool initVideo() {
    static const bool started = [] {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
        quitEventType = SDL_RegisterEvents(2); // our quit request, then a neutral test event
        if (quitEventType == static_cast<Uint32>(-1)) return false;
        return true;
    }();
    return started;
}

void registerWindowClass(const char* className) {
    if (className && *className)
        setenv("SDL_VIDEO_X11_WMCLASS", className, 1);
    else
        unsetenv("SDL_VIDEO_X11_WMCLASS");
}

void setWindowIcon(PlatformWindow* window, const uint8_t* rgba32x32) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba32x32), 32, 32, 32,
                                                           32 * 4, SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;
    SDL_SetWindowIcon(sdl(window), icon);
    SDL_FreeSurface(icon);
}

bool currentDisplayMode(DisplayMode* mode) {
    SDL_DisplayMode current;
    if (!initVideo() || SDL_GetDesktopDisplayMode(0, &current) != 0) return false;
    mode->width = current.w;
    mode->height = current.h;
    mode->refreshRate = current.refresh_rate;
    mode->format = current.format;
    return true;
}

bool displayOffersMode(const DisplayMode& mode) {
    SDL_DisplayMode wanted{mode.format, mode.width, mode.height, mode.refreshRate, nullptr};
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &wanted, &closest)) return false;
    return closest.w == mode.width && closest.h == mode.height;
}

PlatformWindow* createWindow(const char* title, int x, int y, int width, int height, bool borderless) {
    if (!initVideo()) return nullptr;
    // The borderless (full-screen) window asks for every pixel of a scaled desktop, so that
    // the picture scaled onto it stays sharp; the ordinary window keeps the desktop's units.
    Uint32 flags = SDL_WINDOW_SHOWN |
                   (borderless ? SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI : SDL_WINDOW_RESIZABLE);
    // The pixel format is fixed when the window is made, so the closest-format search happens here.
    for (int depth : {32, 24, 16}) {
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        if (SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL))
            return reinterpret_cast<PlatformWindow*>(window);
    }
    return reinterpret_cast<PlatformWindow*>(SDL_CreateWindow(title, x, y, width, height, flags));
}

PixelFormatStatus windowPixelFormat(PlatformWindow* window) {
    return (SDL_GetWindowFlags(sdl(window)) & SDL_WINDOW_OPENGL) ? PixelFormatStatus::Ok
                                                                 : PixelFormatStatus::NoMatchingFormat;
}

void destroyWindow(PlatformWindow* window) {
    if (window) SDL_DestroyWindow(sdl(window));
}

bool enterFullscreen(PlatformWindow* window, const DisplayMode& mode) {
    SDL_DisplayMode wanted{mode.format, mode.width, mode.height, mode.refreshRate, nullptr};
    if (SDL_SetWindowDisplayMode(sdl(window), &wanted) != 0) return false;
    return SDL_SetWindowFullscreen(sdl(window), SDL_WINDOW_FULLSCREEN) == 0;
}

bool enterDesktopFullscreen(PlatformWindow* window) {
    // Full screen at the desktop's size is a request to the window manager, which a bare X
    // server (no window manager) leaves unanswered; a window already of the screen's size at
    // its origin covers the screen there too.
    SDL_Rect bounds;
    const int display = SDL_GetWindowDisplayIndex(sdl(window));
    if (display >= 0 && SDL_GetDisplayBounds(display, &bounds) == 0) {
        SDL_SetWindowPosition(sdl(window), bounds.x, bounds.y);
        SDL_SetWindowSize(sdl(window), bounds.w, bounds.h);
    }
    return SDL_SetWindowFullscreen(sdl(window), SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

void leaveFullscreen(PlatformWindow* window) {
    SDL_SetWindowFullscreen(sdl(window), 0);
}

void setPictureSize(int width, int height) {
    pictureWidth = width;
    pictureHeight = height;
    if (width == 0 || height == 0) forgetScaledPictureTexture();
}

void clientSize(PlatformWindow* window, int* width, int* height) {
    SDL_GL_GetDrawableSize(sdl(window), width, height);
}

void setWindowTitle(PlatformWindow* window, const char* title) {
    SDL_SetWindowTitle(sdl(window), title);
}

void showCursor(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

PlatformGlContext* createGlContext(PlatformWindow* window) {
    return reinterpret_cast<PlatformGlContext*>(SDL_GL_CreateContext(sdl(window)));
}

bool makeCurrent(PlatformWindow* window, PlatformGlContext* context) {
    // Some video drivers (SDL's dummy one) make windows but no contexts, and crash when asked
    // to make a missing context current on a window. No window and no context still releases
    // the current context.
    if (window && !context) return false;
    return SDL_GL_MakeCurrent(sdl(window), reinterpret_cast<SDL_GLContext>(context)) == 0;
}

void deleteGlContext(PlatformGlContext* context) {
    if (context) SDL_GL_DeleteContext(reinterpret_cast<SDL_GLContext>(context));
}

void* glProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

bool pollOneEvent(WindowEvent* event) {
    return pollOneEvent(event, nullptr);
}

bool pollOneEvent(WindowEvent* event, InputEvent* input) {
    if (input) *input = InputEvent{};
    if (eventsIgnored) {
        discardEvents();
        return false;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    *event = WindowEvent{};
    if (e.type == SDL_QUIT) {
        event->kind = EventKind::Close;
    } else if (quitEventType != 0 && e.type == quitEventType) {
        event->kind = EventKind::Quit;
    } else if (e.type == SDL_WINDOWEVENT) {
        switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            event->kind = EventKind::Resize;
            event->width = e.window.data1;
            event->height = e.window.data2;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            event->kind = EventKind::Paint;
            break;
        case SDL_WINDOWEVENT_CLOSE:
            event->kind = EventKind::Close;
            break;
        default:
            break;
        }
    } else if (input) {
        *input = inputOf(e);
    }
    return true;
}

void pushEvent(const WindowEvent& event) {
    if (!initVideo()) return;
    SDL_Event e{};
    switch (event.kind) {
    case EventKind::Quit:
        e.type = quitEventType;
        break;
    case EventKind::Close:
        e.type = SDL_QUIT;
        break;
    case EventKind::Resize:
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        e.window.data1 = event.width;
        e.window.data2 = event.height;
        break;
    case EventKind::Paint:
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_EXPOSED;
        break;
    case EventKind::Other:
        e.type = quitEventType + 1;
        break;
    }
    SDL_PushEvent(&e);
}

void postQuit() {
    pushEvent(WindowEvent{EventKind::Quit, 0, 0});
}

void discardEvents() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void setEventsIgnored(bool ignored) {
    eventsIgnored = ignored;
}

bool currentEventsIgnored() {
    return eventsIgnored;
}

void presentWindow(PlatformWindow* window) {
    if (presentHook) presentHook();
    if (presentSkipped) return;
    if (pictureWidth > 0 && pictureHeight > 0) {
        // Asked on every frame: the window system may size the window some frames late.
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(sdl(window), &width, &height);
        if (width != pictureWidth || height != pictureHeight)
            drawScaledPicture(pictureWidth, pictureHeight, width, height);
    }
    SDL_GL_SwapWindow(sdl(window));
}

void setPresentHook(std::function<void()> hook) {
    presentHook = std::move(hook);
}

std::function<void()> currentPresentHook() {
    return presentHook;
}

void setPresentSkipped(bool skipped) {
    presentSkipped = skipped;
}

bool currentPresentSkipped() {
    return presentSkipped;
}

} // namespace pelx
