// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/explain.h"

#include <array>

#include "framework/text/game_text.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Explainer.h"

namespace {

// Digits explanations ruled out, per cell, for the puzzle whose solution they
// were found on: another puzzle on the board makes them meaningless.
struct TRuledOut {
    std::array<std::array<std::uint16_t, MaxBoardSize>, MaxBoardSize> Digits{};
    TGrid Solution{};
    int Width = 0, Height = 0;
};
TRuledOut RuledOut;

bool RuledOutBelongsHere() {
    return RuledOut.Width == Puzzle.BoardWidth && RuledOut.Height == Puzzle.BoardHeight &&
           RuledOut.Solution == Puzzle.SolutionGrid;
}

int Columns() { return Puzzle.BoardHeight; }

// The board as the engine sees it: the engine's rows are our y.
bool BoardFromTables(engine::TBoard& board, std::vector<int>& solution) {
    const int w = Puzzle.BoardWidth, h = Puzzle.BoardHeight;
    if (w < 2 || h < 2 || w > MaxBoardSize || h > MaxBoardSize || w != h) return false;
    const TPuzzleDescription description = CustomPuzzleDescription();
    engine::BuildCombinations();
    if (!engine::ParseDescription(description.Dimensions, description.Unfillable, description.Constraints,
                                  description.Count, board))
        return false;
    solution.assign(board.cellCount, -1);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) {
            const auto index = static_cast<std::size_t>(y * Columns() + x);
            if (board.cells[index] < 0) continue;
            const int player = Puzzle.PlayerGrid[x][y], right = Puzzle.SolutionGrid[x][y];
            if (player >= 1 && player <= 9) board.cells[index] = player;
            solution[index] = right >= 1 && right <= 9 ? right : 0;
        }
    return true;
}

std::string Say(const std::string& key) { return Resources.GameText ? Resources.GameText->FindString(key) : std::string(); }

}  // namespace

TExplainedStep ExplainNextStep() {
    TExplainedStep step;
    step.Changes = EditHistory.Changes;
    step.Kind = TExplainKind::Stuck;
    step.Sentence = Say("Explain Stuck");
    engine::TBoard board;
    std::vector<int> solution;
    if (!BoardFromTables(board, solution)) return step;
    if (!RuledOutBelongsHere()) ForgetExplanations();

    engine::Explanation found;
    bool any = engine::FindWrongDigit(board, solution, found);
    if (!any) {
        engine::Explainer explainer(board);
        for (unsigned index = 0; index < board.cellCount; ++index) {
            const int x = static_cast<int>(index) % Columns(), y = static_cast<int>(index) / Columns();
            if (board.cells[index] == engine::kEmpty) explainer.Restrict(index, ~unsigned{RuledOut.Digits[x][y]});
        }
        any = explainer.Next(engine::kTierTrials, found);
    }
    if (!any) return step;
    ++Puzzle.ExplainsUsed;

    step.Kind = found.kind == engine::ExplainKind::Place    ? TExplainKind::Place
                : found.kind == engine::ExplainKind::Remove ? TExplainKind::Remove
                                                            : TExplainKind::Wrong;
    step.X = static_cast<int>(found.cell) % Columns();
    step.Y = static_cast<int>(found.cell) / Columns();
    step.Digit = found.digit;
    step.Removed = found.removed;
    step.Tier = found.tier;
    for (unsigned index : found.cells)
        step.Cells.emplace_back(static_cast<int>(index) % Columns(), static_cast<int>(index) / Columns());
    step.Sentence = engine::ExplainSentence(found, board, Say);
    return step;
}

void ApplyExplainedStep(const TExplainedStep& step) {
    if (step.X < 0 || step.Y < 0 || step.X >= Puzzle.BoardWidth || step.Y >= Puzzle.BoardHeight) return;
    TEditRequest request;
    request.X = step.X;
    request.Y = step.Y;
    switch (step.Kind) {
        case TExplainKind::Place:
            request.Kind = TEditKind::Digit;
            request.Digit = step.Digit;
            ApplyEdit(request);
            break;
        case TExplainKind::Wrong:
            request.Kind = TEditKind::Erase;
            ApplyEdit(request);
            break;
        case TExplainKind::Remove:
            if (!RuledOutBelongsHere()) {
                ForgetExplanations();
                RuledOut.Solution = Puzzle.SolutionGrid;
                RuledOut.Width = Puzzle.BoardWidth;
                RuledOut.Height = Puzzle.BoardHeight;
            }
            RuledOut.Digits[step.X][step.Y] |= static_cast<std::uint16_t>(step.Removed & engine::kAllDigits);
            if (Puzzle.AutoMarkup) {
                request.Kind = TEditKind::Unmark;
                request.Digits = step.Removed;
                ApplyEdit(request);
            }
            break;
        default:
            break;
    }
}

int ExplainedOut(int d, int x, int y) {
    if (d < 1 || d > 9 || x < 0 || y < 0 || x >= MaxBoardSize || y >= MaxBoardSize || !RuledOutBelongsHere())
        return 0;
    return RuledOut.Digits[x][y] >> d & 1;
}

void ForgetExplanations() { RuledOut = TRuledOut{}; }
