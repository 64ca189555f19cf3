// The window system in a few calls: display modes, a window with an OpenGL drawing surface,
// its context, one-event pumping, buffer presentation and the cursor. SDL stands behind it.
//
// Layer platform, the bottom: window, context, events, clock, random sequence, messages,
// phase timer, vectors, the view volume, stop signals, whole-or-nothing files. Uses no other
// folder.
#pragma once

#include <cstdint>
#include <functional>

namespace pelx {

struct PlatformWindow;
struct PlatformGlContext;

// Starts the video subsystem once; later calls return the first result.
bool initVideo();

// The class name windows made from now on carry (X11's WM_CLASS); an empty name removes it.
void registerWindowClass(const char* className);
// A 32 x 32 picture as RGBA bytes, for the windows' icon.
void setWindowIcon(PlatformWindow* window, const uint8_t* rgba32x32);

struct DisplayMode {
    int width = 0;
    int height = 0;
    int refreshRate = 0;
    uint32_t format = 0;
};

// The desktop's current mode on the primary display.
bool currentDisplayMode(DisplayMode* mode);
// True when the primary display offers exactly this mode.
bool displayOffersMode(const DisplayMode& mode);

enum class PixelFormatStatus { Ok, NoMatchingFormat };

// Creates a window whose client area is width x height at (x, y). The OpenGL surface asks for
// double buffering, 8 bits per RGBA channel and a 32-bit depth buffer, taking the closest
// format (24, then 16 bits of depth) when that is not offered. nullptr when no window at all
// can be made; a window without any OpenGL format reports NoMatchingFormat.
PlatformWindow* createWindow(const char* title, int x, int y, int width, int height, bool borderless);
PixelFormatStatus windowPixelFormat(PlatformWindow* window);
void destroyWindow(PlatformWindow* window);

// Switches the display to this mode with the window covering it; false when refused.
bool enterFullscreen(PlatformWindow* window, const DisplayMode& mode);
void leaveFullscreen(PlatformWindow* window);

void clientSize(PlatformWindow* window, int* width, int* height);
void setWindowTitle(PlatformWindow* window, const char* title);
void showCursor(bool visible);

PlatformGlContext* createGlContext(PlatformWindow* window);
bool makeCurrent(PlatformWindow* window, PlatformGlContext* context);
void deleteGlContext(PlatformGlContext* context);
// Address of an OpenGL extension function of the current context, or nullptr.
void* glProcAddress(const char* name);

// Keyboard and mouse, for the tools steered by hand. They arrive as EventKind::Other, which
// the show ignores.
enum class InputKind { None, KeyDown, KeyUp, ButtonDown, ButtonUp, MouseMove, Wheel };
// Key codes: letters as their lower-case characters, digits and the space as themselves, and
// the keys below.
inline constexpr int KEY_TAB = 9;
inline constexpr int KEY_ESCAPE = 27;
inline constexpr int KEY_SPACE = ' ';
inline constexpr int KEY_LEFT = 0x101;
inline constexpr int KEY_RIGHT = 0x102;
inline constexpr int KEY_UP = 0x103;
inline constexpr int KEY_DOWN = 0x104;
inline constexpr int KEY_HOME = 0x105;
// Mouse buttons.
inline constexpr int BUTTON_LEFT = 1;
inline constexpr int BUTTON_MIDDLE = 2;
inline constexpr int BUTTON_RIGHT = 3;
struct InputEvent {
    InputKind kind = InputKind::None;
    int key = 0;         // KeyDown, KeyUp; 0 for keys without a code above
    bool repeat = false; // KeyDown sent again while the key is held
    int button = 0;      // ButtonDown, ButtonUp
    int x = 0, y = 0;    // pointer position in the window (buttons, moves)
    int dx = 0, dy = 0;  // MouseMove: movement since the last move
    int wheel = 0;       // Wheel: steps away from the user positive
};

// Window events as the show sees them.
enum class EventKind { Resize, Paint, Close, Quit, Other };
struct WindowEvent {
    EventKind kind = EventKind::Other;
    int width = 0;  // Resize only
    int height = 0; // Resize only
};

// Takes at most one waiting event off the queue.
bool pollOneEvent(WindowEvent* event);
// The same, also telling the key or mouse event behind an Other event (None for the rest).
bool pollOneEvent(WindowEvent* event, InputEvent* input);
// Puts an event on the queue as if the window system had sent it (tests, postQuit).
void pushEvent(const WindowEvent& event);
// Posts the quit request that the frame loops take off the queue and ignore.
void postQuit();
// Drops every waiting event.
void discardEvents();
// While set, pollOneEvent drops whatever is waiting and reports no event, so every frame is
// presented (the capture tool, which never lets an event cost a frame).
void setEventsIgnored(bool ignored);

// Shows the back buffer. The present hook, when set, runs first, with the finished frame
// still in the back buffer (the capture tool reads it there).
void presentWindow(PlatformWindow* window);
void setPresentHook(std::function<void()> hook);
// While set, presentWindow runs the hook but leaves the window as it is (the capture tool, which
// reads every frame from the back buffer and has no one watching the window).
void setPresentSkipped(bool skipped);

} // namespace pelx
