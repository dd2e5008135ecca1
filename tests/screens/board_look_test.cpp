// SPDX-License-Identifier: GPL-3.0-or-later
// The board as a player sees it, read back from the drawn picture: cells that
// fill the sheet at every board size, clicks that land on the cell under the
// pointer, and inks that read clearly on what they stand on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/board_look.h"
#include "game/screens/cells.h"
#include "game/screens/game_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace {

struct Colour {
    int r = 0, g = 0, b = 0;
};

double Luminance(Colour c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double Contrast(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class Picture {
public:
    explicit Picture(std::shared_ptr<platform::Pixmap> p) : pixmap_(std::move(p)) {}
    Colour At(int x, int y) const {
        const std::uint32_t v = pixmap_->ReadPixel(x, y);
        return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
    }
    // The pixels of a box, darkest first.
    std::vector<Colour> Sorted(int left, int top, int w, int h) const {
        std::vector<Colour> all;
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x) all.push_back(At(x, y));
        std::sort(all.begin(), all.end(), [](Colour a, Colour b) { return Luminance(a) < Luminance(b); });
        return all;
    }
    // What text in a box stands on (the colour most of the box has) and the
    // text's own ink (the pixel that differs from it most).
    std::pair<Colour, Colour> GroundAndInk(int left, int top, int w, int h, bool darkInk) const {
        const auto all = Sorted(left, top, w, h);
        const Colour ground = darkInk ? all[all.size() * 3 / 4] : all[all.size() / 4];
        return {ground, darkInk ? all.front() : all.back()};
    }

private:
    std::shared_ptr<platform::Pixmap> pixmap_;
};

// The cream sheet shows between the tiles: light and warm, where the light
// cells are cool and the clue cells dark.
bool SheetShows(Colour c) { return c.r > 150 && c.r > c.b + 2; }

class BoardLook : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        ArtifactPrefix = "board-";
    }
    void NewBoard(int size) {
        ASSERT_TRUE(PlayCore().CreatePuzzle(size, size, 1));
        PlayCore().RestartPuzzle();
        PlayModel().Puzzle.CustomMode = 0;
        Game->DestinationTScreen = Screens.GameScreen;
        Screens.GameScreen->PreStart();
        PlayCore().CreateCells(0);
        Steps(120);
        MoveTo(790, 10);
    }
    Picture Shot(const std::string& name) {
        MoveTo(790, 10);
        Frame(name);
        return Picture(platform::GrabPixmap(0, 0, 800, 600));
    }
    std::shared_ptr<TCell> Cell(int i, int j) {
        for (auto& cell : Screens.CellList->Items)
            if (cell->ArrayLocationX == i && cell->ArrayLocationY == j) return cell;
        return nullptr;
    }
    // The middles of the grid lines across one axis, found in the picture: the
    // columns (or rows) through the board where the sheet shows all the way.
    static std::vector<int> GridLines(const Picture& picture, bool vertical, int from, int to, int across0,
                                      int across1) {
        std::vector<int> lines;
        int runStart = -1;
        for (int at = from; at <= to + 1; ++at) {
            bool open = at <= to;
            for (int a = across0; open && a < across1; ++a) {
                // The tiles' rounded corners let the sheet through; the middles of the cells do not.
                const Colour c = vertical ? picture.At(at, a) : picture.At(a, at);
                if (!SheetShows(c)) {
                    int blocked = 0;
                    for (int b = across0; b < across1; ++b)
                        blocked += !SheetShows(vertical ? picture.At(at, b) : picture.At(b, at));
                    open = blocked * 10 < (across1 - across0);
                    break;
                }
            }
            if (open && runStart < 0) runStart = at;
            if (!open && runStart >= 0) {
                lines.push_back((runStart + at - 1) / 2);
                runStart = -1;
            }
        }
        return lines;
    }
};

}  // namespace

TEST_F(BoardLook, CellsFillTheSheetAndClicksLandOnTheCellUnderThePointer) {
    PlayModel().Options.ShowHighlighter = 1;
    PlayModel().Options.PreventDoubleNumbers = 0;
    for (int n : {6, 10, 14}) {
        NewBoard(n);
        ASSERT_EQ(PlayModel().Puzzle.BoardWidth, n);
        const Picture picture = Shot("size-" + std::to_string(n));
        const int expected = std::clamp(448 / n, 32, 64);
        // The grid lines, measured along the middle of the board both ways.
        for (bool vertical : {true, false}) {
            // Vertical lines are looked for along the board's middle row, horizontal ones down its middle column.
            const int from = vertical ? 212 : 24;
            const int mid = (vertical ? 24 : 212) + (480 - expected * n) / 2 + expected * (n / 2) + expected / 2;
            const auto lines = GridLines(picture, vertical, from, from + 479, mid - expected / 4, mid + expected / 4);
            // The lines inside the board: between the first and the last cell.
            std::vector<int> pitches;
            for (size_t k = 1; k < lines.size(); ++k) pitches.push_back(lines[k] - lines[k - 1]);
            const int regular = static_cast<int>(std::count(pitches.begin(), pitches.end(), expected));
            EXPECT_GE(regular, n - 2) << n << (vertical ? " across" : " down") << ": lines one cell apart";
        }
        // The board takes the sheet's middle, with at most 16 pixels of paper left round it.
        const auto first = Cell(0, 0), last = Cell(n - 1, n - 1);
        ASSERT_TRUE(first && last);
        EXPECT_EQ(first->Size, expected);
        EXPECT_LE(first->x - expected / 2.0f - 212, 16 + expected / 2.0f) << n;
        EXPECT_NEAR((first->x + last->x) / 2, 452, 1) << n;
        EXPECT_NEAR((first->y + last->y) / 2, 264, 1) << n;

        // The pointer on the middle of every cell, worked out from the puzzle's
        // size and the sheet alone, finds that cell; a right click there marks
        // only that cell.
        Screens.Board.SelectedNumber = 5;
        int clicked = 0;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const int x = 212 + (480 - expected * n) / 2 + expected * i + expected / 2;
                const int y = 24 + (480 - expected * n) / 2 + expected * j + expected / 2;
                platform::PostEvent({platform::EventKind::MouseMove, 0, x, y});
                Steps(1);
                ASSERT_EQ(Screens.Board.HoverCellX, i) << n << " " << x << "," << y;
                ASSERT_EQ(Screens.Board.HoverCellY, j) << n << " " << x << "," << y;
                if (PlayModel().Puzzle.SolutionGrid[i][j] == BlackCell) continue;
                platform::PostEvent({platform::EventKind::MouseDown, 2, x, y});
                Steps(1);
                platform::PostEvent({platform::EventKind::MouseUp, 2, x, y});
                Steps(1);
                ++clicked;
                ASSERT_EQ(PlayModel().Puzzle.MarkupGrid[i][j][4], 1) << n << ": cell " << i << "," << j;
            }
        int marked = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) marked += PlayModel().Puzzle.MarkupGrid[i][j][4];
        EXPECT_EQ(marked, clicked) << n;
        Shot("marked-" + std::to_string(n));
    }
}

TEST_F(BoardLook, EveryInkReadsOnWhatItStandsOn) {
    for (int n : {6, 14}) {
        NewBoard(n);
        auto& p = PlayModel().Puzzle;
        auto& options = PlayModel().Options;
        options.PreventDoubleNumbers = 0;
        options.CheckRuns = 1;
        options.ShowRemainingSum = 1;
        // Runs of at least three cells after a clue, across and down.
        std::vector<std::pair<int, int>> across, down;
        int ax = -1, ay = -1, dx = -1, dy = -1;
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y) {
                if (p.SolutionGrid[x][y] != BlackCell) continue;
                if (across.empty() && p.HorizontalSumGrid[x][y] && PlayModel().RunLength(Horizontal, x, y) >= 3)
                    across = PlayModel().RunCells(Horizontal, x, y), ax = x, ay = y;
                if (down.empty() && p.VerticalSumGrid[x][y] && PlayModel().RunLength(Vertical, x, y) >= 3)
                    down = PlayModel().RunCells(Vertical, x, y), dx = x, dy = y;
            }
        ASSERT_FALSE(across.empty());
        ASSERT_FALSE(down.empty());
        // The across run done right (a tick), the down run overspent with nines
        // where they do not belong (a cross and a negative remaining sum), unless
        // the two share a cell.
        for (auto [x, y] : across) p.PlayerGrid[x][y] = p.SolutionGrid[x][y];
        for (auto [x, y] : down)
            if (std::find(across.begin(), across.end(), std::make_pair(x, y)) == across.end()) p.PlayerGrid[x][y] = 9;
        // Pencil marks in a free cell, the cursor on another.
        std::pair<int, int> free{-1, -1}, cursor{-1, -1};
        for (int y = 0; y < n && cursor.first < 0; ++y)
            for (int x = 0; x < n; ++x)
                if (p.SolutionGrid[x][y] != BlackCell && p.PlayerGrid[x][y] == 0) {
                    if (free.first < 0)
                        free = {x, y};
                    else if (cursor.first < 0)
                        cursor = {x, y};
                }
        ASSERT_GE(cursor.first, 0);
        for (int k = 0; k < 9; ++k) p.MarkupGrid[free.first][free.second][k] = 1;
        for (int k = 0; k < 9; ++k) p.MarkupGrid[cursor.first][cursor.second][k] = k % 2 == 0;
        Screens.Board.CursorShown = 1;
        Screens.Board.CursorX = cursor.first;
        Screens.Board.CursorY = cursor.second;
        p.ShowMistakes = 1;
        const Picture picture = Shot("inks-" + std::to_string(n));

        auto cellBox = [&](int x, int y, float l, float t, float w, float h) {
            auto cell = Cell(x, y);
            const float s = static_cast<float>(cell->Size);
            return std::array<int, 4>{static_cast<int>(cell->x + l * s), static_cast<int>(cell->y + t * s),
                                      static_cast<int>(w * s), static_cast<int>(h * s)};
        };
        auto check = [&](const char* what, std::array<int, 4> box, bool darkInk, double at_least) {
            const auto [ground, ink] = picture.GroundAndInk(box[0], box[1], box[2], box[3], darkInk);
            const double c = Contrast(ground, ink);
            EXPECT_GE(c, at_least) << n << "x" << n << " " << what << ": ink " << ink.r << "," << ink.g << "," << ink.b
                                   << " on " << ground.r << "," << ground.g << "," << ground.b;
            std::cout << n << "x" << n << " " << what << ": " << c << ":1\n";
        };
        // The digits of the right run, the mistaken nines of the other.
        check("digit", cellBox(across[0].first, across[0].second, -0.4f, -0.4f, 0.8f, 0.8f), true, 4.5);
        for (auto [x, y] : down)
            if (p.PlayerGrid[x][y] == 9 && p.SolutionGrid[x][y] != 9) {
                check("mistake", cellBox(x, y, -0.4f, -0.4f, 0.8f, 0.8f), true, 4.5);
                const Colour red = picture
                                       .GroundAndInk(cellBox(x, y, -0.4f, -0.4f, 0.8f, 0.8f)[0],
                                                     cellBox(x, y, -0.4f, -0.4f, 0.8f, 0.8f)[1],
                                                     cellBox(x, y, -0.4f, -0.4f, 0.8f, 0.8f)[2],
                                                     cellBox(x, y, -0.4f, -0.4f, 0.8f, 0.8f)[3], true)
                                       .second;
                EXPECT_GT(red.r, red.g + 100) << "a mistake is red";
                break;
            }
        // The pencil marks, one block each: the top left and the middle mark.
        check("pencil mark 1", cellBox(free.first, free.second, -0.47f, -0.47f, 0.3f, 0.3f), true, 4.5);
        check("pencil mark 5", cellBox(free.first, free.second, -0.15f, -0.15f, 0.3f, 0.3f), true, 4.5);
        // The clues in their halves: white, green with a tick, light red with a cross.
        check("across clue, run right", cellBox(ax, ay, 0.05f, -0.45f, 0.4f, 0.3f), false, 4.5);
        check("down clue, overspent", cellBox(dx, dy, -0.45f, 0.2f, 0.4f, 0.25f), false, 4.5);
        const Colour green = picture
                                 .GroundAndInk(cellBox(ax, ay, 0.05f, -0.45f, 0.4f, 0.3f)[0],
                                               cellBox(ax, ay, 0.05f, -0.45f, 0.4f, 0.3f)[1],
                                               cellBox(ax, ay, 0.05f, -0.45f, 0.4f, 0.3f)[2],
                                               cellBox(ax, ay, 0.05f, -0.45f, 0.4f, 0.3f)[3], false)
                                 .second;
        EXPECT_GT(green.g, green.r + 60) << "a run that adds up is green";
        // The cursor's frame lies outside its cell: the marks' rows stay as drawn.
        auto cell = Cell(cursor.first, cursor.second);
        const Colour frame = picture.At(static_cast<int>(cell->x), static_cast<int>(cell->y) - cell->Size / 2 - 1);
        EXPECT_GT(frame.r, frame.b + 100) << "the cursor's amber frame";
        // Pencil marks stand ten pixels tall even on the smallest cells: the
        // middle mark of the cursor's cell, alone in its column.
        int inkedRows = 0;
        for (int y = static_cast<int>(cell->y) - cell->Size / 2; y < static_cast<int>(cell->y) + cell->Size / 2; ++y) {
            bool inked = false;
            for (int x = static_cast<int>(cell->x) - cell->Size / 7; x <= static_cast<int>(cell->x) + cell->Size / 7;
                 ++x)
                inked = inked || Luminance(picture.At(x, y)) < 0.35;
            inkedRows += inked;
        }
        EXPECT_GE(inkedRows, 10) << n << "x" << n << ": the pencil mark's height";
        check("cursor cell's top marks", cellBox(cursor.first, cursor.second, -0.47f, -0.47f, 0.3f, 0.3f), true, 4.5);
    }

    // The pause card's second line.
    Game->SpritePausedCreate("paused");
    Game->SpritePaused->SetPosition(400, 300);
    Game->Paused = 1;
    const Picture paused = Shot("paused");
    Game->Paused = 0;
    const auto [ground, ink] = paused.GroundAndInk(300, 306, 200, 20, true);
    const double c = Contrast(ground, ink);
    std::cout << "pause line: " << c << ":1\n";
    EXPECT_GE(c, 4.5);
}

TEST_F(BoardLook, CluesStayInTheirHalvesAndTheWholeHalfShowsTheCombinations) {
    NewBoard(14);
    PlayModel().Options.ShowSumCombinations = 1;
    for (int cell : {32, 37, 44, 49, 64}) {
        // Every two-digit clue clear of the fold, measured as drawn on a blank canvas.
        for (int clue : {10, 17, 23, 38, 45}) {
            for (int direction : {Vertical, Horizontal}) {
                platform::SetClsColor(0, 0, 0);
                platform::Cls();
                platform::SetColor(255, 255, 255);
                DrawClueNumber(direction, std::to_string(clue), 100, 100, cell);
                const Picture picture(platform::GrabPixmap(0, 0, 200, 200));
                int inked = 0;
                for (int y = 100 - cell / 2; y < 100 + cell / 2; ++y)
                    for (int x = 100 - cell / 2; x < 100 + cell / 2; ++x) {
                        if (picture.At(x, y).g < 60) continue;
                        ++inked;
                        const int below = (y - 100) - (x - 100);
                        if (direction == Vertical)
                            ASSERT_GT(below, 1) << cell << " " << clue << " at " << x << "," << y;
                        else
                            ASSERT_LT(below, -1) << cell << " " << clue << " at " << x << "," << y;
                    }
                EXPECT_GT(inked, cell / 2) << "drawn at all";
            }
        }
    }
    // On the board: the pointer anywhere in a half, the middle of the cell
    // just off the fold included, shows that run's combinations.
    for (auto& clue : Screens.CellList->Items) {
        if (clue->CellType != 2 || !clue->HorizontalSum || !clue->VerticalSum) continue;
        const float h = static_cast<float>(clue->Size) / 2;
        const std::pair<float, float> acrossPoints[] = {{1, -1}, {h - 1, -h + 1}, {h / 3, -h / 3}, {-h + 3, -h + 1}};
        for (auto [px, py] : acrossPoints) {
            MoveTo(clue->x + px, clue->y + py);
            EXPECT_NE(Screens.Board.Message.find(
                          PlayModel().FilteredCombinationText(Horizontal, clue->ArrayLocationX, clue->ArrayLocationY)),
                      std::string::npos)
                << px << "," << py;
        }
        MoveTo(clue->x - 1, clue->y + 1);
        EXPECT_NE(Screens.Board.Message.find(
                      PlayModel().FilteredCombinationText(Vertical, clue->ArrayLocationX, clue->ArrayLocationY)),
                  std::string::npos);
        break;
    }
}
