// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Quality.h"

#include <algorithm>
#include <cmath>

namespace engine {
namespace {

// Each tier owns a band of this width, so the band says the tier and the place in the
// band how long the solve is within it.
constexpr double kTierBand = 100;

double Share(int part, int whole) { return whole > 0 ? static_cast<double>(part) / whole : 0; }

}  // namespace

PuzzleMetrics MeasureRuns(const TBoard& board) {
  PuzzleMetrics metrics;
  double total = 0, squares = 0;
  for (const Constraint& run : board.constraints) {
    if (run.length == 0) continue;
    ++metrics.runs;
    if (run.length == 2) ++metrics.twoCellRuns;
    if (run.length >= kLongRun) ++metrics.longRuns;
    if (CombinationMasks(static_cast<int>(run.sum), static_cast<int>(run.length)).size() == 1) {
      ++metrics.singleCombinationClues;
    }
    total += run.length;
    squares += static_cast<double>(run.length) * run.length;
  }
  if (metrics.runs > 0) {
    const double mean = total / metrics.runs;
    metrics.lengthSpread = std::sqrt(std::max(0.0, squares / metrics.runs - mean * mean));
  }
  return metrics;
}

PuzzleMetrics MeasurePuzzle(const TBoard& board) {
  PuzzleMetrics metrics = MeasureRuns(board);
  const PuzzleGrade grade = GradePuzzle(board);
  metrics.tier = grade.contradiction ? kTierGuessing : grade.tier;
  metrics.deductions = grade.deductions;
  metrics.unfilled = grade.unfilled;
  return metrics;
}

double DifficultyScore(const PuzzleMetrics& m) {
  // A person feels a trial far more than an exact filling, and an exact filling far more
  // than a combination looked up; the counts of the lower tiers only order puzzles that
  // need nothing above them. Each band is capped so that no long easy solve passes a
  // short harder one.
  double within = 0;
  switch (m.tier) {
    case kTierCombinations:
      within = m.deductions[1] / 4.0;
      break;
    case kTierExactRuns:
      within = 2.0 * m.deductions[2] + m.deductions[1] / 20.0;
      break;
    case kTierTrials:
      within = 10.0 * m.deductions[3] + m.deductions[2];
      break;
    default:
      within = m.unfilled;
      break;
  }
  within = std::min(within, kTierBand - 0.1);
  const double score = kTierBand * (std::clamp(m.tier, 1, 4) - 1) + within;
  return std::round(score * 10) / 10;
}

int DifficultyStars(double score, unsigned rows, unsigned columns, int level) {
  // Upper bounds of the first four fifths of the scores the generator's puzzles of each
  // size and level reach (engine-bench --stars measures them); a puzzle of another size
  // takes the nearest size's row.
  struct Row {
    unsigned size;
    double cut[3][4];
  };
  static constexpr Row kRows[] = {
      {6, {{2.8, 3.3, 3.8, 4.5}, {106, 110, 114, 119}, {212, 216, 222, 231}}},
      {7, {{3.8, 4.5, 5.0, 5.8}, {106, 110, 114, 120}, {213, 218, 224, 233}}},
      {9, {{6.5, 7.3, 8.0, 9.0}, {108, 112, 117, 124}, {216, 223, 231, 243}}},
      {12, {{12, 13.5, 15, 17}, {110, 116, 122, 131}, {222, 232, 243, 259}}},
      {14, {{16, 18, 20, 23}, {112, 119, 127, 137}, {225, 237, 250, 268}}},
  };
  const unsigned size = std::max(rows, columns);
  const Row* row = &kRows[0];
  for (const Row& candidate : kRows) {
    if (std::abs(static_cast<int>(candidate.size) - static_cast<int>(size)) <
        std::abs(static_cast<int>(row->size) - static_cast<int>(size))) {
      row = &candidate;
    }
  }
  const int at = std::clamp(level, 1, 3) - 1;
  int stars = 1;
  for (double cut : row->cut[at]) {
    if (score > cut) ++stars;
  }
  return stars;
}

double QualityScore(const PuzzleMetrics& m, unsigned rows, unsigned columns, int level) {
  // Weights, each term roughly within one point over the puzzles a size yields:
  // - two-cell runs are the filler's stock in trade and a solver's least interesting
  //   clue: minus 4 per share of all runs;
  // - a mix of run lengths reads as made by hand: plus half the standard deviation;
  // - on boards of 12 x 12 and more, long runs (seven cells and more) are what a big
  //   board is for: plus 0.6 each, up to four;
  // - a clue only one set of digits makes is a give-away: minus 5 per share of clues;
  // - the level's own reasoning should come as a chain, not once: medium adds 0.15 per
  //   exact-filling deduction, hard one point per trial, both counts capped so that the
  //   shape terms still matter.
  double quality = -4.0 * Share(m.twoCellRuns, m.runs) + 0.5 * m.lengthSpread -
                   5.0 * Share(m.singleCombinationClues, m.runs);
  if (static_cast<unsigned long>(rows) * columns >= 144) quality += 0.6 * std::min(m.longRuns, 4);
  if (level == 2) quality += 0.15 * std::min(m.deductions[2], 20);
  if (level == 3) quality += 1.0 * std::min(m.deductions[3], 8) + 0.05 * std::min(m.deductions[2], 20);
  return quality;
}

std::string LayoutKey(const TBoard& board) {
  std::string key(board.cellCount, '.');
  for (unsigned i = 0; i < board.cellCount; ++i) {
    if (board.cells[i] < 0) key[i] = '#';
  }
  return key;
}

}  // namespace engine
