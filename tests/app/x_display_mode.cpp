// The test display's screen mode through RandR. Xvfb offers only its own size; a mode added by
// a client lives as long as that client's connection, so "offer" stays connected until it is
// killed.
//   x_display_mode offer WxH   add the mode to the first output, print "ready", then hold it
//   x_display_mode current     print the first output's current mode as WxH
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool offer = argc == 3 && std::strcmp(argv[1], "offer") == 0;
    const bool current = argc == 2 && std::strcmp(argv[1], "current") == 0;
    unsigned width = 0, height = 0;
    if (!(offer && std::sscanf(argv[2], "%ux%u", &width, &height) == 2) && !current) {
        std::fprintf(stderr, "usage: %s offer WxH | current\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    if (!resources || resources->noutput < 1) {
        std::fprintf(stderr, "the display has no RandR output\n");
        return 1;
    }
    if (current) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[0]);
        XRRCrtcInfo* crtc =
            output && output->crtc ? XRRGetCrtcInfo(display, resources, output->crtc) : nullptr;
        if (!crtc) return 1;
        std::printf("%ux%u\n", crtc->width, crtc->height);
        return 0;
    }
    XRRModeInfo mode{};
    mode.width = width;
    mode.height = height;
    mode.hTotal = width;
    mode.vTotal = height;
    mode.dotClock = static_cast<unsigned long>(width) * height * 60; // 60 Hz
    mode.name = argv[2];
    mode.nameLength = static_cast<unsigned>(std::strlen(argv[2]));
    XRRAddOutputMode(display, resources->outputs[0], XRRCreateMode(display, root, &mode));
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
}
