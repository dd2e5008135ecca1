// SPDX-License-Identifier: GPL-3.0-or-later
// The sounds and the music: they decode, last as long as their use needs,
// and sit at levels that are comfortable together at the default volumes.

#include "data_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace datatest;

namespace {

Audio Load(const std::string& relative) {
    const fs::path file = FindCaseless(DataDir() / fs::path(relative).parent_path(), fs::path(relative).filename());
    EXPECT_FALSE(file.empty()) << relative;
    Audio a = file.empty() ? Audio() : LoadAudio(file);
    EXPECT_GT(a.channels, 0) << relative << " does not decode";
    return a;
}

}  // namespace

TEST(Sounds, DecodeWithLengthsAndLevelsThatSuitTheirUse) {
    const Audio click = Load("sound/buttonclick.wav");
    const Audio over = Load("sound/buttonMO.wav");
    const Audio splash = Load("sound/splash.wav");
    const Audio applause = Load("sound/applause.ogg");
    const Audio music = Load("music/music.ogg");
    if (::testing::Test::HasFailure()) return;

    EXPECT_LT(click.Seconds(), 0.3);
    EXPECT_LT(over.Seconds(), 0.2);
    EXPECT_GT(splash.Seconds(), 1.0);
    EXPECT_LT(splash.Seconds(), 6.0);
    EXPECT_GT(applause.Seconds(), 2.0);
    EXPECT_LT(applause.Seconds(), 8.0);
    EXPECT_GE(music.Seconds(), 60.0);
    EXPECT_LE(music.Seconds(), 120.0);

    // Nothing clips, and nothing is pushed right to full scale.
    for (const Audio* a : {&click, &over, &splash, &applause, &music}) EXPECT_LT(PeakDb(*a), -1.0);
    // The pointer passing over a button is a whisper next to a click.
    EXPECT_LT(PeakDb(over), PeakDb(click) - 10);
    // Applause and music are of a loudness: neither drowns the other.
    EXPECT_LT(std::fabs(RmsDb(applause) - RmsDb(music)), 8.0);
    EXPECT_GT(RmsDb(music), -30.0);
}

TEST(Sounds, MusicLoopsWithoutAClick) {
    const Audio music = Load("music/music.ogg");
    if (music.channels == 0) return;
    const size_t frames = music.samples.size() / music.channels;
    for (int ch = 0; ch < music.channels; ++ch) {
        auto at = [&](size_t frame) { return music.samples[frame * music.channels + ch]; };
        double step = 0;
        for (size_t f = 1; f < frames; ++f) step += std::fabs(at(f) - at(f - 1));
        step /= static_cast<double>(frames - 1);
        // Wrapping from the last sample to the first is no bigger a jump
        // than the music makes from one sample to the next anyway.
        EXPECT_LT(std::fabs(at(0) - at(frames - 1)), 4 * step + 1e-4) << "channel " << ch;
        // And the two ends carry on at the same loudness.
        double head = 0, tail = 0;
        const size_t window = static_cast<size_t>(music.rate) / 10;
        for (size_t f = 0; f < window; ++f) {
            head += std::fabs(at(f));
            tail += std::fabs(at(frames - 1 - f));
        }
        EXPECT_LT(std::fabs(20 * std::log10((head + 1e-9) / (tail + 1e-9))), 6.0) << "channel " << ch;
    }
}

TEST(Sounds, SplashAndEffectsStartAndEndInSilence) {
    // The splash chime is played looped; the effects are cut short by new
    // plays on the same channel. Silent ends keep both from clicking.
    for (const char* name : {"sound/splash.wav", "sound/buttonclick.wav", "sound/buttonMO.wav", "sound/applause.ogg"}) {
        const Audio a = Load(name);
        if (a.channels == 0) continue;
        EXPECT_LT(std::fabs(a.samples.front()), 0.01) << name;
        EXPECT_LT(std::fabs(a.samples.back()), 0.001) << name;
    }
}
