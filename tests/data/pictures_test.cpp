// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures the game loads: present under the names it asks for, decodable,
// and sized for the places the screens draw them (800 x 600 logical screen).

#include "data_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace datatest;

namespace {

struct Size {
    int w = 0, h = 0;
};

// Loaded through the image bank from data/graphics (start-up, headers,
// labels, sliders, panels, the pointer and the maker's splash logo), and the
// window's icon.
const char* const kGraphics[] = {"pointer",
                                 "paused",
                                 "cell",
                                 "cellmo",
                                 "bordercell",
                                 "bordersumcell",
                                 "bordersumcellvmo",
                                 "bordersumcellhmo",
                                 "cellcursor",
                                 "generating",
                                 "solving",
                                 "music",
                                 "sound",
                                 "blackback",
                                 "input",
                                 "inputlong",
                                 "sizelabel",
                                 "difficultylabel",
                                 "helpimage",
                                 "manager",
                                 "endlevelback",
                                 "logo",
                                 "logosmall",
                                 "playoptionsheader",
                                 "optionsheader",
                                 "helpheader",
                                 "highscoresheader",
                                 "dailyheader",
                                 "statisticsheader",
                                 "slider",
                                 "marker",
                                 "splash",
                                 "inputfield",
                                 "icon"};

// Buttons, from data/menus; the game adds "MO" and (where it may show a
// pressed picture) "_down".
const char* const kPlainButtons[] = {"continue",
                                     "play",
                                     "help",
                                     "options",
                                     "highscore",
                                     "daily",
                                     "statistics",
                                     "alllevels",
                                     "easylevel",
                                     "mediumlevel",
                                     "hardlevel",
                                     "Exit",
                                     "pageback",
                                     "pagenext",
                                     "playsmall",
                                     "customsmall",
                                     "load",
                                     "backsmall",
                                     "pause",
                                     "savegame",
                                     "newpuzzle",
                                     "restartpuzzle",
                                     "backtomenu",
                                     "showrandomcell",
                                     "showdesiredcell",
                                     "explainstep",
                                     "tryfromhere",
                                     "undotolastcorrect",
                                     "checkplay",
                                     "nextpuzzle",
                                     "oksmall",
                                     "6x6button",
                                     "7x7button",
                                     "9x9button",
                                     "12x12button",
                                     "14x14button",
                                     "clear",
                                     "OK",
                                     "Cancel",
                                     "Yes",
                                     "No",
                                     "Delete",
                                     "Load",
                                     "Up",
                                     "Down"};

// Radio and toggle buttons also have a lit "On" picture and its "OnMO".
const char* const kLitButtons[] = {"6x6",
                                   "7x7",
                                   "9x9",
                                   "12x12",
                                   "14x14",
                                   "easy",
                                   "medium",
                                   "hard",
                                   "0",
                                   "1",
                                   "2",
                                   "3",
                                   "4",
                                   "5",
                                   "6",
                                   "7",
                                   "8",
                                   "9",
                                   "10",
                                   "showhidemistakes",
                                   "showhideautomarkup",
                                   "showhidesolution",
                                   "fullscreen",
                                   "showtimer",
                                   "highlighter",
                                   "showremainingsum",
                                   "showsumcombinations",
                                   "preventdoublenumbers",
                                   "checkruns",
                                   "keeppencilmarks"};

const char* const kArchivePictures[] = {"gamescreen1.jpg", "gamescreen2.jpg", "gamescreen3.jpg", "gamescreen4.jpg",
                                        "playscreen.jpg",  "titlescreen.jpg", "particle1.png",   "particle2.png"};

Size SizeOf(const fs::path& dir, const std::string& name) {
    const fs::path file = FindCaseless(dir, name);
    if (file.empty()) return {};
    const Picture p = LoadPicture(file);
    return {p.width, p.height};
}

Size Graphic(const std::string& name) { return SizeOf(DataDir() / "graphics", name + ".png"); }
Size Button(const std::string& name) { return SizeOf(DataDir() / "menus", name + ".png"); }

// A menu of n equal buttons stacked with gaps, as TMenu lays them out.
int Stack(int n, int h, int gap) { return n * h + (n - 1) * gap; }

}  // namespace

TEST(Pictures, EveryPictureTheGameLoadsExistsAndDecodes) {
    std::vector<std::pair<fs::path, std::string>> wanted;
    for (const char* g : kGraphics) wanted.push_back({DataDir() / "graphics", std::string(g) + ".png"});
    for (const char* b : kPlainButtons)
        for (const char* suffix : {"", "MO", "_down"})
            wanted.push_back({DataDir() / "menus", std::string(b) + suffix + ".png"});
    for (const char* b : kLitButtons)
        for (const char* suffix : {"", "MO", "_down", "On", "OnMO"})
            wanted.push_back({DataDir() / "menus", std::string(b) + suffix + ".png"});
    for (const char* a : kArchivePictures) wanted.push_back({PakStaging(), a});

    for (const auto& [dir, name] : wanted) {
        const fs::path file = FindCaseless(dir, name);
        ASSERT_FALSE(file.empty()) << (dir / name);
        const Picture p = LoadPicture(file);
        EXPECT_GT(p.width, 0) << file << " does not decode";
    }
}

TEST(Pictures, BoardAndBackgroundsHaveTheirFixedSizes) {
    // Made for the largest cells (64 pixels) and drawn smaller on larger boards;
    // the cursor reaches 4 of a 32-pixel cell's pixels beyond it all round.
    for (const char* cell : {"cell", "cellmo", "bordercell", "bordersumcell", "bordersumcellvmo", "bordersumcellhmo"}) {
        const Size s = Graphic(cell);
        EXPECT_EQ(s.w, 64) << cell;
        EXPECT_EQ(s.h, 64) << cell;
    }
    EXPECT_EQ(Graphic("cellcursor").w, 80);
    EXPECT_EQ(Graphic("cellcursor").h, 80);
    for (const char* bg : kArchivePictures) {
        if (std::string(bg).find(".jpg") == std::string::npos) continue;
        const Size s = SizeOf(PakStaging(), bg);
        EXPECT_EQ(s.w, 800) << bg;
        EXPECT_EQ(s.h, 600) << bg;
    }
}

TEST(Pictures, DigitsAndCluesStayReadableOnTheCells) {
    // The game prints digits in dark ink and mistakes in a deep red on the
    // light cells, clues in white and overspent sums in a light red on the clue
    // cells. Contrast as for accessible text: 4.5 for every one of them.
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    auto luminance = [&](const std::string& name, int x0, int y0, int x1, int y1) {
        const Picture p = LoadPicture(FindCaseless(DataDir() / "graphics", name + ".png"));
        const unsigned char* data = cairo_image_surface_get_data(p.surface);
        const int stride = cairo_image_surface_get_stride(p.surface);
        double sum = 0;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const std::uint32_t px = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
                if ((px >> 24) != 0xFF) continue;
                sum += 0.2126 * linear(((px >> 16) & 0xFF) / 255.0) + 0.7152 * linear(((px >> 8) & 0xFF) / 255.0) +
                       0.0722 * linear((px & 0xFF) / 255.0);
                ++n;
            }
        return n ? sum / n : 1.0;
    };
    auto ink = [&](int r, int g, int b) {
        return 0.2126 * linear(r / 255.0) + 0.7152 * linear(g / 255.0) + 0.0722 * linear(b / 255.0);
    };
    const double white = 1.0, lightRed = ink(255, 140, 140), digit = ink(24, 36, 66), mistake = ink(192, 24, 24);
    auto contrast = [](double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); };
    struct Region {
        const char* picture;
        int x0, y0, x1, y1;
    };
    // Where the text lands: the digit block of a playing cell, the lower-left
    // (down) and upper-right (across) clue corners of a clue cell.
    // In the pictures' own pixels, twice the game's 32-pixel cell.
    const Region cells[] = {{"cell", 12, 8, 52, 56}, {"cellmo", 12, 8, 52, 56}};
    for (const Region& r : cells) {
        const double l = luminance(r.picture, r.x0, r.y0, r.x1, r.y1);
        EXPECT_GE(contrast(digit, l), 4.5) << r.picture;
        EXPECT_GE(contrast(mistake, l), 4.5) << r.picture;
    }
    const Region clues[] = {{"bordersumcell", 6, 38, 28, 58},
                            {"bordersumcell", 36, 6, 58, 28},
                            {"bordersumcellvmo", 6, 38, 28, 58},
                            {"bordersumcellhmo", 36, 6, 58, 28}};
    for (const Region& r : clues) {
        const double l = luminance(r.picture, r.x0, r.y0, r.x1, r.y1);
        EXPECT_GE(contrast(white, l), 4.5) << r.picture;
        EXPECT_GE(contrast(lightRed, l), 4.5) << r.picture;
    }
}

TEST(Pictures, CellsToFillAndClueCellsAreToldApart) {
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    struct Stats {
        double mean = 0, brightest = 0;  // relative luminance
        double warmth = 0;               // mean red minus mean blue, 0..255
    };
    // Over the opaque pixels of a region, by default all inside the grid line.
    auto stats = [&](const std::string& name, int x0 = 4, int y0 = 4, int x1 = 60, int y1 = 60) {
        const Picture p = LoadPicture(FindCaseless(DataDir() / "graphics", name + ".png"));
        const unsigned char* data = cairo_image_surface_get_data(p.surface);
        const int stride = cairo_image_surface_get_stride(p.surface);
        Stats s;
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const std::uint32_t px = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
                if ((px >> 24) != 0xFF) continue;
                const int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
                const double l = 0.2126 * linear(r / 255.0) + 0.7152 * linear(g / 255.0) + 0.0722 * linear(b / 255.0);
                s.mean += l;
                s.brightest = std::max(s.brightest, l);
                s.warmth += r - b;
                ++n;
            }
        s.mean /= n;
        s.warmth /= n;
        return s;
    };
    auto contrast = [](double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); };
    const Stats fill = stats("cell");
    // Dark digits on every pixel of the digit block, the grain included (the
    // pointer's rim lies outside it): its darkest pixel is still light.
    for (const char* name : {"cell", "cellmo"}) {
        const Picture p = LoadPicture(FindCaseless(DataDir() / "graphics", std::string(name) + ".png"));
        const unsigned char* data = cairo_image_surface_get_data(p.surface);
        const int stride = cairo_image_surface_get_stride(p.surface);
        double darkest = 1;
        for (int y = 8; y < 56; ++y)
            for (int x = 12; x < 52; ++x) {
                const std::uint32_t px = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
                darkest = std::min(darkest, 0.2126 * linear(((px >> 16) & 0xFF) / 255.0) +
                                                0.7152 * linear(((px >> 8) & 0xFF) / 255.0) +
                                                0.0722 * linear((px & 0xFF) / 255.0));
            }
        const double ink = 0.2126 * linear(24 / 255.0) + 0.7152 * linear(36 / 255.0) + 0.0722 * linear(66 / 255.0);
        EXPECT_GE(contrast(ink, darkest), 4.5) << name;
    }
    for (const char* clue : {"bordercell", "bordersumcell"}) {
        const Stats c = stats(clue);
        // Lighter by a clear step and of another hue: light paper against blue ink.
        EXPECT_GE(contrast(fill.mean, c.mean), 1.5) << clue;
        EXPECT_GT(fill.warmth, c.warmth + 12) << clue;
    }

    // The cursor is a frame in the accent colour around the cell, which shows
    // through it whole (the frame starts where the cell's tile ends).
    const Picture cursor = LoadPicture(FindCaseless(DataDir() / "graphics", "cellcursor.png"));
    const unsigned char* data = cairo_image_surface_get_data(cursor.surface);
    const int stride = cairo_image_surface_get_stride(cursor.surface);
    auto at = [&](int x, int y) { return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x]; };
    EXPECT_EQ(at(40, 40) >> 24, 0u) << "the middle stays clear for the digit";
    EXPECT_EQ(at(40, 12) >> 24, 0u) << "the cell's top row of marks stays clear";
    const std::uint32_t edge = at(40, 6);
    EXPECT_EQ(edge >> 24, 0xFFu);
    EXPECT_GT(static_cast<int>((edge >> 16) & 0xFF), static_cast<int>(edge & 0xFF) + 100) << "amber, not grey";
}

TEST(Pictures, EveryStateOfAButtonHasTheSameSize) {
    // The hit area is the picture, so a state change must not move it.
    auto check = [](const std::string& name, std::initializer_list<const char*> suffixes) {
        const Size base = Button(name);
        ASSERT_GT(base.w, 0) << name;
        for (const char* suffix : suffixes) {
            const Size s = Button(name + suffix);
            EXPECT_TRUE(s.w == base.w && s.h == base.h) << name << suffix;
        }
    };
    for (const char* b : kPlainButtons) check(b, {"MO", "_down"});
    for (const char* b : kLitButtons) check(b, {"MO", "_down", "On", "OnMO"});
}

TEST(Pictures, StatesLookDifferent) {
    // Mouse-over, pressed and lit must each be visible at a glance: compare
    // the mean colour of the states of a few buttons.
    auto mean = [](const std::string& name) {
        const Picture p = LoadPicture(FindCaseless(DataDir() / "menus", name + ".png"));
        double sum[3] = {0, 0, 0};
        const unsigned char* data = cairo_image_surface_get_data(p.surface);
        const int stride = cairo_image_surface_get_stride(p.surface);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const std::uint32_t px = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
                for (int c = 0; c < 3; ++c) sum[c] += (px >> (16 - 8 * c)) & 0xFF;
            }
        const double n = double(p.width) * p.height;
        return std::array<double, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    auto distance = [](std::array<double, 3> a, std::array<double, 3> b) {
        return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
    };
    for (const char* b : {"play", "7", "showtimer", "easy"}) {
        const auto normal = mean(b), over = mean(std::string(b) + "MO"), down = mean(std::string(b) + "_down");
        EXPECT_GT(distance(normal, over), 3.0) << b;
        EXPECT_GT(distance(normal, down), 3.0) << b;
    }
    for (const char* b : {"7", "showtimer", "easy"}) {
        const auto normal = mean(b), on = mean(std::string(b) + "On");
        // Lit in the accent colour: clearly more red than blue.
        EXPECT_GT(distance(normal, on), 20.0) << b;
        EXPECT_GT(on[0] - on[2], normal[0] - normal[2] + 30) << b;
    }
}

TEST(Pictures, FitTheirPlacesOnTheScreens) {
    // Title screen: logo centred at (400, 100); five buttons, gap 10, centred
    // then moved 50 down; the version line sits at y 576.
    const Size logo = Graphic("logo"), play = Button("play");
    const int titleTop = (600 - Stack(5, play.h, 10)) / 2 + 50;
    EXPECT_LE(100 + logo.h / 2, titleTop);
    EXPECT_LE(titleTop + Stack(5, play.h, 10), 570);
    // With "continue" on top, six buttons start under the logo at y 186.
    EXPECT_EQ(Button("continue").h, play.h);
    EXPECT_LE(100 + logo.h / 2, 186);
    EXPECT_LE(186 + Stack(6, play.h, 10), 570);

    // Play screen: two menus of five at y 100 and 280 (gap 10) left of the
    // largest board (from x 228), the timer text at y 459; the number column
    // (gap 7) centred at x 730 above the message line (y 540).
    for (const char* b :
         {"pause", "savegame", "newpuzzle", "restartpuzzle", "backtomenu", "showhidemistakes", "showrandomcell",
          "showdesiredcell", "showhideautomarkup", "showhidesolution", "explainstep", "checkplay"}) {
        const Size s = Button(b);
        EXPECT_LE(100 + Stack(5, s.h, 10), 280) << b;
        EXPECT_LE(280 + Stack(6, s.h, 4), 459) << b;
        EXPECT_LE(27 + s.w, 228) << b;
    }
    // With the checkpoint button the main menu holds six (gap 6), with "Undo to Last
    // Correct" the aid menu seven (gap 4).
    for (const char* b : {"pause", "tryfromhere", "backtomenu", "explainstep", "undotolastcorrect"}) {
        const Size s = Button(b);
        EXPECT_LE(100 + Stack(6, s.h, 6), 280) << b;
        EXPECT_LE(280 + Stack(7, s.h, 4), 459) << b;
        EXPECT_LE(27 + s.w, 228) << b;
    }
    const Size digit = Button("5");
    EXPECT_LE((600 - Stack(10, digit.h, 7)) / 2 + Stack(10, digit.h, 7), 540);
    EXPECT_LE(730 + digit.w, 800);
    const Size small = Graphic("logosmall");
    EXPECT_LE(50 + small.h / 2, 100);
    EXPECT_LE(102 + small.w / 2, 228);

    // Setup screen: labels centred at y 205 above columns starting at 230;
    // sizes at x 165 and difficulties at x 465, five and three stacked
    // without gaps above the main row at y 500 (four buttons, gap 15).
    EXPECT_LE(205 + Graphic("sizelabel").h / 2, 230);
    EXPECT_LE(100 + Graphic("playoptionsheader").h / 2, 205 - Graphic("sizelabel").h / 2);
    EXPECT_LE(230 + Stack(5, Button("9x9").h, 0), 500);
    EXPECT_LE(165 + Button("9x9").w, 465);
    EXPECT_LE(230 + Stack(3, Button("easy").h, 0), 500);
    EXPECT_LE(465 + Button("easy").w, 800);
    const Size row = Button("playsmall");
    EXPECT_LE(4 * row.w + 3 * 15, 800);
    EXPECT_LE(500 + row.h, 600);

    // Options: header at (400, 40) above the sliders (y 80 and 136, x 346,
    // labels centred at x 242); seven toggles from y 182 down to the "ok"
    // button, centred and moved 260 down.
    EXPECT_LE(40 + Graphic("optionsheader").h / 2, 80);
    EXPECT_LE(80 + Graphic("slider").h, 136);
    EXPECT_LE(346 + Graphic("slider").w, 800);
    EXPECT_EQ(Graphic("marker").h, Graphic("slider").h);
    EXPECT_LE(242 + Graphic("music").w / 2, 346);
    const Size ok = Button("oksmall");
    const int okTop = (600 - ok.h) / 2 + 260;
    EXPECT_LE(182 + Stack(7, Button("fullscreen").h, 10), okTop);
    EXPECT_LE(182 + Stack(8, Button("keeppencilmarks").h, 4), okTop);
    EXPECT_LE(okTop + ok.h, 600);

    // Help: picture centred at x 165 left of the texts (from x 285); the page
    // arrows (60 apart from x 588) on the OK button's row, right of it and
    // inside the panel.
    EXPECT_LE(165 + Graphic("helpimage").w / 2, 285);
    EXPECT_LE(400 + ok.w / 2 + 20, 588);
    EXPECT_LE(588 + Button("pageback").w + 60 + Button("pagenext").w, 400 + Graphic("blackback").w / 2);

    // High scores: panel centred at (400, 284) behind rows from x 80 to 720,
    // y 170 to 450; size buttons in a row (gap 15) from y 115.
    const Size back = Graphic("blackback");
    EXPECT_LE(400 - back.w / 2, 80);
    EXPECT_GE(400 + back.w / 2, 720);
    EXPECT_LE(284 - back.h / 2, 165);
    EXPECT_GE(284 + back.h / 2, 455);
    EXPECT_LE(5 * Button("9x9button").w + 4 * 15, 800);
    EXPECT_LE(115 + Button("9x9button").h, 170);

    // Dialogs: the buttons sit side by side inside their panels; the save
    // game manager's scroll arrows are placed at x 616 on its right.
    EXPECT_LE(Button("OK").w + 50 + Button("Cancel").w, Graphic("input").w - 20);
    EXPECT_LE(Button("Yes").w + 50 + Button("No").w, Graphic("inputlong").w - 20);
    const Size manager = Graphic("manager");
    EXPECT_LE(Button("Cancel").w + Button("Delete").w + Button("Load").w + 20, manager.w - 40);
    EXPECT_LE(616 + Button("Up").w, 400 + manager.w / 2);

    // End of puzzle: the panel centred on the screen holds the three buttons
    // of its menu (gap 10), themselves centred, with room above for a title.
    const Size end = Graphic("endlevelback");
    const int menuTop = (600 - Stack(3, Button("nextpuzzle").h, 10)) / 2;
    EXPECT_LE(300 - end.h / 2 + 40, menuTop);
    EXPECT_GE(300 + end.h / 2, menuTop + Stack(3, Button("nextpuzzle").h, 10));
    EXPECT_GT(end.w, Button("nextpuzzle").w);

    // The pointer's sparkle trail picks offsets up to width - 20 and
    // height - 25, which must leave a range to pick from.
    EXPECT_GT(Graphic("pointer").w, 21);
    EXPECT_GT(Graphic("pointer").h, 26);
}

TEST(Pictures, ContactSheetShowsEveryPicture) {
    // One sheet with every picture and its name, for reviewing the set.
    struct Item {
        std::string label;
        fs::path file;
        double scale;
    };
    std::vector<Item> items;
    for (const char* a : kArchivePictures)
        items.push_back({a, PakStaging() / a, std::string(a).find(".jpg") != std::string::npos ? 0.4 : 2.0});
    std::vector<fs::path> graphics, menus;
    for (const auto& e : fs::directory_iterator(DataDir() / "graphics")) graphics.push_back(e.path());
    for (const auto& e : fs::directory_iterator(DataDir() / "menus")) menus.push_back(e.path());
    std::sort(graphics.begin(), graphics.end());
    std::sort(menus.begin(), menus.end());
    for (const auto& g : graphics) {
        const Size s = SizeOf(g.parent_path(), g.filename().string());
        items.push_back({g.filename().string(), g, s.w <= 32 ? 2.0 : 1.0});
    }
    for (const auto& m : menus) items.push_back({m.filename().string(), m, 1.0});

    const int width = 1900, pad = 10, label = 14;
    int x = pad, y = pad, shelf = 0;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* measure = cairo_create(probe);
    UseGameFont(measure, 11);
    struct Placed {
        const Item* item;
        int x, y;
    };
    std::vector<Placed> placed;
    for (const Item& item : items) {
        const Size s = SizeOf(item.file.parent_path(), item.file.filename().string());
        cairo_text_extents_t text;
        cairo_text_extents(measure, item.label.c_str(), &text);
        const int w = std::max(static_cast<int>(s.w * item.scale), static_cast<int>(text.x_advance) + 4);
        const int h = static_cast<int>(s.h * item.scale) + label;
        if (x + w + pad > width) {
            x = pad;
            y += shelf + pad;
            shelf = 0;
        }
        placed.push_back({&item, x, y});
        x += w + pad;
        shelf = std::max(shelf, h);
    }
    cairo_destroy(measure);
    cairo_surface_destroy(probe);
    const int height = y + shelf + pad;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.36, 0.37, 0.41);
    cairo_paint(cr);
    UseGameFont(cr, 11);
    for (const Placed& p : placed) {
        const Picture picture = LoadPicture(p.item->file);
        ASSERT_TRUE(picture.surface) << p.item->file;
        cairo_save(cr);
        cairo_translate(cr, p.x, p.y);
        cairo_scale(cr, p.item->scale, p.item->scale);
        cairo_set_source_surface(cr, picture.surface, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), p.item->scale > 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, p.x, p.y + picture.height * p.item->scale + 11);
        cairo_show_text(cr, p.item->label.c_str());
    }
    cairo_destroy(cr);
    fs::create_directories(ArtifactsDir());
    const fs::path out = ArtifactsDir() / "assets.png";
    EXPECT_EQ(cairo_surface_write_to_png(sheet, out.string().c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(sheet);
    EXPECT_GT(placed.size(), 250u);
}
