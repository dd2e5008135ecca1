// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Private glue between the platform's services. Nothing outside platform/src
// includes this file.
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace platform::detail {

// ---- display -------------------------------------------------------------

// The SDL renderer of the current context, or nullptr when there is none (no
// graphics, or a fake display device is installed).
SDL_Renderer* Renderer();
SDL_Window* Window();
// Bumped whenever a renderer is created or destroyed. Textures remember the
// generation they were made in; a mismatch means the renderer that owned them
// is gone (and freed them), so they must be recreated, never destroyed.
uint64_t RendererGeneration();
// Video subsystem up (lazily initialised); false when SDL cannot open video.
bool EnsureVideo();
// True for SDL's offscreen and dummy drivers: nothing is shown, nobody can
// answer a dialog and there is no window manager to give focus.
bool HeadlessVideo();
void OnTitleChanged(const std::string& title);
// Warps the system pointer to a logical position of the current window.
void MoveMouseTo(int x, int y);
// The logical screen of the current window; 0 x 0 without one.
void LogicalSize(int& w, int& h);
// Closes the display and audio before the process ends.
void ShutdownAll();
void ShutdownAudio();

struct DrawState {
    int r = 255, g = 255, b = 255;
    float alpha = 1.0f;
    int blend = 3;  // ALPHABLEND
    float scaleX = 1.0f, scaleY = 1.0f;
    float rotation = 0.0f;
    int vpX = 0, vpY = 0, vpW = 800, vpH = 600;
};
DrawState& State();

// ---- frames ------------------------------------------------------------------
//
// Drawing calls are recorded, not carried out at once. At a flip (or before
// anything reads the picture back) the recorded frame is compared with the one
// the canvas already shows, and only the areas where the two differ are drawn
// again, into a canvas texture of the window's real pixels (the logical screen
// scaled to fit); the window then shows the canvas as it is. A frame that is the same as the last one costs its
// recording and nothing else, and is not presented at all.

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // half-open: [x0, x1) x [y0, y1)
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

enum class DrawOp : uint8_t { Clear, Plot, Line, Rect, Oval, Text, Image };

struct DrawCommand {
    DrawOp op = DrawOp::Clear;
    DrawState state;
    float p[8] = {};  // the operation's numbers, as the caller gave them
    // Image: the picture, its frame and the state of its pixels when recorded.
    std::shared_ptr<Image> image;
    int frame = 0;
    uint64_t version = 0;
    bool hasSrc = false;
    SDL_Rect src{0, 0, 0, 0};
    // Text.
    std::shared_ptr<ImageFont> font;
    std::string text;
    // Clear: the clear colour.
    int clearR = 0, clearG = 0, clearB = 0;
    // Filled in by the recorder's callers: every pixel the command may touch
    // (a little generous), and whether it paints the whole canvas opaquely.
    Box box;
    bool covers = false;
    // A stretched copy: the software renderer samples it differently when it
    // is clipped, so it is only ever drawn whole.
    bool wholeOnly = false;
    uint64_t hash = 0;
};

// Logical size of the current canvas (the display mode's size).
int CanvasWidth();
int CanvasHeight();
// The canvas's real pixels: the area the picture fills in the window. The
// commands are carried out scaled by these factors (1 at the logical size).
int CanvasPixelWidth();
int CanvasPixelHeight();
float CanvasScaleX();
float CanvasScaleY();
// The screen-space bounds of a rectangle given as offsets (left, top) to
// (right, bottom) from the anchor (x, y), scaled and rotated about the anchor
// as the state says, widened by a safety margin, and clipped to the state's
// viewport and the canvas.
Box TransformedBox(float x, float y, float left, float top, float right, float bottom, const DrawState& state);
// Clips a box to the state's viewport and the canvas.
Box ClipToView(Box box, const DrawState& state);
// Takes a command whose op, state, parameters, box and covers are set; drops
// it when it cannot show anything.
void Record(DrawCommand&& command);
// Brings the canvas up to date with everything recorded so far (reads of the
// picture and changes to a picture that is still to be drawn need this).
void FlushDrawing();
// Carry out one command; the renderer's target and clip (in canvas pixels)
// are already set; the command's logical coordinates are scaled by the
// canvas's scale.
void ExecutePrimitive(const DrawCommand& command);
// A rectangle of logical pixels in canvas pixels, each edge rounded on its own.
SDL_FRect OnCanvas(const SDL_FRect& rect, float kx, float ky);
// The logical pixels a line passes, both ends included, as squares on a
// canvas scaled by kx, ky, in the renderer's draw colour and blend.
void DrawScaledLine(SDL_Renderer* r, float x0, float y0, float x1, float y1, float kx, float ky);
void ExecuteImage(const DrawCommand& command);
void ExecuteText(const DrawCommand& command);
// The canvas texture, or nullptr when the renderer cannot draw into textures
// (every frame is then drawn whole onto the window).
SDL_Texture* Canvas();
// The display's side of the frames: made with the renderer, dropped before it.
void CanvasCreate(int w, int h, int hz);
void CanvasDestroy();
// Flip: shows the canvas when it changed or the window lost its picture,
// spaced to the refresh rate when sync asks for it. True when presented.
bool PresentFrame(int sync);

// ---- textures --------------------------------------------------------------

// The renderer-side copies of one pixmap: as is, thresholded for the mask
// blend, and premultiplied for the shade blend. Made on demand and dropped when
// the pixmap changes or the renderer goes away.
class TextureSet {
public:
    TextureSet() = default;
    TextureSet(const TextureSet&) = delete;
    TextureSet& operator=(const TextureSet&) = delete;
    ~TextureSet();
    void Invalidate();
    // The texture for a blend mode, made from the pixmap when needed; nullptr
    // without a renderer or when SDL refuses.
    SDL_Texture* Get(const Pixmap& pixmap, int blend, bool filtered);
    bool Ready() const;
    // The texture for a blend mode exists on the current renderer.
    bool Has(int blend) const;

private:
    void Release();
    SDL_Texture* tex_[3] = {nullptr, nullptr, nullptr};
    uint64_t generation_ = 0;
};

// Applies colour, alpha and blend of the current state to a texture before a
// copy. Returns false when nothing would be drawn.
bool PrepareTexture(SDL_Texture* texture, int blend, const DrawState& state);
// Index into TextureSet for a blend (0 plain, 1 mask, 2 premultiplied).
int TextureVariant(int blend);

// Draws src of a texture so that the point (hx, hy) of the source rectangle,
// measured in destination units before scaling, lands on (x, y); the copy is
// w x h destination units before scaling, then scaled and rotated about that
// point by the current state.
void CopyTransformed(SDL_Texture* texture, const SDL_Rect* src, float x, float y, float w, float h, float hx, float hy,
                     const DrawState& state);

// ---- images ----------------------------------------------------------------

// Largest picture we decode: bigger headers are treated as damage rather
// than an invitation to allocate gigabytes.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t(8192) * 8192;
bool SizeAcceptable(int64_t w, int64_t h);
// PNG, JPEG, BMP or TGA bytes to an ARGB pixmap; nullptr when unreadable.
std::shared_ptr<Pixmap> DecodePixmap(const uint8_t* data, size_t size);
// The size a PNG's header declares; false for anything else.
bool PngSize(const uint8_t* data, size_t size, int64_t& w, int64_t& h);

// ---- text ------------------------------------------------------------------

// UTF-8 decoding that never fails: an invalid byte decodes as U+FFFD.
std::vector<uint32_t> DecodeUtf8(const std::string& text);
void AppendUtf8(std::string& out, uint32_t codepoint);
std::string Latin1ToUtf8(const std::string& bytes);
std::string Utf8ToLatin1(const std::string& text);
std::string SanitizeUtf8(const std::string& bytes);

void DrawTextImpl(const std::string& text, float x, float y);
int TextWidthImpl(const std::string& text);
int TextHeightImpl(const std::string& text);

// ---- input -----------------------------------------------------------------

void HandleSdlEvent(const SDL_Event& event);
// Game controllers: opened as they are plugged in, their buttons and left
// stick queued as keys. Start is called once video is up; Stop at shut-down.
void StartGamepads();
void StopGamepads();
int GamepadsOpen();
// True when the event was a controller's (used or not).
bool HandleGamepadEvent(const SDL_Event& event);
// Queues an event as the keyboard's would be, at the pointer's position.
void EmitKey(EventKind kind, int data);
int MapKeysym(const SDL_Keysym& keysym);
// SHIFT, CONTROL or MENU for a side's modifier code, 0 for any other key.
int GenericModifier(int code);
// Async-signal-safe: only stores a lock-free flag that PumpMessages reads.
void RequestTermination();
// Async-signal-safe too: the window comes to the front at the next pump.
void RequestRaise();
void RaiseWindow();
// Where the pointer is, for events and polled queries alike, without warping
// the system pointer (scripted moves).
void SetPointerPosition(int x, int y);
// How many events were ever queued; whether the first count of them have all
// left the queue (taken by the program, or dropped).
uint64_t EventsQueued();
// Whether the window has the focus as far as posted focus events tell; only a
// headless driver, where nothing else moves the focus, asks.
bool HeadlessFocus();
bool EventsTakenThrough(uint64_t count);
// The input script (input_script.cpp): reads and runs it at each pump, and
// takes its screenshots and counts its frames just before a frame is presented.
void PumpInputScript();
void BeforePresent();
// The script has steps to run: they need frames to come.
bool InputScriptHasSteps();
// Sleeps up to ms, waking early when more of the script arrives.
void WaitForScript(int ms);

// ---- misc --------------------------------------------------------------------

// True while a test has replaced Delay: waiting must then go through it too.
bool DelayHooked();
std::string LowerAscii(std::string s);

// Replaces a file as a whole: write() fills a temporary file in the same
// folder, which is then renamed over the path. A new file gets newMode; an
// existing one keeps its mode without write access for others. On failure the
// old file is untouched, the temporary file is gone and reason (when given)
// says why in words for a message.
bool ReplaceFile(const std::string& path, const std::function<bool(int fd)>& write, std::string* reason,
                 unsigned newMode);
bool ReplaceFileWith(const std::string& path, const std::string& bytes, std::string* reason, unsigned newMode);

}  // namespace platform::detail
