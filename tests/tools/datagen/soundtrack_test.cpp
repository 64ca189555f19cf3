// The soundtrack: the mix-down's level and fade on worked numbers, and the generated file as an
// independent decoder (ffmpeg) and the MP3 frame headers see it: 44.1 kHz stereo at a fixed
// bit rate, at least 283 s, peaks below -1 dBFS, silent at the end, louder at each strobe phase,
// and its beats on the strobe's flashes.
#include "soundtrack.h"

#include "generated_data.h"
#include "mp3_encoder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace pelx {
namespace {

TEST(Soundtrack, MixdownScalesThePeakAndFadesToSilence) {
    SoundMix mix = makeSoundMix(2.0);
    ASSERT_EQ(mix.frames(), size_t(2 * SAMPLE_RATE));
    for (size_t i = 0; i < mix.frames(); ++i) mix.left[i] = mix.right[i] = 0.25f;
    mix.right[1000] = -0.5f;
    EXPECT_FLOAT_EQ(peakLevel(mix), 0.5f);
    fadeOut(mix, 1.0, 1.5);
    EXPECT_FLOAT_EQ(mix.left[size_t(0.5 * SAMPLE_RATE)], 0.25f);          // before the fade
    EXPECT_FLOAT_EQ(mix.left[size_t(1.25 * SAMPLE_RATE)], 0.25f * 0.25f); // halfway: a quarter
    EXPECT_EQ(mix.left[size_t(1.5 * SAMPLE_RATE)], 0.0f);
    EXPECT_EQ(mix.right[mix.frames() - 1], 0.0f);
    std::vector<int16_t> pcm = toPcm16(mix, -2.0f);
    // The peak (-0.5) lands on -2 dBFS: 32767 x 0.7943 = 26028; the rest in proportion.
    EXPECT_EQ(pcm[2 * 1000 + 1], -26028);
    EXPECT_EQ(pcm[0], 13014);
    EXPECT_EQ(pcm[2 * (mix.frames() - 1)], 0);
}

TEST(Soundtrack, EncoderWritesFixedRateFrames) {
    std::vector<int16_t> pcm(size_t(SAMPLE_RATE) * 2, 0);
    for (size_t i = 0; i < pcm.size() / 2; ++i) {
        int16_t v = int16_t(8000.0 * std::sin(2.0 * 3.14159265 * 440.0 * double(i) / SAMPLE_RATE));
        pcm[2 * i] = pcm[2 * i + 1] = v;
    }
    std::vector<uint8_t> mp3 = encodeMp3(pcm);
    ASSERT_GT(mp3.size(), 4u);
    // An MPEG-1 layer III frame header at the start: sync, 192 kbit/s (index 11), 44.1 kHz (index 0).
    EXPECT_EQ(mp3[0], 0xFF);
    EXPECT_EQ(mp3[1] & 0xFE, 0xFA);
    EXPECT_EQ(mp3[2] >> 4, 11);
    EXPECT_EQ((mp3[2] >> 2) & 3, 0);
    // One second at 192 kbit/s is about 24000 bytes.
    EXPECT_NEAR(double(mp3.size()), 24000.0, 2500.0);
}

struct FrameSurvey {
    int frames = 0;       // audio frames (the information frame not counted)
    bool allFixed = true; // every frame MPEG-1 layer III, 192 kbit/s, 44.1 kHz, two channels
    bool infoFrame = false;
};

FrameSurvey surveyFrames(const std::vector<uint8_t>& file) {
    static const int bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    FrameSurvey survey;
    size_t at = 0;
    while (at + 4 <= file.size()) {
        const uint8_t* h = &file[at];
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) {
            survey.allFixed = false;
            break;
        }
        bool mpeg1Layer3 = (h[1] & 0x1E) == 0x1A;
        int bitrate = bitrates[h[2] >> 4];
        int rateIndex = (h[2] >> 2) & 3;
        int padding = (h[2] >> 1) & 1;
        int channelMode = h[3] >> 6;
        if (!mpeg1Layer3 || bitrate != 192 || rateIndex != 0 || channelMode == 3) survey.allFixed = false;
        if (bitrate == 0 || rateIndex == 3) break;
        size_t length = size_t(144 * bitrate * 1000 / 44100 + padding);
        bool info = at == 0 && at + 40 <= file.size() &&
                    (std::string(reinterpret_cast<const char*>(&file[at + 36]), 4) == "Info" ||
                     std::string(reinterpret_cast<const char*>(&file[at + 36]), 4) == "Xing");
        if (info)
            survey.infoFrame = true;
        else
            ++survey.frames;
        at += length;
    }
    return survey;
}

// Decodes with ffmpeg into interleaved 16-bit stereo at 44.1 kHz.
std::vector<int16_t> decodeWithFfmpeg(const std::string& path) {
    std::string command =
        "ffmpeg -v error -i '" + path + "' -f s16le -acodec pcm_s16le -ac 2 -ar 44100 - 2>/dev/null";
    std::vector<int16_t> samples;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return samples;
    int16_t buffer[8192];
    size_t got;
    while ((got = std::fread(buffer, sizeof(int16_t), 8192, pipe)) > 0)
        samples.insert(samples.end(), buffer, buffer + got);
    pclose(pipe);
    return samples;
}

double rms(const std::vector<int16_t>& pcm, double from, double to) {
    size_t a = size_t(from * 44100) * 2, b = std::min(pcm.size(), size_t(to * 44100) * 2);
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(pcm[i]) * pcm[i];
    return std::sqrt(sum / double(b - a));
}

// Energy of the low end (a 2 ms moving average takes out the cymbals) over a short window.
double lowEnergy(const std::vector<int16_t>& pcm, double from, double seconds) {
    size_t a = size_t(from * 44100), n = size_t(seconds * 44100);
    double sum = 0, average = 0;
    const int window = 88;
    for (size_t i = a; i < a + n && 2 * i + 1 < pcm.size(); ++i) {
        double mono = 0.5 * (double(pcm[2 * i]) + pcm[2 * i + 1]);
        average += (mono - average) / window;
        sum += average * average;
    }
    return sum;
}

class GeneratedSoundtrack : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        path = new std::string(test::generatedData(SOUNDTRACK_FILE));
        pcm = new std::vector<int16_t>(decodeWithFfmpeg(*path));
    }
    static void TearDownTestSuite() {
        delete path;
        delete pcm;
    }
    static std::string* path;
    static std::vector<int16_t>* pcm;
};
std::string* GeneratedSoundtrack::path = nullptr;
std::vector<int16_t>* GeneratedSoundtrack::pcm = nullptr;

TEST_F(GeneratedSoundtrack, FramesAreStereoAt44100HzAndLastTheShow) {
    std::vector<uint8_t> file = test::readFile(*path);
    ASSERT_FALSE(file.empty()) << "missing " << *path;
    FrameSurvey survey = surveyFrames(file);
    EXPECT_TRUE(survey.allFixed);
    EXPECT_TRUE(survey.infoFrame);
    EXPECT_GE(double(survey.frames) * 1152.0 / 44100.0, 283.0);
}

TEST_F(GeneratedSoundtrack, DecodesToAtLeast283SecondsBelowMinusOneDbfs) {
    ASSERT_FALSE(pcm->empty()) << "ffmpeg could not decode " << *path;
    double seconds = double(pcm->size()) / 2.0 / 44100.0;
    EXPECT_GE(seconds, 283.0);
    EXPECT_LT(seconds, 290.0);
    int peak = 0;
    for (int16_t s : *pcm) peak = std::max(peak, std::abs(int(s)));
    EXPECT_LT(peak, int(32768.0 * std::pow(10.0, -1.0 / 20.0))); // 29204
    EXPECT_GT(peak, int(32768.0 * std::pow(10.0, -4.0 / 20.0))); // and not needlessly quiet
    // Silence from 283 s to the end; the fade is already below -40 dBFS a second earlier.
    for (size_t i = size_t(283.0 * 44100) * 2; i < pcm->size(); ++i)
        ASSERT_LE(std::abs(int((*pcm)[i])), 1) << i;
    EXPECT_LT(rms(*pcm, 281.5, 282.5), 32768.0 * 0.01);
    EXPECT_GT(rms(*pcm, 272.0, 277.0), 32768.0 * 0.05);
}

TEST_F(GeneratedSoundtrack, RisesAtEachStrobePhase) {
    ASSERT_FALSE(pcm->empty());
    const double groove = rms(*pcm, 169.0, 192.5), first = rms(*pcm, 193.5, 222.5),
                 second = rms(*pcm, 223.5, 252.5), peak = rms(*pcm, 253.5, 277.0);
    EXPECT_LT(groove, first);
    EXPECT_LT(first, second);
    EXPECT_LT(second, peak);
    // The calm room is quieter than the tunnel's drive.
    EXPECT_LT(rms(*pcm, 95.0, 120.0), rms(*pcm, 149.0, 167.0));
}

TEST_F(GeneratedSoundtrack, BeatsFallOnTheStrobesFlashes) {
    ASSERT_FALSE(pcm->empty());
    struct Phase {
        double start, interval;
        int beats;
    };
    // The flashes: every 0.6 s from 193 s, every 0.4 s from 223 s.
    for (Phase phase : {Phase{193.0, 0.6, 49}, Phase{223.0, 0.4, 74}}) {
        SCOPED_TRACE(phase.start);
        int onBeat = 0;
        for (int k = 0; k < phase.beats; ++k) {
            double beat = phase.start + k * phase.interval;
            // The kick's first 60 ms against the same span half a beat later.
            if (lowEnergy(*pcm, beat, 0.06) > 1.5 * lowEnergy(*pcm, beat + phase.interval / 2, 0.06))
                ++onBeat;
        }
        EXPECT_GE(onBeat, phase.beats * 9 / 10);
    }
}

} // namespace
} // namespace pelx
