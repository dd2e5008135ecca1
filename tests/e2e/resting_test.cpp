// SPDX-License-Identifier: GPL-3.0-or-later
// The real program presents pictures at the display's pace while something on
// screen moves, and next to none while nothing does: paused, without the focus,
// hidden. Frames are counted, not processor time, so a loaded machine does not
// make the test fail; the picture on show stays the right one throughout.
#include "game_driver.h"

namespace {

using namespace e2e;

constexpr Point Nowhere{790, 10}, TitlePlay{400, 209}, SizeSixBySix{220, 252}, SetupPlay{167, 521},
    PauseButton{115, 113};
// The offscreen display has no refresh rate of its own: the game assumes 60 Hz.
constexpr double DisplayHz = 60;
// Moving pictures: at least a quarter of the display's rate even on a loaded
// machine or a sanitizer build, never more than the display shows.
constexpr double MovingAtLeast = DisplayHz / 4, AtMost = DisplayHz * 1.05;
// Nothing moving: a picture now and then at most.
constexpr double RestingAtMost = 1.0;
// A board shows its clock's seconds.
constexpr double ClockOnly = 1.6;
// Decoration settles three seconds after the last input and its glow takes up
// to two more to fade down.
constexpr auto SettledAfter = std::chrono::milliseconds(5500);

class Resting : public GameDriver {
protected:
    void SetUp() override {
        ShotPrefix = "rest-";
        GameDriver::SetUp();
    }

    long long Presented() {
        const fs::path file = scratch / ("frames-" + std::to_string(counts++));
        Send("frames " + file.string() + "\n");
        EXPECT_TRUE(WaitForFile(file));
        return std::atoll(ReadFile(file).c_str());
    }

    // Pictures presented per second of real time over about ms milliseconds.
    double Rate(int ms) {
        const long long before = Presented();
        const auto start = SteadyClock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        const long long after = Presented();
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        return static_cast<double>(after - before) / seconds;
    }

    int counts = 0;
};

TEST_F(Resting, PicturesFollowWhatMoves) {
    Launch();
    Send(Wait(700) + ClickAt(Nowhere) + Wait(500) + ClickAt(Nowhere) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title"));
    // The title's heading glows and sparkles rise from the pointer, still or
    // not, for a few seconds; then the picture settles and stays as it is.
    const double title = Rate(1500);
    EXPECT_GE(title, MovingAtLeast);
    EXPECT_LE(title, AtMost);
    std::this_thread::sleep_for(SettledAfter);
    ASSERT_TRUE(Shot("title-settled"));
    const fs::path settled = lastShot;
    EXPECT_LE(Rate(2000), RestingAtMost);
    ASSERT_TRUE(Shot("title-still-settled"));
    EXPECT_EQ(ReadFile(lastShot), ReadFile(settled)) << "the settled title changed";
    // The pointer moves: the glow and the sparkles take up again.
    Send(MoveTo({700, 300}));
    const double woken = Rate(1500);
    EXPECT_GE(woken, MovingAtLeast);
    EXPECT_LE(woken, AtMost);

    // A board: the logo above it glows.
    Send(ClickAt(TitlePlay) + Wait(ScreenChangeMs) + ClickAt(SizeSixBySix) + ClickAt(SetupPlay) + Wait(300));
    ASSERT_TRUE(Shot("generating"));
    Send(MoveTo(Nowhere) + Wait(3000));
    ASSERT_TRUE(Shot("board"));
    // Once the logo's glow has settled only the clock's second changes.
    std::this_thread::sleep_for(SettledAfter);
    EXPECT_LE(Rate(2000), ClockOnly);

    // Paused, nothing moves; a picture taken now is the one on show.
    Send(ClickAt(PauseButton) + MoveTo(Nowhere) + Wait(300));
    ASSERT_TRUE(Shot("paused"));
    const fs::path paused = lastShot;
    EXPECT_LE(Rate(2000), RestingAtMost);
    ASSERT_TRUE(Shot("paused-later"));
    EXPECT_EQ(ReadFile(lastShot), ReadFile(paused)) << "the picture changed while nothing moved";

    // The pointer still moves while paused, and each move shows.
    const long long beforeMoves = Presented();
    for (int k = 0; k < 5; ++k) Send(MoveTo({700, 100 + 40 * k}));
    Send(MoveTo(Nowhere));
    EXPECT_GE(Presented() - beforeMoves, 5);

    // Without the focus (full screen: that pauses the game too) and hidden.
    Send(std::string("focus out\n") + Wait(300));
    ASSERT_TRUE(Shot("unfocused"));
    EXPECT_LE(Rate(2000), RestingAtMost);
    Send(std::string("focus in\n") + Wait(300) + "hide\n" + Wait(300));
    EXPECT_LE(Rate(2000), RestingAtMost);
    // Shown again, the window gets its picture back although nothing changed.
    const long long hidden = Presented();
    Send(std::string("show\n") + Wait(300));
    ASSERT_TRUE(Shot("shown"));
    EXPECT_GE(Presented() - hidden, 1);
    EXPECT_EQ(ReadFile(lastShot), ReadFile(paused));

    // A click carries on, and the logo glows at full pace again.
    Send(ClickAt(Nowhere) + Wait(500));
    ASSERT_TRUE(Shot("playing"));
    const double playing = Rate(2000);
    EXPECT_GE(playing, MovingAtLeast);
    EXPECT_LE(playing, AtMost);

    // Resting as deeply as it can (paused and hidden), the game still ends
    // at once on a termination signal, in order.
    Send(ClickAt(PauseButton) + MoveTo(Nowhere) + "hide\n" + Wait(300));
    Presented();
    ASSERT_EQ(::kill(child, SIGTERM), 0);
    EXPECT_TRUE(WaitForExit());
}

}  // namespace
