// Runs the launch dialog the way the entry point does and prints the options it leaves, so a
// script can drive the dialog with xdotool and check the outcome. After "Launch" it opens the
// show's display window for a moment, as the show would, so the script can see that it does
// so then and only then. With --layout it prints each control's pixel rectangle instead.
#include "app/dialog_units.h"
#include "app/launch_dialog.h"
#include "display/display.h"
#include "platform/launch_options.h"
#include "platform/window.h"
#include "resources/launch_dialog_layout.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

using namespace pelx;

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--layout") == 0) {
        for (const DialogControl& c : LAUNCH_DIALOG_CONTROLS) {
            const PixelRect r = dialogRectToPixels(c.x, c.y, c.width, c.height);
            std::printf("%d %d %d %d %d %s\n", c.id, r.x, r.y, r.width, r.height, c.text);
        }
        return 0;
    }

    launchOptions = LaunchOptions{};
    runLaunchDialog();
    std::printf("width=%d height=%d fullscreen=%d lightsOff=%d musicOff=%d launchRequested=%d cancelled=%d\n",
                launchOptions.width, launchOptions.height, launchOptions.fullscreen ? 1 : 0,
                launchOptions.lightsOff ? 1 : 0, launchOptions.musicOff ? 1 : 0,
                launchOptions.launchRequested, launchOptions.cancelled);
    std::fflush(stdout);

    if (launchOptions.cancelled == 0 && launchOptions.launchRequested == 1) {
        // Windowed whatever was chosen: the test display cannot switch modes.
        PlatformWindow* window =
            createDisplayWindow(DISPLAY_TITLE, launchOptions.width, launchOptions.height, false, nullptr);
        if (!window) return 2;
        const Uint64 until = SDL_GetTicks64() + 1500;
        WindowEvent event;
        while (SDL_GetTicks64() < until) {
            while (pollOneEvent(&event)) {
            }
            SDL_Delay(20);
        }
        destroyWindow(window);
    }
    return 0;
}
