// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Screens and the full-screen black fade that every screen change goes through.
#include <memory>
#include <string>

namespace platform {
class Image;
class Channel;
}  // namespace platform

class TGameChannel;
class TSprite;
class TMenu;
class TFocusRing;

class TScreen : public std::enable_shared_from_this<TScreen> {
public:
    virtual ~TScreen() = default;

    // Full-screen background picture, handle at the top-left corner.
    std::shared_ptr<platform::Image> Image;
    // Optional title sprite.
    std::shared_ptr<TSprite> Header;
    // Extension of the header picture.
    std::string Ext = ".png";
    std::shared_ptr<TMenu> Menu;
    // The keyboard walk through the screen's controls; nullptr when the screen has none.
    std::shared_ptr<TFocusRing> Focus;
    std::string name;
    int StopKill = 0;
    int StopInit = 0;
    std::shared_ptr<TScreen> Destination;

    // ImagePath + file; a missing picture ends the program.
    virtual int ImageLoad(const std::string& file, int flags, int precache);
    // A sprite of ImagePath + file + Ext at (x, y), handle at its centre.
    virtual int HeaderLoad(const std::string& file, float x, float y, int precache);
    // Load and Start, or only CoreStart when StopInit is set.
    virtual int PreStart();
    virtual int ResetStops();
    virtual int Load();
    // Subclasses call this, then start their fade-in.
    virtual int Start();
    // Makes the screen current with fresh input and timer.
    virtual int CoreStart();
    virtual int PostFadeIn();
    virtual int PostFadeOut();
    virtual int Kill();
    virtual int Logic();
    virtual int Draw();
    // Where Escape leads; returns the fade length in ms (0 = the default).
    virtual int SetEscDestination();
    virtual int SpecificKeys();
    // 1 while the screen is in play and the desktop's screen saver should
    // wait; the game allows it again while paused or in the background.
    virtual int KeepAwake() { return 0; }
};

// The destination that ends the program.
class TExitScreen : public TScreen {};

class TGameFade {
public:
    virtual ~TGameFade() = default;

    int Length = 0;
    float Counter = 0;
    int Active = 0;
    int Out = 1;
    float Ratio = 0;
    int Done = 0;
    std::shared_ptr<platform::Channel> Channel;
    std::shared_ptr<TGameChannel> Channel2;
    int Channel2IsGameChannelArray = 1;
    int AllowAnim = 0;
    int FadeInAborted = 0;
    float FadeCounterBeforeAbort = 0;
    int SetToFullOnAbort = 1;
    int AbortKey = 0;

    // 0 when a fade is already running (the request is ignored).
    virtual int Init(int lengthMs, int out, std::shared_ptr<platform::Channel> channel, int allowAnim,
                     float startCounter, std::shared_ptr<TGameChannel> channel2);
    virtual int Finish();
    // 1 finished in this step, -1 cut short by the player, 0 otherwise.
    virtual int Manage();
    virtual int CalcRatio();
    virtual int FadeChannels();
    virtual int Draw();
    // 1 exactly once after a fade finished.
    virtual int GetDone();
};
