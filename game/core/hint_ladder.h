// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hint ladder: a hint is given in three presses, so the player can stop
// at the first rung and find the step alone. The first press points at the
// place and names the technique, the second shows the cells and the whole
// reasoning, the third carries the step out as one undoable edit. A wrong
// digit on the board comes before any deduction: first that one is wrong,
// then which.
#include <string>
#include <utility>
#include <vector>

#include "tallyfold/engine/Explainer.h"

class TPuzzleModel;
struct TPuzzleState;

enum class THintKind {
    Deduction,  // placements and eliminations the board's digits prove
    Wrong,      // a digit on the board is not the solution's
    Stuck,      // nothing can be reasoned from here
};

// One cell a hint changes: Digit > 0 is written; otherwise the digits of
// Removed (bit d for digit d) go, and Left is what the cell can still hold.
struct THintChange {
    int X = -1, Y = -1;
    int Digit = 0;
    unsigned Removed = 0;
    unsigned Left = 0;
};

struct THint {
    THintKind Kind = THintKind::Stuck;
    engine::Technique Technique = engine::Technique::CombinationElimination;
    int Tier = 0;
    // The run or area the hint is about, lit from the first press on.
    std::vector<std::pair<int, int>> Frame;
    // Deduction: what the third press does. Wrong: the wrong digit's cell, Digit the
    // player's digit.
    std::vector<THintChange> Changes;
    std::string Pointer;   // the first press's words: where to look and the technique
    std::string Sentence;  // the second press's words: the whole reasoning
};

// The ladder's rungs.
enum class THintStage {
    None,     // nothing shown
    Pointed,  // the place and the technique
    Shown,    // the cells and the reasoning
};

class THintLadder {
public:
    // One press of H or the aid: the next rung. A hint found for another board (the
    // board changed since) starts again from the first rung.
    void Press(TPuzzleModel& model);
    // Escape: the hint is put away at whatever rung it stood.
    void PutAway() { Stage_ = THintStage::None; }
    // None once the board moved on from the hint's board.
    THintStage Stage(const TPuzzleModel& model) const;
    const THint& Hint() const { return Hint_; }
    // 1 while a hint is shown and (x, y) is in its frame; 2 for a cell it changes
    // (or, for a wrong digit, that digit's cell once named).
    int CellRole(const TPuzzleModel& model, int x, int y) const;
    // The digits the shown rung previews in cell (x, y): those a shown deduction takes
    // out; 0 at the first rung.
    unsigned PreviewRemoved(const TPuzzleModel& model, int x, int y) const;

private:
    THint Hint_;
    THintStage Stage_ = THintStage::None;
    int BoardChanges_ = -1;
};

// The next hint for the board as the player has it: a wrong digit first; then the
// most useful group of steps (a placement where the lowest tier with any step has
// one), leaving out eliminations the player already sees: digits standing in a
// cell's run under Prevent Double Digits, digits the cell's pencil marks (automatic
// or not) leave out. Counts nothing.
THint FindHint(TPuzzleModel& model);

// Carries a deduction out through the edit path as one edit, so one undo takes it
// back: placements write their digits; eliminations are remembered for later hints
// and shown on the pencil marks (taken off where the cell has marks, or the cell's
// remaining digits pencilled in where it has none). A wrong digit is erased. Returns
// true when the board changed.
bool CarryOutHint(TPuzzleModel& model, const THint& hint);

// The techniques a puzzle's hints use from its empty board to the end, in the order
// of the technique list, each once.
std::vector<engine::Technique> TechniquesNeeded(const TPuzzleState& puzzle);

// The engine's view of the tables: the player's digits as givens, and the stored
// solution by engine cell index (0 where there is none). False for tables that
// make no engine board.
bool ExplainBoard(const TPuzzleState& puzzle, engine::TBoard& board, std::vector<int>& solution);

// The player's name of a technique (game text, the engine's name when it has none).
std::string TechniqueText(engine::Technique technique);
