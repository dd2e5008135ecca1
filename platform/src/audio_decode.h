// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning sound files into 16-bit PCM: WAV through SDL after its chunks are
// checked, OGG Vorbis through vorbisfile from memory, whole or a block at a time.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::audio_decode {

// A decoded sound bigger than this is damage or a mistake (a little over
// twelve minutes of 44.1 kHz stereo).
constexpr size_t kMaxPcmBytes = size_t(128) << 20;

struct Pcm {
    std::vector<int16_t> samples;  // interleaved
    int channels = 1;
    int rate = 44100;
};

// False, with pcm untouched, when the bytes are no WAV file this program can play.
bool DecodeWav(const std::vector<uint8_t>& bytes, Pcm& pcm);

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

// Decodes an OGG Vorbis file held in memory to 16-bit PCM, a block at a time.
// More than two channels are mixed down to one (OpenAL only pans mono); a
// chained file goes on only while its format stays the same.
class OggDecoder {
public:
    OggDecoder() = default;
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;
    ~OggDecoder() {
        if (open_) ov_clear(&vf_);
    }

    // False when the bytes are no Vorbis file this program can play. The bytes
    // must outlive the decoder.
    bool Open(const uint8_t* data, size_t size);

    int Channels() const { return outChannels_; }
    int Rate() const { return static_cast<int>(rate_); }
    // Frames of the whole file as its pages claim them; 0 when unknown.
    int64_t Frames() {
        const ogg_int64_t total = ov_pcm_total(&vf_, -1);
        return total > 0 ? int64_t(total) : 0;
    }

    // Appends at most maxFrames frames to out; returns how many, 0 at the end
    // of the file (or where it is damaged beyond repair).
    size_t Read(std::vector<int16_t>& out, size_t maxFrames);

    // Back to the first sample, exactly: a looping tune goes on without a gap.
    bool Rewind();

private:
    static constexpr size_t kBlockFrames = 4096;
    MemorySource src_{nullptr, 0, 0};
    OggVorbis_File vf_{};
    bool open_ = false;
    bool ended_ = false;
    int inChannels_ = 1, outChannels_ = 1;
    long rate_ = 44100;
    int firstStream_ = -1;
    int errors_ = 0;
    std::vector<int16_t> block_;
};

// The whole of an OGG file; false when nothing of it decodes.
bool DecodeOgg(const std::vector<uint8_t>& bytes, Pcm& pcm);

}  // namespace platform::audio_decode
