// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tallyfold/engine/DigitFiller.h"

namespace engine {

// level 1 easy, 2 medium, 3 hard.
unsigned BlackCellTarget(unsigned rows, unsigned columns, int level);

// Makes a puzzle with exactly one solution: result[i] = digit of cell i, or 0xFF for a
// black cell. timeLimit in seconds, 0 for none. Without a seed every call starts from a
// fresh one, so two quick calls never return the same puzzle; with a seed the call is
// repeatable.
bool GeneratePuzzle(unsigned rows, unsigned columns, unsigned target, double timeLimit, std::span<std::uint8_t> result,
                    std::optional<std::uint32_t> seed = std::nullopt);

// Makes a puzzle whose solve needs the reasoning the level asks for: level 1 (easy) gives
// tier 1, level 2 (medium) tier 2, level 3 (hard) tier 3 with at least three trials from
// 64 cells up, never tier 4 (LogicSolver.h). Boards of fewer than 64 cells seldom allow
// tier 3; there, a hard request that finds none after some thousands of fills takes a
// tier 2 puzzle instead. Several puzzles of the level are compared and the best by
// QualityScore (Quality.h) is kept. Same result buffer,
// time limit and seed as GeneratePuzzle; `tier`, when given, receives the puzzle's tier.
// A board that cannot give the level (two rows, say) ends in false with a message after
// a bounded search, also without a time limit.
bool GenerateLevelPuzzle(unsigned rows, unsigned columns, int level, double timeLimit, std::span<std::uint8_t> result,
                         std::optional<std::uint32_t> seed = std::nullopt, int* tier = nullptr);

// What the check of a typed-in puzzle found.
enum class CustomCheck {
    kInvalid,     // the description does not parse, or does not fit the caller's board
    kNoSolution,  // it parses, but no filling meets every clue
    kUnique,      // exactly one solution
    kSeveral,     // two or more solutions
    kTooHard,     // the search ran out of `effort` first: nothing is known
};

// Checks a typed-in puzzle. For kUnique and kSeveral, solution[r * columns + c] holds the
// first solution (index order, digits from 1 upwards), 0xFF for black cells; otherwise
// the buffer is left alone. kInvalid and kTooHard are reported on the error stream.
CustomCheck CheckCustomDescription(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                                   std::string_view unfillableLine, std::string_view constraintsText,
                                   int constraintCount, std::span<std::uint8_t> solution,
                                   std::uint64_t effort = kDefaultSolveEffort);

// The same check as a yes or no: true with the first solution when there is one.
bool SolveCustomPuzzle(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                       std::string_view unfillableLine, std::string_view constraintsText, int constraintCount,
                       std::span<std::uint8_t> solution, std::uint64_t effort = kDefaultSolveEffort);

}  // namespace engine
