// SPDX-License-Identifier: GPL-3.0-or-later
// A tour of every screen and dialog of the real program, as a player meets
// them (the driver is described in game_driver.h): the pictures are left in
// the test artifacts folder as tour-NN-name.png, with one contact sheet of
// them all, tour.png, for looking the whole game over at once. Where a fault
// of the look can be seen in the pixels (light burning the paper white, a
// dialog over an undimmed board, rows crossing a panel's rim or touching each
// other, a message away from its panel's middle) the pictures are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contact_sheet.h"
#include "game_driver.h"
#include "tallyfold/platform/image.h"

namespace {

using namespace e2e;

// Where the controls are, in the logical 800 x 600 pixels.
constexpr Point TitlePlay{400, 209}, TitleHelp{400, 350}, TitleOptions{400, 397}, TitleBestTimes{400, 444},
    TitleExit{400, 491};
constexpr Point OptionsOk{400, 558}, HelpOk{400, 558}, HelpNextPage{713, 558}, BestTimesOk{322, 558},
    BestTimesClear{477, 558};
constexpr Point SetupPlay{167, 521}, SetupCustom{322, 521}, SetupLoad{475, 521}, SetupBack{632, 521};
constexpr Point Easy{560, 252};
constexpr Point Pause{114, 111}, SaveGame{114, 139}, RestartPuzzle{114, 195}, ShowMistakes{114, 291};
constexpr Point EndRestart{400, 299}, EndBackToMenu{400, 335};
constexpr Point ManagerDelete{400, 477}, ManagerLoad{549, 477};
constexpr Point CheckAndPlay{114, 148};
// Off every control, below the boards and beside the help line.
constexpr Point Aside{640, 585};

Point SizeButton(int size) {
    const int row = size == 6 ? 0 : size == 7 ? 1 : size == 9 ? 2 : size == 12 ? 3 : 4;
    return {220, 252 + 48 * row};
}
// The middle of cell (x, y) of a board of n x n cells: the cells fill the
// 480-pixel sheet at (212, 24) less 16 pixels all round, 32 to 64 pixels each.
Point Cell(int n, int x, int y) {
    const int pitch = std::clamp(448 / n, 32, 64), first = (480 - pitch * n) / 2 + pitch / 2;
    return {212 + first + pitch * x, 24 + first + pitch * y};
}

std::string RightClickAt(Point p) { return MoveTo(p) + "down 2\nup 2\n"; }

// A picture the game wrote, read back for its pixels.
class Screenshot {
public:
    explicit Screenshot(const fs::path& file) : pixels_(platform::LoadPixmap(file.string())) {}
    bool Loaded() const { return pixels_ && pixels_->Width() == 800 && pixels_->Height() == 600; }
    int R(int x, int y) const { return (pixels_->ReadPixel(x, y) >> 16) & 0xFF; }
    int G(int x, int y) const { return (pixels_->ReadPixel(x, y) >> 8) & 0xFF; }
    int B(int x, int y) const { return pixels_->ReadPixel(x, y) & 0xFF; }
    int Light(int x, int y) const { return (R(x, y) * 3 + G(x, y) * 6 + B(x, y)) / 10; }
    // How many pixels of the rectangle pass the test.
    template <typename Test>
    int Count(int x0, int y0, int x1, int y1, Test test) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += test(x, y) ? 1 : 0;
        return n;
    }
    int MedianLight(int x0, int y0, int x1, int y1) const {
        std::vector<int> values;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) values.push_back(Light(x, y));
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    }
    // Runs of scanlines between y0 and y1 that hold a pixel lighter than
    // `ink` between x0 and x1: lines of text that do not touch each other.
    std::vector<std::pair<int, int>> InkBands(int x0, int y0, int x1, int y1, int ink) const {
        std::vector<std::pair<int, int>> bands;
        bool inside = false;
        for (int y = y0; y < y1; ++y) {
            bool inked = false;
            for (int x = x0; x < x1 && !inked; ++x) inked = Light(x, y) > ink;
            if (inked && !inside) bands.push_back({y, y});
            if (inked) bands.back().second = y;
            inside = inked;
        }
        return bands;
    }

private:
    std::shared_ptr<platform::Pixmap> pixels_;
};

class Tour : public GameDriver {
protected:
    void SetUp() override {
        ShotPrefix = "tour-";
        GameDriver::SetUp();
    }
    // A picture for the sheet, with what it shows.
    ::testing::AssertionResult Take(const std::string& name, const std::string& caption) {
        auto result = Shot(name);
        if (result) sheet.push_back({lastShot, caption});
        shots_[name] = lastShot;
        return result;
    }
    Screenshot Picture(const std::string& name) { return Screenshot(shots_.at(name)); }
    // The save game the game wrote under this name, searched below the shared folder.
    fs::path SaveFile(const std::string& name) {
        const auto deadline = SteadyClock::now() + ShotTimeout;
        while (SteadyClock::now() < deadline && Running()) {
            if (fs::exists(shared))
                for (const auto& entry : fs::recursive_directory_iterator(shared))
                    if (entry.path().filename() == name + ".dat") return entry.path();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    std::vector<SheetEntry> sheet;
    std::map<std::string, fs::path> shots_;
};

TEST_F(Tour, EveryScreenAndDialog) {
    const auto started = SteadyClock::now();
    Launch();

    // The maker's splash, skipped with a click once seen; the title fades in.
    Send(Wait(1800));
    ASSERT_TRUE(Take("start-up", "start-up: the maker's splash"));
    Send(ClickAt(Aside) + Wait(500) + ClickAt(Aside) + Wait(ScreenChangeMs) + MoveTo({486, 230}) + Wait(300));
    ASSERT_TRUE(Take("title", "title, the pointer on Play"));

    Send(ClickAt(TitleOptions) + Wait(ScreenChangeMs) + MoveTo({548, 306}) + Wait(200));
    ASSERT_TRUE(Take("options", "options"));
    Send(ClickAt(OptionsOk) + Wait(ScreenChangeMs) + ClickAt(TitleHelp) + MoveTo({560, 585}) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Take("help", "how to play"));
    Send(ClickAt(HelpNextPage) + MoveTo({560, 585}) + Wait(300));
    ASSERT_TRUE(Take("help-keys", "how to play, second page"));
    Send(ClickAt(HelpOk) + Wait(ScreenChangeMs));

    // The best times: rows on their way in, then landed; the clear question over them.
    // The rows start once the screen has faded in, a second after the click.
    Send(ClickAt(TitleBestTimes) + MoveTo({400, 520}) + Wait(1000 + 350));
    ASSERT_TRUE(Take("best-times-sliding", "best times, rows sliding in"));
    Send(Wait(2500));
    ASSERT_TRUE(Take("best-times", "best times, landed"));
    Send(ClickAt(BestTimesClear) + Wait(300));
    ASSERT_TRUE(Take("clear-question", "question over the best times"));
    Send("key N\n" + Wait(200) + ClickAt(BestTimesOk) + Wait(ScreenChangeMs));

    // The setup screen and a 6x6 puzzle.
    Send(ClickAt(TitlePlay) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Take("setup", "setup"));
    Send(ClickAt(SizeButton(6)) + ClickAt(Easy) + ClickAt(SetupPlay) + Wait(350));
    ASSERT_TRUE(Take("generating", "generating"));
    Send(Wait(3500) + MoveTo(Aside) + Wait(200));
    ASSERT_TRUE(Take("board-6x6", "6x6 board"));

    // Saved under a name: first typed past its length (the cursor stays),
    // then the name the test looks for.
    Send(ClickAt(SaveGame) + Wait(600) + "type A name far too long for it\n" + Wait(100));
    ASSERT_TRUE(Take("save-name-full", "save name at full length"));
    std::string erase;
    for (int k = 0; k < 16; ++k) erase += "key BACK\n";
    Send(erase + "type tour\n" + Wait(100));
    ASSERT_TRUE(Take("save-name", "save name"));
    Send("key RETURN\n" + Wait(300));
    const fs::path save = SaveFile("tour");
    ASSERT_FALSE(save.empty()) << "no tour.dat below " << shared;

    // The solution and the clues, from the save's blocks between "-" lines:
    // settings, clues, the player's digits, the solution, pencil marks.
    std::vector<std::vector<std::string>> blocks(1);
    for (const auto& line : Lines(ReadFile(save))) {
        if (line == "-")
            blocks.emplace_back();
        else
            blocks.back().push_back(line);
    }
    // ... and the help taken.
    ASSERT_EQ(blocks.size(), 6u) << ReadFile(save);
    int solution[6][6] = {};
    for (int y = 0; y < 6; ++y) {
        std::istringstream row(blocks[3].at(static_cast<size_t>(y)));
        for (int x = 0; x < 6; ++x) ASSERT_TRUE(row >> solution[y][x]);
    }
    std::vector<std::pair<int, int>> whites;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            if (solution[y][x] != 88) whites.push_back({x, y});
    ASSERT_GE(whites.size(), 4u);
    // A clue cell: the black cell left of the first white cell of a row.
    Point clue{};
    for (auto [x, y] : whites)
        if (x > 0 && solution[y][x - 1] == 88) {
            const Point c = Cell(6, x - 1, y);
            clue = {c.x + 15, c.y - 3};  // its across half, beside its number
            break;
        }

    Send(MoveTo(clue) + Wait(200));
    ASSERT_TRUE(Take("hover", "pointer on a clue: its combinations"));

    // Pencil marks in two cells, a wrong digit shown as a mistake.
    const auto [mx, my] = whites[1];
    Send("key 3\n" + RightClickAt(Cell(6, whites[0].first, whites[0].second)) + "key 7\n" +
         RightClickAt(Cell(6, whites[0].first, whites[0].second)) + RightClickAt(Cell(6, mx, my)) + MoveTo(Aside) +
         Wait(100));
    ASSERT_TRUE(Take("pencil-marks", "pencil marks"));
    const int wrong = solution[my][mx] == 9 ? 8 : solution[my][mx] + 1;
    Send("key " + std::to_string(wrong) + "\n" + ClickAt(Cell(6, mx, my)) + ClickAt(ShowMistakes) + MoveTo(Aside) +
         Wait(100));
    ASSERT_TRUE(Take("mistakes", "a mistake shown"));
    // The wrong digit goes again: the right one next to it would be a double.
    Send(ClickAt(ShowMistakes) + "key 0\n" + ClickAt(Cell(6, mx, my)) + Wait(100));

    Send(ClickAt(Pause) + Wait(300));
    ASSERT_TRUE(Take("paused", "paused"));
    Send("key P\n" + Wait(300) + "key ESCAPE\n" + Wait(300));
    ASSERT_TRUE(Take("leave-question", "leave question over the board"));
    Send("key N\n" + Wait(500));

    // Solved: the best-time name over the fireworks, then the end panel.
    // Half of it first, with the combinations of a clue in view.
    auto fill = [&](size_t from, size_t to) {
        std::string keys;
        for (size_t k = from; k < to; ++k) {
            const auto [x, y] = whites[k];
            keys += "key " + std::to_string(solution[y][x]) + "\n" + ClickAt(Cell(6, x, y));
        }
        return keys;
    };
    Send(fill(0, whites.size() / 2) + MoveTo(clue) + Wait(200));
    ASSERT_TRUE(Take("playing", "half done, a clue's combinations shown"));
    Send(fill(whites.size() / 2, whites.size()) + MoveTo(Aside) + Wait(1500) + "type \xC3\xA9mile\n" + Wait(100));
    ASSERT_TRUE(Take("best-time-name", "best-time name over the fireworks"));
    Send("key RETURN\n" + Wait(1200));
    ASSERT_TRUE(Take("solved", "solved, fireworks"));
    // Sparks fall where they will: a second look, so that some land on the paper.
    Send(Wait(600));
    ASSERT_TRUE(Take("solved-later", "solved, fireworks a moment later"));
    Send(ClickAt(EndRestart) + MoveTo(Aside) + Wait(300));
    ASSERT_TRUE(Take("restart-question", "restart question from the end panel"));
    Send("key N\n" + Wait(200) + ClickAt(EndBackToMenu) + Wait(ScreenChangeMs));

    // Every other board size.
    for (int size : {7, 9, 12, 14}) {
        // The more cells, the longer they take to drop into place.
        // On the first of them, the keyboard's cursor.
        Send(ClickAt(SizeButton(size)) + ClickAt(SetupPlay) + Wait(ScreenChangeMs + 800 + 130 * size) + MoveTo(Aside) +
             (size == 7 ? "key DOWN\nkey RIGHT\nkey RIGHT\n" : "") + Wait(200));
        ASSERT_TRUE(
            Take("board-" + std::to_string(size), std::to_string(size) + "x" + std::to_string(size) +
                                                      (size == 7 ? " board, the keyboard's cursor" : " board")));
        if (size == 14) {
            // A hint on the largest board: its first rung, then its whole reasoning, in a
            // panel of its own that leaves the aid buttons and the digit column as they were.
            Send("key H\n" + Wait(300));
            ASSERT_TRUE(Take("hint-pointed", "14x14: a hint's first press, the place and the technique"));
            // Further in, the reasoning grows: a dozen hints carried out first.
            std::string hints;
            for (int k = 0; k < 12 * 3 + 1; ++k) hints += "key H\n" + Wait(40);
            Send(hints + Wait(300));
            ASSERT_TRUE(Take("hint-shown", "14x14: the second press, the cells and the reasoning"));
            const Screenshot board = Picture("board-14"), hint = Picture("hint-shown");
            auto changed = [&](int x0, int y0, int x1, int y1) {
                return board.Count(x0, y0, x1, y1,
                                   [&](int x, int y) { return std::abs(board.Light(x, y) - hint.Light(x, y)) > 40; });
            };
            // The clock ticks between the two pictures: its line is left out.
            EXPECT_LT(changed(0, 0, 205, 455) + changed(0, 500, 205, 600), 40)
                << "the panel reaches under the aid buttons";
            EXPECT_LT(changed(700, 0, 800, 600), 40) << "the panel reaches under the digit column";
            EXPECT_GT(changed(212, 505, 692, 600), 200) << "no words in the panel";
            // Escape puts the hint away. The hints carried out made it a puzzle in
            // progress, which leaving would keep: a restart makes it a fresh one again.
            Send("key ESCAPE\n" + Wait(300) + ClickAt(RestartPuzzle) + Wait(300) + "key Y\n" + Wait(300));
        }
        Send("key ESCAPE\n" + Wait(300) + "key Y\n" + Wait(ScreenChangeMs));
    }

    // The save manager with a long list. The list keeps the folder's own
    // order, so every save in it is damaged alike: whichever row is chosen,
    // loading it shows the explanation.
    fs::remove(save);
    for (const char* name : {"Autumn",  "Birch",  "Cedar",   "Dune",    "\xC3\x89lan", "Fjord",  "Grove",
                             "Harbour", "Inlet",  "Juniper", "Kestrel", "Lagoon",      "Meadow", "Nettle",
                             "Orchard", "Pebble", "Quarry",  "Reed",    "Saffron",     "Thistle"}) {
        std::ofstream broken(save.parent_path() / (std::string(name) + ".dat"));
        broken << "not a save game\n";
    }
    Send(ClickAt(SetupLoad) + MoveTo({700, 300}) + Wait(400));
    ASSERT_TRUE(Take("save-manager", "save manager, a long list"));
    Send(MoveTo({400, 300}) + "wheel -8\n" + MoveTo({700, 300}) + Wait(200));
    ASSERT_TRUE(Take("save-manager-scrolled", "save manager scrolled"));
    Send("wheel -30\n" + Wait(100) + ClickAt({400, 408}) + ClickAt(ManagerDelete) + MoveTo({700, 300}) + Wait(300));
    ASSERT_TRUE(Take("delete-question", "delete question over the save manager"));
    Send("key N\n" + Wait(200) + ClickAt(ManagerLoad) + MoveTo({700, 300}) + Wait(300));
    ASSERT_TRUE(Take("damaged-save", "a damaged save explained"));
    Send("key RETURN\n" + Wait(300));

    // A puzzle of the player's own: a clue typed in, then checked.
    Send(ClickAt(SizeButton(6)) + ClickAt(SetupCustom) + Wait(ScreenChangeMs + 1200) + ClickAt(Cell(6, 1, 1)) +
         MoveTo(Aside) + Wait(300) + "type 12\n");
    ASSERT_TRUE(Take("clue-dialog", "own puzzle: a clue typed in"));
    Send("key RETURN\n" + Wait(200) + "type 4\n" + "key RETURN\n" + MoveTo(Aside) + Wait(300));
    ASSERT_TRUE(Take("custom-entry", "own puzzle being typed in"));
    Send(ClickAt(CheckAndPlay) + Wait(350));
    ASSERT_TRUE(Take("checking", "own puzzle being checked"));
    Send(Wait(1500) + MoveTo(Aside));
    ASSERT_TRUE(Take("not-solvable", "own puzzle without one solution"));
    // Every puzzle was left by the question, so the title offers none to continue.
    Send("key RETURN\n" + Wait(200) + "key ESCAPE\n" + Wait(300) + "key Y\n" + Wait(ScreenChangeMs) +
         ClickAt(SetupBack) + Wait(ScreenChangeMs) + ClickAt(TitleExit));
    ASSERT_TRUE(WaitForExit());
    EXPECT_EQ(ReadFile(scratch / "stderr.txt").find("input script"), std::string::npos)
        << ReadFile(scratch / "stderr.txt");
    std::cout << "tour took " << std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - started).count()
              << " s\n";

    const std::string written = WriteContactSheet(sheet, artifacts / "tour.png", 4);
    EXPECT_EQ(written, "");

    // ---- what the pictures must show ----
    const Screenshot solved = Picture("solved"), solvedLater = Picture("solved-later"), board = Picture("board-6x6");
    ASSERT_TRUE(solved.Loaded() && solvedLater.Loaded() && board.Loaded());
    // Fireworks over the paper are ink, not light burnt to white; they are there.
    auto onPaper = [](int x, int y) {
        const bool board = x >= 256 && x < 648 && y >= 68 && y < 460;     // the 6x6 board and the end panel
        const bool summary = x >= 250 && x < 550 && y >= 414 && y < 502;  // the hints' summary under it
        return x >= 214 && x < 690 && y >= 26 && y < 502 && !board && !summary;
    };
    auto whiteOnPaper = [&](const Screenshot& shot) {
        return shot.Count(0, 0, 800, 600, [&](int x, int y) {
            return onPaper(x, y) && shot.R(x, y) > 250 && shot.G(x, y) > 250 && shot.B(x, y) > 250;
        });
    };
    auto sparksOnPaper = [&](const Screenshot& shot) {
        return shot.Count(0, 0, 800, 600, [&](int x, int y) {
            const int hi = std::max({shot.R(x, y), shot.G(x, y), shot.B(x, y)});
            const int lo = std::min({shot.R(x, y), shot.G(x, y), shot.B(x, y)});
            if (!(hi - lo > 90)) return false;
            if (onPaper(x, y)) return true;
            // The light cells are paper too; the clue cells' own
            // colours (the amber fold, green and red clues) sit on navy.
            const bool panel = x >= 240 && x < 560 && y >= 178 && y < 416;
            const bool summary = x >= 250 && x < 550 && y >= 414 && y < 502;
            if (x < 214 || x >= 690 || y < 26 || y >= 502 || panel || summary) return false;
            for (int ny = std::max(0, y - 4); ny <= std::min(599, y + 4); ++ny)
                for (int nx = std::max(0, x - 4); nx <= std::min(799, x + 4); ++nx)
                    if (std::max({shot.R(nx, ny), shot.G(nx, ny), shot.B(nx, ny)}) < 80) return false;
            return true;
        });
    };
    EXPECT_LT(whiteOnPaper(solved), 20) << "white blotches on the paper";
    EXPECT_LT(whiteOnPaper(solvedLater), 20) << "white blotches on the paper a moment later";
    EXPECT_GT(sparksOnPaper(solved) + sparksOnPaper(solvedLater), 10) << "no sparks to be seen on the paper";

    // A dialog over the board darkens it, paper and board alike.
    const Screenshot named = Picture("best-time-name"), leave = Picture("leave-question");
    for (const Screenshot* shot : {&named, &leave}) {
        ASSERT_TRUE(shot->Loaded());
        EXPECT_LT(shot->MedianLight(230, 420, 330, 495), board.MedianLight(230, 420, 330, 495) * 2 / 3);
    }
    // The question from the end panel replaces it: no navy edge of the panel
    // shows above the question's own.
    const Screenshot restart = Picture("restart-question");
    ASSERT_TRUE(restart.Loaded());
    // Rows of the strip (left of the board, above the question) that are navy
    // almost across: a panel's edge fills a row, while the fireworks' blue
    // sparks, which may drift through, leave gaps.
    auto navyRows = [](const Screenshot& s) {
        int rows = 0;
        for (int y = 186; y < 202; ++y)
            rows += s.Count(246, y, 350, y + 1, [&](int x, int yy) { return s.B(x, yy) > s.R(x, yy) + 12; }) > 78;
        return rows;
    };
    EXPECT_EQ(navyRows(solved), 16);
    EXPECT_EQ(navyRows(restart), 0);

    // A message sits in the middle of its panel's space above the button, in
    // the warning colour.
    const Screenshot damaged = Picture("damaged-save");
    ASSERT_TRUE(damaged.Loaded());
    int top = 600, bottom = 0, left = 800, right = 0;
    for (int y = 200; y < 340; ++y)
        for (int x = 160; x < 640; ++x)
            if (damaged.R(x, y) > 200 && damaged.G(x, y) < 80 && damaged.B(x, y) < 80) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    ASSERT_LT(top, bottom) << "no message in the warning colour";
    // The panel (480 x 190 centred, drawn from 3 pixels below its top) and its
    // 44-pixel OK button 20 pixels above its bottom.
    const int panelTop = (600 - 190) / 2 + 3, buttonTop = (600 - 190) / 2 + 190 - 20 - 44;
    EXPECT_NEAR((top + bottom) / 2.0, (panelTop + buttonTop) / 2.0, 7.0);
    EXPECT_NEAR((left + right) / 2.0, 400.0, 6.0);

    // Best times: rows on their way in stay inside the panel ...
    const Screenshot sliding = Picture("best-times-sliding"), landed = Picture("best-times");
    ASSERT_TRUE(sliding.Loaded() && landed.Loaded());
    auto text = [](const Screenshot& s) { return [&s](int x, int y) { return s.Light(x, y) > 170; }; };
    EXPECT_EQ(sliding.Count(0, 190, 42, 470, text(sliding)) + sliding.Count(758, 190, 800, 470, text(sliding)), 0);
    EXPECT_GT(sliding.Count(44, 190, 756, 470, text(sliding)), 500) << "no rows in sight while sliding";
    // ... and once landed, the titles and ten rows are eleven lines of text
    // that touch neither each other nor anything else.
    EXPECT_EQ(landed.InkBands(80, 160, 720, 470, 110).size(), 11u);

    // The save list is filled with whole rows and shows where they are.
    const Screenshot manager = Picture("save-manager"), scrolled = Picture("save-manager-scrolled");
    ASSERT_TRUE(manager.Loaded() && scrolled.Loaded());
    const auto rows = manager.InkBands(300, 140, 500, 440, 150);
    EXPECT_GE(rows.size(), 9u) << "rows left empty in the list";
    auto barTop = [](const Screenshot& s) {
        // Inside the list box, below the "Up" arrow and above "Down".
        for (int y = 156; y < 420; ++y)
            if (s.Light(633, y) > 120 && s.Light(633, y + 1) > 120 && s.Light(633, y + 2) > 120) return y;
        return -1;
    };
    EXPECT_GT(barTop(manager), 0) << "no position bar";
    EXPECT_GT(barTop(scrolled), barTop(manager) + 20) << "the position bar did not follow the list";
}

}  // namespace
