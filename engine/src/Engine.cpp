// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Engine.h"

#include <algorithm>
#include <chrono>
#include <memory>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/LogicSolver.h"
#include "tallyfold/engine/Random.h"
#include "tallyfold/engine/Template.h"

namespace engine {
namespace {

// Looks for four cells at the corners of a rectangle whose sides lie in four runs
// (across in both rows, down in both columns) where adding k to two opposite corners and
// taking k from the other two keeps every digit 1..9 and distinct in its runs. All four
// run sums stay as they were, so the clues have a second solution. Nearly every fill
// that is not unique shows such a rectangle, and finding it costs far less than a count.
// `corners`, when given, receives the four cells of the rectangle found.
bool HasShiftableRectangle(const Template& layout, const std::vector<int>& digits,
                           std::vector<unsigned>* corners = nullptr) {
  const unsigned columns = layout.columns;
  std::vector<unsigned> used(layout.runs.size(), 0);
  for (unsigned i = 0; i < layout.cellCount; ++i) {
    if (digits[i] <= 0) continue;
    for (int direction : {kDown, kAcross}) {
      used[static_cast<std::size_t>(layout.links[i][direction])] |= 1u << digits[i];
    }
  }
  auto usedOf = [&](unsigned cell, int direction) {
    return used[static_cast<std::size_t>(layout.links[cell][direction])];
  };
  for (unsigned r1 = 1; r1 < layout.rows; ++r1) {
    for (unsigned c1 = 1; c1 < columns; ++c1) {
      const unsigned topLeft = r1 * columns + c1;
      if (digits[topLeft] <= 0) continue;
      for (unsigned c2 = c1 + 1; c2 < columns && digits[r1 * columns + c2] > 0; ++c2) {
        const unsigned topRight = r1 * columns + c2;
        for (unsigned r2 = r1 + 1; r2 < layout.rows && digits[r2 * columns + c1] > 0; ++r2) {
          const unsigned bottomLeft = r2 * columns + c1;
          const unsigned bottomRight = r2 * columns + c2;
          if (digits[bottomRight] <= 0 ||
              layout.links[bottomRight][kAcross] != layout.links[bottomLeft][kAcross] ||
              layout.links[bottomRight][kDown] != layout.links[topRight][kDown]) {
            continue;
          }
          const int a = digits[topLeft], b = digits[topRight];
          const int c = digits[bottomLeft], d = digits[bottomRight];
          // Each run's other digits, which the shifted ones must avoid.
          const unsigned top = usedOf(topLeft, kAcross) & ~(1u << a) & ~(1u << b);
          const unsigned bottom = usedOf(bottomLeft, kAcross) & ~(1u << c) & ~(1u << d);
          const unsigned left = usedOf(topLeft, kDown) & ~(1u << a) & ~(1u << c);
          const unsigned right = usedOf(topRight, kDown) & ~(1u << b) & ~(1u << d);
          for (int k = -8; k <= 8; ++k) {
            const int na = a + k, nb = b - k, nc = c - k, nd = d + k;
            if (k == 0 || na < 1 || na > 9 || nb < 1 || nb > 9 || nc < 1 || nc > 9 || nd < 1 ||
                nd > 9) {
              continue;
            }
            if (na == nb || nc == nd || na == nc || nb == nd) continue;
            if (((top | left) >> na & 1) || ((top | right) >> nb & 1) ||
                ((bottom | left) >> nc & 1) || ((bottom | right) >> nd & 1)) {
              continue;
            }
            if (corners) *corners = {topLeft, topRight, bottomLeft, bottomRight};
            return true;
          }
        }
      }
    }
  }
  return false;
}

// A fill whose uniqueness takes longer than this to settle is dropped for the next one:
// waiting for it would cost more than a fresh fill, and the game must not stall.
constexpr std::uint64_t kGenerationEffort = 400'000;

// Some layouts never yield a fill with a unique solution (and many need thousands of
// tries); re-filling them forever would only end at the time limit, a multi-second
// freeze for the player. After this many fills a fresh layout is made instead. Calls
// that succeed within the first layout's tries are unaffected.
constexpr int kFillsPerLayout = 200;

// A fill whose grade misses the level usually misses it in a few cells only: drawing just
// those again keeps the rest, where a fresh fill would have to get every cell right at
// once, which on a large board happens a few times in a thousand. After this many
// redraws the fill is given up for a fresh one.
constexpr int kRedrawsPerFill = 40;

// Some layouts hardly ever give the grade asked for; fills and redraws on one layout
// stop here and a fresh layout is made.
constexpr long kRoundsPerLayout = 100;

// Hard boards below 64 cells rarely allow a puzzle that needs trials; after this many
// fills and redraws without one, a hard request takes a tier 2 puzzle.
constexpr long kSmallBoardCells = 64;
constexpr long kRoundsBeforeTierTwo = 400;

// Some boards cannot give a level at all (two rows leave every cell a run of its own in
// one direction, so nothing needs more than the combinations): a call without a time
// limit would never end. The game's sizes need a few thousand fills at the very most.
constexpr long kMaxAttempts = 200'000;

bool CheckRequest(unsigned rows, unsigned columns, std::span<std::uint8_t> result) {
  if (rows < 2 || columns < 2) return false;
  if (rows > kMaxDimension || columns > kMaxDimension) {
    DiagnosticErr() << "Error: boards above " << kMaxDimension
                    << " cells in either direction are not supported\n";
    return false;
  }
  if (result.size() < static_cast<std::size_t>(rows) * columns) {
    DiagnosticErr() << "Error: result buffer smaller than the board\n";
    return false;
  }
  return true;
}

// The uniqueness proof: the single-candidate pass, then the counter.
bool ProvenUnique(TBoard board) {
  FillObviousTest(board, nullptr);
  int count = 0;
  // A search given up counts as "not proven unique": that fill is thrown away.
  return CountSolutions(board, count, false, nullptr, kGenerationEffort) && count == 1;
}

void OpenCells(const LogicSolver& logic, unsigned cellCount, std::vector<unsigned>& cells) {
  cells.clear();
  for (unsigned index = 0; index < cellCount; ++index) {
    const unsigned candidates = logic.Candidates(index);
    if (candidates & (candidates - 1)) cells.push_back(index);
  }
}

// Grades the filler's digits against the tiers a level takes (lowest..highest). Returns
// the tier, with uniqueness proven, when it fits; otherwise 0 and the cells worth drawing
// again: those the allowed reasoning leaves open, or, for a puzzle that is too easy, the
// two runs through a random cell.
int GradeForLevel(const Template& layout, const DigitFiller& filler, int lowest, int highest,
                  Random& random, TBoard& board, LogicSolver& logic, std::vector<unsigned>& redraw) {
  redraw.clear();
  BoardFromDigits(filler.digits, layout.rows, layout.columns, board);
  logic.Load(board);
  // The filler's digits are a solution; trials need not test them, and a trial that
  // completes the board otherwise proves a second solution.
  logic.KnowSolution(filler.digits);
  int tier = 0;
  // Tier 2 deduces all that tier 1 does; when both are too easy, which of them filled the
  // board does not matter and tier 1 need not run first.
  if (lowest <= kTierExactRuns && logic.Solve(kTierCombinations)) {
    tier = kTierCombinations;
  } else if (highest >= kTierExactRuns && logic.Solve(kTierExactRuns)) {
    tier = kTierExactRuns;
  } else if (highest >= kTierTrials) {
    // Trials cost most on boards they cannot finish, nearly all of which have a second
    // solution; most of those show it as a rectangle of swappable digits, found for far
    // less, and drawing just its corners again mends it.
    if (HasShiftableRectangle(layout, filler.digits, &redraw)) return 0;
    if (logic.Solve(kTierTrials)) tier = kTierTrials;
  }
  if (tier == 0) {
    OpenCells(logic, board.cellCount, redraw);
    return 0;
  }
  if (tier < lowest) {
    std::vector<unsigned> white;
    for (unsigned index = 0; index < layout.cellCount; ++index) {
      if (layout.cells[index] == 0) white.push_back(index);
    }
    if (white.empty()) return 0;
    const unsigned cell = white[static_cast<std::size_t>(random.RandomBelow(static_cast<int>(white.size())))];
    for (int direction : {kDown, kAcross}) {
      const int run = layout.links[cell][direction];
      if (run < 0) continue;
      for (unsigned other : filler.RunCells(run)) {
        if (std::find(redraw.begin(), redraw.end(), other) == redraw.end()) redraw.push_back(other);
      }
    }
    return 0;
  }
  return ProvenUnique(board) ? tier : 0;
}

}  // namespace

unsigned BlackCellTarget(unsigned rows, unsigned columns, int level) {
  struct Row {
    unsigned areaBound;
    unsigned target[3];
  };
  static constexpr Row kTable[] = {
      {1, {99, 99, 99}},   {36, {99, 8, 6}},    {64, {99, 13, 8}},   {81, {99, 20, 15}},
      {100, {99, 25, 22}}, {144, {99, 45, 42}}, {196, {99, 68, 62}}, {999, {999, 999, 999}},
  };
  if (level < 1 || level > 3) return 9999;
  const unsigned long long area = static_cast<unsigned long long>(rows) * columns;
  for (const Row& row : kTable) {
    if (row.areaBound >= area) return row.target[level - 1];
  }
  return 9999;
}

bool GeneratePuzzle(unsigned rows, unsigned columns, unsigned target, double timeLimit,
                    std::span<std::uint8_t> result, std::optional<std::uint32_t> seed) {
  Random random(seed ? *seed : FreshSeed());
  BuildCombinations();
  if (!CheckRequest(rows, columns, result)) return false;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::chrono::duration<double> limit(timeLimit);

  TBoard board;
  for (;;) {
    Template layout;
    if (!layout.Generate(rows, columns, target, random)) {
      DiagnosticErr() << "Error: Template.Generate() failed!\n";
      return false;
    }
    for (int attempt = 0; attempt < kFillsPerLayout; ++attempt) {
      if (timeLimit != 0 && Clock::now() - start > limit) return false;
      DigitFiller filler(layout, random);
      if (!filler.FillDigits() || HasShiftableRectangle(layout, filler.digits)) continue;
      BoardFromDigits(filler.digits, rows, columns, board);
      FillObviousTest(board, nullptr);
      int count = 0;
      // A search given up counts as "not proven unique": that fill is thrown away.
      if (!CountSolutions(board, count, false, nullptr, kGenerationEffort) || count != 1) continue;
      for (unsigned i = 0; i < layout.cellCount; ++i) {
        const int digit = filler.digits[i];
        result[i] = digit < 0 ? 0xFF : static_cast<std::uint8_t>(digit);
      }
      return true;
    }
  }
}

bool GenerateLevelPuzzle(unsigned rows, unsigned columns, int level, double timeLimit,
                         std::span<std::uint8_t> result, std::optional<std::uint32_t> seed,
                         int* tier) {
  Random random(seed ? *seed : FreshSeed());
  BuildCombinations();
  if (!CheckRequest(rows, columns, result)) return false;
  if (level < 1 || level > 3) {
    DiagnosticErr() << "Error: level " << level << " is not 1 (easy), 2 (medium) or 3 (hard)\n";
    return false;
  }
  // Hard layouts are drawn as dense as medium ones: the sparser layouts of the table do
  // not make puzzles that need trials any more common, but make every trial dearer.
  const unsigned target = BlackCellTarget(rows, columns, level == 3 ? 2 : level);
  const int highest = level;
  const bool smallBoard = static_cast<long>(rows) * columns < kSmallBoardCells;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::chrono::duration<double> limit(timeLimit);
  auto timeUp = [&] { return timeLimit != 0 && Clock::now() - start > limit; };

  TBoard board;
  LogicSolver logic;
  std::vector<unsigned> redraw;
  long rounds = 0;
  long attempts = 0;  // fills and redraws, failed ones included
  for (;;) {
    Template layout;
    if (!layout.Generate(rows, columns, target, random)) {
      DiagnosticErr() << "Error: Template.Generate() failed!\n";
      return false;
    }
    long layoutRounds = 0;
    while (layoutRounds < kRoundsPerLayout) {
      if (timeUp()) return false;
      if (++attempts > kMaxAttempts) {
        DiagnosticErr() << "Error: no level " << level << " puzzle found for a " << rows << " x "
                        << columns << " board\n";
        return false;
      }
      DigitFiller filler(layout, random);
      ++layoutRounds;
      if (!filler.FillDigits()) continue;
      for (int pass = 0; pass < kRedrawsPerFill; ++pass) {
        if (pass > 0) {
          if (timeUp()) return false;
          ++layoutRounds;
          ++attempts;
        }
        ++rounds;
        const int lowest = smallBoard && level == 3 && rounds > kRoundsBeforeTierTwo ? 2 : level;
        const int got = GradeForLevel(layout, filler, lowest, highest, random, board, logic, redraw);
        if (got > 0) {
          for (unsigned i = 0; i < layout.cellCount; ++i) {
            const int digit = filler.digits[i];
            result[i] = digit < 0 ? 0xFF : static_cast<std::uint8_t>(digit);
          }
          if (tier) *tier = got;
          return true;
        }
        if (redraw.empty() || layoutRounds >= kRoundsPerLayout || !filler.Redraw(redraw)) break;
      }
    }
  }
}

CustomCheck CheckCustomDescription(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                                   std::string_view unfillableLine, std::string_view constraintsText,
                                   int constraintCount, std::span<std::uint8_t> solution,
                                   std::uint64_t effort) {
  BuildCombinations();
  TBoard board;
  if (!ParseDescription(dimensionsLine, unfillableLine, constraintsText, constraintCount, board)) {
    return CustomCheck::kInvalid;
  }
  if (board.rows != rows || board.columns != columns) {
    DiagnosticErr() << "dimensions line " << board.rows << " " << board.columns
                    << " does not match the board size " << rows << " " << columns << "\n";
    return CustomCheck::kInvalid;
  }
  if (solution.size() < board.cellCount) {
    DiagnosticErr() << "solution buffer smaller than the board\n";
    return CustomCheck::kInvalid;
  }
  int count = 0;
  TBoard stored;
  if (!CountSolutions(board, count, true, &stored, effort)) {
    // Giving up proves nothing either way; the caller must not call it "no solution".
    DiagnosticErr() << "puzzle too hard to check within the search limit\n";
    return CustomCheck::kTooHard;
  }
  if (count == 0) return CustomCheck::kNoSolution;
  for (unsigned i = 0; i < board.cellCount; ++i) {
    solution[i] = static_cast<std::uint8_t>(stored.cells[i] & 0xFF);
  }
  return count == 1 ? CustomCheck::kUnique : CustomCheck::kSeveral;
}

bool SolveCustomPuzzle(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                       std::string_view unfillableLine, std::string_view constraintsText,
                       int constraintCount, std::span<std::uint8_t> solution,
                       std::uint64_t effort) {
  const CustomCheck check = CheckCustomDescription(rows, columns, dimensionsLine, unfillableLine,
                                                   constraintsText, constraintCount, solution, effort);
  return check == CustomCheck::kUnique || check == CustomCheck::kSeveral;
}

}  // namespace engine
