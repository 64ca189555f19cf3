// What the viewer chose in the launch dialog. One process-wide record: the dialog writes it,
// the display, the demo sequence, the mesh pass and the mirror pass read it.
#pragma once

#include <cstdint>

namespace pelx {

struct LaunchOptions {
    int32_t width = 800;
    int32_t height = 600;
    bool fullscreen = true;
    bool lightsOff = false;
    bool musicOff = false;
    int32_t launchRequested = 0; // also reset by the demo sequence when the show ends
    int32_t cancelled = 0;
};

// Written by the entry point and the launch dialog (launchRequested also by runDemo);
// read by the display, runDemo, the mesh pass and the mirror pass.
extern LaunchOptions launchOptions;

} // namespace pelx
