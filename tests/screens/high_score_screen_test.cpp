// SPDX-License-Identifier: GPL-3.0-or-later
// The high score screen driven headless through the real logic step, from and
// back to the title, with pictures of it in the test artifacts folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "framework/archive/pak_manager.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/slide_line.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/help_screen.h"
#include "game/screens/high_score_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "game/screens/title_screen.h"
#include "game_screens_fixture.h"
#include "scratch_dir.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "widget_support.h"

namespace fs = std::filesystem;
namespace vk = platform::vk;

class HighScoreScreenTest : public GameScreensFixture {
protected:
    void SetUp() override {
        GameScreensFixture::SetUp();
        ArtifactPrefix = "hiscore-";
    }
    // A press that lets the rows' timing be read right after it.
    void ClickButton(const std::shared_ptr<TMenu>& menu, const std::string& name) {
        GameScreensFixture::ClickButton(menu, name, 0);
    }
    // Opens the screen and lets its fade-in finish; the rows start moving at the next step.
    void OpenFromTitle() {
        if (Game->CurrentTScreen != Screens.TitleScreen) {
            Game->DestinationTScreen = Screens.TitleScreen;
            Screens.TitleScreen->PreStart();
            Ticks(150);
        }
        ClickButton(Screens.TitleScreen->Menu, "highscore");
        for (int k = 0; k < 400 && Game->CurrentTScreen != Screens.HighScoreScreen; ++k) Ticks(1);
        ASSERT_EQ(Game->CurrentTScreen, Screens.HighScoreScreen);
        for (int k = 0; k < 200 && Game->GameFade->Active; ++k) Ticks(1);
        ASSERT_FALSE(Game->GameFade->Active);
    }
    std::vector<std::shared_ptr<TSlideLine>>& Rows() { return Screens.HighScoreScreen->SlideLines->Items; }
    bool AllLanded() {
        for (auto& row : Rows())
            if (row->Active) return false;
        return true;
    }
    std::string FirstName(const std::shared_ptr<TKakuroHighScoreList>& table) { return table->Entries.front()->name; }
};

TEST_F(HighScoreScreenTest, RowsSlideInOneAfterAnotherFromAlternateSides) {
    auto six = PlayModel().HighScoreTables.HighScores6x6;
    six->Insert("Ada", 61000, 0);
    six->Insert("Grace", 754000, 1);
    // A long game keeps its hundreds of minutes.
    six->Entries.pop_back();
    six->Add("Edsger", 6000000, 2);
    OpenFromTitle();
    ASSERT_EQ(Rows().size(), 10u);
    EXPECT_EQ(Screens.HighScoreScreen->height, 250);

    // Each row waits 30 ms (6 steps) longer than the one above, then comes from
    // off the left edge (even rows) or from x 800 (odd rows) to x 80.
    std::vector<int> slideStep(Rows().size(), -1);
    std::vector<float> slideFrom(Rows().size());
    // The step that ends the fade-in may already have moved the rows.
    const int done = static_cast<int>(Rows()[1]->Length[0] - Rows()[1]->Counter);
    for (int step = done; step <= 140; ++step) {
        if (step > done) Ticks(1);
        for (size_t n = 0; n < Rows().size(); ++n)
            if (slideStep[n] < 0 && Rows()[n]->CurrentPhase == 1) {
                slideStep[n] = step;
                slideFrom[n] = Rows()[n]->GetX();
            }
        if (step == 60) Frame("sliding");
        // The first rows have landed and flash green.
        if (step == 140) Frame("landing");
    }
    for (size_t n = 0; n < Rows().size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_FLOAT_EQ(Rows()[n]->StartX[1], n % 2 == 0 ? -640.0f : 800.0f);
        if (n == 0) {
            // The first row does not wait.
            EXPECT_LE(slideStep[0], std::max(done, 1));
        } else {
            EXPECT_EQ(slideStep[n], 6 * static_cast<int>(n));
            EXPECT_FLOAT_EQ(slideFrom[n], Rows()[n]->StartX[1]);
        }
        EXPECT_FLOAT_EQ(Rows()[n]->GetY(), 200.0f + 25.0f * static_cast<float>(n));
        EXPECT_EQ(std::static_pointer_cast<TKakuroHighScore>(Rows()[n]->AttachedObject), six->Entries[n]);
    }

    // Landed, then held: the hold ends with every row at rest under the titles.
    for (int k = 0; k < 400 && !AllLanded(); ++k) Ticks(1);
    ASSERT_TRUE(AllLanded());
    for (auto& row : Rows()) EXPECT_FLOAT_EQ(row->GetX(), 80.0f);
    Frame("landed");
}

TEST_F(HighScoreScreenTest, SizeButtonsSwitchAndRestartAndEveryVisitOpensOnSixBySix) {
    PlayModel().HighScoreTables.HighScores9x9->Insert("Nine", 30000, 1);
    OpenFromTitle();
    EXPECT_EQ(Screens.HighScoreScreen->HighScoreList, PlayModel().HighScoreTables.HighScores6x6);

    // The button of the table shown is lit, the others are not.
    auto lit = [&](const std::string& size) {
        auto button = Screens.HighScoreScreen->SizeMenu->FindButton(size);
        return button->image == button->ImageMouseOver;
    };
    EXPECT_TRUE(lit("6x6"));
    ClickButton(Screens.HighScoreScreen->SizeMenu, "9x9");
    EXPECT_EQ(Screens.HighScoreScreen->HighScoreList, PlayModel().HighScoreTables.HighScores9x9);
    EXPECT_EQ(std::static_pointer_cast<TKakuroHighScore>(Rows().front()->AttachedObject)->name, "Nine");
    EXPECT_TRUE(lit("9x9"));
    EXPECT_FALSE(lit("6x6"));
    for (int k = 0; k < 400 && !AllLanded(); ++k) Ticks(1);
    ASSERT_TRUE(AllLanded());

    // The same size again slides the rows in again.
    ClickButton(Screens.HighScoreScreen->SizeMenu, "9x9");
    EXPECT_EQ(Screens.HighScoreScreen->HighScoreList, PlayModel().HighScoreTables.HighScores9x9);
    EXPECT_TRUE(Rows().back()->Active);
    EXPECT_LT(Rows().back()->GetX(), 0.0f);

    // "ok" goes back to the title; the next visit is on 6x6 again, sliding in afresh.
    ClickButton(Screens.HighScoreScreen->Menu, "ok");
    Ticks(250);
    ASSERT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
    OpenFromTitle();
    EXPECT_EQ(Screens.HighScoreScreen->HighScoreList, PlayModel().HighScoreTables.HighScores6x6);
    EXPECT_TRUE(lit("6x6"));
    EXPECT_FALSE(lit("9x9"));
    EXPECT_TRUE(Rows().back()->Active);
    EXPECT_LT(Rows().back()->GetX(), 0.0f);

    // Escape goes back to the title as well.
    Press(vk::ESCAPE);
    Ticks(250);
    EXPECT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
}

TEST_F(HighScoreScreenTest, ClearingAsksFirstAndResetsOnlyTheShownTable) {
    auto seven = PlayModel().HighScoreTables.HighScores7x7;
    seven->Insert("Keep", 45000, 0);
    seven->Save();
    PlayModel().HighScoreTables.HighScores6x6->Insert("Other", 50000, 0);
    const std::string before = ReadBytes(seven->filepath);
    OpenFromTitle();
    ClickButton(Screens.HighScoreScreen->SizeMenu, "7x7");

    // Answered no with Escape: nothing changes and the screen stays.
    ClickButton(Screens.HighScoreScreen->Menu, "clear");
    ASSERT_TRUE(Screens.HighScoreScreen->ClearHighscore);
    Ticks(60);
    Frame("clear-question");
    EXPECT_EQ(Screens.HighScoreScreen->ShowingInput, 1);
    Press(vk::ESCAPE);
    Ticks(250);
    EXPECT_FALSE(Screens.HighScoreScreen->ClearHighscore);
    EXPECT_EQ(Screens.HighScoreScreen->ShowingInput, 0);
    EXPECT_EQ(Game->CurrentTScreen, Screens.HighScoreScreen);
    EXPECT_EQ(FirstName(seven), "Keep");
    EXPECT_EQ(ReadBytes(seven->filepath), before);

    // Answered yes: the shown table holds the ten placeholders again, on disk too,
    // and its rows slide in anew; the other tables keep their times.
    ClickButton(Screens.HighScoreScreen->Menu, "clear");
    ASSERT_TRUE(Screens.HighScoreScreen->ClearHighscore);
    Ticks(60);
    Press('Y');
    Ticks(100);
    EXPECT_FALSE(Screens.HighScoreScreen->ClearHighscore);
    ASSERT_EQ(seven->Count(), 10);
    for (auto& entry : seven->Entries) {
        EXPECT_EQ(entry->time, 5940000);
        EXPECT_EQ(entry->difficulty, 2);
    }
    EXPECT_EQ(FirstName(seven), Resources.GameText->FindString("Highscore Name 1"));
    EXPECT_EQ(ReadBytes(seven->filepath), EncodeHighScores(seven->Entries));
    EXPECT_EQ(std::static_pointer_cast<TKakuroHighScore>(Rows().front()->AttachedObject), seven->Entries.front());
    EXPECT_EQ(FirstName(PlayModel().HighScoreTables.HighScores6x6), "Other");

    // After the question Escape still leads back to the title.
    Ticks(10);
    Press(vk::ESCAPE);
    Ticks(250);
    EXPECT_EQ(Game->CurrentTScreen, Screens.TitleScreen);
}
