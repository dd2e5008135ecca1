// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the play history says: figures per board size and level, the daily
// streaks, the recent times of each size and the days of a month whose daily
// puzzles were solved. Worked out from the records alone, each time they are
// shown, so they never disagree with the file.
#include <array>
#include <vector>

#include "game/core/play_record.h"

inline constexpr int StatisticsSizes = 5;  // 6, 7, 9, 12, 14
inline constexpr int StatisticsLevels = 3;
inline constexpr int RecentTimesShown = 30;

// 0..4 for the sizes a board can have, -1 for any other.
int StatisticsSizeIndex(int width, int height);

struct TLevelStatistics {
    int Started = 0;  // finished or abandoned
    int Finished = 0;
    int BestMs = 0;  // 0 while none is finished
    long long TotalMs = 0;
    int Reveals = 0;
    int Explains = 0;
    int SolutionShown = 0;  // puzzles
    // Finished in percent of started, rounded down; 0 while none was started.
    int FinishPercent() const { return Started ? static_cast<int>(100LL * Finished / Started) : 0; }
    int AverageMs() const { return Finished ? static_cast<int>(TotalMs / Finished) : 0; }
};

struct TDailyStreaks {
    int Current = 0;
    int Longest = 0;
};

struct TStatistics {
    std::array<std::array<TLevelStatistics, StatisticsLevels>, StatisticsSizes> Levels{};
    TDailyStreaks Streaks;
    // The times of the last RecentTimesShown finished puzzles of each size, oldest first.
    std::array<std::vector<int>, StatisticsSizes> RecentTimes{};
};

// A day counts for the streaks when one of its daily puzzles was finished on
// that same day. The current streak runs back from today, or from yesterday
// while today's is still open; days after today (a clock set back) count
// only towards the longest.
TDailyStreaks DailyStreaks(const std::vector<TPlayRecord>& records, TCivilDate today);

// Puzzles typed in by the player have no level of the game's and are left out
// of the figures per level.
TStatistics ComputeStatistics(const std::vector<TPlayRecord>& records, TCivilDate today);

// The best finished time of each daily level (0 Easy .. 2 Hard) of each day of
// a month, [day - 1][level]; 0 where none was finished.
using TDailyMonth = std::array<std::array<int, 3>, 31>;
TDailyMonth DailyMonthResults(const std::vector<TPlayRecord>& records, int year, int month);
