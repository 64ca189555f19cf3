// The show's one pseudo-random sequence. It is never seeded, so every run draws the same
// numbers; the arithmetic is fixed here rather than left to the C library's rand.
#pragma once

namespace pelx {

// Next value 0..32767 (the first one of a fresh sequence is 41).
int nextRandom();

// 0 .. n - 1 from the same sequence (n > 0): the flares' vertices and the fire logo's sparks.
int randomBelow(int n);

// Start the sequence again from its fixed seed (tests and the capture tool's repeatable runs).
void resetRandom();

} // namespace pelx
