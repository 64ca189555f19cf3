// MP3 encoding of the soundtrack with LAME at a fixed bit rate and quality, with LAME's
// information frame at the start so that players know the exact length.
#pragma once

#include <cstdint>
#include <vector>

namespace pelx {

inline constexpr int MP3_BITRATE_KBPS = 192;

// Encodes interleaved 16-bit stereo at 44100 Hz. Empty on failure (with a line on stderr).
std::vector<uint8_t> encodeMp3(const std::vector<int16_t>& interleavedStereo);

} // namespace pelx
