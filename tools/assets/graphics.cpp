// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures of data/graphics. Each size is chosen for the place the game
// draws the picture (noted beside it); the screen is 800 x 600.

#include "palette.h"
#include "paper.h"
#include "pictures.h"

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace assets {

namespace {

using std::filesystem::path;

// ------------------------------------------------------------ board cells
// A cell is drawn in a 32-unit square, centred on its grid position, so cells
// touch; a transparent unit around each tile lets the cream sheet under the
// board show through as the grid lines. The pictures are made at kCellScale
// times that, for the largest cells the game draws (64 pixels on 6x6 and 7x7
// boards); smaller boards draw them scaled down. The cells to fill are light
// paper with a slate rim, so that the game's dark digits stand out on them;
// the clue cells are the deep ink of the paper's card, folded along an amber
// line, with their numbers in white.

constexpr int kCell = 32;
constexpr int kCellScale = 2;

// A canvas of `units` cell units a side, drawn in those units; `scale` 2
// makes the picture for big screens, twice as many pixels again.
struct CellCanvas {
    explicit CellCanvas(int scale, int units = kCell) : c(units * kCellScale, units * kCellScale, scale) {
        cairo_scale(c.cr(), kCellScale, kCellScale);
    }
    Canvas c;
};

void Tile(Canvas& c, Rgb top, Rgb bottom, double grain, std::uint32_t seed) {
    cairo_t* cr = c.cr();
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 1, 0, 31);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, bottom.r, bottom.g, bottom.b);
    RoundedRect(cr, 1, 1, 30, 30, 3);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    PaperGrain(c, grain, seed);
}

void TileEdges(Canvas& c, double lightAlpha) {
    cairo_t* cr = c.cr();
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 3, 1.5);
    cairo_line_to(cr, 29, 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, lightAlpha);
    cairo_stroke(cr);
    cairo_move_to(cr, 3, 30.5);
    cairo_line_to(cr, 29, 30.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
    cairo_stroke(cr);
}

void Rim(Canvas& c, const std::function<void(cairo_t*)>& shape, Rgb colour, double alpha, double width) {
    cairo_t* cr = c.cr();
    shape(cr);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColor(cr, colour, alpha);
    cairo_stroke(cr);
}

void PlayingCell(const path& file, bool hot, int scale) {
    CellCanvas cell(scale);
    Canvas& c = cell.c;
    // Light paper, so that every digit, mark and mistake the game writes in
    // its dark inks reads clearly; under the pointer the cell warms a little
    // and the amber rim does the signalling.
    if (hot)
        Tile(c, palette::FillHotTop, palette::FillHotBottom, 0.025, 21);
    else
        Tile(c, palette::FillTop, palette::FillBottom, 0.025, 21);
    // A slate rim keeps the light cells apart from the cream sheet between them.
    Rim(
        c, [](cairo_t* cr) { RoundedRect(cr, 1.5, 1.5, 29, 29, 2.5); }, palette::InkSoft, 0.55, 1.0);
    if (hot)
        Rim(
            c, [](cairo_t* cr) { RoundedRect(cr, 2.6, 2.6, 26.8, 26.8, 2.0); }, palette::AmberDeep, 0.95, 1.4);
    c.SavePng(file);
}

// The keyboard's cell cursor: a broad amber frame that lies around the cell,
// over the grid line between it and its neighbours, so that it hides none of
// the pencil marks of the cell being edited and only the rims of the cells
// beside it. It is drawn 40 units a side (4 beyond the cell all round).
void CellCursor(const path& file, int scale) {
    CellCanvas cell(scale, kCell + 8);
    Canvas& c = cell.c;
    Rim(
        c, [](cairo_t* cr) { RoundedRect(cr, 3.85, 3.85, 32.3, 32.3, 3.5); }, palette::AmberDeep, 1.0, 2.1);
    // Short ticks at the corners, where four grid lines meet and no cell has
    // anything to show, set it apart from the pointer's thinner rim at a glance.
    cairo_t* cr = c.cr();
    cairo_set_line_width(cr, 1.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    SetColor(cr, palette::AmberDeep);
    for (auto [cx, cy, dx, dy] : {std::array<double, 4>{2.2, 2.2, 1, 1}, std::array<double, 4>{37.8, 2.2, -1, 1},
                                  std::array<double, 4>{2.2, 37.8, 1, -1}, std::array<double, 4>{37.8, 37.8, -1, -1}}) {
        cairo_move_to(cr, cx + dx * 3.5, cy);
        cairo_line_to(cr, cx, cy);
        cairo_line_to(cr, cx, cy + dy * 3.5);
        cairo_stroke(cr);
    }
    c.SavePng(file);
}

void BlockCell(const path& file, int scale) {
    CellCanvas cell(scale);
    Tile(cell.c, palette::ClueInk, palette::ClueInkShade, 0.05, 22);
    TileEdges(cell.c, 0.06);
    cell.c.SavePng(file);
}

enum class Lit { None, Down, Across };

// A clue cell is a square of deep ink card folded along its diagonal: the
// lower-left half (the down clue) faces the light, the upper-right half (the
// across clue) lies in its shade, and the crease between them is amber. The
// lit half stays dark enough for the white and light red of the numbers.
void ClueCell(const path& file, Lit lit, int scale) {
    CellCanvas cell(scale);
    Canvas& c = cell.c;
    cairo_t* cr = c.cr();
    auto lower = [](cairo_t* k) {
        cairo_move_to(k, 1, 1);
        cairo_line_to(k, 31, 31);
        cairo_line_to(k, 1, 31);
        cairo_close_path(k);
    };
    auto upper = [](cairo_t* k) {
        cairo_move_to(k, 1, 1);
        cairo_line_to(k, 31, 1);
        cairo_line_to(k, 31, 31);
        cairo_close_path(k);
    };
    cairo_save(cr);
    RoundedRect(cr, 1, 1, 30, 30, 3);
    cairo_clip(cr);
    lower(cr);
    SetColor(cr, lit == Lit::Down ? palette::ClueLit : rgb(21, 31, 58));
    cairo_fill(cr);
    upper(cr);
    SetColor(cr, lit == Lit::Across ? palette::ClueLit : palette::ClueInkShade);
    cairo_fill(cr);
    cairo_restore(cr);
    PaperGrain(c, 0.05, 23);
    TileEdges(c, 0.08);
    cairo_save(cr);
    RoundedRect(cr, 1, 1, 30, 30, 3);
    cairo_clip(cr);
    // The crease: a thin amber line with its shadow on the shaded side.
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 2, 1);
    cairo_line_to(cr, 31, 30);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_stroke(cr);
    cairo_move_to(cr, 1, 1.6);
    cairo_line_to(cr, 30.4, 31);
    cairo_set_line_width(cr, 1.1);
    SetColor(cr, palette::AmberDeep, 0.8);
    cairo_stroke(cr);
    cairo_restore(cr);
    // The lit half is marked along the fold: the clue's digits fill its
    // outer corner, where an edge would run through them.
    if (lit != Lit::None) {
        cairo_save(cr);
        RoundedRect(cr, 1, 1, 30, 30, 3);
        cairo_clip(cr);
        const double side = lit == Lit::Down ? 1.2 : -1.2;
        cairo_move_to(cr, 2 - side, 2 + side);
        cairo_line_to(cr, 30 - side, 30 + side);
        cairo_set_line_width(cr, 2.2);
        SetColor(cr, palette::AmberBright, 0.95);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    c.SavePng(file);
}

// ------------------------------------------------------------ lettering

void Ornament(cairo_t* cr, double cx, double cy, double size) {
    // A tiny square folded corner to corner.
    cairo_move_to(cr, cx, cy - size);
    cairo_line_to(cr, cx + size, cy);
    cairo_line_to(cr, cx, cy + size);
    cairo_close_path(cr);
    SetColor(cr, palette::AmberDeep);
    cairo_fill(cr);
    cairo_move_to(cr, cx, cy - size);
    cairo_line_to(cr, cx - size, cy);
    cairo_line_to(cr, cx, cy + size);
    cairo_close_path(cr);
    SetColor(cr, palette::AmberBright);
    cairo_fill(cr);
}

// Screen headers: large cream lettering with the fold, between two folded
// squares, on a transparent ground (the game adds a pulsing glow).
void Header(const path& file, const std::string& text, int w, int h, int scale) {
    Canvas c(w, h, scale);
    cairo_t* cr = c.cr();
    UseFont(cr, Face::Bold, 50);
    const double px = FitFont(cr, Face::Bold, 50, text, w - 90);
    const double baseline = h / 2.0 + CapHeight(cr) / 2;
    FoldedLettering(c, Face::Bold, px, text, palette::Cream, "", palette::Cream, w / 2.0, baseline, true);
    UseFont(cr, Face::Bold, px);
    const double half = TextWidth(cr, text) / 2;
    const double oy = baseline - CapHeight(cr) / 2;
    Ornament(cr, w / 2.0 - half - 24, oy, 7);
    Ornament(cr, w / 2.0 + half + 24, oy, 7);
    c.SavePng(file);
}

void Label(const path& file, const std::string& text, int w, int h, int scale) {
    Canvas c(w, h, scale);
    cairo_t* cr = c.cr();
    UseFont(cr, Face::Bold, 26);
    const double baseline = h / 2.0 + CapHeight(cr) / 2 - 3;
    FoldedLettering(c, Face::Bold, 26, text, palette::Cream, "", palette::Cream, w / 2.0, baseline, true);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, w / 2.0 - 22, baseline + 8);
    cairo_line_to(cr, w / 2.0 + 22, baseline + 8);
    SetColor(cr, palette::Amber);
    cairo_stroke(cr);
    c.SavePng(file);
}

void NoteIcon(cairo_t* cr, double x, double y, double s) {
    // Two beamed quavers.
    cairo_set_line_width(cr, s * 0.09);
    cairo_move_to(cr, x + s * 0.3, y + s * 0.78);
    cairo_line_to(cr, x + s * 0.3, y + s * 0.12);
    cairo_line_to(cr, x + s * 0.85, y + s * 0.02);
    cairo_line_to(cr, x + s * 0.85, y + s * 0.68);
    cairo_stroke(cr);
    cairo_move_to(cr, x + s * 0.3, y + s * 0.12);
    cairo_line_to(cr, x + s * 0.85, y + s * 0.02);
    cairo_line_to(cr, x + s * 0.85, y + s * 0.2);
    cairo_line_to(cr, x + s * 0.3, y + s * 0.3);
    cairo_close_path(cr);
    cairo_fill(cr);
    for (double nx : {0.3, 0.85}) {
        const double ny = nx < 0.5 ? 0.8 : 0.7;
        cairo_save(cr);
        cairo_translate(cr, x + s * (nx - 0.11), y + s * ny);
        cairo_scale(cr, 1.3, 1);
        cairo_arc(cr, 0, 0, s * 0.11, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
}

void SpeakerIcon(cairo_t* cr, double x, double y, double s) {
    cairo_move_to(cr, x, y + s * 0.35);
    cairo_line_to(cr, x + s * 0.22, y + s * 0.35);
    cairo_line_to(cr, x + s * 0.5, y + s * 0.08);
    cairo_line_to(cr, x + s * 0.5, y + s * 0.92);
    cairo_line_to(cr, x + s * 0.22, y + s * 0.65);
    cairo_line_to(cr, x, y + s * 0.65);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, s * 0.08);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (double r : {0.22, 0.38}) {
        cairo_arc(cr, x + s * 0.55, y + s * 0.5, s * r, -M_PI / 4, M_PI / 4);
        cairo_stroke(cr);
    }
}

// "music" and "sound" stand left of the volume sliders, centred at x 242.
void VolumeLabel(const path& file, const std::string& text, bool music) {
    const int w = 170, h = 44;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    UseFont(cr, Face::Bold, 26);
    const double tw = TextWidth(cr, text);
    const double icon = 26, gap = 10;
    const double x0 = (w - (icon + gap + tw)) / 2;
    const double baseline = h / 2.0 + CapHeight(cr) / 2;
    auto drawIcon = [&](cairo_t* k) {
        if (music)
            NoteIcon(k, x0, h / 2.0 - icon / 2, icon);
        else
            SpeakerIcon(k, x0, h / 2.0 - icon / 2, icon);
    };
    SoftShadow(c, drawIcon, 0, 1.5, 2, 0.6);
    SetColor(cr, palette::Amber);
    drawIcon(cr);
    FoldedLettering(c, Face::Bold, 26, text, palette::Cream, "", palette::Cream, x0 + icon + gap + tw / 2, baseline,
                    true);
    c.SavePng(file);
}

// ------------------------------------------------------------ cards and panels

void FoldIcon(cairo_t* cr, double x, double y, double s) {
    // A square sheet half folded along its diagonal.
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + s, y);
    cairo_line_to(cr, x, y + s);
    cairo_close_path(cr);
    SetColor(cr, palette::Ink);
    cairo_fill(cr);
    cairo_move_to(cr, x + s, y);
    cairo_line_to(cr, x + s * 0.78, y + s * 0.78);
    cairo_line_to(cr, x, y + s);
    cairo_close_path(cr);
    SetColor(cr, palette::Amber);
    cairo_fill(cr);
    cairo_move_to(cr, x + s, y);
    cairo_line_to(cr, x, y + s);
    cairo_set_line_width(cr, 1.2);
    SetColor(cr, palette::AmberDeep);
    cairo_stroke(cr);
}

// A notice card centred on the screen ("paused", "generating", "solving").
void Notice(const path& file, int w, int h, const std::string& title, const std::string& line, bool icon,
            std::uint32_t seed, int scale) {
    Canvas c(w, h, scale);
    cairo_t* cr = c.cr();
    const double m = 12;
    PaintCard(c, m, m - 4, w - 2 * m, h - 2 * m, seed);
    if (icon) FoldIcon(cr, m + 24, h / 2.0 - 26, 44);
    // Keep the text clear of the icon and of the folded corner.
    const double left = icon ? m + 24 + 44 + 14 : m + 26, right = w - m - 26;
    const double textX = (left + right) / 2, room = right - left;
    FitFont(cr, Face::Bold, 32, title, room);
    SetColor(cr, palette::Ink);
    DrawText(cr, title, textX, h / 2.0 - 7, Align::Centre);
    FitFont(cr, Face::Regular, 18, line, room);
    SetColor(cr, palette::MutedDeep);
    DrawText(cr, line, textX, h / 2.0 + 19, Align::Centre);
    c.SavePng(file);
}

void PanelPicture(const path& file, int w, int h, double alpha, std::uint32_t seed) {
    Canvas c(w, h);
    PaintPanel(c, 4, 3, w - 8, h - 10, alpha, seed);
    c.SavePng(file);
}

// The well a name is typed into on the dialog panels: a rounded hollow pressed
// into the ink-blue paper, darker than the panel, lit along its lower lip.
// The game stretches it to its entry box (30 pixels high for the 20-pixel
// font) and keeps its 8-pixel corners; it is opaque so that the stretched
// pieces meet without a seam.
void InputField(const path& file) {
    const int w = 96, h = 30;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    const double x = 0, y = 0, fw = w, fh = h, r = 7;
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + fh);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0.030, 0.050, 0.105);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.060, 0.090, 0.170);
    RoundedRect(cr, x, y, fw, fh, r);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    // The hollow's upper wall is in shadow.
    cairo_save(cr);
    RoundedRect(cr, x, y, fw, fh, r);
    cairo_clip(cr);
    cairo_pattern_t* inner = cairo_pattern_create_linear(0, y, 0, y + 6);
    cairo_pattern_add_color_stop_rgba(inner, 0, 0, 0, 0, 0.45);
    cairo_pattern_add_color_stop_rgba(inner, 1, 0, 0, 0, 0);
    cairo_set_source(cr, inner);
    cairo_paint(cr);
    cairo_pattern_destroy(inner);
    cairo_restore(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, fw - 1, fh - 1, r - 0.5);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::InkSoft, 0.9);
    cairo_stroke(cr);
    // Light catches the lower lip.
    cairo_move_to(cr, x + r, y + fh - 0.5);
    cairo_line_to(cr, x + fw - r, y + fh - 0.5);
    SetColor(cr, palette::Cream, 0.22);
    cairo_stroke(cr);
    c.SavePng(file);
}

// The end-of-puzzle panel: its three buttons (26 pixels high, 10 apart) are
// centred on the screen, 251 to 349, so its title sits in the top strip.
void EndLevel(const path& file) {
    const int w = 320, h = 240;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    PaintPanel(c, 4, 3, w - 8, h - 10, 0.96, 61);
    FoldedLettering(c, Face::Bold, 34, "Puzzle ", palette::Cream, "solved!", palette::Amber, w / 2.0, 52, true);
    // Scattered paper stars around the title.
    const double stars[][3] = {{38, 30, 5}, {284, 40, 4}, {60, 58, 3}, {262, 24, 3}, {30, 206, 4}, {290, 200, 5}};
    for (const auto& s : stars) Ornament(cr, s[0], s[1], s[2]);
    c.SavePng(file);
}

// ------------------------------------------------------------ slider

// The volume sliders are drawn at x 346 (y 80 and 136) with a 22-pixel dead
// end on each side; the marker is drawn from the bar's top edge.
void SliderBar(const path& file) {
    const int w = 290, h = 26;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    const double gx = 12, gw = w - 24, gy = 9, gh = 8;
    RoundedRect(cr, gx, gy, gw, gh, 4);
    SetColor(cr, palette::InkDeep, 0.85);
    cairo_fill(cr);
    RoundedRect(cr, gx + 0.5, gy + 0.5, gw - 1, gh - 1, 3.5);
    cairo_set_line_width(cr, 1);
    SetColor(cr, palette::Cream, 0.45);
    cairo_stroke(cr);
    cairo_move_to(cr, gx + 4, gy + 1.5);
    cairo_line_to(cr, gx + gw - 4, gy + 1.5);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_stroke(cr);
    for (int i = 0; i <= 4; ++i) {
        const double x = 22 + i * (w - 44) / 4.0;
        cairo_arc(cr, x, h - 3, i % 2 == 0 ? 1.8 : 1.2, 0, 2 * M_PI);
        SetColor(cr, palette::Cream, 0.7);
        cairo_fill(cr);
    }
    c.SavePng(file);
}

void SliderMarker(const path& file) {
    const int w = 22, h = 26;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    TabGeometry g{3, 1, 16, 21, 4, 5, 2, 2};
    PaintTab(c, g, TabState::Normal, 71);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 11, 6);
    cairo_line_to(cr, 11, 17);
    SetColor(cr, palette::Amber);
    cairo_stroke(cr);
    c.SavePng(file);
}

// ------------------------------------------------------------ logos

void Logo(const path& file, int w, int h, double px, bool tagline, int scale) {
    Canvas c(w, h, scale);
    cairo_t* cr = c.cr();
    UseFont(cr, Face::Bold, px);
    const double baseline = tagline ? h * 0.66 : h / 2.0 + CapHeight(cr) / 2;
    FoldedLettering(c, Face::Bold, px, "Tally", palette::Cream, "fold", palette::Amber, w / 2.0, baseline, true);
    if (tagline) {
        UseFont(cr, Face::Bold, 17);
        const std::string words = "KAKURO  \u00b7  CROSS SUMS";
        // Letter-spaced by hand: cairo's toy text has no tracking.
        double total = 0;
        const double tracking = 3.2;
        std::string glyph;
        std::vector<std::string> glyphs;
        for (size_t i = 0; i < words.size();) {
            size_t n = 1;
            const unsigned char b = static_cast<unsigned char>(words[i]);
            if (b >= 0xC0) n = b >= 0xE0 ? 3 : 2;
            glyphs.push_back(words.substr(i, n));
            i += n;
        }
        for (const auto& g : glyphs) total += TextWidth(cr, g) + tracking;
        total -= tracking;
        double x = w / 2.0 - total / 2;
        const double y = baseline + 34;
        SetColor(cr, palette::Cream, 0.8);
        for (const auto& g : glyphs) {
            DrawText(cr, g, x, y);
            x += TextWidth(cr, g) + tracking;
        }
        cairo_set_line_width(cr, 1);
        for (double side : {-1.0, 1.0}) {
            const double from = w / 2.0 + side * (total / 2 + 12), to = w / 2.0 + side * (total / 2 + 60);
            cairo_move_to(cr, from, y - 5.5);
            cairo_line_to(cr, to, y - 5.5);
            SetColor(cr, palette::Amber, 0.8);
            cairo_stroke(cr);
        }
    }
    c.SavePng(file);
}

// The maker's mark for the start-up splash, shown centred on black: a paper
// crane in flat folded facets above the name.
void MakerLogo(const path& file) {
    const int w = 440, h = 260;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    struct Facet {
        double p[4][2];
        int n;
        Rgb colour;
    };
    const Facet crane[] = {
        {{{160, 112}, {222, 36}, {214, 118}}, 3, palette::CreamShade},          // left wing, far side
        {{{214, 118}, {222, 36}, {238, 112}}, 3, palette::Cream},               // left wing, near side
        {{{226, 116}, {318, 30}, {246, 122}}, 3, palette::AmberDeep},           // right wing
        {{{246, 122}, {318, 30}, {262, 120}}, 3, palette::Amber},               //
        {{{176, 128}, {220, 108}, {264, 128}, {220, 150}}, 4, palette::Cream},  // body
        {{{176, 128}, {220, 128}, {220, 150}}, 3, palette::CreamShade},         //
        {{{180, 130}, {190, 126}, {138, 82}}, 3, palette::Cream},               // neck
        {{{138, 82}, {128, 92}, {146, 88}}, 3, palette::AmberBright},           // head
        {{{252, 130}, {262, 126}, {304, 86}}, 3, palette::CreamShade},          // tail
    };
    for (const Facet& f : crane) {
        cairo_move_to(cr, f.p[0][0], f.p[0][1]);
        for (int i = 1; i < f.n; ++i) cairo_line_to(cr, f.p[i][0], f.p[i][1]);
        cairo_close_path(cr);
        SetColor(cr, f.colour);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 0.8);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        SetColor(cr, palette::Ink, 0.35);
        cairo_stroke(cr);
    }
    UseFont(cr, Face::Bold, 40);
    const std::string name = "VELLACOR";
    const double tracking = 9;
    double total = -tracking;
    for (char ch : name) total += TextWidth(cr, std::string(1, ch)) + tracking;
    double x = w / 2.0 - total / 2;
    SetColor(cr, palette::Cream);
    for (char ch : name) {
        DrawText(cr, std::string(1, ch), x, 208);
        x += TextWidth(cr, std::string(1, ch)) + tracking;
    }
    UseFont(cr, Face::Regular, 18);
    const std::string games = "G A M E S";
    SetColor(cr, palette::Amber);
    DrawText(cr, games, w / 2.0, 238, Align::Centre);
    c.SavePng(file);
}

// ------------------------------------------------------------ pointer

// The game draws its own pointer with the hot spot at the picture's top-left
// pixel. Its sparkle trail picks points up to 20 pixels short of the width
// and 25 short of the height, so the picture must be larger than that.
void Pointer(const path& file) {
    Canvas c(32, 40);
    cairo_t* cr = c.cr();
    auto arrow = [](cairo_t* k) {
        cairo_move_to(k, 1, 1);
        cairo_line_to(k, 1, 27);
        cairo_line_to(k, 7.5, 21);
        cairo_line_to(k, 12, 31);
        cairo_line_to(k, 16.5, 29);
        cairo_line_to(k, 12, 19.5);
        cairo_line_to(k, 20.5, 19.5);
        cairo_close_path(k);
    };
    SoftShadow(c, arrow, 1.5, 2, 3, 0.55);
    // The arrow is a folded sheet too: the left half lit, the right in shade.
    arrow(cr);
    SetColor(cr, palette::CreamBright);
    cairo_fill(cr);
    cairo_save(cr);
    arrow(cr);
    cairo_clip(cr);
    cairo_move_to(cr, 1, 1);
    cairo_line_to(cr, 14, 25);
    cairo_line_to(cr, 22, 19.5);
    cairo_close_path(cr);
    SetColor(cr, palette::CreamShade);
    cairo_fill(cr);
    cairo_restore(cr);
    arrow(cr);
    cairo_set_line_width(cr, 1.4);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColor(cr, palette::Ink);
    cairo_stroke(cr);
    c.SavePng(file);
}

// ------------------------------------------------------------ help picture

// Drawn centred at (165, 300) beside the help texts: a tiny finished puzzle
// with its sums spelled out.
void HelpImage(const path& file) {
    const int w = 220, h = 330;
    Canvas c(w, h);
    cairo_t* cr = c.cr();
    const double cell = 54, bx = (w - 3 * cell) / 2, by = 16;
    PaintCard(c, bx - 12, by - 10, 3 * cell + 24, 3 * cell + 22, 81);
    struct Square {
        int kind;  // 0 digit, 1 block, 2 clue
        int down, across, digit;
    };
    const Square grid[3][3] = {
        {{1, 0, 0, 0}, {2, 17, 0, 0}, {2, 8, 0, 0}},
        {{2, 0, 16, 0}, {0, 0, 0, 9}, {0, 0, 0, 7}},
        {{2, 0, 9, 0}, {0, 0, 0, 8}, {0, 0, 0, 1}},
    };
    for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) {
            const Square& s = grid[r][col];
            const double x = bx + col * cell + 1, y = by + r * cell + 1, e = cell - 2;
            cairo_save(cr);
            RoundedRect(cr, x, y, e, e, 4);
            cairo_clip(cr);
            if (s.kind == 0) {
                SetColor(cr, palette::FillTop);
                cairo_paint(cr);
            } else if (s.kind == 1) {
                SetColor(cr, palette::ClueInk);
                cairo_paint(cr);
            } else {
                cairo_move_to(cr, x, y);
                cairo_line_to(cr, x + e, y + e);
                cairo_line_to(cr, x, y + e);
                cairo_close_path(cr);
                SetColor(cr, rgb(21, 31, 58));
                cairo_fill(cr);
                cairo_move_to(cr, x, y);
                cairo_line_to(cr, x + e, y);
                cairo_line_to(cr, x + e, y + e);
                cairo_close_path(cr);
                SetColor(cr, palette::ClueInkShade);
                cairo_fill(cr);
                cairo_move_to(cr, x, y + 1);
                cairo_line_to(cr, x + e - 1, y + e);
                cairo_set_line_width(cr, 1.4);
                SetColor(cr, palette::AmberDeep, 0.8);
                cairo_stroke(cr);
            }
            cairo_restore(cr);
            SetColor(cr, s.kind == 0 ? palette::Ink : Rgb{1, 1, 1});
            if (s.kind == 0) {
                UseFont(cr, Face::Regular, 34);
                DrawTextCentred(cr, std::to_string(s.digit), x + e / 2, y + e / 2);
            } else if (s.kind == 2) {
                UseFont(cr, Face::Bold, 19);
                if (s.down) DrawText(cr, std::to_string(s.down), x + 4, y + e - 5);
                if (s.across) DrawText(cr, std::to_string(s.across), x + e - 4, y + 20, Align::Right);
            }
        }
    }
    const char* lines[] = {"9 + 7 = 16 across", "9 + 8 = 17 down", "7 + 1 = 8 down", "8 + 1 = 9 across"};
    UseFont(cr, Face::Bold, 19);
    double y = by + 3 * cell + 46;
    for (const char* line : lines) {
        SetColor(cr, palette::Cream);
        DrawText(cr, line, w / 2.0, y, Align::Centre);
        y += 25;
    }
    UseFont(cr, Face::Regular, 17);
    SetColor(cr, palette::AmberBright);
    DrawText(cr, "no digit twice in a run", w / 2.0, y + 4, Align::Centre);
    c.SavePng(file);
}

}  // namespace

// The lettered and finely lined pictures are made at 1x and, as
// NAME@2x.png, at 2x.
template <typename Draw>
int AtBothSizes(const path& file, Draw draw) {
    draw(file, 1);
    draw(path(file).replace_extension().concat("@2x.png"), 2);
    return 2;
}

int MakeGraphics(const std::filesystem::path& g) {
    int n = 0;
    auto count = [&n] { ++n; };
    auto logo = [&](const char* name, int w, int h, double px, bool tagline) {
        n += AtBothSizes(g / name, [&](const path& f, int k) { Logo(f, w, h, px, tagline, k); });
    };
    auto header = [&](const char* name, const std::string& text, int w, int h) {
        n += AtBothSizes(g / name, [&](const path& f, int k) { Header(f, text, w, h, k); });
    };
    auto label = [&](const char* name, const std::string& text, int w, int h) {
        n += AtBothSizes(g / name, [&](const path& f, int k) { Label(f, text, w, h, k); });
    };
    auto both = [&](const char* name, auto draw) { n += AtBothSizes(g / name, draw); };
    both("cell.png", [](const path& f, int k) { PlayingCell(f, false, k); });
    both("cellmo.png", [](const path& f, int k) { PlayingCell(f, true, k); });
    both("bordercell.png", [](const path& f, int k) { BlockCell(f, k); });
    both("bordersumcell.png", [](const path& f, int k) { ClueCell(f, Lit::None, k); });
    both("bordersumcellvmo.png", [](const path& f, int k) { ClueCell(f, Lit::Down, k); });
    both("bordersumcellhmo.png", [](const path& f, int k) { ClueCell(f, Lit::Across, k); });
    both("cellcursor.png", [](const path& f, int k) { CellCursor(f, k); });

    Pointer(g / "pointer.png"), count();
    auto notice = [&](const char* name, int w, int h, const char* title, const char* line, bool icon, int seed) {
        both(name, [&](const path& f, int k) { Notice(f, w, h, title, line, icon, seed, k); });
    };
    notice("paused.png", 380, 150, "Paused", "Click or press P to carry on", false, 31);
    notice("generating.png", 440, 140, "Folding a new puzzle\u2026", "one moment, please", true, 32);
    notice("solving.png", 440, 140, "Checking your puzzle\u2026", "looking for its solutions", true, 33);

    // Dialog panels: the text-entry dialogs are about 190 pixels high once
    // caption, entry box and buttons are stacked; the yes/no and message
    // dialogs use the same long panel.
    PanelPicture(g / "input.png", 400, 190, 0.97, 41), count();
    PanelPicture(g / "inputlong.png", 480, 190, 0.97, 42), count();
    InputField(g / "inputfield.png"), count();
    // Save game manager: eight 34-pixel list rows between the caption and a
    // row of three buttons; the scroll arrows sit at x 616 on its right.
    PanelPicture(g / "manager.png", 520, 440, 0.97, 43), count();
    // Behind the help texts (centred at 400, 300) and the high score table
    // (centred at 400, 284, rows from x 80 to 720).
    PanelPicture(g / "blackback.png", 720, 400, 0.84, 44), count();
    EndLevel(g / "endlevelback.png"), count();

    logo("logo.png", 560, 170, 108, true);                   // centred at (400, 100)
    logo("logosmall.png", 184, 60, 46, false);               // centred at (102, 50)
    header("playoptionsheader.png", "New Puzzle", 460, 80);  // (400, 100)
    header("optionsheader.png", "Options", 420, 72);         // (400, 40)
    header("helpheader.png", "How to Play", 460, 76);        // (400, 50)
    header("highscoresheader.png", "Best Times", 460, 76);   // (400, 50)
    header("dailyheader.png", "Daily Puzzle", 460, 76);      // (400, 50)
    header("statisticsheader.png", "Statistics", 460, 76);   // (400, 50)
    label("sizelabel.png", "Board Size", 200, 40);           // (220, 205)
    label("difficultylabel.png", "Difficulty", 200, 40);     // (560, 205)
    VolumeLabel(g / "music.png", "Music", true), count();    // (242, 93)
    VolumeLabel(g / "sound.png", "Sound", false), count();   // (242, 149)
    SliderBar(g / "slider.png"), count();
    SliderMarker(g / "marker.png"), count();
    HelpImage(g / "helpimage.png"), count();
    MakerLogo(g / "splash.png"), count();
    return n;
}

}  // namespace assets
