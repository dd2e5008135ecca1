// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Candidates that keep up with the board: which combinations of a run still fit
// the digits placed in it and the pencil marks left in its empty cells, and which
// digits every one of them needs or none of them can use.
//
// Digit sets are masks with bit d for digit d (bits 1..9), as the engine keeps them.
#include <string>
#include <vector>

inline constexpr unsigned AllDigits = 0x3FEu;

struct TRunCandidates {
    int Clue = 0;
    int Length = 0;
    // The digits placed in the run; a digit placed twice fits no combination.
    unsigned Placed = 0;
    bool PlacedTwice = false;
    // Every combination of the clue and length, and those that still fit.
    std::vector<unsigned> All;
    std::vector<unsigned> Fitting;
    // Over the fitting combinations: digits in every one ("must have") and digits
    // in none ("cannot have"); both 0 when none fits.
    unsigned Must = 0;
    unsigned Cannot = 0;
};

// The combinations of `clue` for a run whose cells hold `digits` (0 empty, 1..9);
// an empty cell may take the digits of its entry in `candidates` (same order as
// digits). A combination fits when it holds every placed digit and the empty cells
// can take its other digits, one each, from their candidates.
TRunCandidates FilterCombinations(int clue, const std::vector<int>& digits, const std::vector<unsigned>& candidates);

// "1+5+9, 2+4+9": the combinations in the order given, a line break before the 6th
// and the 11th.
std::string CombinationListText(const std::vector<unsigned>& combinations);
// "3 7 9" for a digit mask.
std::string DigitListText(unsigned digits);
