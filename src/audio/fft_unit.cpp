// The FFT unit's ring of samples, its windowed real transform and the hand-over of the
// magnitudes to readers.
#include "audio/fft_unit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib> // kiss_fftr_free is free()

namespace pelx {

FftUnit::FftUnit()
    : window(FFT_UNIT_SIZE), history(FFT_UNIT_SIZE, 0.0f), frame(FFT_UNIT_SIZE), transform(FFT_UNIT_BINS),
      spectrum(FFT_UNIT_BINS, 0.0f) {
    config = kiss_fftr_alloc(FFT_UNIT_SIZE, 0, nullptr, nullptr);
    // The periodic Hann window keeps a tone from smearing over the whole spectrum when it does
    // not sit exactly on a bin.
    const double pi = std::acos(-1.0);
    for (int n = 0; n < FFT_UNIT_SIZE; ++n)
        window[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * pi * n / FFT_UNIT_SIZE));
}

FftUnit::~FftUnit() {
    kiss_fftr_free(config);
}

void fftUnitPush(FftUnit& unit, const float* samples, int count) {
    for (int i = 0; i < count; ++i) {
        unit.history[unit.writePos] = samples[i];
        unit.writePos = (unit.writePos + 1) % FFT_UNIT_SIZE;
    }
    unit.filled = count >= FFT_UNIT_SIZE - unit.filled ? FFT_UNIT_SIZE : unit.filled + count;
}

void fftUnitAnalyse(FftUnit& unit) {
    if (unit.filled < FFT_UNIT_SIZE || !unit.config) return;
    // Once the ring is full, writePos is the oldest sample.
    for (int n = 0; n < FFT_UNIT_SIZE; ++n)
        unit.frame[n] = unit.history[(unit.writePos + n) % FFT_UNIT_SIZE] * unit.window[n];
    kiss_fftr(unit.config, unit.frame.data(), unit.transform.data());

    // The Hann window sums to SIZE / 2; a sine's energy is split between the positive and the
    // negative frequency, which the real transform folds away, hence 2 / sum for all bins but
    // the two that have no mirror (DC and Nyquist).
    const float windowSum = FFT_UNIT_SIZE * 0.5f;
    std::lock_guard<std::mutex> guard(unit.lock);
    for (int k = 0; k < FFT_UNIT_BINS; ++k) {
        const float magnitude = std::hypot(unit.transform[k].r, unit.transform[k].i);
        const bool mirrored = k != 0 && k != FFT_UNIT_BINS - 1;
        unit.spectrum[k] = magnitude * (mirrored ? 2.0f : 1.0f) / windowSum;
    }
}

std::vector<float> fftUnitSpectrum(FftUnit& unit) {
    std::lock_guard<std::mutex> guard(unit.lock);
    return unit.spectrum;
}

void fftUnitReset(FftUnit& unit) {
    std::fill(unit.history.begin(), unit.history.end(), 0.0f);
    unit.writePos = 0;
    unit.filled = 0;
    std::lock_guard<std::mutex> guard(unit.lock);
    std::fill(unit.spectrum.begin(), unit.spectrum.end(), 0.0f);
}

} // namespace pelx
