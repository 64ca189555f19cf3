// Music playback on SDL2_mixer. The soundtrack streams from its file on the mixer's own thread;
// a post-mix tap hands the mixed output to the FFT unit. No failure is reported or fatal: the
// show's pictures never wait for the sound.
#include "audio/music.h"

#include "audio/fft_unit.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

namespace pelx {

namespace {

constexpr int MUSIC_RATE = 44100;
constexpr int MUSIC_CHANNELS = 32;
// 2048 frames (46 ms) per mixing pass: latency does not matter for a soundtrack that nobody
// synchronises with, and a large buffer survives a busy machine without drop-outs.
constexpr int MUSIC_CHUNK_FRAMES = 2048;

// The one stream, from startMusic to stopMusic; nullptr when none is open.
// Written by startMusic and stopMusic on the show's thread only.
Mix_Music* musicStream = nullptr;

// What startMusic brought up, so that stopMusic undoes exactly that and nothing more.
// Written by startMusic and stopMusic; read by them and by the status queries.
bool audioSubsystemStarted = false;
bool mixerOpened = false;
bool fftUnitActive = false;
int initCount = 0;

// The device's real output format. Written before the tap is installed, read by the tap on
// the mixer's thread (Mix_SetPostMix locks the device, which orders the two).
struct OutputFormat {
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
};
OutputFormat output;

// Made on first use and kept for the process: the tap may hold it while stopMusic runs only
// until Mix_SetPostMix has returned, and the readers copy under its lock.
FftUnit& fftUnit() {
    static FftUnit unit;
    return unit;
}

// Whether readers may see the spectrum; the tap itself runs only while installed.
std::atomic<bool> spectrumVisible{false};

// The last mixing pass: when it ran and how many frames it mixed, published by the tap with
// passes counted last, so a reader that sees the same count before and after has a matching pair.
// playStartMs is written by playStream before the first pass can run.
std::atomic<uint64_t> mixPasses{0};
std::atomic<uint64_t> lastMixMs{0};
std::atomic<int> lastMixFrames{0};
uint64_t playStartMs = 0;

// Reads frame f of an interleaved buffer as one mono value in [-1, 1].
float monoSample(const Uint8* stream, Uint16 format, int channels, int f) {
    float sum = 0.0f;
    for (int c = 0; c < channels; ++c) {
        const int index = f * channels + c;
        switch (format) {
        case AUDIO_S16SYS: {
            Sint16 v;
            std::memcpy(&v, stream + index * sizeof v, sizeof v);
            sum += v / 32768.0f;
            break;
        }
        case AUDIO_S32SYS: {
            Sint32 v;
            std::memcpy(&v, stream + index * sizeof v, sizeof v);
            sum += static_cast<float>(v / 2147483648.0);
            break;
        }
        case AUDIO_F32SYS: {
            float v;
            std::memcpy(&v, stream + index * sizeof v, sizeof v);
            sum += v;
            break;
        }
        case AUDIO_U8:
            sum += (stream[index] - 128) / 128.0f;
            break;
        default:
            break;
        }
    }
    return sum / static_cast<float>(channels);
}

int bytesPerSample(Uint16 format) {
    return SDL_AUDIO_BITSIZE(format) / 8;
}

bool formatUnderstood(Uint16 format) {
    return format == AUDIO_S16SYS || format == AUDIO_S32SYS || format == AUDIO_F32SYS || format == AUDIO_U8;
}

// Runs on the mixer's thread after every mixing pass; must not block or allocate.
void SDLCALL postMixTap(void* userdata, Uint8* stream, int length) {
    auto* unit = static_cast<FftUnit*>(userdata);
    const int frameBytes = bytesPerSample(output.format) * output.channels;
    if (frameBytes <= 0) return;
    const int frames = length / frameBytes;
    lastMixMs.store(SDL_GetTicks64(), std::memory_order_relaxed);
    lastMixFrames.store(frames, std::memory_order_relaxed);
    mixPasses.fetch_add(1, std::memory_order_release);
    float mono[256];
    for (int first = 0; first < frames; first += 256) {
        const int count = std::min(256, frames - first);
        for (int i = 0; i < count; ++i)
            mono[i] = monoSample(stream, output.format, output.channels, first + i);
        fftUnitPush(*unit, mono, count);
    }
    fftUnitAnalyse(*unit);
}

// The seven operations the show needs from a sound library.

void initialiseSound(int rate, int channels) {
    ++initCount;
    audioSubsystemStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!audioSubsystemStarted) return;
    Mix_Init(MIX_INIT_MP3);
    mixerOpened = Mix_OpenAudio(rate, MIX_DEFAULT_FORMAT, 2, MUSIC_CHUNK_FRAMES) == 0;
    if (!mixerOpened) return;
    Mix_AllocateChannels(channels);
    int frequency = 0, outputChannels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &outputChannels);
    output = {frequency, format, outputChannels};
}

void setFftUnitActive(bool active) {
    if (active) {
        if (!mixerOpened || fftUnitActive || !formatUnderstood(output.format) || output.channels <= 0) return;
        fftUnitReset(fftUnit());
        Mix_SetPostMix(postMixTap, &fftUnit());
        fftUnitActive = true;
        spectrumVisible = true;
    } else {
        if (!fftUnitActive) return;
        spectrumVisible = false;
        // Once this returns the tap is out and cannot be running: the mixer swaps it under
        // the device lock.
        Mix_SetPostMix(nullptr, nullptr);
        fftUnitActive = false;
        fftUnitReset(fftUnit());
    }
}

Mix_Music* openStream(const char* path) {
    if (!mixerOpened || !path) return nullptr;
    return Mix_LoadMUS(path);
}

void playStream(Mix_Music* stream) {
    if (!stream) return;
    playStartMs = SDL_GetTicks64();
    mixPasses.store(0, std::memory_order_release);
    Mix_PlayMusic(stream, 0);
}

void stopStream(Mix_Music* stream) {
    if (!stream) return;
    Mix_HaltMusic();
    Mix_FreeMusic(stream);
}

void closeSound() {
    if (mixerOpened) {
        Mix_CloseAudio();
        mixerOpened = false;
        output = {};
    }
    if (audioSubsystemStarted) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystemStarted = false;
    }
}

} // namespace

void startMusic(const char* path) {
    // Only one stream exists; a second start replaces the first instead of leaking the device.
    if (audioSubsystemStarted) stopMusic();
    initialiseSound(MUSIC_RATE, MUSIC_CHANNELS);
    setFftUnitActive(true);
    musicStream = openStream(path);
    playStream(musicStream);
}

void stopMusic() {
    setFftUnitActive(false);
    stopStream(musicStream);
    musicStream = nullptr;
    closeSound();
}

bool musicPlaybackReading(ClockReading* reading) {
    if (!musicStream || !fftUnitActive || output.rate <= 0 || !Mix_PlayingMusic()) return false;
    uint64_t passes, mixMs;
    int frames;
    double position;
    do {
        passes = mixPasses.load(std::memory_order_acquire);
        mixMs = lastMixMs.load(std::memory_order_relaxed);
        frames = lastMixFrames.load(std::memory_order_relaxed);
        // Taken under the device's lock, so never in the middle of a pass.
        position = Mix_GetMusicPosition(musicStream);
    } while (passes != mixPasses.load(std::memory_order_acquire));
    if (position < 0) return false;
    if (passes == 0) {
        // Nothing mixed yet: the sound has not begun, and the pictures wait for it.
        *reading = {0.0, static_cast<double>(playStartMs), 0.0};
        return true;
    }
    // The pass just mixed is what the device plays next, so the listener hears its start now and
    // the rest over one buffer's time; a pass half as late again means the sound has stalled.
    const double bufferSeconds = static_cast<double>(frames) / output.rate;
    *reading = {std::max(0.0, position - bufferSeconds), static_cast<double>(mixMs), 1500.0 * bufferSeconds};
    return true;
}

std::vector<float> musicSpectrum() {
    if (!spectrumVisible) return {};
    return fftUnitSpectrum(fftUnit());
}

float musicSpectrumBinHz() {
    if (!mixerOpened) return 0.0f;
    return static_cast<float>(output.rate) / FFT_UNIT_SIZE;
}

int musicInitCount() {
    return initCount;
}

bool musicDeviceOpen() {
    return mixerOpened;
}

} // namespace pelx
