// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>

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
      if (board.links[i][direction] != kNoLink) runs[static_cast<std::size_t>(board.links[i][direction])].cells.push_back(i);
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

void Fillings(const RefRun& run, const Masks& m, std::size_t k, unsigned used, int sum,
              std::vector<int>& digits, Masks& support) {
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
          const unsigned keep = random.RandomBelow(8) == 0 ? 1u << (1 + random.RandomBelow(9)) : 1u << solution[i];
          solver.Restrict(i, static_cast<unsigned>(random.RandomBelow(1024)) | keep);
        }
        const Masks start = CandidatesOf(solver, board);
        const std::vector<RefRun> runs = RunsOf(board);
        longRuns += static_cast<int>(std::count_if(runs.begin(), runs.end(), [](const RefRun& r) { return r.length >= 7; }));
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
              EXPECT_EQ(CandidatesOf(lower, board), CandidatesOf(before, board)) << "a lower tier had a step";
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
      {3, 1, 5, 5, {-1, -1, -1, -1, -1, -1, 3, 2, -1, -1, -1, 9, 1, 8, -1,
                 -1, -1, 7, 9, 8, -1, -1, -1, 3, 4}},
      {4, 2, 9, 9, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 5, 1, -1, 1, 5, -1, -1,
                 -1, 4, 3, 9, 8, 5, 7, 6, 2, -1, 6, 2, -1, 5, 3, -1, 1, 7,
                 -1, -1, 7, 9, -1, 2, 8, 4, 1, -1, 2, 4, 7, 1, -1, 6, 8, -1,
                 -1, 5, 9, -1, 2, 1, -1, 7, 6, -1, 6, 1, 5, 4, 3, 7, 2, 8,
                 -1, -1, -1, 8, 5, -1, 9, 3, -1}},
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
