// SPDX-License-Identifier: GPL-3.0-or-later
// TCore: the operations of a game (a new, restarted or typed-in puzzle, the hints)
// on the model it was given.
#include "game/core/core.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/core/engine_adapter.h"
#include "game/core/model.h"
#include "game/core/services.h"

namespace {

void RestartLogicClock() { CoreRestartLogicClock(); }

}  // namespace

const TPossibleNumbers& PossibleNumbers() {
    // The engine's catalogue of digit sets, each as its increasing digit text and each
    // length-and-sum bucket in lexicographic order, as the combinations are shown.
    static const TPossibleNumbers table = [] {
        TPossibleNumbers numbers;
        for (int length = 1; length <= 9; ++length)
            for (int sum = 1; sum <= MaxClue; ++sum) {
                std::vector<std::string> texts;
                for (const std::uint16_t mask : engine::CombinationMasks(sum, length)) {
                    std::string text;
                    for (int d = 1; d <= 9; ++d)
                        if (mask >> d & 1) text += static_cast<char>('0' + d);
                    texts.push_back(text);
                }
                std::sort(texts.begin(), texts.end());
                auto& bucket = numbers[static_cast<std::size_t>(length - 1)][static_cast<std::size_t>(sum - 1)];
                for (std::size_t k = 0; k < texts.size() && k < bucket.size(); ++k) bucket[k] = texts[k];
            }
        return numbers;
    }();
    return table;
}

void TCore::Start() {
    Model.Puzzle.BoardWidth = Model.Puzzle.BoardHeight = 9;
    Model.Puzzle.PuzzleDifficulty = 0;
}

bool TCore::CreatePuzzle(int width, int height, int difficulty) {
    if (width < 2 || height < 2 || width > MaxBoardSize || height > MaxBoardSize) return false;
    // The engine draws the layout for the level and grades every puzzle by the reasoning
    // its solve needs, so the level the player picks is what the puzzle asks of them.
    const int level = difficulty == 0 ? 1 : difficulty == 2 ? 3 : 2;

    TGrid solution{};
    std::uint32_t seed = 0;
    for (unsigned attempt = 0;; ++attempt) {
        // The engine draws from a seed taken from the game's generator, so a test
        // that fixes the clock gets the same puzzle every run; the attempt number
        // keeps a retry within the same millisecond from repeating a failed seed.
        CoreSeedRandom(static_cast<int>(static_cast<unsigned>(CoreClock()) + attempt));
        CoreKeepResponsive();
        seed = static_cast<std::uint32_t>(CoreRandom(0, 0x7FFFFFFF)) ^ (attempt * 0x9E3779B9u);
        if (GenerateSolution(width, height, level, seed, solution)) {
            Model.Puzzle.GeneratedLevel = level;
            Model.Puzzle.GeneratedSeed = seed;
            Model.Puzzle.GeneratedSolution = solution;
            break;
        }
    }
    TakeSolution(solution, width, height, difficulty, "seed:" + std::to_string(seed));
    return true;
}

void TCore::TakeSolution(const TGrid& solution, int width, int height, int difficulty, const std::string& source) {
    // The puzzle leaving the board is recorded while the tables still hold it.
    Model.EndPlayRecord(0);
    auto& p = Model.Puzzle;
    for (int x = 0; x < MaxBoardSize; ++x) {
        for (int y = 0; y < MaxBoardSize; ++y) {
            p.VerticalSumGrid[x][y] = p.HorizontalSumGrid[x][y] = 0;
            if (x >= width || y >= height) continue;
            p.SolutionGrid[x][y] = solution[x][y];
            p.PlayerGrid[x][y] = solution[x][y] == BlackCell ? BlackCell : 0;
        }
    }
    // SolutionRunSum and RunLength stop at the board edge, so the new extent
    // must be in force before the clues are summed.
    p.BoardWidth = width;
    p.BoardHeight = height;
    p.PuzzleDifficulty = difficulty;
    p.IsCustomPuzzle = 0;
    p.SeveralSolutions = 0;
    Model.ForgetHelpTaken();
    p.PuzzleStars = Model.PuzzleGradeStars();
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (p.SolutionGrid[x][y] != BlackCell) continue;
            if (x < width - 1 && p.SolutionGrid[x + 1][y] != BlackCell)
                p.HorizontalSumGrid[x][y] = static_cast<std::uint8_t>(Model.SolutionRunSum(Horizontal, x, y));
            if (y < height - 1 && p.SolutionGrid[x][y + 1] != BlackCell)
                p.VerticalSumGrid[x][y] = static_cast<std::uint8_t>(Model.SolutionRunSum(Vertical, x, y));
        }
    }
    Model.BeginPlayRecord(source);
    RestartLogicClock();
}

void TCore::CreateCells(int animate) {
    if (Model.Hooks.CreateCells) Model.Hooks.CreateCells(animate);
}

int TCore::IsPuzzleCompleted() {
    if (!Model.BoardSolved()) return 0;
    Model.Puzzle.PuzzleCompleted = 1;
    return 1;
}

void TCore::ShowHideMarkup() {
    TEditRequest request;
    request.Kind = TEditKind::AutoMarks;
    request.Digit = Model.Puzzle.AutoMarkup ? 0 : 1;
    Model.ApplyEdit(request);
}

void TCore::ShowHideSolution() {
    Model.Puzzle.ShowSolution = Model.Puzzle.ShowSolution ? 0 : 1;
    if (Model.Puzzle.ShowSolution) Model.Puzzle.RevealUsed = Model.PlayTrack.Solution = 1;
}

void TCore::ShowHideMistakes() { Model.Puzzle.ShowMistakes = Model.Puzzle.ShowMistakes ? 0 : 1; }

void TCore::ShowDesiredCell() { Model.Puzzle.RevealCellMode = 1; }

void TCore::ShowRandomCell() {
    // Picking blindly would spin for ever on a finished board; the play screen
    // never asks then, but a hint must not be able to hang the game.
    bool open = false;
    for (int x = 0; x < Model.Puzzle.BoardWidth && !open; ++x)
        for (int y = 0; y < Model.Puzzle.BoardHeight && !open; ++y)
            open = Model.Puzzle.PlayerGrid[x][y] != Model.Puzzle.SolutionGrid[x][y];
    if (!open) return;
    int x, y;
    do {
        x = CoreRandom(0, Model.Puzzle.BoardWidth - 1);
        y = CoreRandom(0, Model.Puzzle.BoardHeight - 1);
    } while (Model.Puzzle.PlayerGrid[x][y] == Model.Puzzle.SolutionGrid[x][y]);
    TEditRequest request;
    request.Kind = TEditKind::Reveal;
    request.X = x;
    request.Y = y;
    Model.ApplyEdit(request);
}

void TCore::ClearBoardCompletely() {
    Model.Puzzle.GeneratedLevel = 0;
    for (int x = 0; x < Model.Puzzle.BoardWidth; ++x) {
        for (int y = 0; y < Model.Puzzle.BoardHeight; ++y) {
            Model.Puzzle.HorizontalSumGrid[x][y] = Model.Puzzle.VerticalSumGrid[x][y] = 0;
            Model.Puzzle.PlayerGrid[x][y] = Model.Puzzle.SolutionGrid[x][y] = 0;
        }
    }
}

void TCore::ClearBoard() {
    for (int x = 0; x < Model.Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Model.Puzzle.BoardHeight; ++y)
            if (Model.Puzzle.SolutionGrid[x][y] != BlackCell) Model.Puzzle.PlayerGrid[x][y] = 0;
}

void TCore::RestartPuzzle() { Model.Restart(); }

void TCore::NewPuzzle() {
    CreatePuzzle(Model.Puzzle.BoardWidth, Model.Puzzle.BoardHeight, Model.Puzzle.PuzzleDifficulty);
    CreateCells(1);
    RestartPuzzle();
}

void TCore::CustomPuzzle() {
    Model.EndPlayRecord(0);
    ClearBoardCompletely();
    Model.ForgetHelpTaken();
    CreateCells(1);
    RestartPuzzle();
}
