// SPDX-License-Identifier: GPL-3.0-or-later
// Frames on demand: the drawing of a frame is recorded, compared with the frame
// the canvas already shows, and only what differs is drawn again; the window is
// presented only when its picture changed, never faster than the display.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "internal.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "tile_mask.h"

namespace platform {
namespace detail {
namespace {

// Beyond this many differing commands a frame is simply drawn whole: the
// comparison would cost more than it saves.
constexpr int kMaxEdits = 300;
// A program that never clears the screen piles up commands; past this many
// the canvas is no longer described by them and the next full frame is
// drawn whole.
constexpr size_t kMaxShown = 40000;
constexpr double kPi = 3.14159265358979323846;

struct FrameState {
    SDL_Texture* canvas = nullptr;
    // The logical screen everything is drawn in...
    int w = 800, h = 600;
    // ...and the canvas's real pixels: the part of the window the picture
    // fills, so that it is drawn at the size it is seen instead of stretched.
    int cw = 800, ch = 600;
    float sx = 1.0f, sy = 1.0f;
    Uint32 format = SDL_PIXELFORMAT_ARGB8888;
    // What the canvas shows, as the commands that made it; valid only while
    // shownKnown is set.
    std::vector<DrawCommand> shown;
    bool shownKnown = false;
    std::vector<DrawCommand> pending;
    // The canvas holds a picture the window has not shown yet.
    bool unpresented = false;
    // The window lost its picture (shown again, exposed, resized, device reset).
    bool repaint = true;
    bool vsync = false;
    // Presents spaced by the refresh rate: the next slot and the carried
    // fraction of a millisecond.
    int hz = 0;
    bool slotStarted = false;
    uint32_t nextSlot = 0;
    int carry = 0;
    // How long the last present blocked: a display that waits for its
    // vertical blank paces the frames itself.
    int lastPresentMs = 0;
    uint64_t presented = 0;
    // The renderer draws with the processor into the window's own pixels.
    bool software = false;
    bool watching = false;
};

FrameState g;

inline uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    return h * 0xFF51AFD7ED558CCDull;
}

inline uint64_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

uint64_t HashOf(const DrawCommand& c) {
    const DrawState& s = c.state;
    uint64_t h = Mix(0xC0FFEEull, static_cast<uint64_t>(c.op));
    h = Mix(h, (uint64_t(s.r) << 16) | (uint64_t(s.g) << 8) | uint64_t(s.b));
    h = Mix(h, Bits(s.alpha));
    h = Mix(h, static_cast<uint64_t>(s.blend));
    h = Mix(h, (Bits(s.scaleX) << 32) | Bits(s.scaleY));
    h = Mix(h, Bits(s.rotation));
    h = Mix(h, (uint64_t(uint32_t(s.vpX)) << 32) | uint32_t(s.vpY));
    h = Mix(h, (uint64_t(uint32_t(s.vpW)) << 32) | uint32_t(s.vpH));
    for (float v : c.p) h = Mix(h, Bits(v));
    // While both frames hold a picture or a font, its address names it.
    h = Mix(h, reinterpret_cast<uintptr_t>(c.image.get()));
    h = Mix(h, (uint64_t(uint32_t(c.frame)) << 32) ^ c.version);
    if (c.hasSrc) {
        h = Mix(h, (uint64_t(uint32_t(c.src.x)) << 32) | uint32_t(c.src.y));
        h = Mix(h, (uint64_t(uint32_t(c.src.w)) << 32) | uint32_t(c.src.h));
    }
    h = Mix(h, reinterpret_cast<uintptr_t>(c.font.get()));
    for (unsigned char ch : c.text) h = Mix(h, ch);
    h = Mix(h, (uint64_t(c.clearR) << 16) | (uint64_t(c.clearG) << 8) | uint64_t(c.clearB));
    return h;
}

// A box of logical pixels as the canvas pixels it touches.
Box ToCanvas(const Box& b) {
    if (g.sx == 1.0f && g.sy == 1.0f) return b;
    Box c;
    c.x0 = static_cast<int>(std::floor(static_cast<double>(b.x0) * g.sx));
    c.y0 = static_cast<int>(std::floor(static_cast<double>(b.y0) * g.sy));
    c.x1 = static_cast<int>(std::ceil(static_cast<double>(b.x1) * g.sx));
    c.y1 = static_cast<int>(std::ceil(static_cast<double>(b.y1) * g.sy));
    return c;
}

int TileFor(float scale) { return kTile * std::max(1, static_cast<int>(scale)); }

bool Intersects(const Box& a, const SDL_Rect& r) {
    return a.x0 < r.x + r.w && r.x < a.x1 && a.y0 < r.y + r.h && r.y < a.y1;
}

// What changed on the canvas since the window last showed it.
TileMask g_unshown(800, 600);

// Marks the places where two frames differ: the commands that have no partner
// in the other frame under the longest order-keeping pairing of identical
// commands (Myers' difference). Outside the marked places both frames paint
// the same commands in the same order, so they look the same. False when the
// frames differ in too many commands to be worth it.
bool MarkDifferences(const std::vector<DrawCommand>& was, const std::vector<DrawCommand>& now, TileMask& mask) {
    const int n = static_cast<int>(was.size()), m = static_cast<int>(now.size());
    int pre = 0;
    while (pre < n && pre < m && was[pre].hash == now[pre].hash) ++pre;
    int suf = 0;
    while (suf < n - pre && suf < m - pre && was[n - 1 - suf].hash == now[m - 1 - suf].hash) ++suf;
    const int N = n - pre - suf, M = m - pre - suf;
    auto a = [&](int i) { return was[pre + i].hash; };
    auto b = [&](int j) { return now[pre + j].hash; };
    if (N == 0 || M == 0) {
        for (int i = 0; i < N; ++i) mask.Mark(ToCanvas(was[pre + i].box));
        for (int j = 0; j < M; ++j) mask.Mark(ToCanvas(now[pre + j].box));
        return true;
    }
    const int limit = std::min(N + M, kMaxEdits);
    const int offset = limit + 1;
    std::vector<int> v(static_cast<size_t>(2 * offset + 1), 0);
    // trace[d] holds v[-d .. d] as it was before round d.
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < N && y < M && a(x) == b(y)) ++x, ++y;
            v[offset + k] = x;
            if (x >= N && y >= M) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) return false;
    // Walk back from the end: every step that is not a diagonal is a command
    // one frame has and the other has not.
    int x = N, y = M;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& before = trace[static_cast<size_t>(d)];  // v[-d .. d] before round d
        auto at = [&](int k) { return before[static_cast<size_t>(k + d)]; };
        const int k = x - y;
        const int prevK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
        const int prevX = at(prevK);
        const int prevY = prevX - prevK;
        while (x > prevX && y > prevY) --x, --y;
        if (x == prevX)
            mask.Mark(ToCanvas(now[pre + prevY].box));  // inserted
        else
            mask.Mark(ToCanvas(was[pre + prevX].box));  // removed
        x = prevX;
        y = prevY;
    }
    return true;
}

// Where the canvas lands in a window of w x h pixels: as large as fits with
// its aspect kept, centred.
SDL_Rect FitCanvas(int w, int h) {
    SDL_Rect r{0, 0, w, h};
    if (int64_t(w) * g.h > int64_t(h) * g.w) {
        r.w = static_cast<int>(int64_t(h) * g.w / g.h);
        r.x = (w - r.w) / 2;
    } else {
        r.h = static_cast<int>(int64_t(w) * g.h / g.w);
        r.y = (h - r.h) / 2;
    }
    return r;
}

// Largest canvas side made: past it the picture is stretched as before.
constexpr int kMaxCanvasSide = 8192;

bool MakeCanvasTexture(SDL_Renderer* r, int cw, int ch) {
    SDL_Texture* t = SDL_CreateTexture(r, g.format, SDL_TEXTUREACCESS_TARGET, cw, ch);
    if (!t) return false;
    if (g.canvas) SDL_DestroyTexture(g.canvas);
    g.canvas = t;
    g.cw = cw;
    g.ch = ch;
    g.sx = static_cast<float>(cw) / static_cast<float>(g.w);
    g.sy = static_cast<float>(ch) / static_cast<float>(g.h);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(t, SDL_ScaleModeLinear);
    SDL_SetRenderTarget(r, t);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    SDL_SetRenderTarget(r, nullptr);
    return true;
}

void Execute(SDL_Renderer* r, const DrawCommand& c, const SDL_Rect& area);

// Makes the canvas the size of the area the picture fills in the window's
// real pixels (full screen and HiDPI included), so that nothing is drawn
// small and then stretched. What the old canvas showed is drawn again on the
// new one; when the renderer refuses a canvas that big the old one stays and
// is scaled as before.
void FitCanvasToWindow(SDL_Renderer* r) {
    if (!g.canvas || SDL_GetRenderTarget(r) != nullptr) return;
    int ow = 0, oh = 0;
    if (SDL_GetRendererOutputSize(r, &ow, &oh) != 0 || ow <= 0 || oh <= 0) return;
    const SDL_Rect fit = FitCanvas(ow, oh);
    const int cw = std::clamp(fit.w, 1, kMaxCanvasSide), ch = std::clamp(fit.h, 1, kMaxCanvasSide);
    if (cw == g.cw && ch == g.ch) return;
    if (!MakeCanvasTexture(r, cw, ch)) return;
    g_unshown = TileMask(cw, ch, TileFor(g.sx));
    g_unshown.MarkAll();
    g.repaint = true;
    if (!g.shownKnown) return;
    SDL_SetRenderTarget(r, g.canvas);
    const SDL_Rect whole{0, 0, cw, ch};
    for (const auto& c : g.shown) Execute(r, c, whole);
    SDL_RenderSetClipRect(r, nullptr);
    SDL_SetRenderTarget(r, nullptr);
    g.unpresented = true;
}

// ---- drawing the recorded commands ---------------------------------------------

void Execute(SDL_Renderer* r, const DrawCommand& c, const SDL_Rect& area) {
    SDL_Rect clip = area;
    if (c.op == DrawOp::Clear) {
        // A clear paints everything, the viewport notwithstanding.
        SDL_RenderSetClipRect(r, &clip);
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(r, static_cast<Uint8>(c.clearR), static_cast<Uint8>(c.clearG),
                               static_cast<Uint8>(c.clearB), 255);
        SDL_RenderFillRect(r, &clip);
        return;
    }
    const Box vp = ToCanvas(Box{c.state.vpX, c.state.vpY, c.state.vpX + c.state.vpW, c.state.vpY + c.state.vpH});
    const SDL_Rect view{vp.x0, vp.y0, vp.x1 - vp.x0, vp.y1 - vp.y0};
    if (!SDL_IntersectRect(&area, &view, &clip)) return;
    SDL_RenderSetClipRect(r, &clip);
    switch (c.op) {
        case DrawOp::Text:
            ExecuteText(c);
            break;
        case DrawOp::Image:
            ExecuteImage(c);
            break;
        default:
            ExecutePrimitive(c);
            break;
    }
}

// Draws the pending frame onto the canvas (or the window, without a canvas)
// and makes it the shown one.
void Commit() {
    if (g.pending.empty()) return;
    SDL_Renderer* r = Renderer();
    if (!r) {
        g.pending.clear();
        return;
    }
    std::vector<DrawCommand> frame;
    frame.swap(g.pending);
    if (!g.canvas) {
        const SDL_Rect whole{0, 0, g.w, g.h};
        for (const auto& c : frame) Execute(r, c, whole);
        SDL_RenderSetClipRect(r, nullptr);
        g.unpresented = true;
        return;
    }
    FitCanvasToWindow(r);
    if (!g.canvas) return;
    const SDL_Rect whole{0, 0, g.cw, g.ch};
    SDL_SetRenderTarget(r, g.canvas);
    // Whatever comes before the last command that paints the whole canvas
    // cannot be seen.
    size_t start = frame.size();
    while (start > 0 && !frame[start - 1].covers) --start;
    const bool complete = start > 0;
    if (complete) {
        frame.erase(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(start - 1));
        TileMask mask(g.cw, g.ch, TileFor(g.sx));
        if (!g.shownKnown || !MarkDifferences(g.shown, frame, mask)) mask.MarkAll();
        // A stretched copy that is to be drawn again is drawn again whole.
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& c : frame)
                if (c.wholeOnly && mask.Covered(ToCanvas(c.box)) < 0) {
                    mask.Mark(ToCanvas(c.box));
                    grew = true;
                }
        }
        const std::vector<SDL_Rect> areas = mask.Rects();
        // Command by command, each in every area it meets: the areas do not
        // overlap, so every pixel still sees the commands in their order.
        for (const auto& c : frame) {
            const Box box = ToCanvas(c.box);
            if (c.wholeOnly && mask.Covered(box) > 0) {
                Execute(r, c, whole);
                continue;
            }
            for (const SDL_Rect& area : areas)
                if (Intersects(box, area)) Execute(r, c, area);
        }
        if (!areas.empty()) g.unpresented = true;
        g_unshown.Add(mask);
        g.shown.swap(frame);
        g.shownKnown = true;
    } else {
        // Drawn over what is there, as on a screen that keeps its picture.
        for (const auto& c : frame) Execute(r, c, whole);
        g.unpresented = true;
        g_unshown.MarkAll();
        if (g.shownKnown && g.shown.size() + frame.size() <= kMaxShown) {
            g.shown.insert(g.shown.end(), std::make_move_iterator(frame.begin()), std::make_move_iterator(frame.end()));
        } else {
            g.shown.clear();
            g.shownKnown = false;
        }
    }
    SDL_RenderSetClipRect(r, nullptr);
    SDL_SetRenderTarget(r, nullptr);
}

// ---- presenting ------------------------------------------------------------------

int RefreshRate() {
    SDL_Window* w = Window();
    if (w) {
        SDL_DisplayMode mode;
        const int display = SDL_GetWindowDisplayIndex(w);
        if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
            return mode.refresh_rate;
    }
    return g.hz > 0 ? g.hz : 60;
}

// Waits for the next of the slots 1000/rate ms apart. The fractional
// millisecond is carried so that 60 Hz averages 16.67 ms; after a stall the
// schedule restarts instead of letting a burst of frames through.
void WaitForSlot(int rate) {
    const int period = 1000 / rate;
    const int remainder = 1000 % rate;
    const uint32_t now = static_cast<uint32_t>(MilliSecs());
    // The clock wraps; only differences of unsigned values are meaningful.
    const int late = static_cast<int>(now - g.nextSlot);
    if (!g.slotStarted || late > period || -late > period + 1) {
        g.nextSlot = now;
        g.carry = 0;
        g.slotStarted = true;
    }
    const int wait = static_cast<int>(g.nextSlot - now);
    if (wait > 0) Delay(wait);
    g.nextSlot += static_cast<uint32_t>(period);
    g.carry += remainder;
    if (g.carry >= rate) {
        g.carry -= rate;
        g.nextSlot += 1;
    }
}

// The smallest run of canvas pixels that scales to a whole number of window
// pixels with the scaler's fixed-point step exact: copies that start on such
// a boundary sample the canvas exactly where a whole copy does. 0 when the
// scale has none worth using.
int ExactUnit(int from, int to) {
    if (from <= 0 || to <= 0) return 0;
    const int unit = from / std::gcd(from, to);
    const int scaled = unit * to / from;
    if (unit > 100 || (int64_t(unit) << 16) % scaled != 0) return 0;
    return unit;
}

// Scratch pixels for the software present, kept between frames.
std::vector<uint32_t> g_readPixels, g_scaledPixels;

// A surface over scratch pixels (never zeroed: every pixel is written).
SDL_Surface* Scratch(std::vector<uint32_t>& pixels, int w, int h, Uint32 format) {
    pixels.resize(std::max(pixels.size(), static_cast<size_t>(w) * h));
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), w, h, 32, w * 4, format);
    if (s) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
    return s;
}

SDL_Surface* ReadCanvas(SDL_Renderer* r, const SDL_Rect& area, Uint32 format) {
    SDL_Surface* out = Scratch(g_readPixels, area.w, area.h, format);
    if (!out) return nullptr;
    SDL_SetRenderTarget(r, g.canvas);
    const int failed = SDL_RenderReadPixels(r, &area, format, out->pixels, out->pitch);
    SDL_SetRenderTarget(r, nullptr);
    if (failed) {
        SDL_FreeSurface(out);
        return nullptr;
    }
    return out;
}

// A software renderer draws into the window's own pixels, which stay between
// frames: only the parts of the canvas that changed are scaled onto them and
// sent to the screen. Each part is scaled with a margin and only its inside is
// kept, so it matches what a whole copy would give. False when the window's
// pixels cannot be written this way (the caller copies the whole canvas).
bool PresentSoftware(SDL_Renderer* r) {
    SDL_Window* window = Window();
    SDL_Surface* win = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!win || win->format->BytesPerPixel != 4 || win->w <= 0 || win->h <= 0) return false;
    const Uint32 format = win->format->format;
    const SDL_Rect fit = FitCanvas(win->w, win->h);
    if (fit.w <= 0 || fit.h <= 0) return false;
    const int ux = ExactUnit(g.cw, fit.w), uy = ExactUnit(g.ch, fit.h);
    std::vector<SDL_Rect> parts;
    if (!g.repaint && ux > 0 && uy > 0) parts = g_unshown.Rects();
    const bool whole = parts.empty() || (parts.size() == 1 && parts[0].w >= g.cw && parts[0].h >= g.ch);
    std::vector<SDL_Rect> sent;
    if (whole) {
        SDL_Surface* all = ReadCanvas(r, SDL_Rect{0, 0, g.cw, g.ch}, format);
        if (!all) return false;
        SDL_Rect to = fit;
        if (fit.w == g.cw && fit.h == g.ch)
            SDL_BlitSurface(all, nullptr, win, &to);
        else
            SDL_SoftStretchLinear(all, nullptr, win, &to);
        SDL_FreeSurface(all);
        // The bars beside the picture.
        const Uint32 black = SDL_MapRGB(win->format, 0, 0, 0);
        const SDL_Rect bars[] = {{0, 0, win->w, fit.y},
                                 {0, fit.y + fit.h, win->w, win->h - fit.y - fit.h},
                                 {0, fit.y, fit.x, fit.h},
                                 {fit.x + fit.w, fit.y, win->w - fit.x - fit.w, fit.h}};
        for (const SDL_Rect& bar : bars)
            if (bar.w > 0 && bar.h > 0) SDL_FillRect(win, &bar, black);
        sent.push_back(SDL_Rect{0, 0, win->w, win->h});
    } else {
        const int kx = fit.w * ux / g.cw, ky = fit.h * uy / g.ch;  // window pixels per unit
        for (const SDL_Rect& part : parts) {
            // The window pixels whose value the part's pixels enter into...
            SDL_Rect to;
            to.x = static_cast<int>(int64_t(std::max(0, part.x - 2)) * fit.w / g.cw);
            to.y = static_cast<int>(int64_t(std::max(0, part.y - 2)) * fit.h / g.ch);
            to.w = static_cast<int>((int64_t(std::min(g.cw, part.x + part.w + 2)) * fit.w + g.cw - 1) / g.cw) - to.x;
            to.h = static_cast<int>((int64_t(std::min(g.ch, part.y + part.h + 2)) * fit.h + g.ch - 1) / g.ch) - to.y;
            // ...are scaled from whole units around it with a few pixels to
            // spare, so that none of them sits at the edge, where the scaler
            // has no neighbour to blend with.
            constexpr int kSpare = 4;
            SDL_Rect from;
            from.x = std::max(0, part.x - kSpare) / ux * ux;
            from.y = std::max(0, part.y - kSpare) / uy * uy;
            from.w = std::min(g.cw, (part.x + part.w + kSpare + ux - 1) / ux * ux) - from.x;
            from.h = std::min(g.ch, (part.y + part.h + kSpare + uy - 1) / uy * uy) - from.y;
            SDL_Surface* src = ReadCanvas(r, from, format);
            if (!src) return false;
            // Whole units (the canvas is a whole number of them), so exact.
            SDL_Surface* scaled = Scratch(g_scaledPixels, from.w / ux * kx, from.h / uy * ky, format);
            if (!scaled) {
                SDL_FreeSurface(src);
                return false;
            }
            SDL_SoftStretchLinear(src, nullptr, scaled, nullptr);
            SDL_Rect within{to.x - from.x / ux * kx, to.y - from.y / uy * ky, to.w, to.h};
            to.x += fit.x;
            to.y += fit.y;
            SDL_BlitSurface(scaled, &within, win, &to);
            sent.push_back(to);
            SDL_FreeSurface(scaled);
            SDL_FreeSurface(src);
        }
    }
    SDL_UpdateWindowSurfaceRects(window, sent.data(), static_cast<int>(sent.size()));
    return true;
}

int WatchWindow(void*, SDL_Event* e) {
    if (e->type == SDL_WINDOWEVENT) {
        switch (e->window.event) {
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                g.repaint = true;
                break;
            default:
                break;
        }
    } else if (e->type == SDL_RENDER_TARGETS_RESET || e->type == SDL_RENDER_DEVICE_RESET) {
        // The canvas's pixels are gone: the next frame is drawn whole.
        g.shown.clear();
        g.shownKnown = false;
        g.repaint = true;
    }
    return 0;
}

}  // namespace

int CanvasWidth() { return g.w; }
int CanvasHeight() { return g.h; }
int CanvasPixelWidth() { return g.cw; }
int CanvasPixelHeight() { return g.ch; }
float CanvasScaleX() { return g.sx; }
float CanvasScaleY() { return g.sy; }

Box ClipToView(Box b, const DrawState& s) {
    b.x0 = std::max({b.x0, s.vpX, 0});
    b.y0 = std::max({b.y0, s.vpY, 0});
    b.x1 = std::min({b.x1, s.vpX + s.vpW, g.w});
    b.y1 = std::min({b.y1, s.vpY + s.vpH, g.h});
    return b;
}

Box TransformedBox(float x, float y, float left, float top, float right, float bottom, const DrawState& s) {
    const float corners[4][2] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
    const double angle = static_cast<double>(s.rotation) * kPi / 180.0;
    const double cs = std::cos(angle), sn = std::sin(angle);
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (const auto& corner : corners) {
        const double u = static_cast<double>(corner[0]) * s.scaleX, v = static_cast<double>(corner[1]) * s.scaleY;
        // Clockwise on the screen, as the renderer turns pictures.
        const double px = x + u * cs - v * sn, py = y + u * sn + v * cs;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
    }
    if (!(minX <= maxX && minY <= maxY)) return Box{};  // not a number
    // Filtering and rounding reach a pixel past the exact edges; two is safe.
    constexpr double kMargin = 2.0;
    constexpr double kFar = 1e7;
    Box b;
    b.x0 = static_cast<int>(std::floor(std::clamp(minX - kMargin, -kFar, kFar)));
    b.y0 = static_cast<int>(std::floor(std::clamp(minY - kMargin, -kFar, kFar)));
    b.x1 = static_cast<int>(std::ceil(std::clamp(maxX + kMargin, -kFar, kFar)));
    b.y1 = static_cast<int>(std::ceil(std::clamp(maxY + kMargin, -kFar, kFar)));
    return ClipToView(b, s);
}

void Record(DrawCommand&& c) {
    if (!Renderer()) return;
    if (c.op != DrawOp::Clear && c.box.Empty()) return;
    c.hash = HashOf(c);
    g.pending.push_back(std::move(c));
}

void FlushDrawing() { Commit(); }

SDL_Texture* Canvas() { return g.canvas; }

void CanvasCreate(int w, int h, int hz) {
    CanvasDestroy();
    g.w = w;
    g.h = h;
    g.hz = hz;
    g.vsync = false;
    g.slotStarted = false;
    g.repaint = true;
    if (!g.watching) {
        SDL_AddEventWatch(WatchWindow, nullptr);
        g.watching = true;
    }
    g.cw = w;
    g.ch = h;
    g.sx = g.sy = 1.0f;
    g_unshown = TileMask(w, h);
    g_unshown.MarkAll();
    g.software = false;
    SDL_Renderer* r = Renderer();
    if (!r || !SDL_RenderTargetSupported(r)) return;
    // The window's own format makes showing the canvas a plain copy.
    g.format = SDL_PIXELFORMAT_ARGB8888;
    SDL_RendererInfo info;
    const Uint32 windowFormat = Window() ? SDL_GetWindowPixelFormat(Window()) : Uint32{SDL_PIXELFORMAT_UNKNOWN};
    if (SDL_GetRendererInfo(r, &info) == 0) {
        g.software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
        if (SDL_BYTESPERPIXEL(windowFormat) == 4)
            for (Uint32 i = 0; i < info.num_texture_formats; ++i)
                if (info.texture_formats[i] == windowFormat) g.format = windowFormat;
    }
    if (!MakeCanvasTexture(r, w, h)) return;
    FitCanvasToWindow(r);
}

void CanvasDestroy() {
    if (g.canvas && Renderer()) SDL_DestroyTexture(g.canvas);
    g.canvas = nullptr;
    g.shown.clear();
    g.shownKnown = false;
    g.pending.clear();
    g.unpresented = false;
}

bool PresentFrame(int sync) {
    SDL_Renderer* r = Renderer();
    if (!r) return false;
    Commit();
    const bool fullScreen = Display().IsFullScreen();
    const bool wantVsync = sync == 1 || (sync == -1 && fullScreen);
    if (wantVsync != g.vsync) {
        SDL_RenderSetVSync(r, wantVsync ? 1 : 0);  // best effort: some renderers cannot
        g.vsync = wantVsync;
    }
    if (sync != 0) {
        const int rate = RefreshRate();
        // When presenting waits for the vertical blank, the display keeps the pace.
        if (!(g.vsync && g.lastPresentMs * 2 >= 1000 / rate)) WaitForSlot(rate);
    }
    BeforePresent();
    if (!(g.unpresented || g.repaint) || !WindowShowing()) return false;
    SDL_SetRenderTarget(r, nullptr);
    SDL_RenderSetClipRect(r, nullptr);
    // A window that changed size gets a canvas of its new size now, even when
    // the game draws nothing new.
    if (g.repaint) FitCanvasToWindow(r);
    if (g.canvas && g.software && PresentSoftware(r)) {
        g_unshown.Clear();
        g.unpresented = false;
        g.repaint = false;
        ++g.presented;
        return true;
    }
    if (g.canvas) {
        // The canvas goes to the window pixel for pixel, outside the logical
        // scaling (which stays for mapping the pointer); the bars beside a
        // letterboxed picture are black, whatever the window's buffer held.
        int ow = 0, oh = 0;
        SDL_GetRendererOutputSize(r, &ow, &oh);
        const SDL_Rect fit = FitCanvas(ow, oh);
        SDL_RenderSetLogicalSize(r, 0, 0);
        SDL_RenderSetViewport(r, nullptr);
        SDL_RenderSetScale(r, 1.0f, 1.0f);
        if (fit.x > 0 || fit.y > 0 || fit.w < ow || fit.h < oh) {
            SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
            SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
            SDL_RenderClear(r);
        }
        SDL_RenderCopy(r, g.canvas, nullptr, &fit);
        SDL_RenderSetLogicalSize(r, g.w, g.h);
    } else if (g.repaint && !g.unpresented && g.shownKnown) {
        const SDL_Rect whole{0, 0, g.w, g.h};
        for (const auto& c : g.shown) Execute(r, c, whole);
        SDL_RenderSetClipRect(r, nullptr);
    }
    const int before = MilliSecs();
    SDL_RenderPresent(r);
    g.lastPresentMs = MilliSecs() - before;
    g.unpresented = false;
    g.repaint = false;
    g_unshown.Clear();
    ++g.presented;
    return true;
}

}  // namespace detail

bool WindowShowing() {
    SDL_Window* w = detail::Window();
    if (!w) return true;
    return (SDL_GetWindowFlags(w) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

uint64_t PresentedFrames() { return detail::g.presented; }

void WaitForInput(int ms) {
    Event event;
    if (PeekEvent(event) || ms <= 0) return;
    // A script's steps and its waits go by frames: they must keep coming. On a
    // real display the wait sees the display's events only, so an open script
    // is looked at now and then, seldom enough to leave a resting game at rest.
    constexpr int kScriptFrameMs = 50, kScriptIdleMs = 250;
    if (detail::InputScriptHasSteps())
        ms = std::min(ms, kScriptFrameMs);
    else if (InputScriptOpen() && !detail::HeadlessVideo())
        ms = std::min(ms, kScriptIdleMs);
    if (detail::DelayHooked()) {
        Delay(ms);
        return;
    }
    // A driver with no events of its own: only the script can bring any.
    if (!SDL_WasInit(SDL_INIT_VIDEO) || detail::HeadlessVideo()) {
        detail::WaitForScript(ms);
        return;
    }
    SDL_WaitEventTimeout(nullptr, ms);
}

}  // namespace platform
