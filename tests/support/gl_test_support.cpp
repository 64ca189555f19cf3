#include "support/gl_test_support.h"

#include "display/display.h"
#include "platform/launch_options.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdlib>

namespace pelx::test {
namespace {

// Keeps only the events a test puts on the queue itself (they carry no window id). What the
// X server sends on its own (exposure, focus, keymap changes) arrives whenever it likes and
// would make event counting tests depend on timing.
int keepOwnEvents(void*, SDL_Event* event) {
    if (event->type == SDL_QUIT || event->type >= SDL_USEREVENT) return 1;
    return event->type == SDL_WINDOWEVENT && event->window.windowID == 0;
}

} // namespace

void openTestDisplay(int width, int height) {
    static bool opened = false;
    if (opened) return;
    opened = true;
    launchOptions.fullscreen = false;
    launchOptions.width = width;
    launchOptions.height = height;
    PlatformWindow* window = createDisplayWindow(DISPLAY_TITLE, width, height, false, nullptr);
    if (!window) {
        std::fprintf(stderr, "no display window could be made\n");
        std::abort();
    }
    initRenderer(window);
    SDL_SetEventFilter(keepOwnEvents, nullptr);
    discardEvents();
}

std::array<uint8_t, 3> readPixel(int x, int y) {
    std::array<uint8_t, 3> rgb{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

} // namespace pelx::test
