// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture, with its sound, that the game shows while it starts.
#include <memory>
#include <string>

#include "framework/screens/fade.h"

namespace platform {
class Image;
class Sound;
class Channel;
}  // namespace platform

class TSplashScreen {
public:
    virtual ~TSplashScreen() = default;

    std::shared_ptr<platform::Image> Image;
    std::shared_ptr<platform::Sound> Sample;
    int Sound = 1;
    float SampleRate = 1.0f;
    int FadeSound = 0;
    std::shared_ptr<platform::Channel> Channel;
    std::shared_ptr<TFade> fade = std::make_shared<TFade>();
    float TimeIn = 2000, TimeFull = 1000, TimeOut = 2000;
    int OriginalPolledInputState = 0;
    std::shared_ptr<platform::Image> background;
    float BackgroundXSpeed = 0, BackgroundYSpeed = 0, BackgroundZoomSpeed = 0, BackgroundFadeTime = 0;

    // A picture that cannot be loaded ends the program; a sound that cannot be
    // loaded only leaves the splash silent.
    virtual int Init(const std::string& imagePath, const std::string& soundPath, int sound, int fadeSound);
    virtual int InitTimes(float timeIn, float timeFull, float timeOut);
    // 0 when the sequence ran to its end, -1 when the player cut it short.
    virtual int DoSplash();
    virtual int CleanUp();
};

// The maker's splash before the title: picture "splash", sound "splash.wav"
// when sound is on, its volume following the picture, four seconds in all. A
// key or a click cuts it short; a close request made meanwhile is kept for
// the main loop.
void SetUpStartUpSplash(TSplashScreen& splash, int sound);
int ShowSplash(int sound);
