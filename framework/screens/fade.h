// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture fades outside the screen fade: the blocking fade that shows the
// splash picture over an optional moving background, and the cross-fade from
// one background picture to another.
#include <memory>

namespace platform {
class Image;
class Channel;
}  // namespace platform
class TAnimation;

// Runs its own loop of drawing and flipping; the main loop is not running.
class TFade {
public:
    virtual ~TFade() = default;

    std::shared_ptr<platform::Channel> Channel;
    std::shared_ptr<platform::Image> Image;
    int X = 0, Y = 0;
    float Length = 0;  // ms
    float StartTime = 0;
    float Elapsed = 0;
    float Ratio = 0;
    float LastTime = 0;
    std::shared_ptr<platform::Image> Background;
    float BackgroundX = 0, BackgroundY = 0;
    float BackgroundZoom = 1.0f;
    // Changes per second.
    float BackgroundXSpeed = 0, BackgroundYSpeed = 0, BackgroundZoomSpeed = 0;
    float BackgroundFadeTime = 0;  // ms
    float BackgroundAlpha = 0;
    // 0 fading in, 1 fading out, -1 holding.
    int Out = 0;

    virtual int Init(int lengthMs, std::shared_ptr<platform::Image> image, std::shared_ptr<platform::Channel> channel);
    virtual int Reset();
    virtual int CentreImage();
    // 1 when it ran to the end, -1 when a key or button cut it short. Either
    // way the drawing state is left solid, opaque and white.
    virtual int FadeDo(int out);
    virtual int MoveBackground(float now, float elapsed);
    // 0 when the time passed, -1 when a key or button cut it short.
    virtual int WaitForTime(int ms);
    virtual int Draw();
    virtual int Full();
    virtual int Zero();

protected:
    // A key or mouse button was hit since the last look.
    virtual bool Interrupted();
};

class TCrossFade {
public:
    virtual ~TCrossFade() = default;

    std::shared_ptr<platform::Image> Image1, Image2;
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    std::shared_ptr<TAnimation> Anim;

    static std::shared_ptr<TCrossFade> Create(std::shared_ptr<platform::Image> image1,
                                              std::shared_ptr<platform::Image> image2, int lengthMs);
    // Image1 solid, Image2 over it at the alpha the animation has reached.
    virtual int Draw();
    virtual int Init(std::shared_ptr<platform::Image> image1, std::shared_ptr<platform::Image> image2, int lengthMs);
    // Once per logic step.
    virtual int Manage();
    virtual int SetImage1Coords(float x, float y);
    virtual int SetImage2Coords(float x, float y);
};
