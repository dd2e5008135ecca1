// SPDX-License-Identifier: GPL-3.0-or-later
// The play history's lines and what is worked out from them, each against a
// plain reference written here.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "game/core/daily_puzzle.h"
#include "game/core/play_record.h"
#include "game/core/statistics.h"

namespace {

// The calendar by hand, apart from the code under test.
bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && Leap(y) ? 29 : days[m - 1];
}
TCivilDate NextDay(TCivilDate d) {
    if (++d.Day > DaysIn(d.Year, d.Month)) {
        d.Day = 1;
        if (++d.Month > 12) d.Month = 1, ++d.Year;
    }
    return d;
}
TCivilDate PreviousDay(TCivilDate d) {
    if (--d.Day < 1) {
        if (--d.Month < 1) d.Month = 12, --d.Year;
        d.Day = DaysIn(d.Year, d.Month);
    }
    return d;
}

TPlayRecord RandomRecord(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TPlayRecord r;
    r.Date = {pick(1970, 2100), pick(1, 12), 1};
    r.Date.Day = pick(1, DaysIn(r.Date.Year, r.Date.Month));
    r.Hour = pick(0, 23);
    r.Minute = pick(0, 59);
    r.Second = pick(0, 59);
    static const int sizes[] = {6, 7, 9, 12, 14};
    r.Width = r.Height = sizes[pick(0, 4)];
    r.Level = pick(0, 2);
    switch (pick(0, 3)) {
        case 0:
            r.Source = "seed:" + std::to_string(pick(0, 0x7FFFFFFF));
            break;
        case 1:
            r.Source = DailySource(r.Date);
            break;
        case 2:
            r.Source = "own";
            break;
        default:
            r.Source = "saved";
    }
    r.TimeMs = pick(0, 0x7FFFFFFF);
    r.Reveals = pick(0, 50);
    r.Explains = pick(0, 50);
    r.Solution = pick(0, 1);
    r.Finished = pick(0, 1);
    return r;
}

}  // namespace

TEST(PlayRecord, LinesComeBackAsWrittenAndAnyDamageToALineIsFound) {
    std::mt19937 rng(35);
    for (int i = 0; i < 5000; ++i) {
        const TPlayRecord r = RandomRecord(rng);
        std::string line = EncodePlayRecord(r);
        ASSERT_EQ(line.back(), '\n');
        line.pop_back();
        ASSERT_LE(line.size(), MaxPlayRecordLine);
        TPlayRecord back;
        ASSERT_TRUE(DecodePlayRecord(line, back)) << line;
        EXPECT_EQ(back, r) << line;

        // One byte changed, or the line cut short: never taken for a record.
        std::string changed = line;
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, line.size() - 1)(rng);
        changed[at] = static_cast<char>(changed[at] ^ std::uniform_int_distribution<int>(1, 255)(rng));
        EXPECT_FALSE(DecodePlayRecord(changed, back)) << changed;
        EXPECT_FALSE(DecodePlayRecord(line.substr(0, at), back));
    }
    // Well-formed lines with a right checksum but values this game never writes.
    auto signedLine = [](const std::string& body) {
        char sum[16];
        std::snprintf(sum, sizeof sum, " *%08x", static_cast<unsigned>(PlayRecordChecksum(body)));
        return body + sum;
    };
    TPlayRecord r;
    EXPECT_TRUE(DecodePlayRecord(signedLine("R 2024-02-29 23:59:59 14 14 2 own 0 0 0 0 A"), r));
    for (const char* body : {"R 2023-02-29 10:00:00 9 9 0 own 1 0 0 0 F", "R 2024-01-01 24:00:00 9 9 0 own 1 0 0 0 F",
                             "R 2024-01-01 10:00:00 15 9 0 own 1 0 0 0 F", "R 2024-01-01 10:00:00 9 9 3 own 1 0 0 0 F",
                             "R 2024-01-01 10:00:00 9 9 0 own -1 0 0 0 F", "R 2024-01-01 10:00:00 9 9 0 own 1 0 0 2 F",
                             "R 2024-01-01 10:00:00 9 9 0 own 2147483648 0 0 0 F",
                             "R 2024-01-01 10:00:00 9 9 0 own 1 0 0 0 X", "R 2024-01-01 10:00:00 9 9 0 own 1 0 0 0",
                             "R 2024-01-01  10:00:00 9 9 0 own 1 0 0 0 F", "R 2024-1-01 10:00:00 9 9 0 own 1 0 0 0 F"})
        EXPECT_FALSE(DecodePlayRecord(signedLine(body), r)) << body;
}

TEST(PlayRecord, AFileKeepsEveryGoodLineAndTheNewestTenThousand) {
    std::mt19937 rng(7);
    std::vector<TPlayRecord> records;
    for (int i = 0; i < 40; ++i) records.push_back(RandomRecord(rng));
    const std::string bytes = EncodePlayHistory(records);
    int dropped = -1;
    EXPECT_EQ(DecodePlayHistory(bytes, &dropped), records);
    EXPECT_EQ(dropped, 0);

    // Cut anywhere: the complete lines before the cut stay, a part line is one dropped.
    for (std::size_t cut = 0; cut <= bytes.size(); cut += 7) {
        const auto kept = DecodePlayHistory(bytes.substr(0, cut), &dropped);
        const std::size_t whole =
            static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(cut), '\n'));
        ASSERT_EQ(kept.size(), whole);
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), records.begin()));
        EXPECT_EQ(dropped, bytes.substr(0, cut).empty() || bytes[cut - 1] == '\n' ? 0 : 1);
    }
    // A damaged line in the middle, and zeros written over another: the rest stays.
    std::string damaged = bytes;
    const std::size_t third = damaged.find('\n', damaged.find('\n', damaged.find('\n') + 1) + 1) + 5;
    damaged[third] = 'Z';
    damaged.replace(damaged.size() / 2, 30, std::string(30, '\0'));
    // The zeros may also take a line end, joining two records into one bad line.
    const auto kept = DecodePlayHistory(damaged, &dropped);
    EXPECT_GE(dropped, 2);
    EXPECT_GE(kept.size(), records.size() - 4);
    EXPECT_LE(kept.size() + static_cast<std::size_t>(dropped), records.size());
    for (std::size_t i = 0, j = 0; i < kept.size(); ++i, ++j) {
        while (j < records.size() && !(records[j] == kept[i])) ++j;
        ASSERT_LT(j, records.size()) << "a record came back that was not written, or out of order";
    }

    // More than the history keeps: the oldest go.
    std::vector<TPlayRecord> many;
    for (int i = 0; i < MaxPlayRecords + 25; ++i) {
        TPlayRecord r = RandomRecord(rng);
        r.TimeMs = i;
        many.push_back(r);
    }
    const auto trimmed = DecodePlayHistory(EncodePlayHistory(many));
    ASSERT_EQ(trimmed.size(), static_cast<std::size_t>(MaxPlayRecords));
    EXPECT_EQ(trimmed.front().TimeMs, 25);
    EXPECT_EQ(trimmed.back().TimeMs, MaxPlayRecords + 24);
}

TEST(PlayRecord, DayNumbersFollowTheCalendar) {
    TCivilDate d{1899, 12, 31};
    long long n = d.DayNumber();
    for (int i = 0; i < 80000; ++i) {
        const TCivilDate next = NextDay(d);
        ASSERT_EQ(next.DayNumber(), n + 1) << next.Text();
        ASSERT_EQ(TCivilDate::FromDayNumber(n + 1), next);
        d = next;
        ++n;
    }
    TCivilDate parsed;
    EXPECT_TRUE(TCivilDate::Parse("2000-02-29", parsed));
    EXPECT_FALSE(TCivilDate::Parse("1900-02-29", parsed));
    EXPECT_FALSE(TCivilDate::Parse("2024-13-01", parsed));
    EXPECT_FALSE(TCivilDate::Parse("2024-1-011", parsed));
}

// Daily records on days around month and year ends (a leap February among
// them), some finished later than their day, some dated ahead of "today" as a
// clock set back leaves them, against streaks counted day by day.
TEST(PlayRecord, DailyStreaksOverMonthAndYearEndsAndAChangedClock) {
    std::mt19937 rng(2024);
    const TCivilDate first{2023, 12, 1};
    for (int round = 0; round < 400; ++round) {
        std::vector<TPlayRecord> records;
        std::set<TCivilDate> solved;
        TCivilDate day = first;
        const int density = std::uniform_int_distribution<int>(30, 95)(rng);
        for (int i = 0; i < 120; ++i, day = NextDay(day)) {
            if (std::uniform_int_distribution<int>(0, 99)(rng) >= density) continue;
            TPlayRecord r;
            r.Source = DailySource(day);
            r.Level = std::uniform_int_distribution<int>(0, 2)(rng);
            r.Width = r.Height = DailySize(r.Level);
            r.Finished = std::uniform_int_distribution<int>(0, 5)(rng) != 0;
            // Now and then played on a later day: then it counts for no streak.
            const bool late = std::uniform_int_distribution<int>(0, 9)(rng) == 0;
            r.Date = late ? NextDay(day) : day;
            records.push_back(r);
            if (r.Finished && !late) solved.insert(day);
        }
        std::shuffle(records.begin(), records.end(), rng);
        TCivilDate today = first;
        for (int k = std::uniform_int_distribution<int>(0, 125)(rng); k > 0; --k) today = NextDay(today);

        int longest = 0, run = 0;
        TCivilDate d = first;
        for (int i = 0; i < 125; ++i, d = NextDay(d)) {
            run = solved.count(d) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        int current = 0;
        TCivilDate back = solved.count(today) ? today : PreviousDay(today);
        while (solved.count(back)) ++current, back = PreviousDay(back);

        const TDailyStreaks streaks = DailyStreaks(records, today);
        ASSERT_EQ(streaks.Longest, longest) << "round " << round;
        ASSERT_EQ(streaks.Current, current) << "round " << round << " today " << today.Text();
    }
    // Across a year end by hand: 30 and 31 December and 1 January make three.
    std::vector<TPlayRecord> newYear;
    for (TCivilDate d : {TCivilDate{2025, 12, 30}, TCivilDate{2025, 12, 31}, TCivilDate{2026, 1, 1}}) {
        TPlayRecord r;
        r.Source = DailySource(d);
        r.Date = d;
        r.Finished = 1;
        newYear.push_back(r);
    }
    EXPECT_EQ(DailyStreaks(newYear, {2026, 1, 2}).Current, 3);
    EXPECT_EQ(DailyStreaks(newYear, {2026, 1, 3}).Current, 0);
    // The clock set back a week: nothing counts as current, the longest stays.
    EXPECT_EQ(DailyStreaks(newYear, {2025, 12, 24}).Current, 0);
    EXPECT_EQ(DailyStreaks(newYear, {2025, 12, 24}).Longest, 3);
}

TEST(PlayRecord, StatisticsAgreeWithARecount) {
    std::mt19937 rng(99);
    std::vector<TPlayRecord> records;
    for (int i = 0; i < 3000; ++i) records.push_back(RandomRecord(rng));
    const TStatistics stats = ComputeStatistics(records, {2026, 12, 11});
    const int sizes[] = {6, 7, 9, 12, 14};
    for (int s = 0; s < StatisticsSizes; ++s) {
        std::vector<int> finishedTimes;
        for (int level = 0; level < StatisticsLevels; ++level) {
            int started = 0, finished = 0, best = 0, reveals = 0, explains = 0, solution = 0;
            long long total = 0;
            for (const auto& r : records) {
                if (r.Width != sizes[s] || r.Level != level || r.Source == "own") continue;
                ++started;
                reveals += r.Reveals;
                explains += r.Explains;
                solution += r.Solution;
                if (!r.Finished) continue;
                ++finished;
                total += r.TimeMs;
                if (best == 0 || r.TimeMs < best) best = r.TimeMs;
            }
            const auto& got = stats.Levels[s][level];
            EXPECT_EQ(got.Started, started);
            EXPECT_EQ(got.Finished, finished);
            EXPECT_EQ(got.BestMs, best);
            EXPECT_EQ(got.AverageMs(), finished ? static_cast<int>(total / finished) : 0);
            EXPECT_EQ(got.FinishPercent(), started ? 100 * finished / started : 0);
            EXPECT_EQ(got.Reveals, reveals);
            EXPECT_EQ(got.Explains, explains);
            EXPECT_EQ(got.SolutionShown, solution);
        }
        for (const auto& r : records)
            if (r.Width == sizes[s] && r.Source != "own" && r.Finished) finishedTimes.push_back(r.TimeMs);
        if (finishedTimes.size() > 30) finishedTimes.erase(finishedTimes.begin(), finishedTimes.end() - 30);
        EXPECT_EQ(stats.RecentTimes[s], finishedTimes);
    }
}

TEST(PlayRecord, DailyMonthKeepsTheBestTimeOfEachDayAndLevel) {
    std::vector<TPlayRecord> records;
    auto add = [&](TCivilDate day, int level, int ms, int finished) {
        TPlayRecord r;
        r.Source = DailySource(day);
        r.Date = day;
        r.Level = level;
        r.TimeMs = ms;
        r.Finished = finished;
        records.push_back(r);
    };
    add({2026, 12, 1}, 0, 5000, 1);
    add({2026, 12, 1}, 0, 4000, 1);
    add({2026, 12, 1}, 1, 1000, 0);
    add({2026, 12, 31}, 2, 9000, 1);
    add({2026, 11, 30}, 0, 3000, 1);
    const TDailyMonth month = DailyMonthResults(records, 2026, 12);
    EXPECT_EQ(month[0][0], 4000);
    EXPECT_EQ(month[0][1], 0);
    EXPECT_EQ(month[30][2], 9000);
    EXPECT_EQ(month[29][0], 0);
}
