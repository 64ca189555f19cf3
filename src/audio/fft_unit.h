// The FFT unit: the magnitude spectrum of the most recent samples of a mono stream, made with
// kissfft's real transform. One thread (the mixer's) pushes samples and analyses; any thread
// may read the latest published spectrum.
#pragma once

#include <kiss_fftr.h>

#include <mutex>
#include <vector>

namespace pelx {

// Samples per transform; at 44100 Hz one bin is 43.07 Hz wide and a window lasts 23 ms.
inline constexpr int FFT_UNIT_SIZE = 1024;
inline constexpr int FFT_UNIT_BINS = FFT_UNIT_SIZE / 2 + 1;

struct FftUnit {
    FftUnit();
    ~FftUnit();
    FftUnit(const FftUnit&) = delete;
    FftUnit& operator=(const FftUnit&) = delete;

    // Written and read only by the thread that pushes samples.
    kiss_fftr_cfg config = nullptr;
    std::vector<float> window;  // Hann window, FFT_UNIT_SIZE values
    std::vector<float> history; // ring of the last FFT_UNIT_SIZE samples
    std::vector<float> frame;   // the ring unrolled, oldest first, windowed
    std::vector<kiss_fft_cpx> transform;
    int writePos = 0; // next slot of the ring
    int filled = 0;   // samples in the ring, up to FFT_UNIT_SIZE

    // Handed over between the pushing thread and readers; guarded by lock.
    std::mutex lock;
    std::vector<float> spectrum; // FFT_UNIT_BINS magnitudes, all zero until a window is full
};

// Appends samples (nominally in [-1, 1]) to the ring.
void fftUnitPush(FftUnit& unit, const float* samples, int count);
// Transforms the last FFT_UNIT_SIZE samples and publishes their magnitudes, scaled so that a
// sine of amplitude A centred on a bin reads A there. Does nothing until the ring is full.
void fftUnitAnalyse(FftUnit& unit);
// A copy of the latest published spectrum (FFT_UNIT_BINS values, bin k at k * rate / SIZE Hz).
std::vector<float> fftUnitSpectrum(FftUnit& unit);
// Forgets every sample and zeroes the spectrum, ready for another stream.
void fftUnitReset(FftUnit& unit);

} // namespace pelx
