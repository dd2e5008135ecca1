// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colours, sine counters and the sprite: a picture on the screen with
// movement, frame animation, scaling, rotation, glow and a drop shadow.
// Buttons, sliders, particles and board cells all grow from TSprite.
#include <functional>
#include <memory>
#include <string>

#include "framework/widgets/image_bank.h"

class TColor {
public:
    int R = 0, G = 0, B = 0;
    float Alpha = 1.0f;

    static std::shared_ptr<TColor> Create(int r, int g, int b, float alpha);
    void Apply() const;
    void ApplyNoAlpha() const;
    void Copy(const TColor& other);
    void Get(int& r, int& g, int& b) const;
    void GetFull(int& r, int& g, int& b, float& alpha) const;
    // White at alpha 1 for the drawing state; the record itself is untouched.
    static void Restore();
    void Set(int r, int g, int b, float alpha);
};

// A counter in degrees whose sine is kept in ratio; runs between two points,
// wrapping or, with RunOnce, stopping at the end.
class TSineCounter {
public:
    virtual ~TSineCounter() = default;

    int Active = 1;
    float Counter = 0;
    float Speed = 1.0f;
    float StartPoint = 0;
    float EndPoint = 360.0f;
    float ratio = 0;
    int RunOnce = 0;

    static std::shared_ptr<TSineCounter> Create(float start, float end, float speed, int runOnce);
    virtual int Init(float start, float end, float speed, int runOnce);
    // 0 when not active.
    virtual int Manage();
    virtual int SetCounter(float value);
};

class TSprite : public std::enable_shared_from_this<TSprite> {
public:
    virtual ~TSprite() = default;

    std::string name;
    int active = 0;
    int visible = 1;
    float x = 0, y = 0;
    float offx = 0, offy = 0;
    int UseOffset = 0;
    // Velocity and gravity in pixels per step.
    float dx = 0, dy = 0;
    float xspeed = 0, yspeed = 0;
    float speed = 0;
    float xgravity = 0, ygravity = 0;
    int w = 0, h = 0;
    float w2 = 0, h2 = 0;
    std::shared_ptr<TGameImage> image;
    int RoundCoords = 0;
    // Drawn while no animation runs.
    int ImageFrame = 0;
    std::shared_ptr<TColor> Color;
    int Shadow = 0;
    float ShadowX = 3.0f, ShadowY = 3.0f;
    float ShadowAlpha = 0.5f;

    // Frame animation; counters and lengths in logic steps.
    int frame = 0;
    int FramesTotal = 1;
    float AnimCounter = 0;
    int AnimLength = 1000;
    int AnimCounterDir = 0;
    int AnimReverse = 0;
    int PingPong = 0;
    float FrameLength = 0;
    int Loop = 1;
    // Loops left; 0 or less loops for ever.
    int LoopCount = 0;

    float ScaleX = 1.0f, ScaleY = 1.0f;
    float BaseScaleX = 1.0f, BaseScaleY = 1.0f;
    float ScaleXSpeed = 0.1f, ScaleYSpeed = 0.1f;
    float ScaleCounter = 0;
    int ScaleLength = 1000;

    float Rotation = 0;
    float RotationSpeed = 1.0f;
    float RotationCounter = 0;
    int RotationLength = 1000;
    int RotationLoop = 0;

    int UseAlpha = 1;
    float Alpha = 1.0f;

    // 0 none, 1 steady, 2 fading out, 3 pulsing.
    int GlowMode = 0;
    float Glow = 0;
    float GlowSpeed = 0;
    float GlowMin = 0;
    float GlowMax = 1.0f;
    float GlowRange = 1.0f;
    std::shared_ptr<TSineCounter> GlowCounter = std::make_shared<TSineCounter>();
    // Drawn instead of image when set.
    std::shared_ptr<TGameImage> AlternativeImage;
    std::shared_ptr<TSineCounter> MiscSineCounter;

    float cx = 0, cy = 0;
    float ox = 0, oy = 0;

    // Called when the frame animation wraps or stops; empty means none.
    std::function<int(TSprite&)> AnimStoppedFunction;

    std::shared_ptr<TSprite> AttachedSprite;
    int KillAttachedSprite = 1;

    virtual int AnimBoundsCheckLower();
    virtual int AnimBoundsCheckUpper();
    // Keeps a centre-handled sprite on the screen.
    virtual int BoundsCheck();
    virtual int Centre();
    virtual int CentreX(int y);
    virtual int ClearRotation();
    virtual int ClearScale();
    virtual int ClearTransformations();
    static std::shared_ptr<TSprite> Create(std::shared_ptr<TGameImage> image, float x, float y);
    // The image comes from ImagePath + file + ".png", handle centred, not via the bank.
    static std::shared_ptr<TSprite> CreateFromFile(const std::string& file, float x, float y, int centre, int flags);
    virtual int DoDraw();
    virtual int Draw();
    // Draws the picture (or the sprite's own when null) once more, additively,
    // brightened by intensity; 0 when invisible.
    virtual int DrawLight(float intensity, float red, float green, float blue, std::shared_ptr<TGameImage> picture);
    virtual int DrawNormal();
    virtual int DrawRounded();
    virtual int DrawShadow(const std::shared_ptr<TGameImage>& picture, int frameNumber);
    // Draws with the offset (offx, offy) when UseOffset is set.
    virtual int DrawWithOffset();
    virtual int GetAnimFrame();
    virtual int GetSize();
    // w and h scaled by ScaleX, ScaleY (the base scale is not included).
    virtual float Height();
    virtual int Init();
    virtual int Kill();
    // 1 when the animation reached a bound in this step.
    virtual int ManageAnim();
    virtual int ManageGlow();
    virtual int ManageRotation();
    virtual int ManageScale();
    virtual int Move();
    virtual int MoveAttachedSprite();
    virtual int MoveDown();
    // Rotation 0 moves up the screen, 90 to the right.
    virtual int MoveForward();
    virtual int MoveLeft();
    virtual int MoveOriginalCoords();
    virtual int MoveRight();
    virtual int MoveUp();
    // 1 when the sprite is wholly off the screen.
    virtual int OutOfBounds();
    virtual int RandomiseAnimPos();
    virtual int ScaleOriginalCoords();
    virtual int SetGlow(int mode, float glow, float glowSpeed, float min, float max);
    virtual int SetImage(std::shared_ptr<TGameImage> newImage);
    virtual int SetName(const std::string& newName);
    virtual int SetPosition(float newX, float newY);
    // sy 0 means the same as sx.
    virtual int SetScaleXY(float sx, float sy);
    virtual int SetShadow(int on, float shadowX, float shadowY, float alpha);
    virtual int SetupAnim(int frames, int lengthMs, int counterDir, int reverse, int randomStart, int pingPong,
                          int loop);
    virtual int SetupRotation(float rotationSpeed, int lengthMs, int loop, int randomStart);
    virtual int SetupScale(float xSpeed, float ySpeed, int lengthMs);
    virtual int Stop();
    virtual int StopAnim();
    virtual int StoreCentreCoords();
    virtual int StoreOriginalCoords();
    virtual float Width();

protected:
    // The frame and picture a draw uses right now.
    int CurrentFrame() const;
    std::shared_ptr<TGameImage> CurrentPicture() const;
    void CallAnimStopped();
};
