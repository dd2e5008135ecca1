// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/edits.h"

#include "game/core/model.h"

namespace {

// The tables as they were before an edit; a few kilobytes, so every edit can
// afford a copy and the change it kept is exactly what happened, the marks the
// automatic markup rewrote across the board included.
struct TSnapshot {
    TGrid Player, Solution, Vertical, Horizontal;
    TMarkupGrid Marks;
    int AutoMarkup;
};

TSnapshot Take(const TPuzzleState& p) {
    return {p.PlayerGrid, p.SolutionGrid, p.VerticalSumGrid, p.HorizontalSumGrid, p.MarkupGrid, p.AutoMarkup};
}

TCellContent CellOf(const TGrid& player, const TGrid& solution, const TGrid& vertical, const TGrid& horizontal,
                    const TMarkupGrid& marks, int x, int y) {
    TCellContent cell;
    cell.Player = player[x][y];
    cell.Solution = solution[x][y];
    cell.Vertical = vertical[x][y];
    cell.Horizontal = horizontal[x][y];
    for (int k = 0; k < 9; ++k) cell.Marks[k] = marks[x][y][k];
    return cell;
}

TCellContent CellNow(const TPuzzleState& p, int x, int y) {
    return CellOf(p.PlayerGrid, p.SolutionGrid, p.VerticalSumGrid, p.HorizontalSumGrid, p.MarkupGrid, x, y);
}

void Put(TPuzzleState& p, int x, int y, const TCellContent& cell) {
    p.PlayerGrid[x][y] = cell.Player;
    p.SolutionGrid[x][y] = cell.Solution;
    p.VerticalSumGrid[x][y] = cell.Vertical;
    p.HorizontalSumGrid[x][y] = cell.Horizontal;
    for (int k = 0; k < 9; ++k) p.MarkupGrid[x][y][k] = cell.Marks[k];
}

bool ShapeChanged(const TCellChange& change) {
    return change.Before.Solution != change.After.Solution || change.Before.Vertical != change.After.Vertical ||
           change.Before.Horizontal != change.After.Horizontal;
}

}  // namespace

// A board whose black cells or clues moved needs its cell sprites made again.
void TPuzzleModel::RebuildIfShapeChanged(const TEdit& edit) {
    for (const TCellChange& change : edit.Cells)
        if (ShapeChanged(change)) {
            if (Hooks.CreateCells) Hooks.CreateCells(0);
            return;
        }
}

// Carries out a request already found valid.
void TPuzzleModel::Perform(const TEditRequest& r) {
    auto& p = Puzzle;
    const int x = r.X, y = r.Y;
    switch (r.Kind) {
        case TEditKind::Digit:
        case TEditKind::Erase:
            p.PlayerGrid[x][y] = static_cast<std::uint8_t>(r.Kind == TEditKind::Digit ? r.Digit : 0);
            KeepMarksOf(x, y, r.Kind == TEditKind::Digit);
            break;
        case TEditKind::Reveal:
            p.PlayerGrid[x][y] = p.SolutionGrid[x][y];
            // Undo takes the digit back, not the sight of it.
            p.RevealUsed = 1;
            ++PlayTrack.Reveals;
            KeepMarksOf(x, y, true);
            break;
        case TEditKind::Mark: {
            p.PlayerGrid[x][y] = 0;
            auto& mark = p.MarkupGrid[x][y][r.Digit - 1];
            mark = mark == 0 ? 1 : 0;
            break;
        }
        case TEditKind::AutoMarks:
            p.AutoMarkup = r.Digit ? 1 : 0;
            if (p.AutoMarkup)
                FillMarkup();
            else
                ClearMarkup();
            break;
        case TEditKind::WhiteCell:
            StoreWhiteCell(x, y);
            break;
        case TEditKind::ClueCell:
            StoreClueCell(x, y, r.Across, r.Down);
            break;
        case TEditKind::Unmark:
            for (int d = 1; d <= 9; ++d)
                if (r.Digits >> d & 1) p.MarkupGrid[x][y][d - 1] = 0;
            break;
        case TEditKind::Checkpoint:
            break;
        case TEditKind::BackToCheckpoint:
        case TEditKind::UndoToCorrect: {
            TGrid player;
            TMarkupGrid marks;
            int autoMarkup = 0;
            if (CheckpointTarget(r.Kind, player, marks, autoMarkup)) PutBoard(player, marks, autoMarkup);
            break;
        }
    }
}

bool TPuzzleModel::Valid(const TEditRequest& r) const {
    if (r.Kind == TEditKind::AutoMarks) return true;
    if (r.Kind == TEditKind::Checkpoint) return OpenCheckpoints().size() < static_cast<std::size_t>(MaxCheckpoints);
    if (r.Kind == TEditKind::BackToCheckpoint || r.Kind == TEditKind::UndoToCorrect) {
        TGrid player;
        TMarkupGrid marks;
        int autoMarkup = 0;
        return CheckpointTarget(r.Kind, player, marks, autoMarkup);
    }
    if (!OnBoard(r.X, r.Y)) return false;
    const bool white = Puzzle.PlayerGrid[r.X][r.Y] != BlackCell;
    switch (r.Kind) {
        case TEditKind::Digit:
        case TEditKind::Mark:
            return white && r.Digit >= 1 && r.Digit <= 9;
        case TEditKind::Erase:
            return white;
        case TEditKind::Unmark:
            return white && (r.Digits & 0x3FEu) != 0;
        case TEditKind::Reveal:
            return white && Puzzle.SolutionGrid[r.X][r.Y] >= 1 && Puzzle.SolutionGrid[r.X][r.Y] <= 9;
        case TEditKind::ClueCell:
            return ClueProblem(Horizontal, r.X, r.Y, r.Across).empty() &&
                   ClueProblem(Vertical, r.X, r.Y, r.Down).empty();
        default:
            return true;
    }
}

void TPuzzleModel::Restore(const TEdit& edit, bool after) {
    for (const TCellChange& change : edit.Cells) Put(Puzzle, change.X, change.Y, after ? change.After : change.Before);
    Puzzle.AutoMarkup = after ? edit.AutoMarkupAfter : edit.AutoMarkupBefore;
    ++EditHistory.Changes;
    RebuildIfShapeChanged(edit);
}

TEditResult TPuzzleModel::ApplyEdit(const TEditRequest& request) {
    if (!Valid(request)) return TEditResult::Unchanged;
    if (request.Kind == TEditKind::Digit && Options.PreventDoubleNumbers &&
        DigitClashes(request.Digit, request.X, request.Y))
        return TEditResult::Refused;

    const TSnapshot before = Take(Puzzle);
    Perform(request);

    TEdit edit;
    edit.Kind = request.Kind;
    edit.AutoMarkupBefore = before.AutoMarkup;
    edit.AutoMarkupAfter = Puzzle.AutoMarkup;
    for (int x = 0; x < Puzzle.BoardWidth && x < MaxBoardSize; ++x)
        for (int y = 0; y < Puzzle.BoardHeight && y < MaxBoardSize; ++y) {
            TCellContent was =
                CellOf(before.Player, before.Solution, before.Vertical, before.Horizontal, before.Marks, x, y);
            TCellContent now = CellNow(Puzzle, x, y);
            if (!(was == now)) edit.Cells.push_back({x, y, was, now});
        }
    // A checkpoint changes no cell, and going back to one closes it even when nothing was tried.
    const bool marker = request.Kind == TEditKind::Checkpoint || request.Kind == TEditKind::BackToCheckpoint;
    if (!marker && edit.Cells.empty() && edit.AutoMarkupBefore == edit.AutoMarkupAfter) return TEditResult::Unchanged;

    EditHistory.Done.push_back(std::move(edit));
    EditHistory.Undone.clear();
    ++EditHistory.Changes;
    PlayTrack.Touched = 1;
    RebuildIfShapeChanged(EditHistory.Done.back());
    return TEditResult::Applied;
}

int TPuzzleModel::UndoEdit() {
    if (EditHistory.Done.empty()) return 0;
    TEdit edit = std::move(EditHistory.Done.back());
    EditHistory.Done.pop_back();
    EditHistory.Undone.push_back(std::move(edit));
    Restore(EditHistory.Undone.back(), false);
    return 1;
}

int TPuzzleModel::RedoEdit() {
    if (EditHistory.Undone.empty()) return 0;
    TEdit edit = std::move(EditHistory.Undone.back());
    EditHistory.Undone.pop_back();
    EditHistory.Done.push_back(std::move(edit));
    Restore(EditHistory.Done.back(), true);
    return 1;
}

int TPuzzleModel::CanUndo() const { return EditHistory.Done.empty() ? 0 : 1; }
int TPuzzleModel::CanRedo() const { return EditHistory.Undone.empty() ? 0 : 1; }

void TPuzzleModel::ClearEditHistory() {
    EditHistory = TEditHistory{};
    // What explanations ruled out goes with the history: a restarted puzzle is
    // explained from its start again.
    ForgetExplanations();
}
