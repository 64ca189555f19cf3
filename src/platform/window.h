// The window system in a few calls: display modes, a window with an OpenGL drawing surface,
// its context, one-event pumping, buffer presentation and the cursor. SDL stands behind it.
//
// Layer platform, the bottom: window, context, events, the scaled full-screen picture, clock,
// random sequence, messages, phase timer, vectors, the view volume, stop signals,
// whole-or-nothing files, the guard of the swap points (scoped_swap.h). Uses no other folder.
#pragma once

#include "platform/scoped_swap.h"

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
// Covers the screen with the window at the desktop's own size, leaving the mode alone; false
// when refused.
bool enterDesktopFullscreen(PlatformWindow* window);
// Undoes either of the two above.
void leaveFullscreen(PlatformWindow* window);

// The size frames are drawn at, in the lower-left corner of the back buffer, while the window
// is full screen. When the drawable has another size, presentWindow shows that corner scaled in
// proportion over the whole drawable, centred between black bars. 0 x 0 (the default, and
// windowed play) presents the back buffer as it is.
void setPictureSize(int width, int height);

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
bool currentEventsIgnored();
// Ignores events while it lives (scoped_swap.h): ScopedEventsIgnored ignored(true).
using ScopedEventsIgnored = ScopedSwap<bool, currentEventsIgnored, setEventsIgnored>;

// Shows the back buffer, scaled as setPictureSize says. The present hook, when set, runs
// first, with the finished frame still in the back buffer as drawn (the capture tool reads it
// there).
void presentWindow(PlatformWindow* window);
// An empty hook removes it.
void setPresentHook(std::function<void()> hook);
std::function<void()> currentPresentHook();
// Sets a present hook while it lives (scoped_swap.h).
using ScopedPresentHook = ScopedSwap<std::function<void()>, currentPresentHook, setPresentHook>;
// While set, presentWindow runs the hook but leaves the window as it is (the capture tool, which
// reads every frame from the back buffer and has no one watching the window).
void setPresentSkipped(bool skipped);
bool currentPresentSkipped();
using ScopedPresentSkipped = ScopedSwap<bool, currentPresentSkipped, setPresentSkipped>;

} // namespace pelx
