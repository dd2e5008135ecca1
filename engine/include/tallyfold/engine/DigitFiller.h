// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Random.h"
#include "tallyfold/engine/Template.h"

namespace engine {

// Writes digits into a finished Template so that every run holds distinct digits and no
// two lines of an open rectangle could swap their digits. One object per fill attempt.
class DigitFiller {
public:
    DigitFiller(const Template& layout, Random& random);

    std::vector<int> digits;        // -1 black, 0 empty, 1..9
    std::vector<unsigned> allowed;  // bit d: digit d may still go here

    std::vector<unsigned> RunCells(int run) const;
    unsigned UsedDigits(int run) const;
    unsigned ComboCandidates(int sum, int run, unsigned used) const;
    void SetFillerDigit(unsigned cell, int digit);
    bool NoSwapCycle(unsigned R, unsigned C) const;
    bool FillDigits();
    // Empties `cells` and fills them again as FillDigits would, keeping every other digit:
    // a puzzle that is sound but for a few cells needs no fresh start. False, with some
    // cells left empty, when a cell finds no usable digit.
    bool Redraw(std::vector<unsigned> cells);

private:
    struct Choice {
        int downSum;
        int acrossSum;
        int digit;
    };
    using Ordering = std::array<std::uint8_t, kMaxRunLength>;
    struct SwapMemo {
        unsigned cell;
        unsigned r;
        unsigned c;
        unsigned tested;
        unsigned free;
    };

    const std::vector<unsigned>& CellsOf(int run) const { return runCells_[static_cast<std::size_t>(run)]; }
    bool Open(unsigned r, unsigned c) const { return digits[r * columns_ + c] != -1; }
    bool VerticalSwapFree(unsigned R, unsigned C) const;
    bool HorizontalSwapFree(unsigned R, unsigned C) const;
    unsigned SwapFreeAmong(SwapMemo& memo, unsigned digits);
    void RestMasks(int run, unsigned cell, const std::array<unsigned, kMaxSum + 1>& candidates,
                   std::array<unsigned, kMaxSum + 1>& ok) const;
    void CompleteRun(int run, int target, unsigned r, unsigned c);
    void CollectOrderings(const std::vector<unsigned>& empties, unsigned combo);
    bool FillPending(std::vector<unsigned>& pending);

    const Template& layout_;
    Random& random_;
    unsigned rows_;
    unsigned columns_;
    std::vector<std::vector<unsigned>> runCells_;
    std::vector<std::uint8_t> openUp_, openDown_, openLeft_, openRight_;
    std::vector<Choice> choices_;
    std::vector<Ordering> options_;
};

// Places every digit that is the only candidate of its cell, pass after pass.
void FillObviousTest(TBoard& board, std::vector<unsigned>* placed);

// Bound on the search effort of CountSolutions (about a second and a half of work): far
// above what counting the solutions of any board of the game's sizes needs.
inline constexpr std::uint64_t kDefaultSolveEffort = 4'000'000;

// Counts the solutions of `board` up to two: `count` (in/out) ends 0, 1 or 2. With
// `store` set and count 0 on entry, `out` receives the first solution in index order
// with digits tried from 1 upwards; when there are several and settling the first would
// take more than a quarter of `effort`, another of them. The board itself is left
// unchanged.
// Returns false when the search was given up after `effort` steps; count and out are
// then meaningless.
bool CountSolutions(const TBoard& board, int& count, bool store, TBoard* out,
                    std::uint64_t effort = kDefaultSolveEffort);

}  // namespace engine
