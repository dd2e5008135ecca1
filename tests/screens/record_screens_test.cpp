// SPDX-License-Identifier: GPL-3.0-or-later
// The daily puzzle and statistics screens driven headless through the real
// logic step, with a wall clock the test sets: days are chosen by keys and
// clicks within this month up to today, a chosen puzzle goes onto the board,
// and the statistics follow the history. Pictures in the artifacts folder.
#include <gtest/gtest.h>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/widgets/button.h"
#include "game/core/daily_puzzle.h"
#include "game/core/services.h"
#include "game/screens/daily_screen.h"
#include "game/screens/game_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/statistics_screen.h"
#include "game/screens/title_screen.h"
#include "game_screens_fixture.h"
#include "tallyfold/platform/input.h"

namespace vk = platform::vk;

class RecordScreensTest : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        ArtifactPrefix = "record-";
        CoreServices().LocalTime = [this] { return clock; };
    }
    void TearDown() override {
        CoreServices().LocalTime = nullptr;
        GameScreensFixture::TearDown();
    }
    void Open(const char* button, const std::shared_ptr<TScreen>& screen) {
        if (Game->CurrentTScreen != Screens.TitleScreen) {
            Game->DestinationTScreen = Screens.TitleScreen;
            Screens.TitleScreen->PreStart();
            Ticks(150);
        }
        ClickButton(Screens.TitleScreen->Menu, button);
        for (int k = 0; k < 400 && Game->CurrentTScreen != screen; ++k) Ticks(1);
        ASSERT_EQ(Game->CurrentTScreen, screen);
        for (int k = 0; k < 200 && Game->GameFade->Active; ++k) Ticks(1);
    }
    void Key(int key) {
        Press(key);
        Ticks(2);
    }
    TDailyScreen& Daily() { return static_cast<TDailyScreen&>(*Screens.DailyScreen); }
    TCoreLocalTime clock{2026, 12, 11, 18, 30, 0};
};

TEST_F(RecordScreensTest, DaysOfThisMonthUpToTodayAreChosenAndPlayed) {
    Open("daily", Screens.DailyScreen);
    auto& daily = Daily();
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 11}));
    // 1 December 2026 is a Tuesday: the second column of a week from Monday.
    EXPECT_EQ(daily.FirstColumn(), 1);
    for (int level = 0; level < DailyLevels; ++level) EXPECT_EQ(daily.PuzzlesOf(daily.Chosen)[level].Made, 1);
    Frame("daily");

    Key(vk::LEFT);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 10}));
    Key(vk::UP);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 3}));
    // Not into November, not past today.
    Key(vk::UP);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 3}));
    for (int k = 0; k < 12; ++k) Key(vk::RIGHT);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 11}));
    Key(vk::DOWN);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 11}));

    // Clicks: the first of the month is taken, a day to come is not.
    const auto centre = [&](int day) {
        const int cell = daily.FirstColumn() + day - 1;
        return std::pair<float, float>(TDailyScreen::CalendarX + (cell % 7) * TDailyScreen::DayW + 20.0f,
                                       TDailyScreen::CalendarY + (cell / 7) * TDailyScreen::DayH + 18.0f);
    };
    ClickAt(centre(1).first, centre(1).second, 1, 2);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 1}));
    ClickAt(centre(12).first, centre(12).second, 1, 2);
    EXPECT_EQ(daily.Chosen, (TCivilDate{2026, 12, 1}));
    Frame("daily-first");

    // "2" plays the medium puzzle of the chosen day.
    Key(vk::KEY_0 + 2);
    for (int k = 0; k < 400 && Game->CurrentTScreen != Screens.GameScreen; ++k) Ticks(1);
    ASSERT_EQ(Game->CurrentTScreen, Screens.GameScreen);
    EXPECT_EQ(PlayModel().Puzzle.BoardWidth, 12);
    EXPECT_EQ(PlayModel().Puzzle.PuzzleDifficulty, 1);
    EXPECT_EQ(PlayModel().PlayTrack.Source, "daily:2026-12-01");
    EXPECT_EQ(PlayModel().Puzzle.SolutionGrid, daily.PuzzlesOf({2026, 12, 1})[1].Solution);
}

TEST_F(RecordScreensTest, StatisticsFollowTheHistoryAndTheArrowKeys) {
    // Today's and yesterday's daily puzzles finished on their days, and two 9 x 9 puzzles.
    auto& history = PlayModel().History();
    for (int day : {10, 11}) {
        TPlayRecord r;
        r.Date = {2026, 12, day};
        r.Source = DailySource(r.Date);
        r.TimeMs = 200000 + day * 1000;
        r.Finished = 1;
        history.Append(r);
    }
    TPlayRecord abandoned;
    abandoned.Date = {2026, 12, 11};
    abandoned.Source = "seed:5";
    abandoned.Level = 2;
    abandoned.Reveals = 3;
    history.Append(abandoned);

    Open("statistics", Screens.StatisticsScreen);
    auto& stats = static_cast<TStatisticsScreen&>(*Screens.StatisticsScreen);
    EXPECT_EQ(stats.SizeIndex, 2);
    EXPECT_EQ(stats.Stats.Streaks.Current, 2);
    EXPECT_EQ(stats.Stats.Levels[2][0].Finished, 2);
    EXPECT_EQ(stats.Stats.Levels[2][0].BestMs, 210000);
    EXPECT_EQ(stats.Stats.Levels[2][2].Started, 1);
    EXPECT_EQ(stats.Stats.Levels[2][2].Reveals, 3);
    Frame("statistics");
    Key(vk::RIGHT);
    EXPECT_EQ(stats.SizeIndex, 3);
    Key(vk::LEFT);
    Key(vk::LEFT);
    Key(vk::LEFT);
    Key(vk::LEFT);
    EXPECT_EQ(stats.SizeIndex, 4);
    ClickButton(stats.SizeMenu, "7x7");
    EXPECT_EQ(stats.SizeIndex, 1);

    // The clock set back a month: no current streak, the longest stays.
    clock = {2026, 11, 11, 9, 0, 0};
    stats.Refresh();
    EXPECT_EQ(stats.Stats.Streaks.Current, 0);
    EXPECT_EQ(stats.Stats.Streaks.Longest, 2);
    // A history file the game may not touch: the screen says so.
    PlayModel().History().NotSavedReason = "it is a folder";
    Frame("statistics-not-saved");
}
