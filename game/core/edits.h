// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way the board changes. A digit, an erasure, a pencil mark, the
// automatic marks switched on or off, a revealed cell and, while a puzzle is
// typed in, a clue cell made or cleared: each is one edit of the core that
// keeps every cell it changed as it was before and after. Clicks and keys ask
// for edits, undo and redo replay what was kept, and the autosave counts them,
// so nothing else writes the puzzle tables while a puzzle is on the board.
#include <array>
#include <cstdint>
#include <vector>

enum class TEditKind {
    Digit,      // Digit 1..9 into a white cell
    Erase,      // a white cell emptied, its marks too
    Mark,       // pencil mark Digit toggled (the cell's digit goes)
    Reveal,     // the solution digit of a white cell
    AutoMarks,  // automatic pencil marks switched on or off
    WhiteCell,  // typing in: a cell becomes white, its clues go
    ClueCell,   // typing in: a cell becomes a clue cell with Across/Down
    Unmark,     // the pencil marks of Digits taken off (an explanation ruled them out)
    // Kinds after Unmark came with checkpoints; older autosaves never hold them.
    Checkpoint,        // "Try From Here": no cell changes, the place undo and Back return to
    BackToCheckpoint,  // the board put back as it was at the newest open checkpoint, which closes
    UndoToCorrect,     // the board put back as it was when it last held no wrong digit
};

struct TEditRequest {
    TEditKind Kind = TEditKind::Digit;
    int X = -1, Y = -1;
    int Digit = 0;
    int Across = 0, Down = 0;  // ClueCell
    unsigned Digits = 0;       // Unmark: bit d for digit d
};

enum class TEditResult {
    Applied,    // the board changed and the change was kept for undo
    Unchanged,  // nothing to do (the cell already held it, a cell off the board)
    Refused,    // Prevent Double Digits: the digit stands at DoubleFoundX/Y
};

// Everything the tables hold about one cell.
struct TCellContent {
    std::uint8_t Player = 0, Solution = 0, Vertical = 0, Horizontal = 0;
    std::array<std::uint8_t, 9> Marks{};
    bool operator==(const TCellContent&) const = default;
};

struct TCellChange {
    int X = 0, Y = 0;
    TCellContent Before, After;
};

struct TEdit {
    TEditKind Kind = TEditKind::Digit;
    std::vector<TCellChange> Cells;
    int AutoMarkupBefore = 0, AutoMarkupAfter = 0;
};

struct TEditHistory {
    std::vector<TEdit> Done;    // oldest first; Undo takes the last
    std::vector<TEdit> Undone;  // Redo takes the last
    // Counts every change of the board since the puzzle began, undo and redo
    // included; the autosave compares it with what it last wrote.
    int Changes = 0;
    // The puzzle came back from the autosave: it is a puzzle in progress and
    // is kept again on leaving, even before its next change.
    int Continued = 0;
};
