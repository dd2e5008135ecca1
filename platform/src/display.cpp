// SPDX-License-Identifier: GPL-3.0-or-later
// Window, display modes, frame flipping, drawing state and primitives over
// SDL's 2D renderer.
#include "tallyfold/platform/display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "internal.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

namespace platform {
namespace detail {
namespace {

uint64_t g_generation = 1;
DrawState g_state;
int g_clsR = 0, g_clsG = 0, g_clsB = 0;
bool g_autoMidHandle = false;

// OpenGL drawn by the processor (Mesa's llvmpipe and its kin, where no
// graphics driver works) sends the whole window on every present and costs
// several times what SDL's software renderer does, which sends only the
// changed parts straight to the window.
bool OpenGlOnTheProcessor(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString || !SDL_GL_GetCurrentContext()) return false;
    constexpr unsigned int kGlRenderer = 0x1F01;
    const auto* name = reinterpret_cast<const char*>(getString(kGlRenderer));
    if (!name) return false;
    for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
        if (std::strstr(name, soft)) return true;
    return false;
}

// A machine without a graphics device node can only draw OpenGL with the
// processor: asking OpenGL first would load Mesa's compiler (over 60 MB that
// stay in the peak) only to drop it again.
bool NoGraphicsDevice() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 || name.rfind("card", 0) == 0) return false;
    }
    return !std::filesystem::exists("/dev/nvidia0", error);
}

bool IsHeadlessDriver(const char* name) {
    return name && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

}  // namespace

DrawState& State() { return g_state; }

bool HeadlessVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return IsHeadlessDriver(SDL_GetCurrentVideoDriver());
    return IsHeadlessDriver(SDL_getenv("SDL_VIDEODRIVER"));
}

bool EnsureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // SIGINT and SIGTERM are ours (InstallTerminationSignals), not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window's class (X11) and app id (Wayland) must be the name of the
    // program's desktop entry, or the desktop shows the window apart from its
    // launcher and without its icon. SDL 2.26 reads the class from the
    // environment when video starts; later versions read the hint. A class
    // the user set by hand is left alone.
    if (const std::string id = AppId(); !id.empty()) {
        SDL_setenv("SDL_VIDEO_X11_WMCLASS", id.c_str(), 0);
        SDL_SetHint("SDL_APP_ID", id.c_str());
    }
    // The logical screen is scaled to the window; smooth, not blocky.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // SDL holds the screen saver off for as long as it runs; the game does
    // that itself, only while a puzzle is being played.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // An X server refuses a connection now and then while it is busy (a full
    // listen queue, a reset), and one started with the session may not listen
    // yet; only a display that stays away is an error. Once it has stayed away,
    // later calls ask once more without waiting.
    static bool stayedAway = false;
    constexpr int kWaitsMs[] = {100, 200, 400, 800, 1500};
    // With no display to reach SDL falls back to its offscreen driver, and the
    // game would run where nobody sees it; that driver is for those who ask
    // for it by name (tests, scripts).
    const bool headlessAsked = IsHeadlessDriver(SDL_getenv("SDL_VIDEODRIVER"));
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    const bool anyDisplay = headlessAsked || (x11 && *x11) || (wayland && *wayland);
    for (int attempt = 0;; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            if (headlessAsked || !IsHeadlessDriver(SDL_GetCurrentVideoDriver())) {
                stayedAway = false;
                StartGamepads();
                return true;
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_SetError("no display answered");
        }
        if (stayedAway || !anyDisplay || attempt == static_cast<int>(std::size(kWaitsMs))) break;
        SDL_Delay(kWaitsMs[attempt]);
    }
    if (!stayedAway) std::fprintf(stderr, "video: %s\n", SDL_GetError());
    stayedAway = true;
    return false;
}

}  // namespace detail

namespace {

using detail::DrawState;
using detail::g_generation;
using detail::g_state;

class SdlDisplay final : public DisplayDevice {
public:
    bool DriverAvailable(GfxDriver driver) override {
        if (driver != GfxDriver::OpenGL) return false;
        return detail::EnsureVideo() && SDL_GetNumRenderDrivers() > 0;
    }

    bool SelectDriver(GfxDriver driver, int) override { return DriverAvailable(driver); }

    int CountModes() override {
        if (!detail::EnsureVideo()) return 0;
        int listed = 0;
        int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w > 0 && m.h > 0) ++listed;
        }
        if (listed > 0) return listed;
        // Some drivers (offscreen among them) list no usable mode although the
        // desktop mode is known; full screen here is the desktop mode anyway.
        int w = 0, h = 0;
        DesktopSize(w, h);
        return (w > 0 && h > 0) ? 1 : 0;
    }

    bool ModeExists(int w, int h, int depth, int hz) override {
        if (depth != 16 && depth != 24 && depth != 32) return false;
        if (w <= 0 || h <= 0 || !detail::EnsureVideo()) return false;
        // Full screen scales the logical screen onto the desktop, so any size
        // the desktop can hold exists; a listed mode counts as well.
        int dw = 0, dh = 0;
        DesktopSize(dw, dh);
        bool sizeOk = dw >= w && dh >= h;
        int n = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < n && !sizeOk; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w == w && m.h == h) sizeOk = true;
        }
        if (!sizeOk) return false;
        if (hz == 0) return true;
        SDL_DisplayMode desk;
        if (SDL_GetDesktopDisplayMode(0, &desk) != 0 || desk.refresh_rate == 0) return true;
        return desk.refresh_rate == hz;
    }

    bool CreateGraphics(int w, int h, int depth, int hz, int) override {
        // Between full screen and a window the window stays, with its renderer
        // and every texture: destroying it under native Wayland crashes in
        // libdecor, and nothing of the picture needs making again.
        if (window_ && renderer_ && w == logicalW_ && h == logicalH_ && SwitchFullScreen(depth != 0, w, h)) return true;
        CloseGraphics();
        if (w <= 0 || h <= 0 || w > detail::kMaxImageSide || h > detail::kMaxImageSide) return false;
        if (!detail::EnsureVideo()) return false;
        const bool fullScreen = depth != 0;
        // The window is made at the size it will have on the screen. A full-screen
        // window that asked for the logical size would rely on the window manager
        // to grow it; without one (a bare X server, some kiosks) the window stays
        // small while the renderer draws for the desktop's size, and the picture
        // lands shifted and cut off.
        int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
        int winW = windowedW_ > 0 ? windowedW_ : w, winH = windowedH_ > 0 ? windowedH_ : h;
        Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
        SDL_Rect desk{0, 0, 0, 0};
        if (fullScreen) {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            if (SDL_GetDisplayBounds(0, &desk) == 0 && desk.w > 0 && desk.h > 0) {
                x = desk.x;
                y = desk.y;
                winW = desk.w;
                winH = desk.h;
            } else {
                winW = w;
                winH = h;
            }
        } else {
            flags |= SDL_WINDOW_RESIZABLE;
            if (winW == w && winH == h) {
                ScaledWindowSize(0, w, h, winW, winH);
            } else if (SDL_GetDisplayUsableBounds(0, &desk) == 0 && desk.w > 0 && desk.h > 0) {
                winW = std::min(winW, desk.w);
                winH = std::min(winH, desk.h);
            }
            winW = std::clamp(winW, 1, detail::kMaxImageSide);
            winH = std::clamp(winH, 1, detail::kMaxImageSide);
        }
        window_ = SDL_CreateWindow(AppTitle().c_str(), x, y, winW, winH, flags);
        if (!window_) return false;
        // The headless drivers have no GPU behind them; their software renderer
        // avoids a GL emulation layer and reads back exactly what was drawn.
        // Without the hint SDL would still start that layer to back the window
        // surface, which costs half a second per start.
        if (detail::HeadlessVideo()) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // Only X11 gives SDL a window framebuffer of its own; elsewhere (Wayland)
        // the software renderer would need OpenGL underneath, or fail outright.
        const char* video = SDL_GetCurrentVideoDriver();
        const bool ownFramebuffer = video && std::strcmp(video, "x11") == 0;
        const bool rendererChosen = SDL_getenv("SDL_RENDER_DRIVER") != nullptr;
        if (ownFramebuffer && !rendererChosen && detail::NoGraphicsDevice()) glOnProcessor_ = true;
        if (!detail::HeadlessVideo() && !glOnProcessor_)
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        // Unless the user chose a renderer, the software one draws into the
        // window's own pixels instead (a window surface that SDL would back
        // with OpenGL again would cost as much).
        if (renderer_ && ownFramebuffer && !rendererChosen && detail::OpenGlOnTheProcessor(renderer_)) {
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            glOnProcessor_ = true;
        }
        if (glOnProcessor_ && !SDL_getenv("SDL_FRAMEBUFFER_ACCELERATION"))
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
            return false;
        }
        ++g_generation;
        // The logical screen keeps its aspect in any window: SDL letterboxes it,
        // follows the window's pixel size (HiDPI included) on every resize, and
        // maps pointer events back into logical pixels.
        SDL_RenderSetLogicalSize(renderer_, w, h);
        SDL_RenderSetIntegerScale(renderer_, SDL_FALSE);
        if (!fullScreen) SDL_SetWindowMinimumSize(window_, std::max(1, w / 2), std::max(1, h / 2));
        logicalW_ = w;
        logicalH_ = h;
        fullScreen_ = depth != 0;
        SDL_RenderSetVSync(renderer_, 0);
        detail::CanvasCreate(w, h, hz);
        if (fullScreen_) MoveMouseLogical(w / 2, h / 2);
        return true;
    }

    // The logical screen w x h times the window's scale, made smaller with
    // its shape kept where the display's usable area cannot hold it.
    void ScaledWindowSize(int display, int w, int h, int& winW, int& winH) const {
        const int percent = WindowScalePercent(textScale_);
        winW = static_cast<int>(int64_t(w) * percent / 100);
        winH = static_cast<int>(int64_t(h) * percent / 100);
        SDL_Rect desk{0, 0, 0, 0};
        if (SDL_GetDisplayUsableBounds(display, &desk) != 0 || desk.w <= 0 || desk.h <= 0) return;
        if (winW > desk.w || winH > desk.h) {
            const double fit = std::min(double(desk.w) / winW, double(desk.h) / winH);
            winW = std::max(1, static_cast<int>(winW * fit));
            winH = std::max(1, static_cast<int>(winH * fit));
        }
    }

    void SetTextScale(int percent) override { textScale_ = CheckedTextScale(percent); }

    void ApplyTextScale() override {
        if (!window_ || fullScreen_) return;
        int winW = 0, winH = 0;
        ScaledWindowSize(std::max(0, SDL_GetWindowDisplayIndex(window_)), logicalW_, logicalH_, winW, winH);
        SDL_SetWindowSize(window_, std::clamp(winW, 1, detail::kMaxImageSide),
                          std::clamp(winH, 1, detail::kMaxImageSide));
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }

    bool SwitchFullScreen(bool on, int w, int h) {
        if (on == fullScreen_) return true;
        if (on) {
            // Where no window manager places a full-screen window (a bare X
            // server, some kiosks) it keeps its place and grows from there; it
            // is put over the screen first, as a new one would be made.
            SDL_Rect desk{0, 0, 0, 0};
            if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window_)), &desk) == 0 && desk.w > 0 &&
                desk.h > 0) {
                SDL_SetWindowPosition(window_, desk.x, desk.y);
                SDL_SetWindowSize(window_, desk.w, desk.h);
            }
            if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
            fullScreen_ = true;
            MoveMouseLogical(w / 2, h / 2);
            return true;
        }
        if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
        int winW = windowedW_ > 0 ? windowedW_ : w, winH = windowedH_ > 0 ? windowedH_ : h;
        SDL_Rect desk{0, 0, 0, 0};
        if (winW == w && winH == h) {
            ScaledWindowSize(std::max(0, SDL_GetWindowDisplayIndex(window_)), w, h, winW, winH);
        } else if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(window_)), &desk) == 0 &&
                   desk.w > 0 && desk.h > 0) {
            winW = std::min(winW, desk.w);
            winH = std::min(winH, desk.h);
        }
        // A window made for full screen was made without a frame to drag.
        SDL_SetWindowResizable(window_, SDL_TRUE);
        SDL_SetWindowMinimumSize(window_, std::max(1, w / 2), std::max(1, h / 2));
        SDL_SetWindowSize(window_, std::clamp(winW, 1, detail::kMaxImageSide),
                          std::clamp(winH, 1, detail::kMaxImageSide));
        fullScreen_ = false;
        return true;
    }

    void CloseGraphics() override {
        if (renderer_) {
            detail::CanvasDestroy();
            SDL_DestroyRenderer(renderer_);
            renderer_ = nullptr;
            ++g_generation;
        }
        if (window_) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
        fullScreen_ = false;
    }

    bool HasGraphics() override { return renderer_ != nullptr; }
    int WindowHandle() override { return window_ ? static_cast<int>(SDL_GetWindowID(window_)) : 0; }

    void DesktopSize(int& w, int& h) override {
        w = h = 0;
        if (!detail::EnsureVideo()) return;
        SDL_DisplayMode m;
        int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
        if (SDL_GetDesktopDisplayMode(display, &m) == 0) {
            w = m.w;
            h = m.h;
        }
    }

    int DesktopRefreshRate() override {
        SDL_DisplayMode m;
        if (detail::EnsureVideo() && SDL_GetDesktopDisplayMode(0, &m) == 0 && m.refresh_rate > 0) return m.refresh_rate;
        return 60;
    }

    int WindowRefreshRate() override {
        if (!window_) return -1;
        SDL_DisplayMode m;
        int display = SDL_GetWindowDisplayIndex(window_);
        if (display >= 0 && SDL_GetDesktopDisplayMode(display, &m) == 0 && m.refresh_rate > 0) return m.refresh_rate;
        return -1;
    }

    void WindowRect(int& x, int& y, int& w, int& h) override {
        x = y = w = h = 0;
        if (!window_) return;
        int top = 0, left = 0, bottom = 0, right = 0;
        SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right);  // 0s when unknown
        SDL_GetWindowPosition(window_, &x, &y);
        SDL_GetWindowSize(window_, &w, &h);
        x -= left;
        y -= top;
        w += left + right;
        h += top + bottom;
    }

    void ClientPos(int& x, int& y) override {
        x = y = 0;
        if (window_) SDL_GetWindowPosition(window_, &x, &y);
    }

    void CentreWindow() override {
        if (!window_ || fullScreen_) return;
        SDL_SetWindowAlwaysOnTop(window_, SDL_FALSE);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }

    void MinimiseWindow() override {
        if (window_) SDL_MinimizeWindow(window_);
    }

    bool WindowIsForeground() override {
        if (!window_) return false;
        // Nothing but a posted focus event (a script, a test) takes the focus
        // away under a headless driver, and it never hands it to the window.
        if (detail::HeadlessVideo()) return detail::HeadlessFocus();
        return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    void SetWindowIcon(const std::string& file) override {
        if (!window_) return;
        // Without its picture the window keeps the icon the desktop finds
        // for its class; that is no reason to stop the game.
        auto bytes = LoadBytes(file);
        auto pixmap = bytes ? detail::DecodePixmap(bytes->data(), bytes->size()) : nullptr;
        if (!pixmap || pixmap->Width() > 1024 || pixmap->Height() > 1024) return;
        SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixmap->Pixels(), pixmap->Width(), pixmap->Height(), 32,
                                                               pixmap->Width() * 4, SDL_PIXELFORMAT_ARGB8888);
        if (!icon) return;
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }

    bool IsFullScreen() override { return fullScreen_; }

    void SetWindowedSize(int w, int h) override {
        windowedW_ = std::clamp(w, 0, detail::kMaxImageSide);
        windowedH_ = std::clamp(h, 0, detail::kMaxImageSide);
    }

    void ClientSize(int& w, int& h) override {
        w = h = 0;
        if (window_ && !fullScreen_) SDL_GetWindowSize(window_, &w, &h);
    }

    void AllowScreenSaver(bool allow) override {
        if (!detail::EnsureVideo()) return;
        if (allow)
            SDL_EnableScreenSaver();
        else
            SDL_DisableScreenSaver();
    }

    // ---- used by the free functions below ----
    SDL_Renderer* renderer() const { return renderer_; }
    int logicalW() const { return renderer_ ? logicalW_ : 0; }
    int logicalH() const { return renderer_ ? logicalH_ : 0; }
    SDL_Window* window() const { return window_; }

    void MoveMouseLogical(int x, int y) {
        if (!window_ || !renderer_) return;
        int wx = 0, wy = 0;
        SDL_RenderLogicalToWindow(renderer_, static_cast<float>(x), static_cast<float>(y), &wx, &wy);
        SDL_WarpMouseInWindow(window_, wx, wy);
    }

private:
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    int logicalW_ = 0, logicalH_ = 0;
    int windowedW_ = 0, windowedH_ = 0;
    int textScale_ = 100;
    bool fullScreen_ = false;
    // Known once: the OpenGL renderer draws with the processor.
    bool glOnProcessor_ = false;
};

SdlDisplay& Sdl() {
    // Never destroyed: SDL may already be shut down when static objects die.
    static SdlDisplay* sdl = new SdlDisplay();
    return *sdl;
}

std::unique_ptr<DisplayDevice> g_fake;

SDL_Renderer* ActiveRenderer() { return g_fake ? nullptr : Sdl().renderer(); }

// The blend mode and alpha a primitive is drawn with; false when it would
// draw nothing at all.
bool PrimitiveBlend(const DrawState& s, SDL_BlendMode& mode, Uint8& a) {
    if (s.vpW <= 0 || s.vpH <= 0) return false;
    a = static_cast<Uint8>(std::lround(s.alpha * 255.0f));
    mode = SDL_BLENDMODE_BLEND;
    switch (s.blend) {
        case MASKBLEND:
            if (s.alpha < 0.5f) return false;
            mode = SDL_BLENDMODE_NONE;
            a = 255;
            break;
        case SOLIDBLEND:
            mode = SDL_BLENDMODE_NONE;
            a = 255;
            break;
        case LIGHTBLEND:
            mode = SDL_BLENDMODE_ADD;
            break;
        case SHADEBLEND:
            mode = SDL_BLENDMODE_MOD;
            a = 255;
            break;
        default:
            break;
    }
    return !(a == 0 && mode != SDL_BLENDMODE_NONE && mode != SDL_BLENDMODE_MOD);
}

bool PreparePrimitive(SDL_Renderer* r, const DrawState& s) {
    SDL_BlendMode mode;
    Uint8 a;
    if (!PrimitiveBlend(s, mode, a)) return false;
    SDL_SetRenderDrawBlendMode(r, mode);
    SDL_SetRenderDrawColor(r, static_cast<Uint8>(s.r), static_cast<Uint8>(s.g), static_cast<Uint8>(s.b), a);
    return true;
}

// Normalises a scaled rectangle so that a negative scale mirrors it about the
// drawing position instead of producing a rectangle SDL ignores.
SDL_FRect ScaledRect(float x, float y, float w, float h, const DrawState& s) {
    float sw = w * s.scaleX, sh = h * s.scaleY;
    SDL_FRect r{x, y, sw, sh};
    if (r.w < 0) {
        r.x += r.w;
        r.w = -r.w;
    }
    if (r.h < 0) {
        r.y += r.h;
        r.h = -r.h;
    }
    return r;
}

// Whole pixels around [x0, x1] x [y0, y1] with a margin for rounding.
detail::Box PlainBox(double x0, double y0, double x1, double y1) {
    constexpr double kMargin = 2.0, kFar = 1e7;
    detail::Box b;
    b.x0 = static_cast<int>(std::floor(std::clamp(std::min(x0, x1) - kMargin, -kFar, kFar)));
    b.y0 = static_cast<int>(std::floor(std::clamp(std::min(y0, y1) - kMargin, -kFar, kFar)));
    b.x1 = static_cast<int>(std::ceil(std::clamp(std::max(x0, x1) + kMargin, -kFar, kFar)));
    b.y1 = static_cast<int>(std::ceil(std::clamp(std::max(y0, y1) + kMargin, -kFar, kFar)));
    return b;
}

bool ViewportWhole(const DrawState& s) {
    return s.vpX <= 0 && s.vpY <= 0 && s.vpX + s.vpW >= detail::CanvasWidth() &&
           s.vpY + s.vpH >= detail::CanvasHeight();
}

void RecordPrimitive(detail::DrawOp op, float a, float b, float c, float d) {
    if (!ActiveRenderer()) return;
    SDL_BlendMode mode;
    Uint8 alpha;
    if (!PrimitiveBlend(g_state, mode, alpha)) return;
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d)) return;
    detail::DrawCommand cmd;
    cmd.op = op;
    cmd.state = g_state;
    cmd.p[0] = a;
    cmd.p[1] = b;
    cmd.p[2] = c;
    cmd.p[3] = d;
    switch (op) {
        case detail::DrawOp::Plot:
            cmd.box = PlainBox(a, b, a + 1, b + 1);
            break;
        case detail::DrawOp::Line:
            cmd.box = PlainBox(a, b, a + (c - a) * g_state.scaleX, b + (d - b) * g_state.scaleY);
            // A clipped line starts its steps elsewhere and may take other pixels.
            cmd.wholeOnly = true;
            break;
        default: {
            const SDL_FRect r = ScaledRect(a, b, c, d, g_state);
            if (!(r.w > 0 && r.h > 0)) return;
            cmd.box = PlainBox(r.x, r.y, static_cast<double>(r.x) + r.w, static_cast<double>(r.y) + r.h);
            const bool opaque = mode == SDL_BLENDMODE_NONE || (mode == SDL_BLENDMODE_BLEND && alpha == 255);
            cmd.covers = op == detail::DrawOp::Rect && opaque && ViewportWhole(g_state) && r.x <= 0 && r.y <= 0 &&
                         r.x + r.w >= static_cast<float>(detail::CanvasWidth()) &&
                         r.y + r.h >= static_cast<float>(detail::CanvasHeight());
            break;
        }
    }
    cmd.box = detail::ClipToView(cmd.box, g_state);
    detail::Record(std::move(cmd));
}

}  // namespace

namespace detail {
SDL_Renderer* Renderer() { return ActiveRenderer(); }
SDL_Window* Window() { return g_fake ? nullptr : Sdl().window(); }
uint64_t RendererGeneration() { return g_generation; }

void ExecutePrimitive(const DrawCommand& c) {
    SDL_Renderer* r = ActiveRenderer();
    const DrawState& s = c.state;
    if (!r || !PreparePrimitive(r, s)) return;
    const float x = c.p[0], y = c.p[1];
    const float kx = CanvasScaleX(), ky = CanvasScaleY();
    const bool scaled = kx != 1.0f || ky != 1.0f;
    switch (c.op) {
        case DrawOp::Plot:
        case DrawOp::Line:
            // A line or a point is as thick as a logical pixel. On a scaled
            // canvas SDL's own scaled lines leave gaps between their squares
            // at scales that are not whole, so the squares are laid here, each
            // edge rounded as rectangles' edges are.
            if (scaled) {
                DrawScaledLine(r, x, y, c.op == DrawOp::Plot ? x : x + (c.p[2] - x) * s.scaleX,
                               c.op == DrawOp::Plot ? y : y + (c.p[3] - y) * s.scaleY, kx, ky);
                break;
            }
            if (c.op == DrawOp::Plot)
                SDL_RenderDrawPointF(r, x, y);
            else
                SDL_RenderDrawLineF(r, x, y, x + (c.p[2] - x) * s.scaleX, y + (c.p[3] - y) * s.scaleY);
            break;
        case DrawOp::Rect: {
            SDL_FRect rect = ScaledRect(x, y, c.p[2], c.p[3], s);
            if (rect.w <= 0 || rect.h <= 0) return;
            if (scaled) rect = OnCanvas(rect, kx, ky);
            if (rect.w <= 0 || rect.h <= 0) return;
            SDL_RenderFillRectF(r, &rect);
            break;
        }
        case DrawOp::Oval: {
            SDL_FRect box = ScaledRect(x, y, c.p[2], c.p[3], s);
            box = SDL_FRect{box.x * kx, box.y * ky, box.w * kx, box.h * ky};
            if (!(box.w > 0 && box.h > 0) || box.h > 100000.0f) return;
            // One rectangle per pixel row, each as wide as the ellipse at the row's centre.
            const float rx = box.w / 2, ry = box.h / 2;
            const float cx = box.x + rx, cy = box.y + ry;
            std::vector<SDL_FRect> rows;
            const int top = static_cast<int>(std::floor(box.y));
            const int bottom = static_cast<int>(std::ceil(box.y + box.h));
            rows.reserve(static_cast<size_t>(bottom - top));
            for (int row = top; row < bottom; ++row) {
                float dy = (row + 0.5f - cy) / ry;
                if (dy <= -1.0f || dy >= 1.0f) continue;
                float half = rx * std::sqrt(1.0f - dy * dy);
                rows.push_back(SDL_FRect{cx - half, static_cast<float>(row), 2 * half, 1.0f});
            }
            if (!rows.empty()) SDL_RenderFillRectsF(r, rows.data(), static_cast<int>(rows.size()));
            break;
        }
        default:
            break;
    }
}

SDL_FRect OnCanvas(const SDL_FRect& rect, float kx, float ky) {
    // Each edge is rounded on its own, so that rectangles that meet in
    // logical pixels meet on the canvas, without a seam or an overlap.
    const float x0 = std::round(rect.x * kx), x1 = std::round((rect.x + rect.w) * kx);
    const float y0 = std::round(rect.y * ky), y1 = std::round((rect.y + rect.h) * ky);
    // On a canvas smaller than the logical screen a thin rectangle keeps a pixel.
    return SDL_FRect{x0, y0, std::max(x1 - x0, rect.w > 0 ? 1.0f : 0.0f), std::max(y1 - y0, rect.h > 0 ? 1.0f : 0.0f)};
}

void OnTitleChanged(const std::string& title) {
    if (SDL_Window* w = Sdl().window()) SDL_SetWindowTitle(w, title.c_str());
}

void RaiseWindow() {
    SDL_Window* w = Window();
    if (!w) return;
    if (SDL_GetWindowFlags(w) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(w);
    SDL_RaiseWindow(w);
}

void ShutdownAll() {
    ShutdownAudio();
    StopGamepads();
    Sdl().CloseGraphics();
    if (SDL_WasInit(0)) SDL_Quit();
}

void MoveMouseTo(int x, int y) { Sdl().MoveMouseLogical(x, y); }

void LogicalSize(int& w, int& h) {
    w = g_fake ? 0 : Sdl().logicalW();
    h = g_fake ? 0 : Sdl().logicalH();
}
}  // namespace detail

int CheckedTextScale(int percent) {
    constexpr int kStep = 25;
    // Clamped first: a value read from a file may be as large as an int goes.
    percent = std::clamp(percent, 0, 1000);
    return std::clamp((percent + kStep / 2) / kStep * kStep, 100, 200);
}

int DesktopScale() {
    const char* video = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : SDL_getenv("SDL_VIDEODRIVER");
    if (video && std::strcmp(video, "wayland") == 0) return 1;
    const char* text = SDL_getenv("GDK_SCALE");
    if (!text || text[0] < '1' || text[0] > '4' || text[1] != '\0') return 1;
    return text[0] - '0';
}

int WindowScalePercent(int textScalePercent) { return DesktopScale() * CheckedTextScale(textScalePercent); }

DisplayDevice& Display() {
    if (g_fake) return *g_fake;
    return Sdl();
}

void SetDisplayDevice(std::unique_ptr<DisplayDevice> device) { g_fake = std::move(device); }

bool OpenDisplay(std::string& reason) {
    if (detail::EnsureVideo()) return true;
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    const std::string x11Name = x11 ? x11 : "", waylandName = wayland ? wayland : "";
    if (x11Name.empty() && waylandName.empty()) {
        reason = "cannot open display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    } else {
        reason = "cannot open display ";
        if (!x11Name.empty()) reason += x11Name + " (DISPLAY)";
        if (!x11Name.empty() && !waylandName.empty()) reason += " or ";
        if (!waylandName.empty()) reason += waylandName + " (WAYLAND_DISPLAY)";
    }
    reason += "; start the game from a desktop session, or set SDL_VIDEODRIVER=offscreen to run it without one";
    return false;
}

bool Flip(int sync) { return !g_fake && detail::PresentFrame(sync); }

void SetClsColor(int r, int g, int b) {
    detail::g_clsR = std::clamp(r, 0, 255);
    detail::g_clsG = std::clamp(g, 0, 255);
    detail::g_clsB = std::clamp(b, 0, 255);
}

void Cls() {
    if (!ActiveRenderer()) return;
    detail::DrawCommand cmd;
    cmd.op = detail::DrawOp::Clear;
    cmd.clearR = detail::g_clsR;
    cmd.clearG = detail::g_clsG;
    cmd.clearB = detail::g_clsB;
    cmd.box = detail::Box{0, 0, detail::CanvasWidth(), detail::CanvasHeight()};
    cmd.covers = true;
    detail::Record(std::move(cmd));
}

void SetAutoMidHandle(bool on) { detail::g_autoMidHandle = on; }
bool AutoMidHandle() { return detail::g_autoMidHandle; }

void SetColor(int r, int g, int b) {
    g_state.r = std::clamp(r, 0, 255);
    g_state.g = std::clamp(g, 0, 255);
    g_state.b = std::clamp(b, 0, 255);
}

void GetColor(int& r, int& g, int& b) {
    r = g_state.r;
    g = g_state.g;
    b = g_state.b;
}

void SetAlpha(float a) {
    if (std::isnan(a)) a = 0.0f;
    g_state.alpha = std::clamp(a, 0.0f, 1.0f);
}
float GetAlpha() { return g_state.alpha; }

void SetBlend(int mode) {
    if (mode >= MASKBLEND && mode <= SHADEBLEND) g_state.blend = mode;
}
int GetBlend() { return g_state.blend; }

void SetScale(float sx, float sy) {
    g_state.scaleX = std::isfinite(sx) ? sx : 1.0f;
    g_state.scaleY = std::isfinite(sy) ? sy : 1.0f;
}

void GetScale(float& sx, float& sy) {
    sx = g_state.scaleX;
    sy = g_state.scaleY;
}

void SetRotation(float degrees) { g_state.rotation = std::isfinite(degrees) ? degrees : 0.0f; }
float GetRotation() { return g_state.rotation; }

void SetViewport(int x, int y, int w, int h) {
    g_state.vpX = x;
    g_state.vpY = y;
    g_state.vpW = w;
    g_state.vpH = h;
}

void GetViewport(int& x, int& y, int& w, int& h) {
    x = g_state.vpX;
    y = g_state.vpY;
    w = g_state.vpW;
    h = g_state.vpH;
}

void Plot(float x, float y) { RecordPrimitive(detail::DrawOp::Plot, x, y, 0, 0); }
void DrawLine(float x1, float y1, float x2, float y2) { RecordPrimitive(detail::DrawOp::Line, x1, y1, x2, y2); }
void DrawRect(float x, float y, float w, float h) { RecordPrimitive(detail::DrawOp::Rect, x, y, w, h); }
void DrawOval(float x, float y, float w, float h) { RecordPrimitive(detail::DrawOp::Oval, x, y, w, h); }

void DrawText(const std::string& text, float x, float y) { detail::DrawTextImpl(text, x, y); }
int TextWidth(const std::string& text) { return detail::TextWidthImpl(text); }
int TextHeight(const std::string& text) { return detail::TextHeightImpl(text); }

}  // namespace platform
