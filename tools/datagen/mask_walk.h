// A model of the show's fire walker over the 320 x 200 logo mask, without particles: the same
// restart, steering and trace-closing rules, recording which pixels would emit and when. The
// generator runs it on every mask it writes, so a mask the walker would leave, stall on or
// shortcut is never written.
#pragma once

#include <cstdint>
#include <vector>

namespace pelx {

struct MaskWalk {
    std::vector<int> emitted;   // pixel indices y * 320 + x, in the order their logo particle appears
    std::vector<int> emittedAt; // the iteration at which each of them did
    int restarts = 0;           // iterations that found the walker on a clear pixel
    int stalls = 0;             // iterations that ended with no direction left
    int closedTraces = 0;       // laps completed
};

// Runs `iterations` walker iterations from (startX, startY), heading right, with the anchor
// never moving, over a private copy of mask (320 x 200, top row first, non-zero = set).
MaskWalk walkMask(const std::vector<uint8_t>& mask, int iterations, int startX, int startY);

} // namespace pelx
