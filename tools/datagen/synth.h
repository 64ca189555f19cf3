// The soundtrack's instruments: every sound is synthesised here from oscillators, noise and
// filters (no recorded samples). A note is rendered straight into a stereo mix with its gain,
// pan and reverb send; the reverb runs once over the whole send at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelx {

inline constexpr int SAMPLE_RATE = 44100;

struct SoundMix {
    std::vector<float> left, right;             // the dry mix
    std::vector<float> reverbLeft, reverbRight; // what is sent to the reverb
    size_t frames() const { return left.size(); }
};

SoundMix makeSoundMix(double seconds);

// Where a note goes: its level, its place from left (-1) to right (+1), and how much of it
// is sent to the reverb.
struct Placement {
    float gain = 1.0f;
    float pan = 0.0f;
    float reverb = 0.0f;
};

double midiFrequency(double midiNote);

// Drums. Times in seconds from the start of the track.
void playKick(SoundMix& mix, double time, Placement place);
void playSnare(SoundMix& mix, double time, Placement place);
void playClap(SoundMix& mix, double time, Placement place);
void playHat(SoundMix& mix, double time, bool open, Placement place);
void playShaker(SoundMix& mix, double time, Placement place);
void playRim(SoundMix& mix, double time, Placement place);
void playCrash(SoundMix& mix, double time, Placement place);

// Pitched voices; `length` is how long the key is held, the release comes after it.
void playBass(SoundMix& mix, double time, double length, int midi, float brightness, Placement place);
void playPad(SoundMix& mix, double time, double length, int midi, float cutoffHz, Placement place);
void playPluck(SoundMix& mix, double time, int midi, Placement place);
void playArp(SoundMix& mix, double time, double length, int midi, Placement place);
void playLead(SoundMix& mix, double time, double length, int midi, Placement place);
void playStab(SoundMix& mix, double time, double length, int midi, Placement place);
void playBell(SoundMix& mix, double time, int midi, Placement place);

// A noise sweep rising over `length` seconds into a change of section.
void playRiser(SoundMix& mix, double time, double length, Placement place);

// Runs the reverb over the send and adds it to the dry mix.
void applyReverb(SoundMix& mix, float wet);

// Multiplies the mix by a gain that falls from 1 at fadeStart to 0 at fadeEnd and stays 0.
void fadeOut(SoundMix& mix, double fadeStart, double fadeEnd);

// The largest absolute sample of the dry mix.
float peakLevel(const SoundMix& mix);

// Interleaved 16-bit samples with the mix scaled so that its peak is at peakDbfs.
std::vector<int16_t> toPcm16(const SoundMix& mix, float peakDbfs);

} // namespace pelx
