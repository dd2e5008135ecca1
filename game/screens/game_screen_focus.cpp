// SPDX-License-Identifier: GPL-3.0-or-later
// The board screen's buttons by keyboard: Tab and Shift+Tab walk a frame
// through them and Enter or Space presses the framed one. The arrows stay the
// board cursor's, so the frame never moves with them; moving the cursor puts
// the frame away, and Enter then acts on the cell again.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "game/core/core.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/generate_screen.h"

void TGameScreen::BuildFocusRing() {
    Focus = TFocusRing::Create();
    Focus->UseLeftRight = 0;
    Focus->UseUpDown = 0;
    auto custom = [] { return PlayModel().Puzzle.CustomMode != 0; };
    auto completed = [] { return PlayModel().Puzzle.PuzzleCompleted != 0; };
    // In the order a reader meets them: the end panel when it is up, the left
    // column top to bottom, the code line, then the digit column.
    FocusEndMenu = endLevelMenu ? endLevelMenu->Menu.get() : nullptr;
    if (endLevelMenu && endLevelMenu->Menu) {
        auto panel = endLevelMenu;
        Focus->AddMenu(endLevelMenu->Menu, [panel, completed] { return completed() && panel->Show; });
    }
    Focus->AddMenu(MainMenu, [custom] { return !custom(); });
    Focus->AddMenu(PuzzleMenu, [custom, completed] { return !custom() && !completed(); });
    Focus->AddMenu(CustomPuzzleMenu, custom);
    Focus->AddMenu(ShareMenu, [custom] { return !custom(); });
    Focus->AddMenu(NumberMenu, [custom, completed] { return !custom() && !completed(); });
    Focus->AddMenu(CustomNumberMenu, custom);
}

void TGameScreen::ManageFocus() {
    // The end panel's menu is made anew when the puzzle is solved.
    if (!Focus || (endLevelMenu && endLevelMenu->Menu.get() != FocusEndMenu)) BuildFocusRing();
    // Under a question or the generating overlay the frame goes away with the
    // buttons it could reach.
    if (ShowingInput || GenerateScreen->Active) return;
    Focus->Manage();
}

void TGameScreen::DropFocus() {
    if (Focus) Focus->SetFocus(-1);
}
