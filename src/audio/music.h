// The soundtrack: one MP3 streamed from disk from just before the first scene to the end.
//
// Layer audio, beside the engine: music and its FFT unit. May use platform only; timeline and
// app use it.
#pragma once

#include "platform/clock_steering.h"

#include <vector>

namespace pelx {

// Opens the sound device at 44100 Hz with 32 channels, switches the FFT unit on and starts
// streaming the file. Nothing is reported: without a device or a readable file the show
// simply stays silent, and startMusic still returns at once.
void startMusic(const char* path);
// Switches the FFT unit off, stops and frees the stream and closes the device. Safe after a
// start that failed, and when nothing was started.
void stopMusic();

// The magnitude spectrum of the mixed output that the FFT unit keeps while it is active
// (empty when it is not).
std::vector<float> musicSpectrum();
// Width in Hz of one bin of musicSpectrum at the rate the device really runs (0 when closed).
float musicSpectrumBinHz();

// Where the soundtrack is in what the listener hears: its playback position less the buffer the
// device is playing, as of the last mixing pass. False without a playing stream, or when its
// decoder reports no position. A ClockReference: the show's clock follows it while it plays.
bool musicPlaybackReading(ClockReading* reading);

// How often startMusic has tried to bring up the sound library in this process, whether or
// not a device opened: the show must not touch it at all when the viewer chose "No Music".
int musicInitCount();
// True from a start that opened the device until stopMusic.
bool musicDeviceOpen();

} // namespace pelx
