// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/screens/screen.h"

#include "framework/audio/channels.h"
#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"

int TScreen::ImageLoad(const std::string& file, int flags, int precache) {
    std::string path = GameState()->ImagePath + file;
    Image = platform::LoadImage(path, flags);
    if (!Image) return ShowError("Error loading bitmap " + platform::RealPath(path), 1);
    Image->SetHandle(0, 0);
    if (precache) Image->Precache();
    return 0;
}

int TScreen::HeaderLoad(const std::string& file, float x, float y, int precache) {
    auto picture = TGameImage::Create(GameState()->ImagePath + file + Ext, platform::IMAGE_DEFAULT_FLAGS, 1);
    Header = TSprite::Create(picture, x, y);
    if (precache) picture->Precache();
    return 0;
}

int TScreen::PreStart() {
    if (!StopInit) {
        Load();
        Start();
    } else {
        CoreStart();
    }
    return 0;
}

int TScreen::ResetStops() {
    StopKill = 0;
    StopInit = 0;
    return 0;
}

int TScreen::Load() { return 0; }

int TScreen::Start() {
    if (GameState()->Mouse) GameState()->Mouse->On();
    GameState()->IgnoreEscapeKey = 0;
    return CoreStart();
}

int TScreen::CoreStart() {
    GameState()->CurrentTScreen = shared_from_this();
    // Buttons under the pointer show their hover state from the first frame.
    if (Menu) Menu->ManageNoSound(0, 0);
    FlushInput();
    if (GameState()->Mouse) GameState()->Mouse->ClearButtons();
    GameState()->FixedRateLogic->Init();
    return 0;
}

int TScreen::PostFadeIn() { return 0; }
int TScreen::PostFadeOut() { return 0; }

int TScreen::Kill() {
    Image.reset();
    Header.reset();
    if (Menu) Menu->Kill();
    Menu.reset();
    return 0;
}

int TScreen::Logic() {
    // The walk goes first: a key it uses is not also an OK button's key.
    if (Focus) Focus->Manage();
    if (Menu) Menu->Manage(0, 0);
    return 0;
}

int TScreen::Draw() {
    if (Image) {
        platform::SetBlend(platform::SOLIDBLEND);
        platform::DrawImage(Image, 0, 0);
    } else {
        platform::Cls();
    }
    platform::SetBlend(platform::ALPHABLEND);
    if (Header) Header->Draw();
    if (Menu) Menu->Draw(0, 0);
    return 0;
}

int TScreen::SetEscDestination() {
    GameState()->DestinationTScreen = GameState()->ExitScreen;
    return 0;
}

int TScreen::SpecificKeys() { return 0; }

int TGameFade::Init(int lengthMs, int out, std::shared_ptr<platform::Channel> channel, int allowAnim,
                    float startCounter, std::shared_ptr<TGameChannel> channel2) {
    if (Active) return 0;
    Length = static_cast<int>(GameState()->CalcAnimLength(static_cast<float>(lengthMs)));
    Counter = startCounter;
    Active = 1;
    Out = out;
    FlushInput();
    Done = 0;
    Channel = std::move(channel);
    Channel2 = std::move(channel2);
    AllowAnim = allowAnim;
    FadeInAborted = 0;
    FadeCounterBeforeAbort = 0;
    SetToFullOnAbort = 1;
    AbortKey = -1;
    if (Out) GameState()->FadeMusic = 1;
    Ratio = Out ? 1.0f : 0.0f;
    if (startCounter > 0) CalcRatio();
    if (GameState()->Fade == 0) Finish();
    return 1;
}

int TGameFade::Manage() {
    if (!Active) return 0;
    int key = FirstKeyHit();
    int click = GameState()->Mouse ? GameState()->Mouse->h1 : 0;
    if (key >= 0 || click > 0) {
        if (!Out) {
            FadeInAborted = 1;
            AbortKey = key >= 0 ? key : -1;
        }
        Finish();
        return -1;
    }
    Counter += ::Delta;
    CalcRatio();
    FadeChannels();
    if (Counter >= Length) {
        Finish();
        return 1;
    }
    return 0;
}

int TGameFade::CalcRatio() {
    float r = Length > 0 ? Counter / static_cast<float>(Length) : 1.0f;
    if (r < 0) r = 0;
    if (r > 1) r = 1;
    Ratio = Out ? 1.0f - r : r;
    return 0;
}

int TGameFade::FadeChannels() {
    if (Channel) Channel->SetVolume(Ratio * static_cast<float>(GameState()->GetMusicVolume()) / 100.0f);
    if (Channel2 && Channel2->Channel)
        Channel2->Channel->SetVolume(Ratio * static_cast<float>(GameState()->SoundVolume) / 100.0f);
    if (GameState()->SpeechChannel)
        GameState()->SpeechChannel->SetVolume(Ratio * static_cast<float>(GameState()->SpeechVolume) / 100.0f);
    return 0;
}

int TGameFade::Finish() {
    Active = 0;
    Done = 1;
    if (Out) {
        Ratio = 0;
    } else {
        if (SetToFullOnAbort) Ratio = 1;
        if (FadeInAborted) FadeCounterBeforeAbort = Counter;
    }
    FadeChannels();
    if (Out) {
        if (Channel2) {
            if (Channel2IsGameChannelArray && GameState()->Channels)
                GameState()->Channels->StopGameChannel(Channel2);
            else if (Channel2->Channel)
                Channel2->Channel->Stop();
        }
        Channel2.reset();
        GameState()->SpeechStop();
    }
    if (Out && GameState()->Fade == 1) {
        // Show the black frame at once rather than on the next drawn frame.
        platform::SetClsColor(0, 0, 0);
        platform::Cls();
        if (!GameState()->FadeMouse && GameState()->Mouse) GameState()->Mouse->Draw();
        platform::Flip(1);
        if (GameState()->CurrentTScreen) GameState()->CurrentTScreen->PostFadeOut();
    } else if (!Out) {
        if (GameState()->CurrentTScreen) GameState()->CurrentTScreen->PostFadeIn();
    }
    FlushInput();
    return 0;
}

int TGameFade::Draw() {
    if (!Active) return 0;
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(1.0f - Ratio);
    platform::SetColor(0, 0, 0);
    platform::DrawRect(0, 0, static_cast<float>(ScreenWidth), static_cast<float>(ScreenHeight));
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    return 0;
}

int TGameFade::GetDone() {
    if (Done) {
        Done = 0;
        return 1;
    }
    return 0;
}
