// The arrangement. Each section has its own bar grid: the scene sections hold whole bars (the
// tempo is chosen so), and the finale's grid is anchored on the strobe's first flash at 193 s
// so that its beats fall on the flashes.
#include "soundtrack.h"

#include "canvas.h"
#include "mp3_encoder.h"
#include "timeline/show_scenes.h"

#include <algorithm>
#include <cmath>

namespace pelx {

namespace {

// Where each scene begins in the show, from the scenes' lengths: the music changes with them.
constexpr double ROAD_AT = 0.0;
constexpr double COLONNE_AT = ROAD_AT + ROAD_SCENE.length;    // 67 s
constexpr double ROOM_AT = COLONNE_AT + COLONNE_SCENE.length; // 94 s
constexpr double MIRROR_AT = ROOM_AT + ROOM_SCENE.length;     // 121 s
constexpr double TUNNEL_AT = MIRROR_AT + MIRROR_SCENE.length; // 148 s
constexpr double DISCO_AT = TUNNEL_AT + TUNNEL_SCENE.length;  // 168 s

struct Chord {
    int root;     // bass note (MIDI)
    int notes[3]; // the chord, voiced close around middle C
};

constexpr Chord AM = {45, {57, 60, 64}};
constexpr Chord F = {41, {57, 60, 65}};
constexpr Chord C = {48, {55, 60, 64}};
constexpr Chord G = {43, {55, 59, 62}};
constexpr Chord DM = {50, {57, 62, 65}};
constexpr Chord E = {40, {56, 59, 64}};

// A bar grid: bar 0 starts at `start`, each beat lasts `beat` seconds, four beats a bar.
struct Grid {
    double start;
    double beat;
    double at(double bar, double beatInBar = 0.0) const { return start + (bar * 4.0 + beatInBar) * beat; }
};

struct Note {
    double beat;   // from the start of the four-bar phrase
    double length; // beats
    int midi;
};

// The lead's tune over Am F C G, four bars; the second version ends home on A.
constexpr Note TUNE_A[] = {{0, 1, 76},    {1, 0.5, 72},    {1.5, 0.5, 74}, {2, 1, 76},      {3, 1, 81},
                           {4, 1, 79},    {5, 0.5, 77},    {5.5, 0.5, 76}, {6, 1.5, 72},    {7.5, 0.5, 69},
                           {8, 1, 72},    {9, 0.5, 76},    {9.5, 1, 79},   {10.5, 0.5, 76}, {11, 1, 74},
                           {12, 1.5, 74}, {13.5, 0.5, 71}, {14, 1, 74},    {15, 1, 79}};
constexpr Note TUNE_B[] = {{0, 0.5, 81}, {0.5, 0.5, 79}, {1, 1, 76},     {2, 0.5, 72},   {2.5, 1.5, 76},
                           {4, 1, 77},   {5, 1, 76},     {6, 0.5, 77},   {6.5, 0.5, 79}, {7, 1, 81},
                           {8, 1.5, 79}, {9.5, 0.5, 76}, {10, 1, 72},    {11, 1, 76},    {12, 1, 71},
                           {13, 1, 72},  {14, 0.5, 71},  {14.5, 1.5, 69}};

float rising(double t, double from, double to) {
    return float(std::clamp((t - from) / (to - from), 0.0, 1.0));
}

void padChord(SoundMix& mix, double time, double length, const Chord& chord, float cutoff, float gain,
              int octave = 0) {
    const float pans[3] = {-0.45f, 0.0f, 0.45f};
    for (int i = 0; i < 3; ++i)
        playPad(mix, time, length, chord.notes[i] + 12 * octave, cutoff, {gain, pans[i], 0.45f});
}

void lead(SoundMix& mix, const Grid& grid, double firstBar, const Note* tune, size_t count, int transpose,
          float gain) {
    for (size_t i = 0; i < count; ++i) {
        double time = grid.at(firstBar, tune[i].beat);
        playLead(mix, time, tune[i].length * grid.beat * 0.9, tune[i].midi + transpose, {gain, 0.1f, 0.35f});
        // A quieter echo three sixteenths later on the other side.
        playLead(mix, time + 0.75 * grid.beat, tune[i].length * grid.beat * 0.9, tune[i].midi + transpose,
                 {gain * 0.3f, -0.5f, 0.5f});
    }
}

// 0-67 s, the road: pads and a pulse of bass that build until the fire logo is whole (about
// 53 s), no drums; a riser leads into the next scene.
void road(SoundMix& mix) {
    Grid grid{ROAD_AT, ROAD_SCENE.length / 112.0};
    const Chord chords[14] = {AM, F, C, G, AM, F, C, G, AM, F, C, G, F, G};
    for (int i = 0; i < 14; ++i) {
        double time = grid.at(2 * i);
        float build = rising(time, 0.0, 53.0);
        padChord(mix, time, 8.0 * grid.beat, chords[i], 380.0f + 2600.0f * build * build,
                 0.10f + 0.06f * build);
        if (i >= 8) padChord(mix, time, 8.0 * grid.beat, chords[i], 1800.0f, 0.035f + 0.03f * build, 1);
        for (int bar = 2 * i; bar < 2 * i + 2; ++bar) {
            if (bar < 4) continue;
            // The pulse thickens: half notes, then every beat, then eighths.
            double step = bar < 12 ? 2.0 : (bar < 20 ? 1.0 : 0.5);
            for (double b = 0; b < 4.0; b += step)
                playBass(mix, grid.at(bar, b), step * grid.beat * 0.55, chords[i].root, 0.15f + 0.5f * build,
                         {0.16f + 0.12f * build, 0.0f, 0.1f});
            if (bar >= 12) {
                const Chord& c = chords[i];
                playBell(mix, grid.at(bar, 0), c.notes[(bar + 0) % 3] + 24,
                         {0.05f + 0.05f * build, -0.5f, 0.7f});
                playBell(mix, grid.at(bar, 2.5), c.notes[(bar + 1) % 3] + 24,
                         {0.04f + 0.04f * build, 0.5f, 0.7f});
            }
        }
    }
    // The logo is complete: a chime across the stereo field.
    for (int k = 0; k < 3; ++k)
        playBell(mix, grid.at(22, 0.5 * k), F.notes[k] + 24, {0.12f, -0.6f + 0.6f * k, 0.8f});
    playRiser(mix, 61.5, 5.5, {0.12f, 0.0f, 0.4f});
}

// 67-94 s, the colonnade: light percussion joins the pads and bass.
void colonne(SoundMix& mix) {
    Grid grid{COLONNE_AT, COLONNE_SCENE.length / 48.0};
    const Chord chords[6] = {AM, F, C, G, F, G};
    playCrash(mix, grid.at(0), {0.10f, 0.3f, 0.4f});
    for (int i = 0; i < 6; ++i) {
        padChord(mix, grid.at(2 * i), 8.0 * grid.beat, chords[i], 2200.0f, 0.11f);
        for (int bar = 2 * i; bar < 2 * i + 2; ++bar) {
            for (double b : {0.0, 2.0})
                playBass(mix, grid.at(bar, b), 1.6 * grid.beat, chords[i].root, 0.5f, {0.26f, 0.0f, 0.1f});
            for (int e = 0; e < 8; ++e)
                playShaker(mix, grid.at(bar, 0.5 * e), {e % 2 ? 0.16f : 0.09f, 0.35f, 0.2f});
            playRim(mix, grid.at(bar, 1), {0.12f, -0.3f, 0.4f});
            playRim(mix, grid.at(bar, 3), {0.12f, -0.3f, 0.4f});
            if (bar >= 4) playKick(mix, grid.at(bar, 0), {0.35f, 0.0f, 0.05f});
            if (bar >= 8)
                for (int e = 0; e < 4; ++e) playHat(mix, grid.at(bar, e + 0.5), false, {0.08f, -0.4f, 0.1f});
        }
    }
}

// 94-121 s, the room: calm and sparse, plucked notes over a quiet pad.
void room(SoundMix& mix) {
    Grid grid{ROOM_AT, 0.75};
    const Chord chords[9] = {AM, DM, F, E, AM, DM, F, E, AM};
    const int tune[9] = {76, 77, 81, 80, 76, 74, 72, 71, 69};
    for (int bar = 0; bar < 9; ++bar) {
        const Chord& c = chords[bar];
        padChord(mix, grid.at(bar), 4.0 * grid.beat, c, 900.0f, 0.06f);
        playPluck(mix, grid.at(bar, 0), c.root + 12, {0.30f, -0.2f, 0.5f});
        playPluck(mix, grid.at(bar, 1.5), c.notes[0], {0.20f, 0.1f, 0.5f});
        playPluck(mix, grid.at(bar, 2), c.notes[1], {0.18f, 0.2f, 0.5f});
        playPluck(mix, grid.at(bar, 3), tune[bar], {0.26f, 0.3f, 0.6f});
        if (bar % 2 == 1) playPluck(mix, grid.at(bar, 3.5), c.notes[2] + 12, {0.12f, 0.4f, 0.6f});
    }
}

// 121-148 s, the hall of mirrors: arpeggios and their echoes.
void mirror(SoundMix& mix) {
    Grid grid{MIRROR_AT, MIRROR_SCENE.length / 48.0};
    const Chord chords[4] = {AM, F, C, G};
    const int order[8] = {0, 1, 2, 3, 4, 5, 4, 3};
    for (int bar = 0; bar < 12; ++bar) {
        const Chord& c = chords[bar % 4];
        padChord(mix, grid.at(bar), 4.0 * grid.beat, c, 1500.0f, 0.07f);
        playBass(mix, grid.at(bar), 3.5 * grid.beat, c.root, 0.3f, {0.24f, 0.0f, 0.1f});
        for (int s = 0; s < 16; ++s) {
            int k = order[s % 8];
            int midi = c.notes[k % 3] + 12 * (k / 3 + 1);
            double time = grid.at(bar, 0.25 * s);
            float pan = s % 2 ? 0.3f : -0.3f;
            playArp(mix, time, 0.2 * grid.beat, midi, {0.11f, pan, 0.3f});
            playArp(mix, time + 0.75 * grid.beat, 0.2 * grid.beat, midi, {0.05f, -pan * 2.0f, 0.4f});
            playArp(mix, time + 1.5 * grid.beat, 0.2 * grid.beat, midi, {0.025f, pan * 2.0f, 0.5f});
        }
        if (bar >= 4) {
            playKick(mix, grid.at(bar, 0), {0.35f, 0.0f, 0.05f});
            playKick(mix, grid.at(bar, 2), {0.30f, 0.0f, 0.05f});
            for (int e = 0; e < 8; ++e)
                playHat(mix, grid.at(bar, 0.5 * e), false, {e % 2 ? 0.09f : 0.05f, 0.4f, 0.1f});
        }
        if (bar >= 8) playRim(mix, grid.at(bar, 3), {0.12f, -0.3f, 0.5f});
        if (bar % 4 == 0) playBell(mix, grid.at(bar), c.notes[0] + 24, {0.07f, 0.6f, 0.8f});
    }
}

// 148-168 s, the tunnel: driving bass and drums, a snare roll and a riser into the club.
void tunnel(SoundMix& mix) {
    Grid grid{TUNNEL_AT, 0.5};
    const Chord chords[10] = {AM, AM, F, G, AM, AM, F, G, F, G};
    playCrash(mix, grid.at(0), {0.16f, -0.3f, 0.3f});
    for (int bar = 0; bar < 10; ++bar) {
        const Chord& c = chords[bar];
        padChord(mix, grid.at(bar), 4.0 * grid.beat, c, 3000.0f, 0.07f);
        for (int e = 0; e < 8; ++e)
            playBass(mix, grid.at(bar, 0.5 * e), 0.4 * grid.beat, c.root + (e % 2 ? 12 : 0), 0.75f,
                     {0.30f, 0.0f, 0.05f});
        for (int b = 0; b < 4; ++b) playKick(mix, grid.at(bar, b), {0.55f, 0.0f, 0.05f});
        bool roll = bar == 9;
        if (!roll) {
            playSnare(mix, grid.at(bar, 1), {0.30f, 0.1f, 0.25f});
            playSnare(mix, grid.at(bar, 3), {0.30f, 0.1f, 0.25f});
        } else {
            for (int s = 0; s < 16; ++s)
                playSnare(mix, grid.at(bar, 0.25 * s), {0.10f + 0.25f * float(s) / 15.0f, 0.1f, 0.25f});
        }
        for (int s = 0; s < 16; ++s)
            playHat(mix, grid.at(bar, 0.25 * s), s % 4 == 2, {s % 2 ? 0.06f : 0.10f, -0.35f, 0.1f});
        playStab(mix, grid.at(bar, 0), 0.5 * grid.beat, c.notes[0] + 12, {0.10f, -0.3f, 0.3f});
    }
    playRiser(mix, 164.0, 4.0, {0.14f, 0.0f, 0.4f});
}

// One bar of the club's groove at the given intensity: 0 the first groove, 1 the strobe's first
// phase, 2 its second (faster), 3 the peak in eighth notes.
void grooveBar(SoundMix& mix, const Grid& grid, int bar, const Chord& c, int intensity) {
    float level = float(intensity);
    for (int b = 0; b < 4; ++b) playKick(mix, grid.at(bar, b), {0.50f + 0.05f * level, 0.0f, 0.05f});
    if (intensity >= 1 || bar >= 4) {
        playClap(mix, grid.at(bar, 1), {0.32f, 0.05f, 0.3f});
        playClap(mix, grid.at(bar, 3), {0.32f, 0.05f, 0.3f});
    }
    for (int b = 0; b < 4; ++b)
        playHat(mix, grid.at(bar, b + 0.5), true, {0.08f + 0.015f * level, -0.35f, 0.15f});
    if (intensity >= 2)
        for (int b = 0; b < 4; ++b) playHat(mix, grid.at(bar, double(b)), false, {0.08f, 0.35f, 0.1f});
    if (intensity >= 1)
        for (int s = 0; s < 16; ++s)
            playShaker(mix, grid.at(bar, 0.25 * s), {s % 2 ? 0.08f : 0.05f, 0.5f, 0.1f});
    // Octave bass in eighths.
    for (int e = 0; e < 8; ++e)
        playBass(mix, grid.at(bar, 0.5 * e), 0.42 * grid.beat, c.root + (e % 2 ? 12 : 0),
                 0.55f + 0.1f * level, {0.26f + 0.03f * level, 0.0f, 0.05f});
    // Chord stabs on the off-beats of two and four, or on every eighth at the peak.
    int stabs = intensity >= 3 ? 8 : 2;
    for (int k = 0; k < stabs; ++k) {
        double beat = intensity >= 3 ? 0.5 * k : (k == 0 ? 1.5 : 3.5);
        for (int i = 0; i < 3; ++i)
            playStab(mix, grid.at(bar, beat), 0.3 * grid.beat, c.notes[i] + 12,
                     {0.05f + 0.01f * level, -0.4f + 0.4f * float(i), 0.25f});
    }
    float padGain = intensity >= 1 ? 0.07f : 0.05f;
    padChord(mix, grid.at(bar), 4.0 * grid.beat, c, 2500.0f + 800.0f * level, padGain);
}

void fill(SoundMix& mix, double from, double to, double step) {
    int count = int(std::llround((to - from) / step));
    for (int s = 0; s < count; ++s)
        playSnare(mix, from + s * step,
                  {0.12f + 0.25f * float(s) / float(std::max(1, count - 1)), 0.1f, 0.3f});
}

// 168-278 s, the club.
void disco(SoundMix& mix) {
    const Chord chords[4] = {AM, F, C, G};
    // The scene changes at 168 s; the groove's bars are counted back from the first flash.
    playCrash(mix, DISCO_AT, {0.18f, 0.3f, 0.3f});
    playKick(mix, DISCO_AT, {0.6f, 0.0f, 0.05f});
    playBass(mix, DISCO_AT, 0.8, AM.root, 0.7f, {0.35f, 0.0f, 0.1f});
    playClap(mix, 168.4, {0.3f, 0.0f, 0.4f});
    Grid intro{169.0, 0.6};
    for (int bar = 0; bar < 10; ++bar) grooveBar(mix, intro, bar, chords[bar % 4], 0);
    playRiser(mix, 188.2, 4.8, {0.13f, 0.0f, 0.4f});

    // The strobe flashes on these beats: 0.6 s apart from 193 s.
    Grid first{193.0, 0.6};
    playCrash(mix, 193.0, {0.22f, -0.3f, 0.3f});
    for (int bar = 0; bar < 12; ++bar) grooveBar(mix, first, bar, chords[bar % 4], 1);
    for (int phrase = 0; phrase < 3; ++phrase)
        lead(mix, first, 4 * phrase, phrase == 2 ? TUNE_B : TUNE_A,
             phrase == 2 ? std::size(TUNE_B) : std::size(TUNE_A), 0, 0.13f);
    fill(mix, first.at(12), 223.0, 0.15);

    // 0.4 s beats from 223 s.
    Grid second{223.0, 0.4};
    playCrash(mix, 223.0, {0.24f, 0.3f, 0.3f});
    for (int bar = 0; bar < 18; ++bar) {
        grooveBar(mix, second, bar, chords[bar % 4], 2);
        if (bar % 8 == 0 && bar > 0) playCrash(mix, second.at(bar), {0.18f, -0.3f, 0.3f});
    }
    for (int phrase = 0; phrase < 4; ++phrase)
        lead(mix, second, 4 * phrase, phrase % 2 ? TUNE_B : TUNE_A,
             phrase % 2 ? std::size(TUNE_B) : std::size(TUNE_A), 12, 0.12f);
    fill(mix, second.at(18), 253.0, 0.1);
    playRiser(mix, 250.6, 2.4, {0.14f, 0.0f, 0.4f});

    // The peak: eighth notes of 0.2 s from 253 s, with the arpeggio over the top.
    Grid peak{253.0, 0.4};
    playCrash(mix, 253.0, {0.26f, 0.0f, 0.3f});
    for (int bar = 0; bar < 15; ++bar) {
        const Chord& c = chords[bar % 4];
        grooveBar(mix, peak, bar, c, 3);
        if (bar % 4 == 0 && bar > 0) playCrash(mix, peak.at(bar), {0.2f, 0.3f, 0.3f});
        for (int s = 0; s < 16; ++s) {
            int k = s % 6;
            playArp(mix, peak.at(bar, 0.25 * s), 0.2 * peak.beat, c.notes[k % 3] + 12 * (k / 3 + 1),
                    {0.07f, s % 2 ? 0.5f : -0.5f, 0.3f});
        }
    }
    for (int phrase = 0; phrase < 3; ++phrase)
        lead(mix, peak, 4 * phrase, phrase == 2 ? TUNE_B : TUNE_A,
             phrase == 2 ? std::size(TUNE_B) : std::size(TUNE_A), 12, 0.13f);
    lead(mix, peak, 12, TUNE_B, 12, 12, 0.13f); // the last bars: the tune's first three bars

    // 277 s: the last chord rings out while the track fades.
    double end = peak.at(15);
    playCrash(mix, end, {0.25f, 0.0f, 0.5f});
    playKick(mix, end, {0.6f, 0.0f, 0.1f});
    playBass(mix, end, 4.0, AM.root, 0.4f, {0.35f, 0.0f, 0.2f});
    padChord(mix, end, 5.0, AM, 2400.0f, 0.12f);
    for (int k = 0; k < 3; ++k)
        playBell(mix, end + 0.3 * k, AM.notes[k] + 24, {0.12f, -0.5f + 0.5f * k, 0.8f});
}

} // namespace

SoundMix renderSoundtrack(double seconds) {
    SoundMix mix = makeSoundMix(seconds);
    road(mix);
    colonne(mix);
    room(mix);
    mirror(mix);
    tunnel(mix);
    disco(mix);
    return mix;
}

std::vector<int16_t> finishSoundtrack(SoundMix& mix) {
    applyReverb(mix, 0.9f);
    fadeOut(mix, SOUNDTRACK_FADE_START, SOUNDTRACK_FADE_END);
    return toPcm16(mix, SOUNDTRACK_PEAK_DBFS);
}

bool writeSoundtrack(const std::filesystem::path& showDir) {
    SoundMix mix = renderSoundtrack(SOUNDTRACK_SECONDS);
    // Another part's failed write ends the run; no use encoding for it.
    if (dataWriteFailed()) return false;
    std::vector<int16_t> pcm = finishSoundtrack(mix);
    std::vector<uint8_t> mp3 = encodeMp3(pcm);
    return !mp3.empty() && writeBytes(showDir / SOUNDTRACK_FILE, mp3);
}

} // namespace pelx
