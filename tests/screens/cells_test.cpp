// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "framework/core/globals.h"
#include "game/core/options.h"
#include "game/screens/board_look.h"
#include "game/screens/cells.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "screens_support.h"

TEST(BoardLayout, CellsGrowToFillTheSheet) {
    // 6x6 and 7x7 at twice the 14x14 cells, the sizes between as large as the
    // sheet (480 pixels at 212, 24, less 16 all round) allows; centred on it.
    const int sizes[] = {6, 7, 9, 12, 14};
    const int cells[] = {64, 64, 49, 37, 32};
    const int xs[] = {292, 260, 255, 248, 244};
    const int ys[] = {104, 72, 67, 60, 56};
    for (int k = 0; k < 5; ++k) {
        const TBoardGeometry g = BoardGeometry(sizes[k], sizes[k]);
        EXPECT_EQ(g.Cell, cells[k]) << sizes[k];
        EXPECT_EQ(g.X0, xs[k]) << sizes[k];
        EXPECT_EQ(g.Y0, ys[k]) << sizes[k];
    }
}

TEST_F(ScreensTest, CellsBuiltInPlaceAndDroppingIn) {
    BuildBlockPuzzle(7);
    PlayCore().CreateCells(0);
    ASSERT_EQ(Screens.CellList->Count(), 49);
    // Column by column, each from the top.
    EXPECT_EQ(Screens.CellList->Items[1]->ArrayLocationX, 0);
    EXPECT_EQ(Screens.CellList->Items[1]->ArrayLocationY, 1);
    auto white = CellAt(1, 1);
    EXPECT_EQ(white->CellType, 0);
    EXPECT_EQ(white->x, 260 + 64);
    EXPECT_EQ(white->y, 72 + 64);
    EXPECT_EQ(white->Size, 64);
    EXPECT_EQ(CellAt(0, 0)->CellType, 1);
    auto clue = CellAt(0, 1);
    EXPECT_EQ(clue->CellType, 2);
    EXPECT_EQ(clue->HorizontalSum, PlayModel().Puzzle.HorizontalSumGrid[0][1]);
    EXPECT_EQ(clue->VerticalSum, 0);

    PlayCore().CreateCells(1);
    ASSERT_EQ(Screens.CellList->Count(), 49);
    for (auto& cell : Screens.CellList->Items) EXPECT_LT(cell->y, 0) << "starts above the screen";
    Delta = 1.0f;
    for (int step = 0; step < 2000; ++step) Screens.CellList->Move();
    for (auto& cell : Screens.CellList->Items) {
        EXPECT_EQ(cell->x, cell->TargetX);
        EXPECT_EQ(cell->y, cell->TargetY);
        EXPECT_EQ(cell->dy, 0);
    }
}

TEST_F(ScreensTest, PointerIsOverACellStrictlyWithinItsHalfWidth) {
    BuildBlockPuzzle(6);
    PlayCore().CreateCells(0);
    auto cell = CellAt(1, 1);
    PointAt(cell->x + 31, cell->y - 31);
    EXPECT_EQ(cell->IsMouseOver(), 1);
    PointAt(cell->x + 32, cell->y);
    EXPECT_EQ(cell->IsMouseOver(), 0);
}

TEST_F(ScreensTest, LeftClickPlacesDigitsAndRefusesDoubles) {
    BuildBlockPuzzle(6);
    PlayCore().CreateCells(0);
    PlayModel().Options.PreventDoubleNumbers = 1;
    auto a = CellAt(1, 1), b = CellAt(2, 1);
    PlayModel().Puzzle.MarkupGrid[1][1][3] = 1;
    Screens.Board.SelectedNumber = 4;
    Click(a->x, a->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 4);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[1][1][3], 0) << "a placed digit clears the marks";
    // The same digit in the same run is refused and the clashing cell flagged.
    Click(b->x, b->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[2][1], 0);
    EXPECT_EQ(Screens.Board.ConflictShown, 1);
    EXPECT_EQ(Screens.Board.ConflictCellX, 1);
    EXPECT_EQ(Screens.Board.ConflictCellY, 1);
    // Again on the cell that already holds it: the cell itself is flagged.
    Screens.Board.ConflictShown = 0;
    Click(a->x, a->y, 1);
    EXPECT_EQ(Screens.Board.ConflictShown, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 4);
    // Without the option the double goes in.
    PlayModel().Options.PreventDoubleNumbers = 0;
    Click(b->x, b->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[2][1], 4);
    // The eraser empties.
    Screens.Board.SelectedNumber = 0;
    Click(b->x, b->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[2][1], 0);
}

TEST_F(ScreensTest, RightClickTogglesPencilMarks) {
    BuildBlockPuzzle(6);
    PlayCore().CreateCells(0);
    auto a = CellAt(1, 1);
    PlayModel().Puzzle.PlayerGrid[1][1] = 2;
    Screens.Board.SelectedNumber = 7;
    Click(a->x, a->y, 2);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 0) << "the digit makes way for the mark";
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[1][1][6], 1);
    Click(a->x, a->y, 2);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[1][1][6], 0);
    // With the eraser a right click does nothing at all.
    PlayModel().Puzzle.PlayerGrid[1][1] = 3;
    PlayModel().Puzzle.MarkupGrid[1][1][0] = 1;
    Screens.Board.SelectedNumber = 0;
    Click(a->x, a->y, 2);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 3);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[1][1][0], 1);
    // A press off every cell is left for others.
    Click(10, 10, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 3);
}

TEST_F(ScreensTest, RevealModeTakesTheSolutionDigitOnce) {
    BuildBlockPuzzle(6);
    PlayCore().CreateCells(0);
    auto a = CellAt(2, 2);
    PlayModel().Puzzle.RevealCellMode = 1;
    PlayModel().Puzzle.MarkupGrid[2][2][0] = 1;
    Screens.Board.SelectedNumber = 9;
    Click(a->x, a->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[2][2], PlayModel().Puzzle.SolutionGrid[2][2]);
    EXPECT_EQ(PlayModel().Puzzle.RevealCellMode, 0);
    EXPECT_EQ(PlayModel().Puzzle.MarkupGrid[2][2][0], 0);
}

TEST_F(ScreensTest, CustomEntryEraserAndClueTool) {
    BuildBlockPuzzle(6);
    PlayModel().Puzzle.CustomMode = 1;
    PlayCore().CreateCells(0);
    // The eraser turns a clue cell white and the board is rebuilt in place.
    Screens.Board.SelectedNumber = 0;
    auto clue = CellAt(3, 1);
    ASSERT_EQ(clue->CellType, 2);
    Click(clue->x, clue->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid[3][1], 0);
    EXPECT_EQ(CellAt(3, 1)->CellType, 0);
    EXPECT_NE(CellAt(3, 1), clue);
    // The clue tool opens the dialogs for the cell clicked.
    int opened = 0;
    Screens.Board.OpenClueDialogs = [&] { ++opened; };
    Screens.Board.SelectedNumber = 10;
    auto black = CellAt(0, 2);
    Click(black->x, black->y, 1);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Screens.Board.EditCellX, 0);
    EXPECT_EQ(Screens.Board.EditCellY, 2);
    // Digits do nothing while typing a puzzle in; outside it clue cells ignore clicks.
    Screens.Board.SelectedNumber = 5;
    auto white = CellAt(1, 1);
    Click(white->x, white->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.PlayerGrid[1][1], 0);
    PlayModel().Puzzle.CustomMode = 0;
    Screens.Board.SelectedNumber = 0;
    Click(black->x, black->y, 1);
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid[0][2], BlackCell);
}

TEST_F(ScreensTest, HoverPutsHelpOnTheMessageLine) {
    BuildBlockPuzzle(6);
    PlayCore().CreateCells(0);
    PlayModel().Options.ShowSumCombinations = 1;
    auto clue = CellAt(0, 1);  // an across clue only
    ASSERT_NE(clue->HorizontalSum, 0);
    // Upper-right half: the combinations of the across run.
    PointAt(clue->x + 8, clue->y - 8);
    Screens.Board.Message.clear();
    clue->DrawSpecial(1);
    EXPECT_NE(Screens.Board.Message.find(PlayModel().CombinationText(Horizontal, 0, 1)), std::string::npos);
    EXPECT_NE(Screens.Board.Message.find("\r\n"), std::string::npos);
    // On the diagonal neither half is lit.
    PointAt(clue->x + 4, clue->y + 4);
    Screens.Board.Message.clear();
    clue->DrawSpecial(1);
    EXPECT_TRUE(Screens.Board.Message.empty());
    // Not interactive: no reaction at all.
    PointAt(clue->x + 8, clue->y - 8);
    clue->DrawSpecial(0);
    EXPECT_TRUE(Screens.Board.Message.empty());
}
