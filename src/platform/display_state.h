// The display's process-wide record. It lives at the bottom of the program because the
// additive passes of the renderer and the particle systems read blendDepthMask.
#pragma once

#include <cstdint>

namespace pelx {

struct PlatformWindow;
struct PlatformGlContext;

struct ClientRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DisplayState {
    PlatformWindow* window = nullptr; // stored by initRenderer
    void* instance = nullptr;         // stored by createDisplayWindow
    ClientRect clientRect;            // filled by initRenderer, renewed on windowed resizes
    PlatformWindow* deviceContext = nullptr; // the window's drawing surface (SDL draws on the window)
    PlatformGlContext* renderContext = nullptr;
    // true: additive passes keep the depth test and stop depth writes; false: they switch the
    // depth test off. Set to true by initRenderer and never changed during the show.
    bool blendDepthMask = false;
};

// Written by the display operations (app); blendDepthMask is read by the mesh pass and the
// particle renderers.
extern DisplayState displayState;

} // namespace pelx
