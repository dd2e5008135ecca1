// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>

#include "Support.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/LogicSolver.h"

using namespace engine;
using enginetest::CapturedDiagnostics;

namespace {

// The tiers read the plain way, slowly: combinations and fillings are enumerated digit
// by digit, with none of the solver's tables.
using Masks = std::vector<unsigned>;  // per board cell, 0 for black

struct RefRun {
    int sum = 0;
    int length = 0;
    std::vector<unsigned> cells;
};

std::vector<RefRun> RunsOf(const TBoard& board) {
    std::vector<RefRun> runs(board.constraints.size());
    for (std::size_t k = 0; k < runs.size(); ++k) {
        runs[k].sum = static_cast<int>(board.constraints[k].sum);
        runs[k].length = static_cast<int>(board.constraints[k].length);
    }
    for (unsigned i = 0; i < board.cellCount; ++i) {
        for (int direction : {kDown, kAcross}) {
            if (board.links[i][direction] != kNoLink)
                runs[static_cast<std::size_t>(board.links[i][direction])].cells.push_back(i);
        }
    }
    return runs;
}

bool One(unsigned m) { return std::popcount(m) == 1; }

bool CombinationsRule(const RefRun& run, Masks& m) {
    const Masks before = m;
    for (unsigned a : run.cells) {
        for (unsigned b : run.cells) {
            if (a != b && One(before[a])) m[b] &= ~before[a];
        }
    }
    unsigned placed = 0, fitting = 0;
    for (unsigned cell : run.cells) placed |= One(m[cell]) ? m[cell] : 0;
    for (unsigned set = 0; set < 1024; set += 2) {
        int sum = 0;
        for (int d = 1; d <= 9; ++d) sum += (set >> d & 1) ? d : 0;
        bool fits = std::popcount(set) == run.length && sum == run.sum && (set & placed) == placed;
        for (unsigned cell : run.cells) fits = fits && (m[cell] & set);
        if (fits) fitting |= set;
    }
    for (unsigned cell : run.cells) m[cell] &= fitting;
    return m != before;
}

void Fillings(const RefRun& run, const Masks& m, std::size_t k, unsigned used, int sum, std::vector<int>& digits,
              Masks& support) {
    if (k == run.cells.size()) {
        if (sum != run.sum) return;
        for (std::size_t j = 0; j < k; ++j) support[run.cells[j]] |= 1u << digits[j];
        return;
    }
    for (int d = 1; d <= 9 && sum + d <= run.sum; ++d) {
        if (!(m[run.cells[k]] >> d & 1) || (used >> d & 1)) continue;
        digits[k] = d;
        Fillings(run, m, k + 1, used | 1u << d, sum + d, digits, support);
    }
}

bool ExactRule(const RefRun& run, Masks& m) {
    Masks support(m.size(), 0);
    std::vector<int> digits(run.cells.size());
    Fillings(run, m, 0, 0, 0, digits, support);
    bool changed = false;
    for (unsigned cell : run.cells) {
        changed = changed || (m[cell] & support[cell]) != m[cell];
        m[cell] &= support[cell];
    }
    return changed;
}

bool Empty(const TBoard& board, const Masks& m) {
    for (unsigned i = 0; i < board.cellCount; ++i) {
        if (board.cells[i] >= 0 && m[i] == 0) return true;
    }
    return false;
}

// Returns false on a contradiction.
bool RefSolve(const TBoard& board, const std::vector<RefRun>& runs, Masks& m, int tier) {
    for (bool changed = true; changed && !Empty(board, m);) {
        changed = false;
        for (const RefRun& run : runs) changed = (tier == 1 ? CombinationsRule(run, m) : ExactRule(run, m)) || changed;
        for (unsigned cell = 0; tier == 3 && !changed && cell < board.cellCount; ++cell) {
            for (int d = 1; d <= 9 && !One(m[cell]); ++d) {
                if (!(m[cell] >> d & 1)) continue;
                Masks trial = m;
                trial[cell] = 1u << d;
                if (!RefSolve(board, runs, trial, 2)) {
                    m[cell] &= ~(1u << d);
                    changed = true;
                }
            }
        }
    }
    return !Empty(board, m);
}

Masks CandidatesOf(const LogicSolver& solver, const TBoard& board) {
    Masks m(board.cellCount);
    for (unsigned i = 0; i < board.cellCount; ++i) m[i] = solver.Candidates(i);
    return m;
}

std::vector<int> Grid(const std::vector<std::uint8_t>& cells) {
    std::vector<int> grid(cells.begin(), cells.end());
    for (int& v : grid) v = v == 0xFF ? -1 : v;
    return grid;
}

TBoard FromGrid(unsigned rows, unsigned columns, const std::vector<int>& grid) {
    TBoard board;
    BoardFromDigits(grid, rows, columns, board);
    return board;
}

}  // namespace

// Generated boards, with some digits entered (a few of them wrong) and some candidates
// struck as a player's pencil marks would: every tier, reached in one go or step by
// step, must end where the plain reading of its rule ends.
TEST(LogicSolverTests, EveryTierEndsWhereItsPlainReadingEnds) {
    CapturedDiagnostics captured;
    Random random(7);
    int cases = 0, contradictions = 0, tierThreeSteps = 0, longRuns = 0;
    // 10x10 boards, sparse, bring runs of seven to nine cells, whose remembered narrowings
    // span two words.
    for (unsigned size : {5u, 6u, 7u, 10u}) {
        for (std::uint32_t seed = 1; seed <= (size == 10 ? 6u : 24u); ++seed) {
            std::vector<std::uint8_t> cells(size * size);
            const unsigned target = size == 10 ? 16 : BlackCellTarget(size, size, 1 + seed % 3);
            ASSERT_TRUE(GeneratePuzzle(size, size, target, 0, cells, seed));
            const std::vector<int> solution = Grid(cells);
            for (int variant = 0; variant < 6; ++variant) {
                TBoard board = FromGrid(size, size, solution);
                for (unsigned i = 0; i < board.cellCount && variant > 0; ++i) {
                    if (solution[i] < 0 || random.RandomBelow(12) != 0) continue;
                    const int digit = random.RandomBelow(4) == 0 ? 1 + random.RandomBelow(9) : solution[i];
                    PlaceDigit(board, i, digit);
                }
                LogicSolver solver(board);
                for (unsigned i = 0; i < board.cellCount && variant > 2; ++i) {
                    if (solution[i] < 0 || random.RandomBelow(5) != 0) continue;
                    const unsigned keep =
                        random.RandomBelow(8) == 0 ? 1u << (1 + random.RandomBelow(9)) : 1u << solution[i];
                    solver.Restrict(i, static_cast<unsigned>(random.RandomBelow(1024)) | keep);
                }
                const Masks start = CandidatesOf(solver, board);
                const std::vector<RefRun> runs = RunsOf(board);
                longRuns += static_cast<int>(
                    std::count_if(runs.begin(), runs.end(), [](const RefRun& r) { return r.length >= 7; }));
                LogicSolver stepper = solver;
                for (int tier = 1; tier <= 3; ++tier) {
                    SCOPED_TRACE("size " + std::to_string(size) + " seed " + std::to_string(seed) + " variant " +
                                 std::to_string(variant) + " tier " + std::to_string(tier));
                    Masks expected = start;
                    const bool consistent = RefSolve(board, runs, expected, tier);
                    const bool filled = solver.Solve(tier);
                    ++cases;
                    if (!consistent) {
                        ++contradictions;
                        EXPECT_TRUE(solver.Contradiction());
                        EXPECT_FALSE(filled);
                        break;
                    }
                    EXPECT_EQ(CandidatesOf(solver, board), expected);
                    EXPECT_EQ(filled, solver.FilledCount() == solver.WhiteCount());

                    // Single steps: each of the lowest tier that has one, each a plain narrowing.
                    LogicStep step;
                    for (;;) {
                        const LogicSolver before = stepper;
                        if (!stepper.Step(tier, step)) break;
                        ASSERT_GE(step.tier, 1);
                        ASSERT_GE(step.changeCount, 1);
                        if (step.tier > 1) {
                            LogicSolver lower = before;
                            lower.Solve(step.tier - 1);
                            EXPECT_EQ(CandidatesOf(lower, board), CandidatesOf(before, board))
                                << "a lower tier had a step";
                        }
                        for (int k = 0; k < step.changeCount; ++k) {
                            const CandidateChange& change = step.changes[static_cast<std::size_t>(k)];
                            EXPECT_NE(change.removed, 0u);
                            EXPECT_EQ(change.removed | change.left, before.Candidates(change.cell));
                            EXPECT_EQ(change.left, stepper.Candidates(change.cell));
                        }
                        if (step.tier == 3) {
                            ++tierThreeSteps;
                            LogicSolver trial = before;
                            trial.Restrict(step.trialCell, 1u << step.trialDigit);
                            EXPECT_FALSE(trial.Solve(2));
                            EXPECT_TRUE(trial.Contradiction());
                            EXPECT_GE(board.cells[step.emptiedCell], 0);
                        }
                    }
                    EXPECT_EQ(CandidatesOf(stepper, board), expected);
                }
            }
        }
    }
    EXPECT_GT(cases, 1000);
    EXPECT_GT(contradictions, 20);
    EXPECT_GT(tierThreeSteps, 0);
    EXPECT_GT(longRuns, 0);
}

// Boards on which each tier is just enough, and one on which none is: the last has two
// solutions, so no reasoning can settle its open cells.
TEST(LogicSolverTests, EachTierIsJustEnoughForItsBoard) {
    struct Case {
        int tier;
        int solutions;
        unsigned rows, columns;
        std::vector<int> grid;
    };
    const Case cases[] = {
        {1, 1, 4, 4, {-1, -1, -1, -1, -1, -1, 3, 1, -1, 3, 1, 2, -1, 9, 4, -1}},
        {2, 1, 4, 4, {-1, -1, -1, -1, -1, 8, 4, -1, -1, 7, 9, 3, -1, -1, 3, 1}},
        {3, 1, 5, 5, {-1, -1, -1, -1, -1, -1, 3, 2, -1, -1, -1, 9, 1, 8, -1, -1, -1, 7, 9, 8, -1, -1, -1, 3, 4}},
        {4, 2, 9, 9, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 5,  1,  -1, 1,  5,  -1, -1, -1, 4,  3,
                      9,  8,  5,  7,  6,  2,  -1, 6,  2,  -1, 5,  3,  -1, 1,  7,  -1, -1, 7,  9,  -1, 2,
                      8,  4,  1,  -1, 2,  4,  7,  1,  -1, 6,  8,  -1, -1, 5,  9,  -1, 2,  1,  -1, 7,  6,
                      -1, 6,  1,  5,  4,  3,  7,  2,  8,  -1, -1, -1, 8,  5,  -1, 9,  3,  -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("tier " + std::to_string(c.tier));
        const TBoard board = FromGrid(c.rows, c.columns, c.grid);
        int count = 0;
        ASSERT_TRUE(CountSolutions(board, count, false, nullptr));
        EXPECT_EQ(count, c.solutions);
        const PuzzleGrade grade = GradePuzzle(board);
        EXPECT_EQ(grade.tier, c.tier);
        EXPECT_FALSE(grade.contradiction);
        const int whites = static_cast<int>(std::count_if(c.grid.begin(), c.grid.end(), [](int v) { return v > 0; }));
        EXPECT_EQ(grade.filled[1] + grade.filled[2] + grade.filled[3] + grade.unfilled, whites);
        EXPECT_EQ(grade.unfilled == 0, c.tier < 4);
        LogicSolver solver(board);
        for (int tier = 1; tier <= 3; ++tier) {
            EXPECT_EQ(solver.Solve(tier), tier >= c.tier);
            for (unsigned i = 0; i < board.cellCount; ++i) {
                if (c.grid[i] > 0) {
                    EXPECT_TRUE(solver.Candidates(i) >> c.grid[i] & 1) << i;
                }
            }
        }
    }

    // Two solutions: no tier fills it, and nothing contradicts.
    TBoard twoWays;
    ASSERT_TRUE(ParseDescription("3 3", "0", "1 3 2 0 0 2 3 2 0 0 3 0 0 3 2 6 0 0 3 2", 4, twoWays));
    PuzzleGrade grade = GradePuzzle(twoWays);
    EXPECT_EQ(grade.tier, 4);
    EXPECT_EQ(grade.unfilled, 4);
    EXPECT_FALSE(grade.contradiction);
    // No solution: found out, not reported as a puzzle that needs guessing only.
    TBoard none;
    ASSERT_TRUE(ParseDescription("3 3", "0", "1 4 2 0 0 2 4 2 0 0 3 0 0 3 2 6 0 0 3 2", 4, none));
    grade = GradePuzzle(none);
    EXPECT_EQ(grade.tier, 4);
    EXPECT_TRUE(grade.contradiction);
}

// The tier, what each tier fills and how many deductions it makes, and the grid, for
// seeded puzzles as they were graded before the explainer learnt techniques of its own:
// the explainer's new steps must never change a puzzle's grade or the puzzles made.
TEST(GradePuzzle, GradesOfSeededPuzzlesStayAsTheyWere) {
    const std::string expected =
        "6 1 1: 1 1 16 0 0 28 0 0 871404\n"
        "6 1 2: 1 1 16 0 0 24 0 0 43748\n"
        "6 1 3: 1 1 18 0 0 26 0 0 154576\n"
        "6 1 4: 1 1 15 0 0 23 0 0 254000\n"
        "6 1 5: 1 1 16 0 0 25 0 0 238578\n"
        "6 2 1: 2 2 8 12 0 35 14 0 42659\n"
        "6 2 2: 2 2 3 13 0 21 15 0 301228\n"
        "6 2 3: 2 2 3 13 0 24 10 0 696843\n"
        "6 2 4: 2 2 3 13 0 25 11 0 322447\n"
        "6 2 5: 2 2 1 17 0 23 9 0 400742\n"
        "6 3 1: 3 3 7 0 11 29 9 2 276239\n"
        "6 3 2: 3 3 5 2 11 30 6 1 258915\n"
        "6 3 3: 3 3 2 0 16 27 19 1 438419\n"
        "6 3 4: 3 3 1 1 15 22 15 1 707163\n"
        "6 3 5: 3 3 4 2 11 22 12 3 657692\n"
        "7 1 1: 1 1 22 0 0 39 0 0 931136\n"
        "7 1 2: 1 1 22 0 0 33 0 0 97118\n"
        "7 1 3: 1 1 22 0 0 34 0 0 15845\n"
        "7 1 4: 1 1 22 0 0 36 0 0 783172\n"
        "7 1 5: 1 1 24 0 0 39 0 0 398679\n"
        "7 2 1: 2 2 13 11 0 37 7 0 455748\n"
        "7 2 2: 2 2 9 19 0 38 12 0 703801\n"
        "7 2 3: 2 2 9 15 0 32 4 0 600689\n"
        "7 2 4: 2 2 4 22 0 29 14 0 476888\n"
        "7 2 5: 2 2 15 15 0 38 8 0 435115\n"
        "7 3 1: 3 3 9 3 14 37 13 1 771187\n"
        "7 3 2: 3 3 5 0 19 34 14 3 477847\n"
        "7 3 3: 3 3 8 1 15 36 12 2 713812\n"
        "7 3 4: 3 3 9 7 12 39 15 1 617011\n"
        "7 3 5: 3 3 6 0 20 44 19 2 619744\n"
        "9 1 1: 1 1 40 0 0 65 0 0 178078\n"
        "9 1 2: 1 1 40 0 0 71 0 0 920450\n"
        "9 1 3: 1 1 40 0 0 71 0 0 598030\n"
        "9 1 4: 1 1 46 0 0 75 0 0 530331\n"
        "9 1 5: 1 1 40 0 0 71 0 0 721530\n"
        "9 2 1: 2 2 19 25 0 64 11 0 442374\n"
        "9 2 2: 2 2 15 29 0 65 24 0 258718\n"
        "9 2 3: 2 2 9 35 0 62 22 0 245271\n"
        "9 2 4: 2 2 15 29 0 64 19 0 186722\n"
        "9 2 5: 2 2 17 27 0 60 23 0 54959\n"
        "9 3 1: 3 3 17 0 27 76 33 4 967826\n"
        "9 3 2: 3 3 12 12 20 69 24 3 586622\n"
        "9 3 3: 3 3 12 11 21 68 34 3 590363\n"
        "9 3 4: 3 3 9 0 35 64 43 9 286169\n"
        "9 3 5: 3 3 10 6 28 68 27 3 146376\n"
        "12 1 1: 1 1 75 0 0 128 0 0 545011\n"
        "12 1 2: 1 1 91 0 0 155 0 0 716216\n"
        "12 2 1: 2 2 22 57 0 109 35 0 188827\n"
        "12 2 2: 2 2 37 42 0 108 24 0 192106\n"
        "12 3 1: 3 3 23 24 31 110 44 4 770351\n"
        "12 3 2: 3 3 16 9 54 109 53 6 695883\n";
    std::string actual;
    for (unsigned size : {6u, 7u, 9u, 12u}) {
        for (int level = 1; level <= 3; ++level) {
            for (unsigned seed = 1; seed <= (size == 12 ? 2u : 5u); ++seed) {
                std::vector<std::uint8_t> cells(size * size);
                int tier = 0;
                ASSERT_TRUE(GenerateLevelPuzzle(size, size, level, 0, cells,
                                                4100 + seed * 13 + static_cast<unsigned>(level), &tier));
                std::vector<int> grid(cells.begin(), cells.end());
                for (int& v : grid) v = v == 0xFF ? -1 : v;
                TBoard board;
                BoardFromDigits(grid, size, size, board);
                for (int& v : board.cells) v = v > 0 ? kEmpty : v;
                const PuzzleGrade g = GradePuzzle(board);
                unsigned long hash = 0;
                for (int v : grid) hash = hash * 31 + static_cast<unsigned>(v + 1);
                char line[160];
                std::snprintf(line, sizeof line, "%u %d %u: %d %d %d %d %d %d %d %d %lu\n", size, level, seed, tier,
                              g.tier, g.filled[1], g.filled[2], g.filled[3], g.deductions[1], g.deductions[2],
                              g.deductions[3], hash % 1000003);
                actual += line;
            }
        }
    }
    EXPECT_EQ(actual, expected);
}
