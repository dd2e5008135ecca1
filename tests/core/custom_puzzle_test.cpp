// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_support.h"
#include "game/core/save_game.h"

namespace {

// 3 x 3: top row and left column black, the 2 x 2 block bottom right white,
// clues 4 and 6 down over x = 1 and 2, 3 and 7 across left of y = 1 and 2.
void TypeInExample(TPuzzleModel& Model, int downClueOfSecondColumn) {
    Model.Puzzle.BoardWidth = Model.Puzzle.BoardHeight = 3;
    TCore(Model).ClearBoardCompletely();
    Model.StoreClueCell(0, 0, 0, 0);
    Model.StoreClueCell(1, 0, 0, 4);
    Model.StoreClueCell(2, 0, 0, downClueOfSecondColumn);
    Model.StoreClueCell(0, 1, 3, 0);
    Model.StoreClueCell(0, 2, 7, 0);
}

}  // namespace

TEST_F(CoreTest, TypedInExampleIsDescribedAndSolved) {
    int accepted = 0;
    Model.Hooks.CustomPuzzleAccepted = [&] { ++accepted; };
    TypeInExample(Model, 6);
    const TPuzzleDescription description = Model.CustomPuzzleDescription();
    EXPECT_EQ(description.Dimensions, "3 3");
    EXPECT_EQ(description.Unfillable, "0 1 2 3 6 ");
    EXPECT_EQ(description.Count, 4);
    EXPECT_EQ(description.Constraints, "1 4 2 0 0 2 6 2 0 0 3 0 0 3 2 6 0 0 7 2 ");

    ASSERT_EQ(Core->CheckCustomPuzzle(), 1);
    EXPECT_EQ(Puzzle.SolutionGrid[1][1], 1);
    EXPECT_EQ(Puzzle.SolutionGrid[2][1], 2);
    EXPECT_EQ(Puzzle.SolutionGrid[1][2], 3);
    EXPECT_EQ(Puzzle.SolutionGrid[2][2], 4);
    EXPECT_EQ(Puzzle.SolutionGrid[0][0], BlackCell);
    EXPECT_EQ(Puzzle.PlayerGrid[1][1], 0);
    EXPECT_EQ(Puzzle.PlayerGrid[2][0], BlackCell);
    EXPECT_EQ(Puzzle.CustomPuzzleReady, 1);
    EXPECT_EQ(accepted, 1);
}

TEST_F(CoreTest, UnsolvableTypedInPuzzlesAreRefusedUntouched) {
    int accepted = 0;
    Model.Hooks.CustomPuzzleAccepted = [&] { ++accepted; };
    TypeInExample(Model, 5);
    TPuzzleState before = Puzzle;
    EXPECT_EQ(Core->CheckCustomPuzzle(), 0);
    EXPECT_EQ(Puzzle.SolutionGrid, before.SolutionGrid);
    EXPECT_EQ(Puzzle.PlayerGrid, before.PlayerGrid);

    // A clue typed as 300 must not come out as the valid-looking 44 (300 mod 256):
    // it is not stored at all.
    TypeInExample(Model, 6);
    EXPECT_FALSE(Model.StoreClueCell(0, 2, 300, 0));
    EXPECT_FALSE(Model.StoreClueCell(0, 2, -3, 0));
    EXPECT_EQ(Puzzle.HorizontalSumGrid[0][2], 7);

    Puzzle.BoardWidth = Puzzle.BoardHeight = 6;
    Core->CustomPuzzle();
    EXPECT_EQ(Core->CheckCustomPuzzle(), 0);  // all white: no cell is covered
    EXPECT_EQ(Puzzle.CustomPuzzleReady, 0);
    EXPECT_EQ(accepted, 0);
}

TEST_F(CoreTest, CluesWithoutARunDisappear) {
    TypeInExample(Model, 6);
    // Blacking out (1, 1) leaves the across clue at (0, 1) and the down clue at
    // (1, 0) with no cell after them; the others keep their runs.
    Model.StoreClueCell(1, 1, 0, 0);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[0][1], 0);
    EXPECT_EQ(Puzzle.VerticalSumGrid[1][0], 0);
    EXPECT_EQ(Puzzle.VerticalSumGrid[2][0], 6);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[0][2], 7);
    // A clue pointing at the board edge is dropped at once.
    Model.StoreClueCell(2, 2, 5, 5);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[2][2], 0);
    EXPECT_EQ(Puzzle.VerticalSumGrid[2][2], 0);
}

// Clues 3 on all four runs of the 2 x 2 block: 1 2 / 2 1 and 2 1 / 1 2 both fit.
TEST_F(CoreTest, PuzzlesWithSeveralSolutionsArePlayedByTheRules) {
    int accepted = 0;
    Model.Hooks.CustomPuzzleAccepted = [&] { ++accepted; };
    Puzzle.BoardWidth = Puzzle.BoardHeight = 3;
    Core->ClearBoardCompletely();
    Model.StoreClueCell(0, 0, 0, 0);
    Model.StoreClueCell(1, 0, 0, 3);
    Model.StoreClueCell(2, 0, 0, 3);
    Model.StoreClueCell(0, 1, 3, 0);
    Model.StoreClueCell(0, 2, 3, 0);
    ASSERT_EQ(Core->CheckCustomPuzzle(), 1);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(Core->CheckMessage, "Several Solutions");
    EXPECT_EQ(Puzzle.SeveralSolutions, 1);
    EXPECT_EQ(Puzzle.SolutionGrid[1][1], 1);  // the first in cell order is kept

    // The other filling completes the puzzle just as well.
    Puzzle.PlayerGrid[1][1] = 2;
    Puzzle.PlayerGrid[2][1] = 1;
    Puzzle.PlayerGrid[1][2] = 1;
    EXPECT_EQ(Model.BreaksRules(1, 1), 0);
    EXPECT_EQ(Core->IsPuzzleCompleted(), 0);  // one cell still open
    Puzzle.PlayerGrid[2][2] = 1;
    // A 1 twice in the last row and column: those two cells are wrong, the others not.
    EXPECT_EQ(Model.BreaksRules(2, 2), 1);
    EXPECT_EQ(Model.BreaksRules(1, 2), 1);
    EXPECT_EQ(Model.BreaksRules(1, 1), 0);
    EXPECT_EQ(Core->IsPuzzleCompleted(), 0);
    Puzzle.PlayerGrid[2][2] = 2;
    EXPECT_EQ(Model.BreaksRules(2, 2), 0);
    EXPECT_EQ(Core->IsPuzzleCompleted(), 1);

    // A board with nothing to fill is refused, with its own message.
    Puzzle.PuzzleCompleted = 0;
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y) Model.StoreClueCell(x, y, 0, 0);
    EXPECT_EQ(Core->CheckCustomPuzzle(), 0);
    EXPECT_EQ(Core->CheckMessage, "Nothing To Fill");
    EXPECT_EQ(accepted, 1);

    // A save does not record it, so a reload must find it again.
    Puzzle.BoardWidth = Puzzle.BoardHeight = 6;
    Core->ClearBoardCompletely();
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 6; ++y)
            if (x < 1 || x > 2 || y < 1 || y > 2)
                Model.StoreClueCell(x, y, x == 0 && y >= 1 && y <= 2 ? 3 : 0, y == 0 && x >= 1 && x <= 2 ? 3 : 0);
    ASSERT_EQ(Core->CheckCustomPuzzle(), 1);
    ASSERT_EQ(Puzzle.SeveralSolutions, 1);
    ASSERT_EQ(Model.SaveGameNamed("either"), 1);
    TypeInExample(Model, 6);
    ASSERT_EQ(Core->CheckCustomPuzzle(), 1);
    ASSERT_EQ(Model.LoadGameNamed("either"), 1);
    EXPECT_EQ(Puzzle.SeveralSolutions, 1);

    // A single solution says nothing more; a refused one names the plain reason.
    TypeInExample(Model, 6);
    ASSERT_EQ(Core->CheckCustomPuzzle(), 1);
    EXPECT_EQ(Core->CheckMessage, "");
    EXPECT_EQ(Puzzle.SeveralSolutions, 0);
    TypeInExample(Model, 5);
    EXPECT_EQ(Core->CheckCustomPuzzle(), 0);
    EXPECT_EQ(Core->CheckMessage, "Not Solvable");
}
