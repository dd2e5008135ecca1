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
bool GeneratePuzzle(unsigned rows, unsigned columns, unsigned target, unsigned timeLimit,
                    std::span<std::uint8_t> result,
                    std::optional<std::uint32_t> seed = std::nullopt);

// Makes a puzzle whose solve needs the reasoning the level asks for: level 1 (easy) gives
// tier 1, level 2 (medium) tier 2, level 3 (hard) tier 3, never tier 4 (LogicSolver.h).
// Boards of fewer than 64 cells seldom allow tier 3; there, a hard request that finds
// none within a share of its time takes a tier 2 puzzle instead. Same result buffer,
// time limit and seed as GeneratePuzzle; `tier`, when given, receives the puzzle's tier.
// A board that cannot give the level (two rows, say) ends in false with a message after
// a bounded search, also without a time limit.
bool GenerateLevelPuzzle(unsigned rows, unsigned columns, int level, unsigned timeLimit,
                         std::span<std::uint8_t> result,
                         std::optional<std::uint32_t> seed = std::nullopt, int* tier = nullptr);

// Checks a typed-in puzzle: true with the first solution (index order, digits from 1
// upwards) in solution[r * columns + c], 0xFF for black cells. A puzzle whose search
// exceeds `effort` is reported on the error stream and treated as not solvable.
bool SolveCustomPuzzle(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                       std::string_view unfillableLine, std::string_view constraintsText,
                       int constraintCount, std::span<std::uint8_t> solution,
                       std::uint64_t effort = kDefaultSolveEffort);

}  // namespace engine
