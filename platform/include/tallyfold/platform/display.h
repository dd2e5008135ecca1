// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Window, display modes, drawing state and primitives. Coordinates are logical
// pixels of the 800 x 600 screen; the window scales and letterboxes them.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class Image;
class ImageFont;

enum class GfxDriver { DirectX7 = 0, OpenGL = 1 };

// Blend modes by the numbers the game stores.
enum Blend : int { MASKBLEND = 1, SOLIDBLEND = 2, ALPHABLEND = 3, LIGHTBLEND = 4, SHADEBLEND = 5 };

// Graphics creation flag: request a back buffer.
constexpr int GRAPHICS_BACKBUFFER = 2;

// The display device behind mode and driver queries. The real one is SDL's
// renderer; tests install a fake to exercise the game object's fallbacks.
class DisplayDevice {
public:
    virtual ~DisplayDevice() = default;
    // Whether a driver can be used on this machine ("DirectX 7" never can here).
    virtual bool DriverAvailable(GfxDriver driver) = 0;
    // Selects a driver; false when it cannot be used.
    virtual bool SelectDriver(GfxDriver driver, int flags) = 0;
    // Number of full-screen modes of the selected driver; 0 or less when none can be listed.
    virtual int CountModes() = 0;
    // Whether a full-screen mode w x h x depth exists; hz 0 means any rate.
    virtual bool ModeExists(int w, int h, int depth, int hz) = 0;
    // Closes any context first; depth 0 opens a window, otherwise full screen.
    virtual bool CreateGraphics(int w, int h, int depth, int hz, int flags) = 0;
    virtual void CloseGraphics() = 0;
    virtual bool HasGraphics() = 0;
    // Opaque handle of the game window (0 when none).
    virtual int WindowHandle() = 0;
    // Desktop size and refresh rate (60 when it cannot be read).
    virtual void DesktopSize(int& w, int& h) = 0;
    virtual int DesktopRefreshRate() = 0;
    // Refresh rate of the display the window is on; -1 when unknown.
    virtual int WindowRefreshRate() = 0;
    // Outer window rectangle and client-area top-left, in desktop coordinates.
    virtual void WindowRect(int& x, int& y, int& w, int& h) = 0;
    virtual void ClientPos(int& x, int& y) = 0;
    virtual void CentreWindow() = 0;
    virtual void MinimiseWindow() = 0;
    // Whether the game window has the input focus.
    virtual bool WindowIsForeground() = 0;
    // The window's icon from a picture file; a file that cannot be read
    // leaves the window as it is.
    virtual void SetWindowIcon(const std::string& file) = 0;
    virtual bool IsFullScreen() = 0;
    // The size a window opens at, in desktop units; the logical screen is
    // scaled into it with its aspect kept. Applies from the next creation.
    virtual void SetWindowedSize(int w, int h) { (void)w, (void)h; }
    // The window's current client size in desktop units while windowed;
    // 0 x 0 in full screen or without a window.
    virtual void ClientSize(int& w, int& h) { w = h = 0; }
    // The player's size of text and board in percent of the logical screen
    // (100-200 in steps of 25; other values are brought into that range). A
    // window whose size the player has not chosen opens at the logical
    // screen times this and the desktop's scale (WindowScalePercent).
    virtual void SetTextScale(int percent) { (void)percent; }
    // Puts a window (not full screen) at that size now, centred.
    virtual void ApplyTextScale() {}
    // Whether the desktop's screen saver may start while the game runs.
    virtual void AllowScreenSaver(bool allow) { (void)allow; }
};

// The size of text and board brought into 100-200 % in steps of 25.
int CheckedTextScale(int percent);
// The desktop's scale as GDK_SCALE gives it: a whole number from 1 to 4; 1
// when unset or anything else. Under Wayland the compositor scales the window
// itself (its pixels outnumber its units) and this is 1.
int DesktopScale();
// What a window opens at, in percent of the logical screen: the desktop's
// scale times the player's size of text and board.
int WindowScalePercent(int textScalePercent);

// The active display device (the SDL one unless a test replaced it).
DisplayDevice& Display();
void SetDisplayDevice(std::unique_ptr<DisplayDevice> device);  // nullptr restores SDL

// Connects to the display that DISPLAY or WAYLAND_DISPLAY names (waiting a few
// seconds for one that turns the first connection away). False, with a line
// for the player in `reason`, when none answers: SDL's offscreen driver is
// used only when SDL_VIDEODRIVER asks for it by name.
bool OpenDisplay(std::string& reason);

// Ends the frame. What was drawn since the last flip is compared with the
// picture on show and only what differs is drawn again; the window is
// presented only when its picture changed (or the window lost it: shown again,
// exposed, resized). True when a picture was presented.
// 1 asks for vertical sync, -1 for vertical sync in full screen only; with
// either, flips are spaced by the display's refresh rate (60 when unknown),
// sleeping, whether or not the display waits for its vertical blank. 0 never
// waits.
bool Flip(int sync);
// False while the window is hidden or minimised: nobody can see a frame then.
bool WindowShowing();
// Pictures presented since the program started.
uint64_t PresentedFrames();

void SetClsColor(int r, int g, int b);
void Cls();
void SetAutoMidHandle(bool on);
bool AutoMidHandle();

// Drawing state: global, persists until changed.
void SetColor(int r, int g, int b);
void GetColor(int& r, int& g, int& b);
void SetAlpha(float a);
float GetAlpha();
void SetBlend(int mode);
int GetBlend();
void SetScale(float sx, float sy);
void GetScale(float& sx, float& sy);
void SetRotation(float degrees);
float GetRotation();
void SetViewport(int x, int y, int w, int h);
void GetViewport(int& x, int& y, int& w, int& h);
// nullptr selects the built-in default font.
void SetImageFont(std::shared_ptr<ImageFont> font);
std::shared_ptr<ImageFont> GetImageFont();

// Primitives.
void Plot(float x, float y);
void DrawLine(float x1, float y1, float x2, float y2);
void DrawRect(float x, float y, float w, float h);
void DrawOval(float x, float y, float w, float h);
// Text (UTF-8) in the current image font, top-left at (x, y). Under solid
// blending the glyph shapes are drawn opaquely rather than their boxes.
void DrawText(const std::string& text, float x, float y);
int TextWidth(const std::string& text);
int TextHeight(const std::string& text);
void DrawImage(const std::shared_ptr<Image>& image, float x, float y, int frame = 0);
// The part (sx, sy, sw, sh) of a frame stretched into (x, y, w, h); the image's
// handle does not apply, scale and rotation work about (x, y).
void DrawSubImageRect(const std::shared_ptr<Image>& image, float x, float y, float w, float h, float sx, float sy,
                      float sw, float sh, int frame = 0);

}  // namespace platform
