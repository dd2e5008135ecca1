// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Explain a Step": the next deduction of the solve from the board as the
// player has it, put in words, and what a second press does with it.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/core/core.h"

enum class TExplainKind {
    None,    // nothing shown
    Place,   // the cell can only hold Digit
    Remove,  // the digits of Removed cannot go in the cell
    Wrong,   // the player's Digit in the cell is not right
    Stuck,   // no step can be explained from here
};

struct TExplainedStep {
    TExplainKind Kind = TExplainKind::None;
    int X = -1, Y = -1;
    int Digit = 0;
    unsigned Removed = 0;  // bit d for digit d
    int Tier = 0;
    // Every cell the reasoning looks at, the step's own cell among them.
    std::vector<std::pair<int, int>> Cells;
    std::string Sentence;
    // The board's change count when the step was found: once it moves on,
    // the step belongs to another board.
    int Changes = 0;
};

// Digits explanations ruled out, per cell, for the puzzle whose solution they
// were found on: another puzzle on the board makes them meaningless.
struct TRuledOut {
    std::array<std::array<std::uint16_t, MaxBoardSize>, MaxBoardSize> Digits{};
    TGrid Solution{};
    int Width = 0, Height = 0;
};
