// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Explain a Step": the next deduction of the solve from the board as the
// player has it, put in words, and what a second press does with it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

enum class TExplainKind {
    None,   // nothing shown
    Place,  // the cell can only hold Digit
    Remove, // the digits of Removed cannot go in the cell
    Wrong,  // the player's Digit in the cell is not right
    Stuck,  // no step can be explained from here
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

// The step for the puzzle on the board. A wrong digit comes first: nothing
// is reasoned from it.
TExplainedStep ExplainNextStep();
// Carries out a step: a placement writes its digit, a wrong digit is erased,
// both through the edit path; a removal is kept for the next explanations and,
// while the pencil marks are automatic, taken off the marks.
void ApplyExplainedStep(const TExplainedStep& step);
// 1 when an explanation ruled digit d out of cell (x, y) of this puzzle.
int ExplainedOut(int d, int x, int y);
// What explanations ruled out is forgotten (a restarted or another puzzle).
void ForgetExplanations();
