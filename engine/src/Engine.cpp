#include "tallyfold/engine/Engine.h"

#include <chrono>
#include <memory>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/Random.h"
#include "tallyfold/engine/Template.h"

namespace engine {
namespace {

// A fill whose uniqueness takes longer than this to settle is dropped for the next one:
// waiting for it would cost more than a fresh fill, and the game must not stall.
constexpr std::uint64_t kGenerationEffort = 400'000;

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

bool GeneratePuzzle(unsigned rows, unsigned columns, unsigned target, unsigned timeLimit,
                    std::span<std::uint8_t> result, std::optional<std::uint32_t> seed) {
  Random random(seed ? *seed : FreshSeed());
  BuildCombinations();
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

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::chrono::duration<double> limit(timeLimit);

  Template layout;
  if (!layout.Generate(rows, columns, target, random)) {
    DiagnosticErr() << "Error: Template.Generate() failed!\n";
    return false;
  }
  TBoard board;
  for (;;) {
    if (timeLimit != 0 && Clock::now() - start > limit) return false;
    DigitFiller filler(layout, random);
    if (!filler.FillDigits()) continue;
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

bool SolveCustomPuzzle(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                       std::string_view unfillableLine, std::string_view constraintsText,
                       int constraintCount, std::span<std::uint8_t> solution) {
  BuildCombinations();
  TBoard board;
  if (!ParseDescription(dimensionsLine, unfillableLine, constraintsText, constraintCount, board)) {
    return false;
  }
  if (board.rows != rows || board.columns != columns) {
    DiagnosticErr() << "dimensions line " << board.rows << " " << board.columns
                    << " does not match the board size " << rows << " " << columns << "\n";
    return false;
  }
  if (solution.size() < board.cellCount) {
    DiagnosticErr() << "solution buffer smaller than the board\n";
    return false;
  }
  int count = 0;
  TBoard stored;
  if (!CountSolutions(board, count, true, &stored)) {
    DiagnosticErr() << "puzzle too hard to check within the search limit: treated as not "
                       "solvable\n";
    return false;
  }
  if (count == 0) return false;
  for (unsigned i = 0; i < board.cellCount; ++i) {
    solution[i] = static_cast<std::uint8_t>(stored.cells[i] & 0xFF);
  }
  return true;
}

}  // namespace engine
