#include "framework/widgets/pointer.h"

#include "framework/core/game.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

int TMousePointer::On() {
    Active = 1;
    return 0;
}

int TMousePointer::Off() {
    Active = 0;
    return 0;
}

int TMousePointer::CalcSize() {
    w = Image ? Image->Width() : 0;
    h = Image ? Image->Height() : 0;
    return 0;
}

int TMousePointer::Manage() {
    if (!Active) return 0;
    if (ParticleFunc) ParticleFunc();
    return 1;
}

int TMousePointer::UpdateCoords() {
    // Mouse motion events already arrive in logical pixels of the scaled screen,
    // so the event pump's position is the cursor's position.
    return 0;
}

int TMousePointer::ClearButtons() {
    b1 = b2 = b3 = mb = 0;
    ClearMouseHit();
    return 0;
}

int TMousePointer::ClearMouseHit() {
    h1 = h2 = h3 = mh = 0;
    return 0;
}

int TMousePointer::GetMb() { return mb; }

int TMousePointer::GetMh(int clear) {
    int presses = mh;
    if (clear) ClearMouseHit();
    return presses;
}

int TMousePointer::CalcButtonTotals() {
    mb = b1 + b2 + b3;
    mh = h1 + h2 + h3;
    return 0;
}

int TMousePointer::Draw() {
    if (Game && !Game->FullScreen) UpdateCoords();
    if (!Active) return 0;
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetRotation(static_cast<float>(Rotation));
    if (Image2) {
        platform::SetScale(Image2Scale, Image2Scale);
        platform::DrawImage(Image2, static_cast<float>(x + Image2xoff), static_cast<float>(y + Image2yoff), Image2Frame);
        platform::SetScale(1, 1);
    }
    if (Image)
        platform::DrawImage(Image, static_cast<float>(x), static_cast<float>(y), ImageFrame);
    else
        platform::Plot(static_cast<float>(x), static_cast<float>(y));
    platform::SetRotation(0);
    if (UserDraw) UserDraw(x, y);
    return 0;
}
