// The test display's screen mode through RandR. Xvfb offers only its own size, and a mode a
// client adds lives as long as that client's connection, so "offer" holds on until killed.
//   x_display_mode offer WxH   add the mode to the first output, print "ready", wait
//   x_display_mode current     print the first output's current mode as WxH
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    unsigned width = 0, height = 0;
    const bool offer = argc == 3 && std::strcmp(argv[1], "offer") == 0 &&
                       std::sscanf(argv[2], "%ux%u", &width, &height) == 2;
    if (!offer && !(argc == 2 && std::strcmp(argv[1], "current") == 0)) {
        std::fprintf(stderr, "usage: %s offer WxH | current\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    XRRScreenResources* resources =
        display ? XRRGetScreenResources(display, DefaultRootWindow(display)) : nullptr;
    if (!resources || resources->noutput < 1) return 1;
    if (!offer) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[0]);
        XRRCrtcInfo* crtc =
            output && output->crtc ? XRRGetCrtcInfo(display, resources, output->crtc) : nullptr;
        if (!crtc) return 1;
        std::printf("%ux%u\n", crtc->width, crtc->height);
        return 0;
    }
    XRRModeInfo mode{};
    mode.width = mode.hTotal = width;
    mode.height = mode.vTotal = height;
    mode.dotClock = static_cast<unsigned long>(width) * height * 60; // 60 Hz
    mode.name = argv[2];
    mode.nameLength = static_cast<unsigned>(std::strlen(argv[2]));
    XRRAddOutputMode(display, resources->outputs[0],
                     XRRCreateMode(display, DefaultRootWindow(display), &mode));
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
}
