// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/sprite.h"

#include <algorithm>
#include <cmath>

#include "framework/core/game_state.h"
#include "framework/util/strings.h"
#include "framework/widgets/animation.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/system.h"

namespace {
constexpr float kPi = 3.14159265358979f;
float SinDeg(float degrees) { return std::sin(degrees * kPi / 180.0f); }
float CosDeg(float degrees) { return std::cos(degrees * kPi / 180.0f); }
float RoundHalfUp(float v) { return std::floor(v + 0.5f); }
int ColourChannel(float v) { return std::clamp(static_cast<int>(v), 0, 255); }
}  // namespace

// ---- TColor ------------------------------------------------------------------

std::shared_ptr<TColor> TColor::Create(int r, int g, int b, float alpha) {
    auto result = std::make_shared<TColor>();
    result->Set(r, g, b, alpha);
    return result;
}

void TColor::Apply() const {
    platform::SetColor(R, G, B);
    platform::SetAlpha(Alpha);
}

void TColor::ApplyNoAlpha() const { platform::SetColor(R, G, B); }

void TColor::Copy(const TColor& other) { Set(other.R, other.G, other.B, other.Alpha); }

void TColor::Get(int& r, int& g, int& b) const {
    r = R;
    g = G;
    b = B;
}

void TColor::GetFull(int& r, int& g, int& b, float& alpha) const {
    Get(r, g, b);
    alpha = Alpha;
}

void TColor::Restore() {
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
}

void TColor::Set(int r, int g, int b, float alpha) {
    R = r;
    G = g;
    B = b;
    Alpha = alpha;
}

// ---- TSineCounter ------------------------------------------------------------

std::shared_ptr<TSineCounter> TSineCounter::Create(float start, float end, float speed, int runOnce) {
    auto result = std::make_shared<TSineCounter>();
    result->Init(start, end, speed, runOnce);
    return result;
}

int TSineCounter::Init(float start, float end, float speed, int runOnce) {
    StartPoint = start;
    EndPoint = end;
    Speed = speed;
    RunOnce = runOnce;
    Counter = start;
    ratio = 0;
    return 0;
}

int TSineCounter::Manage() {
    if (!Active) return 0;
    Counter += Speed * Delta;
    if (Counter >= EndPoint) {
        if (RunOnce) {
            Counter = EndPoint;
            Active = 0;
        } else {
            Counter -= EndPoint - StartPoint;
        }
    } else if (Counter < StartPoint) {
        if (RunOnce) {
            Counter = StartPoint;
            Active = 0;
        } else {
            Counter += EndPoint - StartPoint;
        }
    }
    ratio = SinDeg(Counter);
    return 1;
}

int TSineCounter::SetCounter(float value) {
    Counter = value;
    ratio = SinDeg(value);
    return 0;
}

// ---- TSprite: creation and set-up ---------------------------------------------

std::shared_ptr<TSprite> TSprite::Create(std::shared_ptr<TGameImage> image, float x, float y) {
    auto result = std::make_shared<TSprite>();
    result->SetImage(std::move(image));
    result->SetPosition(x, y);
    return result;
}

std::shared_ptr<TSprite> TSprite::CreateFromFile(const std::string& file, float x, float y, int centre, int flags) {
    auto picture = TGameImage::Create(GameState()->ImagePath + file + ".png", flags, 1);
    auto result = Create(picture, x, y);
    if (centre) result->SetPosition(static_cast<float>(ScreenWidth / 2), static_cast<float>(ScreenHeight / 2));
    return result;
}

int TSprite::SetImage(std::shared_ptr<TGameImage> newImage) {
    image = std::move(newImage);
    return GetSize();
}

int TSprite::GetSize() {
    if (!image) return 0;
    w = image->w;
    h = image->h;
    w2 = image->w2;
    h2 = image->h2;
    return 0;
}

float TSprite::Width() { return static_cast<float>(w) * ScaleX; }
float TSprite::Height() { return static_cast<float>(h) * ScaleY; }

int TSprite::SetPosition(float newX, float newY) {
    x = newX;
    y = newY;
    return 0;
}

int TSprite::SetName(const std::string& newName) {
    name = UpperCase(newName);
    return 0;
}

int TSprite::SetScaleXY(float sx, float sy) {
    ScaleX = sx;
    ScaleY = sy == 0 ? sx : sy;
    return 0;
}

int TSprite::SetShadow(int on, float shadowX, float shadowY, float alpha) {
    Shadow = on;
    ShadowX = shadowX;
    ShadowY = shadowY;
    ShadowAlpha = alpha;
    return 0;
}

int TSprite::SetGlow(int mode, float glow, float glowSpeed, float min, float max) {
    GlowMode = mode;
    Glow = glow;
    GlowSpeed = glowSpeed;
    GlowMin = min;
    GlowMax = max;
    GlowRange = max - min;
    if (mode == 3) {
        if (!GlowCounter) GlowCounter = std::make_shared<TSineCounter>();
        GlowCounter->Init(0, 360, glowSpeed, 0);
    }
    return 0;
}

int TSprite::SetupAnim(int frames, int lengthMs, int counterDir, int reverse, int randomStart, int pingPong, int loop) {
    frame = 0;
    FramesTotal = frames;
    AnimLength = static_cast<int>(GameState()->CalcAnimLength(static_cast<float>(lengthMs)));
    AnimCounterDir = counterDir;
    AnimReverse = reverse;
    PingPong = pingPong;
    FrameLength = FramesTotal > 0 ? static_cast<float>(AnimLength) / static_cast<float>(FramesTotal) : 0.0f;
    Loop = loop;
    if (randomStart) {
        RandomiseAnimPos();
    } else if (counterDir == 0) {
        AnimCounter = reverse ? 0.01f : static_cast<float>(AnimLength);
    } else {
        AnimCounter = reverse ? static_cast<float>(AnimLength) : 0.0f;
    }
    return 0;
}

int TSprite::SetupRotation(float rotationSpeed, int lengthMs, int loop, int randomStart) {
    RotationSpeed = rotationSpeed;
    if (loop) {
        RotationLoop = 1;
        if (randomStart) Rotation = static_cast<float>(platform::Rnd(0, 360));
    } else {
        RotationLength = static_cast<int>(GameState()->CalcAnimLength(static_cast<float>(lengthMs)));
        RotationCounter = static_cast<float>(RotationLength);
    }
    return 0;
}

int TSprite::SetupScale(float xSpeed, float ySpeed, int lengthMs) {
    ScaleXSpeed = xSpeed;
    ScaleYSpeed = ySpeed;
    ScaleLength = static_cast<int>(GameState()->CalcAnimLength(static_cast<float>(lengthMs)));
    ScaleCounter = static_cast<float>(ScaleLength);
    return 0;
}

int TSprite::Stop() {
    dx = dy = 0;
    return 0;
}

int TSprite::StopAnim() {
    AnimCounter = 0;
    FramesTotal = 1;
    return 0;
}

int TSprite::ClearRotation() {
    Rotation = 0;
    return 0;
}

int TSprite::ClearScale() {
    ScaleX = ScaleY = 1.0f;
    return 0;
}

int TSprite::ClearTransformations() {
    ClearScale();
    return ClearRotation();
}

int TSprite::Centre() {
    if (image) image->MidHandle(1);
    return SetPosition(static_cast<float>(ScreenWidth / 2), static_cast<float>(ScreenHeight / 2));
}

int TSprite::CentreX(int newY) {
    if (image) image->MidHandle(1);
    return SetPosition(static_cast<float>(ScreenWidth / 2), static_cast<float>(newY));
}

int TSprite::StoreCentreCoords() {
    cx = x;
    cy = y;
    return 0;
}

int TSprite::StoreOriginalCoords() {
    ox = x;
    oy = y;
    return 0;
}

int TSprite::ScaleOriginalCoords() {
    x = ox * BaseScaleX;
    y = oy * BaseScaleY;
    return 0;
}

int TSprite::Init() { return 0; }

int TSprite::Kill() {
    if (AttachedSprite) {
        auto attached = std::move(AttachedSprite);
        AttachedSprite.reset();
        if (KillAttachedSprite) attached->Kill();
    }
    return 0;
}

int TSprite::GetAnimFrame() { return CalcAnimFrame(AnimCounter, AnimLength, FramesTotal, AnimCounterDir); }

int TSprite::RandomiseAnimPos() {
    AnimCounter = static_cast<float>(platform::Rnd(0.01, std::max(0.01, static_cast<double>(AnimLength))));
    return 0;
}

// ---- TSprite: movement -------------------------------------------------------

int TSprite::Move() {
    x += dx * Delta;
    y += dy * Delta;
    if (xgravity != 0) dx += xgravity * Delta;
    if (ygravity != 0) dy += ygravity * Delta;
    return 0;
}

int TSprite::MoveOriginalCoords() {
    ox += dx * Delta;
    oy += dy * Delta;
    if (xgravity != 0) dx += xgravity * Delta;
    if (ygravity != 0) dy += ygravity * Delta;
    return 0;
}

int TSprite::MoveForward() {
    dx = SinDeg(Rotation) * speed;
    dy = -CosDeg(Rotation) * speed;
    return Move();
}

int TSprite::MoveLeft() {
    x -= xspeed * Delta;
    return BoundsCheck();
}

int TSprite::MoveRight() {
    x += xspeed * Delta;
    return BoundsCheck();
}

int TSprite::MoveUp() {
    y -= yspeed * Delta;
    return BoundsCheck();
}

int TSprite::MoveDown() {
    y += yspeed * Delta;
    return BoundsCheck();
}

int TSprite::MoveAttachedSprite() {
    if (AttachedSprite) {
        AttachedSprite->x += dx * Delta;
        AttachedSprite->y += dy * Delta;
    }
    return 0;
}

int TSprite::BoundsCheck() {
    const float right = static_cast<float>(ScreenWidth) - w2;
    const float bottom = static_cast<float>(ScreenHeight) - h2;
    if (x < w2)
        x = w2;
    else if (x > right)
        x = right;
    if (y < h2)
        y = h2;
    else if (y > bottom)
        y = bottom;
    return 0;
}

int TSprite::OutOfBounds() {
    const float sw = static_cast<float>(ScreenWidth), sh = static_cast<float>(ScreenHeight);
    if (image && image->midhandled) return (x < -w2 || x > sw + w2 || y < -h2 || y > sh + h2) ? 1 : 0;
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    return (x < -fw || x > sw || y < -fh || y > sh) ? 1 : 0;
}

// ---- TSprite: scale, rotation, glow --------------------------------------------

int TSprite::ManageScale() {
    if (ScaleCounter > 0) {
        ScaleCounter -= Delta;
        ScaleX += ScaleXSpeed * Delta;
        ScaleY += ScaleYSpeed * Delta;
    }
    return 0;
}

int TSprite::ManageRotation() {
    if (RotationLoop) {
        Rotation += RotationSpeed * Delta;
        if (Rotation >= 360.0f)
            Rotation -= 360.0f;
        else if (Rotation < 0)
            Rotation += 360.0f;
    } else if (RotationCounter > 0) {
        RotationCounter -= Delta;
        Rotation += RotationSpeed * Delta;
    }
    return 0;
}

int TSprite::ManageGlow() {
    if (GlowMode == 2) {
        if (Glow > 0) {
            Glow -= GlowSpeed * Delta;
            if (!(Glow > 0)) Glow = 0;
        }
    } else if (GlowMode == 3 && GlowCounter) {
        if (GameState() && GameState()->DecorationSettled()) {
            // The pulse settles: down to its least glow at the pace it rises,
            // and it takes up again from there, rising, so that it neither
            // stops nor starts with a jump.
            constexpr float kDegreesPerRadian = 57.29578f;
            if (Glow > GlowMin)
                Glow = std::max(GlowMin, Glow - GlowRange * std::fabs(GlowCounter->Speed) / 90.0f * Delta);
            const float share = GlowRange > 0 ? std::clamp((Glow - GlowMin) / GlowRange, 0.0f, 1.0f) : 0.0f;
            GlowCounter->SetCounter(GlowCounter->StartPoint + std::asin(share) * kDegreesPerRadian);
            return 0;
        }
        GlowCounter->Manage();
        Glow = GlowMin + GlowRange * std::fabs(GlowCounter->ratio);
    }
    return 0;
}

// ---- TSprite: frame animation ----------------------------------------------------

void TSprite::CallAnimStopped() {
    if (AnimStoppedFunction) AnimStoppedFunction(*this);
}

int TSprite::ManageAnim() {
    if (FramesTotal < 2) return 0;
    int result;
    if (AnimCounterDir == 1 && !AnimReverse) {
        AnimCounter += Delta;
        result = AnimBoundsCheckUpper();
    } else if (AnimCounterDir == 1) {
        AnimCounter -= Delta;
        result = AnimBoundsCheckLower();
    } else if (!AnimReverse) {
        AnimCounter -= Delta;
        result = AnimBoundsCheckLower();
    } else {
        AnimCounter += Delta;
        result = AnimBoundsCheckUpper();
    }
    frame = GetAnimFrame();
    return result;
}

int TSprite::AnimBoundsCheckLower() {
    if (AnimCounter > 0) return 0;
    const float length = static_cast<float>(AnimLength);
    if (PingPong) {
        AnimCounter = -AnimCounter + FrameLength;
        // Turn so that the counter now runs up, whichever way is normal.
        AnimReverse = AnimCounterDir == 1 ? 0 : 1;
        if (AnimCounter == 0) AnimCounter = 0.01f;
        return 1;
    }
    if (Loop && LoopCount > 0) {
        if (--LoopCount == 0) {
            Loop = 0;
            AnimCounter = 0.01f;
            return 1;
        }
        AnimCounter += length;
    } else if (Loop) {
        AnimCounter += length;
    } else {
        AnimCounter = 0.01f;
    }
    CallAnimStopped();
    return 1;
}

int TSprite::AnimBoundsCheckUpper() {
    const float length = static_cast<float>(AnimLength);
    if (AnimCounter < length) return 0;
    if (PingPong) {
        AnimCounter = length - (AnimCounter - length) - FrameLength;
        AnimReverse = AnimCounterDir == 1 ? 1 : 0;
        return 1;
    }
    if (Loop && LoopCount > 0) {
        if (--LoopCount == 0) {
            Loop = 0;
            AnimCounter = length;
            return 1;
        }
        AnimCounter -= length;
    } else if (Loop) {
        AnimCounter -= length;
    } else {
        AnimCounter = length;
    }
    CallAnimStopped();
    return 1;
}

// ---- TSprite: drawing --------------------------------------------------------

int TSprite::CurrentFrame() const {
    return AnimCounter > 0 ? CalcAnimFrame(AnimCounter, AnimLength, FramesTotal, AnimCounterDir) : ImageFrame;
}

std::shared_ptr<TGameImage> TSprite::CurrentPicture() const { return AlternativeImage ? AlternativeImage : image; }

int TSprite::Draw() {
    DoDraw();
    if (GlowMode > 0) DrawLight(Glow, 1, 1, 1, nullptr);
    return 0;
}

int TSprite::DoDraw() {
    if (!visible) return 0;
    platform::SetScale(BaseScaleX * ScaleX, BaseScaleY * ScaleY);
    platform::SetRotation(Rotation);
    if (UseAlpha) platform::SetAlpha(Alpha);
    if (Color) Color->ApplyNoAlpha();
    if (RoundCoords)
        DrawRounded();
    else
        DrawNormal();
    platform::SetScale(1, 1);
    platform::SetRotation(0);
    if (UseAlpha) platform::SetAlpha(1.0f);
    if (Color) platform::SetColor(255, 255, 255);
    return 0;
}

int TSprite::DrawNormal() {
    const int frameNumber = CurrentFrame();
    auto picture = CurrentPicture();
    DrawShadow(picture, frameNumber);
    if (!picture || !picture->image) return 0;
    if (UseOffset)
        platform::DrawImage(picture->image, x + offx, y + offy, frameNumber);
    else
        platform::DrawImage(picture->image, x, y, frameNumber);
    return 0;
}

int TSprite::DrawRounded() {
    const int frameNumber = CurrentFrame();
    auto picture = CurrentPicture();
    DrawShadow(picture, frameNumber);
    if (!picture || !picture->image) return 0;
    const float px = UseOffset ? x + offx : x;
    const float py = UseOffset ? y + offy : y;
    platform::DrawImage(picture->image, RoundHalfUp(px), RoundHalfUp(py), frameNumber);
    return 0;
}

int TSprite::DrawShadow(const std::shared_ptr<TGameImage>& picture, int frameNumber) {
    if (!Shadow || !picture || !picture->image) return 0;
    // A black copy adds nothing under light blending; skip the work.
    if (platform::GetBlend() == platform::LIGHTBLEND) return 0;
    int r, g, b;
    platform::GetColor(r, g, b);
    const float alphaBefore = platform::GetAlpha();
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(ShadowAlpha * Alpha);
    float sx = x + ShadowX + (UseOffset ? offx : 0.0f);
    float sy = y + ShadowY + (UseOffset ? offy : 0.0f);
    platform::DrawImage(picture->image, sx, sy, frameNumber);
    // The colour and alpha in force before the shadow: the tint and Alpha
    // when DoDraw set them, and nothing a caller did not set otherwise.
    platform::SetColor(r, g, b);
    platform::SetAlpha(alphaBefore);
    return 0;
}

int TSprite::DrawLight(float intensity, float red, float green, float blue, std::shared_ptr<TGameImage> picture) {
    if (!visible) return 0;
    platform::SetBlend(platform::LIGHTBLEND);
    platform::SetColor(ColourChannel(intensity * 255 * red), ColourChannel(intensity * 255 * green),
                       ColourChannel(intensity * 255 * blue));
    // Without a picture of its own the glow repeats what the sprite shows, its
    // alternative picture included, and that stays in place afterwards.
    auto previous = AlternativeImage;
    if (picture) AlternativeImage = std::move(picture);
    DoDraw();
    AlternativeImage = std::move(previous);
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(255, 255, 255);
    return 1;
}

int TSprite::DrawWithOffset() {
    platform::SetScale(BaseScaleX * ScaleX, BaseScaleY * ScaleY);
    platform::SetRotation(Rotation);
    if (UseAlpha) platform::SetAlpha(Alpha);
    const int frameNumber = CurrentFrame();
    auto picture = CurrentPicture();
    DrawShadow(picture, frameNumber);
    if (picture && picture->image) {
        float px = x + (UseOffset ? offx : 0.0f);
        float py = y + (UseOffset ? offy : 0.0f);
        platform::DrawImage(picture->image, px, py, frameNumber);
    }
    platform::SetScale(1, 1);
    platform::SetRotation(0);
    if (UseAlpha) platform::SetAlpha(1.0f);
    return 0;
}
