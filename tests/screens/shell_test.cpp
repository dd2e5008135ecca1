// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include "framework/core/globals.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "game/screens/widgets.h"
#include "scratch_dir.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"

namespace fs = std::filesystem;

TEST(PointInTriangle, StrictInsideInEitherOrientation) {
    // The lower-left half of a clue cell centred at (100, 100).
    EXPECT_EQ(PointInTriangle(90, 110, 84, 84, 84, 116, 116, 116), 1);
    EXPECT_EQ(PointInTriangle(110, 90, 84, 84, 84, 116, 116, 116), 0);
    // Same corners listed the other way round.
    EXPECT_EQ(PointInTriangle(90, 110, 116, 116, 84, 116, 84, 84), 1);
    // On the diagonal, on an edge and on a corner: outside both halves.
    for (float d : {84.0f, 90.0f, 100.0f, 115.0f}) {
        EXPECT_EQ(PointInTriangle(d, d, 84, 84, 84, 116, 116, 116), 0) << d;
        EXPECT_EQ(PointInTriangle(d, d, 84, 84, 116, 84, 116, 116), 0) << d;
    }
    EXPECT_EQ(PointInTriangle(84, 100, 84, 84, 84, 116, 116, 116), 0);
    // A triangle without area holds no point.
    EXPECT_EQ(PointInTriangle(1, 1, 0, 0, 1, 1, 2, 2), 0);
}

TEST(FormatMinutesSeconds, MinutesAndSeconds) {
    EXPECT_EQ(FormatMinutesSeconds(0), "00:00");
    EXPECT_EQ(FormatMinutesSeconds(59999), "00:59");
    EXPECT_EQ(FormatMinutesSeconds(60000), "01:00");
    EXPECT_EQ(FormatMinutesSeconds(5999999), "99:59");
    // Long games keep their full minutes instead of wrapping to a short time.
    EXPECT_EQ(FormatMinutesSeconds(6000000), "100:00");
    EXPECT_EQ(FormatMinutesSeconds(60 * 60000 * 10 + 5000), "600:05");
    EXPECT_EQ(FormatMinutesSeconds(-5000), "00:00");
}

TEST(MessageLineTops, BottomAlignedAndTopAligned) {
    EXPECT_EQ(MessageLineTops("one\r\ntwo", 565, 1), (std::vector<float>{540, 565}));
    EXPECT_EQ(MessageLineTops("one\ntwo\nthree", 100, 0), (std::vector<float>{100, 125, 150}));
    EXPECT_EQ(MessageLineTops("single", 565, 1), (std::vector<float>{565}));
    EXPECT_TRUE(MessageLineTops("", 565, 1).empty());
}

class CountingScreen : public TScreen {
public:
    int logic = 0;
    int Logic() override { return ++logic; }
};

class ShellTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        auto game = std::make_shared<TVellacorGame>();
        game->FixedRateLogic->Create();
        game->FixedRateLogic->Init();
        Game = game;
        screen = std::make_shared<CountingScreen>();
        Game->CurrentTScreen = screen;
        Game->StartTime = now;
        PlayModel().Puzzle = TPuzzleState{};
    }
    std::shared_ptr<CountingScreen> screen;
};

TEST_F(ShellTest, PausedGameTicksOnlyDuringTheFirstFiveSeconds) {
    Game->Paused = 1;
    Advance(1000);
    EXPECT_EQ(Game->LogicWrapper(), 1);
    EXPECT_EQ(screen->logic, 1);
    Advance(4500);
    EXPECT_EQ(Game->LogicWrapper(), 0);
    EXPECT_EQ(screen->logic, 1);
    Game->Paused = 0;
    EXPECT_EQ(Game->LogicWrapper(), 1);
    EXPECT_EQ(screen->logic, 2);
}

TEST_F(ShellTest, FadeWithoutAnimationStopsScreenLogic) {
    Advance(6000);
    Game->GameFade->Init(500, 1, nullptr, 0, 0, nullptr);
    EXPECT_EQ(Game->LogicWrapper(), 1);
    EXPECT_EQ(screen->logic, 0);
    Game->GameFade->Active = 0;
    Game->GameFade->Init(500, 1, nullptr, 1, 0, nullptr);
    Game->LogicWrapper();
    EXPECT_EQ(screen->logic, 1);
}

TEST_F(ShellTest, InstantExitEndsTheLoop) {
    Game->InstantExit = 1;
    EXPECT_EQ(Game->LogicWrapper(), -1);
    EXPECT_EQ(screen->logic, 0);
}

TEST_F(ShellTest, TimerTextFreezesWhileStopped) {
    StartPuzzleTimer();
    Advance(61000);
    EXPECT_EQ(PuzzleTimerText(), "01:01");
    StopPuzzleTimer();
    Advance(120000);
    EXPECT_EQ(PuzzleTimerText(), "01:01");
    StartPuzzleTimer();
    Advance(2000);
    EXPECT_EQ(PuzzleTimerText(), "00:02");
}

TEST(ButtonPictures, TogglesAndRadios) {
    EXPECT_EQ(TogglePictures("timer", 1).Normal, "timerOn");
    EXPECT_EQ(TogglePictures("timer", 1).MouseOver, "timerOnMO");
    EXPECT_EQ(TogglePictures("timer", 0).Normal, "timer");
    EXPECT_EQ(TogglePictures("timer", 0).MouseOver, "timerMO");
    // The selected radio is matched without regard to case.
    EXPECT_EQ(RadioPictures("size9", "SIZE9", 1).Normal, "size9On");
    EXPECT_EQ(RadioPictures("size9", "SIZE9", 1).MouseOver, "size9OnMO");
    EXPECT_EQ(RadioPictures("size9", "size9", 0).MouseOver, "size9MO");
    EXPECT_EQ(RadioPictures("size7", "size9", 1).Normal, "size7");
    EXPECT_EQ(RadioPictures("size7", "size9", 1).MouseOver, "size7MO");
}

TEST(WheelStep, PlayCyclesDigitsCustomTogglesTools) {
    EXPECT_EQ(TGameScreen::WheelStep(9, 1, 0), 0);
    EXPECT_EQ(TGameScreen::WheelStep(0, -1, 0), 9);
    EXPECT_EQ(TGameScreen::WheelStep(4, 1, 0), 5);
    // Typing a puzzle in: only the eraser (0) and the clue tool (10).
    EXPECT_EQ(TGameScreen::WheelStep(0, 1, 1), 10);
    EXPECT_EQ(TGameScreen::WheelStep(10, 1, 1), 0);
    EXPECT_EQ(TGameScreen::WheelStep(10, -1, 1), 0);
    EXPECT_EQ(TGameScreen::WheelStep(0, -1, 1), 10);
}

TEST_F(ShellTest, PauseKeepsItsTimeOutOfThePuzzleClock) {
    TGameScreen screen;
    StartPuzzleTimer();
    Advance(30000);
    Game->Paused = 1;
    screen.FreezeTimer();
    Advance(600000);
    EXPECT_EQ(PuzzleTimerText(), "00:30");
    Game->Paused = 0;
    screen.FreezeTimer();
    Advance(5000);
    EXPECT_EQ(PuzzleTimerText(), "00:35");
    // A suspended window freezes it the same way.
    Game->Suspended = 1;
    screen.FreezeTimer();
    Advance(90000);
    Game->Suspended = 0;
    screen.FreezeTimer();
    EXPECT_EQ(PuzzleTimerText(), "00:35");
}

TEST_F(ShellTest, SplashLeavesOnlyACloseRequestBehind) {
    TSplashScreen splash;
    // The click and key that cut the splash short were meant for it alone.
    platform::PostEvent({platform::EventKind::MouseDown, 1, 400, 300});
    platform::PostEvent({platform::EventKind::KeyDown, 'A', 0, 0});
    platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    platform::PostEvent({platform::EventKind::MouseUp, 1, 400, 300});
    splash.CleanUp();
    platform::Event event;
    ASSERT_TRUE(platform::TakeEvent(event));
    EXPECT_EQ(event.kind, platform::EventKind::AppTerminate);
    EXPECT_FALSE(platform::TakeEvent(event));

    platform::PostEvent({platform::EventKind::KeyDown, 'A', 0, 0});
    splash.CleanUp();
    EXPECT_FALSE(platform::TakeEvent(event));
}

TEST_F(ShellTest, StartUpSplashFadesPictureAndSoundTogetherInFourSeconds) {
    const fs::path data = fs::path(TALLYFOLD_BIN_DIR) / "data";
    if (!fs::exists(data / "graphics" / "splash.png") || !fs::exists(data / "sound" / "splash.wav"))
        GTEST_SKIP() << "the build has not made the splash";
    Game->ImagePath = (data / "graphics").string() + "/";
    Game->SoundPath = (data / "sound").string() + "/";
    Game->SoundVolume = 100;
    TSplashScreen splash;
    SetUpStartUpSplash(splash, 1);
    // Time runs on as the splash reads the clock; the volume is sampled as it goes.
    const int start = now;
    std::vector<std::pair<int, float>> volume;
    platform::SetMilliSecsSource([&] {
        now += 2;
        if (splash.Channel) volume.emplace_back(now - start, splash.Channel->Volume());
        return now;
    });
    EXPECT_EQ(splash.DoSplash(), 0);
    EXPECT_NEAR(now - start, 1250 + 1500 + 1250, 40);
    ASSERT_GT(volume.size(), 100u);
    float loudest = 0, biggestStep = 0, previous = volume.front().second;
    for (const auto& [at, v] : volume) {
        // Silent at first, full during the hold, silent again at the end, and
        // never a jump: the sound fades in and out with the picture.
        if (at < 40 || at > 3970) {
            EXPECT_LT(v, 0.06f) << at << " ms";
        } else if (at > 1300 && at < 2700) {
            EXPECT_NEAR(v, 1.0f, 0.01f) << at << " ms";
        } else if ((at > 600 && at < 650) || (at > 3350 && at < 3400)) {
            EXPECT_NEAR(v, 0.5f, 0.05f) << at << " ms";
        }
        loudest = std::max(loudest, v);
        biggestStep = std::max(biggestStep, std::abs(v - previous));
        previous = v;
    }
    EXPECT_FLOAT_EQ(loudest, 1.0f);
    EXPECT_LT(biggestStep, 0.02f);
}

TEST_F(ShellTest, WelcomePageOpensOnlyWhenAskedAndExitOpensNothing) {
    ScratchDir dir;
    Game->TextPath = dir.Folder();
    Game->Paths->SubPath = dir.Folder();
    // No page shipped, or the flag clear: nothing is opened.
    EXPECT_EQ(OpenGetStartedPage(1), 0);
    WriteBytes(dir / GetStartedPage, "<html></html>");
    EXPECT_EQ(OpenGetStartedPage(0), 0);
    // In full screen the game steps aside for the browser without closing its
    // window or saving a windowed mode; the test run never reaches a browser.
    Game->FullScreen = 1;
    display->open = true;
    EXPECT_EQ(OpenGetStartedPage(1), 0);
    EXPECT_TRUE(display->open);
    EXPECT_EQ(display->minimised, 1);
    EXPECT_EQ(Game->FullScreen, 1);

    // A start that failed before the options were read writes no options file.
    PlayModel().ResetGameOptions();
    Resources.GameIni = std::make_shared<TIniFile>();
    Game->ShutDownHook();
    EXPECT_FALSE(fs::exists(dir / "config.ini"));

    // The first exit opens nothing (the window stays as it was) and records the run.
    PlayModel().LoadGameOptions();
    ASSERT_EQ(PlayModel().Options.FirstRun, 1);
    display->minimised = 0;
    testing::internal::CaptureStderr();
    Game->ShutDownHook();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("not opening"), std::string::npos);
    EXPECT_EQ(display->minimised, 0);
    EXPECT_EQ(PlayModel().Options.FirstRun, 0);
    EXPECT_NE(ReadBytes(dir / "config.ini").find("FIRSTRUN=0"), std::string::npos);
    PlayModel().ResetGameOptions();
    PlayModel().LoadGameOptions();
    EXPECT_EQ(PlayModel().Options.FirstRun, 0);
    Resources.GameIni.reset();
    PlayModel().ResetGameOptions();
}
