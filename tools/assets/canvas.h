// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing helpers over cairo shared by every picture the generator makes:
// colours, the Carlito faces, text placement, soft shadows, paper grain and
// the PNG / JPEG writers.

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace assets {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

constexpr Rgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Rgb Mix(Rgb a, Rgb b, double t);
// t > 0 moves towards white, t < 0 towards black.
Rgb Shade(Rgb c, double t);

void SetColor(cairo_t* cr, Rgb c, double alpha = 1.0);

enum class Face { Regular, Bold };

// Loads Carlito from the given folder. Must run before any text is drawn.
void LoadFonts(const std::filesystem::path& dir);
void ReleaseFonts();
void UseFont(cairo_t* cr, Face face, double px);

enum class Align { Left, Centre, Right };

// Horizontal advance of a text in the current font.
double TextWidth(cairo_t* cr, const std::string& text);
// Draws text with its baseline at y.
void DrawText(cairo_t* cr, const std::string& text, double x, double baseline, Align align = Align::Left);
// Draws text whose capitals are centred vertically on cy.
void DrawTextCentred(cairo_t* cr, const std::string& text, double cx, double cy);
// Height of a capital letter in the current font, for optical centring.
double CapHeight(cairo_t* cr);

// Shrinks px until the text fits maxWidth; returns the size used.
double FitFont(cairo_t* cr, Face face, double px, const std::string& text, double maxWidth);

// Path helpers (they only build the path).
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// A rounded rectangle whose top-right corner is cut off diagonally by `fold`
// pixels: the outline of a sheet with a dog-eared corner.
void FoldedRect(cairo_t* cr, double x, double y, double w, double h, double r, double fold);

// A picture of width x height pixels, or drawn at `scale` times that size
// (the 2x pictures used on big screens): the surface has width * scale x
// height * scale pixels and cairo's user space stays width x height, so the
// same drawing code makes both.
class Canvas {
public:
    Canvas(int width, int height, int scale = 1);  // transparent ARGB
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int scale() const { return scale_; }

    void SavePng(const std::filesystem::path& file);
    // Backgrounds are opaque; alpha is dropped.
    void SaveJpeg(const std::filesystem::path& file, int quality);

private:
    int width_, height_, scale_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Paints a blurred black copy of whatever `shape` fills, offset by (dx, dy):
// the soft shadow a sheet of paper throws on what lies beneath it. Offset and
// blur are in the canvas's units (scaled with it).
void SoftShadow(Canvas& canvas, const std::function<void(cairo_t*)>& shape, double dx, double dy, int blur,
                double alpha);

// Blurs an A8 or ARGB32 surface in place (three box passes, close to Gaussian).
void Blur(cairo_surface_t* surface, int radius);

// Paper fibre: lightens and darkens already painted pixels by up to `amount`
// (0.03 = 3 %), with coarse blotches and fine grain. Only pixels inside the
// rectangle (in the canvas's units) are touched; transparency is kept. A
// scaled canvas gets the same grain, each grain as many pixels wide.
void PaperGrain(Canvas& canvas, double amount, std::uint32_t seed, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1);

}  // namespace assets
