// SPDX-License-Identifier: GPL-3.0-or-later
// Checkpoints, "Undo to Last Correct", kept marks and the combination panel on
// the real play screen: keys, buttons and the pointer through the logic step, and
// pictures of the tinted digits and the struck-through marks.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/options.h"
#include "game/screens/cells.h"
#include "game/screens/game_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/title_screen.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace vk = platform::vk;

namespace {

std::array<int, 3> Rgb(std::uint32_t argb) {
    return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
}

class Checkpoints : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        if (IsSkipped()) return;
        ArtifactPrefix = "checkpoints-";
        SharedData.Folder = scratch.Folder();
        Game->IgnoreFrameworkKeys = 1;
        ASSERT_TRUE(PlayCore().CreatePuzzle(9, 9, 1));
        PlayCore().RestartPuzzle();
        PlayModel().Puzzle.CustomMode = 0;
        PlayModel().Options.PreventDoubleNumbers = 0;
        Game->DestinationTScreen = Screens.GameScreen;
        Screens.GameScreen->PreStart();
        PlayCore().CreateCells(0);
        Steps(120);
    }
    void TearDown() override {
        SharedData.Folder.clear();
        GameScreensFixture::TearDown();
    }
    std::shared_ptr<TCell> Cell(int i, int j) {
        for (auto& cell : Screens.CellList->Items)
            if (cell->ArrayLocationX == i && cell->ArrayLocationY == j) return cell;
        return nullptr;
    }
    void Put(int x, int y, int digit) {
        Screens.Board.SelectedNumber = digit;
        ClickAt(Cell(x, y)->x, Cell(x, y)->y);
        ASSERT_EQ(PlayModel().Puzzle.PlayerGrid[x][y], digit);
    }
    // The light cells of one across run of three or more, left to right.
    std::vector<std::pair<int, int>> LongRun() {
        const auto& p = PlayModel().Puzzle;
        for (int y = 0; y < p.BoardHeight; ++y)
            for (int x = 0; x < p.BoardWidth; ++x)
                if (p.HorizontalSumGrid[x][y] && PlayModel().RunLength(Horizontal, x, y) >= 3)
                    return PlayModel().RunCells(Horizontal, x, y);
        return {};
    }
    // The most striking pixel of a box on the last frame: on the light cells, the darkest.
    std::array<int, 3> Darkest(const std::shared_ptr<platform::Pixmap>& picture, int left, int top, int w, int h) {
        int best = 1000;
        std::array<int, 3> colour{};
        for (int py = top; py < top + h; ++py)
            for (int px = left; px < left + w; ++px) {
                const auto c = Rgb(picture->ReadPixel(px, py));
                if (c[0] + c[1] + c[2] < best) best = c[0] + c[1] + c[2], colour = c;
            }
        return colour;
    }
    std::array<int, 3> DigitColour(const std::shared_ptr<platform::Pixmap>& picture, int x, int y) {
        auto cell = Cell(x, y);
        const int s = cell->Size;
        return Darkest(picture, static_cast<int>(cell->x) - s * 10 / 32, static_cast<int>(cell->y) - s * 14 / 32,
                       s * 20 / 32, s * 28 / 32);
    }
    int RedPixels(const std::shared_ptr<platform::Pixmap>& picture, int left, int top, int w, int h) {
        int red = 0;
        for (int py = top; py < top + h; ++py)
            for (int px = left; px < left + w; ++px) {
                const auto c = Rgb(picture->ReadPixel(px, py));
                red += c[0] > 150 && c[1] < 90 && c[2] < 90;
            }
        return red;
    }
    // The box of pencil mark k (0..8) of a cell: a third of the tile each way.
    std::array<int, 4> MarkBox(const std::shared_ptr<TCell>& cell, int k) {
        const int pitch = (cell->Size - 2 * cell->Size / 32) / 3;
        const int cx = static_cast<int>(cell->x) + pitch * (k % 3 - 1),
                  cy = static_cast<int>(cell->y) + pitch * (k / 3 - 1);
        return {cx - pitch / 2, cy - pitch / 2, pitch, pitch};
    }
    std::string Message() const { return Screens.Board.Message; }
};

}  // namespace

TEST_F(Checkpoints, TryFromHereTintsWhatIsTriedAndShiftTGoesBackInOneUndoableStep) {
    const auto run = LongRun();
    ASSERT_GE(run.size(), 3u);
    const auto& p = PlayModel().Puzzle;
    const auto [ax, ay] = run[0];
    const auto [bx, by] = run[1];
    const auto [cx, cy] = run[2];
    Put(ax, ay, p.SolutionGrid[ax][ay]);
    Key('T');
    ASSERT_EQ(PlayModel().OpenCheckpoints().size(), 1u);
    Put(bx, by, p.SolutionGrid[bx][by]);
    Put(cx, cy, p.SolutionGrid[cx][cy] % 9 + 1);
    MoveTo(790, 10);
    Frame("tinted");
    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    const auto before = DigitColour(shot, ax, ay), tried = DigitColour(shot, bx, by);
    EXPECT_LT(before[2], before[0] + 60) << "a digit from before the checkpoint keeps the plain ink";
    EXPECT_LT(before[0] + before[1] + before[2], 300);
    EXPECT_GT(tried[2], tried[0] + 80) << "a digit tried since is tinted blue";
    EXPECT_GT(DigitColour(shot, cx, cy)[2], DigitColour(shot, cx, cy)[0] + 80);

    // Back in one step; undo brings the tried digits back, redo takes them away again.
    With(vk::LSHIFT, 'T');
    EXPECT_EQ(p.PlayerGrid[ax][ay], p.SolutionGrid[ax][ay]);
    EXPECT_EQ(p.PlayerGrid[bx][by], 0);
    EXPECT_EQ(p.PlayerGrid[cx][cy], 0);
    EXPECT_TRUE(PlayModel().OpenCheckpoints().empty());
    With(vk::LCONTROL, 'Z');
    EXPECT_EQ(p.PlayerGrid[bx][by], p.SolutionGrid[bx][by]);
    EXPECT_EQ(PlayModel().OpenCheckpoints().size(), 1u);
    With(vk::LCONTROL, 'Y');
    EXPECT_EQ(p.PlayerGrid[bx][by], 0);
    MoveTo(790, 10);
    Frame("back");
    shot = platform::GrabPixmap(0, 0, 800, 600);
    EXPECT_LT(DigitColour(shot, ax, ay)[2], DigitColour(shot, ax, ay)[0] + 60) << "no checkpoint, no tint";

    // Back with none open says so; the button sets one, and five nest at most.
    With(vk::LSHIFT, 'T');
    ASSERT_TRUE(Screens.GameScreen->OKInput);
    Key(vk::RETURN);
    Steps(60);
    ASSERT_FALSE(Screens.GameScreen->OKInput);
    ClickButton(Screens.GameScreen->MainMenu, "tryfromhere", 5);
    EXPECT_EQ(PlayModel().OpenCheckpoints().size(), 1u);
    for (int k = 0; k < 4; ++k) Key('T');
    EXPECT_EQ(PlayModel().OpenCheckpoints().size(), 5u);
    EXPECT_FALSE(Screens.GameScreen->OKInput);
    Key('T');
    EXPECT_EQ(PlayModel().OpenCheckpoints().size(), 5u);
    ASSERT_TRUE(Screens.GameScreen->OKInput) << "a sixth is refused with a word why";
    Frame("five-open");
    Key(vk::RETURN);
    Steps(60);
    // Shift and the button go back too.
    platform::PostEvent({platform::EventKind::KeyDown, vk::LSHIFT, 0, 0});
    ClickButton(Screens.GameScreen->MainMenu, "tryfromhere", 5);
    platform::PostEvent({platform::EventKind::KeyUp, vk::LSHIFT, 0, 0});
    Steps(2);
    EXPECT_EQ(PlayModel().OpenCheckpoints().size(), 4u);
}

TEST_F(Checkpoints, CheckpointsComeBackWithContinue) {
    const auto run = LongRun();
    const auto& p = PlayModel().Puzzle;
    const auto [ax, ay] = run[0];
    const auto [bx, by] = run[1];
    Put(ax, ay, p.SolutionGrid[ax][ay]);
    Key('T');
    Put(bx, by, p.SolutionGrid[bx][by] % 9 + 1);
    const TGrid played = p.PlayerGrid;
    // Leaving the board keeps the puzzle; Continue on the title brings it back.
    Screens.GameScreen->Autosave();
    ASSERT_TRUE(PlayCore().CreatePuzzle(6, 6, 0));
    PlayCore().RestartPuzzle();
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    Steps(120);
    ASSERT_TRUE(Screens.TitleScreen->Menu->FindButton("continue"));
    ClickButton(Screens.TitleScreen->Menu, "continue", 0);
    // The fade and the cells dropping into place.
    Steps(1200);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(p.PlayerGrid, played);
    ASSERT_EQ(PlayModel().OpenCheckpoints().size(), 1u);
    MoveTo(790, 10);
    Frame("continued");
    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    EXPECT_GT(DigitColour(shot, bx, by)[2], DigitColour(shot, bx, by)[0] + 80) << "still tinted";
    With(vk::LSHIFT, 'T');
    EXPECT_EQ(p.PlayerGrid[bx][by], 0);
    EXPECT_EQ(p.PlayerGrid[ax][ay], p.SolutionGrid[ax][ay]);
}

TEST_F(Checkpoints, UndoToLastCorrectTakesBackEverythingSinceTheFirstMistake) {
    const auto run = LongRun();
    const auto& p = PlayModel().Puzzle;
    const auto [ax, ay] = run[0];
    const auto [bx, by] = run[1];
    const auto [cx, cy] = run[2];
    Put(ax, ay, p.SolutionGrid[ax][ay]);
    // Nothing wrong yet: the aid says so and changes nothing.
    Key('U');
    ASSERT_TRUE(Screens.GameScreen->OKInput);
    EXPECT_NE(Screens.GameScreen->OKInput->Caption->Text.find("nothing to take back"), std::string::npos);
    Key(vk::RETURN);
    Steps(60);
    Put(bx, by, p.SolutionGrid[bx][by] % 9 + 1);
    Put(cx, cy, p.SolutionGrid[cx][cy]);
    With(vk::LSHIFT, '0' + (p.SolutionGrid[ax][ay] % 9 + 1));
    ClickButton(Screens.GameScreen->PuzzleMenu, "undotolastcorrect", 5);
    EXPECT_EQ(p.PlayerGrid[ax][ay], p.SolutionGrid[ax][ay]);
    EXPECT_EQ(p.PlayerGrid[bx][by], 0);
    EXPECT_EQ(p.PlayerGrid[cx][cy], 0) << "everything since, right or not";
    EXPECT_FALSE(Screens.GameScreen->OKInput);
    With(vk::LCONTROL, 'Z');
    EXPECT_EQ(p.PlayerGrid[bx][by], p.SolutionGrid[bx][by] % 9 + 1);
    EXPECT_EQ(p.PlayerGrid[cx][cy], p.SolutionGrid[cx][cy]);
    MoveTo(790, 10);
    Frame("aids");
}

TEST_F(Checkpoints, PlacedDigitsKeepMarksAndContradictingMarksAreStruckThrough) {
    const auto run = LongRun();
    const auto& p = PlayModel().Puzzle;
    const auto [ax, ay] = run[0];
    const auto [bx, by] = run[1];
    const auto [cx, cy] = run[2];
    const int d = p.SolutionGrid[ax][ay];
    ASSERT_EQ(PlayModel().Options.KeepPencilMarks, 1) << "on by default";
    ClickButton(Screens.GameScreen->PuzzleMenu, "showhideautomarkup", 5);
    // A mark the player takes off stays off when a digit goes in elsewhere.
    const int other = p.SolutionGrid[cx][cy];
    ASSERT_EQ(p.MarkupGrid[cx][cy][other - 1], 1);
    Screens.Board.SelectedNumber = other;
    ClickAt(Cell(cx, cy)->x, Cell(cx, cy)->y, 2);
    ASSERT_EQ(p.MarkupGrid[cx][cy][other - 1], 0);
    Put(ax, ay, d);
    EXPECT_EQ(p.MarkupGrid[cx][cy][other - 1], 0) << "not brought back";
    EXPECT_EQ(p.MarkupGrid[bx][by][d - 1], 0) << "ruled out by the digit placed in the run";

    // A mark put back against the digit in its run is drawn struck through in red.
    Screens.Board.SelectedNumber = d;
    ClickAt(Cell(bx, by)->x, Cell(bx, by)->y, 2);
    ASSERT_EQ(p.MarkupGrid[bx][by][d - 1], 1);
    EXPECT_EQ(PlayModel().MarkContradicted(d, bx, by), 1);
    MoveTo(790, 10);
    Frame("contradicting-mark");
    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    auto cell = Cell(bx, by);
    const auto box = MarkBox(cell, d - 1);
    EXPECT_GT(RedPixels(shot, box[0], box[1], box[2], box[3]), 6);
    // Another mark of the same cell is plain.
    for (int e = 1; e <= 9; ++e)
        if (e != d && p.MarkupGrid[bx][by][e - 1]) {
            const auto other = MarkBox(cell, e - 1);
            // The struck mark's slash may touch a corner of its neighbour's box.
            EXPECT_LE(RedPixels(shot, other[0] + 1, other[1] + 1, other[2] - 2, other[3] - 2), 2) << e;
        }

    // The options screen offers the switch.
    Game->DestinationTScreen = Screens.OptionsScreen;
    Screens.OptionsScreen->PreStart();
    Steps(120);
    ASSERT_EQ(Game->CurrentTScreen, Screens.OptionsScreen);
    Frame("options");
    ClickButton(Screens.OptionsScreen->OptionsMenu, "keeppencilmarks", 5);
    EXPECT_EQ(PlayModel().Options.KeepPencilMarks, 0);
}

TEST_F(Checkpoints, ThePanelListsWhatStillFitsAndShiftShowsEveryCombination) {
    const auto run = LongRun();
    const auto& p = PlayModel().Puzzle;
    const auto [ax, ay] = run[0];
    const int clueX = ax - 1, clueY = ay;
    Put(ax, ay, p.SolutionGrid[ax][ay]);
    auto clue = Cell(clueX, clueY);
    // The across half of the clue cell: its upper right.
    MoveTo(clue->x + 10, clue->y - 10);
    Frame("");
    const std::string head = Resources.GameText->FindString("Possible Combinations Field") + "\r\n";
    const std::string filtered = PlayModel().FilteredCombinationText(Horizontal, clueX, clueY);
    EXPECT_EQ(Message(), head + filtered);
    EXPECT_NE(filtered.find(std::to_string(p.SolutionGrid[ax][ay])), std::string::npos);
    Frame("panel-filtered");
    platform::PostEvent({platform::EventKind::KeyDown, vk::LSHIFT, 0, 0});
    Steps(1);
    Frame("panel-all");
    EXPECT_EQ(Message(), head + PlayModel().CombinationText(Horizontal, clueX, clueY));
    platform::PostEvent({platform::EventKind::KeyUp, vk::LSHIFT, 0, 0});
    Steps(1);

    // The keyboard cursor gets the lists of both its runs.
    MoveTo(790, 10);
    Key(vk::LEFT);
    ASSERT_EQ(Screens.Board.CursorShown, 1);
    Frame("panel-cursor");
    EXPECT_EQ(Message().rfind(Resources.GameText->FindString("Across Combinations"), 0), 0u) << Message();
    EXPECT_NE(Message().find(Resources.GameText->FindString("Down Combinations")), std::string::npos) << Message();
}

// Beside the checkpoint keys, every other aid's key.
TEST_F(Checkpoints, EveryAidHasAKeyAndThoseThatGiveDigitsAwayWantShift) {
    auto& p = PlayModel().Puzzle;
    auto revealed = [&] {
        int n = 0;
        for (int x = 0; x < p.BoardWidth; ++x)
            for (int y = 0; y < p.BoardHeight; ++y) n += p.SolutionGrid[x][y] != BlackCell && p.PlayerGrid[x][y] != 0;
        return n;
    };
    Key('M');
    EXPECT_EQ(p.ShowMistakes, 1);
    Key('M');
    EXPECT_EQ(p.ShowMistakes, 0);
    Key('A');
    EXPECT_EQ(p.AutoMarkup, 1);
    // Without Shift the keys that give digits away do nothing.
    for (int key : {'R', 'S', 'C'}) Key(key);
    EXPECT_EQ(revealed(), 0);
    EXPECT_EQ(p.ShowSolution, 0);
    EXPECT_EQ(p.RevealCellMode, 0);
    EXPECT_EQ(p.RevealUsed, 0);
    With(vk::LSHIFT, 'R');
    EXPECT_EQ(revealed(), 1);
    With(vk::LSHIFT, 'C');
    EXPECT_EQ(p.RevealCellMode, 1);
    With(vk::LSHIFT, 'S');
    EXPECT_EQ(p.ShowSolution, 1);
    With(vk::LSHIFT, 'S');
    EXPECT_EQ(p.ShowSolution, 0);
    // Ctrl+S asks for a save's name, as the button does.
    EXPECT_FALSE(Screens.GameScreen->SaveGameNameInput);
    With(vk::LCONTROL, 'S');
    EXPECT_TRUE(Screens.GameScreen->SaveGameNameInput);
    EXPECT_EQ(p.ShowSolution, 0) << "Ctrl+S is not the solution's key";
}
