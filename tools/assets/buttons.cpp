// SPDX-License-Identifier: GPL-3.0-or-later
// Every button picture. A button is a paper tab with its caption printed in
// ink; the game adds "MO" (pointer over it), "_down" (pressed), for radio and
// toggle buttons "On" and "OnMO" (lit), and for buttons that can be out of
// use "_disabled" to the name.
//
// Sizes follow the places the screens put them:
//  - title column: seven 42-pixel buttons with 5 pixels between them, centred
//    and moved 50 pixels down, stay clear of the logo and the version line;
//    with "continue" on top, eight start just under the logo;
//  - play screen: the main menu (six buttons, 6-pixel gaps) starts at y 100
//    and the aid menu (seven, 4-pixel gaps) at y 280 above the timer at y 459,
//    so a button is at most 22 pixels high, and they must end before the sheet
//    under the board (x 212);
//  - number column: ten buttons with 7-pixel gaps, centred vertically at
//    x 730, must end above the message line at the bottom (y 540);
//  - setup screen: the size and difficulty columns are centred under their
//    labels (x 220 and x 560) and stacked without gaps; "Enter Code" and "Open
//    File" make a row of small buttons under the main row, above the edge;
//  - the strip over the board's paper (y 0 to 25) holds two 22-pixel buttons;
//  - one button picture is shared by the setup screen's "load" and the save
//    game manager's "Load", so every row and dialog button has the same size.

#include "palette.h"
#include "paper.h"
#include "pictures.h"

#include <cmath>
#include <string>
#include <vector>

namespace assets {

namespace {

enum class Kind { Plain, Radio, Toggle };
enum class Icon { None, Eraser, Clue, Up, Down, Left, Right };

struct Button {
    std::string file;
    int w, h;
    std::string label;
    Kind kind;
    double px;
    Icon icon = Icon::None;
    // Can be out of use (a picture "_disabled" is made).
    bool disables = false;
};

constexpr int kTitleW = 250, kTitleH = 42;
constexpr int kRowW = 140, kRowH = 44;
constexpr int kSmallW = 176, kSmallH = 22;
constexpr int kNumber = 40;
// Eight option toggles, 4 pixels apart, fit between y 182 and the OK button.
constexpr int kToggleW = 360, kToggleH = 40;

std::vector<Button> AllButtons() {
    std::vector<Button> b;
    // Title screen.
    b.push_back({"continue", kTitleW, kTitleH, "Continue", Kind::Plain, 24});
    b.push_back({"play", kTitleW, kTitleH, "Play", Kind::Plain, 24});
    b.push_back({"daily", kTitleW, kTitleH, "Daily Puzzle", Kind::Plain, 24});
    b.push_back({"statistics", kTitleW, kTitleH, "Statistics", Kind::Plain, 24});
    b.push_back({"help", kTitleW, kTitleH, "How to Play", Kind::Plain, 24});
    b.push_back({"options", kTitleW, kTitleH, "Options", Kind::Plain, 24});
    b.push_back({"highscore", kTitleW, kTitleH, "Best Times", Kind::Plain, 24});
    b.push_back({"exit", kTitleW, kTitleH, "Exit", Kind::Plain, 24});
    // Play setup screen.
    for (int n : {6, 7, 9, 12, 14}) {
        const std::string size = std::to_string(n) + "x" + std::to_string(n);
        b.push_back({size, 110, 48, std::to_string(n) + " \u00d7 " + std::to_string(n), Kind::Radio, 23});
    }
    b.push_back({"easy", 190, 48, "Easy", Kind::Radio, 23});
    b.push_back({"medium", 190, 48, "Medium", Kind::Radio, 23});
    b.push_back({"hard", 190, 48, "Hard", Kind::Radio, 23});
    b.push_back({"playsmall", kRowW, kRowH, "Play", Kind::Plain, 22});
    b.push_back({"customsmall", kRowW, kRowH, "Own Puzzle", Kind::Plain, 22});
    b.push_back({"load", kRowW, kRowH, "Load", Kind::Plain, 22});
    b.push_back({"backsmall", kRowW, kRowH, "Back", Kind::Plain, 22});
    // Puzzles from elsewhere, in a row of their own under the main row.
    b.push_back({"entercode", kSmallW, kSmallH, "Enter Code", Kind::Plain, 16});
    b.push_back({"openfile", kSmallW, kSmallH, "Open File", Kind::Plain, 16});
    // Play screen: number column, menus and the end-of-puzzle panel.
    b.push_back({"0", kNumber, kNumber, "", Kind::Radio, 25, Icon::Eraser});
    for (int n = 1; n <= 9; ++n) b.push_back({std::to_string(n), kNumber, kNumber, std::to_string(n), Kind::Radio, 25});
    b.push_back({"10", kNumber, kNumber, "", Kind::Radio, 25, Icon::Clue});
    b.push_back({"pause", kSmallW, kSmallH, "Pause", Kind::Plain, 16});
    // Nothing is left to save once the puzzle is solved.
    b.push_back({"savegame", kSmallW, kSmallH, "Save Game", Kind::Plain, 16, Icon::None, true});
    b.push_back({"newpuzzle", kSmallW, kSmallH, "New Puzzle", Kind::Plain, 16});
    b.push_back({"restartpuzzle", kSmallW, kSmallH, "Restart Puzzle", Kind::Plain, 16});
    b.push_back({"backtomenu", kSmallW, kSmallH, "Back to Menu", Kind::Plain, 16});
    b.push_back({"showhidemistakes", kSmallW, kSmallH, "Show Mistakes", Kind::Toggle, 16});
    b.push_back({"showrandomcell", kSmallW, kSmallH, "Reveal a Cell", Kind::Plain, 16});
    b.push_back({"showdesiredcell", kSmallW, kSmallH, "Reveal Chosen Cell", Kind::Plain, 16});
    b.push_back({"showhideautomarkup", kSmallW, kSmallH, "Auto Pencil Marks", Kind::Toggle, 16});
    b.push_back({"showhidesolution", kSmallW, kSmallH, "Show Solution", Kind::Toggle, 16});
    b.push_back({"explainstep", kSmallW, kSmallH, "Explain a Step", Kind::Plain, 16});
    b.push_back({"tryfromhere", kSmallW, kSmallH, "Try From Here", Kind::Plain, 16});
    b.push_back({"undotolastcorrect", kSmallW, kSmallH, "Undo to Last Correct", Kind::Plain, 16});
    b.push_back({"checkplay", kSmallW, kSmallH, "Check and Play", Kind::Plain, 16});
    b.push_back({"nextpuzzle", kSmallW, kSmallH, "Next Puzzle", Kind::Plain, 16});
    // The strip over the paper: the puzzle's code and what passes it on.
    b.push_back({"copycode", 96, 22, "Copy Code", Kind::Plain, 14});
    b.push_back({"export", 96, 22, "Export", Kind::Plain, 14});
    // Options screen.
    b.push_back({"oksmall", kRowW, kRowH, "OK", Kind::Plain, 22});
    b.push_back({"fullscreen", kToggleW, kToggleH, "Full Screen", Kind::Toggle, 21});
    b.push_back({"showtimer", kToggleW, kToggleH, "Show Timer", Kind::Toggle, 21});
    b.push_back({"highlighter", kToggleW, kToggleH, "Highlight Runs Under the Pointer", Kind::Toggle, 21});
    b.push_back({"showremainingsum", kToggleW, kToggleH, "Show Remaining Sums", Kind::Toggle, 21});
    b.push_back({"showsumcombinations", kToggleW, kToggleH, "Show Sum Combinations", Kind::Toggle, 21});
    b.push_back({"preventdoublenumbers", kToggleW, kToggleH, "Prevent Double Digits", Kind::Toggle, 21});
    b.push_back({"checkruns", kToggleW, kToggleH, "Check Runs as You Go", Kind::Toggle, 21});
    b.push_back({"keeppencilmarks", kToggleW, kToggleH, "Keep Pencil Marks Up to Date", Kind::Toggle, 21});
    // Help screen: its pages, turned by two arrows beside the OK button.
    b.push_back({"pageback", kRowH, kRowH, "", Kind::Plain, 0, Icon::Left});
    b.push_back({"pagenext", kRowH, kRowH, "", Kind::Plain, 0, Icon::Right});
    // The help screen's welcome page button: the game prints its caption from
    // the text table.
    b.push_back({"blanktab", 170, kRowH, "", Kind::Plain, 0});
    // High score screen.
    for (int n : {6, 7, 9, 12, 14}) {
        const std::string size = std::to_string(n) + "x" + std::to_string(n);
        b.push_back({size + "button", 110, kRowH, std::to_string(n) + " \u00d7 " + std::to_string(n), Kind::Plain, 22});
    }
    b.push_back({"clear", kRowW, kRowH, "Clear", Kind::Plain, 22});
    // Its level choice; "alllevels" shows the table of the whole size.
    b.push_back({"alllevels", 110, 34, "All", Kind::Plain, 19});
    b.push_back({"easylevel", 110, 34, "Easy", Kind::Plain, 19});
    b.push_back({"mediumlevel", 110, 34, "Medium", Kind::Plain, 19});
    b.push_back({"hardlevel", 110, 34, "Hard", Kind::Plain, 19});
    // Dialogs and the save game manager ("Load" is the "load" above).
    b.push_back({"OK", kRowW, kRowH, "OK", Kind::Plain, 22});
    b.push_back({"Cancel", kRowW, kRowH, "Cancel", Kind::Plain, 22});
    b.push_back({"Yes", kRowW, kRowH, "Yes", Kind::Plain, 22});
    b.push_back({"No", kRowW, kRowH, "No", Kind::Plain, 22});
    b.push_back({"Delete", kRowW, kRowH, "Delete", Kind::Plain, 22});
    b.push_back({"Up", 36, 24, "", Kind::Plain, 0, Icon::Up});
    b.push_back({"Down", 36, 24, "", Kind::Plain, 0, Icon::Down});
    return b;
}

void DrawEraser(cairo_t* cr, double cx, double cy, double size) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, -M_PI / 5);
    const double w = size, h = size * 0.48;
    RoundedRect(cr, -w / 2, -h / 2, w, h, 2.5);
    SetColor(cr, rgb(228, 120, 128));
    cairo_fill(cr);
    RoundedRect(cr, -w / 2, -h / 2, w * 0.42, h, 2.5);
    SetColor(cr, palette::InkSoft);
    cairo_fill(cr);
    RoundedRect(cr, -w / 2 + 0.6, -h / 2 + 0.6, w - 1.2, h - 1.2, 2);
    cairo_set_line_width(cr, 1.3);
    SetColor(cr, palette::Ink);
    cairo_stroke(cr);
    cairo_restore(cr);
    // The smudge an eraser leaves behind.
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx - size * 0.45, cy + size * 0.55);
    cairo_curve_to(cr, cx - size * 0.15, cy + size * 0.42, cx + size * 0.1, cy + size * 0.66, cx + size * 0.42,
                   cy + size * 0.5);
    SetColor(cr, palette::Ink, 0.45);
    cairo_stroke(cr);
}

// The clue tool is drawn as a little clue cell: ink-blue with the fold.
void DrawClueIcon(cairo_t* cr, double cx, double cy, double size) {
    const double x = cx - size / 2, y = cy - size / 2;
    RoundedRect(cr, x, y, size, size, 2.5);
    SetColor(cr, palette::Ink);
    cairo_fill(cr);
    cairo_move_to(cr, x + 1, y + 1);
    cairo_line_to(cr, x + 1, y + size - 1);
    cairo_line_to(cr, x + size - 1, y + size - 1);
    cairo_close_path(cr);
    SetColor(cr, palette::InkSoft);
    cairo_fill(cr);
    cairo_move_to(cr, x + 1.5, y + 1.5);
    cairo_line_to(cr, x + size - 1.5, y + size - 1.5);
    cairo_set_line_width(cr, 1.2);
    SetColor(cr, palette::Cream, 0.85);
    cairo_stroke(cr);
    UseFont(cr, Face::Bold, size * 0.42);
    SetColor(cr, palette::CreamBright);
    DrawText(cr, "3", x + size * 0.12, y + size * 0.9);
    DrawText(cr, "7", x + size * 0.56, y + size * 0.44);
}

void DrawArrow(cairo_t* cr, double cx, double cy, double size, bool up) {
    const double d = up ? -1 : 1;
    cairo_move_to(cr, cx - size * 0.6, cy - d * size * 0.3);
    cairo_line_to(cr, cx + size * 0.6, cy - d * size * 0.3);
    cairo_line_to(cr, cx, cy + d * size * 0.4);
    cairo_close_path(cr);
    SetColor(cr, palette::Ink);
    cairo_fill(cr);
}

void DrawSideArrow(cairo_t* cr, double cx, double cy, double size, bool left) {
    const double d = left ? -1 : 1;
    cairo_move_to(cr, cx - d * size * 0.3, cy - size * 0.6);
    cairo_line_to(cr, cx - d * size * 0.3, cy + size * 0.6);
    cairo_line_to(cr, cx + d * size * 0.4, cy);
    cairo_close_path(cr);
    SetColor(cr, palette::Ink);
    cairo_fill(cr);
}

void DrawCheckbox(cairo_t* cr, double x, double cy, double size, bool on) {
    const double y = cy - size / 2;
    RoundedRect(cr, x, y, size, size, 2.5);
    if (on) {
        SetColor(cr, palette::Ink);
        cairo_fill(cr);
        cairo_set_line_width(cr, std::max(1.6, size * 0.14));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, x + size * 0.22, y + size * 0.52);
        cairo_line_to(cr, x + size * 0.42, y + size * 0.74);
        cairo_line_to(cr, x + size * 0.80, y + size * 0.26);
        SetColor(cr, palette::CreamBright);
        cairo_stroke(cr);
    } else {
        SetColor(cr, palette::CreamBright, 0.7);
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 1.2);
        SetColor(cr, palette::Ink, 0.6);
        cairo_stroke(cr);
    }
}

void Paint(const Button& b, TabState state, const std::filesystem::path& file, std::uint32_t seed, int scale) {
    Canvas canvas(b.w, b.h, scale);
    cairo_t* cr = canvas.cr();
    const TabGeometry g = PaintTab(canvas, TabFor(b.w, b.h), state, seed);
    const double cx = g.x + g.w / 2, cy = g.y + g.h / 2;
    const bool lit = state == TabState::On || state == TabState::OnOver;
    const Rgb ink = state == TabState::Disabled ? palette::Muted : palette::Ink;
    SetColor(cr, ink);
    switch (b.icon) {
        case Icon::Eraser:
            DrawEraser(cr, cx, cy - 1, g.h * 0.7);
            break;
        case Icon::Clue:
            DrawClueIcon(cr, cx, cy, g.h * 0.7);
            break;
        case Icon::Up:
            DrawArrow(cr, cx, cy, g.h * 0.55, true);
            break;
        case Icon::Down:
            DrawArrow(cr, cx, cy, g.h * 0.55, false);
            break;
        case Icon::Left:
            DrawSideArrow(cr, cx, cy, g.h * 0.45, true);
            break;
        case Icon::Right:
            DrawSideArrow(cr, cx, cy, g.h * 0.45, false);
            break;
        case Icon::None:
            if (b.kind == Kind::Toggle) {
                const double box = std::round(g.h * 0.52);
                const double bx = g.x + std::round(g.h * 0.36);
                DrawCheckbox(cr, bx, cy, box, lit);
                const double tx = bx + box + std::round(g.h * 0.34);
                FitFont(cr, Face::Bold, b.px, b.label, g.x + g.w - g.fold - tx - 2);
                SetColor(cr, ink);
                DrawText(cr, b.label, tx, cy + CapHeight(cr) / 2);
            } else {
                FitFont(cr, Face::Bold, b.px, b.label, g.w - 2 * g.fold);
                SetColor(cr, ink);
                DrawTextCentred(cr, b.label, cx, cy);
            }
            break;
    }
    canvas.SavePng(file);
}

}  // namespace

int MakeButtons(const std::filesystem::path& menus) {
    int written = 0;
    std::uint32_t seed = 1000;
    for (const Button& b : AllButtons()) {
        // Every state of one button shares its paper grain, so the picture
        // does not shimmer when the state changes.
        ++seed;
        // Each at 1x and at 2x, whose captions stay sharp on big screens.
        auto save = [&](const std::string& suffix, TabState state) {
            Paint(b, state, menus / (b.file + suffix + ".png"), seed, 1);
            Paint(b, state, menus / (b.file + suffix + "@2x.png"), seed, 2);
            written += 2;
        };
        save("", TabState::Normal);
        save("MO", TabState::Over);
        save("_down", TabState::Down);
        if (b.disables) save("_disabled", TabState::Disabled);
        if (b.kind != Kind::Plain) {
            save("On", TabState::On);
            save("OnMO", TabState::OnOver);
        }
    }
    return written;
}

}  // namespace assets
