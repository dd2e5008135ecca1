// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's aids and the first-run flag, kept in the game's own settings
// file (GameIni, "config.ini" in the shared data folder).

struct TGameOptions {
    int PreventDoubleNumbers = 1;
    int ShowTimer = 1;
    int ShowSumCombinations = 1;
    int ShowRemainingSum = 0;
    int ShowHighlighter = 0;
    int FirstRun = 1;
    // Clues turn green when their run is full and adds up, red when it repeats
    // a digit or is full and does not.
    int CheckRuns = 0;
    // A placed digit takes the marks it rules out off the cells of its runs, and the
    // automatic marks are no longer worked out afresh after each digit, so a mark the
    // player took off stays off.
    int KeepPencilMarks = 1;
};
