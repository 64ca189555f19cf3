// The soundtrack, "data/zik.mp3": an arrangement in A minor written for the show's scenes.
// Its sections change where the scenes start (0, 67, 94, 121, 148, 168 s) and it climbs at
// the finale's strobe phases (193, 223, 253 s) with beats on the strobe's flashes: every
// 0.6 s from 193 s, 0.4 s from 223 s and eighth notes of 0.2 s from 253 s. It fades to silence
// by 282.5 s and ends after 284 s.
#pragma once

#include "synth.h"
#include "timeline/data_files.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace pelx {

inline constexpr const char* SOUNDTRACK_FILE = DATA_SOUNDTRACK;
inline constexpr double SOUNDTRACK_SECONDS = 284.0;
inline constexpr double SOUNDTRACK_FADE_START = 278.0;
inline constexpr double SOUNDTRACK_FADE_END = 282.5;
// The mix is scaled to this peak; MP3 coding may add a little, and the file must stay below -1 dBFS.
inline constexpr float SOUNDTRACK_PEAK_DBFS = -2.0f;

// Where the music changes: the scene starts, then the finale's strobe phases and the ending.
inline constexpr double SOUNDTRACK_SECTIONS[] = {0.0,   67.0,  94.0,  121.0, 148.0,
                                                 168.0, 193.0, 223.0, 253.0, 278.0};

// Plays every note that starts before `seconds` into a mix that long (unmixed: no reverb, no
// fade). The whole track is renderSoundtrack(SOUNDTRACK_SECONDS).
SoundMix renderSoundtrack(double seconds);

// Reverb, the final fade, and scaling to the peak level: the samples the encoder receives.
std::vector<int16_t> finishSoundtrack(SoundMix& mix);

// Renders, mixes and encodes the whole track into showDir / "data/zik.mp3".
bool writeSoundtrack(const std::filesystem::path& showDir);

} // namespace pelx
