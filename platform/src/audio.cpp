// SPDX-License-Identifier: GPL-3.0-or-later
// Audio drivers (OpenAL devices), sounds decoded once to PCM or, for long
// music, decoded while they play, and channels as OpenAL sources.
#include "tallyfold/platform/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <AL/efx.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "audio_decode.h"
#include "internal.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

namespace platform {
namespace {

using audio_decode::OggDecoder;

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

// Streamed sounds are refilled on a thread of their own while the main thread
// starts, stops and drops channels: everything that touches a source, a
// buffer or the list of voices holds this lock. Recursive, because the public
// operations call one another.
std::recursive_mutex& AudioLock() {
    static auto* lock = new std::recursive_mutex();
    return *lock;
}
using AudioGuard = std::lock_guard<std::recursive_mutex>;

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
    std::vector<int16_t> samples;  // interleaved; empty for a streamed sound
    // A streamed sound keeps its OGG file and each channel decodes it as it
    // plays: a tune of minutes is megabytes of PCM, but less than one of Vorbis.
    std::shared_ptr<const std::vector<uint8_t>> encoded;
    int64_t streamFrames = 0;
    int channels = 1;
    int rate = 44100;
    bool loop = false;
    ALuint buffer = 0;
    uint64_t bufferGeneration = 0;

    SoundData() { LiveSounds().insert(this); }
    ~SoundData() {
        AudioGuard guard(AudioLock());
        ReleaseBuffer();
        LiveSounds().erase(this);
    }
    SoundData(const SoundData&) = delete;
    SoundData& operator=(const SoundData&) = delete;

    bool Streamed() const { return encoded != nullptr; }

    void ReleaseBuffer() {
        if (buffer && bufferGeneration == g_generation && Active()) alDeleteBuffers(1, &buffer);
        buffer = 0;
    }

    // The buffer for the current device, made the first time it is needed
    // there; a sound loaded while silent thus plays after a driver change.
    ALuint Buffer() {
        if (!Active() || Streamed()) return 0;
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
        if (data_->Streamed()) return double(data_->streamFrames) / data_->rate;
        return double(data_->samples.size()) / data_->channels / data_->rate;
    }
    const std::shared_ptr<SoundData>& data() const { return data_; }

private:
    std::shared_ptr<SoundData> data_;
};

// The decoded samples of a file, ready for a buffer.
std::shared_ptr<SoundData> FromPcm(audio_decode::Pcm&& pcm) {
    auto out = std::make_shared<SoundData>();
    out->channels = pcm.channels;
    out->rate = pcm.rate;
    out->samples = std::move(pcm.samples);
    return out;
}

// Checks that the file decodes and keeps it for the channels to decode.
std::shared_ptr<SoundData> OpenOggStream(const std::vector<uint8_t>& bytes) {
    auto encoded = std::make_shared<const std::vector<uint8_t>>(bytes);
    OggDecoder decoder;
    if (!decoder.Open(encoded->data(), encoded->size())) return nullptr;
    std::vector<int16_t> first;
    if (decoder.Read(first, 4096) == 0) return nullptr;
    auto out = std::make_shared<SoundData>();
    out->channels = decoder.Channels();
    out->rate = decoder.Rate();
    out->streamFrames = decoder.Frames();
    out->encoded = std::move(encoded);
    return out;
}

// ---- channels ----------------------------------------------------------------

// A streamed sound keeps this many buffers of a quarter second queued on its
// source: a second of sound ahead of the mixer. Refilled four times a second,
// it has three quarters of a second to spare, and a resting game is woken
// only a few times a second for its music.
constexpr int kStreamBuffers = 4;
constexpr int kStreamBuffersPerSecond = 4;
constexpr auto kRefillPeriod = std::chrono::milliseconds(250);

// The decoding side of a channel that plays a streamed sound.
struct StreamState {
    std::shared_ptr<const std::vector<uint8_t>> encoded;  // what the decoder reads
    OggDecoder decoder;
    ALuint buffers[kStreamBuffers] = {};
    bool ended = false;  // the decoder gave its last sample; what is queued plays out
    std::vector<int16_t> pcm;
};

struct Voice {
    ALuint source = 0;
    uint64_t generation = 0;
    std::shared_ptr<SoundData> sound;  // keeps the buffer alive while it plays
    std::unique_ptr<StreamState> stream;
    bool wanted = false;  // a streamed sound was resumed and neither paused nor stopped since
    bool orphan = false;  // its channel object is gone
    float volume = 1.0f, pan = 0.0f, rate = 1.0f;

    bool HasSource() const { return source && generation == g_generation && Active(); }

    ALint State() const {
        if (!HasSource()) return AL_STOPPED;
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }

    // A stream whose source ran dry before the refill came has stopped only
    // for a moment: the refill starts it again.
    bool Starved() const { return stream && wanted && !stream->ended && State() == AL_STOPPED; }
    bool Heard() const { return State() == AL_PLAYING || Starved(); }
    bool Busy() const {
        const ALint st = State();
        return st == AL_PLAYING || st == AL_PAUSED || Starved();
    }

    void ApplySettings() const {
        if (!HasSource()) return;
        alSourcef(source, AL_GAIN, volume);
        alSourcef(source, AL_PITCH, rate);
        // Pan as a position on the unit circle in front of the listener.
        alSource3f(source, AL_POSITION, pan, 0.0f, -std::sqrt(std::max(0.0f, 1.0f - pan * pan)));
    }

    // Ends the stream's decoding; its buffers go with the source's device.
    void DropStream() {
        if (stream && HasSource()) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
            alDeleteBuffers(kStreamBuffers, stream->buffers);
        }
        stream.reset();
        wanted = false;
    }

    // Decodes the next quarter second into buffer b; false when nothing is left.
    bool FillBuffer(ALuint b) {
        StreamState& s = *stream;
        const int channels = sound->channels;
        const size_t want = size_t(std::max(1, sound->rate / kStreamBuffersPerSecond));
        s.pcm.clear();
        bool rewound = false;
        while (!s.ended && s.pcm.size() / size_t(channels) < want) {
            const size_t got = s.decoder.Read(s.pcm, want - s.pcm.size() / size_t(channels));
            if (got > 0) {
                rewound = false;
            } else if (sound->loop && !rewound && s.decoder.Rewind()) {
                rewound = true;  // a tune that gives nothing after a rewind would loop for ever
            } else {
                s.ended = true;
            }
        }
        if (s.pcm.empty()) return false;
        alBufferData(b, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, s.pcm.data(),
                     static_cast<ALsizei>(s.pcm.size() * sizeof(int16_t)), sound->rate);
        return true;
    }

    // Puts decoded sound into the buffers the mixer has finished with, and
    // starts a source that ran dry again.
    void Refill() {
        if (!stream || !HasSource()) return;
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0; --processed) {
            ALuint b = 0;
            alSourceUnqueueBuffers(source, 1, &b);
            if (!stream->ended && FillBuffer(b)) alSourceQueueBuffers(source, 1, &b);
        }
        ALint queued = 0;
        alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
        if (wanted && queued > 0 && State() == AL_STOPPED) alSourcePlay(source);
    }
};

std::vector<std::shared_ptr<Voice>>& Voices() {
    static auto* voices = new std::vector<std::shared_ptr<Voice>>();
    return *voices;
}

// ---- the refill thread: runs while a streamed sound is wanted, else sleeps

struct Pump {
    std::thread thread;
    std::condition_variable_any wake;
    bool stop = false;

    ~Pump() { Stop(); }
    void Stop() {
        {
            AudioGuard guard(AudioLock());
            stop = true;
        }
        wake.notify_all();
        if (thread.joinable()) thread.join();
        stop = false;
    }
};

Pump& ThePump() {
    static Pump pump;
    return pump;
}

bool StreamsWanted() {
    for (const auto& v : Voices())
        if (v->stream && v->wanted && v->HasSource() && !(v->stream->ended && v->State() == AL_STOPPED)) return true;
    return false;
}

void PumpLoop() {
    Pump& pump = ThePump();
    std::unique_lock<std::recursive_mutex> lock(AudioLock());
    while (!pump.stop) {
        for (const auto& v : Voices()) v->Refill();
        if (StreamsWanted())
            pump.wake.wait_for(lock, kRefillPeriod);
        else
            pump.wake.wait(lock);
    }
}

// Called with the lock held when a stream may have become wanted.
void WakePump() {
    Pump& pump = ThePump();
    if (!pump.thread.joinable()) pump.thread = std::thread(PumpLoop);
    pump.wake.notify_all();
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
    v.DropStream();
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
                                 if (!v->orphan || v->Busy()) return false;
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
        AudioGuard guard(AudioLock());
        // A dropped channel finishes its sound; Reap frees the source afterwards.
        v_->orphan = true;
        if (!v_->HasSource()) {
            v_->stream.reset();
            v_->sound.reset();
        }
    }

    void Cue(const std::shared_ptr<SoundData>& sound) {
        AudioGuard guard(AudioLock());
        // Detach first: the old sound may die with the assignment below, and
        // OpenAL will not delete a buffer that a source still holds.
        v_->DropStream();
        if (v_->HasSource()) {
            alSourceStop(v_->source);
            alSourcei(v_->source, AL_BUFFER, 0);
        }
        v_->sound = sound;
        if (!EnsureSource(v_)) return;
        if (sound->Streamed()) {
            CueStream();
            return;
        }
        ALuint buffer = sound->Buffer();
        if (!buffer) return;
        alSourcei(v_->source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcei(v_->source, AL_LOOPING, sound->loop ? AL_TRUE : AL_FALSE);
        alSourceRewind(v_->source);
        v_->ApplySettings();
    }

    void Stop() override {
        AudioGuard guard(AudioLock());
        v_->DropStream();
        if (v_->HasSource()) {
            alSourceStop(v_->source);
            alSourcei(v_->source, AL_BUFFER, 0);
        }
        v_->sound.reset();
    }

    void SetPaused(bool paused) override {
        AudioGuard guard(AudioLock());
        if (!v_->HasSource() || !v_->sound) return;
        ALint st = v_->State();
        const bool starved = v_->Starved();
        if (v_->stream) v_->wanted = !paused;
        if (paused && starved) {
            // Paused properly, so it still counts as holding its sound.
            alSourcePlay(v_->source);
            alSourcePause(v_->source);
        }
        if (paused && st == AL_PLAYING) alSourcePause(v_->source);
        // A cued source waits in its initial state; resuming starts it, as it
        // does a stream that ran dry.
        if (!paused && (st == AL_PAUSED || st == AL_INITIAL || v_->Starved())) {
            WakeDevice();
            alSourcePlay(v_->source);
        }
        if (!paused && v_->stream) WakePump();
    }

    void SetVolume(float volume) override {
        AudioGuard guard(AudioLock());
        v_->volume = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 0.0f;
        v_->ApplySettings();
    }

    void SetPan(float pan) override {
        AudioGuard guard(AudioLock());
        v_->pan = std::isfinite(pan) ? std::clamp(pan, -1.0f, 1.0f) : 0.0f;
        v_->ApplySettings();
    }

    void SetRate(float rate) override {
        AudioGuard guard(AudioLock());
        // OpenAL refuses a pitch of zero or less; a tiny rate is as good as halted.
        v_->rate = std::isfinite(rate) ? std::clamp(rate, 0.001f, 64.0f) : 1.0f;
        v_->ApplySettings();
    }

    bool Playing() override {
        AudioGuard guard(AudioLock());
        return v_->Busy();
    }

    float Volume() const override { return v_->volume; }

private:
    // Queues the first second of a streamed sound; the source waits in its
    // initial state like any cued one.
    void CueStream() {
        auto stream = std::make_unique<StreamState>();
        stream->encoded = v_->sound->encoded;
        if (!stream->decoder.Open(stream->encoded->data(), stream->encoded->size())) return;
        alGetError();
        alGenBuffers(kStreamBuffers, stream->buffers);
        if (alGetError() != AL_NO_ERROR) return;
        v_->stream = std::move(stream);
        alSourcei(v_->source, AL_LOOPING, AL_FALSE);  // the decoder loops, seamlessly
        for (ALuint b : v_->stream->buffers)
            if (!v_->stream->ended && v_->FillBuffer(b)) alSourceQueueBuffers(v_->source, 1, &b);
        alSourceRewind(v_->source);
        v_->ApplySettings();
    }

    std::shared_ptr<Voice> v_;
};

void CloseDevice() {
    AudioGuard guard(AudioLock());
    if (!g_device) return;
    for (auto& v : Voices()) DeleteSource(*v);
    Voices().erase(
        std::remove_if(Voices().begin(), Voices().end(), [](const std::shared_ptr<Voice>& v) { return v->orphan; }),
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
    for (const auto& name :
         SplitDeviceList(alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER)))
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
    AudioGuard guard(AudioLock());
    CloseDevice();
    const DriverEntry* entry = nullptr;
    for (const auto& d : g_drivers)
        if (SameName(d.name, name)) entry = &d;
    if (!entry) return false;
    ALCdevice* device = alcOpenDevice(entry->device.empty() ? nullptr : entry->device.c_str());
    if (!device) return false;
    // No effects are used: sends would cost memory in every one of the mixer's voices.
    const ALCint attributes[] = {ALC_MAX_AUXILIARY_SENDS, 0, 0};
    ALCcontext* context = alcCreateContext(device, attributes);
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
    AudioGuard guard(AudioLock());
    if (!Active()) return false;
    bool playing = false;
    for (const auto& v : Voices())
        if (v->Heard()) playing = true;
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
    audio_decode::Pcm pcm;
    if (std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0) {
        if (audio_decode::DecodeWav(bytes, pcm)) data = FromPcm(std::move(pcm));
    } else if (std::memcmp(bytes.data(), "OggS", 4) == 0) {
        if ((flags & SOUND_STREAM) != 0)
            data = OpenOggStream(bytes);
        else if (audio_decode::DecodeOgg(bytes, pcm))
            data = FromPcm(std::move(pcm));
    }
    if (!data) return nullptr;
    data->loop = (flags & SOUND_LOOP) != 0;
    return std::make_shared<SoundImpl>(std::move(data));
}

std::shared_ptr<Channel> AllocChannel() {
    AudioGuard guard(AudioLock());
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
void ShutdownAudio() {
    CloseDevice();
    ThePump().Stop();
}
}  // namespace detail

}  // namespace platform
