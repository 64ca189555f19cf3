#include "support/gl_test_support.h"

#include "app/display.h"
#include "platform/launch_options.h"

#include <GL/gl.h>
#include <cstdlib>

namespace pelx::test {

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
