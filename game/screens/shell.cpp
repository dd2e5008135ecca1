// SPDX-License-Identifier: GPL-3.0-or-later
// The game object's logic step, the splash and the shared screen helpers.
#include "game/screens/shell.h"

#include <cmath>
#include <exception>
#include <vector>

#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/screens/screen.h"
#include "framework/widgets/font.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/vt_mouse.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/screens.h"
#include "framework/settings/ini_file.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

int TVellacorGame::LogicWrapper() {
    Mouse->ClearMouseHit();
    Mouse->Manage();
    DoPeekEvent();
    ReadKeys();
    CheckCommandQForMac();
    if (InstantExit) return -1;
    if (LogicHeld()) return 0;
    GameFade->Manage();
    if (GameFade->Active && !GameFade->AllowAnim) return 1;
    ScreenChange();
    if (CurrentTScreen) CurrentTScreen->Logic();
    if (Fade == 0) ScreenChange();
    return 1;
}

int TVellacorGame::LogicHeld() {
    return ((Paused || Suspended) && platform::MilliSecs() - Game->StartTime > StartUpGraceMs) ? 1 : 0;
}

int TSplashScreen::Init(const std::string& imagePath, const std::string& soundPath, int sound, int fadeSound) {
    Image = platform::LoadImage(imagePath);
    if (!Image) ShowError("Could not load the splash picture " + imagePath, 1);
    Image->MidHandle();
    if (!soundPath.empty()) Sample = platform::LoadSound(soundPath, fadeSound == 1 ? platform::SOUND_LOOP : 0);
    Sound = sound;
    FadeSound = fadeSound;
    FlushKeys();
    FlushMouse();
    OriginalPolledInputState = Keys.UsePlatformInput;
    Keys.UsePlatformInput = 1;
    platform::SetPolledInput(true);
    return 0;
}

int TSplashScreen::InitTimes(float timeIn, float timeFull, float timeOut) {
    TimeIn = timeIn;
    TimeFull = timeFull;
    TimeOut = timeOut;
    return 0;
}

int TSplashScreen::DoSplash() {
    platform::Cls();
    if (Sound && Sample) {
        Channel = platform::AllocChannel();
        if (FadeSound == 1) {
            platform::CueSound(Sample, Channel);
            Channel->SetRate(SampleRate);
            Channel->SetVolume(0);
            Channel->SetPaused(false);
        } else {
            platform::PlaySound(Sample, Channel);
        }
    }
    if (background) {
        fade->Background = background;
        fade->BackgroundXSpeed = BackgroundXSpeed;
        fade->BackgroundYSpeed = BackgroundYSpeed;
        fade->BackgroundZoomSpeed = BackgroundZoomSpeed;
        fade->BackgroundFadeTime = BackgroundFadeTime;
    }
    fade->Init(static_cast<int>(TimeIn), Image, FadeSound == 1 ? Channel : nullptr);
    fade->CentreImage();
    if (fade->FadeDo(0) == -1 || fade->WaitForTime(static_cast<int>(TimeFull)) == -1) {
        CleanUp();
        return -1;
    }
    // The fade-out runs its own length from its own start: counted on from the
    // hold it would begin part-way down, or be over at once.
    fade->Length = TimeOut;
    fade->Reset();
    if (fade->FadeDo(1) == -1) {
        CleanUp();
        return -1;
    }
    fade->Zero();
    CleanUp();
    return 0;
}

int TSplashScreen::CleanUp() {
    if (Sound && Channel) Channel->Stop();
    // Input given during the splash was meant for the splash: the click that
    // cut it short must not land on the title's buttons. A close request stays.
    bool closeRequested = false;
    platform::Event event;
    while (platform::TakeEvent(event)) closeRequested |= event.kind == platform::EventKind::AppTerminate;
    if (closeRequested) platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    FlushKeys();
    FlushMouse();
    if (!OriginalPolledInputState) {
        Keys.UsePlatformInput = 0;
        platform::SetPolledInput(false);
    }
    FlushKeys();
    FlushMouse();
    return 0;
}

int PointInTriangle(float px, float py, float x1, float y1, float x2, float y2, float x3, float y3) {
    auto cross = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    float orientation = cross(x1, y1, x2, y2, x3, y3);
    if (orientation == 0) return 0;
    float c1 = cross(x1, y1, x2, y2, px, py);
    float c2 = cross(x2, y2, x3, y3, px, py);
    float c3 = cross(x3, y3, x1, y1, px, py);
    if (orientation > 0) return c1 > 0 && c2 > 0 && c3 > 0 ? 1 : 0;
    return c1 < 0 && c2 < 0 && c3 < 0 ? 1 : 0;
}

void StartPuzzleTimer() {
    Puzzle.TimerStop = 0;
    Puzzle.TimerStart = platform::MilliSecs();
}

void StopPuzzleTimer() { Puzzle.TimerStop = platform::MilliSecs(); }

std::string PuzzleTimerText() {
    int end = Puzzle.TimerStop ? Puzzle.TimerStop : platform::MilliSecs();
    return FormatMinutesSeconds(end - Puzzle.TimerStart);
}

std::string FormatMinutesSeconds(int milliseconds) {
    // A clock that wrapped or a timer not yet started must not show a negative time.
    if (milliseconds < 0) milliseconds = 0;
    int s = milliseconds / 1000;
    int m = s / 60;
    auto two = [](int value) {
        std::string text = "00" + std::to_string(value);
        return text.substr(text.size() - 2);
    };
    // Cutting the minutes to two digits would show a long game as a short one.
    std::string minutes = m >= 100 ? std::to_string(m) : two(m);
    return minutes + ":" + two(s - 60 * m);
}

std::vector<float> MessageLineTops(const std::string& text, float y, int bottomAlign) {
    std::vector<float> tops;
    if (text.empty()) return tops;
    auto lines = SplitLines(text);
    float top = bottomAlign ? y - 25.0f * static_cast<float>(lines.size() - 1) : y;
    for (size_t i = 0; i < lines.size(); ++i) tops.push_back(top + 25.0f * static_cast<float>(i));
    return tops;
}

void DrawMessage(const std::string& text, float x, float y, const std::shared_ptr<platform::ImageFont>& font,
                 int white, int bottomAlign, int round, int alignment) {
    if (text.empty()) return;
    if (white) platform::SetColor(255, 255, 255);
    platform::SetImageFont(font);
    auto lines = SplitLines(text);
    auto tops = MessageLineTops(text, y, bottomAlign);
    for (size_t i = 0; i < lines.size(); ++i) {
        float top = tops[i];
        if (x == -1)
            DrawTextCentredX(lines[i], top, 1, round);
        else
            DrawTextAligned(lines[i], x, top, 1, alignment, round);
    }
}

int OpenGetStartedPage(int open) {
    if (!open) return 0;
    const std::string file = (Game ? Game->TextPath : std::string()) + GetStartedPage;
    if (platform::FileType(file) != platform::FILETYPE_FILE) return 0;
    // The opener gets a full path: the browser does not share our working folder.
    const std::string page = platform::RealPath(file);
    // The browser opens beside the running game, which steps aside for it in
    // full screen; a toggle would save windowed mode as the player's choice.
    if (Game && Game->FullScreen) platform::Display().MinimiseWindow();
    return platform::OpenURL(page) ? 1 : 0;
}

void TVellacorGame::ShutDownHook() {
    // The game's own message box cannot be shown any more; what goes wrong now
    // is told by the system's.
    const auto notice = SharedData.NoticeHook;
    SharedData.NoticeHook = [](const std::string&) {};
    // An end without the exit fade (an error, an instant exit) leaves the board
    // without its Kill; the puzzle in progress is kept here then.
    if (GameScreen && CurrentTScreen == GameScreen) {
        try {
            GameScreen->Autosave();
        } catch (const std::exception&) {
            // Ending anyway; the last autosave stands.
        }
    }
    // A puzzle only in memory is lost with the process: the last chance to
    // write it, and the player must hear when that fails too.
    FlushAutosave();
    const std::string unsaved = UnsavedAutosaveReason();
    if (!unsaved.empty() && SharedData.SavingOff.empty())
        platform::Notify("Your puzzle in progress could not be kept, so it is lost: " +
                             FileFaultText(AutosavePath(), unsaved),
                         true);
    // A start that failed before the options were read has no first run to finish.
    if (Resources.GameIni && !Resources.GameIni->FileName.empty()) {
        // The welcome page opens only from its button (help screen); leaving the
        // game never starts a browser. The flag stays in the options file as the
        // record that the game has been played.
        Options.FirstRun = 0;
        SaveGameOptions();
    }
    SharedData.NoticeHook = notice;
}

void SetUpStartUpSplash(TSplashScreen& splash, int sound) {
    const std::string soundFile = Game->SoundPath + "splash.wav";
    splash.Init(Game->ImagePath + "splash.png",
                platform::FileType(soundFile) == platform::FILETYPE_FILE ? soundFile : std::string(), sound, 1);
    splash.SampleRate = 0.9f;
    splash.InitTimes(1250, 1500, 1250);
}

int ShowSplash(int sound) {
    TSplashScreen splash;
    SetUpStartUpSplash(splash, sound);
    return splash.DoSplash();
}
