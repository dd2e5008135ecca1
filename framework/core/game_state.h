// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game object shares with the widgets, screens, audio, input and error
// code: the pointer, the channel pool, the paths, the screens in play, the time
// step and the display switches. They reach the running game through this and
// never through the game object itself, so none of them depends on it.
#include <memory>
#include <string>

// The logical screen every position is given in.
inline constexpr int ScreenWidth = 800;
inline constexpr int ScreenHeight = 600;
// Fraction of a logic step being run; per-step changes are multiplied by it.
extern float Delta;
// Default screen fade length, ms.
inline constexpr int FadeTime = 500;

class TChannelArray;
class TFixedRateLogic;
class TGameFade;
class TGameSound;
class TMousePointer;
class TScreen;
namespace platform {
class Channel;
}

class TGameState {
public:
    virtual ~TGameState() = default;

    std::shared_ptr<TMousePointer> Mouse;
    std::shared_ptr<TChannelArray> Channels;
    std::shared_ptr<TFixedRateLogic> FixedRateLogic;
    std::shared_ptr<TScreen> CurrentTScreen;
    std::shared_ptr<TScreen> DestinationTScreen;
    std::shared_ptr<TScreen> ExitScreen;
    std::shared_ptr<TGameFade> GameFade;
    std::shared_ptr<platform::Channel> SpeechChannel;
    std::string ImagePath, SoundPath, MusicPath, MenuPath, ProfilePath, TextPath;
    int FullScreen = 1;
    int VSync = 1;
    // Sync argument of every frame flip.
    int FlipSync = 1;
    int WindowX = 0, WindowY = 0;
    int Sound = 1, Music = 1, Speech = 1;
    int SoundVolume = 100, MusicVolume = 100;
    int SpeechVolume = 100;
    int Fade = 1;
    int Fast = 0;
    int FadeMusic = 1;
    int FadeMouse = 0;
    int BlockKeys = 0;
    int IgnoreEscapeKey = 0;
    int TerminatedEvent = 0;

    virtual float CalcAnimLength(float ms) = 0;
    virtual float CalcAnimLengthFromFloat(float ms) = 0;
    virtual int GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound,
                              float pan) = 0;
    virtual int SpeechStop() = 0;
    virtual int GetMusicVolume() = 0;
    virtual int DecorationSettled() = 0;
    virtual int LogicHeld() = 0;
    // 1 while a screen fade runs.
    virtual int Fading() = 0;
    virtual int DoPeekEvent() = 0;
    virtual int SetWindowCoords() = 0;
    virtual int SetClientCoords() = 0;
};

// The running game's shared state; null while there is no game object.
TGameState* GameState();
