// The soundtrack through SDL's disk audio driver: what reaches the "device" is read back from
// the raw file it writes, and the FFT unit is read while the music plays.
#include "audio/music.h"
#include "mp3_writer.h"
#include "support/test_support.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace pelx {
namespace {

constexpr int RATE = 44100;
constexpr size_t BYTES_PER_SECOND = RATE * 2 * sizeof(int16_t); // 16-bit stereo

// Points SDL at the disk driver writing into the test's folder. The driver sleeps this many
// milliseconds per 46 ms buffer, so the music plays about four times faster than real time
// without spinning.
void useDiskAudio(const std::string& rawFile) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", rawFile.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "10", 1);
}

size_t fileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<size_t>(size);
}

// Waits until the raw file holds at least this many bytes; false after ten seconds.
bool waitForOutput(const std::string& path, size_t bytes, const std::function<void()>& whileWaiting = {}) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fileSize(path) < bytes) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (whileWaiting) whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::vector<int16_t> readSamples(const std::string& path) {
    const std::vector<uint8_t> bytes = test::readFile(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

TEST(Music, ToneReachesTheDeviceAndTheFftUnitPeaksAtItsFrequency) {
    test::TempDir dir;
    const std::string mp3 = dir.file("tone.mp3"), raw = dir.file("out.raw");
    test::writeFile(mp3, test::encodeMp3(test::sineSamples(1000.0, 0.5, 3.0, RATE), RATE));
    useDiskAudio(raw);

    const int initsBefore = musicInitCount();
    startMusic(mp3.c_str());
    EXPECT_EQ(musicInitCount(), initsBefore + 1);
    ASSERT_TRUE(musicDeviceOpen());

    // The device runs as asked: 44100 Hz, and 32 mixing channels.
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, RATE);
    EXPECT_EQ(format, AUDIO_S16SYS);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(Mix_AllocateChannels(-1), 32);

    const float binHz = musicSpectrumBinHz();
    EXPECT_NEAR(binHz, 43.07f, 0.01f);
    std::vector<float> loudest;
    auto sampleSpectrum = [&] {
        const std::vector<float> s = musicSpectrum();
        if (!s.empty() && (loudest.empty() || *std::max_element(s.begin(), s.end()) >
                                                  *std::max_element(loudest.begin(), loudest.end())))
            loudest = s;
    };
    ASSERT_TRUE(waitForOutput(raw, BYTES_PER_SECOND * 2, sampleSpectrum));
    stopMusic();
    EXPECT_FALSE(musicDeviceOpen());
    EXPECT_TRUE(musicSpectrum().empty()) << "the FFT unit is off after stopMusic";

    ASSERT_FALSE(loudest.empty());
    const int peak = static_cast<int>(std::max_element(loudest.begin(), loudest.end()) - loudest.begin());
    EXPECT_NEAR(peak * binHz, 1000.0f, binHz) << "peak bin " << peak;
    EXPECT_GT(loudest[peak], 0.3f);

    // From 0.5 s to 1.5 s the decoder is well past its start-up delay: a 1 kHz tone of half
    // full scale has an RMS of 0.354 and crosses zero 2000 times a second.
    const std::vector<int16_t> samples = readSamples(raw);
    ASSERT_GE(samples.size(), static_cast<size_t>(RATE * 2 * 3 / 2));
    double sumSquares = 0;
    int crossings = 0;
    for (int f = RATE / 2; f < RATE * 3 / 2; ++f) {
        const int16_t left = samples[f * 2], right = samples[f * 2 + 1];
        EXPECT_EQ(left, right) << "a mono file plays on both sides alike, frame " << f;
        sumSquares += (left / 32768.0) * (left / 32768.0);
        if ((samples[(f - 1) * 2] < 0) != (left < 0)) ++crossings;
        if (::testing::Test::HasFailure()) break;
    }
    const double rms = std::sqrt(sumSquares / RATE);
    EXPECT_NEAR(rms, 0.354, 0.03);
    EXPECT_NEAR(crossings, 2000, 20);
}

TEST(Music, ShowStaysSilentWhenTheMusicCannotPlay) {
    struct Case {
        const char* name;
        const char* driver; // SDL_AUDIODRIVER
        const char* file;   // written into the folder first unless null
        std::vector<uint8_t> contents;
        bool deviceOpens;
    };
    const Case cases[] = {
        {"missing file", "disk", nullptr, {}, true},
        {"not an MP3", "disk", "zik.mp3", std::vector<uint8_t>(5000, 0x5a), true},
        {"empty file", "disk", "zik.mp3", {}, true},
        {"no audio device", "no-such-driver", nullptr, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string mp3 = dir.file("zik.mp3"), raw = dir.file("out.raw");
        if (c.file) test::writeFile(dir.file(c.file), c.contents);
        useDiskAudio(raw);
        setenv("SDL_AUDIODRIVER", c.driver, 1);

        const int initsBefore = musicInitCount();
        startMusic(mp3.c_str());
        EXPECT_EQ(musicInitCount(), initsBefore + 1);
        EXPECT_EQ(musicDeviceOpen(), c.deviceOpens);
        if (c.deviceOpens) {
            // The device keeps running on silence, and the FFT unit sees nothing in it.
            EXPECT_TRUE(waitForOutput(raw, BYTES_PER_SECOND / 4));
            const std::vector<float> spectrum = musicSpectrum();
            ASSERT_FALSE(spectrum.empty());
            EXPECT_EQ(*std::max_element(spectrum.begin(), spectrum.end()), 0.0f);
        } else {
            EXPECT_TRUE(musicSpectrum().empty());
            EXPECT_EQ(musicSpectrumBinHz(), 0.0f);
        }
        stopMusic();
        stopMusic(); // a second stop finds nothing left to stop
        EXPECT_FALSE(musicDeviceOpen());
        const std::vector<int16_t> samples = readSamples(raw);
        if (!c.deviceOpens) {
            EXPECT_FALSE(std::filesystem::exists(raw));
        }
        EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](int16_t s) { return s == 0; }));
    }
}

TEST(Music, StartAndStopPairUpOverSeveralRuns) {
    test::TempDir dir;
    const std::string mp3 = dir.file("tone.mp3");
    test::writeFile(mp3, test::encodeMp3(test::sineSamples(440.0, 0.5, 1.0, RATE), RATE));
    struct Step {
        const char* action; // "start", "stop"
        const char* raw;    // the device's output file for a start
        bool openAfter;
    };
    // A stop with nothing started touches nothing; a second start replaces the first stream
    // and device rather than leaving one behind; each start can play again after a stop.
    const Step steps[] = {
        {"stop", nullptr, false}, {"start", "a.raw", true}, {"start", "b.raw", true},
        {"stop", nullptr, false}, {"start", "c.raw", true}, {"stop", nullptr, false},
    };
    int inits = musicInitCount();
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.action) + (step.raw ? step.raw : ""));
        if (std::string(step.action) == "start") {
            useDiskAudio(dir.file(step.raw));
            startMusic(mp3.c_str());
            ++inits;
            EXPECT_TRUE(waitForOutput(dir.file(step.raw), BYTES_PER_SECOND / 2));
        } else {
            stopMusic();
        }
        EXPECT_EQ(musicDeviceOpen(), step.openAfter);
        EXPECT_EQ(musicInitCount(), inits);
    }
    // Every device that was opened received the tone, so every start really played.
    for (const char* name : {"a.raw", "b.raw", "c.raw"}) {
        const std::vector<int16_t> samples = readSamples(dir.file(name));
        const int16_t loudest = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
        EXPECT_GT(loudest, 10000) << name;
    }
}

// The show plays its soundtrack once: when the file ends the device carries on with silence
// and the music does not start over.
TEST(Music, TheSoundtrackPlaysOnceAndIsNotRepeated) {
    test::TempDir dir;
    const std::string mp3 = dir.file("short.mp3"), raw = dir.file("out.raw");
    test::writeFile(mp3, test::encodeMp3(test::sineSamples(1000.0, 0.5, 0.5, RATE), RATE));
    useDiskAudio(raw);
    startMusic(mp3.c_str());
    ASSERT_TRUE(musicDeviceOpen());
    ASSERT_TRUE(waitForOutput(raw, BYTES_PER_SECOND * 3));
    stopMusic();
    const std::vector<int16_t> samples = readSamples(raw);
    auto loudestIn = [&](double fromSeconds, double toSeconds) {
        int loudest = 0;
        for (size_t i = size_t(fromSeconds * RATE) * 2;
             i < size_t(toSeconds * RATE) * 2 && i < samples.size(); ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        return loudest;
    };
    EXPECT_GT(loudestIn(0.1, 0.4), 10000); // the tone plays
    EXPECT_EQ(loudestIn(1.0, 3.0), 0);     // and is not heard again
}

} // namespace
} // namespace pelx
