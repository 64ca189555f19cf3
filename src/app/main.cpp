// Program entry: opens the show's display as the launch options say and closes it again.
#include "app/display.h"
#include "platform/launch_options.h"
#include "timeline/scene_clock.h"

using namespace pelx;

int main(int, char**) {
    launchOptions = LaunchOptions{};
    PlatformWindow* window = createDisplayWindow(DISPLAY_TITLE, launchOptions.width, launchOptions.height,
                                                 launchOptions.fullscreen, nullptr);
    if (!window) return 0;
    initRenderer(window);
    beginScene(1.0f);
    while (tick()) {
        clearFrame();
        pumpOrPresent();
    }
    closeDisplay();
    return 0;
}
