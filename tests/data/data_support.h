// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the tests of the built data tree: where things are, decoding
// pictures and sounds, and measuring text in the game's font.

#include <cairo.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace datatest {

namespace fs = std::filesystem;

fs::path DataDir();     // build/bin/data
fs::path PakStaging();  // the items packed into data.pak
fs::path ArtifactsDir();
fs::path AssetsTool();
fs::path CarlitoDir();
fs::path SourceDataDir();

std::string ReadFile(const fs::path& file);

// The game matches resource names without regard to letter case.
fs::path FindCaseless(const fs::path& dir, const std::string& fileName);

struct Picture {
    int width = 0, height = 0;
    cairo_surface_t* surface = nullptr;  // ARGB32, owned
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    Picture(Picture&& other) noexcept;
    ~Picture();
};

// Decodes a PNG or JPEG; an empty Picture when it does not decode.
Picture LoadPicture(const fs::path& file);

struct Audio {
    int rate = 0, channels = 0;
    std::vector<float> samples;  // interleaved
    double Seconds() const { return channels ? static_cast<double>(samples.size()) / channels / rate : 0; }
};

// 16-bit PCM WAV or Ogg Vorbis; channels is 0 when the file does not decode.
Audio LoadAudio(const fs::path& file);
double PeakDb(const Audio& audio);
double RmsDb(const Audio& audio);

// The game text table as the game reads it: key (upper case) -> lines.
std::map<std::string, std::vector<std::string>> ReadTextTable(const std::string& bytes);

// Selects the game's font (the packed calibri.ttf) on a cairo context.
void UseGameFont(cairo_t* cr, double px);
// Width in pixels of a text in the game's font.
double TextWidth(const std::string& text, double px);

}  // namespace datatest
