// SPDX-License-Identifier: GPL-3.0-or-later
// The sound effects. Levels are set against each other for the game's
// default volumes (sound and music both at 50): the click is clearly heard
// over the music, the mouse-over tick barely, and nothing is sharp.

#include "audio.h"
#include "rng.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace assets {

namespace {

constexpr int kRate = 44100;

float F(double v) { return static_cast<float>(v); }

// A fingertip on a paper tab: a short breath of filtered noise over a soft
// low knock, with the faint second contact of paper settling back.
Sound ButtonClick() {
    Sound s(kRate, 1, 0.11);
    Rng rng(11);
    BandPass tap(2300, 0.8, kRate), settle(3600, 1.4, kRate);
    double knockPhase = 0;
    for (size_t i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.0006);
        const double noise = tap(F(rng.Signed())) * attack * std::exp(-t / 0.010);
        const double t2 = t - 0.016;
        const double second = t2 > 0 ? settle(F(rng.Signed())) * 0.35 * std::exp(-t2 / 0.006) : 0.0;
        knockPhase += (175 - 40 * std::min(1.0, t / 0.03)) / kRate;
        const double knock = Sine(knockPhase) * attack * std::exp(-t / 0.018) * 0.55;
        s.samples[i] = F(noise * 2.2 + second * 2.2 + knock);
    }
    FadeOut(s, 0.02);
    ScaleToPeak(s, -9);
    return s;
}

// Pointer over a button: the lightest tick, just enough to confirm.
Sound ButtonOver() {
    Sound s(kRate, 1, 0.045);
    Rng rng(12);
    BandPass air(5200, 1.5, kRate);
    double phase = 0;
    for (size_t i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.0008);
        phase += 3100.0 / kRate;
        const double ping = Sine(phase) * attack * std::exp(-t / 0.0045);
        const double breath = air(F(rng.Signed())) * attack * std::exp(-t / 0.002);
        s.samples[i] = F(ping * 0.8 + breath * 0.6);
    }
    FadeOut(s, 0.01);
    ScaleToPeak(s, -25);
    return s;
}

// One struck bell: inharmonic partials, the higher ones dying sooner.
void Bell(Sound& s, double start, double freq, double amp, double decay, double pan) {
    const double ratios[] = {1.0, 2.0, 2.76, 4.07, 5.43};
    const double levels[] = {1.0, 0.45, 0.28, 0.12, 0.06};
    const size_t first = static_cast<size_t>(start * s.rate);
    const size_t length = std::min(s.Frames() - first, static_cast<size_t>(decay * 6 * s.rate));
    for (int p = 0; p < 5; ++p) {
        const double f = freq * ratios[p];
        const double tau = decay / std::pow(ratios[p], 0.8);
        for (int beat = 0; beat < 2; ++beat) {
            // Two strings a hair apart give the chime its slow shimmer.
            const double detune = beat == 0 ? 1.0 : 1.0018;
            double phase = 0;
            for (size_t i = 0; i < length; ++i) {
                const double t = static_cast<double>(i) / s.rate;
                phase += f * detune / s.rate;
                const double env = std::min(1.0, t / 0.004) * std::exp(-t / tau);
                const double v = Sine(phase) * env * amp * levels[p] * 0.5;
                if (s.channels == 2) {
                    s.samples[(first + i) * 2] += F(v * (1 - pan));
                    s.samples[(first + i) * 2 + 1] += F(v * (1 + pan));
                } else {
                    s.samples[first + i] += F(v);
                }
            }
        }
    }
}

// The maker's splash chime. The splash plays it looped and fades its volume
// in with the picture over more than a second, so the notes come after the
// start, and it ends in silence: were the loop ever reached, it would
// restart without a click.
Sound Splash() {
    Sound s(kRate, 1, 4.6);
    Bell(s, 0.30, 523.25, 0.35, 1.8, 0);   // C5, soft under the rest
    Bell(s, 0.34, 783.99, 0.55, 1.3, 0);   // G5
    Bell(s, 0.66, 1046.50, 0.55, 1.2, 0);  // C6
    Bell(s, 0.98, 1318.51, 0.55, 1.1, 0);  // E6
    Bell(s, 1.42, 1567.98, 0.60, 1.4, 0);  // G6
    Bell(s, 1.44, 1046.50, 0.30, 1.6, 0);
    Room room(kRate, 0.6, 0.4);
    room.Process(s, 0.3);
    FadeOut(s, 0.8);
    ScaleToPeak(s, -6);
    return s;
}

// A small crowd clapping for a few seconds: each clapper keeps their own
// pace, pitch and place in the room, joins within the first moments and
// stops at their own time.
Sound Applause() {
    const double length = 4.4;
    Sound s(kRate, 2, length);
    Rng rng(13);
    const int clappers = 26;
    for (int c = 0; c < clappers; ++c) {
        const double rate = rng.Range(3.3, 5.2);
        double t = rng.Range(0.0, 0.35);
        const double stop = rng.Range(2.3, 3.9);
        const double level = rng.Range(0.45, 1.0);
        const double pan = rng.Range(-0.75, 0.75);
        const double centre = rng.Range(900, 2700);
        const double tau = rng.Range(0.005, 0.011);
        while (t < stop) {
            BandPass body(centre * rng.Range(0.93, 1.07), 1.1, kRate);
            // Clapping slows and softens as each clapper winds down.
            const double tired = std::clamp((stop - t) / 0.8, 0.25, 1.0);
            const double amp = level * tired * rng.Range(0.8, 1.0);
            const size_t start = static_cast<size_t>(t * kRate);
            const size_t n = std::min(static_cast<size_t>(tau * 7 * kRate), s.Frames() - start);
            for (size_t i = 0; i < n; ++i) {
                const double u = static_cast<double>(i) / kRate;
                const double env = std::min(1.0, u / 0.0007) * std::exp(-u / tau);
                const double v = body(F(rng.Signed())) * env * amp;
                s.samples[(start + i) * 2] += F(v * (1 - pan));
                s.samples[(start + i) * 2 + 1] += F(v * (1 + pan));
            }
            t += (1.0 / rate) * rng.Range(0.9, 1.1) / (0.75 + 0.25 * tired);
        }
    }
    Room room(kRate, 0.5, 0.5);
    room.Process(s, 0.22);
    FadeOut(s, 0.4);
    Normalise(s, -20, -3);
    return s;
}

}  // namespace

int MakeSounds(const std::filesystem::path& dir) {
    WriteWav(ButtonClick(), dir / "buttonclick.wav");
    WriteWav(ButtonOver(), dir / "buttonMO.wav");
    WriteWav(Splash(), dir / "splash.wav");
    WriteOgg(Applause(), dir / "applause.ogg", 0.3f, 0x7A11F01D);
    return 4;
}

}  // namespace assets
