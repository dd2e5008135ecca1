// SPDX-License-Identifier: GPL-3.0-or-later
// Image fonts: glyphs rasterised once per font size into atlas pages, drawn as
// tinted textured quads.
#include "tallyfold/platform/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "internal.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace platform {
namespace {

// A glyph as coverage values (0..255), placed relative to the pen on the baseline.
struct Raster {
    int w = 0, h = 0;
    int left = 0, top = 0;  // top: pixels from the baseline up to the first row
    int advance = 0;
    std::vector<uint8_t> coverage;
};

struct Glyph {
    int page = -1;
    SDL_Rect rect{0, 0, 0, 0};
    int left = 0, top = 0, advance = 0;
};

class FontBase : public ImageFont {
public:
    int Height() const override { return ascent_ + descent_; }

    int Ascent() const override { return ascent_; }

    void InkExtent(const std::string& utf8, int& above, int& below) const override {
        above = below = 0;
        for (uint32_t cp : detail::DecodeUtf8(utf8)) {
            const Glyph& g = GlyphFor(cp);
            if (g.page < 0 || g.rect.h <= 0) continue;
            above = std::max(above, g.top);
            below = std::max(below, g.rect.h - g.top);
        }
    }

    int TextWidth(const std::string& utf8) const override {
        int width = 0;
        for (uint32_t cp : detail::DecodeUtf8(utf8)) width += GlyphFor(cp).advance;
        return width;
    }

    // Where the glyphs of a text put ink, relative to the top-left point the
    // text is drawn at, before scaling; false when no glyph has any.
    bool InkExtent(const std::string& text, int& left, int& top, int& right, int& bottom) const {
        bool any = false;
        int pen = 0;
        for (uint32_t cp : detail::DecodeUtf8(text)) {
            const Glyph& g = GlyphFor(cp);
            if (g.page >= 0 && g.rect.w > 0) {
                const int x0 = pen + g.left, y0 = ascent_ - g.top;
                if (!any) {
                    left = x0;
                    top = y0;
                    right = x0 + g.rect.w;
                    bottom = y0 + g.rect.h;
                    any = true;
                } else {
                    left = std::min(left, x0);
                    top = std::min(top, y0);
                    right = std::max(right, x0 + g.rect.w);
                    bottom = std::max(bottom, y0 + g.rect.h);
                }
            }
            pen += g.advance;
        }
        return any;
    }

    // The font whose glyphs are drawn on a canvas of this many pixels per
    // logical pixel: the same face rasterised at that size, so that text is
    // crisp however big the window. nullptr when the font has no such twin
    // (its glyphs are then stretched).
    virtual const FontBase* RasterFor(float) const { return nullptr; }

    // Glyphs are placed by this font's metrics, in logical pixels, so that
    // text sits where the layout measured it at any scale; only their pixels
    // come from the twin.
    void Draw(const std::string& text, float x, float y, const detail::DrawState& s) {
        // Solid blending would paint each glyph's whole box; drawing the glyph
        // shapes opaquely is what a caller asking for solid text wants.
        const int blend = s.blend == SOLIDBLEND ? MASKBLEND : s.blend;
        const float kx = detail::CanvasScaleX(), ky = detail::CanvasScaleY();
        const FontBase* raster = (kx != 1.0f || ky != 1.0f) ? RasterFor(std::max(kx, ky)) : nullptr;
        const float gx = raster ? kx : 1.0f, gy = raster ? ky : 1.0f;
        if (!raster) raster = this;
        int pen = 0;
        for (uint32_t cp : detail::DecodeUtf8(text)) {
            const Glyph& g = raster->GlyphFor(cp);
            if (g.page >= 0 && g.rect.w > 0) {
                Page& page = *raster->pages_[g.page];
                SDL_Texture* t = page.textures.Get(page.pixmap, blend, true);
                if (detail::PrepareTexture(t, blend, s))
                    detail::CopyTransformed(t, &g.rect, x, y, static_cast<float>(g.rect.w) / gx,
                                            static_cast<float>(g.rect.h) / gy,
                                            -(static_cast<float>(pen) + static_cast<float>(g.left) / gx),
                                            -(static_cast<float>(ascent_) - static_cast<float>(g.top) / gy), s);
            }
            pen += GlyphFor(cp).advance;
        }
    }

protected:
    virtual bool Rasterise(uint32_t cp, Raster& out) const = 0;

    void Preload() {
        for (uint32_t cp = 32; cp < 256; ++cp)
            if (cp < 127 || cp >= 160) GlyphFor(cp);
    }

    int ascent_ = 0;
    int descent_ = 0;

private:
    struct Page {
        explicit Page(int side) : pixmap(side, side) {}
        Pixmap pixmap;
        detail::TextureSet textures;
        int penX = 1, penY = 1, rowH = 0;
    };

    const Glyph& GlyphFor(uint32_t cp) const {
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end()) return it->second;
        Glyph g;
        Raster r;
        if (cp >= 32 && Rasterise(cp, r)) {
            g.left = r.left;
            g.top = r.top;
            g.advance = r.advance;
            Place(r, g);
        }
        return glyphs_.emplace(cp, g).first->second;
    }

    // Shelf packing: glyphs fill a row left to right; a new row starts below
    // the tallest glyph of the last one; a full page starts a new page.
    void Place(const Raster& r, Glyph& g) const {
        if (r.w <= 0 || r.h <= 0) return;
        const int need = std::max(r.w, r.h) + 2;
        if (need > 2048) return;
        Page* page = pages_.empty() ? nullptr : pages_.back().get();
        if (page && page->penX + r.w + 1 > page->pixmap.Width()) {
            page->penX = 1;
            page->penY += page->rowH + 1;
            page->rowH = 0;
        }
        if (!page || page->penY + r.h + 1 > page->pixmap.Height()) {
            int side = 256;
            while (side < need * 4 && side < 2048) side *= 2;
            pages_.push_back(std::make_unique<Page>(side));
            page = pages_.back().get();
        }
        g.page = static_cast<int>(pages_.size()) - 1;
        g.rect = SDL_Rect{page->penX, page->penY, r.w, r.h};
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x)
                page->pixmap.WritePixel(page->penX + x, page->penY + y,
                                        (uint32_t(r.coverage[static_cast<size_t>(y) * r.w + x]) << 24) | 0x00FFFFFFu);
        page->penX += r.w + 1;
        page->rowH = std::max(page->rowH, r.h);
        page->textures.Invalidate();
    }

    mutable std::unordered_map<uint32_t, Glyph> glyphs_;
    mutable std::vector<std::unique_ptr<Page>> pages_;
};

// ---- FreeType --------------------------------------------------------------

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return lib;
}

// The game renders one font file at several sizes and styles: the faces
// share one copy of its bytes instead of one each.
std::shared_ptr<const std::vector<uint8_t>> SharedFontBytes(std::vector<uint8_t> bytes) {
    static auto* known = new std::vector<std::weak_ptr<const std::vector<uint8_t>>>();
    std::erase_if(*known, [](const auto& w) { return w.expired(); });
    for (const auto& w : *known)
        if (auto shared = w.lock(); shared && *shared == bytes) return shared;
    auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    known->push_back(shared);
    return shared;
}

class FreeTypeFont final : public FontBase {
public:
    static std::shared_ptr<FreeTypeFont> Create(std::vector<uint8_t> bytes, int size, int style) {
        if (size < 1 || size > 512 || bytes.empty() || !Library()) return nullptr;
        auto font = std::shared_ptr<FreeTypeFont>(new FreeTypeFont(std::move(bytes), size, style));
        if (!font->face_) return nullptr;
        font->Preload();
        return font;
    }

    ~FreeTypeFont() override {
        if (face_) FT_Done_Face(face_);
    }

    int Size() const override { return size_; }

    bool HasGlyph(uint32_t codePoint) const override {
        return codePoint >= 32 && FT_Get_Char_Index(face_, codePoint) != 0;
    }

    const FontBase* RasterFor(float scale) const override {
        if (!(scale > 0.0f) || scale > 16.0f) return nullptr;
        const int size = std::clamp(static_cast<int>(std::lround(static_cast<float>(size_) * scale)), 1, 512);
        if (size == size_) return this;
        // One twin at a time: the canvas has one scale, and when it changes
        // the glyphs for the old one are not wanted again soon.
        if (!twin_ || twin_->size_ != size) {
            twin_.reset(new FreeTypeFont(bytes_, size, style_));
            if (!twin_->face_) twin_.reset();
        }
        return twin_.get();
    }

protected:
    bool Rasterise(uint32_t cp, Raster& out) const override {
        const bool smooth = (style_ & FONT_SMOOTH) != 0;
        FT_Int32 load = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
        if (!smooth) load |= FT_LOAD_TARGET_MONO;
        if (FT_Load_Char(face_, cp, load) != 0) return false;
        FT_GlyphSlot slot = face_->glyph;
        if (style_ & FONT_BOLD) FT_GlyphSlot_Embolden(slot);
        if (style_ & FONT_ITALIC) FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, smooth ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return false;
        const FT_Bitmap& bm = slot->bitmap;
        out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        // A damaged font can claim any size; nothing sane exceeds a few em.
        const unsigned limit = static_cast<unsigned>(size_) * 4 + 64;
        if (bm.width == 0 || bm.rows == 0 || bm.width > limit || bm.rows > limit || !bm.buffer) return true;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return true;
        out.w = static_cast<int>(bm.width);
        out.h = static_cast<int>(bm.rows);
        out.coverage.assign(static_cast<size_t>(out.w) * out.h, 0);
        for (int y = 0; y < out.h; ++y) {
            const uint8_t* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < out.w; ++x) {
                uint8_t v;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                else
                    v = bm.num_grays == 256 ? row[x]
                                            : static_cast<uint8_t>(row[x] * 255 / std::max(1, bm.num_grays - 1));
                out.coverage[static_cast<size_t>(y) * out.w + x] = v;
            }
        }
        return true;
    }

private:
    FreeTypeFont(std::vector<uint8_t> bytes, int size, int style)
        : FreeTypeFont(SharedFontBytes(std::move(bytes)), size, style) {}
    FreeTypeFont(std::shared_ptr<const std::vector<uint8_t>> bytes, int size, int style)
        : bytes_(std::move(bytes)), size_(size), style_(style) {
        if (FT_New_Memory_Face(Library(), bytes_->data(), static_cast<FT_Long>(bytes_->size()), 0, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        const bool usable = face_->num_glyphs > 0 && FT_IS_SCALABLE(face_) &&
                            FT_Select_Charmap(face_, FT_ENCODING_UNICODE) == 0 &&
                            FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size)) == 0;
        if (!usable) {
            FT_Done_Face(face_);
            face_ = nullptr;
            return;
        }
        const FT_Size_Metrics& m = face_->size->metrics;
        ascent_ = static_cast<int>((m.ascender + 63) >> 6);
        descent_ = static_cast<int>(-(m.descender >> 6));
        if (ascent_ <= 0 || ascent_ > size * 4 || descent_ < 0 || descent_ > size * 4) {
            // Metrics from a damaged table; fall back to the em size.
            ascent_ = size;
            descent_ = (size + 3) / 4;
        }
    }

    std::shared_ptr<const std::vector<uint8_t>> bytes_;  // FreeType reads the face from this memory
    FT_Face face_ = nullptr;
    int size_;
    int style_;
    mutable std::unique_ptr<FreeTypeFont> twin_;
};

// ---- built-in fallback -----------------------------------------------------

// 5 x 7 glyphs for ASCII 32..126, one byte per column, bit 0 at the top.
const uint8_t kFont5x7[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08},
};

// Blocky but always there: the font used when no TrueType file can be found.
class BlockFont final : public FontBase {
public:
    static constexpr int kScale = 2;
    BlockFont() {
        ascent_ = 8 * kScale;
        descent_ = 2 * kScale;
        Preload();
    }
    int Size() const override { return ascent_ + descent_; }

    bool HasGlyph(uint32_t codePoint) const override { return codePoint >= 32 && codePoint <= 126; }

protected:
    bool Rasterise(uint32_t cp, Raster& out) const override {
        if (cp < 32) return false;
        const uint8_t* cols = kFont5x7[(cp <= 126 ? cp : '?') - 32];
        out.w = 5 * kScale;
        out.h = 7 * kScale;
        out.left = kScale / 2;
        out.top = 8 * kScale;
        out.advance = 6 * kScale;
        out.coverage.assign(static_cast<size_t>(out.w) * out.h, 0);
        for (int x = 0; x < out.w; ++x)
            for (int y = 0; y < out.h; ++y)
                if (cols[x / kScale] & (1 << (y / kScale))) out.coverage[static_cast<size_t>(y) * out.w + x] = 255;
        return true;
    }
};

std::shared_ptr<ImageFont> g_current;

}  // namespace

std::shared_ptr<ImageFont> LoadImageFont(const std::string& path, int size, int style) {
    auto bytes = LoadBytes(path);
    if (!bytes) return nullptr;
    return LoadImageFont(*bytes, size, style);
}

std::shared_ptr<ImageFont> LoadImageFont(const std::vector<uint8_t>& bytes, int size, int style) {
    return FreeTypeFont::Create(bytes, size, style);
}

std::shared_ptr<ImageFont> BuiltinFont() {
    static std::shared_ptr<ImageFont> font = std::make_shared<BlockFont>();
    return font;
}

std::shared_ptr<ImageFont> DefaultFont() {
    static std::shared_ptr<ImageFont> font = [] {
        // Debian's metric-compatible sans fonts, in order of preference.
        static const char* const kCandidates[] = {
            "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf",
            "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
            "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
            "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
            "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
        };
        for (const char* path : kCandidates) {
            if (FileType(path) != FILETYPE_FILE) continue;
            if (auto f = LoadImageFont(std::string(path), 15, FONT_SMOOTH)) return f;
        }
        return BuiltinFont();
    }();
    return font;
}

void SetImageFont(std::shared_ptr<ImageFont> font) { g_current = std::move(font); }

std::shared_ptr<ImageFont> GetImageFont() { return g_current ? g_current : DefaultFont(); }

namespace detail {

void DrawTextImpl(const std::string& text, float x, float y) {
    if (!Renderer() || text.empty() || !std::isfinite(x) || !std::isfinite(y)) return;
    const DrawState& s = State();
    if (s.blend != SOLIDBLEND && s.blend != SHADEBLEND && s.blend != MASKBLEND && std::lround(s.alpha * 255.0f) == 0)
        return;
    auto font = g_current ? g_current : DefaultFont();
    auto* f = dynamic_cast<FontBase*>(font.get());
    int left = 0, top = 0, right = 0, bottom = 0;
    if (!f || !f->InkExtent(text, left, top, right, bottom)) return;
    DrawCommand cmd;
    cmd.op = DrawOp::Text;
    cmd.state = s;
    cmd.font = std::move(font);
    cmd.text = text;
    cmd.p[0] = x;
    cmd.p[1] = y;
    cmd.box = TransformedBox(x, y, static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
                             static_cast<float>(bottom), s);
    // A stretched copy is drawn whole (see DrawCommand::wholeOnly); so is a
    // font without a twin for the canvas's scale.
    const float k = std::max(CanvasScaleX(), CanvasScaleY());
    cmd.wholeOnly = std::fabs(s.scaleX) != 1.0f || std::fabs(s.scaleY) != 1.0f || (k != 1.0f && !f->RasterFor(k));
    Record(std::move(cmd));
}

void ExecuteText(const DrawCommand& c) {
    if (auto* f = dynamic_cast<FontBase*>(c.font.get())) f->Draw(c.text, c.p[0], c.p[1], c.state);
}

int TextWidthImpl(const std::string& text) {
    auto font = GetImageFont();
    return font ? font->TextWidth(text) : 0;
}

int TextHeightImpl(const std::string&) {
    auto font = GetImageFont();
    return font ? font->Height() : 0;
}

}  // namespace detail
}  // namespace platform
