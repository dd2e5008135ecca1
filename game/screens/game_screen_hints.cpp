// SPDX-License-Identifier: GPL-3.0-or-later
// The play screen's side of the hint ladder: H and the "Explain a Step" aid climb
// it, Escape and other actions put it away.
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/widgets/button.h"
#include "framework/widgets/pointer.h"
#include "game/core/hint_ladder.h"
#include "game/screens/cells.h"
#include "game/screens/game_screen.h"
#include "game/screens/hint_panel.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "tallyfold/platform/input.h"

namespace vk = platform::vk;

namespace {
bool HeldDown(int key) { return KeyDown(key) != 0; }
}  // namespace

void TGameScreen::ExplainStep() {
    Screens.Board.Hints.Press(PlayModel());
    SetToggles();
}

void TGameScreen::ApplyExplainedStep() {
    if (Screens.Board.Hints.Stage(PlayModel()) != THintStage::Shown) return;
    Screens.Board.Hints.Press(PlayModel());
    SetToggles();
}

void TGameScreen::DismissExplanation(int pressed, int keyed) {
    if (Screens.Board.Hints.Stage(PlayModel()) == THintStage::None) return;
    const bool escape = Keys.KeyHits[vk::ESCAPE] > 0 || HeldDown(vk::ESCAPE);
    if (escape) {
        ClearKey(vk::ESCAPE);
        SwallowEscape = 1;
    }
    if (escape || pressed || keyed || ShowingInput) Screens.Board.Hints.PutAway();
}

void TGameScreen::WatchExplanation() {
    // A press on a cell the hint changes or on the aid itself, or the H key, climbs
    // the ladder; anything else puts the hint away first.
    int pressed = Game->Mouse->GetMh(0) ? 1 : 0;
    for (auto& cell : Screens.CellList->Items)
        if (pressed && cell->IsMouseOver() && ExplainedCell(cell->ArrayLocationX, cell->ArrayLocationY) == 2)
            pressed = 0;
    if (pressed && PuzzleMenu)
        if (auto aid = PuzzleMenu->FindButton("explainstep"); aid && aid->MouseOver) pressed = 0;
    int keyed = 0;
    for (int key = 0; key < 256; ++key)
        if (Keys.KeyHits[key] > 0 && key != 'H' && key != vk::ESCAPE && key != vk::SHIFT && key != vk::CONTROL &&
            key != vk::LSHIFT && key != vk::RSHIFT && key != vk::LCONTROL && key != vk::RCONTROL)
            keyed = 1;
    DismissExplanation(pressed, keyed);
}
