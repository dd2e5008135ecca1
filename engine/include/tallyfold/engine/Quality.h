// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/LogicSolver.h"

namespace engine {

// What a solver sees in a finished puzzle: the shape of its runs, how much its clues give
// away, and the reasoning its solve takes.
struct PuzzleMetrics {
    int runs = 0;
    int twoCellRuns = 0;
    int longRuns = 0;                // seven cells or more
    int singleCombinationClues = 0;  // a sum and length that only one set of digits makes
    double lengthSpread = 0;         // standard deviation of the run lengths
    int tier = kTierGuessing;
    std::array<int, 4> deductions{};  // by tier, as LogicSolver::Deductions counts them
    int unfilled = 0;                 // cells no tier fills
};

inline constexpr unsigned kLongRun = 7;

// Measures a board built from clues (cells empty or holding given digits).
PuzzleMetrics MeasurePuzzle(const TBoard& board);

// The run shape alone, for a layout before it has digits; `tier` and `deductions` stay
// at their defaults.
PuzzleMetrics MeasureRuns(const TBoard& board);

// How hard a person finds the solve: a puzzle that needs a higher tier always scores
// above one that does not, and within a tier each exact-filling deduction and, far more,
// each trial adds to it. Never negative; cells no tier fills add most.
double DifficultyScore(const PuzzleMetrics& metrics);

// The grade within the level as one to five stars: where the score falls among the
// puzzles the generator makes for this size and level.
int DifficultyStars(double score, unsigned rows, unsigned columns, int level);

// How much a Kakuro lover would choose this puzzle over another of the same size and
// level; higher is better. See the definition for the weights.
double QualityScore(const PuzzleMetrics& metrics, unsigned rows, unsigned columns, int level);

// The black cells as text, one character per cell: equal for equal layouts.
std::string LayoutKey(const TBoard& board);

}  // namespace engine
