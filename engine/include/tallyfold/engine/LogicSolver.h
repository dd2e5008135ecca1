// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tallyfold/engine/Board.h"

namespace engine {

// How much reasoning a deduction needs. A puzzle's tier is the lowest that fills every
// cell; kTierGuessing means that even one-step trials leave cells open.
inline constexpr int kTierCombinations = 1;  // one run at a time, by its sum combinations
inline constexpr int kTierExactRuns = 2;     // one run at a time, by its complete fillings
inline constexpr int kTierTrials = 3;        // exact runs plus one-step trials
inline constexpr int kTierGuessing = 4;

struct CandidateChange {
    unsigned cell = 0;     // board index
    unsigned removed = 0;  // digit mask (bits 1..9) taken out
    unsigned left = 0;     // what stays; a single bit means the cell is filled
};

// One deduction. Tiers 1 and 2 narrow the cells of one run; tier 3 takes one candidate out
// of one cell because placing it there, followed by tier 2, leaves another cell without
// any candidate.
struct LogicStep {
    int tier = 0;
    int run = -1;            // the board's constraint index (tiers 1 and 2)
    unsigned trialCell = 0;  // tier 3: the cell and digit tried...
    int trialDigit = 0;
    unsigned emptiedCell = 0;  // ...and the cell the trial left empty
    int failedRun = -1;        // ...by narrowing this run (constraint index)
    int changeCount = 0;
    std::array<CandidateChange, kMaxRunLength> changes{};
};

struct RunCombinations;  // tables of the combination rule, LogicSolver.cpp

// Deductions of tiers 1 to 3 on a board's candidates. Every deduction is sound: it never
// removes a digit that some solution puts in that cell, so a cell narrowed to one digit
// holds the digit of every solution.
//
// The solver starts from the board as it is: a white cell holding a digit starts filled
// with it (a player's entries, say), an empty one with all nine digits. Entries that
// contradict the clues show up as Contradiction() once the deductions reach them.
class LogicSolver {
public:
    LogicSolver() = default;
    explicit LogicSolver(const TBoard& board);
    // Starts again on another board, keeping the memory of this one.
    void Load(const TBoard& board);

    // Candidates of a board cell (bits 1..9); 0 for a black cell.
    unsigned Candidates(unsigned index) const;
    // Keeps only the digits of `mask` in a white cell (pencil marks, for instance).
    void Restrict(unsigned index, unsigned mask);

    int WhiteCount() const { return static_cast<int>(cellCount_); }
    int FilledCount() const;
    bool Filled() const { return FilledCount() == WhiteCount() && !Contradiction(); }
    // Some white cell has no candidate left: the clues (with the starting digits) allow no
    // solution.
    bool Contradiction() const;

    // Tells the solver one solution of the clues (digits per board cell, as TBoard cells),
    // such as the grid a puzzle was made from. Trials then skip its digits, which no
    // deduction can remove, and a trial that completes the board differently proves a
    // second solution, so that Solve(3) can stop at once. Digits that are not a solution
    // make the deductions unsound.
    void KnowSolution(const std::vector<int>& digits);
    // True once a trial has met a solution other than the known one.
    bool SecondSolutionFound() const { return secondSolution_; }

    // Applies deductions of every tier up to maxTier (1..3) until none is left, and tells
    // whether every cell is filled. The end state does not depend on the order of the
    // deductions, so Solve(t) after Solve(t - 1) continues where it stopped. The one
    // exception is a second solution met by a trial: no tier can then fill the board, and
    // Solve stops where it is.
    bool Solve(int maxTier);

    // Finds one deduction of the lowest tier that has one, at most maxTier, applies it and
    // describes it. False when there is none (or the board is already contradictory).
    bool Step(int maxTier, LogicStep& step);

    // The narrowing one run (by constraint index) would make at tier 1 or 2 from the
    // candidates as they stand, without applying it. False when it makes none.
    bool Peek(int constraint, int tier, LogicStep& step) const;

    // Deductions that Solve applied so far, by the tier they needed: [2] counts run
    // narrowings by complete fillings that the combination rule could not make at that
    // point, [3] the digits that only a trial took out. [1] counts the other narrowings.
    // Trials on their own copies are not counted.
    const std::array<int, 4>& Deductions() const { return deductions_; }

private:
    using Domain = std::uint16_t;
    struct Run {
        int sum = 0;
        int length = 0;
        int cellCount = 0;
        int constraint = -1;
        const RunCombinations* combinations = nullptr;
        std::array<int, kMaxRunLength> cells{};
    };

    static const RunCombinations* CombinationsFor(int sum, int length);

    bool Narrow(int tier, const Run& run, const Domain* dom, unsigned* out) const;
    bool NarrowByCombinations(const Run& run, const Domain* dom, unsigned* out) const;
    bool NarrowExactly(const Run& run, const Domain* dom, unsigned* out) const;
    bool NarrowShortRun(const Run& run, const Domain* dom, unsigned* out) const;
    bool NarrowLongRun(const Run& run, const Domain* dom, unsigned* out) const;
    bool Propagate(int tier, Domain* dom);
    bool Trial(int cell, Domain digit);
    void EnqueueAll();
    void EnqueueRunsOf(int cell);
    void Enqueue(int run);
    void ClearQueue();

    std::size_t cellCount_ = 0;
    std::vector<int> cellOf_;  // board index -> solver cell, or -1
    std::vector<int> runOf_;   // board constraint -> solver run, or -1
    std::vector<unsigned> boardIndex_;
    std::vector<std::array<int, 2>> cellRuns_;
    std::vector<Run> runs_;
    std::vector<Domain> dom_;
    std::vector<Domain> trial_;
    std::vector<Domain> supported_;   // tier 3: candidates a trial left standing
    std::vector<Domain> inSolution_;  // candidates seen in a complete trial: never removable
    std::vector<Domain> known_;       // KnowSolution's digits, or empty
    bool secondSolution_ = false;
    std::vector<int> queue_;
    std::vector<std::uint8_t> queued_;
    int emptied_ = -1;     // the cell Propagate found without candidates
    int emptiedBy_ = -1;   // the constraint whose narrowing emptied it
    bool broken_ = false;  // a run the board cannot fill at all
    std::array<int, 4> deductions_{};
};

// What a puzzle asks of the solver: its tier, and how many cells each tier fills after
// the tiers below it (filled[0]: cells that held a digit from the start).
struct PuzzleGrade {
    int tier = kTierGuessing;
    std::array<int, 4> filled{};
    int unfilled = 0;
    bool contradiction = false;
    std::array<int, 4> deductions{};  // LogicSolver::Deductions() after the grading
};

// Grades a board by solving it tier by tier; stops after maxTier (tier kTierGuessing when
// that does not fill it).
PuzzleGrade GradePuzzle(const TBoard& board, int maxTier = kTierTrials);

}  // namespace engine
