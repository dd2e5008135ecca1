// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's audio: one tune with its fades, the effect and speech channels,
// the escape click, the volumes and the driver choice. The game object owns
// one; the switches and volumes themselves stay in the shared state, where
// the settings file and the widgets find them.
#include <functional>
#include <memory>
#include <string>

class TGameState;
class TGameSound;
namespace platform {
class Sound;
class Channel;
}  // namespace platform

class TAudio {
public:
    // saveSettings writes the settings file after a change the player made
    // (volumes, switches, driver; its argument says whether to mark the
    // change); paused says whether the game is paused, when the music switch
    // is left alone.
    TAudio(TGameState& state, std::function<void(int)> saveSettings, std::function<bool()> paused)
        : State(state), SaveSettings(std::move(saveSettings)), IsPaused(std::move(paused)) {}

    int CustomMusicVolume = 0;
    std::shared_ptr<platform::Sound> MusicSample;
    std::shared_ptr<platform::Channel> MusicChannel;
    std::string MusicFileName = "none";
    std::string MusicName = "none";
    int MusicLooped = 1;
    int MusicRestart = 1;
    int MusicStopped = 0;
    float MusicFadeIn = 50.0f;
    float MusicFadeInCounter = 0;
    float MusicFadeInDelay = 0;
    int MusicFadeOut = 1000;
    float MusicFadeOutCounter = 0;
    std::shared_ptr<TGameSound> EscapeSound;
    std::shared_ptr<platform::Channel> EscapeChannel;
    std::string SoundDriver = "FreeAudio";
    int SpeechStopped = 0;

    int MusicLoad(const std::string& file, int loop);
    int MusicStop();
    int MusicPlay(int fadeIn, int customVolume, int silent);
    int MusicNone();
    int GetMusicVolume();
    float MusicFadeInCalc();
    float MusicFadeOutCalc();
    int MusicFadeInApply();
    int MusicFadeOutApply();
    int MusicFadeInManage();
    int MusicFadeOutManage();
    int MusicFadeOutSet(int ms);
    int MusicSetVolume(int volume, int save);
    int MusicChangeVolume(int delta);
    int ToggleMusic();
    int MusicOff();
    int MusicOn();
    int ChannelsCreate(int count);
    int ChannelsKill();
    int ChangeSoundDriver(const std::string& name, int mark);
    int SoundPlay(const std::shared_ptr<platform::Sound>& sound);
    int SoundPlaySameChannel(std::shared_ptr<platform::Channel>& channel,
                             const std::shared_ptr<platform::Sound>& sound);
    int SoundPlayReturnChannel(std::shared_ptr<platform::Channel>& channel,
                               const std::shared_ptr<platform::Sound>& sound, float rate);
    int GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound, float pan);
    int SoundSetVolume(int volume, int save);
    int SoundChangeVolume(int delta);
    int ToggleSound();
    int SoundOff();
    int SoundOn();
    int SpeechStop();
    int SpeechPlay(const std::shared_ptr<TGameSound>& sound, int interrupt);
    int SpeechSetVolume(int volume, int save);
    int SpeechChangeVolume(int delta);
    int SpeechOff();
    int SpeechOn();
    int SetEscapeSound(const std::string& name);
    int EscapeSoundPlay();

private:
    // Writes the settings after a change and restarts the step timer, so that
    // the time the write took is not made up with a burst of steps.
    void Saved(int mark);
    TGameState& State;
    std::function<void(int)> SaveSettings;
    std::function<bool()> IsPaused;
};
