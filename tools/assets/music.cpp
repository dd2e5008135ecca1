// SPDX-License-Identifier: GPL-3.0-or-later
// The title music: a calm piece of 32 bars in D major at 80 beats a minute
// (96 seconds) that the game loops for as long as it runs.
//
// Soft pad chords, a round bass, a music-box arpeggio and a simple melody,
// in a small room. It is written to loop without a seam: notes still ringing
// at the end carry on into the beginning, and so does the room's echo.

#include "audio.h"
#include "rng.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace assets {

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 60.0 / 80.0;
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 32;
constexpr double kLoop = kBars * kBeatsPerBar * kBeat;

float F(double v) { return static_cast<float>(v); }
double Hz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }
double BarTime(double bar, double beat) { return ((bar - 1) * kBeatsPerBar + (beat - 1)) * kBeat; }

struct Chord {
    int bass;
    int notes[4];
    double bars;
};

// Sixteen bars, played twice per loop.
const Chord kChords[] = {
    {38, {57, 61, 64, 66}, 2},  // Dmaj9
    {35, {57, 61, 62, 66}, 2},  // Bm9
    {43, {54, 57, 59, 62}, 2},  // Gmaj9
    {40, {55, 59, 62, 66}, 1},  // Em9
    {45, {55, 57, 62, 64}, 1},  // A7sus4
    {43, {54, 59, 62, 67}, 1},  // Gmaj7
    {45, {54, 57, 61, 64}, 1},  // A6
    {42, {52, 57, 61, 64}, 1},  // F#m7
    {47, {54, 57, 59, 62}, 1},  // Bm7
    {40, {55, 59, 62, 64}, 1},  // Em7
    {42, {52, 57, 61, 64}, 1},  // F#m7
    {43, {54, 59, 62, 67}, 1},  // Gmaj7
    {45, {52, 57, 62, 64}, 1},  // Asus4
};

struct Note {
    double bar, beat, beats;
    int midi;
};

// The tune, first statement then its answer an octave-leaning variation.
const Note kMelody[] = {
    {3, 1, 2, 78},    {3, 3, 1, 76},      {3, 4, 1, 74},    {4, 1, 3, 71},      {5, 1, 1.5, 74}, {5, 2.5, 0.5, 76},
    {5, 3, 2, 78},    {6, 1, 2, 81},      {6, 3, 2, 78},    {7, 1, 2, 76},      {7, 3, 1, 74},   {7, 4, 1, 71},
    {8, 1, 2, 74},    {8, 3, 2, 76},      {9, 1, 3, 78},    {9, 4, 1, 76},      {10, 1, 2, 76},  {10, 3, 2, 69},
    {11, 1, 2, 73},   {11, 3, 2, 76},     {12, 1, 3, 74},   {13, 1, 1, 71},     {13, 2, 1, 74},  {13, 3, 2, 76},
    {14, 1, 1.5, 78}, {14, 2.5, 0.5, 76}, {14, 3, 2, 73},   {15, 1, 2, 74},     {15, 3, 2, 71},  {16, 1, 4, 69},
    {17, 1, 2, 81},   {17, 3, 1, 78},     {17, 4, 1, 76},   {18, 1, 2, 78},     {18, 3, 2, 74},  {19, 1, 1, 74},
    {19, 2, 1, 78},   {19, 3, 2, 83},     {20, 1, 3, 81},   {20, 4, 1, 78},     {21, 1, 2, 83},  {21, 3, 1, 81},
    {21, 4, 1, 78},   {22, 1, 4, 74},     {23, 1, 1.5, 76}, {23, 2.5, 0.5, 78}, {23, 3, 2, 81},  {24, 1, 3, 76},
    {24, 4, 1, 74},   {25, 1, 1, 71},     {25, 2, 1, 74},   {25, 3, 2, 78},     {26, 1, 2, 76},  {26, 3, 2, 73},
    {27, 1, 2, 69},   {27, 3, 1, 73},     {27, 4, 1, 76},   {28, 1, 3, 78},     {28, 4, 1, 74},  {29, 1, 2, 76},
    {29, 3, 2, 79},   {30, 1, 2, 78},     {30, 3, 1, 76},   {30, 4, 1, 73},     {31, 1, 2, 74},  {31, 3, 2, 71},
    {32, 1, 4, 69},
};

// Renders into one loop's length; whatever rings past the end wraps round
// to the start, which is exactly what the listener hears when the game loops.
class Mixer {
public:
    explicit Mixer(size_t frames) : frames_(frames), sound_(kRate, 2, static_cast<double>(frames) / kRate) {
        sound_.samples.resize(frames * 2, 0.0f);
    }
    Sound& sound() { return sound_; }

    void Add(size_t frame, double v, double pan) {
        frame %= frames_;
        sound_.samples[frame * 2] += F(v * (1 - pan));
        sound_.samples[frame * 2 + 1] += F(v * (1 + pan));
    }

    // Pad voice: three slightly detuned sines, slow to swell and to fade.
    void Pad(double start, double length, int midi, double amp) {
        const double attack = 1.2, release = 1.8;
        const double f = Hz(midi);
        const double detune[3] = {0.9988, 1.0, 1.0012};
        const double pans[3] = {-0.5, 0.0, 0.5};
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t n = static_cast<size_t>((length + release) * kRate);
        for (int v = 0; v < 3; ++v) {
            double phase = 0.25 * v;
            const double step = f * detune[v] / kRate;
            for (size_t i = 0; i < n; ++i) {
                const double t = static_cast<double>(i) / kRate;
                double env = std::min(1.0, t / attack);
                if (t > length) env *= std::max(0.0, 1 - (t - length) / release);
                env = env * env * (3 - 2 * env);
                phase += step;
                if (phase >= 1) phase -= 1;
                // Second and third harmonics from the fundamental's sine and
                // cosine: two table reads instead of three.
                const double s = Sine(phase), c = Sine(phase + 0.25);
                const double tone = s + 0.18 * (2 * s * c) + 0.05 * s * (3 - 4 * s * s);
                Add(first + i, tone * env * amp / 3, pans[v]);
            }
        }
    }

    void Bass(double start, double length, int midi, double amp) {
        const double f = Hz(midi);
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t n = static_cast<size_t>((length + 0.6) * kRate);
        const double fall = DecayFactor(3.5, kRate);
        double phase = 0, decay = 1;
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double env = std::min(1.0, t / 0.06) * decay;
            decay *= fall;
            if (t > length) env *= std::max(0.0, 1 - (t - length) / 0.6);
            phase += f / kRate;
            if (phase >= 1) phase -= 1;
            const double s = Sine(phase), c = Sine(phase + 0.25);
            Add(first + i, (s + 0.22 * 2 * s * c) * env * amp, 0.0);
        }
    }

    // Music-box tine: a gentle FM bell whose brightness fades first.
    void Tine(double start, int midi, double amp, double pan) {
        const double f = Hz(midi);
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t n = static_cast<size_t>(2.6 * kRate);
        const double fall = DecayFactor(0.75, kRate), dull = DecayFactor(0.18, kRate);
        double carrier = 0, modulator = 0, decay = 1, index = 1.1 / (2 * M_PI);
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double env = std::min(1.0, t / 0.003) * decay;
            decay *= fall;
            index *= dull;
            modulator += f * 3.0 / kRate;
            if (modulator >= 1) modulator -= 1;
            carrier += f / kRate;
            if (carrier >= 1) carrier -= 1;
            Add(first + i, Sine(carrier + index * Sine(modulator)) * env * amp, pan);
        }
    }

    // Melody voice: round and breathy, with a late, slight vibrato.
    void Lead(double start, double length, int midi, double amp) {
        const double f = Hz(midi);
        const size_t first = static_cast<size_t>(start * kRate);
        const double release = 0.45;
        const size_t n = static_cast<size_t>((length + release) * kRate);
        const double fall = DecayFactor(0.3, kRate);
        double phase = 0, breath = 1;
        for (size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double env = std::min(1.0, t / 0.05) * (0.85 + 0.15 * breath);
            breath *= fall;
            if (t > length) env *= std::max(0.0, 1 - (t - length) / release);
            const double vibrato = 1 + 0.0035 * std::min(1.0, std::max(0.0, t - 0.35) / 0.5) * Sine(t * 5.2);
            phase += f * vibrato / kRate;
            if (phase >= 1) phase -= 1;
            const double s = Sine(phase), c = Sine(phase + 0.25);
            const double tone = s + 0.3 * (2 * s * c) + 0.08 * s * (3 - 4 * s * s);
            Add(first + i, tone * env * amp, 0.1);
        }
    }

private:
    size_t frames_;
    Sound sound_;
};

void Render(Mixer& mix, Rng& rng) {
    // Chords: the sixteen-bar progression twice.
    double bar = 1;
    for (int half = 0; half < 2; ++half) {
        for (const Chord& c : kChords) {
            const double start = BarTime(bar, 1);
            const double length = c.bars * kBeatsPerBar * kBeat;
            for (int note : c.notes) mix.Pad(start, length, note, 0.055);
            mix.Bass(start, length, c.bass, 0.16);
            if (c.bars == 2) mix.Bass(start + kBeatsPerBar * kBeat, length / 2, c.bass, 0.12);
            // The arpeggio rests for the first two bars of the piece: the
            // loop opens with a breath before the music box comes in.
            if (bar > 2) {
                const int pattern[8] = {0, 1, 2, 3, 2, 1, 3, 2};
                const int eighths = static_cast<int>(c.bars * kBeatsPerBar * 2);
                for (int e = 0; e < eighths; ++e) {
                    const int midi = c.notes[pattern[e % 8]] + 12;
                    const double jitter = rng.Range(-0.006, 0.006);
                    const double accent = (e % 4 == 0) ? 1.0 : 0.72;
                    mix.Tine(start + e * kBeat / 2 + jitter, midi, 0.045 * accent * rng.Range(0.85, 1.0),
                             (e % 2 == 0) ? -0.35 : 0.35);
                }
            }
            bar += c.bars;
        }
    }
    for (const Note& n : kMelody) mix.Lead(BarTime(n.bar, n.beat), n.beats * kBeat * 0.96, n.midi, 0.095);
}

}  // namespace

int MakeMusic(const std::filesystem::path& dir) {
    const size_t frames = static_cast<size_t>(std::lround(kLoop * kRate));
    Mixer mix(frames);
    Rng rng(21);
    Render(mix, rng);

    // The room has to be listening already when the loop starts: run it over
    // two laps and keep the second, whose opening carries the echoes of the
    // first lap's ending.
    Sound laps;
    laps.rate = kRate;
    laps.channels = 2;
    const auto& one = mix.sound().samples;
    laps.samples.reserve(one.size() * 2);
    laps.samples.insert(laps.samples.end(), one.begin(), one.end());
    laps.samples.insert(laps.samples.end(), one.begin(), one.end());
    Room room(kRate, 0.75, 0.35);
    room.Process(laps, 0.28);

    Sound loop;
    loop.rate = kRate;
    loop.channels = 2;
    loop.samples.assign(laps.samples.begin() + static_cast<std::ptrdiff_t>(one.size()), laps.samples.end());
    Normalise(loop, -19, -2);
    WriteOgg(loop, dir / "music.ogg", 0.25f, 0x7A11F01E);
    return 1;
}

}  // namespace assets
