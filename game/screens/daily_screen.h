// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzles of the day: a calendar of this month with the solved days, and
// the three puzzles of the chosen day with their best times.
#include <array>
#include <map>
#include <memory>

#include "framework/screens/screen.h"
#include "game/core/daily_puzzle.h"
#include "game/core/statistics.h"

class TMenu;

class TDailyScreen : public TScreen {
public:
    float x = 0, y = 0;
    TCivilDate Today;
    TCivilDate Chosen;
    TDailyMonth Month{};
    // Made once a session per day looked at: the engine takes a while for 14 x 14.
    std::map<TCivilDate, std::array<TDailyPuzzle, DailyLevels>> Made;
    std::shared_ptr<TMenu> PlayMenu;

    static constexpr int CalendarX = 62, CalendarY = 186, DayW = 44, DayH = 36;
    static constexpr int RowsX = 384, RowsY = 150, RowStep = 104;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;

    // The day's three puzzles, made on first asking.
    const std::array<TDailyPuzzle, DailyLevels>& PuzzlesOf(TCivilDate date);
    // Moves the choice to a day of this month up to today; other days are refused.
    bool Choose(TCivilDate date);
    // Puts the chosen day's puzzle of the level on the board and goes to play it.
    void Play(int difficulty);
    // The calendar day under (px, py); Day 0 when none.
    TCivilDate DayAt(int px, int py) const;
    // Column of the first of the month, Monday 0.
    int FirstColumn() const;

private:
    void DrawCalendar();
    void DrawDay(int day, float dx, float dy);
    void DrawPuzzleRows();
    void DrawThumbnail(const TDailyPuzzle& puzzle, float left, float top, float side);
};

// A tick mark, its box's top-left at (left, top).
void DrawTick(float left, float top, float size);
