// Audio operations of the game object. The policy (music fades, volumes saved
// with the settings, the escape click) builds on these.
#include <algorithm>

#include "framework/audio/channels.h"
#include "framework/core/game.h"
#include "tallyfold/platform/audio.h"

int TGame::MusicLoad(const std::string& file, int looped, int restart) {
    MusicFileName = file;
    MusicLooped = looped;
    MusicRestart = restart;
    return 0;
}
int TGame::MusicSet(const std::string& name) {
    MusicName = name;
    return 0;
}
int TGame::MusicStop() {
    if (MusicChannel) MusicChannel->Stop();
    return 0;
}
int TGame::MusicPlay() { return 0; }
int TGame::MusicNone() {
    MusicStop();
    MusicFileName = "none";
    MusicName = "none";
    return 0;
}
int TGame::GetMusicVolume() { return CustomMusicVolume > 0 ? CustomMusicVolume : MusicVolume; }
int TGame::MusicFadeInCalc() { return 0; }
int TGame::MusicFadeOutCalc() { return 0; }
int TGame::MusicFadeInApply() { return 0; }
int TGame::MusicFadeOutApply() { return 0; }
int TGame::MusicFadeInManage() { return 0; }
int TGame::MusicFadeOutManage() { return 0; }
int TGame::MusicFadeOutSet(int ms) {
    MusicFadeOut = ms;
    return 0;
}
int TGame::MusicSetVolume(int volume, int /*save*/) {
    MusicVolume = std::clamp(volume, 0, 100);
    return 0;
}
int TGame::MusicChangeVolume(int delta) { return MusicSetVolume(MusicVolume + delta, 1); }
int TGame::ToggleMusic() { return Music ? MusicOff() : MusicOn(); }
int TGame::MusicOff() {
    Music = 0;
    if (MusicChannel) MusicChannel->SetPaused(true);
    return 0;
}
int TGame::MusicOn() {
    Music = 1;
    if (MusicChannel) MusicChannel->SetPaused(false);
    return 0;
}
int TGame::PauseFadeCalc() { return 0; }
int TGame::PauseFadeApply() { return 0; }
int TGame::PauseFadeManage() { return 0; }
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
int TGame::ChangeSoundDriver(const std::string& name, int save) {
    if (platform::SetAudioDriver(name)) {
        SoundDriver = name;
    } else {
        SoundDriver = "None";
    }
    if (save) IniUpdate(1);
    FixedRateLogic->Init();
    return 0;
}
int TGame::SoundSetVolume(int volume, int /*save*/) {
    SoundVolume = std::clamp(volume, 0, 100);
    return 0;
}
int TGame::SoundChangeVolume(int delta) { return SoundSetVolume(SoundVolume + delta, 1); }
int TGame::ToggleSound() { return Sound ? SoundOff() : SoundOn(); }
int TGame::SoundOff() {
    Sound = 0;
    return 0;
}
int TGame::SoundOn() {
    Sound = 1;
    return 0;
}
int TGame::SpeechStop() {
    if (SpeechChannel) SpeechChannel->Stop();
    return 0;
}
int TGame::SpeechSetVolume(int volume, int /*save*/) {
    SpeechVolume = std::clamp(volume, 0, 100);
    return 0;
}
int TGame::SpeechChangeVolume(int delta) { return SpeechSetVolume(SpeechVolume + delta, 1); }
int TGame::SpeechOff() {
    Speech = 0;
    SpeechStop();
    return 0;
}
int TGame::SpeechOn() {
    Speech = 1;
    return 0;
}
int TGame::StopChannels() {
    if (Channels)
        for (auto& channel : Channels->Items)
            if (channel->Channel) channel->Channel->Stop();
    return 0;
}
int TGame::SetEscapeSound(const std::string& /*name*/) { return 0; }
int TGame::EscapeSoundPlay() { return 0; }
