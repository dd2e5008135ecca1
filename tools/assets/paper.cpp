// SPDX-License-Identifier: GPL-3.0-or-later
#include "paper.h"

#include "palette.h"

#include <algorithm>

namespace assets {

namespace {

struct TabColours {
    Rgb top, bottom, rim;
    double rimAlpha;
};

TabColours ColoursFor(TabState state) {
    using namespace palette;
    switch (state) {
        case TabState::Normal:
            return {rgb(247, 241, 228), rgb(229, 218, 197), Ink, 0.0};
        case TabState::Over:
            return {rgb(255, 254, 250), rgb(247, 240, 225), Amber, 0.95};
        case TabState::Down:
            return {rgb(214, 202, 180), rgb(230, 220, 200), Ink, 0.0};
        case TabState::On:
            return {rgb(252, 186, 88), rgb(234, 142, 42), Ink, 0.0};
        case TabState::OnOver:
            return {rgb(255, 214, 134), rgb(250, 172, 70), CreamBright, 1.0};
        // Out of use: greyed paper, pressed flat like a sheet nobody reaches for.
        case TabState::Disabled:
            return {rgb(200, 194, 184), rgb(184, 177, 165), Ink, 0.0};
    }
    return {};
}

}  // namespace

TabGeometry TabFor(int pictureWidth, int pictureHeight) {
    const bool small = pictureHeight <= 30;
    const double mx = small ? 2 : 3, mt = small ? 1 : 2, mb = small ? 3 : 5;
    TabGeometry g;
    g.x = mx;
    g.y = mt;
    g.w = pictureWidth - 2 * mx;
    g.h = pictureHeight - mt - mb;
    g.radius = small ? 4 : 6;
    g.fold = std::clamp(g.h * 0.3, 5.0, 12.0);
    g.shadowDy = small ? 1.5 : 2.5;
    g.shadowBlur = small ? 2 : 4;
    return g;
}

TabGeometry PaintTab(Canvas& canvas, TabGeometry g, TabState state, std::uint32_t seed) {
    cairo_t* cr = canvas.cr();
    const bool small = g.h <= 24;
    double shadowAlpha = 0.5;
    if (state == TabState::Disabled) shadowAlpha = 0.25;
    if (state == TabState::Down) {
        // Pressed: the sheet is pushed flat onto the table, so it drops and
        // its shadow all but disappears.
        g.y += small ? 1 : 2;
        g.shadowDy = 0.5;
        g.shadowBlur = std::max(1, g.shadowBlur / 2);
        shadowAlpha = 0.3;
    }
    auto outline = [g](cairo_t* c) { FoldedRect(c, g.x, g.y, g.w, g.h, g.radius, g.fold); };
    SoftShadow(canvas, outline, 0, g.shadowDy, g.shadowBlur, shadowAlpha);

    const TabColours colours = ColoursFor(state);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, g.y, 0, g.y + g.h);
    cairo_pattern_add_color_stop_rgb(fill, 0, colours.top.r, colours.top.g, colours.top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, colours.bottom.r, colours.bottom.g, colours.bottom.b);
    outline(cr);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    PaperGrain(canvas, 0.035, seed, static_cast<int>(g.x), static_cast<int>(g.y), static_cast<int>(g.x + g.w + 1),
               static_cast<int>(g.y + g.h + 1));

    cairo_save(cr);
    outline(cr);
    cairo_clip(cr);
    if (state == TabState::Down) {
        cairo_pattern_t* inner = cairo_pattern_create_linear(0, g.y, 0, g.y + 7);
        cairo_pattern_add_color_stop_rgba(inner, 0, 0, 0, 0, 0.22);
        cairo_pattern_add_color_stop_rgba(inner, 1, 0, 0, 0, 0);
        cairo_set_source(cr, inner);
        cairo_paint(cr);
        cairo_pattern_destroy(inner);
    } else {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
        cairo_rectangle(cr, g.x, g.y + 1, g.w, 1);
        cairo_fill(cr);
    }
    cairo_restore(cr);

    // The dog-eared corner: the folded flap shows the paper's back, a shade
    // darker, and throws a little shadow on the front.
    const double fx = g.x + g.w - g.fold, fy = g.y + g.fold;
    cairo_save(cr);
    outline(cr);
    cairo_clip(cr);
    cairo_move_to(cr, fx - 1, g.y);
    cairo_line_to(cr, g.x + g.w + 1, fy + 1);
    cairo_line_to(cr, fx - 1, fy + 1);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.10);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_move_to(cr, fx, g.y);
    cairo_line_to(cr, g.x + g.w, fy);
    cairo_line_to(cr, fx, fy);
    cairo_close_path(cr);
    SetColor(cr, Shade(Mix(colours.top, colours.bottom, 0.5), -0.14));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 0.8);
    SetColor(cr, palette::Ink, 0.25);
    cairo_stroke(cr);

    FoldedRect(cr, g.x + 0.5, g.y + 0.5, g.w - 1, g.h - 1, g.radius - 0.5, g.fold - 0.2);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::Ink, state == TabState::Down ? 0.4 : 0.28);
    cairo_stroke(cr);
    if (colours.rimAlpha > 0) {
        FoldedRect(cr, g.x + 1.5, g.y + 1.5, g.w - 3, g.h - 3, g.radius - 1.5, g.fold - 0.6);
        cairo_set_line_width(cr, small ? 1.2 : 1.6);
        SetColor(cr, colours.rim, colours.rimAlpha);
        cairo_stroke(cr);
    }
    return g;
}

void PaintCard(Canvas& canvas, double x, double y, double w, double h, std::uint32_t seed) {
    cairo_t* cr = canvas.cr();
    const double fold = std::min(22.0, h * 0.22);
    auto outline = [&](cairo_t* c) { FoldedRect(c, x, y, w, h, 8, fold); };
    SoftShadow(canvas, outline, 0, 4, 10, 0.55);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.975, 0.955, 0.915);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.905, 0.870, 0.800);
    outline(cr);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    PaperGrain(canvas, 0.04, seed, static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w + 1),
               static_cast<int>(y + h + 1));
    // Light falls from the top left across the card.
    cairo_save(cr);
    outline(cr);
    cairo_clip(cr);
    cairo_pattern_t* light = cairo_pattern_create_linear(x, y, x + w, y + h);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 1, 1, 0.18);
    cairo_pattern_add_color_stop_rgba(light, 1, 0, 0, 0, 0.05);
    cairo_set_source(cr, light);
    cairo_paint(cr);
    cairo_pattern_destroy(light);
    cairo_restore(cr);
    const double fx = x + w - fold;
    cairo_move_to(cr, fx, y);
    cairo_line_to(cr, x + w, y + fold);
    cairo_line_to(cr, fx, y + fold);
    cairo_close_path(cr);
    SetColor(cr, palette::CreamShade);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::Ink, 0.25);
    cairo_stroke(cr);
    FoldedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 7.5, fold - 0.2);
    SetColor(cr, palette::Ink, 0.3);
    cairo_stroke(cr);
}

void PaintPanel(Canvas& canvas, double x, double y, double w, double h, double alpha, std::uint32_t seed) {
    cairo_t* cr = canvas.cr();
    const double fold = std::min(26.0, h * 0.16);
    auto outline = [&](cairo_t* c) { FoldedRect(c, x, y, w, h, 10, fold); };
    SoftShadow(canvas, outline, 0, 5, 12, 0.5 * alpha);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + h);
    const Rgb top = rgb(34, 50, 88), bottom = rgb(18, 27, 50);
    cairo_pattern_add_color_stop_rgba(fill, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(fill, 1, bottom.r, bottom.g, bottom.b, alpha);
    outline(cr);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    PaperGrain(canvas, 0.05, seed, static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w + 1),
               static_cast<int>(y + h + 1));
    // Faint creases from an earlier folding: they give the panel a paper
    // feel without disturbing the text on it.
    cairo_save(cr);
    outline(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x, y + h);
    cairo_line_to(cr, x + w, y);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.035 * alpha);
    cairo_stroke(cr);
    cairo_move_to(cr, x + w * 0.5 + 0.5, y);
    cairo_line_to(cr, x + w * 0.5 + 0.5, y + h);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.08 * alpha);
    cairo_stroke(cr);
    cairo_restore(cr);
    const double fx = x + w - fold;
    cairo_move_to(cr, fx, y);
    cairo_line_to(cr, x + w, y + fold);
    cairo_line_to(cr, fx, y + fold);
    cairo_close_path(cr);
    SetColor(cr, palette::InkSoft, alpha);
    cairo_fill(cr);
    FoldedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, 8.5, fold - 0.6);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::Cream, 0.28 * alpha);
    cairo_stroke(cr);
}

void FoldedLettering(Canvas& canvas, Face face, double px, const std::string& first, Rgb firstColour,
                     const std::string& second, Rgb secondColour, double cx, double baseline, bool shadow) {
    cairo_t* cr = canvas.cr();
    UseFont(cr, face, px);
    const double w1 = TextWidth(cr, first);
    const double w2 = second.empty() ? 0 : TextWidth(cr, second);
    const double x0 = cx - (w1 + w2) / 2;
    const double crease = baseline - CapHeight(cr) * 0.48;
    auto path = [&](cairo_t* c) {
        UseFont(c, face, px);
        cairo_move_to(c, x0, baseline);
        cairo_text_path(c, first.c_str());
        if (!second.empty()) {
            cairo_move_to(c, x0 + w1, baseline);
            cairo_text_path(c, second.c_str());
        }
    };
    if (shadow) SoftShadow(canvas, path, 0, std::max(1.5, px * 0.05), std::max(2, static_cast<int>(px * 0.1)), 0.6);

    auto part = [&](const std::string& text, double x, Rgb colour) {
        if (text.empty()) return;
        cairo_save(cr);
        cairo_move_to(cr, x, baseline);
        cairo_text_path(cr, text.c_str());
        cairo_clip(cr);
        SetColor(cr, Shade(colour, 0.08));
        cairo_rectangle(cr, 0, 0, canvas.width(), crease);
        cairo_fill(cr);
        SetColor(cr, Shade(colour, -0.13));
        cairo_rectangle(cr, 0, crease, canvas.width(), canvas.height());
        cairo_fill(cr);
        const double line = std::max(1.0, px / 40);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
        cairo_rectangle(cr, 0, crease, canvas.width(), line);
        cairo_fill(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
        cairo_rectangle(cr, 0, crease - line, canvas.width(), line);
        cairo_fill(cr);
        cairo_restore(cr);
    };
    part(first, x0, firstColour);
    part(second, x0 + w1, secondColour);
}

}  // namespace assets
