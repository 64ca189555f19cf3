// The frame state every layer shares: the scene clock's record and the three drawing calls
// that all frame loops and additive passes use. The clock's operations live with the timeline.
#pragma once

namespace pelx {

struct SceneClock {
    float start = 0;    // tick counter in seconds when the scene began
    float duration = 0; // the scene's length
    float elapsed = 0;  // seconds since start, refreshed by tick
};

// Written by beginScene and tick (and by tools that pose a scene at a given time); read by
// the scene scripts and the animation.
extern SceneClock sceneClock;

void clearFrame();
// Adds what is drawn next to the picture: blend factors one and one.
void beginAdditiveBlend();
void endAdditiveBlend();

} // namespace pelx
