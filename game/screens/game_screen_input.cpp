// SPDX-License-Identifier: GPL-3.0-or-later
// The play screen's keys, number buttons and mouse wheel.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include <algorithm>
#include <cstdlib>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/widgets/button.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/screens/cells.h"
#include "game/screens/generate_screen.h"
#include "game/screens/screens.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

namespace {
bool HeldDown(int key) { return KeyDown(key) != 0; }
bool CtrlHeld() { return HeldDown(vk::LCONTROL) || HeldDown(vk::RCONTROL) || HeldDown(vk::CONTROL); }
bool ShiftHeld() { return HeldDown(vk::LSHIFT) || HeldDown(vk::RSHIFT) || HeldDown(vk::SHIFT); }
}  // namespace

void TGameScreen::BoardKeys(int act) {
    // Every hit is read each step, used or not, so that a key pressed while a
    // dialog was open or the cursor hidden does not act on the board later.
    const bool ctrl = CtrlHeld(), shift = ShiftHeld();
    const int undo = KeyHit('Z'), redo = KeyHit('Y');
    int moves[6] = {};
    const int moveKeys[6] = {vk::LEFT, vk::RIGHT, vk::UP, vk::DOWN, vk::HOME, vk::END};
    for (int k = 0; k < 6; ++k) moves[k] = KeyHit(moveKeys[k]);

    int digit = 0;
    for (int d = 1; d <= 9; ++d)
        if ((KeyHit('0' + d) | KeyHit(vk::NUMPAD0 + d)) != 0) digit = d;
    const int erase = KeyHit('0') | KeyHit(vk::NUMPAD0) | KeyHit(vk::DELETE_) | KeyHit(vk::BACK);
    const int use = KeyHit(vk::RETURN) | KeyHit(vk::SPACE);
    if (!act) return;

    if (ctrl && undo && !shift) Undo();
    if (ctrl && ((undo && shift) || redo)) Redo();
    // Typing a puzzle in has its clue cells undone too, but no cursor.
    if (PlayModel().Puzzle.CustomMode) return;
    for (int k = 0; k < 6; ++k)
        if (moves[k]) {
            MoveCursor(moveKeys[k]);
            DropFocus();
        }
    // A key pressed and released within one step is never seen held; its hit
    // still chooses the tool.
    if (digit || erase) {
        Screens.Board.SelectedNumber = digit ? digit : 0;
        RadioSelect(NumberMenu, std::to_string(Screens.Board.SelectedNumber), 0);
    }
    if (!Screens.Board.CursorShown || ctrl) return;
    const int x = Screens.Board.CursorX, y = Screens.Board.CursorY;
    if (digit) UseToolOnCell(x, y, digit, shift ? 0 : 1, shift ? 1 : 0);
    if (erase) UseToolOnCell(x, y, 0, 1, 0);
    if (use) UseToolOnCell(x, y, Screens.Board.SelectedNumber, 1, 0);
}

void TGameScreen::HoldClockWhileBoardHidden() {
    if (!Screens.CellList->Settled() && (AnyKeyHit() || Game->Mouse->GetMh(0))) {
        Screens.CellList->SettleNow();
        // A key then acts on the landed board as ever (Escape still leaves); a
        // click only lands it, since it was aimed at cells still on their way.
        Game->Mouse->ClearMouseHit();
    }
    auto& puzzle = PlayModel().Puzzle;
    const bool hidden = !Screens.CellList->Settled() || ShowingInput || GenerateScreen->Active;
    if (!hidden || puzzle.TimerStop != 0 || puzzle.PuzzleCompleted) {
        HeldClockMs = -1;
        return;
    }
    const int now = platform::MilliSecs();
    if (HeldClockMs < 0) HeldClockMs = std::max(0, now - puzzle.TimerStart);
    puzzle.TimerStart = now - HeldClockMs;
}

int TGameScreen::WheelStep(int selected, int step, int customMode) {
    int n = selected + step;
    if (customMode) {
        if (n > 0 && n < 10) return step > 0 ? 10 : 0;
        if (n > 10) return 0;
        if (n < 0) return 10;
        return n;
    }
    if (n > 9) return 0;
    if (n < 0) return 9;
    return n;
}

void TGameScreen::SelectNumbers() {
    const int custom = PlayModel().Puzzle.CustomMode;
    auto visible = [&] { return custom ? CustomNumberMenu : NumberMenu; };
    auto select = [&](int n, const std::shared_ptr<TMenu>& menu) {
        Screens.Board.SelectedNumber = n;
        RadioSelect(menu, std::to_string(n), 0);
    };
    if (NumberMenu->Clicked("0") || CustomNumberMenu->Clicked("0") || HeldDown('0') || HeldDown(vk::NUMPAD0) ||
        HeldDown(vk::DELETE_) || HeldDown(vk::BACK))
        select(0, visible());
    for (int d = 1; d <= 9; ++d)
        if (NumberMenu->Clicked(std::to_string(d)) || HeldDown('0' + d) || HeldDown(vk::NUMPAD0 + d))
            select(d, NumberMenu);
    // The clue tool exists only while a puzzle is typed in; in play its key
    // would pick a tool that no button shows and no click can use.
    if (NumberMenu->Clicked("10") || CustomNumberMenu->Clicked("10") || (custom && HeldDown('X')))
        select(10, visible());

    // Page Up and Page Down (a gamepad's shoulder buttons) step through the
    // digits as the wheel does.
    const int before = KeyHit(vk::PRIOR), after = KeyHit(vk::NEXT);
    if (before != after) select(WheelStep(Screens.Board.SelectedNumber, after ? 1 : -1, custom), visible());

    const int z = Game->Mouse->z;
    if (z != LastMouseZ) {
        // One step for every notch the wheel turned, however many arrive at once.
        const int step = z < LastMouseZ ? 1 : -1;
        for (int notches = std::abs(z - LastMouseZ); notches > 0; --notches)
            Screens.Board.SelectedNumber = WheelStep(Screens.Board.SelectedNumber, step, custom);
        LastMouseZ = z;
        RadioSelect(visible(), std::to_string(Screens.Board.SelectedNumber), 0);
    }
}
