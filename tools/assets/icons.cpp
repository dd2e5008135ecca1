// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon: one clue cell of the board, folded along its diagonal,
// in the board's ink-blue paper with the lit fold in amber and two clues in
// cream. Every size is drawn from the same shapes, so the scalable SVG and the
// pixel sizes agree; the smallest sizes drop the clues, which would only blur.

#include "palette.h"
#include "pictures.h"

#include <cairo-svg.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace assets {

namespace {

using std::filesystem::path;

// Clues need about ten pixels of height to stay digits.
constexpr int kCluesFrom = 48;

void Tile(cairo_t* cr, double x, double y, double s) { RoundedRect(cr, x, y, s, s, s * 0.16); }

// Draws the icon into a size x size area at the origin; `clues` adds the two
// sums.
void DrawIcon(cairo_t* cr, double size, bool clues) {
    // Freedesktop icons keep a small margin; the shadow lives in it.
    const double m = size / 16.0, s = size - 2 * m;
    const double x0 = m, y0 = m, x1 = m + s, y1 = m + s;

    if (size >= 32) {
        Tile(cr, x0, y0 + s * 0.025, s);
        SetColor(cr, palette::InkDeep, 0.45);
        cairo_fill(cr);
    }

    cairo_save(cr);
    Tile(cr, x0, y0, s);
    cairo_clip(cr);
    // The half that faces the light (down clue) and the half in its shade
    // (across clue), as on the board.
    cairo_pattern_t* light = cairo_pattern_create_linear(x0, y1, x1, y0);
    cairo_pattern_add_color_stop_rgb(light, 0, 52 / 255.0, 78 / 255.0, 130 / 255.0);
    cairo_pattern_add_color_stop_rgb(light, 1, 36 / 255.0, 55 / 255.0, 98 / 255.0);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x0, y1);
    cairo_close_path(cr);
    cairo_set_source(cr, light);
    cairo_fill(cr);
    cairo_pattern_destroy(light);

    cairo_pattern_t* shade = cairo_pattern_create_linear(x1, y0, x0, y1);
    cairo_pattern_add_color_stop_rgb(shade, 0, 28 / 255.0, 42 / 255.0, 76 / 255.0);
    cairo_pattern_add_color_stop_rgb(shade, 1, 18 / 255.0, 27 / 255.0, 52 / 255.0);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y0);
    cairo_line_to(cr, x1, y1);
    cairo_close_path(cr);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);

    // The crease: amber along the lit side, a shadow on the other.
    const double crease = std::max(1.0, s * 0.045);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, crease);
    const double off = crease * 0.5;
    cairo_move_to(cr, x0 - off, y0 + off);
    cairo_line_to(cr, x1 - off, y1 + off);
    SetColor(cr, palette::Amber);
    cairo_stroke(cr);
    cairo_move_to(cr, x0 + off, y0 - off);
    cairo_line_to(cr, x1 + off, y1 - off);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_stroke(cr);
    cairo_restore(cr);

    // A light edge keeps the dark tile apart from a dark panel.
    const double edge = std::max(1.0, s / 64);
    Tile(cr, x0 + edge / 2, y0 + edge / 2, s - edge);
    cairo_set_line_width(cr, edge);
    SetColor(cr, palette::CreamBright, 0.28);
    cairo_stroke(cr);

    if (clues) {
        // Across sum in the upper-right half, down sum in the lower-left,
        // where the game prints them.
        UseFont(cr, Face::Bold, s * 0.30);
        SetColor(cr, palette::Cream);
        DrawTextCentred(cr, "17", x0 + s * 0.70, y0 + s * 0.27);
        DrawTextCentred(cr, "24", x0 + s * 0.30, y0 + s * 0.73);
    }
}

void IconPng(const path& file, int size) {
    Canvas c(size, size);
    DrawIcon(c.cr(), size, size >= kCluesFrom);
    if (size >= kCluesFrom) PaperGrain(c, 0.04, 29);
    c.SavePng(file);
}

void IconSvg(const path& file, int size) {
    cairo_surface_t* surface = cairo_svg_surface_create(file.c_str(), size, size);
    // Icon themes measure in pixels; cairo's default unit is the point.
    cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
    cairo_t* cr = cairo_create(surface);
    DrawIcon(cr, size, true);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int MakeWindowIcon(const path& graphics) {
    // Large enough for a task switcher; the window system scales it down.
    IconPng(graphics / "icon.png", 128);
    return 1;
}

int MakeIcons(const path& hicolor, const std::string& name) {
    int count = 0;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        std::filesystem::create_directories(hicolor / dim / "apps");
        IconPng(hicolor / dim / "apps" / (name + ".png"), size);
        ++count;
    }
    std::filesystem::create_directories(hicolor / "scalable" / "apps");
    IconSvg(hicolor / "scalable" / "apps" / (name + ".svg"), 256);
    return count + 1;
}

}  // namespace assets
