// SPDX-License-Identifier: GPL-3.0-or-later
// The game object's audio policy: one tune with its fades, the effect and
// speech channels, the escape click, volumes saved with the settings, and the
// driver choice.
#include <algorithm>
#include <cstdint>

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/audio.h"

namespace {

float Percent(int volume) { return static_cast<float>(volume) / 100.0f; }

// current + delta without overflowing for absurd deltas.
int Nudge(int current, int delta) {
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(current) + delta, 0, 100));
}

}  // namespace

int TGame::MusicLoad(const std::string& file, int loop) {
    if (Music) {
        MusicStop();
        std::string path = MusicPath + file;
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

int TGame::MusicPlay(int fadeIn, int customVolume, int silent) {
    CustomMusicVolume = customVolume;
    if (!Music) {
        MusicRestart = 1;
    } else if (MusicChannel && MusicSample) {
        MusicFadeInCounter = fadeIn ? CalcAnimLength(static_cast<float>(static_cast<int>(MusicFadeIn - 1.0f))) : 0.0f;
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

int TGame::MusicStop() {
    if (Music && MusicChannel && MusicChannel->Playing()) {
        MusicChannel->Stop();
        MusicChannel = platform::AllocChannel();
    }
    MusicRestart = 1;
    return 0;
}

int TGame::MusicNone() {
    MusicFileName = "none";
    MusicName = "none";
    MusicRestart = 1;
    return 0;
}

int TGame::GetMusicVolume() {
    if (CustomMusicVolume == 0) return MusicVolume;
    return static_cast<int>(static_cast<int64_t>(MusicVolume) * CustomMusicVolume / 100);
}

namespace {
// Share of a fade already done; a fade too short to last a step counts as done.
float FadeShare(float length, float counter) {
    if (length <= 0) return 1.0f;
    return (length - counter) / length;
}
}  // namespace

float TGame::MusicFadeInCalc() {
    return FadeShare(CalcAnimLength(static_cast<float>(static_cast<int>(MusicFadeIn))), MusicFadeInCounter);
}

float TGame::MusicFadeOutCalc() {
    return FadeShare(CalcAnimLength(static_cast<float>(MusicFadeOut)), MusicFadeOutCounter);
}

int TGame::MusicFadeInApply() {
    float ratio = MusicFadeIn > 0 ? MusicFadeInCalc() : 1.0f;
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()) * ratio);
    return 0;
}

int TGame::MusicFadeOutApply() {
    float ratio = MusicFadeOut > 0 ? MusicFadeOutCalc() : 1.0f;
    // A finished fade-out leaves the tune playing at volume 0.
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()) * (1.0f - ratio));
    return 0;
}

int TGame::MusicFadeInManage() {
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

int TGame::MusicFadeOutManage() {
    if (MusicFadeOutCounter > 0) {
        MusicFadeOutCounter = std::max(0.0f, MusicFadeOutCounter - Delta);
        MusicFadeOutApply();
    }
    return 0;
}

int TGame::MusicFadeOutSet(int ms) {
    MusicFadeOut = ms;
    MusicFadeOutCounter = CalcAnimLength(static_cast<float>(ms));
    return 0;
}

int TGame::MusicSetVolume(int volume, int save) {
    ClampPercent(volume);
    MusicVolume = volume;
    // Overrides a fade in progress until its next step.
    if (MusicChannel) MusicChannel->SetVolume(Percent(GetMusicVolume()));
    if (save == 1) {
        IniUpdate(1);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::MusicChangeVolume(int delta) { return MusicSetVolume(Nudge(MusicVolume, delta), 1); }

int TGame::ToggleMusic() {
    if (Paused) return 0;
    if (Music)
        MusicOff();
    else
        MusicOn();
    IniUpdate(1);
    FixedRateLogic->Init();
    return 0;
}

int TGame::MusicOff() {
    // A tune that was never started has nothing to pause, so the switch stays on.
    if (MusicRestart) return 0;
    Music = 0;
    // Paused, not stopped: switching on again continues where it stopped.
    if (MusicChannel) MusicChannel->SetPaused(true);
    MusicRestart = 0;
    return 1;
}

int TGame::MusicOn() {
    if (Music == 1) return 0;
    Music = 1;
    if (MusicRestart == 1 || !MusicChannel) {
        // "none" is no file: without a tune chosen there is nothing to load.
        if (MusicFileName != "none") MusicLoad(MusicFileName, MusicLooped);
        if (MusicName != "none") MusicPlay(1, 0, 0);
    } else if (MusicLooped || MusicStopped == 0) {
        MusicChannel->SetPaused(false);
    }
    return 1;
}

int TGame::ChannelsCreate(int count) {
    Channels = TChannelArray::Create(count);
    Channels->MaxVol = static_cast<float>(count);
    return 0;
}

int TGame::ChannelsKill() {
    if (Channels) Channels->Kill();
    Channels.reset();
    return 0;
}

int TGame::ChangeSoundDriver(const std::string& name, int mark) {
    if (name.compare(0, 6, "OpenAL") == 0) platform::EnableOpenALAudio();
    SoundDriver = platform::SetAudioDriver(name) ? name : "None";
    // Rewritten on every change so the next start tries what is in use now.
    IniUpdate(mark != 0 ? 1 : 0);
    FixedRateLogic->Init();
    return 0;
}

int TGame::SoundPlay(const std::shared_ptr<platform::Sound>& sound) {
    if (!Sound || !sound) return 0;
    auto channel = platform::AllocChannel();
    if (!channel) return 0;
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(SoundVolume));
    channel->SetPaused(false);
    return 0;
}

int TGame::SoundPlaySameChannel(std::shared_ptr<platform::Channel>& channel,
                                const std::shared_ptr<platform::Sound>& sound) {
    if (!Sound || !sound || !channel) return 0;
    if (channel->Playing()) channel->SetVolume(0.1f);
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(SoundVolume));
    channel->SetPaused(false);
    return 0;
}

int TGame::SoundPlayReturnChannel(std::shared_ptr<platform::Channel>& channel,
                                  const std::shared_ptr<platform::Sound>& sound, float rate) {
    if (!Sound || !sound) return 0;
    // The old sound goes on quietly under the new one.
    if (channel && channel->Playing()) channel->SetVolume(0.1f);
    channel = platform::AllocChannel();
    if (!channel) return 0;
    platform::CueSound(sound, channel);
    channel->SetVolume(Percent(SoundVolume));
    channel->SetRate(rate);
    channel->SetPaused(false);
    return 0;
}

int TGame::GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound,
                         float pan) {
    if (!Sound || !sound || !sound->sound || !channel) return 0;
    if (channel->Playing()) channel->SetVolume(0.1f);
    platform::CueSound(sound->sound, channel);
    float volume = Percent(SoundVolume) * sound->volume;
    if (GameFade && GameFade->Active) volume *= GameFade->Ratio;
    channel->SetVolume(volume);
    channel->SetPan(pan);
    channel->SetRate(sound->pitch);
    channel->SetPaused(false);
    return 0;
}

int TGame::SoundSetVolume(int volume, int save) {
    ClampPercent(volume);
    // Channels already playing keep the volume they started with.
    SoundVolume = volume;
    if (save == 1) {
        IniUpdate(1);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::SoundChangeVolume(int delta) { return SoundSetVolume(Nudge(SoundVolume, delta), 1); }

int TGame::ToggleSound() {
    if (Sound)
        SoundOff();
    else
        SoundOn();
    IniUpdate(1);
    FixedRateLogic->Init();
    return 0;
}

// Sounds already playing run out on their own.
int TGame::SoundOff() {
    Sound = 0;
    return 1;
}

int TGame::SoundOn() {
    if (Sound == 1) return 0;
    Sound = 1;
    return 1;
}

int TGame::SpeechPlay(const std::shared_ptr<TGameSound>& sound, int interrupt) {
    if (!Speech || !SpeechChannel || !sound || !sound->sound) return 0;
    if (SpeechChannel->Playing() && !interrupt) return 0;
    platform::CueSound(sound->sound, SpeechChannel);
    SpeechChannel->SetVolume(Percent(SpeechVolume));
    SpeechChannel->SetPaused(false);
    SpeechStopped = 0;
    return 0;
}

int TGame::SpeechStop() {
    if (Speech && SpeechChannel && SpeechChannel->Playing()) {
        SpeechChannel->Stop();
        SpeechChannel = platform::AllocChannel();
    }
    return 0;
}

int TGame::SpeechSetVolume(int volume, int save) {
    ClampPercent(volume);
    SpeechVolume = volume;
    if (SpeechChannel) SpeechChannel->SetVolume(Percent(volume));
    if (save == 1) {
        IniUpdate(1);
        FixedRateLogic->Init();
    }
    return 0;
}

int TGame::SpeechChangeVolume(int delta) { return SpeechSetVolume(Nudge(SpeechVolume, delta), 1); }

int TGame::SpeechOff() {
    Speech = 0;
    if (SpeechChannel) SpeechChannel->SetPaused(true);
    return 1;
}

int TGame::SpeechOn() {
    if (Speech == 1) return 0;
    Speech = 1;
    if (SpeechChannel && SpeechStopped == 0) SpeechChannel->SetPaused(false);
    return 1;
}

int TGame::SetEscapeSound(const std::string& name) {
    EscapeSound = TGameSound::Create(SoundPath + name + ".wav", 0);
    return 0;
}

// Each click replaces the previous one on the escape channel.
int TGame::EscapeSoundPlay() {
    if (EscapeSound) EscapeSound->PlayInChannel(EscapeChannel, 0.0f);
    return 0;
}
