// Oscillators (band-limited saw and pulse, sines), noise from the generator's own sequence,
// a state-variable filter, envelopes, and the instruments built from them; plus the reverb.
#include "synth.h"

#include "data_random.h"

#include <algorithm>
#include <cmath>

namespace pelx {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;

// Softens the jump of a naive saw or pulse at its wrap (polynomial band-limited step).
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Saw {
    double phase = 0;
    double next(double frequency) {
        double dt = frequency / SAMPLE_RATE;
        double value = 2.0 * phase - 1.0 - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        return value;
    }
};

struct Pulse {
    double phase = 0;
    double next(double frequency, double width) {
        double dt = frequency / SAMPLE_RATE;
        double value = (phase < width ? 1.0 : -1.0) + polyBlep(phase, dt);
        double shifted = phase + (1.0 - width);
        if (shifted >= 1.0) shifted -= 1.0;
        value -= polyBlep(shifted, dt);
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        return value;
    }
};

// A state-variable filter (trapezoidal integration, stable at any cutoff below Nyquist).
struct Filter {
    double ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    void tune(double cutoffHz, double resonance) {
        cutoffHz = std::clamp(cutoffHz, 20.0, 0.45 * SAMPLE_RATE);
        double g = std::tan(PI * cutoffHz / SAMPLE_RATE);
        k = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.95);
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns the low-pass output; band and high are left in the last two members.
    double low(double x) {
        double v3 = x - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        band = v1;
        high = x - k * v1 - v2;
        return v2;
    }
    double band = 0, high = 0;
};

// Attack, hold at 1 until the key is released, then an exponential release.
double envelope(double t, double attack, double held, double release) {
    if (t < 0) return 0;
    double level = t < attack ? t / attack : 1.0;
    if (t > held) level *= std::exp(-(t - held) / release);
    return level;
}

// White noise in [-1, 1] from a sequence seeded by the note's start, so a note sounds the
// same whatever is rendered around it.
struct Noise {
    explicit Noise(double time, uint64_t salt)
        : random(uint64_t(std::llround(time * SAMPLE_RATE)) * 0x9E37ull + salt) {}
    double next() { return double(random.uniform()) * 2.0 - 1.0; }
    DataRandom random;
};

// Adds `count` samples from `voice` (called with the time since the note began) at `time`.
template <typename Voice>
void render(SoundMix& mix, double time, double seconds, Placement place, Voice voice) {
    long long first = std::llround(time * SAMPLE_RATE);
    long long count = std::llround(seconds * SAMPLE_RATE);
    double angle = (double(place.pan) + 1.0) * PI / 4.0;
    float gl = place.gain * float(std::cos(angle)), gr = place.gain * float(std::sin(angle));
    for (long long i = 0; i < count; ++i) {
        long long at = first + i;
        double sample = voice(double(i) / SAMPLE_RATE);
        if (at < 0) continue;
        if (size_t(at) >= mix.frames()) break;
        float s = float(sample);
        mix.left[size_t(at)] += gl * s;
        mix.right[size_t(at)] += gr * s;
        mix.reverbLeft[size_t(at)] += place.reverb * gl * s;
        mix.reverbRight[size_t(at)] += place.reverb * gr * s;
    }
}

} // namespace

SoundMix makeSoundMix(double seconds) {
    size_t frames = size_t(std::ceil(seconds * SAMPLE_RATE));
    SoundMix mix;
    mix.left.assign(frames, 0.0f);
    mix.right.assign(frames, 0.0f);
    mix.reverbLeft.assign(frames, 0.0f);
    mix.reverbRight.assign(frames, 0.0f);
    return mix;
}

double midiFrequency(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

void playKick(SoundMix& mix, double time, Placement place) {
    double phase = 0;
    render(mix, time, 0.45, place, [&](double t) {
        double frequency = 48.0 + 110.0 * std::exp(-t / 0.035);
        phase += TWO_PI * frequency / SAMPLE_RATE;
        double body = std::sin(phase) * std::exp(-t / 0.16);
        double click = std::exp(-t / 0.003) * 0.4;
        return std::tanh(1.6 * (body + click));
    });
}

void playSnare(SoundMix& mix, double time, Placement place) {
    Noise noise(time, 11);
    Filter filter;
    filter.tune(4200.0, 0.2);
    double phase = 0;
    render(mix, time, 0.3, place, [&](double t) {
        phase += TWO_PI * 190.0 / SAMPLE_RATE;
        double tone = std::sin(phase) * std::exp(-t / 0.05) * 0.5;
        filter.low(noise.next());
        double rattle = filter.band * std::exp(-t / 0.09) * 1.4;
        return tone + rattle;
    });
}

void playClap(SoundMix& mix, double time, Placement place) {
    Noise noise(time, 12);
    Filter filter;
    filter.tune(1500.0, 0.4);
    render(mix, time, 0.35, place, [&](double t) {
        // Three quick bursts and a short tail: many hands slightly apart.
        double bursts = 0;
        for (double start : {0.0, 0.011, 0.023})
            bursts += (t >= start) ? std::exp(-(t - start) / 0.007) : 0.0;
        double tail = std::exp(-t / 0.11) * 0.6;
        filter.low(noise.next());
        return filter.band * (bursts * 0.8 + tail) * 2.2;
    });
}

void playHat(SoundMix& mix, double time, bool open, Placement place) {
    Noise noise(time, open ? 13 : 14);
    Filter filter;
    filter.tune(7500.0, 0.1);
    double decay = open ? 0.22 : 0.035;
    render(mix, time, open ? 0.6 : 0.12, place, [&](double t) {
        filter.low(noise.next());
        return filter.high * std::exp(-t / decay);
    });
}

void playShaker(SoundMix& mix, double time, Placement place) {
    Noise noise(time, 15);
    Filter filter;
    filter.tune(6000.0, 0.3);
    render(mix, time, 0.12, place, [&](double t) {
        filter.low(noise.next());
        double shape = (t < 0.015 ? t / 0.015 : 1.0) * std::exp(-t / 0.04);
        return filter.band * shape * 1.5;
    });
}

void playRim(SoundMix& mix, double time, Placement place) {
    double phase = 0, phase2 = 0;
    render(mix, time, 0.08, place, [&](double t) {
        phase += TWO_PI * 1700.0 / SAMPLE_RATE;
        phase2 += TWO_PI * 820.0 / SAMPLE_RATE;
        return (std::sin(phase) * 0.6 + std::sin(phase2) * 0.5) * std::exp(-t / 0.012);
    });
}

void playCrash(SoundMix& mix, double time, Placement place) {
    Noise noise(time, 16);
    Filter filter;
    filter.tune(5000.0, 0.05);
    render(mix, time, 2.5, place, [&](double t) {
        filter.low(noise.next());
        return filter.high * std::exp(-t / 0.7) * (t < 0.002 ? t / 0.002 : 1.0);
    });
}

void playBass(SoundMix& mix, double time, double length, int midi, float brightness, Placement place) {
    double frequency = midiFrequency(midi);
    Saw saw;
    Filter filter;
    double sub = 0;
    int tick = 0;
    render(mix, time, length + 0.25, place, [&](double t) {
        // The filter opens at the note's start and closes over a quarter second.
        if (tick++ % 32 == 0)
            filter.tune(frequency * (1.5 + brightness * (2.0 + 10.0 * std::exp(-t / 0.12))), 0.35);
        sub += TWO_PI * frequency / SAMPLE_RATE;
        double tone = filter.low(saw.next(frequency)) * 0.7 + std::sin(sub) * 0.55;
        return tone * envelope(t, 0.004, length, 0.05);
    });
}

void playPad(SoundMix& mix, double time, double length, int midi, float cutoffHz, Placement place) {
    double frequency = midiFrequency(midi);
    Saw saws[3];
    saws[1].phase = 0.33;
    saws[2].phase = 0.67;
    const double detune[3] = {0.9965, 1.0, 1.0041};
    Filter filter;
    filter.tune(cutoffHz, 0.15);
    int tick = 0;
    render(mix, time, length + 1.6, place, [&](double t) {
        // A slow wobble of the cutoff keeps the chord alive.
        if (tick++ % 64 == 0) filter.tune(cutoffHz * (1.0 + 0.15 * std::sin(TWO_PI * 0.23 * t)), 0.15);
        double sum = 0;
        for (int i = 0; i < 3; ++i) sum += saws[i].next(frequency * detune[i]);
        return filter.low(sum / 3.0) * envelope(t, 0.9, length, 0.55);
    });
}

void playPluck(SoundMix& mix, double time, int midi, Placement place) {
    // A struck string: a few harmonics, the higher ones dying sooner, slightly stretched.
    double frequency = midiFrequency(midi);
    double phases[6] = {};
    const double weights[6] = {1.0, 0.5, 0.33, 0.2, 0.12, 0.08};
    render(mix, time, 3.5, place, [&](double t) {
        double sum = 0;
        for (int h = 0; h < 6; ++h) {
            double harmonic = double(h + 1) * (1.0 + 0.0006 * double(h * h));
            phases[h] += TWO_PI * frequency * harmonic / SAMPLE_RATE;
            sum += weights[h] * std::sin(phases[h]) * std::exp(-t * (1.2 + 1.6 * double(h)));
        }
        double attack = t < 0.004 ? t / 0.004 : 1.0;
        return 0.5 * sum * attack;
    });
}

void playArp(SoundMix& mix, double time, double length, int midi, Placement place) {
    double frequency = midiFrequency(midi);
    Pulse pulse;
    Filter filter;
    filter.tune(frequency * 6.0, 0.3);
    render(mix, time, length + 0.15, place, [&](double t) {
        return filter.low(pulse.next(frequency, 0.3)) * 0.5 * envelope(t, 0.003, length * 0.5, 0.07);
    });
}

void playLead(SoundMix& mix, double time, double length, int midi, Placement place) {
    double frequency = midiFrequency(midi);
    Saw saw;
    Pulse pulse;
    Filter filter;
    int tick = 0;
    render(mix, time, length + 0.3, place, [&](double t) {
        // Vibrato comes in after the note has sounded a moment.
        double vibrato =
            1.0 + 0.004 * std::sin(TWO_PI * 5.5 * t) * std::min(1.0, std::max(0.0, (t - 0.15) / 0.3));
        double f = frequency * vibrato;
        if (tick++ % 32 == 0) filter.tune(f * (3.0 + 4.0 * std::exp(-t / 0.2)), 0.25);
        double tone = 0.6 * saw.next(f) + 0.4 * pulse.next(f * 0.5, 0.5);
        return filter.low(tone) * 0.6 * envelope(t, 0.01, length, 0.12);
    });
}

void playStab(SoundMix& mix, double time, double length, int midi, Placement place) {
    double frequency = midiFrequency(midi);
    Saw a, b;
    b.phase = 0.5;
    Filter filter;
    int tick = 0;
    render(mix, time, length + 0.2, place, [&](double t) {
        if (tick++ % 32 == 0) filter.tune(900.0 + 5000.0 * std::exp(-t / 0.08), 0.2);
        double tone = 0.5 * (a.next(frequency * 0.997) + b.next(frequency * 1.003));
        return filter.low(tone) * envelope(t, 0.003, length, 0.06);
    });
}

void playBell(SoundMix& mix, double time, int midi, Placement place) {
    // Two-operator FM: an inharmonic ratio gives the metallic shimmer.
    double frequency = midiFrequency(midi);
    double carrier = 0, modulator = 0;
    render(mix, time, 4.0, place, [&](double t) {
        modulator += TWO_PI * frequency * 3.5 / SAMPLE_RATE;
        carrier += TWO_PI * frequency / SAMPLE_RATE;
        double index = 2.0 * std::exp(-t / 0.6);
        double attack = t < 0.002 ? t / 0.002 : 1.0;
        return 0.4 * std::sin(carrier + index * std::sin(modulator)) * std::exp(-t / 1.2) * attack;
    });
}

void playRiser(SoundMix& mix, double time, double length, Placement place) {
    Noise noise(time, 17);
    Filter filter;
    int tick = 0;
    render(mix, time, length, place, [&](double t) {
        double progress = t / length;
        if (tick++ % 32 == 0) filter.tune(300.0 * std::pow(30.0, progress), 0.6);
        filter.low(noise.next());
        return filter.band * progress * progress;
    });
}

void applyReverb(SoundMix& mix, float wet) {
    // Four damped feedback combs in parallel and two all-passes in series per side; the right
    // side's delays are a little longer, which spreads the tail.
    const int combLengths[4] = {1557, 1617, 1491, 1422};
    const int allpassLengths[2] = {556, 441};
    for (int side = 0; side < 2; ++side) {
        const std::vector<float>& send = side == 0 ? mix.reverbLeft : mix.reverbRight;
        std::vector<float>& out = side == 0 ? mix.left : mix.right;
        int spread = side * 23;
        std::vector<std::vector<float>> combs, allpasses;
        for (int length : combLengths) combs.emplace_back(size_t(length + spread), 0.0f);
        for (int length : allpassLengths) allpasses.emplace_back(size_t(length + spread), 0.0f);
        size_t combAt[4] = {}, allpassAt[2] = {};
        float damped[4] = {};
        const float feedback = 0.84f, damping = 0.25f;
        for (size_t i = 0; i < send.size(); ++i) {
            float input = send[i] * 0.25f;
            float sum = 0;
            for (int c = 0; c < 4; ++c) {
                float delayed = combs[size_t(c)][combAt[c]];
                damped[c] = delayed * (1.0f - damping) + damped[c] * damping;
                combs[size_t(c)][combAt[c]] = input + damped[c] * feedback;
                if (++combAt[c] == combs[size_t(c)].size()) combAt[c] = 0;
                sum += delayed;
            }
            for (int a = 0; a < 2; ++a) {
                float delayed = allpasses[size_t(a)][allpassAt[a]];
                float through = -sum + delayed;
                allpasses[size_t(a)][allpassAt[a]] = sum + delayed * 0.5f;
                if (++allpassAt[a] == allpasses[size_t(a)].size()) allpassAt[a] = 0;
                sum = through;
            }
            out[i] += wet * sum;
        }
    }
}

void fadeOut(SoundMix& mix, double fadeStart, double fadeEnd) {
    for (size_t i = 0; i < mix.frames(); ++i) {
        double t = double(i) / SAMPLE_RATE;
        if (t < fadeStart) continue;
        double x = t >= fadeEnd ? 0.0 : 1.0 - (t - fadeStart) / (fadeEnd - fadeStart);
        float gain = float(x * x); // a curve that sounds even as it falls
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
}

float peakLevel(const SoundMix& mix) {
    float peak = 0;
    for (size_t i = 0; i < mix.frames(); ++i)
        peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    return peak;
}

std::vector<int16_t> toPcm16(const SoundMix& mix, float peakDbfs) {
    float peak = peakLevel(mix);
    float scale = peak > 0.0f ? float(std::pow(10.0, peakDbfs / 20.0)) * 32767.0f / peak : 0.0f;
    std::vector<int16_t> pcm(mix.frames() * 2);
    for (size_t i = 0; i < mix.frames(); ++i) {
        pcm[2 * i] = int16_t(std::lround(std::clamp(mix.left[i] * scale, -32767.0f, 32767.0f)));
        pcm[2 * i + 1] = int16_t(std::lround(std::clamp(mix.right[i] * scale, -32767.0f, 32767.0f)));
    }
    return pcm;
}

} // namespace pelx
