// pelx-view's command line.
#pragma once

#include "viewed_scene.h"

#include <string>

namespace pelx::view {

struct ViewOptions {
    std::string file;
    SceneSettings settings;
    float length = -1; // seconds; below 0: the scene's own
    int width = 800;
    int height = 600;
    // --snapshot
    std::string snapshot;
    float at = 0;
    bool atGiven = false;
    int fps = 30;
    bool free = false;
    int64_t clockFrames = 0;
};

// The usage text, key table included.
std::string usageText();
// Reads argv; on a wrong option prints the reason and the usage on standard error and ends
// with status 2; --help and --version print and end with status 0.
ViewOptions parseViewOptions(int argc, char** argv);

int runViewer(const ViewOptions& options);
int runSnapshot(const ViewOptions& options);

} // namespace pelx::view
