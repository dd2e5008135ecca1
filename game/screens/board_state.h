// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the play screen and its board cells share.
#include <functional>
#include <string>

#include "game/core/core.h"
#include "game/core/hint_ladder.h"

// What the play screen and the cells share while a board is shown.
struct TBoardState {
    // 0 eraser, 1..9 a digit, 10 the clue tool of custom entry.
    int SelectedNumber = 1;
    // The cell under the pointer, for the highlighter; -1 none.
    int HoverCellX = -1, HoverCellY = -1;
    int ConflictShown = 0;
    int ConflictCellX = 0, ConflictCellY = 0;
    int ConflictShownTime = 0;
    int EditCellX = 0, EditCellY = 0;
    // Written by the cells each frame, shown by the play screen, emptied before the next frame.
    std::string Message;
    // Opens the clue dialogs for EditCellX/Y in custom entry.
    std::function<void()> OpenClueDialogs;
    // The keyboard's cell cursor: where it is (-1 before it was first shown)
    // and whether it is drawn. A click on the board hides it; the next arrow
    // key shows it where it was.
    int CursorX = -1, CursorY = -1;
    int CursorShown = 0;
    // The hint ladder: its lit cells, its panel, and a click on a cell the shown
    // hint changes carries it out through ApplyExplained.
    THintLadder Hints;
    std::function<void()> ApplyExplained;
    // While a checkpoint is open: the player grid at the oldest one, so that the
    // digits tried since stand out. Taken once per frame before the cells draw.
    int Trying = 0;
    TGrid TriedFrom{};
};
