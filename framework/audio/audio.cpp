// SPDX-License-Identifier: GPL-3.0-or-later
// The game's audio policy: one tune with its fades, the effect and speech
// channels, the escape click, volumes saved with the settings, and the driver
// choice.
#include <algorithm>
#include <cstdint>

#include "framework/audio/audio.h"

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/files.h"

namespace {

float Percent(int volume) { return static_cast<float>(volume) / 100.0f; }

// current + delta without overflowing for absurd deltas.
int Nudge(int current, int delta) {
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(current) + delta, 0, 100));
}

}  // namespace

int TAudio::MusicLoad(const std::string& file, int loop) {
    if (State.Music) {
        MusicStop();
        std::string path = State.MusicPath + file;
        // A tune of minutes decoded whole would be the biggest thing in memory.
        MusicSample = platform::LoadSound(path, (loop == 1 ? platform::SOUND_LOOP : 0) | platform::SOUND_STREAM);
        if (!MusicSample) ShowError("Error loading sample " + platform::RealPath(path), 1);
    }
    // With music off only the name is kept; MusicOn loads it later.
    MusicLooped = loop;
    MusicRestart = 1;
    MusicFileName = file;
    return 0;
}

int TAudio::MusicPlay(int fadeIn, int customVolume, int silent) {
    CustomMusicVolume = customVolume;
    if (!State.Music) {
        MusicRestart = 1;
    } else if (MusicChannel && MusicSample) {
        MusicFadeInCounter =
            fadeIn ? State.CalcAnimLength(static_cast<float>(static_cast<int>(MusicFadeIn - 1.0f))) : 0.0f;
        platform::CueSound(MusicSample, MusicChannel);
        MusicFadeInApply();
        if (silent) MusicChannel->SetVolume(0);
        MusicChannel->SetPaused(false);
        MusicRestart = 0;
        MusicStopped = 0;
    }
    MusicName = MusicFileName;
    return 0;
}

int TAudio::MusicStop() {
    if (State.Music && MusicChannel && MusicChannel->Playing()) {
        MusicChannel->Stop();
        MusicChannel = platform::AllocChannel();
    }
    MusicRestart = 1;
    return 0;
}

int TAudio::MusicNone() {
    MusicFileName = "none";
    MusicName = "none";
    MusicRestart = 1;
    return 0;
}

int TAudio::GetMusicVolume() {
    if (CustomMusicVolume == 0) return State.MusicVolume;
    return static_cast<int>(static_cast<int64_t>(State.MusicVolume) * CustomMusicVolume / 100);
}

namespace {
// Share of a fade already done; a fade too short to last a step counts as done.
float FadeShare(float length, float counter) {
    if (length <= 0) return 1.0f;
    return (length - counter) / length;
}
}  // namespace

float TAudio::MusicFadeInCalc() {
    return FadeShare(State.CalcAnimLength(static_cast<float>(static_cast<int>(MusicFadeIn))), MusicFadeInCounter);
}

float TAudio::MusicFadeOutCalc() {
    return FadeShare(State.CalcAnimLength(static_cast<float>(MusicFadeOut)), MusicFadeOutCounter);
}

int TAudio::MusicFadeInApply() {
    float ratio = MusicFadeIn > 0 ? MusicFadeInCalc() : 1.0f;
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()) * ratio);
    return 0;
}

int TAudio::MusicFadeOutApply() {
    float ratio = MusicFadeOut > 0 ? MusicFadeOutCalc() : 1.0f;
    // A finished fade-out leaves the tune playing at volume 0.
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()) * (1.0f - ratio));
    return 0;
}

int TAudio::MusicFadeInManage() {
    if (MusicFadeInDelay > 0) {
        MusicFadeInDelay -= Delta;
        if (MusicFadeInDelay >= 0) return 0;
        MusicFadeInDelay = 0;
    }
    if (MusicFadeInCounter > 0) {
        MusicFadeInCounter = std::max(0.0f, MusicFadeInCounter - Delta);
        MusicFadeInApply();
    }
    return 0;
}

int TAudio::MusicFadeOutManage() {
    if (MusicFadeOutCounter > 0) {
        MusicFadeOutCounter = std::max(0.0f, MusicFadeOutCounter - Delta);
        MusicFadeOutApply();
    }
    return 0;
}

int TAudio::MusicFadeOutSet(int ms) {
    MusicFadeOut = ms;
    MusicFadeOutCounter = State.CalcAnimLength(static_cast<float>(ms));
    return 0;
}

int TAudio::MusicSetVolume(int volume, int save) {
    ClampPercent(volume);
    State.MusicVolume = volume;
    // Overrides a fade in progress until its next step.
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()));
    if (save == 1) {
        Saved(1);
    }
    return 0;
}

int TAudio::MusicChangeVolume(int delta) { return MusicSetVolume(Nudge(State.MusicVolume, delta), 1); }

int TAudio::ToggleMusic() {
    if (IsPaused()) return 0;
    if (State.Music)
        MusicOff();
    else
        MusicOn();
    Saved(1);
    return 0;
}

int TAudio::MusicOff() {
    // A tune that was never started has nothing to pause, so the switch stays on.
    if (MusicRestart) return 0;
    State.Music = 0;
    // Paused, not stopped: switching on again continues where it stopped.
    if (MusicChannel) MusicChannel->SetPaused(true);
    MusicRestart = 0;
    return 1;
}

int TAudio::MusicOn() {
    if (State.Music == 1) return 0;
    State.Music = 1;
    if (MusicRestart == 1 || !MusicChannel) {
        // "none" is no file: without a tune chosen there is nothing to load.
        if (MusicFileName != "none") MusicLoad(MusicFileName, MusicLooped);
        if (MusicName != "none") MusicPlay(1, 0, 0);
    } else if (MusicLooped || MusicStopped == 0) {
        MusicChannel->SetPaused(false);
    }
    return 1;
}

int TAudio::ChannelsCreate(int count) {
    State.Channels = TChannelArray::Create(count);
    State.Channels->MaxVol = static_cast<float>(count);
    return 0;
}

int TAudio::ChannelsKill() {
    if (State.Channels) State.Channels->Kill();
    State.Channels.reset();
    return 0;
}

int TAudio::ChangeSoundDriver(const std::string& name, int mark) {
    if (name.compare(0, 6, "OpenAL") == 0) platform::EnableOpenALAudio();
    SoundDriver = platform::SetAudioDriver(name) ? name : "None";
    // Rewritten on every change so the next start tries what is in use now.
    Saved(mark != 0 ? 1 : 0);
    return 0;
}

int TAudio::SoundPlay(const std::shared_ptr<platform::Sound>& sound) {
    if (!State.Sound || !sound) return 0;
    auto channel = platform::AllocChannel();
    if (!channel) return 0;
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(State.SoundVolume));
    channel->SetPaused(false);
    return 0;
}

int TAudio::SoundPlaySameChannel(std::shared_ptr<platform::Channel>& channel,
                                 const std::shared_ptr<platform::Sound>& sound) {
    if (!State.Sound || !sound || !channel) return 0;
    if (channel->Playing()) channel->SetVolume(0.1f);
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(State.SoundVolume));
    channel->SetPaused(false);
    return 0;
}

int TAudio::SoundPlayReturnChannel(std::shared_ptr<platform::Channel>& channel,
                                   const std::shared_ptr<platform::Sound>& sound, float rate) {
    if (!State.Sound || !sound) return 0;
    // The old sound goes on quietly under the new one.
    if (channel && channel->Playing()) channel->SetVolume(0.1f);
    channel = platform::AllocChannel();
    if (!channel) return 0;
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(State.SoundVolume));
    channel->SetRate(rate);
    channel->SetPaused(false);
    return 0;
}

int TAudio::GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound,
                          float pan) {
    if (!State.Sound || !sound || !sound->sound || !channel) return 0;
    if (channel->Playing()) channel->SetVolume(0.1f);
    platform::CueSound(sound->sound, channel);
    float volume = Percent(State.SoundVolume) * sound->volume;
    if (State.GameFade && State.GameFade->Active) volume *= State.GameFade->Ratio;
    channel->SetVolume(volume);
    channel->SetPan(pan);
    channel->SetRate(sound->pitch);
    channel->SetPaused(false);
    return 0;
}

int TAudio::SoundSetVolume(int volume, int save) {
    ClampPercent(volume);
    // Channels already playing keep the volume they started with.
    State.SoundVolume = volume;
    if (save == 1) {
        Saved(1);
    }
    return 0;
}

int TAudio::SoundChangeVolume(int delta) { return SoundSetVolume(Nudge(State.SoundVolume, delta), 1); }

int TAudio::ToggleSound() {
    if (State.Sound)
        SoundOff();
    else
        SoundOn();
    Saved(1);
    return 0;
}

// Sounds already playing run out on their own.
int TAudio::SoundOff() {
    State.Sound = 0;
    return 1;
}

int TAudio::SoundOn() {
    if (State.Sound == 1) return 0;
    State.Sound = 1;
    return 1;
}

int TAudio::SpeechPlay(const std::shared_ptr<TGameSound>& sound, int interrupt) {
    if (!State.Speech || !State.SpeechChannel || !sound || !sound->sound) return 0;
    if (State.SpeechChannel->Playing() && !interrupt) return 0;
    platform::CueSound(sound->sound, State.SpeechChannel);
    State.SpeechChannel->SetVolume(Percent(State.SpeechVolume));
    State.SpeechChannel->SetPaused(false);
    SpeechStopped = 0;
    return 0;
}

int TAudio::SpeechStop() {
    if (State.Speech && State.SpeechChannel && State.SpeechChannel->Playing()) {
        State.SpeechChannel->Stop();
        State.SpeechChannel = platform::AllocChannel();
    }
    return 0;
}

int TAudio::SpeechSetVolume(int volume, int save) {
    ClampPercent(volume);
    State.SpeechVolume = volume;
    if (State.SpeechChannel) State.SpeechChannel->SetVolume(Percent(volume));
    if (save == 1) {
        Saved(1);
    }
    return 0;
}

int TAudio::SpeechChangeVolume(int delta) { return SpeechSetVolume(Nudge(State.SpeechVolume, delta), 1); }

int TAudio::SpeechOff() {
    State.Speech = 0;
    if (State.SpeechChannel) State.SpeechChannel->SetPaused(true);
    return 1;
}

int TAudio::SpeechOn() {
    if (State.Speech == 1) return 0;
    State.Speech = 1;
    if (State.SpeechChannel && SpeechStopped == 0) State.SpeechChannel->SetPaused(false);
    return 1;
}

int TAudio::SetEscapeSound(const std::string& name) {
    EscapeSound = TGameSound::Create(State.SoundPath + name + ".wav", 0);
    return 0;
}

// Each click replaces the previous one on the escape channel.
int TAudio::EscapeSoundPlay() {
    if (EscapeSound) EscapeSound->PlayInChannel(EscapeChannel, 0.0f);
    return 0;
}

void TAudio::Saved(int mark) {
    if (SaveSettings) SaveSettings(mark);
    if (State.FixedRateLogic) State.FixedRateLogic->Init();
}
