// The test display's screen mode through RandR, and what the screen shows. Xvfb offers only its
// own size, and a mode a client adds lives as long as that client's connection, so "offer"
// holds on until killed.
//   x_display_mode offer WxH       add the mode to the first output, print "ready", wait
//   x_display_mode current         print the first output's current mode as WxH
//   x_display_mode lit X Y W H     print how many screen pixels that are not black lie inside
//                                  the rectangle (X, Y from the top left) and how many outside
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

int countLit(Display* display, int x, int y, int width, int height) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, root, &attributes)) return 1;
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return 1;
    const unsigned long colour = image->red_mask | image->green_mask | image->blue_mask;
    long inside = 0, outside = 0;
    for (int row = 0; row < attributes.height; ++row)
        for (int column = 0; column < attributes.width; ++column) {
            if ((XGetPixel(image, column, row) & colour) == 0) continue;
            const bool in = column >= x && column < x + width && row >= y && row < y + height;
            ++(in ? inside : outside);
        }
    XDestroyImage(image);
    std::printf("%ld %ld\n", inside, outside);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int x = 0, y = 0, w = 0, h = 0;
    if (argc == 6 && std::strcmp(argv[1], "lit") == 0 && std::sscanf(argv[2], "%d", &x) == 1 &&
        std::sscanf(argv[3], "%d", &y) == 1 && std::sscanf(argv[4], "%d", &w) == 1 &&
        std::sscanf(argv[5], "%d", &h) == 1) {
        Display* display = XOpenDisplay(nullptr);
        return display ? countLit(display, x, y, w, h) : 1;
    }
    unsigned width = 0, height = 0;
    const bool offer = argc == 3 && std::strcmp(argv[1], "offer") == 0 &&
                       std::sscanf(argv[2], "%ux%u", &width, &height) == 2;
    if (!offer && !(argc == 2 && std::strcmp(argv[1], "current") == 0)) {
        std::fprintf(stderr, "usage: %s offer WxH | current | lit X Y W H\n", argv[0]);
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
