// SPDX-License-Identifier: GPL-3.0-or-later
// The six full-screen backgrounds and the two particle sprites, all packed
// into the data archive.
//
// Each background is a sheet of coloured paper that has been folded and
// opened again: a gentle gradient, faint facets between crease lines, paper
// grain and a soft vignette. The game writes white text straight onto them
// (the timer, the message line, the version), so they stay dark enough for
// that everywhere.

#include "palette.h"
#include "paper.h"
#include "pictures.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace assets {

namespace {

constexpr int kW = 800, kH = 600;

struct Mood {
    Rgb top, bottom;
    Rgb glow;
    double glowX, glowY, glowAlpha;
    double angle;  // of the crease lattice, in degrees
    double cell;   // lattice pitch
    std::uint32_t seed;
};

struct Point {
    double x, y;
};

void Triangle(cairo_t* cr, Point a, Point b, Point c) {
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_line_to(cr, c.x, c.y);
    cairo_close_path(cr);
}

// The crease pattern is a waterbomb lattice: squares cut by both diagonals.
// Each triangle is tilted a little towards or away from the light, and how
// strongly the paper shows its folds drifts slowly across the sheet.
void Creases(Canvas& canvas, const Mood& mood) {
    cairo_t* cr = canvas.cr();
    const double rad = mood.angle * M_PI / 180.0;
    const double ca = std::cos(rad), sa = std::sin(rad);
    auto toScreen = [&](double u, double v) { return Point{kW / 2.0 + u * ca - v * sa, kH / 2.0 + u * sa + v * ca}; };
    const int reach = static_cast<int>(std::ceil(std::hypot(kW, kH) / 2 / mood.cell)) + 1;
    cairo_set_line_width(cr, 1);
    for (int j = -reach; j < reach; ++j) {
        for (int i = -reach; i < reach; ++i) {
            const double u0 = i * mood.cell, v0 = j * mood.cell, u1 = u0 + mood.cell, v1 = v0 + mood.cell;
            const Point p00 = toScreen(u0, v0), p10 = toScreen(u1, v0), p01 = toScreen(u0, v1), p11 = toScreen(u1, v1),
                        mid = toScreen(u0 + mood.cell / 2, v0 + mood.cell / 2);
            if (std::max({p00.x, p10.x, p01.x, p11.x}) < -2 || std::min({p00.x, p10.x, p01.x, p11.x}) > kW + 2 ||
                std::max({p00.y, p10.y, p01.y, p11.y}) < -2 || std::min({p00.y, p10.y, p01.y, p11.y}) > kH + 2)
                continue;
            const double strength = 0.5 + 0.5 * ValueNoise(mid.x, mid.y, 330, mood.seed + 5);
            const Point corners[4][2] = {{p00, p10}, {p10, p11}, {p11, p01}, {p01, p00}};
            for (int t = 0; t < 4; ++t) {
                // Facing of this facet: one half of the lattice leans to the
                // light, the other away, with a little randomness.
                const double lean =
                    ((t + i + j) % 2 == 0 ? 1.0 : -1.0) * 0.6 + 0.4 * HashSigned(i * 4 + t, j, mood.seed);
                const double shade = 0.055 * strength * lean;
                Triangle(cr, corners[t][0], corners[t][1], mid);
                if (shade > 0)
                    cairo_set_source_rgba(cr, 1, 1, 1, shade);
                else
                    cairo_set_source_rgba(cr, 0, 0, 0, -shade * 1.3);
                cairo_fill(cr);
            }
            // Crease lines: a bright ridge and a dark valley side by side.
            auto crease = [&](Point a, Point b, bool mountain) {
                const double alpha = (0.05 + 0.09 * strength);
                cairo_move_to(cr, a.x, a.y);
                cairo_line_to(cr, b.x, b.y);
                if (mountain)
                    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
                else
                    cairo_set_source_rgba(cr, 0, 0, 0, alpha * 1.3);
                cairo_stroke(cr);
            };
            crease(p00, p11, true);
            crease(p10, p01, false);
            crease(p00, p10, (i + j) % 2 == 0);
            crease(p00, p01, (i + j) % 2 != 0);
        }
    }
}

void Vignette(cairo_t* cr, double strength) {
    cairo_pattern_t* v = cairo_pattern_create_radial(kW / 2.0, kH / 2.0 - 40, 180, kW / 2.0, kH / 2.0, 560);
    cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 1, 0, 0, 0, strength);
    cairo_set_source(cr, v);
    cairo_paint(cr);
    cairo_pattern_destroy(v);
}

void PaperGround(Canvas& canvas, const Mood& mood) {
    cairo_t* cr = canvas.cr();
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 160, kH);
    cairo_pattern_add_color_stop_rgb(g, 0, mood.top.r, mood.top.g, mood.top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, mood.bottom.r, mood.bottom.g, mood.bottom.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_pattern_t* glow = cairo_pattern_create_radial(mood.glowX, mood.glowY, 0, mood.glowX, mood.glowY, 520);
    cairo_pattern_add_color_stop_rgba(glow, 0, mood.glow.r, mood.glow.g, mood.glow.b, mood.glowAlpha);
    cairo_pattern_add_color_stop_rgba(glow, 1, mood.glow.r, mood.glow.g, mood.glow.b, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    Creases(canvas, mood);
    PaperGrain(canvas, 0.035, mood.seed);
    Vignette(cr, 0.42);
}

// The play screen's backgrounds carry a cream sheet under the board: every
// board, 6 x 6 to 14 x 14, is centred on (452, 264) and the largest covers
// (228, 40) to (676, 488), so the sheet leaves a margin around that one and
// keeps clear of the menus on the left (up to x 203) and the number column
// on the right (from x 730).
// The game draws fireworks differently over this sheet (PaperSheet in
// game/screens/paper.h): the two must agree.
constexpr double kSheetX = 212, kSheetY = 24, kSheetW = 480, kSheetH = 480;

void BoardSheet(Canvas& canvas, const Mood& mood) {
    cairo_t* cr = canvas.cr();
    const double fold = 24;
    auto outline = [&](cairo_t* c) { FoldedRect(c, kSheetX, kSheetY, kSheetW, kSheetH, 3, fold); };
    SoftShadow(canvas, outline, 0, 6, 16, 0.6);
    const Rgb top = Mix(rgb(249, 244, 233), mood.top, 0.06), bottom = Mix(rgb(236, 227, 208), mood.top, 0.08);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, kSheetY, 0, kSheetY + kSheetH);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, bottom.r, bottom.g, bottom.b);
    outline(cr);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    PaperGrain(canvas, 0.03, mood.seed + 99, static_cast<int>(kSheetX), static_cast<int>(kSheetY),
               static_cast<int>(kSheetX + kSheetW + 1), static_cast<int>(kSheetY + kSheetH + 1));
    // The sheet was folded in quarters once.
    cairo_save(cr);
    outline(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, 1);
    const double mx = kSheetX + kSheetW / 2, my = kSheetY + kSheetH / 2;
    cairo_move_to(cr, mx + 0.5, kSheetY);
    cairo_line_to(cr, mx + 0.5, kSheetY + kSheetH);
    cairo_move_to(cr, kSheetX, my + 0.5);
    cairo_line_to(cr, kSheetX + kSheetW, my + 0.5);
    cairo_set_source_rgba(cr, 0.35, 0.3, 0.22, 0.09);
    cairo_stroke(cr);
    cairo_move_to(cr, mx + 1.5, kSheetY);
    cairo_line_to(cr, mx + 1.5, kSheetY + kSheetH);
    cairo_move_to(cr, kSheetX, my + 1.5);
    cairo_line_to(cr, kSheetX + kSheetW, my + 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.4);
    cairo_stroke(cr);
    cairo_pattern_t* light = cairo_pattern_create_linear(kSheetX, kSheetY, kSheetX + kSheetW, kSheetY + kSheetH);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 1, 1, 0.08);
    cairo_pattern_add_color_stop_rgba(light, 1, 0, 0, 0, 0.06);
    cairo_set_source(cr, light);
    cairo_paint(cr);
    cairo_pattern_destroy(light);
    cairo_restore(cr);
    const double fx = kSheetX + kSheetW - fold;
    cairo_move_to(cr, fx, kSheetY);
    cairo_line_to(cr, kSheetX + kSheetW, kSheetY + fold);
    cairo_line_to(cr, fx, kSheetY + fold);
    cairo_close_path(cr);
    SetColor(cr, Mix(palette::CreamShade, mood.top, 0.1));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::Ink, 0.2);
    cairo_stroke(cr);
}

void Background(const std::filesystem::path& file, const Mood& mood, bool sheet) {
    Canvas canvas(kW, kH);
    PaperGround(canvas, mood);
    if (sheet) BoardSheet(canvas, mood);
    canvas.SaveJpeg(file, 90);
}

// Particles are drawn additively and tinted by the game, so they are white
// light on a transparent ground.
void Twinkle(const std::filesystem::path& file, int size, double core, double ray, double glow) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr();
    const double c = size / 2.0;
    cairo_pattern_t* halo = cairo_pattern_create_radial(c, c, 0, c, c, glow);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(halo, 1, 1, 1, 1, 0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        const double length = (i % 2 == 0) ? ray : ray * 0.55;
        cairo_pattern_t* beam = cairo_pattern_create_linear(c, c, c + std::cos(a) * length, c + std::sin(a) * length);
        cairo_pattern_add_color_stop_rgba(beam, 0, 1, 1, 1, 0.9);
        cairo_pattern_add_color_stop_rgba(beam, 1, 1, 1, 1, 0);
        cairo_set_source(cr, beam);
        cairo_set_line_width(cr, i % 2 == 0 ? 1.6 : 1.1);
        cairo_move_to(cr, c, c);
        cairo_line_to(cr, c + std::cos(a) * length, c + std::sin(a) * length);
        cairo_stroke(cr);
        cairo_pattern_destroy(beam);
    }
    cairo_pattern_t* dot = cairo_pattern_create_radial(c, c, 0, c, c, core);
    cairo_pattern_add_color_stop_rgba(dot, 0, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(dot, 0.5, 1, 1, 1, 0.85);
    cairo_pattern_add_color_stop_rgba(dot, 1, 1, 1, 1, 0);
    cairo_set_source(cr, dot);
    cairo_arc(cr, c, c, core, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(dot);
    canvas.SavePng(file);
}

}  // namespace

int MakeBackgrounds(const std::filesystem::path& dir) {
    const Mood dawn{rgb(160, 98, 118), rgb(56, 36, 76), rgb(255, 196, 150), 640, 40, 0.42, 22, 170, 501};
    const Mood sea{rgb(40, 112, 136), rgb(10, 38, 66), rgb(160, 226, 226), 120, 60, 0.30, -18, 180, 502};
    const Mood forest{rgb(72, 116, 80), rgb(18, 44, 36), rgb(214, 228, 160), 700, 80, 0.30, 30, 160, 503};
    const Mood dusk{rgb(100, 78, 146), rgb(26, 24, 60), rgb(246, 150, 130), 560, 0, 0.32, -34, 175, 504};
    const Mood title{rgb(48, 58, 108), rgb(14, 18, 42), rgb(250, 186, 110), 400, 90, 0.22, 45, 200, 505};
    const Mood setup{rgb(34, 88, 104), rgb(12, 30, 46), rgb(250, 196, 120), 400, 40, 0.18, 12, 190, 506};
    Background(dir / "gamescreen1.jpg", dawn, true);
    Background(dir / "gamescreen2.jpg", sea, true);
    Background(dir / "gamescreen3.jpg", forest, true);
    Background(dir / "gamescreen4.jpg", dusk, true);
    Background(dir / "titlescreen.jpg", title, false);
    Background(dir / "playscreen.jpg", setup, false);
    Twinkle(dir / "particle1.png", 24, 3.5, 11, 7);
    Twinkle(dir / "particle2.png", 40, 5, 19, 14);
    return 8;
}

}  // namespace assets
