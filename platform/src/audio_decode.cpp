// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_decode.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform::audio_decode {
namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Every chunk must lie inside the file. SDL sizes its buffers by what the
// chunks claim, so a damaged length would otherwise cost gigabytes.
bool WavChunksSound(const std::vector<uint8_t>& bytes) {
    bool fmt = false, data = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint32_t len = Le32(bytes.data() + pos + 4);
        if (len > bytes.size() - pos - 8) return false;
        if (std::memcmp(bytes.data() + pos, "fmt ", 4) == 0) {
            if (len < 16 || data) return false;
            fmt = true;
        } else if (std::memcmp(bytes.data() + pos, "data", 4) == 0) {
            if (!fmt || data) return false;
            data = true;
        }
        pos += 8 + size_t(len) + (len & 1);
    }
    return fmt && data;
}

size_t OggRead(void* ptr, size_t size, size_t count, void* source) {
    auto* m = static_cast<MemorySource*>(source);
    if (size == 0) return 0;
    size_t items = std::min(count, (m->size - m->pos) / size);
    std::memcpy(ptr, m->data + m->pos, items * size);
    m->pos += items * size;
    return items;
}

int OggSeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemorySource*>(source);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(m->pos) : int64_t(m->size);
    int64_t target = base + offset;
    if (target < 0 || target > int64_t(m->size)) return -1;
    m->pos = size_t(target);
    return 0;
}

long OggTell(void* source) { return static_cast<long>(static_cast<MemorySource*>(source)->pos); }

}  // namespace

bool DecodeWav(const std::vector<uint8_t>& bytes, Pcm& pcm) {
    if (!WavChunksSound(bytes)) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) return false;
    SDL_AudioSpec wav;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &wav, &buf, &len)) return false;
    bool decoded = false;
    const int outChannels = wav.channels >= 2 ? 2 : 1;
    SDL_AudioCVT cvt;
    if (wav.channels >= 1 && wav.channels <= 8 && wav.freq > 0 && wav.freq <= 384000 && len > 0 &&
        len <= kMaxPcmBytes &&
        SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, outChannels, wav.freq) >= 0 &&
        uint64_t(len) * std::max(1, cvt.len_mult) <= kMaxPcmBytes * 4) {
        std::vector<uint8_t> work(size_t(len) * std::max(1, cvt.len_mult));
        std::memcpy(work.data(), buf, len);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(len);
        if (!cvt.needed || SDL_ConvertAudio(&cvt) == 0) {
            const size_t produced = cvt.needed ? size_t(cvt.len_cvt) : size_t(len);
            const size_t frameBytes = size_t(outChannels) * 2;
            const size_t usable = produced / frameBytes * frameBytes;
            if (usable > 0) {
                pcm.channels = outChannels;
                pcm.rate = wav.freq;
                pcm.samples.resize(usable / 2);
                std::memcpy(pcm.samples.data(), work.data(), usable);
                decoded = true;
            }
        }
    }
    SDL_FreeWAV(buf);
    return decoded;
}

bool OggDecoder::Open(const uint8_t* data, size_t size) {
    src_ = MemorySource{data, size, 0};
    ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
    if (ov_open_callbacks(&src_, &vf_, nullptr, 0, callbacks) != 0) return false;
    open_ = true;
    vorbis_info* info = ov_info(&vf_, -1);
    if (!info || info->channels < 1 || info->channels > 255 || info->rate <= 0 || info->rate > 384000) return false;
    inChannels_ = info->channels;
    rate_ = info->rate;
    outChannels_ = inChannels_ == 2 ? 2 : 1;
    return true;
}

size_t OggDecoder::Read(std::vector<int16_t>& out, size_t maxFrames) {
    size_t done = 0;
    while (done < maxFrames && !ended_) {
        const size_t want = std::min(maxFrames - done, kBlockFrames) * size_t(inChannels_);
        if (block_.size() < want) block_.resize(want);
        int stream = 0;
        const long got = ov_read(&vf_, reinterpret_cast<char*>(block_.data()), static_cast<int>(want * sizeof(int16_t)),
                                 0, 2, 1, &stream);
        if (got == 0) {
            ended_ = true;
            break;
        }
        if (got < 0) {
            if (got == OV_HOLE && ++errors_ < 64) continue;
            ended_ = true;
            break;
        }
        if (firstStream_ < 0) firstStream_ = stream;
        if (stream != firstStream_) {
            vorbis_info* now = ov_info(&vf_, stream);
            if (!now || now->channels != inChannels_ || now->rate != rate_) {  // a chained tune we cannot join
                ended_ = true;
                break;
            }
        }
        const size_t frames = size_t(got) / sizeof(int16_t) / size_t(inChannels_);
        if (inChannels_ <= 2) {
            out.insert(out.end(), block_.begin(), block_.begin() + static_cast<ptrdiff_t>(frames * inChannels_));
        } else {
            for (size_t f = 0; f < frames; ++f) {
                int sum = 0;
                for (int c = 0; c < inChannels_; ++c) sum += block_[f * inChannels_ + c];
                out.push_back(static_cast<int16_t>(sum / inChannels_));
            }
        }
        done += frames;
    }
    return done;
}

bool OggDecoder::Rewind() {
    if (ov_pcm_seek(&vf_, 0) != 0) return false;
    ended_ = false;
    errors_ = 0;
    return true;
}

bool DecodeOgg(const std::vector<uint8_t>& bytes, Pcm& pcm) {
    OggDecoder decoder;
    if (!decoder.Open(bytes.data(), bytes.size())) return false;
    std::vector<int16_t> samples;
    const size_t maxValues = kMaxPcmBytes / sizeof(int16_t);
    while (samples.size() < maxValues && decoder.Read(samples, 4096) > 0) {
    }
    if (samples.size() > maxValues) samples.resize(maxValues / size_t(decoder.Channels()) * size_t(decoder.Channels()));
    if (samples.empty()) return false;
    pcm.channels = decoder.Channels();
    pcm.rate = decoder.Rate();
    pcm.samples = std::move(samples);
    return true;
}

}  // namespace platform::audio_decode
