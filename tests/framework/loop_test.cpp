// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/screen.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/input.h"
#include "test_support.h"

namespace vk = platform::vk;

namespace {
// Records the delta of every logic step instead of running one.
class StepRecorder : public TGame {
public:
    std::vector<float> deltas;
    int LogicWrapper() override {
        deltas.push_back(Delta);
        return 1;
    }
};

class CountingScreen : public TScreen {
public:
    int logic = 0;
    int killed = 0;
    int Logic() override {
        ++logic;
        return 0;
    }
    int Kill() override {
        ++killed;
        return TScreen::Kill();
    }
};
}  // namespace

class TimerTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        recorder = std::make_shared<StepRecorder>();
        Game = recorder;
        recorder->FixedRateLogic->JitterCorrection = 0;
        recorder->FixedRateLogic->Create();
        recorder->FixedRateLogic->Init();
    }
    std::vector<float> Frame(int ms) {
        Advance(ms);
        recorder->deltas.clear();
        EXPECT_EQ(recorder->MainLogicLoop(), 1);
        return recorder->deltas;
    }
    std::shared_ptr<StepRecorder> recorder;
};

TEST_F(TimerTest, StepsFollowElapsedTimeWithFractionAndCeiling) {
    auto steps = Frame(16);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_FLOAT_EQ(steps[0], 1.0f);
    EXPECT_FLOAT_EQ(steps[2], 1.0f);
    EXPECT_NEAR(steps[3], 0.2f, 1e-5);

    // A long stall is capped at 50 ms: ten whole steps, no catch-up burst.
    steps = Frame(200);
    EXPECT_EQ(steps.size(), 10u);
    for (float d : steps) EXPECT_FLOAT_EQ(d, 1.0f);

    // A frame with no elapsed time runs no step.
    EXPECT_TRUE(Frame(0).empty());

    // The history is used after the first frames; with jitter correction off it changes nothing.
    for (int i = 0; i < 8; ++i) Frame(10);
    EXPECT_EQ(Frame(10).size(), 2u);
}

TEST_F(TimerTest, AHiddenWindowsRareLongFramesLoseNoLogicTimeAndLeaveNoBurst) {
    // In the loop's order: jitter correction on, a frame counted, then the
    // window's state noted for the rest that follows. Without vsync every
    // frame's steps come from the average of the last ones.
    auto& logic = *recorder->FixedRateLogic;
    logic.JitterCorrection = 1;
    recorder->VSync = 0;
    logic.Init();
    double steps = 0, elapsed = 0;
    auto frame = [&](int ms, bool hiddenAfter) {
        Advance(ms);
        logic.Calc();
        logic.SetHidden(hiddenAfter);
        steps += logic.NumTicks;
        elapsed += ms;
        return logic.NumTicks;
    };
    for (int i = 0; i < 40; ++i) frame(16, false);
    const double startLag = elapsed / logic.MS - steps;
    EXPECT_NEAR(frame(16, true), 3.2, 1e-9);  // the window hides
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(frame(245, true), 49.0, 1e-9) << "hidden frame " << i;
    EXPECT_NEAR(frame(245, false), 49.0, 1e-9);  // shown again during the rest
    for (int i = 0; i < 60; ++i) EXPECT_NEAR(frame(16, false), 3.2, 1e-9) << "frame " << i << " after showing";
    EXPECT_NEAR(elapsed / logic.MS - steps, startLag, 1e-6) << "logic time lost";
    // Shown, a long frame is capped as before (seen without the averaging).
    logic.JitterCorrection = 0;
    EXPECT_NEAR(frame(245, false), 10.0, 1e-9);
}

TEST_F(TimerTest, NoTimingFastModeAndBackwardClock) {
    recorder->NoTiming = 1;
    recorder->NoTimingTicks = 3;
    EXPECT_EQ(Frame(1).size(), 3u);
    EXPECT_EQ(Frame(500).size(), 3u);
    recorder->NoTiming = 0;

    recorder->FastOn();
    EXPECT_EQ(Game->FlipSync, 0);
    auto steps = Frame(5000);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_FLOAT_EQ(steps[0], 1.0f);
    recorder->FastOff();
    EXPECT_EQ(Game->FlipSync, 1);

    recorder->FixedRateLogic->Init();
    EXPECT_EQ(Frame(16).size(), 4u);
    // The clock runs backwards: the previous frame's step count is reused.
    now -= 1000;
    recorder->deltas.clear();
    recorder->MainLogicLoop();
    EXPECT_EQ(recorder->deltas.size(), 4u);
    EXPECT_EQ(Frame(10).size(), 2u);
}

TEST_F(TimerTest, ClockWrapAndSlowMotion) {
    // Just below the 32-bit wrap the unsigned clock still runs forward.
    now = -20;
    recorder->FixedRateLogic->Init();
    EXPECT_EQ(Frame(10).size(), 2u);

    now = 5000;
    recorder->SlowMotionOn();
    EXPECT_FLOAT_EQ(recorder->FixedRateLogic->MS, 20.0f);
    EXPECT_FLOAT_EQ(recorder->CalcAnimLength(500), 100.0f);
    EXPECT_EQ(Frame(40).size(), 2u);
    recorder->SlowMotionOff();
    EXPECT_FLOAT_EQ(recorder->CalcAnimLength(500), 100.0f);
    EXPECT_EQ(recorder->CalcMilliSecsFromFrames(100), 500);
}

TEST_F(FrameworkTest, EveryKeyPressIsHeldForAStepOfItsOwnInTheOrderTyped) {
    // Presses and releases arriving in bursts, some between logic steps and
    // some queued together as after a stall or from a quick typist or a tool:
    // every press must be one hit, seen held in the step that reads it together
    // with every key held when it came (Alt of Alt+Enter, however soon after
    // the Enter it is let go), in the order typed; typed characters are not
    // held back; nothing is left over.
    std::mt19937 random(17);
    const int keys[] = {'1', '2', '3', vk::RETURN, vk::LMENU};
    constexpr int KeyKinds = 5;
    for (int round = 0; round < 3000; ++round) {
        FlushKeys();
        platform::ClearEvents();
        std::vector<int> presses;
        std::vector<std::vector<int>> heldWith;
        bool held[KeyKinds] = {};
        int characters = 0, typed = 0, step = 0;
        size_t next = 0;
        auto Step = [&] {
            Game->DoPeekEvent();
            while (GetChar()) ++typed;
            std::multiset<int> hit, expected;
            for (int key : keys) {
                if (Keys.KeyHits[key] == 0) continue;
                ASSERT_EQ(Keys.KeyHits[key], 1) << "round " << round << ", step " << step << ", key " << key;
                ASSERT_EQ(KeyDown(key), 1) << "round " << round << ", step " << step << ", key " << key;
                hit.insert(key);
                KeyHit(key);
            }
            for (size_t i = 0; i < hit.size() && next + i < presses.size(); ++i) {
                expected.insert(presses[next + i]);
                for (int with : heldWith[next + i])
                    ASSERT_EQ(KeyDown(with), 1) << "round " << round << ", step " << step << ", key " << with
                                                << " held with " << presses[next + i];
            }
            ASSERT_EQ(hit, expected) << "round " << round << ", step " << step;
            next += hit.size();
            ++step;
        };
        const int length = 1 + static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i) {
            const int k = static_cast<int>(random() % KeyKinds);
            if (held[k]) {
                platform::PostEvent({platform::EventKind::KeyUp, keys[k], 0, 0});
            } else {
                platform::PostEvent({platform::EventKind::KeyDown, keys[k], 0, 0});
                presses.push_back(keys[k]);
                heldWith.emplace_back();
                for (int other = 0; other < KeyKinds; ++other)
                    if (held[other]) heldWith.back().push_back(keys[other]);
            }
            held[k] = !held[k];
            if (random() % 3 == 0) {
                platform::PostEvent({platform::EventKind::KeyChar, 'a', 0, 0});
                ++characters;
            }
            if (random() % 4 == 0) {
                Step();
                if (HasFatalFailure()) return;
            }
        }
        for (int k = 0; k < KeyKinds; ++k)
            if (held[k]) platform::PostEvent({platform::EventKind::KeyUp, keys[k], 0, 0});
        platform::Event left;
        for (int more = 0; more < 100 && platform::PeekEvent(left); ++more) {
            Step();
            if (HasFatalFailure()) return;
        }
        ASSERT_EQ(typed, characters) << "round " << round;
        ASSERT_EQ(next, presses.size()) << "round " << round;
        ASSERT_FALSE(platform::PeekEvent(left)) << "round " << round;
        for (int key : keys) ASSERT_EQ(KeyDown(key), 0) << "round " << round;
    }
}

TEST_F(FrameworkTest, KeyTablesAndCharacterQueue) {
    // A press count of 2 (two presses nobody read): KeyHit sees it once, the
    // "any key" checks do not see it.
    Keys.KeyHits['A'] = 2;
    Keys.KeyHits['B'] = 1;
    EXPECT_EQ(FirstKeyHit(), 'B');
    EXPECT_EQ(AnyKeyHit(), 1);
    EXPECT_EQ(KeyHit('A'), 1);
    EXPECT_EQ(KeyHit('A'), 0);
    EXPECT_EQ(KeyHit('B'), 1);
    EXPECT_EQ(AnyKeyHit(), 0);
    EXPECT_EQ(FirstKeyHit(), -1);
    EXPECT_EQ(KeyHit(300), 0);
    EXPECT_EQ(KeyDown(-1), 0);

    platform::PostEvent({platform::EventKind::KeyDown, vk::LEFT, 0, 0});
    Game->DoPeekEvent();
    EXPECT_EQ(KeyDown(vk::LEFT), 1);
    ClearKey(vk::LEFT);
    EXPECT_EQ(KeyDown(vk::LEFT), 0);

    for (int i = 0; i < 300; ++i) platform::PostEvent({platform::EventKind::KeyChar, 'a' + i % 26, 0, 0});
    Game->DoPeekEvent();
    int count = 0;
    int first = GetChar();
    ++count;
    while (GetChar() != 0) ++count;
    EXPECT_EQ(first, 'a');
    EXPECT_EQ(count, 256);
    // Once read, the queue takes characters again and wraps around its ring.
    QueueChar('z');
    EXPECT_EQ(GetChar(), 'z');
    EXPECT_EQ(GetChar(), 0);

    platform::PostEvent({platform::EventKind::MouseMove, 0, 123, 45});
    platform::PostEvent({platform::EventKind::MouseDown, 1, 0, 0});
    platform::PostEvent({platform::EventKind::MouseWheel, -2, 0, 0});
    Game->DoPeekEvent();
    EXPECT_EQ(Game->Mouse->x, 123);
    EXPECT_EQ(Game->Mouse->y, 45);
    EXPECT_EQ(Game->Mouse->mb, 1);
    EXPECT_EQ(Game->Mouse->z, -2);
    EXPECT_EQ(Game->Mouse->GetMh(1), 1);
    EXPECT_EQ(Game->Mouse->GetMh(0), 0);
    FlushInput();
    EXPECT_EQ(Game->Mouse->mb, 0);
}

class EscapeTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        screen = std::make_shared<CountingScreen>();
        screen->name = "title";
        Game->CurrentTScreen = screen;
    }
    int Step() {
        Advance(5);
        return Game->LogicWrapper();
    }
    std::shared_ptr<CountingScreen> screen;
};

TEST_F(EscapeTest, EscapeEndsFadeInThenStartsExitFade) {
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    ASSERT_TRUE(Game->Fading());
    Press(vk::ESCAPE);
    Step();
    EXPECT_FALSE(Game->Fading());
    EXPECT_EQ(Game->GameFade->FadeInAborted, 1);
    EXPECT_EQ(Game->GameFade->AbortKey, 0);
    EXPECT_FLOAT_EQ(Game->GameFade->Ratio, 1.0f);
    EXPECT_EQ(Game->DestinationTScreen, nullptr);

    Press(vk::ESCAPE);
    Step();
    EXPECT_TRUE(Game->Fading());
    EXPECT_EQ(Game->GameFade->Out, 1);
    EXPECT_EQ(Game->DestinationTScreen, Game->ExitScreen);

    // The fade runs its 100 steps, then the screen is killed and the program ends.
    int result = 1;
    for (int i = 0; i < 200 && result != -1; ++i) result = Step();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(screen->killed, 1);
    EXPECT_EQ(Game->CurrentTScreen, Game->ExitScreen);
    EXPECT_EQ(Game->LastTScreen, screen);
}

TEST_F(EscapeTest, EscapeWhilePausedOnlyResumesAndIgnoredEscapeReachesScreen) {
    Game->Paused = 1;
    Press(vk::ESCAPE);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(Game->Paused, 0);
    EXPECT_FALSE(Game->Fading());

    Game->IgnoreEscapeKey = 1;
    Press(vk::ESCAPE);
    Step();
    EXPECT_FALSE(Game->Fading());
    EXPECT_EQ(KeyHit(vk::ESCAPE), 1);

    // P pauses; a paused step freezes the screen's logic; a click resumes.
    int before = screen->logic;
    Press('P');
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(Game->Paused, 1);
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(screen->logic, before);
    platform::PostEvent({platform::EventKind::MouseDown, 1, 0, 0});
    platform::PostEvent({platform::EventKind::MouseUp, 1, 0, 0});
    Step();
    EXPECT_EQ(Game->Paused, 0);
}

TEST_F(EscapeTest, AltEnterTogglesFullScreenAndCloseRequests) {
    Game->FullScreen = 0;
    Game->Display->GraphicsCreate();
    ASSERT_FALSE(display->fullScreen);
    platform::PostEvent({platform::EventKind::KeyDown, vk::LMENU, 0, 0});
    platform::PostEvent({platform::EventKind::KeyDown, vk::RETURN, 0, 0});
    Step();
    EXPECT_EQ(Game->FullScreen, 1);
    EXPECT_TRUE(display->fullScreen);
    EXPECT_EQ(KeyDown(vk::RETURN), 0);

    // Closing the window with the exit fade: the program ends once the fade is done.
    platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    EXPECT_EQ(Step(), 1);
    EXPECT_TRUE(Game->Fading());
    int result = 1;
    int steps = 0;
    while (result != -1 && steps < 500) result = Step(), ++steps;
    EXPECT_EQ(result, -1);
    EXPECT_GE(steps, 99);

    // Without the exit fade the close ends the program in the same step.
    Game->InstantExit = 0;
    Game->FadeOnExit = 0;
    platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
    EXPECT_EQ(Step(), -1);
}

TEST_F(EscapeTest, CloseRequestDuringAnyFadeEndsTheProgram) {
    auto other = std::make_shared<CountingScreen>();
    for (int out : {0, 1}) {
        Game->InstantExit = 0;
        Game->DestinationTScreen = out ? other : nullptr;
        Game->CurrentTScreen = screen;
        Game->GameFade->Init(FadeTime, out, nullptr, 0, 0, nullptr);
        ASSERT_TRUE(Game->Fading());
        platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
        int result = 1;
        int steps = 0;
        while (result != -1 && steps < 500) result = Step(), ++steps;
        EXPECT_EQ(result, -1) << (out ? "during a fade-out" : "during a fade-in");
        EXPECT_EQ(Game->CurrentTScreen, Game->ExitScreen);
        Game->GameFade->Finish();
    }
}

TEST_F(EscapeTest, CloseRequestEndsTheGameInEveryState) {
    // Running, the close fades out first (FadeTime is 100 steps); paused or in
    // the background no step runs that could fade, so it ends at once.
    // Frames slower than the logic counts (a step of 100 ms) still end it
    // after the fade's real length, leaving time for the shut-down.
    struct Case {
        const char* what;
        int paused, suspended, fullScreen, fadeIn, msPerStep, maxSteps;
    } cases[] = {
        {"running", 0, 0, 0, 0, 5, 101},
        {"fading in", 0, 0, 0, 1, 5, 101},
        {"running on slow frames", 0, 0, 0, 0, 100, 8},
        {"paused", 1, 0, 0, 0, 5, 1},
        {"in the background", 0, 1, 0, 0, 5, 1},
        {"paused by the focus loss in full screen", 0, 1, 1, 0, 5, 1},
        {"paused and fading in", 1, 0, 0, 1, 5, 1},
    };
    for (const Case& c : cases) {
        Game->InstantExit = 0;
        Game->Paused = 0;
        Game->Suspended = Game->SuspendedEvent = 0;
        Game->FullScreen = c.fullScreen;
        Game->PauseOnLossOfFullScreenFocus = 1;
        Game->CurrentTScreen = screen;
        Game->DestinationTScreen = nullptr;
        Game->GameFade->Finish();
        if (c.fadeIn) Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
        if (c.paused) Game->TogglePause();
        if (c.suspended) {
            display->foreground = false;
            platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
            Step();
            ASSERT_EQ(Game->Suspended, 1) << c.what;
            ASSERT_EQ(Game->Paused, c.fullScreen) << c.what;
        }
        platform::PostEvent({platform::EventKind::AppTerminate, 0, 0, 0});
        int result = 1, steps = 0;
        while (result != -1 && steps < 1000) {
            Advance(c.msPerStep);
            result = Game->LogicWrapper();
            ++steps;
        }
        EXPECT_EQ(result, -1) << c.what;
        EXPECT_LE(steps, c.maxSteps) << c.what;
        display->foreground = true;
    }
}

TEST_F(EscapeTest, ScreenSaverWaitsOnlyWhileAScreenIsInPlay) {
    class PlayScreen : public CountingScreen {
    public:
        int KeepAwake() override { return 1; }
    };
    auto play = std::make_shared<PlayScreen>();
    // A step or two later: nobody notices 10 ms.
    auto Steps = [this](int n) {
        for (int i = 0; i < n; ++i) Step();
    };
    Steps(2);
    EXPECT_TRUE(display->screenSaverAllowed) << "on a screen nobody plays";
    Game->CurrentTScreen = play;
    Steps(2);
    EXPECT_FALSE(display->screenSaverAllowed) << "in play";
    Press('P');
    Steps(2);
    EXPECT_TRUE(display->screenSaverAllowed) << "paused";
    Press('P');
    Steps(2);
    EXPECT_FALSE(display->screenSaverAllowed) << "playing again";
    Game->FullScreen = 0;
    display->foreground = false;
    platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
    Steps(2);
    EXPECT_TRUE(display->screenSaverAllowed) << "in the background";
    display->foreground = true;
    platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
    Steps(2);
    EXPECT_FALSE(display->screenSaverAllowed) << "back in front";
    Game->CurrentTScreen = screen;
    Steps(2);
    EXPECT_TRUE(display->screenSaverAllowed) << "back on a screen nobody plays";
}

TEST_F(EscapeTest, FocusLossSuspendsOrPausesByMode) {
    // Windowed: music and speech go off while inactive and come back after.
    Game->FullScreen = 0;
    Game->PauseOnLossOfFullScreenFocus = 1;
    Game->Audio->MusicRestart = 0;  // a tune has been started
    platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
    display->foreground = false;
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(Game->Suspended, 1);
    EXPECT_EQ(Game->Paused, 0);
    EXPECT_EQ(Game->Music, 0);
    platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
    display->foreground = true;
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(Game->Suspended, 0);
    EXPECT_EQ(Game->Music, 1);

    // Full screen: the game pauses and stays paused after the window is back.
    Game->FullScreen = 1;
    platform::PostEvent({platform::EventKind::AppSuspend, 0, 0, 0});
    Step();
    EXPECT_EQ(Game->Paused, 1);
    platform::PostEvent({platform::EventKind::AppResume, 0, 0, 0});
    EXPECT_EQ(Step(), 0);
    EXPECT_EQ(Game->Suspended, 0);
    EXPECT_EQ(Game->Paused, 1);
}

TEST_F(EscapeTest, SwitchWithoutDestinationStops) {
    Game->GameFade->Init(FadeTime, 1, nullptr, 1, 0, nullptr);
    Game->GameFade->Finish();
    EXPECT_THROW(
        {
            try {
                Game->ScreenChange();
            } catch (const RuntimeError& e) {
                EXPECT_STREQ(e.what(), "Screen 'title' does not have a destination screen set!");
                throw;
            }
        },
        RuntimeError);

    // With fades off a switch happens within the step that asked for it.
    auto next = std::make_shared<CountingScreen>();
    Game->Fade = 0;
    Game->DestinationTScreen = next;
    Game->GameFade->Init(FadeTime, 1, nullptr, 1, 0, nullptr);
    Step();
    EXPECT_EQ(Game->CurrentTScreen, next);
    EXPECT_EQ(next->logic, 1);
}
