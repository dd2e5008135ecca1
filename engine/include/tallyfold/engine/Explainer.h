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
  ExplainedRun crossRun;  // the cell's run in the other direction
  std::vector<unsigned> combinations;  // tier 1: the run's combinations that still fit
  unsigned inRun = 0;     // digits that stand in the run's other cells
  unsigned inCross = 0;   // digits that stand in the cross run's other cells
  unsigned crossLacks = 0;  // combination digits no combination of the cross run has
  unsigned earlier = 0;   // combination digits an earlier step took out of the cell, for other reasons
  unsigned digits = 0;    // NotWithOthers: the run's other digits
  unsigned otherCell = 0;
  int partner = 0;
  std::vector<unsigned> cells;  // what to show: the run's cells, the other cell
};

// Walks a board's solving path one explained deduction at a time, lowest tier first.
// A step of the solver that narrows several cells becomes one explanation per cell,
// placements before removals.
class Explainer {
 public:
  // The board as it stands: white cells holding a digit are taken as given.
  explicit Explainer(const TBoard& board);

  // Takes digits out of a cell before the walk starts (what earlier explanations ruled
  // out, say). Only sound knowledge belongs here.
  void Restrict(unsigned index, unsigned mask) { solver_.Restrict(index, mask); }

  bool Next(int maxTier, Explanation& out);
  bool Filled() const { return solver_.Filled(); }
  bool Contradiction() const { return solver_.Contradiction(); }
  const LogicSolver& Solver() const { return solver_; }
  const ExplainedRun& Run(int constraint) const;
  // The cell's run in a direction; constraint kNoLink when it has none.
  ExplainedRun RunOf(unsigned cell, int direction) const;

 private:
  void Describe(const LogicStep& step, const std::vector<unsigned>& before);
  unsigned PlacedIn(const ExplainedRun& run, unsigned except, const std::vector<unsigned>& candidates) const;

  LogicSolver solver_;
  std::vector<ExplainedRun> runs_;
  std::vector<std::vector<unsigned>> runCells_;
  std::deque<Explanation> pending_;
};

// The first wrong digit of a player's board (board cells holding their digits) against
// the solution (digits per board cell), with the shortest reason found. False when every
// digit is right.
bool FindWrongDigit(const TBoard& board, const std::vector<int>& solution, Explanation& out);

// Looks up a sentence part by key; an empty answer keeps the built-in English text.
using ExplainTexts = std::function<std::string(const std::string& key)>;

// One or two plain sentences. Placeholders in the texts: {digit} {digits} {partner}
// {combinations} {run} {direction} {sum} {count} {cell} {row} {column}.
std::string ExplainSentence(const Explanation& explanation, const TBoard& board,
                            const ExplainTexts& texts = {});

}  // namespace engine
