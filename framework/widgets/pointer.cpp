// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/pointer.h"

#include "framework/core/game_state.h"
#include "framework/paths/errors.h"
#include "framework/widgets/particles.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

TMousePointer::TMousePointer() : ParticleList(std::make_shared<TParticleList>()) {}

TMousePointer::~TMousePointer() = default;

int TMousePointer::On() {
    Active = 1;
    return 0;
}

int TMousePointer::Off() {
    Active = 0;
    if (ParticleList) ParticleList->Clear();
    return 0;
}

int TMousePointer::Load(const std::string& name) {
    const std::string path = (GameState() ? GameState()->ImagePath : std::string()) + name + Ext;
    Image = platform::LoadImage(path, platform::IMAGE_DEFAULT_FLAGS);
    if (!Image) return ShowError("Error loading bitmap " + platform::RealPath(path), 1);
    Image->SetHandle(static_cast<float>(offsetx), static_cast<float>(offsety));
    return CalcSize();
}

int TMousePointer::CalcSize() {
    w = Image ? Image->Width() : 0;
    h = Image ? Image->Height() : 0;
    return 0;
}

int TMousePointer::Update() {
    x = platform::PolledMouseX();
    y = platform::PolledMouseY();
    b1 = platform::PolledMouseDown(1);
    b2 = platform::PolledMouseDown(2);
    b3 = platform::PolledMouseDown(3);
    h1 = platform::PolledMouseHit(1);
    h2 = platform::PolledMouseHit(2);
    h3 = platform::PolledMouseHit(3);
    return CalcButtonTotals();
}

int TMousePointer::Manage() {
    if (!Active) return 0;
    // Paused or in the background the sparkles stand still with the screen.
    if (GameState() && GameState()->LogicHeld()) return 1;
    // Settled, the trail starts no new sparkles; those on their way fade out.
    if (ParticleFunc && !(GameState() && GameState()->DecorationSettled())) ParticleFunc();
    if (ParticleList) ParticleList->Manage();
    return 1;
}

int TMousePointer::UpdateCoords() {
    // Mouse motion events already arrive in logical pixels of the scaled
    // screen, so the position the event pump stored is the cursor's; only
    // the client area's place on the desktop needs refreshing.
    if (GameState() && platform::Display().HasGraphics()) GameState()->SetClientCoords();
    return 0;
}

int TMousePointer::ClearButtons() {
    b1 = b2 = b3 = mb = 0;
    return ClearMouseHit();
}

int TMousePointer::ClearMouseHit() {
    h1 = h2 = h3 = mh = 0;
    return 0;
}

int TMousePointer::GetMb() { return mb; }

int TMousePointer::GetMh(int clear) {
    const int presses = mh;
    if (clear) ClearMouseHit();
    return presses;
}

int TMousePointer::CalcButtonTotals() {
    mb = b1 + b2 + b3;
    mh = h1 + h2 + h3;
    return 0;
}

int TMousePointer::Draw() {
    if (GameState() && !GameState()->FullScreen) UpdateCoords();
    if (!Active) return 0;
    if (ParticleList) ParticleList->Draw();
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetRotation(static_cast<float>(Rotation));
    const float px = static_cast<float>(x), py = static_cast<float>(y);
    if (Image2) {
        platform::SetScale(Image2Scale, Image2Scale);
        platform::DrawImage(Image2, static_cast<float>(x + Image2xoff), static_cast<float>(y + Image2yoff),
                            Image2Frame);
        platform::SetScale(1, 1);
    }
    if (Image)
        platform::DrawImage(Image, px, py, ImageFrame);
    else
        platform::Plot(px, py);
    platform::SetRotation(0);
    if (UserDraw) UserDraw(x, y);
    return 0;
}
