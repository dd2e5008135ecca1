// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up splash.
#include "game/screens/splash.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

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
