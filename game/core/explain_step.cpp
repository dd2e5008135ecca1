// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/explain.h"

#include <array>

#include "game/core/engine_adapter.h"
#include "game/core/hint_ladder.h"
#include "game/core/model.h"
#include "game/core/services.h"
#include "tallyfold/engine/Explainer.h"

namespace {

std::string Say(const std::string& key) { return CoreText(key); }

}  // namespace

// The board as the engine sees it with the player's digits, and the stored solution
// by the engine's cell index (0 where there is none).
bool ExplainBoard(const TPuzzleState& p, engine::TBoard& board, std::vector<int>& solution) {
    if (!EngineBoard(p, board, true)) return false;
    solution.assign(board.cellCount, -1);
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y) {
            const unsigned index = EngineIndex(x, y, p.BoardWidth);
            if (board.cells[index] == engine::kBlack) continue;
            const int right = p.SolutionGrid[x][y];
            solution[index] = right >= 1 && right <= 9 ? right : 0;
        }
    return true;
}

bool TPuzzleModel::RuledOutBelongsHere() const {
    return RuledOut.Width == Puzzle.BoardWidth && RuledOut.Height == Puzzle.BoardHeight &&
           RuledOut.Solution == Puzzle.SolutionGrid;
}

TExplainedStep TPuzzleModel::ExplainNextStep() {
    TExplainedStep step;
    step.Changes = EditHistory.Changes;
    step.Kind = TExplainKind::Stuck;
    step.Sentence = Say("Explain Stuck");
    engine::TBoard board;
    std::vector<int> solution;
    if (!ExplainBoard(Puzzle, board, solution)) return step;
    if (!RuledOutBelongsHere()) ForgetExplanations();

    engine::Explanation found;
    bool any = engine::FindWrongDigit(board, solution, found);
    if (!any) {
        engine::Explainer explainer(board);
        for (unsigned index = 0; index < board.cellCount; ++index) {
            const int x = GameX(index, Puzzle.BoardWidth), y = GameY(index, Puzzle.BoardWidth);
            if (board.cells[index] == engine::kEmpty) explainer.Restrict(index, ~unsigned{RuledOut.Digits[x][y]});
        }
        any = explainer.Next(engine::kTierTrials, found);
    }
    if (!any) return step;
    ++Puzzle.ExplainsUsed;

    step.Kind = found.kind == engine::ExplainKind::Place    ? TExplainKind::Place
                : found.kind == engine::ExplainKind::Remove ? TExplainKind::Remove
                                                            : TExplainKind::Wrong;
    step.X = GameX(found.cell, Puzzle.BoardWidth);
    step.Y = GameY(found.cell, Puzzle.BoardWidth);
    step.Digit = found.digit;
    step.Removed = found.removed;
    step.Tier = found.tier;
    for (unsigned index : found.cells)
        step.Cells.emplace_back(GameX(index, Puzzle.BoardWidth), GameY(index, Puzzle.BoardWidth));
    step.Sentence = engine::ExplainSentence(found, board, Say);
    return step;
}

void TPuzzleModel::ApplyExplainedStep(const TExplainedStep& step) {
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
            RememberRuledOut(step.X, step.Y, step.Removed);
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

int TPuzzleModel::ExplainedOut(int d, int x, int y) const {
    if (d < 1 || d > 9 || x < 0 || y < 0 || x >= MaxBoardSize || y >= MaxBoardSize || !RuledOutBelongsHere()) return 0;
    return RuledOut.Digits[x][y] >> d & 1;
}

bool TPuzzleModel::RememberRuledOut(int x, int y, unsigned digits) {
    if (!OnBoard(x, y)) return false;
    if (!RuledOutBelongsHere()) {
        ForgetExplanations();
        RuledOut.Solution = Puzzle.SolutionGrid;
        RuledOut.Width = Puzzle.BoardWidth;
        RuledOut.Height = Puzzle.BoardHeight;
    }
    RuledOut.Digits[x][y] |= static_cast<std::uint16_t>(digits & engine::kAllDigits);
    return true;
}

void TPuzzleModel::ForgetExplanations() { RuledOut = TRuledOut{}; }
