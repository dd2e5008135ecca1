// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas.h"

#include "rng.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace assets {

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb Shade(Rgb c, double t) { return t >= 0 ? Mix(c, {1, 1, 1}, t) : Mix(c, {0, 0, 0}, -t); }

void SetColor(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

// ---------------------------------------------------------------- fonts

namespace {

struct FontSet {
    FT_Library library = nullptr;
    FT_Face faces[2] = {nullptr, nullptr};
    cairo_font_face_t* cairoFaces[2] = {nullptr, nullptr};
};

FontSet g_fonts;

}  // namespace

void LoadFonts(const std::filesystem::path& dir) {
    if (FT_Init_FreeType(&g_fonts.library) != 0) throw std::runtime_error("FreeType would not start");
    const char* files[2] = {"Carlito-Regular.ttf", "Carlito-Bold.ttf"};
    for (int i = 0; i < 2; ++i) {
        const std::string path = (dir / files[i]).string();
        if (FT_New_Face(g_fonts.library, path.c_str(), 0, &g_fonts.faces[i]) != 0)
            throw std::runtime_error("cannot load font " + path);
        g_fonts.cairoFaces[i] = cairo_ft_font_face_create_for_ft_face(g_fonts.faces[i], 0);
    }
}

void ReleaseFonts() {
    for (int i = 0; i < 2; ++i) {
        if (g_fonts.cairoFaces[i]) cairo_font_face_destroy(g_fonts.cairoFaces[i]);
        g_fonts.cairoFaces[i] = nullptr;
    }
    // cairo may still hold the faces in its caches; resetting them lets the
    // FreeType faces go without anything pointing at them.
    cairo_debug_reset_static_data();
    for (auto& face : g_fonts.faces) {
        if (face) FT_Done_Face(face);
        face = nullptr;
    }
    if (g_fonts.library) FT_Done_FreeType(g_fonts.library);
    g_fonts.library = nullptr;
}

void UseFont(cairo_t* cr, Face face, double px) {
    cairo_font_face_t* f = g_fonts.cairoFaces[face == Face::Bold ? 1 : 0];
    if (!f) throw std::runtime_error("fonts not loaded");
    cairo_set_font_face(cr, f);
    cairo_set_font_size(cr, px);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double TextWidth(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return e.x_advance;
}

void DrawText(cairo_t* cr, const std::string& text, double x, double baseline, Align align) {
    const double w = TextWidth(cr, text);
    if (align == Align::Centre) x -= w / 2;
    if (align == Align::Right) x -= w;
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

double CapHeight(cairo_t* cr) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    return -e.y_bearing;
}

void DrawTextCentred(cairo_t* cr, const std::string& text, double cx, double cy) {
    DrawText(cr, text, cx, cy + CapHeight(cr) / 2, Align::Centre);
}

double FitFont(cairo_t* cr, Face face, double px, const std::string& text, double maxWidth) {
    UseFont(cr, face, px);
    while (px > 6 && TextWidth(cr, text) > maxWidth) {
        px -= 0.5;
        UseFont(cr, face, px);
    }
    return px;
}

// ---------------------------------------------------------------- paths

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FoldedRect(cairo_t* cr, double x, double y, double w, double h, double r, double fold) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x + r, y);
    cairo_line_to(cr, x + w - fold, y);
    cairo_line_to(cr, x + w, y + fold);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// ---------------------------------------------------------------- canvas

Canvas::Canvas(int width, int height, int scale)
    : width_(width),
      height_(height),
      scale_(scale),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale)),
      cr_(cairo_create(surface_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
    if (scale_ != 1) cairo_scale(cr_, scale_, scale_);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void Canvas::SavePng(const std::filesystem::path& file) {
    cairo_surface_flush(surface_);
    if (cairo_surface_write_to_png(surface_, file.string().c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + file.string());
}

void Canvas::SaveJpeg(const std::filesystem::path& file, int quality) {
    cairo_surface_flush(surface_);
    FILE* out = std::fopen(file.string().c_str(), "wb");
    if (!out) throw std::runtime_error("cannot write " + file.string());

    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width_ * scale_);
    info.image_height = static_cast<JDIMENSION>(height_ * scale_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;  // the exact integer transform: same bytes on every CPU
    jpeg_start_compress(&info, TRUE);

    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    std::vector<unsigned char> row(static_cast<size_t>(width_ * scale_) * 3);
    while (info.next_scanline < info.image_height) {
        const auto* px = reinterpret_cast<const std::uint32_t*>(data + info.next_scanline * stride);
        for (int x = 0; x < width_ * scale_; ++x) {
            row[x * 3 + 0] = static_cast<unsigned char>((px[x] >> 16) & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((px[x] >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>(px[x] & 0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
}

// ---------------------------------------------------------------- effects

namespace {

// One box pass over `channels` interleaved bytes per pixel, along rows
// (step = bytes per pixel) or columns (step = stride). Outside is empty.
void BoxPass(unsigned char* data, int count, int lines, int step, int lineStep, int channels, int radius) {
    std::vector<int> buffer(static_cast<size_t>(count));
    const int window = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        unsigned char* base = data + static_cast<ptrdiff_t>(line) * lineStep;
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < count; ++i) buffer[i] = base[static_cast<ptrdiff_t>(i) * step + c];
            int sum = 0;
            for (int i = 0; i <= radius && i < count; ++i) sum += buffer[i];
            for (int i = 0; i < count; ++i) {
                base[static_cast<ptrdiff_t>(i) * step + c] = static_cast<unsigned char>((sum + window / 2) / window);
                const int add = i + radius + 1;
                const int sub = i - radius;
                if (add < count) sum += buffer[add];
                if (sub >= 0) sum -= buffer[sub];
            }
        }
    }
}

}  // namespace

void Blur(cairo_surface_t* surface, int radius) {
    if (radius <= 0) return;
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int channels = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8 ? 1 : 4;
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int r = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(data, w, h, channels, stride, channels, r);
        BoxPass(data, h, w, stride, channels, channels, r);
    }
    cairo_surface_mark_dirty(surface);
}

void SoftShadow(Canvas& canvas, const std::function<void(cairo_t*)>& shape, double dx, double dy, int blur,
                double alpha) {
    const int k = canvas.scale();
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, canvas.width() * k, canvas.height() * k);
    cairo_t* mc = cairo_create(mask);
    if (k != 1) cairo_scale(mc, k, k);
    cairo_translate(mc, dx, dy);
    cairo_set_source_rgba(mc, 0, 0, 0, 1);
    shape(mc);
    cairo_fill(mc);
    cairo_destroy(mc);
    Blur(mask, blur * k);
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_rgba(cr, 0.02, 0.03, 0.07, alpha);
    cairo_mask_surface(cr, mask, 0, 0);
    cairo_restore(cr);
    cairo_surface_destroy(mask);
}

void PaperGrain(Canvas& canvas, double amount, std::uint32_t seed, int x0, int y0, int x1, int y1) {
    cairo_surface_t* s = canvas.surface();
    cairo_surface_flush(s);
    const int k = canvas.scale();
    if (x1 < 0) x1 = canvas.width();
    if (y1 < 0) y1 = canvas.height();
    x0 = std::max(0, x0) * k;
    y0 = std::max(0, y0) * k;
    x1 = std::min(x1, canvas.width()) * k;
    y1 = std::min(y1, canvas.height()) * k;
    const int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t p = row[x];
            const int a = static_cast<int>(p >> 24);
            if (a == 0) continue;
            // Fibres run mostly one way in real paper: stretch the fine grain.
            const double ux = static_cast<double>(x) / k, uy = static_cast<double>(y) / k;
            const double fibre = ValueNoise(ux * 0.35, uy * 1.6, 3.0, seed + 7);
            const double blotch = ValueNoise(ux, uy, 40.0, seed);
            const double speck = HashSigned(x / k, y / k, seed + 13);
            const double f = 1.0 + amount * (0.45 * blotch + 0.35 * fibre + 0.2 * speck);
            auto channel = [&](int shift) {
                const int v = static_cast<int>(std::lround(((p >> shift) & 0xFF) * f));
                return static_cast<std::uint32_t>(std::clamp(v, 0, a)) << shift;
            };
            row[x] = (p & 0xFF000000u) | channel(16) | channel(8) | channel(0);
        }
    }
    cairo_surface_mark_dirty(s);
}

double ValueNoise(double x, double y, double cell, std::uint32_t seed) {
    const double fx = x / cell, fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double a = HashSigned(ix, iy, seed), b = HashSigned(ix + 1, iy, seed);
    const double c = HashSigned(ix, iy + 1, seed), d = HashSigned(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

}  // namespace assets
