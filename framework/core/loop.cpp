// SPDX-License-Identifier: GPL-3.0-or-later
// The main loop: fixed-rate logic steps, the event pump, hot keys, window
// activation, pause and speed, frame drawing and the screen switch.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

int TGame::MainLogicLoop() {
    FixedRateLogic->Calc();
    // Known before this frame's rest, which it lengthens while hidden.
    FixedRateLogic->SetHidden(platform::WindowShowing() ? 0 : 1);
    if (NoTiming) FixedRateLogic->NumTicks = NoTimingTicks;
    double ticks = FixedRateLogic->NumTicks;
    int whole = static_cast<int>(std::floor(ticks));
    for (int i = 0; i < whole; ++i) {
        FixedRateLogic->SetDelta(1.0f);
        if (LogicWrapper() == -1) return -1;
    }
    double fraction = ticks - whole;
    if (fraction > 0) {
        FixedRateLogic->SetDelta(static_cast<float>(fraction));
        if (LogicWrapper() == -1) return -1;
    }
    return 1;
}

int TGame::LogicWrapper() {
    Mouse->ClearMouseHit();
    Mouse->Manage();
    DoPeekEvent();
    ReadKeys();
    if (InstantExit) return -1;
    if (LogicHeld()) return 0;
    GameFade->Manage();
    if (!GameFade->Active || GameFade->AllowAnim) {
        ScreenChange();
        if (CurrentTScreen) CurrentTScreen->Logic();
        if (Fade == 0) ScreenChange();
    }
    return 1;
}

namespace {
// A key that goes down in a logic step stays down for that step, and so does
// every key that was held when it went down. A press and its release that
// arrive together (a quick tap, a key sent by a tool, a burst after a stall)
// are read in two steps, so that a screen that looks at the held state sees
// the key down; a second press of the key waits for the next step too, so that
// every press is a hit of its own; and a modifier let go just after the key it
// modifies (Alt+Enter as a tool sends it) still counts as held with it. Once
// one key event waits, every later key event waits behind it and presses keep
// their order; typed characters, the pointer and the window are not held back.
struct StepKeys {
    bool pressed[256] = {};
    bool anyPressed = false;
    bool waiting = false;

    bool Take(const platform::Event& event) {
        if (event.kind != platform::EventKind::KeyDown && event.kind != platform::EventKind::KeyUp) return true;
        if (event.data < 0 || event.data >= 256) return true;
        const bool down = event.kind == platform::EventKind::KeyDown;
        if (waiting || (down && pressed[event.data]) || (!down && anyPressed)) {
            waiting = true;
            return false;
        }
        if (down) pressed[event.data] = anyPressed = true;
        return true;
    }
};
}  // namespace

int TGame::DoPeekEvent() {
    StepKeys keys;
    std::vector<platform::Event> later;
    platform::Event event;
    while (platform::PeekEvent(event)) {
        platform::TakeEvent(event);
        if (!keys.Take(event)) {
            later.push_back(event);
            continue;
        }
        switch (event.kind) {
            case platform::EventKind::KeyDown:
            case platform::EventKind::KeyChar:
            case platform::EventKind::MouseMove:
            case platform::EventKind::MouseDown:
            case platform::EventKind::MouseWheel:
            case platform::EventKind::AppResume:
                NoteInput();
                break;
            default:
                break;
        }
        switch (event.kind) {
            case platform::EventKind::KeyDown:
                if (event.data >= 0 && event.data < 256) {
                    Keys.KeyStates[event.data] = 1;
                    Keys.KeyHits[event.data] += 1;
                }
                break;
            case platform::EventKind::KeyUp:
                if (event.data >= 0 && event.data < 256) Keys.KeyStates[event.data] = 0;
                break;
            case platform::EventKind::KeyChar:
                QueueChar(event.data);
                break;
            case platform::EventKind::MouseMove:
                Mouse->x = event.x;
                Mouse->y = event.y;
                break;
            case platform::EventKind::MouseDown:
                Mouse->ClearMouseHit();
                if (event.data == 1) {
                    Mouse->b1 = 1;
                    Mouse->h1 += 1;
                } else if (event.data == 2) {
                    Mouse->b2 = 1;
                    Mouse->h2 += 1;
                } else if (event.data == 3) {
                    Mouse->b3 = 1;
                    Mouse->h3 += 1;
                }
                Mouse->CalcButtonTotals();
                break;
            case platform::EventKind::MouseUp:
                if (event.data == 1) Mouse->b1 = 0;
                if (event.data == 2) Mouse->b2 = 0;
                if (event.data == 3) Mouse->b3 = 0;
                Mouse->CalcButtonTotals();
                break;
            case platform::EventKind::MouseWheel:
                Mouse->z += event.data;
                break;
            case platform::EventKind::AppSuspend:
                SuspendedEvent = 1;
                break;
            case platform::EventKind::AppResume:
                SuspendedEvent = 0;
                break;
            case platform::EventKind::AppTerminate:
                TerminatedEvent = 1;
                break;
            case platform::EventKind::None:
                break;
        }
    }
    platform::ReturnEvents(later);
    // A window that is active again resumes even without a resume event.
    if (!FullScreen && Suspended && SuspendedEvent && platform::Display().WindowIsForeground()) SuspendedEvent = 0;
    return 0;
}

int TGame::StartExitFade(int lengthMs, int withMusic) {
    return GameFade->Init(lengthMs, 1, withMusic ? Audio->MusicChannel : nullptr, 1, 0, nullptr);
}

int TGame::ReadKeys() {
    if (CheckWindow() == -1) {
        // A paused or inactive game runs no logic steps, so an exit fade would
        // never end and the close would be lost; its picture is still and its
        // music silent anyway. It ends at once instead.
        if (FadeOnExit && !Paused && !Suspended) {
            InstantExit = 0;
            // A running fade-in would swallow the exit fade and the close would be
            // lost; it gives way at once. A running fade-out simply ends at the
            // exit screen instead.
            if (GameFade->Active && !GameFade->Out) GameFade->Finish();
            StartExitFade(FadeTime, 1);
            DestinationTScreen = ExitScreen;
            ClosingSince = platform::MilliSecs();
            Closing = true;
        } else {
            return -1;
        }
    }
    // Once a close began it leads out, whatever a screen asks for meanwhile (a
    // new puzzle made just after the close came names the board as its
    // destination), and within a second: the exit fade counts logic steps, and
    // slow frames (a loaded machine, a slow display) or a pause that came after
    // the close would stretch it.
    if (Closing) {
        DestinationTScreen = ExitScreen;
        const bool late = static_cast<unsigned>(platform::MilliSecs()) - static_cast<unsigned>(ClosingSince) >
                          static_cast<unsigned>(FadeTime);
        // Held logic would never reach the screen switch.
        if (LogicHeld() || (!GameFade->Active && !GameFade->Done)) {
            InstantExit = 1;
            Closing = false;
        } else if (GameFade->Active && late)
            GameFade->Finish();
    }
    if (Paused && Mouse->GetMh(1)) TogglePause();
    if (BlockKeys) return 0;
    if (!IgnorePauseKey && KeyHit('P')) TogglePause();

    if (KeyHit(vk::ESCAPE)) {
        if (GameFade->Active) {
            if (!GameFade->Out) {
                GameFade->FadeInAborted = 1;
                GameFade->AbortKey = 0;
            }
            GameFade->Finish();
        } else if (Paused) {
            Paused = 0;
            UnPause();
            FlushInput();
        } else if (!IgnoreEscapeKey) {
            Audio->EscapeSoundPlay();
            int length = CurrentTScreen ? CurrentTScreen->SetEscDestination() : (DestinationTScreen = ExitScreen, 0);
            if (length == 0) length = FadeTime;
            if (FadeMusic) {
                StartExitFade(length, 1);
            } else {
                StartExitFade(length, 0);
                FadeMusic = 1;
            }
        } else {
            Keys.KeyHits[vk::ESCAPE] = 1;
        }
    }

    // F11 as on other desktop programs, Alt+Enter as the game always had it.
    bool alt = KeyDown(vk::LMENU) || KeyDown(vk::RMENU) || KeyDown(vk::MENU);
    if ((alt && KeyDown(vk::RETURN)) || KeyHit(vk::F11)) {
        Display->ToggleFullScreen();
        FlushKeys();
    }
    // The player's documented screenshot key works with the framework's own
    // hot keys switched off, as the game has them.
    if (KeyHit(vk::F12)) TakeScreenshot();

    if (!IgnoreFrameworkKeys) ReadFrameworkKeys();

    if (!Paused && !Suspended && CurrentTScreen) CurrentTScreen->SpecificKeys();
    return 1;
}

int TGame::ReadFrameworkKeys() {
    if (KeyHit(vk::OEM_MINUS)) {
        Audio->SoundChangeVolume(-10);
        Audio->MusicChangeVolume(-10);
        Audio->SpeechChangeVolume(-10);
        FlushKeys();
    }
    if (KeyHit(vk::OEM_PLUS)) {
        Audio->SoundChangeVolume(10);
        Audio->MusicChangeVolume(10);
        Audio->SpeechChangeVolume(10);
        FlushKeys();
    }
    if (KeyDown('X') && (KeyDown(vk::LCONTROL) || KeyDown(vk::RCONTROL) || KeyDown(vk::CONTROL))) {
        InstantExit = 1;
        FlushKeys();
    }
    if (KeyHit('F')) {
        Display->ToggleFullScreen();
        FlushKeys();
    }
    if (KeyHit('B')) {
        platform::Display().MinimiseWindow();
        static_cast<void>(platform::Flip(FlipSync));
        FlushKeys();
    }
    if (KeyHit('M')) {
        Audio->ToggleMusic();
        FlushKeys();
    }
    if (KeyHit('S')) {
        Audio->ToggleSound();
        FlushKeys();
    }
    if (KeyHit('V')) {
        Display->ToggleVSync();
        FlushKeys();
    }
    if (KeyHit('G')) {
        Display->SetDriver(Display->Driver == 0 ? 1 : 0);
        FlushKeys();
    }
    if (KeyHit('H')) {
        std::string next = "FreeAudio";
        if (Audio->SoundDriver == "FreeAudio")
            next = "DirectSound";
        else if (Audio->SoundDriver == "DirectSound")
            next = "OpenAL Generic Software";
        Audio->ChangeSoundDriver(next, 1);
        FlushKeys();
    }
    return 0;
}

int TGame::CheckWindow() {
    if (GameTerminated() == -1) return -1;
    Display->TrackWindowSize();
    if (SuspendedEvent && !Suspended) {
        if ((PauseOnLossOfFocus || (PauseOnLossOfFullScreenFocus && FullScreen)) && !Paused) {
            Paused = 1;
            Pause();
        }
        if (!Paused) {
            PausedMusicState = Music;
            PausedSpeechState = Speech;
            if (Music) Audio->MusicOff();
            if (Speech) Audio->SpeechOff();
            platform::SetProcessPriority(0);
            platform::SetThreadPriority(0);
        }
        Suspended = 1;
        if (UserSuspendFunction) UserSuspendFunction();
    } else if (Suspended && !SuspendedEvent) {
        if (!Paused) {
            if (PausedMusicState) Audio->MusicOn();
            if (PausedSpeechState) Audio->SpeechOn();
            Display->SetPriority();
        }
        FixedRateLogic->Init();
        Suspended = 0;
        FlushInput();
    }
    const int hold = (CurrentTScreen && CurrentTScreen->KeepAwake() && !Paused && !Suspended) ? 1 : 0;
    if (hold != ScreenSaverHeld) {
        platform::Display().AllowScreenSaver(hold == 0);
        ScreenSaverHeld = hold;
    }
    if (!Suspended && !Paused) {
        if (Music && !Audio->MusicLooped && Audio->MusicChannel && !Audio->MusicChannel->Playing())
            Audio->MusicStopped = 1;
        if (Speech && SpeechChannel && !SpeechChannel->Playing()) Audio->SpeechStopped = 1;
        Audio->MusicFadeInManage();
        Audio->MusicFadeOutManage();
    }
    // No sleep here while inactive: a frame that shows nothing new rests until
    // input or the timer's next deadline (RestUntilInput), which wakes the
    // game a few times a second instead of on every step.
    return 1;
}

int TGame::GameTerminated() {
    if (!TerminatedEvent) return 1;
    TerminatedEvent = 0;
    InstantExit = 1;
    return -1;
}

int TGame::TogglePause() {
    Paused = Paused ? 0 : 1;
    if (Paused)
        Pause();
    else
        UnPause();
    FlushInput();
    return 0;
}

int TGame::Pause() {
    // An inactive window has already silenced the game and kept the switches.
    if (!Suspended) {
        PausedMusicState = Music;
        PausedSpeechState = Speech;
    }
    if (Music) Audio->MusicOff();
    if (Speech) Audio->SpeechOff();
    platform::SetProcessPriority(0);
    platform::SetThreadPriority(0);
    return 0;
}

int TGame::UnPause() {
    // While the window is inactive the sound comes back with the focus.
    if (!Suspended) {
        if (PausedMusicState) Audio->MusicOn();
        if (PausedSpeechState) Audio->SpeechOn();
    }
    Display->SetPriority();
    FixedRateLogic->Init();
    return 0;
}

int TGame::FastOn() {
    Fast = 1;
    LastFlipSync = FlipSync;
    FlipSync = 0;
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    return 0;
}

int TGame::FastOff() {
    if (!Fast) return 0;
    Fast = 0;
    FlipSync = LastFlipSync;
    FixedRateLogic->Init();
    FixedRateLogic->HistoryClear();
    return 0;
}

int TGame::SlowMotionOn() {
    SlowMotion = 1;
    CurrentSpeed = SlowMotionSpeed;
    FixedRateLogic->Framerate = FixedRateLogic->FramerateDefault * SlowMotionSpeed;
    FixedRateLogic->CalcMS();
    FixedRateLogic->Init();
    return 0;
}

int TGame::SlowMotionOff() {
    SlowMotion = 0;
    CurrentSpeed = 1.0f;
    FixedRateLogic->Framerate = static_cast<float>(FixedRateLogic->FramerateDefault);
    FixedRateLogic->CalcMS();
    FixedRateLogic->Init();
    return 0;
}

int TGame::SetFlipSync() {
    FlipSync = VSync ? 1 : 0;
    return 0;
}

int TGame::ShowPaused() {
    if ((Paused || Suspended) && SpritePaused) {
        platform::SetBlend(platform::ALPHABLEND);
        if (DimWhenPaused) {
            platform::SetColor(0, 0, 0);
            platform::SetAlpha(0.5f);
            platform::DrawRect(0, 0, static_cast<float>(ScreenWidth), static_cast<float>(ScreenHeight));
        }
        platform::SetColor(255, 255, 255);
        platform::SetAlpha(1.0f);
        SpritePaused->Draw();
    }
    return 0;
}

int TGame::ScreenDraw() {
    // Nobody sees a hidden or minimised window; its picture is made again
    // when it shows.
    if (platform::WindowShowing()) {
        if (CurrentTScreen) CurrentTScreen->Draw();
        if (CurrentTScreen && CurrentTScreen->Focus) CurrentTScreen->Focus->Draw();
        if (DrawOverScreen) DrawOverScreen();
        if (!GameFade->Active) ShowPaused();
        if (FadeMouse) Mouse->Draw();
        GameFade->Draw();
        if (GameFade->Active) ShowPaused();
        if (!FadeMouse) Mouse->Draw();
    }
    PostDraw();
    return 0;
}

int TGame::PostDraw() {
    // The flip itself keeps presented frames to the display's refresh rate and
    // presents nothing when the picture is the same as the last one. Either
    // way the game went on running with its settings.
    const bool presented = platform::Flip(FlipSync);
    Settings->ConfirmSettingsChange();
    if (presented) {
        // Unpaced flips (fast mode) still leave the machine a breath.
        if (FlipSync == 0) platform::Delay(3);
        return 0;
    }
    RestUntilInput();
    return 0;
}

int TGame::RestUntilInput() {
    // Fast mode and fixed steps count frames, not time: waiting would slow them.
    if (Fast || NoTiming) return 0;
    // Nothing new was shown, so nothing is moving: sleep until the player does
    // something, but wake in time for the next logic steps to cover all the
    // time that passed (a frame counts at most Threshold ms, or longer while
    // the window is hidden), so a change that comes by itself (a timer's
    // second, an animation's delay running out) is not late and no logic time
    // is lost.
    if (LogicHeld()) {
        // Paused or in the background, with nothing to hear, the mixer need
        // not run; while playing it stays ready, so no sound starts late.
        platform::RestAudioIfSilent();
        platform::WaitForInput(HeldRestMs);
        return 0;
    }
    const uint32_t now = static_cast<uint32_t>(platform::MilliSecs());
    const uint32_t last = static_cast<uint32_t>(static_cast<int64_t>(FixedRateLogic->LastTime));
    const int sinceLogic = static_cast<int>(now - last);
    const int budget = FixedRateLogic->FrameCap() - RestMarginMs - std::max(0, sinceLogic);
    if (budget > 0) platform::WaitForInput(budget);
    return 0;
}

int TGame::LogicHeld() { return (Paused || Suspended) ? 1 : 0; }

int TGame::NoteInput() {
    LastInputTime = platform::MilliSecs();
    return 0;
}

int TGame::DecorationSettled() {
    if (LogicHeld()) return 1;
    // The clock wraps; only the difference counts.
    const unsigned since = static_cast<unsigned>(platform::MilliSecs()) - static_cast<unsigned>(LastInputTime);
    return since >= static_cast<unsigned>(SettleAfterMs) ? 1 : 0;
}

int TGame::ScreenChange() {
    if (!GameFade->GetDone()) return 0;
    if (!GameFade->Out) return 0;
    if (CurrentTScreen && !CurrentTScreen->StopKill) CurrentTScreen->Kill();
    if (!DestinationTScreen)
        ShowError("Screen '" + (CurrentTScreen ? CurrentTScreen->name : std::string()) +
                      "' does not have a destination screen set!",
                  1);
    LastTScreen = CurrentTScreen;
    // A new screen shows its decoration for a while even to a player who sits still.
    NoteInput();
    if (DestinationTScreen == ExitScreen) {
        InstantExit = 1;
        Closing = false;
        CurrentTScreen = ExitScreen;
    } else {
        DestinationTScreen->PreStart();
    }
    FlushInput();
    return 0;
}
