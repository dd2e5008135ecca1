// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/LogicSolver.h"

namespace engine {

// One run with its clue, as a sentence names it ("the 16 across in two cells").
struct ExplainedRun {
    int constraint = -1;  // kNoLink when there is none
    int direction = kAcross;
    int sum = 0;
    int length = 0;
    unsigned clueCell = 0;
};

// The technique an explained step uses; every step carries exactly one. The names are
// what `TechniqueName` gives and what `tallyfold-engine explain` prints.
enum class Technique {
    SingleCellLeft,          // tier 1: a run with one open cell takes what its sum lacks
    UniqueCombination,       // tier 1: the clue has one combination for its length
    CombinationElimination,  // tier 1: no combination of the run that still fits uses the digit
    CrossReference,          // tier 1: the one digit the cell's two runs have in common
    PlacedDigit,             // tier 1: the digit already stands elsewhere in the run
    Subset,                  // tier 2: two cells of a run hold the same two digits (or three
                             // cells three), so the run's other cells cannot use them
    ExactRun,                // tier 2: no complete filling of the run puts the digit there
    AreaSum,                 // tier 3: a band of rows (or columns) and the runs crossing it
                             // sum to totals that fix the one open cell left over, or
                             // the sum of the two left over
    Trial,                   // tier 3: the digit, tried, leaves a run that cannot be filled
};
inline constexpr int kTechniqueCount = 9;

// "single cell left", "unique combination", "combination elimination", "cross-reference",
// "placed digit", "subset", "exact run", "area sum", "trial".
const char* TechniqueName(Technique technique);
// The tier a technique belongs to (1..3).
int TechniqueTier(Technique technique);

enum class ExplainKind {
    Place,       // the cell can hold only `digit`
    Remove,      // the digits of `removed` cannot go in the cell
    WrongDigit,  // the player's `digit` in the cell is not the solution's
};

// What makes the deduction hold.
enum class ExplainReason {
    Combinations,       // tier 1: the sum combinations of `run`
    ExactFillings,      // tier 2: the complete fillings of `run`
    Trial,              // tier 3: `digit`-to-be-removed in the cell leaves `otherCell` empty
    Repeated,           // wrong: `run` holds the digit again, in `otherCell`
    NoCombination,      // wrong: no combination of `run` has the digit at all
    NotWithOthers,      // wrong: no combination of `run` has it beside `digits` already there
    NoPartner,          // wrong: a run of two needs `partner` in `otherCell`, which cannot hold it
    RunCannotBeFilled,  // wrong: with it, the runs narrow until `run` cannot be filled
    NotTheSolution,     // wrong: nothing short says why; the one solution differs
    Subset,             // tier 2: `subset` cells of `run` hold only `digits` between them
    AreaSum,            // tier 3: the totals of `area`
};

// A combination of the run's clue that a tier-1 sentence leaves out, and why.
struct ExcludedCombination {
    unsigned combination = 0;  // digit mask
    unsigned lacks = 0;        // digits standing in the run that it does not hold, or 0...
    unsigned cell = 0;         // ...else an open cell of the run that can hold none of its
                               // digits that do not stand in the run yet
};

// A band of rows (direction kAcross) or columns (kDown): the band's runs in `direction`
// cover its cells exactly, so their clues add up to the band's total. The runs of the
// other direction either lie wholly inside (`outside` false) or reach into it (`outside`
// true); the cells they leave over, inside or outside the band, add up to the difference.
struct AreaTotals {
    int direction = kAcross;
    unsigned from = 0, to = 0;  // rows (or columns), inclusive
    int total = 0;              // the clues of the band's own runs
    int crossing = 0;           // the clues of the crossing runs counted
    bool outside = false;
    int known = 0;  // digits already standing in the other left-over cells
    // Two open cells left over: `partner` (the one besides the explained cell) could hold
    // `partnerDigits`; they share a run when `shareRun`.
    bool pair = false;
    unsigned partner = 0;
    unsigned partnerDigits = 0;
    bool shareRun = false;
};

struct Explanation {
    ExplainKind kind = ExplainKind::Place;
    ExplainReason reason = ExplainReason::Combinations;
    int tier = 0;  // 1..3; 0 for a wrong digit
    unsigned cell = 0;
    int digit = 0;         // Place: the digit; WrongDigit: the player's digit; Trial: the digit tried
    unsigned removed = 0;  // digit mask taken out of the cell
    unsigned left = 0;     // what the cell can still hold
    ExplainedRun run;
    ExplainedRun crossRun;               // the cell's run in the other direction
    std::vector<unsigned> combinations;  // tier 1: the run's combinations that still fit
    unsigned inRun = 0;                  // digits that stand in the run's other cells and that this cell had or lacked
    unsigned runHolds = 0;               // every digit standing in the run's other cells
    unsigned inCross = 0;                // digits that stand in the cross run's other cells
    unsigned crossLacks = 0;             // combination digits no combination of the cross run has
    unsigned earlier = 0;                // combination digits an earlier step took out of the cell, for other reasons
    unsigned digits = 0;                 // NotWithOthers: the run's other digits
    unsigned otherCell = 0;
    int partner = 0;
    std::vector<unsigned> cells;  // what to show: the run's cells, the other cell
    Technique technique = Technique::CombinationElimination;
    // Tier 1: every combination of the clue that `combinations` leaves out, with its reason.
    std::vector<ExcludedCombination> excluded;
    ExplainedRun failedRun;        // Trial: the run that cannot be filled after the trial
    std::vector<unsigned> subset;  // Subset: the cells that take `digits` between them
    AreaTotals area;               // AreaSum
};

// A hint: explained steps that belong together (one run's narrowing, one subset's or
// one technique's whole effect), applied at once.
struct Hint {
    std::vector<Explanation> steps;  // placements first
    int tier = 0;
    Technique technique = Technique::CombinationElimination;  // of the first step
    bool places = false;                                      // some step fills a cell
};

// Walks a board's solving path one explained deduction at a time, lowest tier first:
// tier 1, then subsets before exact runs, then area sums before trials. A step that
// narrows several cells becomes one explanation per cell, placements before removals,
// each told from the candidates the ones before it left.
class Explainer {
public:
    // The board as it stands: white cells holding a digit are taken as given.
    explicit Explainer(const TBoard& board);

    // Takes digits out of a cell before the walk starts (what earlier explanations ruled
    // out, say). Only sound knowledge belongs here.
    void Restrict(unsigned index, unsigned mask) { solver_.Restrict(index, mask); }

    bool Next(int maxTier, Explanation& out);
    // The most useful next group of steps at the lowest tier that has any: a placement
    // when one is there, else the group after which a placement comes soonest. Applies
    // the group. False when no tier up to maxTier has a step.
    bool NextGroup(int maxTier, Hint& out);
    bool Filled() const { return solver_.Filled(); }
    bool Contradiction() const { return solver_.Contradiction(); }
    const LogicSolver& Solver() const { return solver_; }
    const ExplainedRun& Run(int constraint) const;
    // The cell's run in a direction; constraint kNoLink when it has none.
    ExplainedRun RunOf(unsigned cell, int direction) const;

private:
    std::vector<unsigned> Candidates() const;
    std::vector<Explanation> Describe(const LogicStep& step, const std::vector<unsigned>& before) const;
    void Classify(Explanation& e, const std::vector<unsigned>& before) const;
    std::vector<std::vector<Explanation>> Subsets(bool firstOnly) const;
    bool FindAreaSum(std::vector<Explanation>& found) const;
    void Apply(const std::vector<Explanation>& steps);
    std::vector<std::vector<Explanation>> RunGroups(int tier) const;
    unsigned PlacedIn(const ExplainedRun& run, unsigned except, const std::vector<unsigned>& candidates) const;

    TBoard board_;
    LogicSolver solver_;
    std::vector<ExplainedRun> runs_;
    std::vector<std::vector<unsigned>> runCells_;
    std::deque<Explanation> pending_;
};

// The next hint for a board (white cells holding a digit are taken as given), with
// `ruledOut` (per board cell, digits known not to go there; may be empty) taken out first.
bool NextHint(const TBoard& board, const std::vector<unsigned>& ruledOut, int maxTier, Hint& out);

// The first wrong digit of a player's board (board cells holding their digits) against
// the solution (digits per board cell), with the shortest reason found. False when every
// digit is right.
bool FindWrongDigit(const TBoard& board, const std::vector<int>& solution, Explanation& out);

// Looks up a sentence part by key; an empty answer keeps the built-in English text.
using ExplainTexts = std::function<std::string(const std::string& key)>;

// One or two plain sentences. Placeholders in the texts: {digit} {digits} {partner}
// {combinations} {run} {direction} {sum} {count} {cell} {row} {column} {place} {band}
// {cross} {total} {crossing} {known} {cells}.
std::string ExplainSentence(const Explanation& explanation, const TBoard& board, const ExplainTexts& texts = {});

}  // namespace engine
