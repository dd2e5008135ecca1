// SPDX-License-Identifier: GPL-3.0-or-later
// The daily puzzles, the statistics and the best times by level in the real
// program, over a play history written before it starts: pictures
// record-NN-name.png and a contact sheet record.png in the artifacts folder.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "contact_sheet.h"
#include "game_driver.h"

namespace {

using namespace e2e;

constexpr Point TitleDaily{400, 256}, TitleStatistics{400, 303}, TitleBestTimes{400, 444};
constexpr Point DailyOk{400, 558}, DailyPlayEasy{682, 190}, StatisticsOk{400, 558}, BestTimesOk{322, 558};
constexpr Point Size9Button{400, 137}, HardLevel{583, 509};
constexpr Point RevealCell{114, 323}, EndBackToMenu{400, 335}, SetupBack{632, 521};
constexpr Point Aside{640, 585};

std::string Signed(const std::string& body) {
    // CRC-32 (the zlib polynomial), written out here apart from the game's.
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : body) {
        c ^= byte;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    char sum[16];
    std::snprintf(sum, sizeof sum, " *%08x\n", c ^ 0xFFFFFFFFu);
    return body + sum;
}

std::string Date(const std::tm& t, int dayOffset) {
    std::tm shifted = t;
    shifted.tm_mday += dayOffset;
    shifted.tm_hour = 12;
    std::mktime(&shifted);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &shifted);
    return text;
}

class Record : public GameDriver {
protected:
    Record() { ShotPrefix = "record-"; }
    ::testing::AssertionResult Take(const std::string& name, const std::string& caption) {
        auto result = Shot(name);
        if (result) sheet.push_back({lastShot, caption});
        return result;
    }
    std::vector<SheetEntry> sheet;
};

}  // namespace

TEST_F(Record, DailyStatisticsAndBestTimesByLevel) {
    const std::time_t now = std::time(nullptr);
    const std::tm today = *std::localtime(&now);
    // Daily puzzles finished on their own days: yesterday and the two days
    // before (within this month only when today is late enough in it), and a
    // spread of generated puzzles of every size and level.
    std::string history;
    for (int back = 3; back >= 1; --back) {
        if (today.tm_mday - back < 1) continue;
        const std::string day = Date(today, -back);
        history += Signed("R " + day + " 20:00:00 9 9 0 daily:" + day + " " + std::to_string(200000 + back * 31000) +
                          " 0 0 0 F");
    }
    const int sizes[] = {6, 7, 9, 12, 14};
    for (int i = 0; i < 60; ++i) {
        const int size = sizes[i % 5], level = (i / 5) % 3;
        history += Signed("R " + Date(today, -40 + i / 3) + " 10:00:00 " + std::to_string(size) + " " +
                          std::to_string(size) + " " + std::to_string(level) + " seed:" + std::to_string(1000 + i) +
                          " " + std::to_string(60000 + size * 9000 + (i * 7919) % 90000) + " " +
                          std::to_string(i % 4 == 0 ? 1 : 0) + " " + std::to_string(i % 6 == 0 ? 2 : 0) + " " +
                          std::to_string(i % 11 == 0 ? 1 : 0) + (i % 7 == 0 ? " A" : " F"));
    }
    fs::create_directories(shared);
    std::ofstream(shared / "history.txt", std::ios::binary) << history;

    Launch();
    Send(Wait(1800) + ClickAt(Aside) + Wait(500) + ClickAt(Aside) + Wait(1400));
    ASSERT_TRUE(Take("title", "title with Daily Puzzle and Statistics"));

    Send(ClickAt(TitleDaily) + MoveTo(Aside) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Take("daily", "daily puzzles of today, the month's calendar"));
    if (today.tm_mday > 1) {
        Send("key left\n" + Wait(300));
        ASSERT_TRUE(Take("daily-yesterday", "yesterday chosen with the arrow key"));
        Send("key right\n" + Wait(100));
    }
    // Today's easy puzzle, finished by revealing one cell after another; then
    // back to the daily screen, which ticks it with its time.
    Send(ClickAt(DailyPlayEasy) + MoveTo(Aside) + Wait(ScreenChangeMs + 1500));
    ASSERT_TRUE(Take("daily-board", "today's easy daily puzzle on the board"));
    std::string reveals;
    for (int k = 0; k < 81; ++k) reveals += ClickAt(RevealCell) + Wait(40);
    Send(reveals + MoveTo(Aside) + Wait(1500));
    ASSERT_TRUE(Take("daily-solved", "the daily puzzle solved"));
    Send(ClickAt(EndBackToMenu) + Wait(300) + "key Y\n" + Wait(ScreenChangeMs) + ClickAt(SetupBack) +
         Wait(ScreenChangeMs));
    Send(ClickAt(TitleDaily) + MoveTo(Aside) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Take("daily-ticked", "today's easy puzzle ticked"));
    Send(ClickAt(DailyOk) + Wait(ScreenChangeMs));
    char todayText[16];
    std::strftime(todayText, sizeof todayText, "%Y-%m-%d", &today);
    const std::string written = ReadFile(shared / "history.txt");
    const std::string finished = " 9 9 0 daily:" + std::string(todayText) + " ";
    const std::size_t at = written.find(finished, history.size());
    ASSERT_NE(at, std::string::npos) << written.substr(history.size());
    EXPECT_EQ(written.compare(history.size(), 13, "R " + std::string(todayText) + " "), 0);
    EXPECT_NE(written.find(" 0 0 F *", at), std::string::npos) << written.substr(history.size());

    Send(ClickAt(TitleStatistics) + MoveTo(Aside) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Take("statistics", "statistics of 9x9, streaks and times"));
    Send("key right\nkey right\n" + Wait(300));
    ASSERT_TRUE(Take("statistics-14", "statistics of 14x14 by the arrow keys"));
    Send(ClickAt(StatisticsOk) + Wait(ScreenChangeMs));

    Send(ClickAt(TitleBestTimes) + MoveTo(Aside) + Wait(ScreenChangeMs + 2500));
    ASSERT_TRUE(Take("best-times", "best times with the level choice"));
    Send(ClickAt(Size9Button) + ClickAt(HardLevel) + MoveTo(Aside) + Wait(2500));
    ASSERT_TRUE(Take("best-times-9-hard", "best times of 9x9 Hard"));
    Send(ClickAt(BestTimesOk) + Wait(ScreenChangeMs));

    EXPECT_EQ(WriteContactSheet(sheet, artifacts / "record.png", 3), "");
    // The history the game was given is still all there, the new record after it.
    EXPECT_EQ(ReadFile(shared / "history.txt").substr(0, history.size()), history);
}
