// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the game adds around the framework and what all its screens share: the
// game object's logic step, the start-up splash, toggle and radio buttons, the
// puzzle timer, multi-line messages, the game's dialogs and a triangle test.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/game.h"
#include "framework/screens/fade.h"

namespace platform {
class Image;
class Sound;
class Channel;
class ImageFont;
}  // namespace platform

class TVellacorGame : public TGame {
public:
    int LogicWrapper() override;
    // Paused or suspended, once the start-up grace is over.
    int LogicHeld() override;
    // Nothing to do on this platform.
    virtual int CheckCommandQForMac() { return 0; }
    // The first exit shows the welcome page; the game's settings are saved last.
    void ShutDownHook() override;
};

// Logic keeps running while paused or suspended for this long after start-up,
// so a window that starts inactive still gets its first screen going.
inline constexpr int StartUpGraceMs = 5000;

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

// 1 when (px, py) lies strictly inside the triangle; a point on an edge is outside.
int PointInTriangle(float px, float py, float x1, float y1, float x2, float y2, float x3, float y3);

void StartPuzzleTimer();
void StopPuzzleTimer();
std::string PuzzleTimerText();
// "mm:ss"; from 100 minutes on the minutes are written in full ("100:00").
std::string FormatMinutesSeconds(int milliseconds);

// Lines 25 pixels apart; x -1 centres each line on the screen, otherwise
// alignment 0 left, 1 centred, 2 right at x. Bottom-aligned, the last line sits at y.
void DrawMessage(const std::string& text, float x, float y, const std::shared_ptr<platform::ImageFont>& font,
                 int white, int bottomAlign, int round, int alignment);
// Where DrawMessage puts the top of each line.
std::vector<float> MessageLineTops(const std::string& text, float y, int bottomAlign);

// With the flag set: leaves full screen and opens the welcome page we ship in
// the text folder. 1 when the page was handed to the browser.
int OpenGetStartedPage(int open);
inline constexpr const char* GetStartedPage = "getstarted.html";

// The maker's splash before the title: picture "splash", sound "splash.wav"
// when sound is on, its volume following the picture, four seconds in all. A
// key or a click cuts it short; a close request made meanwhile is kept for
// the main loop.
void SetUpStartUpSplash(TSplashScreen& splash, int sound);
int ShowSplash(int sound);
