// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/statistics.h"

#include <algorithm>
#include <set>

int StatisticsSizeIndex(int width, int height) {
    if (width != height) return -1;
    switch (width) {
        case 6:
            return 0;
        case 7:
            return 1;
        case 9:
            return 2;
        case 12:
            return 3;
        case 14:
            return 4;
        default:
            return -1;
    }
}

TDailyStreaks DailyStreaks(const std::vector<TPlayRecord>& records, TCivilDate today) {
    std::set<long long> days;
    for (const auto& r : records) {
        TCivilDate daily;
        if (r.Finished && r.DailyDate(daily) && daily == r.Date) days.insert(daily.DayNumber());
    }
    TDailyStreaks streaks;
    int run = 0;
    long long previous = 0;
    for (long long day : days) {
        run = (run > 0 && day == previous + 1) ? run + 1 : 1;
        previous = day;
        streaks.Longest = std::max(streaks.Longest, run);
    }
    if (!today.Valid()) return streaks;
    long long day = today.DayNumber();
    if (!days.count(day)) --day;
    while (days.count(day)) {
        ++streaks.Current;
        --day;
    }
    return streaks;
}

TStatistics ComputeStatistics(const std::vector<TPlayRecord>& records, TCivilDate today) {
    TStatistics stats;
    for (const auto& r : records) {
        const int size = StatisticsSizeIndex(r.Width, r.Height);
        if (size < 0 || r.Source == "own") continue;
        auto& level = stats.Levels[static_cast<std::size_t>(size)][static_cast<std::size_t>(r.Level)];
        ++level.Started;
        level.Reveals += r.Reveals;
        level.Explains += r.Explains;
        level.SolutionShown += r.Solution;
        if (!r.Finished) continue;
        ++level.Finished;
        level.TotalMs += r.TimeMs;
        if (level.BestMs == 0 || r.TimeMs < level.BestMs) level.BestMs = r.TimeMs;
        stats.RecentTimes[static_cast<std::size_t>(size)].push_back(r.TimeMs);
    }
    for (auto& times : stats.RecentTimes)
        if (times.size() > static_cast<std::size_t>(RecentTimesShown))
            times.erase(times.begin(), times.end() - RecentTimesShown);
    stats.Streaks = DailyStreaks(records, today);
    return stats;
}

TDailyMonth DailyMonthResults(const std::vector<TPlayRecord>& records, int year, int month) {
    TDailyMonth month_results{};
    for (const auto& r : records) {
        TCivilDate daily;
        if (!r.Finished || !r.DailyDate(daily) || daily.Year != year || daily.Month != month) continue;
        const int level = r.Level;
        int& best = month_results[static_cast<std::size_t>(daily.Day - 1)][static_cast<std::size_t>(level)];
        if (best == 0 || r.TimeMs < best) best = std::max(1, r.TimeMs);
    }
    return month_results;
}
