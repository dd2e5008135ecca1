// SPDX-License-Identifier: GPL-3.0-or-later
// Audio drivers (OpenAL devices), sounds decoded once to PCM, and channels as
// OpenAL sources.
#include "tallyfold/platform/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "internal.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

namespace platform {
namespace {

// A decoded sound bigger than this is damage or a mistake (a little over
// twelve minutes of 44.1 kHz stereo).
constexpr size_t kMaxPcmBytes = size_t(128) << 20;

struct DriverEntry {
    std::string name;
    std::string device;  // empty: OpenAL's default device
};

std::vector<DriverEntry> g_drivers;
ALCdevice* g_device = nullptr;
ALCcontext* g_context = nullptr;
std::string g_driverName;
// Bumped when a device closes: OpenAL names made before then are dead.
uint64_t g_generation = 1;

bool Active() { return g_context != nullptr; }

// OpenAL mixes silence for as long as its device runs; a game at rest pauses
// it and the next sound that starts wakes it.
LPALCDEVICEPAUSESOFT g_pauseDevice = nullptr;
LPALCDEVICERESUMESOFT g_resumeDevice = nullptr;
bool g_deviceResting = false;
uint32_t g_lastHeard = 0;  // the clock wraps: compare differences only

void WakeDevice() {
    if (g_deviceResting && g_device && g_resumeDevice) g_resumeDevice(g_device);
    g_deviceResting = false;
}

// ---- decoded sounds ----------------------------------------------------------

struct SoundData;
std::set<SoundData*>& LiveSounds() {
    static auto* live = new std::set<SoundData*>();
    return *live;
}

struct SoundData {
    std::vector<int16_t> samples;  // interleaved
    int channels = 1;
    int rate = 44100;
    bool loop = false;
    ALuint buffer = 0;
    uint64_t bufferGeneration = 0;

    SoundData() { LiveSounds().insert(this); }
    ~SoundData() {
        ReleaseBuffer();
        LiveSounds().erase(this);
    }
    SoundData(const SoundData&) = delete;
    SoundData& operator=(const SoundData&) = delete;

    void ReleaseBuffer() {
        if (buffer && bufferGeneration == g_generation && Active()) alDeleteBuffers(1, &buffer);
        buffer = 0;
    }

    // The buffer for the current device, made the first time it is needed
    // there; a sound loaded while silent thus plays after a driver change.
    ALuint Buffer() {
        if (!Active()) return 0;
        if (bufferGeneration != g_generation) buffer = 0;
        if (buffer) return buffer;
        alGetError();
        ALuint b = 0;
        alGenBuffers(1, &b);
        if (alGetError() != AL_NO_ERROR) return 0;
        alBufferData(b, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, samples.data(),
                     static_cast<ALsizei>(samples.size() * sizeof(int16_t)), rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &b);
            return 0;
        }
        buffer = b;
        bufferGeneration = g_generation;
        return buffer;
    }
};

class SoundImpl final : public Sound {
public:
    explicit SoundImpl(std::shared_ptr<SoundData> data) : data_(std::move(data)) {}
    bool Looping() const override { return data_->loop; }
    double Seconds() const override {
        return double(data_->samples.size()) / data_->channels / data_->rate;
    }
    const std::shared_ptr<SoundData>& data() const { return data_; }

private:
    std::shared_ptr<SoundData> data_;
};

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

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

std::shared_ptr<SoundData> DecodeWav(const std::vector<uint8_t>& bytes) {
    if (!WavChunksSound(bytes)) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!rw) return nullptr;
    SDL_AudioSpec wav;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &wav, &buf, &len)) return nullptr;
    std::shared_ptr<SoundData> out;
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
                out = std::make_shared<SoundData>();
                out->channels = outChannels;
                out->rate = wav.freq;
                out->samples.resize(usable / 2);
                std::memcpy(out->samples.data(), work.data(), usable);
            }
        }
    }
    SDL_FreeWAV(buf);
    return out;
}

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

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

std::shared_ptr<SoundData> DecodeOgg(const std::vector<uint8_t>& bytes) {
    MemorySource src{bytes.data(), bytes.size(), 0};
    ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&src, &vf, nullptr, 0, callbacks) != 0) return nullptr;
    std::shared_ptr<SoundData> out;
    vorbis_info* info = ov_info(&vf, -1);
    if (info && info->channels >= 1 && info->channels <= 255 && info->rate > 0 && info->rate <= 384000) {
        const int inChannels = info->channels;
        const long rate = info->rate;
        // More than two channels are mixed down to one; OpenAL only pans mono.
        const int outChannels = inChannels == 2 ? 2 : 1;
        std::vector<int16_t> samples;
        std::vector<int16_t> block(4096 * 2);
        int firstStream = -1;
        int errors = 0;
        for (;;) {
            int stream = 0;
            long got = ov_read(&vf, reinterpret_cast<char*>(block.data()),
                               static_cast<int>(block.size() * sizeof(int16_t)), 0, 2, 1, &stream);
            if (got == 0) break;
            if (got < 0) {
                if (got == OV_HOLE && ++errors < 64) continue;
                break;
            }
            if (firstStream < 0) firstStream = stream;
            if (stream != firstStream) {
                vorbis_info* now = ov_info(&vf, stream);
                if (!now || now->channels != inChannels || now->rate != rate) break;  // a chained tune we cannot join
            }
            const size_t values = size_t(got) / sizeof(int16_t);
            const size_t frames = values / size_t(inChannels);
            if ((samples.size() + frames * outChannels) * sizeof(int16_t) > kMaxPcmBytes) break;
            if (inChannels <= 2) {
                samples.insert(samples.end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(frames * inChannels));
            } else {
                for (size_t f = 0; f < frames; ++f) {
                    int sum = 0;
                    for (int c = 0; c < inChannels; ++c) sum += block[f * inChannels + c];
                    samples.push_back(static_cast<int16_t>(sum / inChannels));
                }
            }
        }
        if (!samples.empty()) {
            out = std::make_shared<SoundData>();
            out->channels = outChannels;
            out->rate = static_cast<int>(rate);
            out->samples = std::move(samples);
        }
    }
    ov_clear(&vf);
    return out;
}

// ---- channels ----------------------------------------------------------------

struct Voice {
    ALuint source = 0;
    uint64_t generation = 0;
    std::shared_ptr<SoundData> sound;  // keeps the buffer alive while it plays
    bool orphan = false;               // its channel object is gone
    float volume = 1.0f, pan = 0.0f, rate = 1.0f;

    bool HasSource() const { return source && generation == g_generation && Active(); }

    ALint State() const {
        if (!HasSource()) return AL_STOPPED;
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }

    void ApplySettings() const {
        if (!HasSource()) return;
        alSourcef(source, AL_GAIN, volume);
        alSourcef(source, AL_PITCH, rate);
        // Pan as a position on the unit circle in front of the listener.
        alSource3f(source, AL_POSITION, pan, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - pan * pan)));
    }
};

std::vector<std::shared_ptr<Voice>>& Voices() {
    static auto* voices = new std::vector<std::shared_ptr<Voice>>();
    return *voices;
}

bool EnsureSource(const std::shared_ptr<Voice>& v) {
    if (!Active()) return false;
    if (v->HasSource()) return true;
    alGetError();
    ALuint s = 0;
    alGenSources(1, &s);
    if (alGetError() != AL_NO_ERROR) return false;  // out of voices: this channel stays silent
    alSourcei(s, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(s, AL_ROLLOFF_FACTOR, 0.0f);
    v->source = s;
    v->generation = g_generation;
    auto& all = Voices();
    if (std::find(all.begin(), all.end(), v) == all.end()) all.push_back(v);
    v->ApplySettings();
    return true;
}

void DeleteSource(Voice& v) {
    if (v.HasSource()) {
        alSourceStop(v.source);
        alSourcei(v.source, AL_BUFFER, 0);
        alDeleteSources(1, &v.source);
    }
    v.source = 0;
}

// Frees the sources of channels that were dropped and have finished playing.
void Reap() {
    auto& all = Voices();
    all.erase(std::remove_if(all.begin(), all.end(),
                             [](const std::shared_ptr<Voice>& v) {
                                 if (!v->HasSource()) return v->orphan;
                                 if (!v->orphan) return false;
                                 ALint st = v->State();
                                 if (st == AL_PLAYING || st == AL_PAUSED) return false;
                                 DeleteSource(*v);
                                 v->sound.reset();
                                 return true;
                             }),
              all.end());
}

class ChannelImpl final : public Channel {
public:
    ChannelImpl() : v_(std::make_shared<Voice>()) {}
    ~ChannelImpl() override {
        // A dropped channel finishes its sound; Reap frees the source afterwards.
        v_->orphan = true;
        if (!v_->HasSource()) v_->sound.reset();
    }

    void Cue(const std::shared_ptr<SoundData>& sound) {
        // Detach first: the old sound may die with the assignment below, and
        // OpenAL will not delete a buffer that a source still holds.
        if (v_->HasSource()) {
            alSourceStop(v_->source);
            alSourcei(v_->source, AL_BUFFER, 0);
        }
        v_->sound = sound;
        if (!EnsureSource(v_)) return;
        ALuint buffer = sound->Buffer();
        if (!buffer) return;
        alSourcei(v_->source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcei(v_->source, AL_LOOPING, sound->loop ? AL_TRUE : AL_FALSE);
        alSourceRewind(v_->source);
        v_->ApplySettings();
    }

    void Stop() override {
        if (v_->HasSource()) {
            alSourceStop(v_->source);
            alSourcei(v_->source, AL_BUFFER, 0);
        }
        v_->sound.reset();
    }

    void SetPaused(bool paused) override {
        if (!v_->HasSource() || !v_->sound) return;
        ALint st = v_->State();
        if (paused && st == AL_PLAYING) alSourcePause(v_->source);
        // A cued source waits in its initial state; resuming starts it.
        if (!paused && (st == AL_PAUSED || st == AL_INITIAL)) {
            WakeDevice();
            alSourcePlay(v_->source);
        }
    }

    void SetVolume(float volume) override {
        v_->volume = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 0.0f;
        v_->ApplySettings();
    }

    void SetPan(float pan) override {
        v_->pan = std::isfinite(pan) ? std::clamp(pan, -1.0f, 1.0f) : 0.0f;
        v_->ApplySettings();
    }

    void SetRate(float rate) override {
        // OpenAL refuses a pitch of zero or less; a tiny rate is as good as halted.
        v_->rate = std::isfinite(rate) ? std::clamp(rate, 0.001f, 64.0f) : 1.0f;
        v_->ApplySettings();
    }

    bool Playing() override {
        ALint st = v_->State();
        return st == AL_PLAYING || st == AL_PAUSED;
    }

    float Volume() const override { return v_->volume; }

private:
    std::shared_ptr<Voice> v_;
};

void CloseDevice() {
    if (!g_device) return;
    for (auto& v : Voices()) DeleteSource(*v);
    Voices().erase(std::remove_if(Voices().begin(), Voices().end(),
                                  [](const std::shared_ptr<Voice>& v) { return v->orphan; }),
                   Voices().end());
    for (SoundData* s : LiveSounds()) s->ReleaseBuffer();
    alcMakeContextCurrent(nullptr);
    if (g_context) alcDestroyContext(g_context);
    alcCloseDevice(g_device);
    g_context = nullptr;
    g_device = nullptr;
    g_pauseDevice = nullptr;
    g_resumeDevice = nullptr;
    g_deviceResting = false;
    g_driverName.clear();
    ++g_generation;
}

bool SameName(const std::string& a, const std::string& b) { return detail::LowerAscii(a) == detail::LowerAscii(b); }

void Register(const std::string& name, const std::string& device) {
    for (const auto& d : g_drivers)
        if (SameName(d.name, name)) return;
    g_drivers.push_back(DriverEntry{name, device});
}

std::vector<std::string> SplitDeviceList(const ALCchar* list) {
    std::vector<std::string> out;
    while (list && *list) {
        out.emplace_back(list);
        list += out.back().size() + 1;
    }
    return out;
}

}  // namespace

void EnableOpenALAudio() {
    const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
    for (const auto& name : SplitDeviceList(alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER)))
        Register("OpenAL " + name, name);
    Register("OpenAL Default", "");
    // The name older settings files carry for OpenAL's software mixer.
    Register("OpenAL Generic Software", "");
}

std::vector<std::string> AudioDrivers() {
    std::vector<std::string> names;
    for (const auto& d : g_drivers) names.push_back(d.name);
    return names;
}

bool SetAudioDriver(const std::string& name) {
    CloseDevice();
    const DriverEntry* entry = nullptr;
    for (const auto& d : g_drivers)
        if (SameName(d.name, name)) entry = &d;
    if (!entry) return false;
    ALCdevice* device = alcOpenDevice(entry->device.empty() ? nullptr : entry->device.c_str());
    if (!device) return false;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    g_device = device;
    g_context = context;
    g_driverName = entry->name;
    alDistanceModel(AL_NONE);
    if (alcIsExtensionPresent(device, "ALC_SOFT_pause_device") == ALC_TRUE) {
        g_pauseDevice = reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"));
        g_resumeDevice = reinterpret_cast<LPALCDEVICERESUMESOFT>(alcGetProcAddress(device, "alcDeviceResumeSOFT"));
        // Both or neither: a device paused for good would be silence.
        if (!g_pauseDevice || !g_resumeDevice) g_pauseDevice = nullptr, g_resumeDevice = nullptr;
    }
    g_lastHeard = static_cast<uint32_t>(MilliSecs());
    return true;
}

bool RestAudioIfSilent(int quietMs) {
    if (!Active()) return false;
    bool playing = false;
    for (const auto& v : Voices())
        if (v->State() == AL_PLAYING) playing = true;
    const uint32_t now = static_cast<uint32_t>(MilliSecs());
    if (playing) {
        // A sound started by a path that did not wake the device is heard all the same.
        WakeDevice();
        g_lastHeard = now;
        return false;
    }
    if (!g_deviceResting && g_pauseDevice && static_cast<int64_t>(now - g_lastHeard) >= quietMs) {
        g_pauseDevice(g_device);
        g_deviceResting = true;
    }
    return g_deviceResting;
}

std::string CurrentAudioDriver() { return g_driverName; }
bool AudioAvailable() { return Active(); }

std::shared_ptr<Sound> LoadSound(const std::string& path, int flags) {
    auto bytes = LoadBytes(path);
    return bytes ? LoadSound(*bytes, flags) : nullptr;
}

std::shared_ptr<Sound> LoadSound(const std::vector<uint8_t>& bytes, int flags) {
    if (bytes.size() < 12 || bytes.size() > size_t(INT32_MAX)) return nullptr;
    std::shared_ptr<SoundData> data;
    if (std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0)
        data = DecodeWav(bytes);
    else if (std::memcmp(bytes.data(), "OggS", 4) == 0)
        data = DecodeOgg(bytes);
    if (!data) return nullptr;
    data->loop = (flags & SOUND_LOOP) != 0;
    return std::make_shared<SoundImpl>(std::move(data));
}

std::shared_ptr<Channel> AllocChannel() {
    Reap();
    return std::make_shared<ChannelImpl>();
}

void CueSound(const std::shared_ptr<Sound>& sound, const std::shared_ptr<Channel>& channel) {
    auto* s = dynamic_cast<SoundImpl*>(sound.get());
    auto* c = dynamic_cast<ChannelImpl*>(channel.get());
    if (s && c) c->Cue(s->data());
}

void PlaySound(const std::shared_ptr<Sound>& sound, const std::shared_ptr<Channel>& channel) {
    // Without a channel the sound plays on one of its own that nobody keeps.
    std::shared_ptr<Channel> target = channel ? channel : AllocChannel();
    CueSound(sound, target);
    target->SetPaused(false);
}

namespace detail {
void ShutdownAudio() { CloseDevice(); }
}  // namespace detail

}  // namespace platform
