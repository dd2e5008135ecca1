// SPDX-License-Identifier: GPL-3.0-or-later
// Puzzles the player types in: clue clean-up and the check that hands the
// board to the engine's solver.
#include <array>
#include <string>

#include "game/core/engine_adapter.h"
#include "game/core/model.h"
#include "game/core/services.h"

void TPuzzleModel::ClearSumsWithLengthZero() {
    for (int x = 0; x < Puzzle.BoardWidth; ++x) {
        for (int y = 0; y < Puzzle.BoardHeight; ++y) {
            if (RunLength(Vertical, x, y) == 0) Puzzle.VerticalSumGrid[x][y] = 0;
            if (RunLength(Horizontal, x, y) == 0) Puzzle.HorizontalSumGrid[x][y] = 0;
        }
    }
}

bool TPuzzleModel::StoreClueCell(int x, int y, int horizontal, int vertical) {
    if (x < 0 || y < 0 || x >= Puzzle.BoardWidth || y >= Puzzle.BoardHeight) return false;
    // A byte holds 300 as 44: a clue the player never typed.
    if (horizontal < 0 || horizontal > MaxClue || vertical < 0 || vertical > MaxClue) return false;
    Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = BlackCell;
    Puzzle.HorizontalSumGrid[x][y] = static_cast<std::uint8_t>(horizontal);
    Puzzle.VerticalSumGrid[x][y] = static_cast<std::uint8_t>(vertical);
    ClearSumsWithLengthZero();
    return true;
}

void TPuzzleModel::StoreWhiteCell(int x, int y) {
    if (x < 0 || y < 0 || x >= Puzzle.BoardWidth || y >= Puzzle.BoardHeight) return;
    Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = 0;
    Puzzle.VerticalSumGrid[x][y] = Puzzle.HorizontalSumGrid[x][y] = 0;
    ClearSumsWithLengthZero();
}

TPuzzleDescription TPuzzleModel::CustomPuzzleDescription() const { return EngineDescription(Puzzle); }

int TPuzzleModel::CluesAllowSeveralSolutions() const {
    TGrid scratch{};
    return CheckTypedInBoard(Puzzle, scratch) == engine::CustomCheck::kSeveral ? 1 : 0;
}

void TCore::ClearSumsWithLengthZero() { Model.ClearSumsWithLengthZero(); }

int TCore::CheckCustomPuzzle() {
    const int w = Model.Puzzle.BoardWidth, h = Model.Puzzle.BoardHeight;
    if (w < 2 || h < 2 || w > MaxBoardSize || h > MaxBoardSize) return 0;

    CheckMessage = "Not Solvable";
    CheckDetail.clear();
    // A board with nothing to fill has one (empty) solution to the engine, and would be
    // "solved" the moment it is shown.
    bool anyWhite = false;
    for (int y = 0; y < h && !anyWhite; ++y)
        for (int x = 0; x < w && !anyWhite; ++x) anyWhite = Model.Puzzle.PlayerGrid[x][y] != BlackCell;
    if (!anyWhite) {
        CheckMessage = "Nothing To Fill";
        return 0;
    }

    // A clue its run cannot have is named before the solver says only "no solution".
    CheckDetail = Model.MisfitClue();
    if (!CheckDetail.empty()) return 0;

    TGrid solution{};
    const engine::CustomCheck check = CheckTypedInBoard(Model.Puzzle, solution);
    // A sparse puzzle can keep the solver busy for a while.
    CoreRestartLogicClock();
    if (check == engine::CustomCheck::kTooHard) CheckMessage = "Too Hard To Check";
    if (check != engine::CustomCheck::kUnique && check != engine::CustomCheck::kSeveral) return 0;
    CheckMessage = check == engine::CustomCheck::kSeveral ? "Several Solutions" : "";
    Model.Puzzle.SeveralSolutions = check == engine::CustomCheck::kSeveral ? 1 : 0;

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Model.Puzzle.SolutionGrid[x][y] = solution[x][y];
            Model.Puzzle.PlayerGrid[x][y] = solution[x][y] == BlackCell ? BlackCell : 0;
        }
    }
    Model.Puzzle.CustomPuzzleReady = 1;
    Model.Puzzle.IsCustomPuzzle = 1;
    Model.ForgetHelpTaken();
    Model.Puzzle.PuzzleStars = 0;
    Model.ClearEditHistory();
    Model.BeginPlayRecord("own");
    if (Model.Hooks.CustomPuzzleAccepted) Model.Hooks.CustomPuzzleAccepted();
    return 1;
}
