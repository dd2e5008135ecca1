// SPDX-License-Identifier: GPL-3.0-or-later
// The edit path: every change of the board kept so that undo and redo give
// back exactly the tables as they were, checked against snapshots the test
// takes itself over long random sequences; the typed-in flag and the run check.
#include <random>

#include "core_support.h"
#include "game/core/edits.h"
#include "game/core/options.h"

namespace {

struct Tables {
    TGrid player, solution, vertical, horizontal;
    TMarkupGrid marks;
    int autoMarkup;
    bool operator==(const Tables&) const = default;
};

Tables Snapshot(const TPuzzleState& Puzzle) {
    return {Puzzle.PlayerGrid,        Puzzle.SolutionGrid, Puzzle.VerticalSumGrid,
            Puzzle.HorizontalSumGrid, Puzzle.MarkupGrid,   Puzzle.AutoMarkup};
}

// What a request should do, worked out here from the tables without the edit
// path: the digit rule, the marks a placed digit wipes, the toggled mark.
// The automatic marks are left to FillMarkup, tested on its own.
Tables Expected(const TPuzzleModel& model, const Tables& before, const TEditRequest& r, bool& refused) {
    const TPuzzleState& Puzzle = model.Puzzle;
    const TGameOptions& Options = model.Options;
    Tables t = before;
    refused = false;
    const int x = r.X, y = r.Y;
    auto clears = [&] {
        for (int k = 0; k < 9; ++k) t.marks[x][y][k] = 0;
    };
    switch (r.Kind) {
        case TEditKind::Digit: {
            if (Options.PreventDoubleNumbers) {
                bool twice = false;
                for (int dx : {-1, 1})
                    for (int cx = x; cx >= 0 && cx < Puzzle.BoardWidth && t.player[cx][y] != BlackCell; cx += dx)
                        twice = twice || t.player[cx][y] == r.Digit;
                for (int dy : {-1, 1})
                    for (int cy = y; cy >= 0 && cy < Puzzle.BoardHeight && t.player[x][cy] != BlackCell; cy += dy)
                        twice = twice || t.player[x][cy] == r.Digit;
                if (twice) {
                    refused = true;
                    return t;
                }
            }
            t.player[x][y] = static_cast<std::uint8_t>(r.Digit);
            clears();
            break;
        }
        case TEditKind::Erase:
            t.player[x][y] = 0;
            clears();
            break;
        case TEditKind::Reveal:
            t.player[x][y] = t.solution[x][y];
            clears();
            break;
        case TEditKind::Mark:
            t.player[x][y] = 0;
            t.marks[x][y][r.Digit - 1] ^= 1;
            break;
        default:
            break;
    }
    return t;
}

}  // namespace

TEST_F(CoreTest, UndoAndRedoGiveBackEveryStateOfLongRandomGames) {
    std::mt19937 random(19);
    // Marks kept up to date by placed digits have a model of their own (candidates_test).
    Options.KeepPencilMarks = 0;
    for (int game = 0; game < 20; ++game) {
        BuildBlockPuzzle(game % 2 ? 9 : 12);
        Core->RestartPuzzle();
        const int n = Puzzle.BoardWidth;
        std::vector<Tables> states{Snapshot(Puzzle)};
        int applied = 0;
        for (int step = 0; step < 150; ++step) {
            Options.PreventDoubleNumbers = static_cast<int>(random() % 2);
            TEditRequest r;
            const int kind = static_cast<int>(random() % 12);
            r.Kind = kind < 5    ? TEditKind::Digit
                     : kind < 7  ? TEditKind::Erase
                     : kind < 10 ? TEditKind::Mark
                     : kind < 11 ? TEditKind::Reveal
                                 : TEditKind::AutoMarks;
            r.X = static_cast<int>(random() % n);
            r.Y = static_cast<int>(random() % n);
            r.Digit = 1 + static_cast<int>(random() % 9);
            if (r.Kind == TEditKind::AutoMarks) r.Digit = Puzzle.AutoMarkup ? 0 : 1;
            const Tables before = Snapshot(Puzzle);
            const int changesBefore = EditHistory.Changes;
            const TEditResult result = Model.ApplyEdit(r);
            const Tables after = Snapshot(Puzzle);

            if (r.Kind == TEditKind::AutoMarks) {
                ASSERT_EQ(result, TEditResult::Applied);
                EXPECT_EQ(after.autoMarkup, r.Digit);
                if (!r.Digit) {
                    EXPECT_EQ(after.marks, TMarkupGrid{});
                }
            } else if (Puzzle.SolutionGrid[r.X][r.Y] == BlackCell) {
                EXPECT_EQ(result, TEditResult::Unchanged) << "a black cell takes nothing";
                EXPECT_EQ(after, before);
            } else {
                bool refused = false;
                Tables expected = Expected(Model, before, r, refused);
                // Automatic marks follow placed digits; that rule has tests of its own.
                if (before.autoMarkup && r.Kind != TEditKind::Mark) expected.marks = after.marks;
                EXPECT_EQ(result == TEditResult::Refused, refused);
                EXPECT_EQ(after, expected) << "step " << step;
                EXPECT_EQ(result == TEditResult::Unchanged, !refused && expected == before);
            }
            if (result == TEditResult::Applied) {
                ++applied;
                states.push_back(after);
                EXPECT_EQ(EditHistory.Changes, changesBefore + 1);
            } else {
                EXPECT_EQ(EditHistory.Changes, changesBefore) << "nothing changed, nothing kept";
            }
            // Now and then a step back and forth again on the way.
            if (applied > 0 && random() % 10 == 0) {
                ASSERT_EQ(Model.UndoEdit(), 1);
                EXPECT_EQ(Snapshot(Puzzle), states[states.size() - 2]);
                ASSERT_EQ(Model.RedoEdit(), 1);
                EXPECT_EQ(Snapshot(Puzzle), states.back());
            }
        }
        ASSERT_EQ(static_cast<int>(EditHistory.Done.size()), applied);
        // All the way back, then all the way forward again.
        for (size_t k = states.size() - 1; k > 0; --k) {
            ASSERT_EQ(Model.UndoEdit(), 1);
            ASSERT_EQ(Snapshot(Puzzle), states[k - 1]) << "undo to state " << k - 1;
        }
        EXPECT_EQ(Model.UndoEdit(), 0);
        EXPECT_EQ(Model.CanUndo(), 0);
        for (size_t k = 1; k < states.size(); ++k) {
            ASSERT_EQ(Model.RedoEdit(), 1);
            ASSERT_EQ(Snapshot(Puzzle), states[k]) << "redo to state " << k;
        }
        EXPECT_EQ(Model.RedoEdit(), 0);
        // A new change after an undo drops what was undone.
        ASSERT_EQ(Model.UndoEdit(), 1);
        EXPECT_EQ(Model.CanRedo(), 1);
        TEditRequest mark{TEditKind::Mark, 1, 1, 5};
        ASSERT_EQ(Model.ApplyEdit(mark), TEditResult::Applied);
        EXPECT_EQ(Model.CanRedo(), 0);
    }
}

TEST_F(CoreTest, HintsAndTheMarkupSwitchGoThroughTheEditPathAndNewPuzzlesForgetIt) {
    BuildBlockPuzzle(9);
    Core->RestartPuzzle();
    Puzzle.MarkupGrid[1][1][2] = 1;
    Core->ShowHideMarkup();
    const TMarkupGrid filled = Puzzle.MarkupGrid;
    EXPECT_EQ(Puzzle.AutoMarkup, 1);
    Core->ShowRandomCell();
    const TGrid revealed = Puzzle.PlayerGrid;
    EXPECT_EQ(EditHistory.Done.size(), 2u);
    EXPECT_EQ(EditHistory.Done.back().Kind, TEditKind::Reveal);
    ASSERT_EQ(Model.UndoEdit(), 1);
    EXPECT_EQ(Puzzle.MarkupGrid, filled);
    ASSERT_EQ(Model.UndoEdit(), 1);
    EXPECT_EQ(Puzzle.AutoMarkup, 0);
    EXPECT_EQ(Puzzle.MarkupGrid[1][1][2], 1) << "the player's own mark is back";
    ASSERT_EQ(Model.RedoEdit(), 1);
    ASSERT_EQ(Model.RedoEdit(), 1);
    EXPECT_EQ(Puzzle.PlayerGrid, revealed);

    Core->RestartPuzzle();
    EXPECT_EQ(Model.CanUndo() + Model.CanRedo() + EditHistory.Changes, 0);
}

TEST_F(CoreTest, TypedInBoardsUndoTheirClueCellsAndRebuildTheCells) {
    Puzzle.BoardWidth = Puzzle.BoardHeight = 6;
    Core->CustomPuzzle();
    Puzzle.CustomMode = 1;
    int rebuilt = 0;
    Model.Hooks.CreateCells = [&](int animate) {
        EXPECT_EQ(animate, 0) << "rebuilt in place";
        ++rebuilt;
    };
    const Tables empty = Snapshot(Puzzle);
    TEditRequest clue{TEditKind::ClueCell, 0, 1, 0, 17, 0};
    ASSERT_EQ(Model.ApplyEdit(clue), TEditResult::Applied);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[0][1], 17);
    const Tables withClue = Snapshot(Puzzle);
    TEditRequest white{TEditKind::WhiteCell, 0, 1};
    ASSERT_EQ(Model.ApplyEdit(white), TEditResult::Applied);
    EXPECT_EQ(Snapshot(Puzzle), empty);
    EXPECT_EQ(rebuilt, 2);
    ASSERT_EQ(Model.UndoEdit(), 1);
    EXPECT_EQ(Snapshot(Puzzle), withClue);
    ASSERT_EQ(Model.UndoEdit(), 1);
    EXPECT_EQ(Snapshot(Puzzle), empty);
    EXPECT_EQ(rebuilt, 4);
}

TEST_F(CoreTest, RunCheckAgreesWithTheRulesOnRandomFillings) {
    // The check by the rules, whatever the stored solution: worked out here
    // from the cells of each run.
    auto reference = [this](int direction, int x, int y) {
        const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
        if (Puzzle.PlayerGrid[x][y] != BlackCell || clue == 0) return 0;
        std::vector<int> digits;
        int cells = 0;
        for (int k = 1;; ++k) {
            const int cx = direction == Vertical ? x : x + k, cy = direction == Vertical ? y + k : y;
            if (cx >= Puzzle.BoardWidth || cy >= Puzzle.BoardHeight || Puzzle.PlayerGrid[cx][cy] == BlackCell) break;
            ++cells;
            if (Puzzle.PlayerGrid[cx][cy] != 0) digits.push_back(Puzzle.PlayerGrid[cx][cy]);
        }
        if (cells == 0) return 0;
        std::vector<int> sorted = digits;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return -1;
        if (static_cast<int>(digits.size()) < cells) return 0;
        int sum = 0;
        for (int d : digits) sum += d;
        return sum == clue ? 1 : -1;
    };
    std::mt19937 random(7);
    int seen[3] = {};
    for (int round = 0; round < 3000; ++round) {
        BuildBlockPuzzle(round % 3 == 0 ? 12 : 9);
        const int n = Puzzle.BoardWidth;
        // Mostly the solution, with some cells empty and some other digits.
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y) {
                if (Puzzle.PlayerGrid[x][y] == BlackCell) continue;
                const unsigned roll = random() % 10;
                Puzzle.PlayerGrid[x][y] = roll < 6   ? Puzzle.SolutionGrid[x][y]
                                          : roll < 8 ? 0
                                                     : static_cast<std::uint8_t>(1 + random() % 9);
            }
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y)
                for (int direction : {Horizontal, Vertical}) {
                    const int got = Model.RunCheck(direction, x, y);
                    ASSERT_EQ(got, reference(direction, x, y)) << x << "," << y << " dir " << direction;
                    ++seen[got + 1];
                }
    }
    // Every answer came up many times.
    for (int count : seen) EXPECT_GT(count, 1000);
}
