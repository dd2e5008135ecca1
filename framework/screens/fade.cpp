// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/screens/fade.h"

#include <algorithm>

#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace {
void RestingDrawState() {
    platform::SetBlend(platform::SOLIDBLEND);
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
}

float Now() { return static_cast<float>(platform::MilliSecs()); }
}  // namespace

int TFade::Init(int lengthMs, std::shared_ptr<platform::Image> image, std::shared_ptr<platform::Channel> channel) {
    Length = static_cast<float>(lengthMs);
    Image = std::move(image);
    Channel = std::move(channel);
    return Reset();
}

int TFade::Reset() {
    StartTime = Now();
    Elapsed = 0;
    LastTime = StartTime;
    return 0;
}

int TFade::CentreImage() {
    if (!Image) return 0;
    // The picture is drawn at its handle, wherever its owner put it.
    X = (ScreenWidth - Image->Width()) / 2 + static_cast<int>(Image->HandleX());
    Y = (ScreenHeight - Image->Height()) / 2 + static_cast<int>(Image->HandleY());
    return 0;
}

bool TFade::Interrupted() {
    // The splash runs before the main loop, usually on the platform's polled
    // input; with the framework's tables the events are pumped here instead.
    // A close request cuts it short too, and is left for the main loop.
    if (Keys.UsePlatformInput) {
        if (platform::CloseRequestPending()) return true;
        bool hit = false;
        for (int button = 1; button <= 3; ++button) hit |= platform::PolledMouseHit(button) > 0;
        for (int key = 0; key < 256; ++key) hit |= platform::PolledKeyHit(key) > 0;
        return hit;
    }
    if (!GameState()) return false;
    GameState()->Mouse->ClearMouseHit();
    GameState()->DoPeekEvent();
    bool hit =
        GameState()->Mouse->h1 || GameState()->Mouse->h2 || GameState()->Mouse->h3 || GameState()->TerminatedEvent;
    for (int key = 0; key < 256 && !hit; ++key) hit = Keys.KeyHits[key] > 0;
    return hit;
}

int TFade::FadeDo(int out) {
    Out = out;
    FlushInput();
    for (;;) {
        if (Interrupted()) {
            RestingDrawState();
            FlushInput();
            return -1;
        }
        const float now = Now();
        Elapsed = now - StartTime;
        float r = Length > 0 ? Elapsed / Length : 1.0f;
        r = std::clamp(r, 0.0f, 1.0f);
        Ratio = Out == 1 ? 1.0f - r : r;
        MoveBackground(now, Elapsed);
        Draw();
        if (Elapsed > Length) break;
    }
    RestingDrawState();
    return 1;
}

int TFade::MoveBackground(float now, float elapsed) {
    const float dt = (now - LastTime) / 1000.0f;
    BackgroundX += BackgroundXSpeed * dt;
    BackgroundY += BackgroundYSpeed * dt;
    BackgroundZoom += BackgroundZoomSpeed * dt;
    if (Out == -1 || BackgroundFadeTime <= 0) {
        // Without a fade time the background is simply there.
        BackgroundAlpha = 1.0f;
    } else if (Out == 0) {
        BackgroundAlpha = std::min(1.0f, elapsed / BackgroundFadeTime);
    } else {
        BackgroundAlpha = std::clamp(1.0f - (elapsed - (Length - BackgroundFadeTime)) / BackgroundFadeTime, 0.0f, 1.0f);
    }
    LastTime = now;
    return 0;
}

int TFade::WaitForTime(int ms) {
    Out = -1;
    Reset();
    Ratio = 1.0f;
    for (;;) {
        const float now = Now();
        Elapsed = now - StartTime;
        if (Interrupted()) {
            RestingDrawState();
            FlushInput();
            return -1;
        }
        if (Background) MoveBackground(now, Elapsed);
        Draw();
        if (Elapsed > static_cast<float>(ms)) break;
    }
    return 0;
}

int TFade::Draw() {
    platform::Cls();
    if (Background) {
        platform::SetBlend(platform::ALPHABLEND);
        platform::SetScale(BackgroundZoom, BackgroundZoom);
        platform::SetAlpha(BackgroundAlpha);
        platform::DrawImage(Background, -BackgroundX * BackgroundZoom, -BackgroundY * BackgroundZoom);
        platform::SetScale(1, 1);
    }
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(Ratio);
    if (Image) platform::DrawImage(Image, static_cast<float>(X), static_cast<float>(Y));
    if (Channel && GameState()) Channel->SetVolume(Ratio * static_cast<float>(GameState()->SoundVolume) / 100.0f);
    platform::Flip(GameState()->FlipSync);
    return 0;
}

int TFade::Full() {
    Ratio = 1.0f;
    return Draw();
}

int TFade::Zero() {
    Ratio = 0;
    return Draw();
}

std::shared_ptr<TCrossFade> TCrossFade::Create(std::shared_ptr<platform::Image> image1,
                                               std::shared_ptr<platform::Image> image2, int lengthMs) {
    auto result = std::make_shared<TCrossFade>();
    result->Init(std::move(image1), std::move(image2), lengthMs);
    return result;
}

int TCrossFade::Init(std::shared_ptr<platform::Image> image1, std::shared_ptr<platform::Image> image2, int lengthMs) {
    Image1 = std::move(image1);
    Image2 = std::move(image2);
    Anim = TAnimation::Create(lengthMs, 0, 0, 0, 0);
    Anim->Start();
    return 0;
}

int TCrossFade::Manage() {
    if (Anim) Anim->Manage();
    return 0;
}

int TCrossFade::Draw() {
    platform::SetBlend(platform::SOLIDBLEND);
    if (Image1) platform::DrawImage(Image1, X1, Y1);
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(Anim ? Anim->GetRatioInv() : 1.0f);
    if (Image2) platform::DrawImage(Image2, X2, Y2);
    platform::SetAlpha(1.0f);
    return 0;
}

int TCrossFade::SetImage1Coords(float x, float y) {
    X1 = x;
    Y1 = y;
    return 0;
}

int TCrossFade::SetImage2Coords(float x, float y) {
    X2 = x;
    Y2 = y;
    return 0;
}
