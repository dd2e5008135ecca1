// SPDX-License-Identifier: GPL-3.0-or-later
#include <set>

#include "core_support.h"
#include "game/core/services.h"
#include "tallyfold/engine/LogicSolver.h"
#include "tallyfold/engine/Quality.h"

namespace {

// An all-white board of size n with a single clue cell at (0, 0) whose runs
// reach to the next black cell at `length` + 1.
void SingleRun(TPuzzleModel& model, int n, int length, int clue, int direction) {
    TPuzzleState& Puzzle = model.Puzzle;
    Puzzle.BoardWidth = Puzzle.BoardHeight = n;
    TCore(model).ClearBoardCompletely();
    Puzzle.PlayerGrid[0][0] = Puzzle.SolutionGrid[0][0] = BlackCell;
    const int x = direction == Horizontal ? length + 1 : 0, y = direction == Horizontal ? 0 : length + 1;
    if (x < n && y < n) Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = BlackCell;
    (direction == Horizontal ? Puzzle.HorizontalSumGrid : Puzzle.VerticalSumGrid)[0][0] =
        static_cast<std::uint8_t>(clue);
}

}  // namespace

TEST_F(CoreTest, CreatedPuzzleHasTheClueOfEveryRunAndAnEmptyPlayerGrid) {
    ASSERT_TRUE(Core->CreatePuzzle(9, 9, 0));
    EXPECT_EQ(Puzzle.BoardWidth, 9);
    EXPECT_EQ(Puzzle.BoardHeight, 9);
    EXPECT_EQ(Puzzle.PuzzleDifficulty, 0);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Puzzle.SolutionGrid[i][0], BlackCell);
        EXPECT_EQ(Puzzle.SolutionGrid[0][i], BlackCell);
    }
    int whites = 0;
    for (int x = 0; x < 9; ++x) {
        for (int y = 0; y < 9; ++y) {
            const int solution = Puzzle.SolutionGrid[x][y];
            if (solution != BlackCell) {
                ++whites;
                EXPECT_GE(solution, 1);
                EXPECT_LE(solution, 9);
                EXPECT_EQ(Puzzle.PlayerGrid[x][y], 0);
                EXPECT_EQ(Puzzle.HorizontalSumGrid[x][y] + Puzzle.VerticalSumGrid[x][y], 0);
                continue;
            }
            EXPECT_EQ(Puzzle.PlayerGrid[x][y], BlackCell);
            const bool across = x < 8 && Puzzle.SolutionGrid[x + 1][y] != BlackCell;
            const bool down = y < 8 && Puzzle.SolutionGrid[x][y + 1] != BlackCell;
            EXPECT_EQ(Puzzle.HorizontalSumGrid[x][y], across ? Model.SolutionRunSum(Horizontal, x, y) : 0)
                << x << "," << y;
            EXPECT_EQ(Puzzle.VerticalSumGrid[x][y], down ? Model.SolutionRunSum(Vertical, x, y) : 0) << x << "," << y;
            if (across) {
                EXPECT_GT(Puzzle.HorizontalSumGrid[x][y], 0);
            }
        }
    }
    EXPECT_GT(whites, 20);

    // The engine is seeded from the game's clock: the same millisecond gives the same puzzle.
    const TGrid first = Puzzle.SolutionGrid;
    ASSERT_TRUE(Core->CreatePuzzle(9, 9, 0));
    EXPECT_EQ(Puzzle.SolutionGrid, first);
    EXPECT_FALSE(Core->CreatePuzzle(15, 15, 0));
    EXPECT_EQ(Puzzle.BoardWidth, 9);

    // Each difficulty asks for the reasoning of its level (hard on 7x7: trials, or at
    // least exact runs when the board allows no trials).
    for (int difficulty = 0; difficulty < 3; ++difficulty) {
        ASSERT_TRUE(Core->CreatePuzzle(7, 7, difficulty));
        std::vector<int> grid(49);
        for (int x = 0; x < 7; ++x)
            for (int y = 0; y < 7; ++y)
                // In the generator's orientation: an engine row is a game y.
                grid[static_cast<std::size_t>(y * 7 + x)] =
                    Puzzle.SolutionGrid[x][y] == BlackCell ? -1 : Puzzle.SolutionGrid[x][y];
        engine::TBoard board;
        engine::BoardFromDigits(grid, 7, 7, board);
        const int tier = engine::GradePuzzle(board).tier;
        EXPECT_TRUE(tier == difficulty + 1 || (difficulty == 2 && tier == 2)) << difficulty << ": tier " << tier;
        // The grade within the level is the engine's for the same board.
        EXPECT_EQ(Puzzle.PuzzleStars,
                  engine::DifficultyStars(engine::DifficultyScore(engine::MeasurePuzzle(board)), 7, 7, difficulty + 1));
        EXPECT_GE(Puzzle.PuzzleStars, 1);
    }
    // A puzzle that is not a finished grid has no grade.
    Puzzle.SolutionGrid[1][1] = 0;
    EXPECT_EQ(Model.PuzzleGradeStars(), 0);
}

TEST_F(CoreTest, NewAndCustomPuzzlesBuildTheCellsAndRestart) {
    std::vector<int> builds;
    Model.Hooks.CreateCells = [&](int animate) { builds.push_back(animate); };
    Puzzle.BoardWidth = Puzzle.BoardHeight = 6;
    Puzzle.PuzzleDifficulty = 2;
    Puzzle.ShowSolution = 1;
    Advance(500);
    Core->NewPuzzle();
    EXPECT_EQ(builds, std::vector<int>{1});
    EXPECT_EQ(Puzzle.BoardWidth, 6);
    EXPECT_EQ(Puzzle.PuzzleDifficulty, 2);
    EXPECT_EQ(Puzzle.ShowSolution, 0);
    EXPECT_EQ(Puzzle.TimerStart, now);

    Core->CustomPuzzle();
    EXPECT_EQ(builds, (std::vector<int>{1, 1}));
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 6; ++y)
            EXPECT_EQ(Puzzle.PlayerGrid[x][y] + Puzzle.SolutionGrid[x][y] + Puzzle.VerticalSumGrid[x][y] +
                          Puzzle.HorizontalSumGrid[x][y],
                      0);
}

TEST_F(CoreTest, CompletionNeedsEveryCell) {
    BuildBlockPuzzle(6);
    Puzzle.PlayerGrid = Puzzle.SolutionGrid;
    Puzzle.PlayerGrid[4][5] = 0;
    EXPECT_EQ(Core->IsPuzzleCompleted(), 0);
    EXPECT_EQ(Puzzle.PuzzleCompleted, 0);
    Puzzle.PlayerGrid[4][5] = Puzzle.SolutionGrid[4][5];
    EXPECT_EQ(Core->IsPuzzleCompleted(), 1);
    EXPECT_EQ(Puzzle.PuzzleCompleted, 1);
}

TEST_F(CoreTest, RandomHintRevealsOnlyEmptyOrWrongWhiteCells) {
    BuildBlockPuzzle(6);
    Puzzle.PlayerGrid[1][1] = Puzzle.SolutionGrid[1][1];  // right
    Puzzle.PlayerGrid[2][1] = 9;                          // wrong
    CoreSeedRandom(7);
    int hints = 0;
    while (Puzzle.PlayerGrid != Puzzle.SolutionGrid) {
        const TGrid before = Puzzle.PlayerGrid;
        Core->ShowRandomCell();
        ++hints;
        int changed = 0;
        for (int x = 0; x < 6; ++x) {
            for (int y = 0; y < 6; ++y) {
                if (before[x][y] == Puzzle.PlayerGrid[x][y]) continue;
                ++changed;
                EXPECT_NE(before[x][y], Puzzle.SolutionGrid[x][y]);
                EXPECT_NE(Puzzle.SolutionGrid[x][y], BlackCell);
                EXPECT_EQ(Puzzle.PlayerGrid[x][y], Puzzle.SolutionGrid[x][y]);
            }
        }
        ASSERT_EQ(changed, 1);
    }
    EXPECT_EQ(hints, 15);  // 16 white cells, one already right
    // Asked again on a finished board, the hint does nothing instead of searching for ever.
    Core->ShowRandomCell();
    EXPECT_EQ(Puzzle.PlayerGrid, Puzzle.SolutionGrid);
}

TEST_F(CoreTest, RestartKeepsThePuzzleAndClearsEverythingElse) {
    BuildBlockPuzzle(9);
    const TPuzzleState before = Puzzle;
    Puzzle.PlayerGrid[1][1] = 5;
    Puzzle.MarkupGrid[2][2][3] = 1;
    Puzzle.PuzzleCompleted = Puzzle.ShowSolution = Puzzle.ShowMistakes = Puzzle.RevealCellMode = 1;
    Puzzle.AutoMarkup = 1;
    Puzzle.TimerStop = 77;
    Advance(1234);
    Core->RestartPuzzle();
    EXPECT_EQ(Puzzle.PlayerGrid, before.PlayerGrid);
    EXPECT_EQ(Puzzle.SolutionGrid, before.SolutionGrid);
    EXPECT_EQ(Puzzle.HorizontalSumGrid, before.HorizontalSumGrid);
    EXPECT_EQ(Puzzle.VerticalSumGrid, before.VerticalSumGrid);
    EXPECT_EQ(Puzzle.MarkupGrid, TMarkupGrid{});
    EXPECT_EQ(
        Puzzle.PuzzleCompleted + Puzzle.ShowSolution + Puzzle.ShowMistakes + Puzzle.RevealCellMode + Puzzle.AutoMarkup,
        0);
    EXPECT_EQ(Puzzle.TimerStop, 0);
    EXPECT_EQ(Puzzle.TimerStart, now);
}

TEST_F(CoreTest, CombinationTexts) {
    SingleRun(Model, 9, 2, 17, Horizontal);
    EXPECT_EQ(Model.CombinationText(Horizontal, 0, 0), "8+9");
    SingleRun(Model, 14, 9, 45, Vertical);
    EXPECT_EQ(Model.CombinationText(Vertical, 0, 0), "1+2+3+4+5+6+7+8+9");
    SingleRun(Model, 9, 3, 15, Horizontal);
    EXPECT_EQ(Model.CombinationText(Horizontal, 0, 0), "1+5+9, 1+6+8, 2+4+9, 2+5+8, 2+6+7, \r\n3+4+8, 3+5+7, 4+5+6");
    // Length 4, sum 20: twelve entries, so a second line break before the eleventh.
    SingleRun(Model, 9, 4, 20, Horizontal);
    const std::string twelve = Model.CombinationText(Horizontal, 0, 0);
    EXPECT_EQ(twelve.substr(twelve.find("\r\n")),
              "\r\n2+3+6+9, 2+3+7+8, 2+4+5+9, 2+4+6+8, 2+5+6+7, \r\n3+4+5+8, 3+4+6+7");
    // Typed-in boards can hold clues no run can have; they give no text rather than a wild read.
    SingleRun(Model, 9, 3, 99, Horizontal);
    EXPECT_EQ(Model.CombinationText(Horizontal, 0, 0), "");
    SingleRun(Model, 9, 3, 0, Horizontal);
    EXPECT_EQ(Model.CombinationText(Horizontal, 0, 0), "");
}

TEST_F(CoreTest, PossibleNumbersFollowTheRule) {
    EXPECT_EQ(PossibleNumbers()[1][4][0], "14");
    EXPECT_EQ(PossibleNumbers()[1][4][1], "23");
    EXPECT_EQ(PossibleNumbers()[1][4][2], "");
    EXPECT_EQ(PossibleNumbers()[0][8][0], "9");
    EXPECT_EQ(PossibleNumbers()[2][5][0], "123");
    EXPECT_EQ(PossibleNumbers()[2][5][1], "");
    EXPECT_EQ(PossibleNumbers()[8][44][0], "123456789");
    EXPECT_EQ(PossibleNumbers()[3][19][0], "1289");
    EXPECT_EQ(PossibleNumbers()[3][19][11], "3467");
    const int expected[9] = {9, 36, 84, 126, 126, 84, 36, 9, 1};
    for (int length = 0; length < 9; ++length) {
        int count = 0;
        for (int sum = 0; sum < 45; ++sum) {
            std::string previous;
            for (const std::string& entry : PossibleNumbers()[length][sum]) {
                if (entry.empty()) continue;
                ++count;
                EXPECT_LT(previous, entry);
                previous = entry;
            }
        }
        EXPECT_EQ(count, expected[length]) << "length " << length + 1;
    }
}

TEST_F(CoreTest, ClashesSumsAndRunsOnTheBoard) {
    BuildBlockPuzzle(9);
    Puzzle.PlayerGrid[4][4] = 5;
    EXPECT_EQ(Model.DigitClashes(5, 4, 4), 1);  // the cell itself
    EXPECT_EQ(Puzzle.DoubleFoundX, 4);
    EXPECT_EQ(Puzzle.DoubleFoundY, 4);
    EXPECT_EQ(Model.DigitClashes(5, 5, 4), 1);  // same row
    EXPECT_EQ(Model.DigitClashes(5, 4, 5), 1);  // same column
    EXPECT_EQ(Model.DigitClashes(5, 7, 4), 0);  // beyond the black cell at x = 6
    EXPECT_EQ(Model.DigitClashes(5, 3, 4), 0);  // a black cell
    EXPECT_EQ(Model.DigitClashes(0, 5, 4), 0);

    // Clue (3, 4) across is 1 + 2 = 3; the wrong 5 overshoots it.
    EXPECT_EQ(Model.RemainingSum(Horizontal, Puzzle.HorizontalSumGrid[3][4], 3, 4), -2);
    EXPECT_EQ(Model.RunLength(Horizontal, 3, 4), 2);
    EXPECT_EQ(Model.RunLength(Vertical, 4, 3), 2);

    EXPECT_EQ(Model.InSameRun(4, 4, 5, 4), 1);
    EXPECT_EQ(Model.InSameRun(4, 4, 4, 5), 1);
    EXPECT_EQ(Model.InSameRun(4, 4, 5, 5), 0);
    EXPECT_EQ(Model.InSameRun(3, 4, 5, 4), 1);  // a clue cell stands for its own runs
    EXPECT_EQ(Model.InSameRun(3, 4, 3, 5), 0);
    EXPECT_EQ(Model.InSameRun(-1, 4, 4, 4), 0);
    EXPECT_EQ(DifficultyName(2), "Hard");
    EXPECT_EQ(DifficultyName(3), "");
}

TEST_F(CoreTest, PencilMarksFollowTheCombinationsAndTheEnteredDigits) {
    BuildBlockPuzzle(6);
    // Worked out afresh after every digit, as without keeping the marks up to date.
    Options.KeepPencilMarks = 0;
    // Cell (1, 1): across 1 + 2 = 3 (only 1+2), down 1 + 3 = 4 (only 1+3).
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(Model.MarkupValue(d, 1, 1), d == 1 ? 1 : 0) << d;
    for (int d = 1; d <= 9; ++d) EXPECT_EQ(Model.MarkupValue(d, 0, 1), 0);
    Core->ShowHideMarkup();
    EXPECT_EQ(Puzzle.MarkupGrid[1][1][0], 1);
    // The cell holding the 1 itself loses the mark at the next hint.
    Puzzle.PlayerGrid[1][1] = 1;
    EXPECT_EQ(Model.MarkupValue(1, 1, 1), 0);
    Core->ShowRandomCell();
    EXPECT_EQ(Puzzle.MarkupGrid[1][1][0], 0);
    Core->ShowHideMarkup();
    EXPECT_EQ(Puzzle.MarkupGrid, TMarkupGrid{});
}
