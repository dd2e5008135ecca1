// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Audio drivers, decoded sounds and mixer channels (OpenAL Soft).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Registers one driver per OpenAL device ("OpenAL " + device name) and "OpenAL Default".
void EnableOpenALAudio();
std::vector<std::string> AudioDrivers();
// Case-insensitive. Shuts the current driver down first; false (and silence)
// when no driver has that name or it does not start.
bool SetAudioDriver(const std::string& name);
std::string CurrentAudioDriver();  // "" when silent
bool AudioAvailable();
// For a program at rest: once no channel has played for quietMs, the mixer is
// paused, so it does not go on mixing silence; the next sound started wakes
// it. True while it rests.
bool RestAudioIfSilent(int quietMs = 2000);

constexpr int SOUND_LOOP = 1;
// For long music: an OGG file is kept as it is and decoded a little at a time
// while it plays (on a thread of the platform's own), instead of all at once
// into memory. Other formats are decoded whole all the same.
constexpr int SOUND_STREAM = 2;

class Sound {
public:
    virtual ~Sound() = default;
    virtual bool Looping() const = 0;
    virtual double Seconds() const = 0;
};

// WAV or OGG; nullptr when the data cannot be decoded. Without a driver a sound
// still decodes, so the game behaves the same when silent.
std::shared_ptr<Sound> LoadSound(const std::string& path, int flags = 0);
std::shared_ptr<Sound> LoadSound(const std::vector<uint8_t>& bytes, int flags = 0);

class Channel {
public:
    virtual ~Channel() = default;
    virtual void Stop() = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual void SetVolume(float volume) = 0;  // 0..1
    virtual void SetPan(float pan) = 0;        // -1..1
    virtual void SetRate(float rate) = 0;      // playback speed factor
    // True while a sound plays or is paused mid-way; a cued sound counts once
    // resumed. Always false while silent.
    virtual bool Playing() = 0;
    virtual float Volume() const = 0;
};

// Never nullptr: without a driver the channel accepts everything and stays
// silent. A channel dropped while it plays finishes its sound first.
std::shared_ptr<Channel> AllocChannel();
// Starts at once; with a null channel the sound plays on a channel of its own.
void PlaySound(const std::shared_ptr<Sound>& sound, const std::shared_ptr<Channel>& channel);
// Prepares paused so volume and rate can be set before SetPaused(false).
void CueSound(const std::shared_ptr<Sound>& sound, const std::shared_ptr<Channel>& channel);

}  // namespace platform
