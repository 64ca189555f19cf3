// Encodes mono 16-bit samples into an MP3 file image with LAME, so the music tests can build
// their soundtrack in the test.
#pragma once

#include <cstdint>
#include <vector>

namespace pelx::test {

// An MP3 (128 kbit/s, mono) of the samples at the given rate; empty if LAME refuses.
std::vector<uint8_t> encodeMp3(const std::vector<int16_t>& samples, int rate);
// seconds of a sine of the given frequency and amplitude (full scale 1.0).
std::vector<int16_t> sineSamples(double hz, double amplitude, double seconds, int rate);

} // namespace pelx::test
