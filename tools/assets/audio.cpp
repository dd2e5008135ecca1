// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace assets {

namespace {

float ToFloat(double v) { return static_cast<float>(v); }

}  // namespace

namespace detail {
namespace {
const std::array<float, kSineSize + 1> g_table = [] {
    std::array<float, kSineSize + 1> t{};
    for (int i = 0; i <= kSineSize; ++i) t[i] = static_cast<float>(std::sin(2 * M_PI * i / kSineSize));
    return t;
}();
}  // namespace
const float* const kSineTable = g_table.data();
}  // namespace detail

double DecayFactor(double tau, int rate) { return std::exp(-1.0 / (tau * rate)); }

BandPass::BandPass(double centreHz, double q, int rate) {
    const double w = 2 * M_PI * centreHz / rate;
    const double alpha = std::sin(w) / (2 * q);
    const double a0 = 1 + alpha;
    b0_ = alpha / a0;
    b2_ = -alpha / a0;
    a1_ = -2 * std::cos(w) / a0;
    a2_ = (1 - alpha) / a0;
}

float BandPass::operator()(float x) {
    const double y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return ToFloat(y);
}

Room::Room(int rate, double size, double damping) : feedback_(0.70 + 0.28 * size), damping_(damping) {
    // Mutually prime delays (in samples at 44.1 kHz), the right channel a
    // little longer than the left so the room is wide.
    const int combTimes[6] = {1116, 1188, 1277, 1356, 1422, 1491};
    const int passTimes[2] = {556, 441};
    const double scale = rate / 44100.0;
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < 6; ++i)
            combs_[ch][i].line.assign(static_cast<size_t>((combTimes[i] + ch * 23) * scale), 0.0f);
        for (int i = 0; i < 2; ++i)
            passes_[ch][i].line.assign(static_cast<size_t>((passTimes[i] + ch * 23) * scale), 0.0f);
    }
}

void Room::Process(Sound& sound, double wet) {
    const size_t frames = sound.Frames();
    const int channels = sound.channels;
    for (size_t f = 0; f < frames; ++f) {
        float mono = 0;
        for (int ch = 0; ch < channels; ++ch) mono += sound.samples[f * channels + ch];
        const float input = mono * 0.015f;
        for (int out = 0; out < channels; ++out) {
            const int ch = std::min(out, 1);
            float acc = 0;
            for (auto& c : combs_[ch]) {
                const float y = c.line[c.pos];
                c.store = ToFloat(y * (1 - damping_) + c.store * damping_);
                c.line[c.pos] = ToFloat(input + c.store * feedback_);
                c.pos = (c.pos + 1) % c.line.size();
                acc += y;
            }
            for (auto& a : passes_[ch]) {
                const float b = a.line[a.pos];
                a.line[a.pos] = acc + b * 0.5f;
                acc = b - acc;
                a.pos = (a.pos + 1) % a.line.size();
            }
            float& s = sound.samples[f * channels + out];
            s = ToFloat(s * (1 - wet * 0.5) + acc * wet);
        }
    }
}

double PeakDb(const Sound& sound) {
    float peak = 0;
    for (float s : sound.samples) peak = std::max(peak, std::fabs(s));
    return peak > 0 ? 20 * std::log10(peak) : -200;
}

double RmsDb(const Sound& sound) {
    double sum = 0;
    for (float s : sound.samples) sum += static_cast<double>(s) * s;
    const double rms = std::sqrt(sum / std::max<size_t>(1, sound.samples.size()));
    return rms > 0 ? 20 * std::log10(rms) : -200;
}

void ScaleToPeak(Sound& sound, double peakDb) {
    const double gain = std::pow(10.0, (peakDb - PeakDb(sound)) / 20);
    for (float& s : sound.samples) s = ToFloat(s * gain);
}

void Normalise(Sound& sound, double rmsDb, double peakCeilingDb) {
    const double gain = std::pow(10.0, (rmsDb - RmsDb(sound)) / 20);
    for (float& s : sound.samples) s = ToFloat(s * gain);
    if (PeakDb(sound) > peakCeilingDb) ScaleToPeak(sound, peakCeilingDb);
}

void FadeOut(Sound& sound, double seconds) {
    const size_t frames = sound.Frames();
    const size_t n = std::min(frames, static_cast<size_t>(seconds * sound.rate));
    for (size_t i = 0; i < n; ++i) {
        const double g = static_cast<double>(i) / n;
        const size_t f = frames - 1 - i;
        for (int ch = 0; ch < sound.channels; ++ch) sound.samples[f * sound.channels + ch] *= ToFloat(g * g);
    }
}

namespace {

void Put32(std::FILE* f, std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void Put16(std::FILE* f, std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

std::int16_t ToPcm(float s) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    return static_cast<std::int16_t>(v);
}

}  // namespace

void WriteWav(const Sound& sound, const std::filesystem::path& file) {
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + file.string());
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(sound.samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);  // PCM
    Put16(f, static_cast<std::uint16_t>(sound.channels));
    Put32(f, static_cast<std::uint32_t>(sound.rate));
    Put32(f, static_cast<std::uint32_t>(sound.rate * sound.channels * 2));
    Put16(f, static_cast<std::uint16_t>(sound.channels * 2));
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, dataBytes);
    for (float s : sound.samples) Put16(f, static_cast<std::uint16_t>(ToPcm(s)));
    std::fclose(f);
}

void WriteOgg(const Sound& sound, const std::filesystem::path& file, float quality, int serial) {
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + file.string());

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, sound.channels, sound.rate, quality) != 0)
        throw std::runtime_error("vorbis encoder refused its settings for " + file.string());
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", file.stem().string().c_str());
    vorbis_comment_add_tag(&comment, "ARTIST", "Tallyfold");

    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    ogg_page page;
    auto writePage = [&] {
        std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), out);
        std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), out);
    };
    {
        ogg_packet id, comments, codebooks;
        vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
        ogg_stream_packetin(&stream, &id);
        ogg_stream_packetin(&stream, &comments);
        ogg_stream_packetin(&stream, &codebooks);
        while (ogg_stream_flush(&stream, &page) != 0) writePage();
    }

    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) writePage();
            }
        }
    };

    const size_t frames = sound.Frames();
    const size_t chunk = 4096;
    for (size_t start = 0; start < frames; start += chunk) {
        const size_t n = std::min(chunk, frames - start);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
        for (size_t i = 0; i < n; ++i)
            for (int ch = 0; ch < sound.channels; ++ch)
                buffer[ch][i] = sound.samples[(start + i) * sound.channels + ch];
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0) writePage();

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    std::fclose(out);
}

}  // namespace assets
