// The FFT unit against worked magnitudes of simple signals and against a plain DFT of the
// same samples, fed in awkward pieces.
#include "audio/fft_unit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <functional>
#include <thread>

namespace pelx {
namespace {

const double PI = std::acos(-1.0);
constexpr double RATE = 44100.0;

std::vector<float> signal(int count, const std::function<double(int)>& f) {
    std::vector<float> s(count);
    for (int n = 0; n < count; ++n) s[n] = static_cast<float>(f(n));
    return s;
}

std::vector<float> analyse(const std::vector<float>& samples) {
    FftUnit unit;
    fftUnitPush(unit, samples.data(), static_cast<int>(samples.size()));
    fftUnitAnalyse(unit);
    return fftUnitSpectrum(unit);
}

int peakBin(const std::vector<float>& spectrum) {
    return static_cast<int>(std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin());
}

TEST(FftUnit, MagnitudesOfSimpleSignals) {
    struct Case {
        const char* name;
        std::function<double(int)> f;
        int peak;
        float peakMin, peakMax;
        int quietFrom; // bins from here on (and below peak - 1, if any) stay near zero
    };
    const double binHz = RATE / FFT_UNIT_SIZE;
    const Case cases[] = {
        // A sine centred on bin 64 reads its amplitude there.
        {"centred sine", [&](int n) { return 0.5 * std::sin(2 * PI * 64 * binHz * n / RATE); }, 64, 0.495f,
         0.505f, 67},
        // 1 kHz lies 0.22 bins above bin 23; the Hann window loses about 3 % there.
        {"1 kHz", [&](int n) { return 0.8 * std::sin(2 * PI * 1000.0 * n / RATE); }, 23, 0.74f, 0.79f, 27},
        {"DC", [](int) { return 0.25; }, 0, 0.2499f, 0.2501f, 2},
        {"Nyquist", [](int n) { return n % 2 ? -0.5 : 0.5; }, FFT_UNIT_BINS - 1, 0.4999f, 0.5001f,
         FFT_UNIT_BINS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> spectrum = analyse(signal(FFT_UNIT_SIZE, c.f));
        ASSERT_EQ(spectrum.size(), static_cast<size_t>(FFT_UNIT_BINS));
        // DC and Nyquist share their peak with the next bin in (a Hann window's spill there
        // reads as high as the unmirrored bin itself), so only the height is compared.
        EXPECT_FLOAT_EQ(spectrum[c.peak], spectrum[peakBin(spectrum)]);
        EXPECT_GE(spectrum[c.peak], c.peakMin);
        EXPECT_LE(spectrum[c.peak], c.peakMax);
        for (int k = c.quietFrom; k < FFT_UNIT_BINS; ++k) EXPECT_LT(spectrum[k], 0.01f) << "bin " << k;
        for (int k = 0; k < c.peak - 3; ++k) EXPECT_LT(spectrum[k], 0.01f) << "bin " << k;
    }
}

TEST(FftUnit, MatchesAPlainDftOfTheLastWindowFedInPieces) {
    // A signal with many partials and a click, longer than two windows, so the ring wraps.
    const std::vector<float> samples = signal(2 * FFT_UNIT_SIZE + 517, [](int n) {
        return 0.3 * std::sin(n * 0.05) + 0.2 * std::sin(n * 0.9 + 1.0) + 0.1 * std::cos(n * 2.7) +
               (n == 1900 ? 0.5 : 0.0);
    });
    const int pieces[] = {1, 7, 300, 1023, 2, 1024, 55};
    FftUnit unit;
    size_t at = 0;
    for (int i = 0; at < samples.size(); ++i) {
        const int count = std::min<int>(pieces[i % 7], static_cast<int>(samples.size() - at));
        fftUnitPush(unit, samples.data() + at, count);
        at += count;
    }
    fftUnitAnalyse(unit);
    const std::vector<float> spectrum = fftUnitSpectrum(unit);

    const size_t first = samples.size() - FFT_UNIT_SIZE;
    for (int k = 0; k < FFT_UNIT_BINS; k += 1) {
        std::complex<double> sum = 0.0;
        for (int n = 0; n < FFT_UNIT_SIZE; ++n) {
            const double hann = 0.5 - 0.5 * std::cos(2 * PI * n / FFT_UNIT_SIZE);
            sum += samples[first + n] * hann * std::polar(1.0, -2 * PI * k * n / FFT_UNIT_SIZE);
        }
        const double scale = (k == 0 || k == FFT_UNIT_BINS - 1) ? 1.0 : 2.0;
        EXPECT_NEAR(spectrum[k], std::abs(sum) * scale / (FFT_UNIT_SIZE / 2.0), 1e-4) << "bin " << k;
    }
}

TEST(FftUnit, NothingIsPublishedUntilAWholeWindowArrives) {
    FftUnit unit;
    const std::vector<float> tone = signal(FFT_UNIT_SIZE, [](int n) { return 0.9 * std::sin(n * 0.3); });
    struct Step {
        int push;
        bool reset;
        bool expectSilent;
    };
    // After a reset the ring must count from zero again, not keep its old fill.
    const Step steps[] = {{FFT_UNIT_SIZE - 1, false, true},
                          {1, false, false},
                          {0, true, true},
                          {FFT_UNIT_SIZE - 10, false, true}};
    for (const Step& step : steps) {
        if (step.reset) fftUnitReset(unit);
        fftUnitPush(unit, tone.data(), step.push);
        fftUnitAnalyse(unit);
        const std::vector<float> spectrum = fftUnitSpectrum(unit);
        ASSERT_EQ(spectrum.size(), static_cast<size_t>(FFT_UNIT_BINS));
        const float peak = *std::max_element(spectrum.begin(), spectrum.end());
        if (step.expectSilent)
            EXPECT_EQ(peak, 0.0f) << "after pushing " << step.push;
        else
            EXPECT_GT(peak, 0.5f) << "after pushing " << step.push;
    }
}

TEST(FftUnit, ReadersNeverSeeHalfOfOneSpectrumAndHalfOfTheNext) {
    FftUnit unit;
    // A click in the middle of the window has a flat spectrum: every bin is lit. Alternating it
    // with silence, a reader that copies while the writer publishes would see some bins lit
    // and some dark.
    std::vector<float> click(FFT_UNIT_SIZE, 0.0f);
    click[FFT_UNIT_SIZE / 2] = 1.0f;
    const std::vector<float> silence(FFT_UNIT_SIZE, 0.0f);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            const std::vector<float>& next = i % 2 ? silence : click;
            fftUnitPush(unit, next.data(), FFT_UNIT_SIZE);
            fftUnitAnalyse(unit);
        }
        done = true;
    });
    int torn = 0, reads = 0;
    while (!done || reads < 10) {
        const std::vector<float> s = fftUnitSpectrum(unit);
        ++reads;
        const auto litBins = std::count_if(s.begin(), s.end(), [](float m) { return m > 1e-4f; });
        if (litBins != 0 && litBins != FFT_UNIT_BINS) ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    const std::vector<float> last = fftUnitSpectrum(unit); // the writer ended on silence
    EXPECT_EQ(*std::max_element(last.begin(), last.end()), 0.0f);
}

} // namespace
} // namespace pelx
