// SPDX-License-Identifier: GPL-3.0-or-later
// A close request ends the game whatever it is doing, the making of a new
// puzzle included: from the moment Play is pressed on the setup screen until
// the board is there, the overlay fades in, the puzzle is made and the screen
// fades over to the board, and a close at any of those moments must not be
// swallowed by the switch to the board.
#include <csignal>

#include "game_driver.h"

namespace {

using namespace e2e;

constexpr Point Nowhere{790, 10}, TitlePlay{400, 209}, SizeFourteen{220, 446}, SetupPlay{167, 521};

class CloseWhileMaking : public GameDriver {
protected:
    void SetUp() override {
        ShotPrefix = "close-";
        GameDriver::SetUp();
    }

    // To the setup screen, then Play; `afterMs` later the close arrives, by the
    // close box or by SIGTERM.
    void CloseAfterPlay(int afterMs, bool signal) {
        Launch();
        Send(Wait(700) + ClickAt(Nowhere) + Wait(500) + ClickAt(Nowhere) + Wait(ScreenChangeMs) + ClickAt(TitlePlay) +
             Wait(ScreenChangeMs) + ClickAt(SizeFourteen));
        ASSERT_TRUE(Shot("setup"));
        if (signal) {
            // The picture taken after the wait is the game's sign that the time has come.
            Send(ClickAt(SetupPlay) + Wait(afterMs));
            ASSERT_TRUE(Shot("signal-" + std::to_string(afterMs)));
            ASSERT_EQ(::kill(child, SIGTERM), 0);
        } else {
            Send(ClickAt(SetupPlay) + Wait(afterMs) + "close\n");
        }
        ASSERT_TRUE(WaitForExit()) << "closed " << afterMs << " ms after Play";
        // An orderly end, and the new puzzle the player never saw is not kept
        // in place of what they had (here: nothing).
        EXPECT_TRUE(fs::exists(shared / "goodexit.dat"));
        for (const auto& entry : fs::recursive_directory_iterator(shared))
            EXPECT_NE(entry.path().filename(), "autosave.sav") << "closed " << afterMs << " ms after Play";
    }
};

TEST_F(CloseWhileMaking, CloseBoxWhileTheOverlayFadesIn) { CloseAfterPlay(300, false); }
TEST_F(CloseWhileMaking, CloseBoxWhileFadingToTheBoard) { CloseAfterPlay(750, false); }
TEST_F(CloseWhileMaking, SignalWhileTheOverlayFadesIn) { CloseAfterPlay(250, true); }

}  // namespace
