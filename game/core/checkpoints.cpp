// SPDX-License-Identifier: GPL-3.0-or-later
// Checkpoints and "Undo to Last Correct": both put back a board the history has
// passed through, as one edit of their own, so undo and redo treat them like any
// other change and the autosave keeps them with the rest of the history.
#include "game/core/model.h"

std::vector<std::size_t> TPuzzleModel::OpenCheckpoints() const {
    std::vector<std::size_t> open;
    const auto& done = EditHistory.Done;
    for (std::size_t k = 0; k < done.size(); ++k) {
        if (done[k].Kind == TEditKind::Checkpoint) open.push_back(k);
        // A return whose checkpoint fell off a long kept history is a plain change.
        if (done[k].Kind == TEditKind::BackToCheckpoint && !open.empty()) open.pop_back();
    }
    return open;
}

void TPuzzleModel::BoardBefore(std::size_t index, TGrid& player, TMarkupGrid& marks, int& autoMarkup) const {
    player = Puzzle.PlayerGrid;
    marks = Puzzle.MarkupGrid;
    autoMarkup = Puzzle.AutoMarkup;
    const auto& done = EditHistory.Done;
    for (std::size_t k = done.size(); k > index; --k) {
        const TEdit& edit = done[k - 1];
        for (const TCellChange& change : edit.Cells) {
            player[change.X][change.Y] = change.Before.Player;
            for (int d = 0; d < 9; ++d) marks[change.X][change.Y][d] = change.Before.Marks[d];
        }
        autoMarkup = edit.AutoMarkupBefore;
    }
}

bool TPuzzleModel::TriedFrom(TGrid& player) const {
    const auto open = OpenCheckpoints();
    if (open.empty()) return false;
    TMarkupGrid marks;
    int autoMarkup = 0;
    BoardBefore(open.front(), player, marks, autoMarkup);
    return true;
}

bool TPuzzleModel::AgreesWithSolution(const TGrid& player) const {
    for (int x = 0; x < Puzzle.BoardWidth && x < MaxBoardSize; ++x)
        for (int y = 0; y < Puzzle.BoardHeight && y < MaxBoardSize; ++y) {
            const int d = player[x][y];
            if (d >= 1 && d <= 9 && d != Puzzle.SolutionGrid[x][y]) return false;
        }
    return true;
}

bool TPuzzleModel::CheckpointTarget(TEditKind kind, TGrid& player, TMarkupGrid& marks, int& autoMarkup) const {
    if (kind == TEditKind::BackToCheckpoint) {
        const auto open = OpenCheckpoints();
        if (open.empty()) return false;
        BoardBefore(open.back(), player, marks, autoMarkup);
        return true;
    }
    // Right or wrong means nothing while another filling may be the one meant.
    if (kind != TEditKind::UndoToCorrect || Puzzle.SeveralSolutions) return false;
    if (AgreesWithSolution(Puzzle.PlayerGrid)) return false;
    // Walk back one edit at a time until the board held no wrong digit.
    player = Puzzle.PlayerGrid;
    marks = Puzzle.MarkupGrid;
    autoMarkup = Puzzle.AutoMarkup;
    const auto& done = EditHistory.Done;
    for (std::size_t k = done.size(); k > 0; --k) {
        const TEdit& edit = done[k - 1];
        for (const TCellChange& change : edit.Cells) {
            player[change.X][change.Y] = change.Before.Player;
            for (int d = 0; d < 9; ++d) marks[change.X][change.Y][d] = change.Before.Marks[d];
        }
        autoMarkup = edit.AutoMarkupBefore;
        if (AgreesWithSolution(player)) return true;
    }
    return false;
}

void TPuzzleModel::PutBoard(const TGrid& player, const TMarkupGrid& marks, int autoMarkup) {
    for (int x = 0; x < Puzzle.BoardWidth && x < MaxBoardSize; ++x)
        for (int y = 0; y < Puzzle.BoardHeight && y < MaxBoardSize; ++y) {
            if (Puzzle.PlayerGrid[x][y] == BlackCell) continue;
            Puzzle.PlayerGrid[x][y] = player[x][y];
            for (int d = 0; d < 9; ++d) Puzzle.MarkupGrid[x][y][d] = marks[x][y][d];
        }
    Puzzle.AutoMarkup = autoMarkup;
}

TEditResult TPuzzleModel::TryFromHere() {
    if (OpenCheckpoints().size() >= static_cast<std::size_t>(MaxCheckpoints)) return TEditResult::Refused;
    TEditRequest request;
    request.Kind = TEditKind::Checkpoint;
    return ApplyEdit(request);
}

TEditResult TPuzzleModel::BackToCheckpoint() {
    TEditRequest request;
    request.Kind = TEditKind::BackToCheckpoint;
    return ApplyEdit(request);
}

TEditResult TPuzzleModel::UndoToLastCorrect() {
    TEditRequest request;
    request.Kind = TEditKind::UndoToCorrect;
    return ApplyEdit(request);
}
