// SPDX-License-Identifier: GPL-3.0-or-later
// Every path of a game on boards wider than high and higher than wide: made, typed in
// and checked, played with digits, marks, undo and redo, hints and explanations, saved
// and continued. Runs, sums, combinations and solution counts are worked out here by
// brute force from the tables, apart from the code under test.
#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "core_support.h"
#include "game/core/autosave.h"
#include "game/core/save_game.h"

namespace {

struct TRun {
    int length = 0;
    std::vector<std::pair<int, int>> cells;
};

// The cells after clue cell (x, y) going right (direction Horizontal) or down.
TRun RunOf(const TPuzzleState& p, int direction, int x, int y) {
    TRun run;
    for (int k = 1;; ++k) {
        const int cx = direction == Horizontal ? x + k : x, cy = direction == Horizontal ? y : y + k;
        if (cx >= p.BoardWidth || cy >= p.BoardHeight || p.SolutionGrid[cx][cy] == BlackCell) break;
        run.cells.emplace_back(cx, cy);
    }
    run.length = static_cast<int>(run.cells.size());
    return run;
}

int Clue(const TPuzzleState& p, int direction, int x, int y) {
    return direction == Horizontal ? p.HorizontalSumGrid[x][y] : p.VerticalSumGrid[x][y];
}

// Solutions of the clues, counted up to `limit` by plain backtracking over the cell
// with the fewest digits left; the first goes to first.
int CountSolutions(const TPuzzleState& p, int limit, TGrid& first) {
    std::vector<std::pair<int, int>> whites;
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y)
            if (p.SolutionGrid[x][y] != BlackCell) whites.emplace_back(x, y);
    TGrid grid{};
    auto clueCell = [&](int direction, int x, int y) {
        while (p.SolutionGrid[x][y] != BlackCell) (direction == Horizontal ? x : y) -= 1;
        return std::pair{x, y};
    };
    // Whether digit d may go in (x, y): not yet in either run, and each run can still
    // reach its clue with distinct digits in its empty cells.
    auto fits = [&](int x, int y, int d) {
        for (int direction : {Horizontal, Vertical}) {
            const auto [cx, cy] = clueCell(direction, x, y);
            const TRun run = RunOf(p, direction, cx, cy);
            int sum = d, empty = 0;
            unsigned used = 1u << d;
            for (const auto& [rx, ry] : run.cells) {
                if (rx == x && ry == y) continue;
                const int v = grid[rx][ry];
                if (v == 0) {
                    ++empty;
                    continue;
                }
                if (used & (1u << v)) return false;
                used |= 1u << v;
                sum += v;
            }
            int low = 0, high = 0, k = 0;
            for (int e = 1; e <= 9 && k < empty; ++e)
                if (!(used & (1u << e))) low += e, ++k;
            if (k < empty) return false;
            k = 0;
            for (int e = 9; e >= 1 && k < empty; --e)
                if (!(used & (1u << e))) high += e, ++k;
            const int left = Clue(p, direction, cx, cy) - sum;
            if (left < low || left > high) return false;
        }
        return true;
    };
    int count = 0;
    std::function<void()> search = [&] {
        if (count >= limit) return;
        int best = -1, bestCount = 10;
        for (std::size_t i = 0; i < whites.size(); ++i) {
            const auto [x, y] = whites[i];
            if (grid[x][y]) continue;
            int options = 0;
            for (int d = 1; d <= 9; ++d) options += fits(x, y, d);
            if (options < bestCount) best = static_cast<int>(i), bestCount = options;
        }
        if (best < 0) {
            if (count++ == 0) first = grid;
            return;
        }
        const auto [x, y] = whites[static_cast<std::size_t>(best)];
        for (int d = 1; d <= 9; ++d)
            if (fits(x, y, d)) {
                grid[x][y] = static_cast<std::uint8_t>(d);
                search();
                grid[x][y] = 0;
            }
    };
    search();
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y)
            if (p.SolutionGrid[x][y] == BlackCell) first[x][y] = BlackCell;
    return count;
}

// The combinations of `length` distinct digits adding up to `sum`, as "1+2+6".
std::set<std::string> Combinations(int length, int sum) {
    std::set<std::string> found;
    for (unsigned mask = 1; mask < 512; ++mask) {
        std::string text;
        int total = 0, count = 0;
        for (int d = 1; d <= 9; ++d)
            if (mask & (1u << (d - 1))) text += (text.empty() ? "" : "+") + std::to_string(d), total += d, ++count;
        if (count == length && total == sum) found.insert(text);
    }
    return found;
}

std::set<std::string> Entries(std::string text) {
    std::set<std::string> entries;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t comma = text.find(", ", at);
        entries.insert(text.substr(at, comma - at));
        at = comma == std::string::npos ? text.size() : comma + 2;
    }
    return entries;
}

// The part of a grid in use on a board of w x h; the rest keeps what larger boards left.
template <typename Grid>
Grid Used(const Grid& grid, int w, int h) {
    Grid used{};
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) used[x][y] = grid[x][y];
    return used;
}

const std::pair<int, int> Sizes[] = {{9, 6}, {6, 12}, {14, 7}};

}  // namespace

TEST_F(CoreTest, MadePuzzlesHaveTheirCluesOneSolutionAndTheRunsTheBoardHas) {
    for (const auto& [w, h] : Sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ASSERT_TRUE(Core->CreatePuzzle(w, h, 1));
        Core->RestartPuzzle();
        ASSERT_EQ(Puzzle.BoardWidth, w);
        ASSERT_EQ(Puzzle.BoardHeight, h);
        EXPECT_GE(Puzzle.PuzzleStars, 1);
        int whites = 0;
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) {
                if (Puzzle.SolutionGrid[x][y] != BlackCell) {
                    ++whites;
                    EXPECT_EQ(Puzzle.PlayerGrid[x][y], 0);
                    continue;
                }
                for (int direction : {Horizontal, Vertical}) {
                    const TRun run = RunOf(Puzzle, direction, x, y);
                    int sum = 0;
                    std::set<int> digits;
                    for (const auto& [cx, cy] : run.cells)
                        sum += Puzzle.SolutionGrid[cx][cy], digits.insert(Puzzle.SolutionGrid[cx][cy]);
                    EXPECT_EQ(static_cast<int>(digits.size()), run.length) << "a digit twice in a run";
                    EXPECT_EQ(Clue(Puzzle, direction, x, y), sum) << x << "," << y;
                    EXPECT_EQ(Model.RunLength(direction, x, y), run.length);
                    if (run.length == 0) continue;
                    EXPECT_EQ(Entries(Model.CombinationText(direction, x, y)), Combinations(run.length, sum));
                    EXPECT_EQ(Model.RemainingSum(direction, sum, x, y), sum);
                }
            }
        EXPECT_GT(whites, w * h / 3);
        TGrid found{};
        EXPECT_EQ(CountSolutions(Puzzle, 2, found), 1);
        EXPECT_EQ(Used(found, w, h), Used(Puzzle.SolutionGrid, w, h));

        // Typed in clue by clue, the same board passes the check with the same one solution.
        const TPuzzleState made = Puzzle;
        Core->CustomPuzzle();
        Puzzle.CustomMode = 1;
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) {
                if (made.SolutionGrid[x][y] != BlackCell) continue;
                ASSERT_TRUE(Model.StoreClueCell(x, y, made.HorizontalSumGrid[x][y], made.VerticalSumGrid[x][y]));
            }
        EXPECT_EQ(Model.CustomPuzzleDescription().Dimensions, std::to_string(h) + " " + std::to_string(w));
        EXPECT_EQ(Model.CluesAllowSeveralSolutions(), 0);
        ASSERT_EQ(Core->CheckCustomPuzzle(), 1) << Core->CheckMessage << " " << Core->CheckDetail;
        EXPECT_EQ(Core->CheckMessage, "");
        EXPECT_EQ(Used(Puzzle.SolutionGrid, w, h), Used(made.SolutionGrid, w, h));
        EXPECT_EQ(Used(Puzzle.HorizontalSumGrid, w, h), Used(made.HorizontalSumGrid, w, h));
        EXPECT_EQ(Used(Puzzle.VerticalSumGrid, w, h), Used(made.VerticalSumGrid, w, h));
    }
}

TEST_F(CoreTest, PlayOnNonSquareBoardsFollowsTheRulesUndoesAndIsKept) {
    std::mt19937 random(96);
    for (const auto& [w, h] : Sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ASSERT_TRUE(Core->CreatePuzzle(w, h, 0));
        Core->RestartPuzzle();
        const TGrid empty = Puzzle.PlayerGrid;
        Options.PreventDoubleNumbers = 0;
        int applied = 0;
        for (int step = 0; step < 400; ++step) {
            TEditRequest r;
            r.Kind = random() % 4 ? TEditKind::Digit : TEditKind::Mark;
            r.X = static_cast<int>(random() % static_cast<unsigned>(w));
            r.Y = static_cast<int>(random() % static_cast<unsigned>(h));
            r.Digit = 1 + static_cast<int>(random() % 9);
            if (Model.ApplyEdit(r) == TEditResult::Applied) ++applied;
        }
        // Mistakes by the rules, worked out here: a digit twice in a run through the
        // cell, or a full run through it that misses its clue.
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) {
                const int d = Puzzle.PlayerGrid[x][y];
                if (d == BlackCell || d == 0) continue;
                bool breaks = false, twice = false;
                for (int direction : {Horizontal, Vertical}) {
                    int cx = x, cy = y;
                    while (Puzzle.PlayerGrid[cx][cy] != BlackCell) (direction == Horizontal ? cx : cy) -= 1;
                    int same = 0, sum = 0;
                    bool full = true, repeats = false;
                    std::set<int> seen;
                    for (const auto& [rx, ry] : RunOf(Puzzle, direction, cx, cy).cells) {
                        const int v = Puzzle.PlayerGrid[rx][ry];
                        if (v == 0) full = false;
                        if (v == d) ++same;
                        if (v && !seen.insert(v).second) repeats = true;
                        sum += v;
                    }
                    twice = twice || same > 1;
                    breaks = breaks || same > 1 || (full && !repeats && sum != Clue(Puzzle, direction, cx, cy)) ||
                             (full && repeats);
                }
                EXPECT_EQ(Model.BreaksRules(x, y), breaks ? 1 : 0) << x << "," << y;
                EXPECT_EQ(Model.DigitClashes(d, x, y), 1);
                // Another cell of the same runs holding d is what Prevent Double Digits refuses.
                Puzzle.PlayerGrid[x][y] = 0;
                EXPECT_EQ(Model.DigitClashes(d, x, y), twice ? 1 : 0) << x << "," << y;
                Puzzle.PlayerGrid[x][y] = static_cast<std::uint8_t>(d);
            }

        // Saved and read back, then kept by the autosave and continued with its history.
        const TPuzzleState played = Puzzle;
        std::string reason;
        const auto content = ParseSaveGame(Model.SaveGameText(4321), reason);
        ASSERT_TRUE(content) << reason;
        TPuzzleModel other;
        other.ApplySaveGameContent(*content);
        EXPECT_EQ(other.Puzzle.BoardWidth, w);
        EXPECT_EQ(other.Puzzle.BoardHeight, h);
        EXPECT_EQ(Used(other.Puzzle.PlayerGrid, w, h), Used(played.PlayerGrid, w, h));
        EXPECT_EQ(Used(other.Puzzle.MarkupGrid, w, h), Used(played.MarkupGrid, w, h));
        EXPECT_EQ(Used(other.Puzzle.SolutionGrid, w, h), Used(played.SolutionGrid, w, h));
        ASSERT_EQ(Model.WriteAutosave(), 1);
        TPuzzleModel continued;
        ASSERT_EQ(continued.LoadAutosave(), 1);
        EXPECT_EQ(Used(continued.Puzzle.PlayerGrid, w, h), Used(played.PlayerGrid, w, h));
        EXPECT_EQ(Used(continued.Puzzle.HorizontalSumGrid, w, h), Used(played.HorizontalSumGrid, w, h));
        int undone = 0;
        while (continued.UndoEdit()) ++undone;
        EXPECT_EQ(undone, applied);
        EXPECT_EQ(Used(continued.Puzzle.PlayerGrid, w, h), Used(empty, w, h));
        while (continued.RedoEdit()) {
        }
        EXPECT_EQ(Used(continued.Puzzle.PlayerGrid, w, h), Used(played.PlayerGrid, w, h));

        // A wrong digit is explained first; then every explained step is right, and the
        // steps alone finish the board.
        Core->RestartPuzzle();
        int wx = 0, wy = 0;
        while (Puzzle.SolutionGrid[wx][wy] == BlackCell)
            wx = static_cast<int>(random() % static_cast<unsigned>(w)),
            wy = static_cast<int>(random() % static_cast<unsigned>(h));
        Puzzle.PlayerGrid[wx][wy] = static_cast<std::uint8_t>(Puzzle.SolutionGrid[wx][wy] % 9 + 1);
        TExplainedStep step = Model.ExplainNextStep();
        EXPECT_EQ(step.Kind, TExplainKind::Wrong);
        EXPECT_EQ(std::pair(step.X, step.Y), std::pair(wx, wy));
        for (int k = 0; k < 2000 && step.Kind != TExplainKind::Stuck && !Core->IsPuzzleCompleted(); ++k) {
            if (step.Kind == TExplainKind::Place) {
                EXPECT_EQ(step.Digit, Puzzle.SolutionGrid[step.X][step.Y]) << step.Sentence;
            }
            if (step.Kind == TExplainKind::Remove) {
                EXPECT_EQ(step.Removed >> Puzzle.SolutionGrid[step.X][step.Y] & 1, 0u) << step.Sentence;
            }
            EXPECT_FALSE(step.Sentence.empty());
            for (const auto& [cx, cy] : step.Cells) EXPECT_TRUE(cx < w && cy < h);
            Model.ApplyExplainedStep(step);
            step = Model.ExplainNextStep();
        }
        EXPECT_EQ(Used(Puzzle.PlayerGrid, w, h), Used(Puzzle.SolutionGrid, w, h)) << "explained to the end";

        // Hints reveal the rest of a board begun again, one cell each.
        Core->RestartPuzzle();
        int hints = 0;
        while (!Core->IsPuzzleCompleted() && hints < w * h) Core->ShowRandomCell(), ++hints;
        EXPECT_EQ(Used(Puzzle.PlayerGrid, w, h), Used(Puzzle.SolutionGrid, w, h));
        Model.RemoveAutosave();
    }
}
