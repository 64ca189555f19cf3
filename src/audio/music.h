// The soundtrack: one MP3 streamed from disk from just before the first scene to the end.
#pragma once

#include <vector>

namespace pelx {

void startMusic(const char* path);
void stopMusic();

// The magnitude spectrum of the mixed output that the FFT unit keeps while it is active
// (empty when it is not).
std::vector<float> musicSpectrum();

} // namespace pelx
