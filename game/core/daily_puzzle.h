// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzles of the day: three a date (9 x 9 Easy, 12 x 12 Medium, 14 x 14
// Hard), the same in every copy of the game, made from the date alone.
#include "game/core/core.h"
#include "game/core/play_record.h"

inline constexpr int DailyLevels = 3;

struct TDailyPuzzle {
    TCivilDate Date;
    int Difficulty = 0;  // 0 Easy, 1 Medium, 2 Hard
    int Size = 0;        // width and height
    int Made = 0;
    TGrid Solution{};
};

// The board size of a daily level (0..2).
int DailySize(int difficulty);
// Made from the date and level: false, and puzzle.Made 0, for a date no
// calendar has or a level outside 0..2.
bool MakeDailyPuzzle(TCivilDate date, int difficulty, TDailyPuzzle& puzzle);
// "daily:YYYY-MM-DD", the source the history gives a daily puzzle.
std::string DailySource(TCivilDate date);
// The daily puzzle goes into the core's tables as a new puzzle to play.
bool PlayDailyPuzzle(TCore& core, const TDailyPuzzle& puzzle);
