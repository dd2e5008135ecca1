// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound buffers, the few synthesis building blocks the game's sounds need,
// and the WAV and Ogg Vorbis writers.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace assets {

struct Sound {
    int rate = 44100;
    int channels = 1;
    std::vector<float> samples;  // interleaved, nominally within [-1, 1]

    Sound() = default;
    Sound(int r, int ch, double seconds)
        : rate(r), channels(ch), samples(static_cast<size_t>(seconds * r) * static_cast<size_t>(ch), 0.0f) {}
    size_t Frames() const { return samples.size() / static_cast<size_t>(channels); }
    double Seconds() const { return static_cast<double>(Frames()) / rate; }
};

namespace detail {
constexpr int kSineSize = 4096;
extern const float* const kSineTable;  // kSineSize + 1 entries
}  // namespace detail

// Sine from a table: fast enough for the thousands of voices in the music,
// and the same numbers on every machine. Phase in turns, above -1000.
inline double Sine(double phase) {
    const double p = (phase + 1024.0) * detail::kSineSize;
    const long i = static_cast<long>(p);
    const double f = p - static_cast<double>(i);
    const int k = static_cast<int>(i & (detail::kSineSize - 1));
    return detail::kSineTable[k] + (detail::kSineTable[k + 1] - detail::kSineTable[k]) * f;
}

// Per-sample factor of an exponential decay with time constant `tau` seconds.
double DecayFactor(double tau, int rate);

// Second-order band-pass filter (constant peak gain), one channel.
class BandPass {
public:
    BandPass(double centreHz, double q, int rate);
    float operator()(float x);

private:
    double b0_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Small stereo room (parallel combs into series all-passes).
class Room {
public:
    Room(int rate, double size, double damping);
    void Process(Sound& sound, double wet);

private:
    struct Comb {
        std::vector<float> line;
        size_t pos = 0;
        float store = 0;
    };
    struct AllPass {
        std::vector<float> line;
        size_t pos = 0;
    };
    Comb combs_[2][6];
    AllPass passes_[2][2];
    double feedback_, damping_;
};

double PeakDb(const Sound& sound);
double RmsDb(const Sound& sound);
// Scales to the wanted loudness, then lowers the whole sound if that would
// put its peak above the ceiling: no clipping, no limiter colouring.
void Normalise(Sound& sound, double rmsDb, double peakCeilingDb);
void ScaleToPeak(Sound& sound, double peakDb);
// Ramps the last `seconds` down to silence.
void FadeOut(Sound& sound, double seconds);

void WriteWav(const Sound& sound, const std::filesystem::path& file);
// The stream serial number is fixed so that the same sound always gives the
// same bytes.
void WriteOgg(const Sound& sound, const std::filesystem::path& file, float quality, int serial);

// Every sound of data/sound and the music; returns how many files.
int MakeSounds(const std::filesystem::path& soundDir);
int MakeMusic(const std::filesystem::path& musicDir);

}  // namespace assets
