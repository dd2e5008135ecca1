// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's single game object: screens, the logic timer, pause and
// suspend, and the services it owns (folders, audio, settings, display).
#include <functional>
#include <memory>
#include <string>

#include "framework/audio/audio.h"
#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/core/timing.h"
#include "framework/display/display.h"
#include "framework/paths/folders.h"
#include "framework/settings/settings.h"

namespace platform {
class Sound;
class Channel;
class ImageFont;
}  // namespace platform

class TIniFile;
class TScreen;
class TExitScreen;
class TGameFade;
class TMousePointer;
class TSprite;
class TChannelArray;
class TGameSound;

using TUserFunction = std::function<int()>;

class TGame : public TGameState {
public:
    TGame();
    virtual ~TGame();

    // The game's folders.
    const std::unique_ptr<TPaths> Paths;
    // Music, sounds, speech.
    const std::unique_ptr<TAudio> Audio;
    // The settings file and its crash markers.
    const std::unique_ptr<TSettings> Settings;
    // The window and the display.
    const std::unique_ptr<TDisplay> Display;
    std::string VersionNumber = "0.1";
    int LastFlipSync = 0;
    int SlowMotion = 0;
    float SlowMotionSpeed = 0.25f;
    float CurrentSpeed = 1.0f;
    std::shared_ptr<TScreen> LastTScreen;
    int FadeOnExit = 1;
    int NoTiming = 0;
    int NoTimingTicks = 1;
    std::shared_ptr<TSprite> SpritePaused;
    int InstantExit = 0;
    int Particles = 80;
    int PortalSplash = 0, PortalSplash2 = 0, IntroShow = 0;
    int Paused = 0;
    int DimWhenPaused = 1;
    int PauseOnLossOfFocus = 0;
    int PauseOnLossOfFullScreenFocus = 0;
    int PausedMusicState = 1, PausedSpeechState = 1;
    int Suspended = 0;
    int SuspendedEvent = 0;
    int IgnoreFrameworkKeys = 0;
    int IgnorePauseKey = 0;
    TUserFunction UserSuspendFunction;
    std::string ProfileName;
    int Region = 0, SubRegion = 0;
    // Drawn over the current screen, under the fade and the pointer: what the game shows
    // on whichever screen is up (a message about a file dropped on the window).
    std::function<void()> DrawOverScreen;

    // Start-up and settings.
    virtual int Init();
    // Leaves the marker of a clean end, when there is a game object.
    static int MakeGoodExit();

    // Loop, window.
    virtual int CheckWindow();
    virtual int SetWindowCoords();
    virtual int SetClientCoords();
    virtual int GameTerminated();
    virtual int SpritePausedCreate(const std::string& image);
    virtual int ShowPaused();

    // Keys, pause and speed.
    virtual int ReadKeys();
    virtual int TogglePause();
    virtual int FastOn();
    virtual int FastOff();
    virtual int SlowMotionOn();
    virtual int SlowMotionOff();
    virtual int SetFlipSync();
    virtual int Pause();
    virtual int UnPause();

    // The audio's part of the shared state's interface.
    int GameSoundPlay(std::shared_ptr<platform::Channel>& channel, const std::shared_ptr<TGameSound>& sound,
                      float pan) override;
    int SpeechStop() override;
    int GetMusicVolume() override;

    // Fades, loop, drawing.
    virtual int Fading();
    virtual int MainLogicLoop();
    virtual int LogicWrapper();
    virtual int DoPeekEvent();
    virtual int ScreenDraw();
    virtual int PostDraw();
    // After a frame that showed nothing new: waits for input, at most until
    // the logic steps would start to lose time.
    virtual int RestUntilInput();
    // How early a rest ends before that point, for the steps and the drawing.
    static constexpr int RestMarginMs = 5;
    // 1 while logic steps do nothing (paused or suspended): a rest then lasts
    // until input or HeldRestMs, as no time can be lost.
    virtual int LogicHeld();
    static constexpr int HeldRestMs = 250;
    // Decoration that moves by itself (a glow's pulse, sparkles) settles this
    // long after the player's last input or the last screen change, and takes
    // up again with the next input: a game nobody touches shows a still
    // picture and costs next to nothing.
    static constexpr int SettleAfterMs = 3000;
    int LastInputTime = 0;
    // When the game started, ms; the first moments do not count as the player's.
    int StartTime = 0;
    // 1 once decoration should settle: no input for SettleAfterMs, or logic
    // held (paused, without the focus).
    virtual int DecorationSettled();
    int NoteInput();
    virtual int ScreenChange();
    virtual int ParticlesSet(int value, int save);
    virtual int ParticlesChange(int delta);
    virtual float CalcAnimLength(float ms);
    virtual float CalcAnimLengthFromFloat(float ms);
    virtual int CalcMilliSecsFromFrames(float steps);
    virtual int Kill();
    virtual int TakeScreenshot();
    virtual int RestoreMouseCoords();
    virtual int DeleteAllProfiles();
    virtual int ProfileFolderInUse();

    // The orderly end: clean-exit marker, audio stopped, pointer shown, the
    // game's own last steps (ShutDownHook), process ended with ExitCode.
    [[noreturn]] void ShutDown();
    // 0 for a normal end; the top-level error report sets 1 so that scripts
    // and launchers can tell a failed run from a finished one.
    int ExitCode = 0;
    // What the game adds to the shut-down before the process ends.
    virtual void ShutDownHook() {}

    // A close request is being carried out: nothing new should be started.
    bool IsClosing() const { return Closing; }

private:
    int StartExitFade(int lengthMs, int withMusic);
    // A close request's exit fade: when it began. It takes no longer in real
    // time than it would at full speed (FadeTime).
    int ClosingSince = 0;
    bool Closing = false;
    // Whether the screen saver is held off now; -1 before the first step.
    int ScreenSaverHeld = -1;
    int ReadFrameworkKeys();
    // Tells Settings where the framework's keys live.
    void AddSettingsKeys();
};
