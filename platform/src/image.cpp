// SPDX-License-Identifier: GPL-3.0-or-later
// Images with frames and handles, their textures and double-size companions,
// drawing, grabbing the back buffer and the collision layers.
#include "tallyfold/platform/image.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "internal.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace platform {

namespace detail {

// ---- textures --------------------------------------------------------------

int TextureVariant(int blend) {
    if (blend == MASKBLEND) return 1;
    if (blend == SHADEBLEND) return 2;
    return 0;
}

TextureSet::~TextureSet() { Release(); }

void TextureSet::Release() {
    bool alive = generation_ == RendererGeneration() && Renderer();
    for (auto*& t : tex_) {
        if (t && alive) SDL_DestroyTexture(t);
        t = nullptr;
    }
}

void TextureSet::Invalidate() { Release(); }

bool TextureSet::Ready() const { return tex_[0] && generation_ == RendererGeneration(); }

bool TextureSet::Has(int blend) const { return tex_[TextureVariant(blend)] && generation_ == RendererGeneration(); }

SDL_Texture* TextureSet::Get(const Pixmap& pixmap, int blend, bool filtered) {
    SDL_Renderer* r = Renderer();
    if (!r) return nullptr;
    if (generation_ != RendererGeneration()) {
        for (auto*& t : tex_) t = nullptr;  // freed with their renderer
        generation_ = RendererGeneration();
    }
    const int v = TextureVariant(blend);
    // A texture outlives the pixels it was made from.
    if (tex_[v]) return tex_[v];
    if (pixmap.Width() <= 0 || pixmap.Height() <= 0) return nullptr;
    SDL_Texture* t =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, pixmap.Width(), pixmap.Height());
    if (!t) return nullptr;
    const size_t count = static_cast<size_t>(pixmap.Width()) * pixmap.Height();
    const uint32_t* src = pixmap.Pixels();
    std::vector<uint32_t> converted;
    if (v == 1) {
        // Mask: opaque where the pixel is at least half opaque, nothing elsewhere.
        converted.resize(count);
        for (size_t i = 0; i < count; ++i) converted[i] = (src[i] >> 24) >= 128 ? (src[i] | 0xFF000000u) : 0u;
        src = converted.data();
    } else if (v == 2) {
        // Shade multiplies the destination; premultiplied colour makes the
        // multiply blend leave transparent pixels' destination untouched.
        converted.resize(count);
        for (size_t i = 0; i < count; ++i) {
            uint32_t p = src[i], a = p >> 24;
            uint32_t rr = ((p >> 16) & 0xFF) * a / 255, gg = ((p >> 8) & 0xFF) * a / 255, bb = (p & 0xFF) * a / 255;
            converted[i] = (a << 24) | (rr << 16) | (gg << 8) | bb;
        }
        src = converted.data();
    }
    SDL_UpdateTexture(t, nullptr, src, pixmap.Width() * 4);
    SDL_SetTextureScaleMode(t, (filtered && v != 1) ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    tex_[v] = t;
    return t;
}

bool PrepareTexture(SDL_Texture* texture, int blend, const DrawState& s) {
    if (!texture || s.vpW <= 0 || s.vpH <= 0) return false;
    Uint8 a = static_cast<Uint8>(std::lround(s.alpha * 255.0f));
    SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
    switch (blend) {
        case MASKBLEND:
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
            mode = SDL_BLENDMODE_MUL;
            a = 255;
            break;
        default:
            break;
    }
    if (a == 0) return false;
    if (SDL_SetTextureBlendMode(texture, mode) != 0 && mode == SDL_BLENDMODE_MUL)
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_MOD);
    SDL_SetTextureColorMod(texture, static_cast<Uint8>(s.r), static_cast<Uint8>(s.g), static_cast<Uint8>(s.b));
    SDL_SetTextureAlphaMod(texture, a);
    return true;
}

void CopyTransformed(SDL_Texture* texture, const SDL_Rect* src, float x, float y, float w, float h, float hx, float hy,
                     const DrawState& s) {
    SDL_Renderer* r = Renderer();
    const float sx = s.scaleX, sy = s.scaleY;
    if (!r || sx == 0.0f || sy == 0.0f || w <= 0 || h <= 0) return;
    // A negative scale mirrors about the handle: SDL wants positive sizes, so
    // the mirror becomes a flip and the rectangle starts on the other side.
    int flip = SDL_FLIP_NONE;
    SDL_FRect dst;
    SDL_FPoint centre;
    if (sx >= 0) {
        dst.x = x - hx * sx;
        centre.x = hx * sx;
    } else {
        dst.x = x + (w - hx) * sx;
        centre.x = (w - hx) * -sx;
        flip |= SDL_FLIP_HORIZONTAL;
    }
    if (sy >= 0) {
        dst.y = y - hy * sy;
        centre.y = hy * sy;
    } else {
        dst.y = y + (h - hy) * sy;
        centre.y = (h - hy) * -sy;
        flip |= SDL_FLIP_VERTICAL;
    }
    dst.w = w * std::fabs(sx);
    dst.h = h * std::fabs(sy);
    const float kx = CanvasScaleX(), ky = CanvasScaleY();
    if (kx != 1.0f || ky != 1.0f) {
        dst = SDL_FRect{dst.x * kx, dst.y * ky, dst.w * kx, dst.h * ky};
        centre = SDL_FPoint{centre.x * kx, centre.y * ky};
        // A copy that lands pixel for pixel (text drawn from glyphs made at
        // the canvas's size, pictures made for it) starts on a whole pixel,
        // or the filter would blur it.
        int tw = 0, th = 0;
        if (src) {
            tw = src->w;
            th = src->h;
        } else {
            SDL_QueryTexture(texture, nullptr, nullptr, &tw, &th);
        }
        if (std::fabs(dst.w - static_cast<float>(tw)) < 0.5f && std::fabs(dst.h - static_cast<float>(th)) < 0.5f) {
            dst = SDL_FRect{std::round(dst.x), std::round(dst.y), static_cast<float>(tw), static_cast<float>(th)};
            centre = SDL_FPoint{std::round(centre.x), std::round(centre.y)};
        }
    }
    // The software renderer turns a whole copy of the picture for every turned
    // copy, even by 0 degrees; a plain copy only touches the pixels it covers.
    if (flip == SDL_FLIP_NONE && std::fmod(s.rotation, 360.0f) == 0.0f)
        SDL_RenderCopyF(r, texture, src, &dst);
    else
        SDL_RenderCopyExF(r, texture, src, &dst, s.rotation, &centre, static_cast<SDL_RendererFlip>(flip));
}

}  // namespace detail

// ---- images ----------------------------------------------------------------

namespace {

bool FilteredFlags(int flags) { return flags == IMAGE_DEFAULT_FLAGS || (flags & FILTEREDIMAGE) != 0; }

// A picture resampled to w x h (linear, as a stretched copy would be), made
// once instead of at every copy.
Pixmap Resized(const Pixmap& from, int w, int h) {
    Pixmap out(w, h);
    SDL_Surface* src =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(from.Pixels()), from.Width(), from.Height(), 32,
                                           from.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormatFrom(out.Pixels(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
    if (src && dst) {
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
        if (SDL_SoftStretchLinear(src, nullptr, dst, nullptr) != 0) SDL_SoftStretch(src, nullptr, dst, nullptr);
    }
    if (src) SDL_FreeSurface(src);
    if (dst) SDL_FreeSurface(dst);
    return out;
}

// Copies cell number `cell` of a strip of cellW x cellH cells, laid out row by
// row, into dst (already cellW x cellH); false when the strip has no such cell.
bool CutCell(const Pixmap& strip, int cellW, int cellH, int cell, Pixmap& dst) {
    const int cols = strip.Width() / cellW;
    if (cols < 1 || cell < 0) return false;
    const int ox = (cell % cols) * cellW, oy = (cell / cols) * cellH;
    if (oy + cellH > strip.Height() || dst.Width() != cellW || dst.Height() != cellH) return false;
    for (int y = 0; y < cellH; ++y)
        std::memcpy(dst.Pixels() + static_cast<size_t>(y) * cellW,
                    strip.Pixels() + static_cast<size_t>(oy + y) * strip.Width() + ox, static_cast<size_t>(cellW) * 4);
    return true;
}

class ImageImpl final : public Image {
public:
    ImageImpl(int w, int h, int frames, int flags) : w_(w), h_(h), flags_(flags) {
        frames_.reserve(static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i) frames_.push_back(std::make_unique<Frame>(w, h));
        if (AutoMidHandle()) MidHandle();
    }

    int Width() const override { return w_; }
    int Height() const override { return h_; }
    int Frames() const override { return static_cast<int>(frames_.size()); }
    void SetHandle(float x, float y) override {
        hx_ = x;
        hy_ = y;
    }
    float HandleX() const override { return hx_; }
    float HandleY() const override { return hy_; }

    Pixmap& LockFrame(int frame) override {
        // What was drawn of this picture before the change shows it as it was.
        detail::FlushDrawing();
        Keep();
        DropDouble();
        return frames_[Clamp(frame)]->pixmap;
    }
    void UnlockFrame(int frame) override {
        auto& f = *frames_[Clamp(frame)];
        f.Invalidate();
        ++f.version;
    }

    void GrabFrame(int x, int y, int frame) override {
        if (frame < 0 || frame >= Frames()) return;
        auto grabbed = GrabPixmap(x, y, w_, h_);
        if (!grabbed) return;
        Keep();
        DropDouble();
        frames_[frame]->pixmap = *grabbed;
        frames_[frame]->Invalidate();
        ++frames_[frame]->version;
    }

    void Precache() override {
        for (int i = 0; i < Frames(); ++i) Texture(i, ALPHABLEND);
    }

    bool Filtered() const { return FilteredFlags(flags_); }
    bool ValidFrame(int frame) const { return frame >= 0 && frame < Frames(); }
    // Pixels read by others are kept from then on: they are wanted again.
    const Pixmap& FramePixmap(int frame) {
        Keep();
        return frames_[frame]->pixmap;
    }
    Pixmap& MutableFrame(int frame) { return frames_[frame]->pixmap; }

    // The picture's file, cut into frames as the image was: once every frame
    // has its texture, the pixels are let go and decoded again from it only
    // when they are needed (a new renderer, a blend not drawn before).
    // Many pictures are loaded long before they are first drawn, and some
    // never are: they start without their pixels.
    void SetSource(std::shared_ptr<const std::vector<uint8_t>> bytes, int stripW, int stripH, int cellW = 0,
                   int cellH = 0, int first = 0) {
        source_ = std::move(bytes);
        stripW_ = stripW;
        stripH_ = stripH;
        cellW_ = cellW;
        cellH_ = cellH;
        first_ = first;
        for (auto& f : frames_) f->pixmap = Pixmap(0, 0);
        released_ = true;
    }

    // "" when the companion is attached, else why it was not.
    std::string AttachDouble(std::shared_ptr<const std::vector<uint8_t>> bytes) {
        if (Frames() > 1 && cellW_ <= 0) return "an animation made in memory takes no double-size picture";
        const int64_t wantW = 2 * int64_t(StripW()), wantH = 2 * int64_t(StripH());
        int64_t w = -1, h = -1;
        if (!detail::PngSize(bytes->data(), bytes->size(), w, h)) {
            auto decoded = detail::DecodePixmap(bytes->data(), bytes->size());
            if (!decoded) return "it is not a picture that can be read";
            w = decoded->Width();
            h = decoded->Height();
        }
        if (w != wantW || h != wantH)
            return "it is " + std::to_string(w) + " x " + std::to_string(h) + " pixels, not " + std::to_string(wantW) +
                   " x " + std::to_string(wantH);
        double_ = std::move(bytes);
        doubleStrip_.reset();
        // Textures already made at the canvas's scale are made again from it.
        for (auto& f : frames_) f->scaled.Invalidate();
        return "";
    }

    // The texture a frame is drawn from: on a canvas bigger or smaller than
    // the logical screen, the picture made once at the canvas's size, so that
    // each copy lands pixel for pixel (sharp, and the same clipped or whole)
    // instead of being stretched every time it is drawn.
    SDL_Texture* Texture(int frame, int blend) {
        auto& f = *frames_[frame];
        const int sw = ScaledSide(w_, detail::CanvasScaleX()), sh = ScaledSide(h_, detail::CanvasScaleY());
        if (sw == w_ && sh == h_) {
            if (!f.textures.Has(blend) && !Restore()) return nullptr;
            SDL_Texture* t = f.textures.Get(f.pixmap, blend, Filtered());
            LetPixelsGo();
            return t;
        }
        if (f.scaledW != sw || f.scaledH != sh) {
            f.scaled.Invalidate();
            f.scaledW = sw;
            f.scaledH = sh;
        }
        if (!f.scaled.Has(blend)) {
            // Above 1x the double-size picture is the better start: its
            // lines and letters were drawn at the finer size.
            Pixmap fromDouble(0, 0);
            const bool useDouble =
                (detail::CanvasScaleX() > 1.0f || detail::CanvasScaleY() > 1.0f) && DoubleFrame(frame, fromDouble);
            if (!useDouble && !Restore()) return nullptr;
            const Pixmap& from = useDouble ? fromDouble : f.pixmap;
            const bool same = from.Width() == sw && from.Height() == sh;
            if (!f.scaled.Get(same ? from : Resized(from, sw, sh), blend, Filtered())) return nullptr;
        }
        SDL_Texture* t = f.scaled.Get(f.pixmap, blend, Filtered());
        LetPixelsGo();
        return t;
    }
    static int ScaledSide(int side, float scale) {
        return scale == 1.0f ? side : std::max(1, static_cast<int>(std::lround(static_cast<float>(side) * scale)));
    }
    // A source rectangle of the picture in the pixels of the texture drawn.
    SDL_Rect TextureRect(const SDL_Rect& src) const {
        const float kx = detail::CanvasScaleX(), ky = detail::CanvasScaleY();
        if (ScaledSide(w_, kx) == w_ && ScaledSide(h_, ky) == h_) return src;
        const double fx = double(ScaledSide(w_, kx)) / w_, fy = double(ScaledSide(h_, ky)) / h_;
        const int x0 = static_cast<int>(std::lround(src.x * fx)), y0 = static_cast<int>(std::lround(src.y * fy));
        const int x1 = static_cast<int>(std::lround((src.x + src.w) * fx));
        const int y1 = static_cast<int>(std::lround((src.y + src.h) * fy));
        return SDL_Rect{x0, y0, std::max(1, x1 - x0), std::max(1, y1 - y0)};
    }
    uint64_t Version(int frame) const { return frames_[frame]->version; }

    // The smallest rectangle holding every pixel of the frame that is not
    // fully transparent; empty when there is none. Kept until the pixels change.
    const SDL_Rect& OpaqueBounds(int frame) {
        auto& f = *frames_[frame];
        if (f.opaqueKnown && f.opaqueVersion == f.version) return f.opaque;
        Restore();
        const int w = f.pixmap.Width(), h = f.pixmap.Height();
        const uint32_t* px = f.pixmap.Pixels();
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        for (int y = 0; y < h; ++y) {
            const uint32_t* row = px + static_cast<size_t>(y) * w;
            int first = 0;
            while (first < w && (row[first] >> 24) == 0) ++first;
            if (first == w) continue;
            int last = w - 1;
            while ((row[last] >> 24) == 0) --last;
            x0 = std::min(x0, first);
            x1 = std::max(x1, last);
            y0 = std::min(y0, y);
            y1 = y;
        }
        f.opaque = x1 < 0 ? SDL_Rect{0, 0, 0, 0} : SDL_Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
        f.opaqueVersion = f.version;
        f.opaqueKnown = true;
        return f.opaque;
    }

private:
    struct Frame {
        Frame(int w, int h) : pixmap(w, h) {}
        void Invalidate() {
            textures.Invalidate();
            scaled.Invalidate();
        }
        Pixmap pixmap;
        detail::TextureSet textures;
        // Made at the canvas's scale, scaledW x scaledH.
        detail::TextureSet scaled;
        int scaledW = 0, scaledH = 0;
        uint64_t version = 0;  // bumped whenever the pixels change
        SDL_Rect opaque{0, 0, 0, 0};
        uint64_t opaqueVersion = 0;
        bool opaqueKnown = false;
    };
    int Clamp(int frame) const { return std::clamp(frame, 0, Frames() - 1); }

    int StripW() const { return stripW_ > 0 ? stripW_ : w_; }
    int StripH() const { return stripH_ > 0 ? stripH_ : h_; }

    // The frame cut from the double-size picture; false without a usable one.
    bool DoubleFrame(int frame, Pixmap& out) {
        if (!double_) return false;
        if (!doubleStrip_) {
            doubleStrip_ = detail::DecodePixmap(double_->data(), double_->size());
            if (!doubleStrip_ || doubleStrip_->Width() != 2 * StripW() || doubleStrip_->Height() != 2 * StripH()) {
                DropDouble();  // its header told a size its pixels do not have
                return false;
            }
        }
        if (cellW_ <= 0) {
            out = *doubleStrip_;
            return true;
        }
        out = Pixmap(2 * cellW_, 2 * cellH_);
        return CutCell(*doubleStrip_, 2 * cellW_, 2 * cellH_, first_ + frame, out);
    }
    // Pixels changed by the program leave the companion behind.
    void DropDouble() {
        double_.reset();
        doubleStrip_.reset();
    }

    // From now on the pixels are the image's own and stay in memory.
    void Keep() {
        Restore();
        source_.reset();
    }

    bool Restore() {
        if (!released_) return true;
        auto decoded = detail::DecodePixmap(source_->data(), source_->size());
        if (!decoded) return false;
        for (int i = 0; i < Frames(); ++i) {
            Pixmap& dst = frames_[i]->pixmap;
            dst = Pixmap(w_, h_);
            if (cellW_ <= 0) {
                if (decoded->Width() != w_ || decoded->Height() != h_) return false;
                dst = *decoded;
                continue;
            }
            if (!CutCell(*decoded, cellW_, cellH_, first_ + i, dst)) return false;
        }
        released_ = false;
        return true;
    }

    // Frees the pixels when they can be had again and nothing needs them now:
    // the textures hold what is drawn, and a frame's visible extent is known.
    void LetPixelsGo() {
        if (doubleStrip_) {
            bool done = true;
            for (int i = 0; i < Frames(); ++i) done = done && frames_[i]->scaled.Ready();
            if (done || !detail::Renderer()) doubleStrip_.reset();
        }
        if (released_ || !source_) return;
        for (int i = 0; i < Frames(); ++i)
            if (!frames_[i]->textures.Ready() && !frames_[i]->scaled.Ready() && detail::Renderer()) return;
        for (int i = 0; i < Frames(); ++i) OpaqueBounds(i);
        for (auto& f : frames_) f->pixmap = Pixmap(0, 0);
        released_ = true;
    }

    int w_, h_;
    float hx_ = 0, hy_ = 0;
    int flags_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::shared_ptr<const std::vector<uint8_t>> source_;
    int stripW_ = 0, stripH_ = 0, cellW_ = 0, cellH_ = 0, first_ = 0;
    // The double-size companion's file, and its pixels while textures are made.
    std::shared_ptr<const std::vector<uint8_t>> double_;
    std::shared_ptr<Pixmap> doubleStrip_;
    bool released_ = false;
};

std::shared_ptr<ImageImpl> MakeImage(int w, int h, int frames, int flags) {
    if (frames < 1 || frames > 4096 || !detail::SizeAcceptable(w, h) ||
        int64_t(w) * h * frames > detail::kMaxImagePixels)
        return nullptr;
    return std::make_shared<ImageImpl>(w, h, frames, flags);
}

std::shared_ptr<Image> CutStrip(const Pixmap& strip, int cellW, int cellH, int first, int count, int flags) {
    if (cellW <= 0 || cellH <= 0 || first < 0 || count < 1) return nullptr;
    const int cols = strip.Width() / cellW, rows = strip.Height() / cellH;
    if (cols < 1 || rows < 1 || int64_t(first) + count > int64_t(cols) * rows) return nullptr;
    auto image = MakeImage(cellW, cellH, count, flags);
    if (!image) return nullptr;
    for (int i = 0; i < count; ++i) CutCell(strip, cellW, cellH, first + i, image->MutableFrame(i));
    return image;
}

ImageImpl* Impl(const std::shared_ptr<Image>& image) { return dynamic_cast<ImageImpl*>(image.get()); }

}  // namespace

std::shared_ptr<Pixmap> LoadPixmap(const std::string& path) {
    auto bytes = LoadBytes(path);
    return bytes ? LoadPixmap(*bytes) : nullptr;
}

std::shared_ptr<Pixmap> LoadPixmap(const std::vector<uint8_t>& bytes) {
    return detail::DecodePixmap(bytes.data(), bytes.size());
}

namespace {

std::function<void(const std::string&)>& ProblemHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

// A loose picture takes the companion lying beside it, when there is one.
// Pictures are found whatever the case of their name ("PLAY.png" finds
// "play.png"), and so is the companion.
std::shared_ptr<Image> WithDoubleBeside(std::shared_ptr<Image> image, const std::string& path) {
    std::string name = DoubleSizeName(path);
    if (!name.empty() && !IsPlainFile(name)) name = ResolveCase(name);
    if (!image || name.empty() || !IsPlainFile(name)) return image;
    if (auto bytes = LoadBytes(name)) AttachDoubleSize(image, *bytes, name);
    return image;
}

}  // namespace

void SetImageProblemHook(std::function<void(const std::string&)> hook) { ProblemHook() = std::move(hook); }

std::string DoubleSizeName(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return "";
    std::string ext = path.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != "png" || (dot >= 3 && path.compare(dot - 3, 3, "@2x") == 0)) return "";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

bool AttachDoubleSize(const std::shared_ptr<Image>& image, const std::vector<uint8_t>& bytes, const std::string& name) {
    ImageImpl* img = Impl(image);
    if (!img) return false;
    const std::string why = img->AttachDouble(std::make_shared<const std::vector<uint8_t>>(bytes));
    if (why.empty()) return true;
    const std::string text = "The double-size picture " + name + " was left unused: " + why + ".";
    if (ProblemHook())
        ProblemHook()(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
    return false;
}

std::shared_ptr<Image> LoadImage(const std::string& path, int flags) {
    auto bytes = LoadBytes(path);
    return bytes ? WithDoubleBeside(LoadImage(*bytes, flags), path) : nullptr;
}

std::shared_ptr<Image> LoadImage(const std::vector<uint8_t>& bytes, int flags) {
    auto pixmap = LoadPixmap(bytes);
    if (!pixmap) return nullptr;
    auto image = MakeImage(pixmap->Width(), pixmap->Height(), 1, flags);
    if (!image) return nullptr;
    image->MutableFrame(0) = std::move(*pixmap);
    image->SetSource(std::make_shared<const std::vector<uint8_t>>(bytes), image->Width(), image->Height());
    return image;
}

std::shared_ptr<Image> LoadAnimImage(const std::string& path, int cellW, int cellH, int first, int count, int flags) {
    auto bytes = LoadBytes(path);
    return bytes ? WithDoubleBeside(LoadAnimImage(*bytes, cellW, cellH, first, count, flags), path) : nullptr;
}

std::shared_ptr<Image> LoadAnimImage(const std::vector<uint8_t>& bytes, int cellW, int cellH, int first, int count,
                                     int flags) {
    auto pixmap = LoadPixmap(bytes);
    if (!pixmap) return nullptr;
    auto image = CutStrip(*pixmap, cellW, cellH, first, count, flags);
    if (image)
        Impl(image)->SetSource(std::make_shared<const std::vector<uint8_t>>(bytes), pixmap->Width(), pixmap->Height(),
                               cellW, cellH, first);
    return image;
}

std::shared_ptr<Image> CreateImage(int w, int h, int frames, int flags) { return MakeImage(w, h, frames, flags); }

std::shared_ptr<Image> ImageFromPixmap(const Pixmap& pixmap, int flags) {
    auto image = MakeImage(pixmap.Width(), pixmap.Height(), 1, flags);
    if (image) image->MutableFrame(0) = pixmap;
    return image;
}

// ---- drawing ---------------------------------------------------------------

namespace {

// Records a copy of (part of) a frame so that its point (hx, hy), measured in
// destination units before scaling, lands on (x, y); see CopyTransformed.
void RecordCopy(const std::shared_ptr<Image>& image, ImageImpl& img, int frame, const SDL_Rect* src, float x, float y,
                float w, float h, float hx, float hy) {
    const auto& s = detail::State();
    if (s.vpW <= 0 || s.vpH <= 0 || s.scaleX == 0.0f || s.scaleY == 0.0f || !(w > 0 && h > 0)) return;
    const bool alphaMatters = s.blend != MASKBLEND && s.blend != SOLIDBLEND && s.blend != SHADEBLEND;
    if (alphaMatters && std::lround(s.alpha * 255.0f) == 0) return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(hx) || !std::isfinite(hy) || !std::isfinite(w) ||
        !std::isfinite(h))
        return;
    detail::DrawCommand cmd;
    cmd.op = detail::DrawOp::Image;
    cmd.state = s;
    cmd.image = image;
    cmd.frame = frame;
    cmd.version = img.Version(frame);
    if (src) {
        cmd.hasSrc = true;
        cmd.src = *src;
    }
    cmd.p[0] = x;
    cmd.p[1] = y;
    cmd.p[2] = w;
    cmd.p[3] = h;
    cmd.p[4] = hx;
    cmd.p[5] = hy;
    const float sourceW = src ? static_cast<float>(src->w) : static_cast<float>(img.Width());
    const float sourceH = src ? static_cast<float>(src->h) : static_cast<float>(img.Height());
    float left = -hx, top = -hy, right = w - hx, bottom = h - hy;
    if (s.blend != SOLIDBLEND) {
        // Every other blend leaves the canvas as it was under a transparent
        // pixel, so the copy reaches only as far as the picture's visible
        // part: a glowing heading with wide empty margins redraws only its
        // letters. One source pixel more on each side for the filter.
        const SDL_Rect whole{src ? src->x : 0, src ? src->y : 0, static_cast<int>(sourceW), static_cast<int>(sourceH)};
        const SDL_Rect& opaque = img.OpaqueBounds(frame);
        const SDL_Rect grown{opaque.x - 1, opaque.y - 1, opaque.w + 2, opaque.h + 2};
        SDL_Rect seen;
        if (opaque.w <= 0 || !SDL_IntersectRect(&grown, &whole, &seen)) return;
        const float kx = w / sourceW, ky = h / sourceH;
        left = -hx + static_cast<float>(seen.x - whole.x) * kx;
        right = -hx + static_cast<float>(seen.x + seen.w - whole.x) * kx;
        top = -hy + static_cast<float>(seen.y - whole.y) * ky;
        bottom = -hy + static_cast<float>(seen.y + seen.h - whole.y) * ky;
    }
    cmd.box = detail::TransformedBox(x, y, left, top, right, bottom, s);
    // Whether the copy lands pixel for pixel on the canvas, from the texture
    // made at the canvas's scale.
    const float kx = detail::CanvasScaleX(), ky = detail::CanvasScaleY();
    const SDL_Rect drawn = img.TextureRect(
        SDL_Rect{src ? src->x : 0, src ? src->y : 0, static_cast<int>(sourceW), static_cast<int>(sourceH)});
    cmd.wholeOnly = std::fabs(w * std::fabs(s.scaleX) * kx - static_cast<float>(drawn.w)) >= 0.5f ||
                    std::fabs(h * std::fabs(s.scaleY) * ky - static_cast<float>(drawn.h)) >= 0.5f;
    if (s.blend == SOLIDBLEND && std::fmod(s.rotation, 360.0f) == 0.0f) {
        // A solid copy paints its whole rectangle.
        const float ax = x - hx * s.scaleX, bx = x + (w - hx) * s.scaleX;
        const float ay = y - hy * s.scaleY, by = y + (h - hy) * s.scaleY;
        cmd.covers = s.vpX <= 0 && s.vpY <= 0 && s.vpX + s.vpW >= detail::CanvasWidth() &&
                     s.vpY + s.vpH >= detail::CanvasHeight() && std::min(ax, bx) <= 0 && std::min(ay, by) <= 0 &&
                     std::max(ax, bx) >= static_cast<float>(detail::CanvasWidth()) &&
                     std::max(ay, by) >= static_cast<float>(detail::CanvasHeight());
    }
    detail::Record(std::move(cmd));
}

}  // namespace

namespace detail {

void ExecuteImage(const DrawCommand& c) {
    ImageImpl* img = Impl(c.image);
    if (!img || !img->ValidFrame(c.frame)) return;
    const DrawState& s = c.state;
    SDL_Texture* t = img->Texture(c.frame, s.blend);
    if (!PrepareTexture(t, s.blend, s)) return;
    const SDL_Rect src = c.hasSrc ? img->TextureRect(c.src) : SDL_Rect{};
    CopyTransformed(t, c.hasSrc ? &src : nullptr, c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], s);
}

}  // namespace detail

void DrawImage(const std::shared_ptr<Image>& image, float x, float y, int frame) {
    ImageImpl* img = Impl(image);
    if (!img || !img->ValidFrame(frame) || !detail::Renderer()) return;
    RecordCopy(image, *img, frame, nullptr, x, y, static_cast<float>(img->Width()), static_cast<float>(img->Height()),
               img->HandleX(), img->HandleY());
}

void DrawSubImageRect(const std::shared_ptr<Image>& image, float x, float y, float w, float h, float sx, float sy,
                      float sw, float sh, int frame) {
    ImageImpl* img = Impl(image);
    if (!img || !img->ValidFrame(frame) || !detail::Renderer()) return;
    if (!(sw > 0 && sh > 0 && w > 0 && h > 0)) return;
    // Clip the source to the frame and shrink the destination with it, so a
    // rectangle reaching past the picture does not stretch what is left.
    const float kx = w / sw, ky = h / sh;
    float x0 = std::max(sx, 0.0f), y0 = std::max(sy, 0.0f);
    float x1 = std::min(sx + sw, static_cast<float>(img->Width()));
    float y1 = std::min(sy + sh, static_cast<float>(img->Height()));
    SDL_Rect src{static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0)), 0, 0};
    src.w = static_cast<int>(std::lround(x1)) - src.x;
    src.h = static_cast<int>(std::lround(y1)) - src.y;
    if (src.w <= 0 || src.h <= 0) return;
    RecordCopy(image, *img, frame, &src, x, y, (x1 - x0) * kx, (y1 - y0) * ky, -(x0 - sx) * kx, -(y0 - sy) * ky);
}

// ---- collision layers ------------------------------------------------------

namespace {

struct CollisionEntry {
    std::shared_ptr<Image> image;
    int frame;
    int left, top;
    int id;
};

std::array<std::vector<CollisionEntry>, 32>& Layers() {
    static std::array<std::vector<CollisionEntry>, 32> layers;
    return layers;
}

bool PixelsOverlap(ImageImpl& a, int af, int ax, int ay, ImageImpl& b, int bf, int bx, int by) {
    const int x0 = std::max(ax, bx), y0 = std::max(ay, by);
    const int x1 = std::min(ax + a.Width(), bx + b.Width()), y1 = std::min(ay + a.Height(), by + b.Height());
    if (x0 >= x1 || y0 >= y1) return false;
    const Pixmap& pa = a.FramePixmap(af);
    const Pixmap& pb = b.FramePixmap(bf);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if ((pa.ReadPixel(x - ax, y - ay) >> 24) && (pb.ReadPixel(x - bx, y - by) >> 24)) return true;
    return false;
}

}  // namespace

void ResetCollisions(uint32_t layerMask) {
    for (int i = 0; i < 32; ++i)
        if (layerMask & (1u << i)) Layers()[i].clear();
}

std::vector<int> CollideImage(const std::shared_ptr<Image>& image, float x, float y, int frame, uint32_t collideMask,
                              uint32_t writeMask, int id) {
    std::vector<int> touched;
    ImageImpl* img = Impl(image);
    if (!img || !img->ValidFrame(frame)) return touched;
    const int left = static_cast<int>(std::lround(x - img->HandleX()));
    const int top = static_cast<int>(std::lround(y - img->HandleY()));
    for (int i = 0; i < 32; ++i) {
        if (!(collideMask & (1u << i))) continue;
        for (const auto& e : Layers()[i]) {
            if (std::find(touched.begin(), touched.end(), e.id) != touched.end()) continue;
            auto* other = Impl(e.image);
            if (PixelsOverlap(*img, frame, left, top, *other, e.frame, e.left, e.top)) touched.push_back(e.id);
        }
    }
    for (int i = 0; i < 32; ++i)
        if (writeMask & (1u << i)) Layers()[i].push_back(CollisionEntry{image, frame, left, top, id});
    return touched;
}

}  // namespace platform
