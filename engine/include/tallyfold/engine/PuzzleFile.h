// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/DigitFiller.h"

namespace engine {

// A puzzle as a person sees it on paper: a grid of black and white cells, the clues in
// the black cells and, where known, the digits of the white cells. Runs end at black
// cells and at the board's edges; they never wrap.
struct Puzzle {
    unsigned rows = 0;
    unsigned columns = 0;
    // Per cell: kBlack, kEmpty for a white cell without a digit, or its digit 1..9.
    std::vector<int> cells;
    // Per cell [kDown], [kAcross]: the clue of the run that starts after this black cell,
    // 0 for none.
    std::vector<std::array<unsigned, 2>> clues;

    // Every cell white and empty, no clues.
    void Resize(unsigned rows, unsigned columns);
    unsigned Index(unsigned row, unsigned column) const { return row * columns + column; }
    bool operator==(const Puzzle&) const = default;
};

// The puzzle of a generated grid (one byte a cell: 1..9, or 0xFF for black): every clue
// the sum of its run, every digit kept. False when the sizes and the buffer disagree or a
// byte is neither.
bool PuzzleFromSolution(unsigned rows, unsigned columns, std::span<const std::uint8_t> cells, Puzzle& puzzle);

// The puzzle of a parsed description; its cells are empty.
Puzzle PuzzleFromBoard(const TBoard& board);

// Where a cell was written in a puzzle file (both from 1), so that a message can point
// at it; line 0 when the puzzle came from elsewhere.
struct SourcePosition {
    unsigned line = 0;
    unsigned column = 0;
};

// Reads the puzzle file format (documented in tallyfold-puzzle(5)): one line a row,
// cells separated by blanks: "#" black, "D\A" a clue cell with its down and across clue
// (either side may be empty), "." a white cell, 1..9 a white cell with its solution
// digit; ";" starts a comment that runs to the line end; empty lines are skipped.
// `positions` receives each cell's place in the text. False with a message naming the
// line and column when the text is no such grid. The clues are not checked here.
bool ParsePuzzleText(std::string_view text, Puzzle& puzzle, std::vector<SourcePosition>& positions, std::string& error);

// The file text of a puzzle, columns aligned; the digits only with `withSolution`.
// `comment`, when not empty, goes first, each of its lines after "; ".
std::string WritePuzzleText(const Puzzle& puzzle, bool withSolution, std::string_view comment = {});

// The engine description of the puzzle, as `tallyfold-engine solve` reads it: the
// dimensions line, the black cells, the number of records and one record a line.
std::string WriteDescription(const Puzzle& puzzle);

// Builds the solver board of the puzzle (digits left out). False with a message when a
// white cell lies outside a run, a run has no clue or a clue no run, or a run is longer
// than nine cells; the message names the cell by `positions` (when given) or by row and
// column counted from 1.
bool BoardFromPuzzle(const Puzzle& puzzle, TBoard& board, std::string& error,
                     const std::vector<SourcePosition>* positions = nullptr);

enum class PuzzleCheck {
    kUnique,      // exactly one solution: the puzzle now holds it
    kInvalid,     // not a grid of runs and clues (see BoardFromPuzzle) or digits that break a rule
    kNoSolution,  // no filling meets every clue, or none agrees with the digits given
    kSeveral,     // more than one filling meets the clues
    kTooHard,     // the search gave up before it knew
};

// The check a typed-in or opened puzzle passes before play: exactly one solution, which
// is written into the puzzle's white cells. Digits already in the puzzle are the
// solution as its author gave it; a clue left out over a run whose digits are all given
// is their sum. Anything else leaves a message that names the first cell concerned.
PuzzleCheck CheckPuzzle(Puzzle& puzzle, std::string& message, const std::vector<SourcePosition>* positions = nullptr,
                        std::uint64_t effort = kDefaultSolveEffort);

}  // namespace engine
