// SPDX-License-Identifier: GPL-3.0-or-later
// The play screen's checkpoints ("Try From Here", T; "Back to Checkpoint",
// Shift+T or Shift and the button), "Undo to Last Correct" among the aids, and
// the combinations of the cursor's runs on the message line.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include "framework/core/input.h"
#include "framework/widgets/button.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/options.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/input.h"

namespace vk = platform::vk;

namespace {
bool Held(int key) { return KeyDown(key) != 0; }
bool ShiftHeld() { return Held(vk::LSHIFT) || Held(vk::RSHIFT) || Held(vk::SHIFT); }
bool CtrlHeld() { return Held(vk::LCONTROL) || Held(vk::RCONTROL) || Held(vk::CONTROL); }
}  // namespace

void TGameScreen::AddCheckpointAids() {
    PuzzleAids.push_back({"undotolastcorrect", nullptr, [this] { UndoToLastCorrect(); }, 'U'});
}

void TGameScreen::UndoToLastCorrect() {
    TPuzzleModel& model = PlayModel();
    if (model.UndoToLastCorrect() == TEditResult::Applied) {
        SetToggles();
        return;
    }
    if (model.Puzzle.SeveralSolutions)
        ShowNotice(ScreenText("Own Puzzle No Last Correct"));
    else if (model.AgreesWithSolution(model.Puzzle.PlayerGrid))
        ShowNotice(ScreenText("Nothing Wrong To Undo"));
    else
        ShowNotice(ScreenText("Correct Not Reached"));
}

void TGameScreen::ManageCheckpoints(int live) {
    // The key's hit is used up every step, so one pressed under a dialog does not act later.
    const int key = KeyHit('T');
    const int clicked = MainMenu && MainMenu->Clicked("tryfromhere") ? 1 : 0;
    if (!live || PlayModel().Puzzle.CustomMode || (key && CtrlHeld())) return;
    if (!key && !clicked) return;
    TPuzzleModel& model = PlayModel();
    if (ShiftHeld()) {
        if (model.BackToCheckpoint() == TEditResult::Applied)
            SetToggles();
        else
            ShowNotice(ScreenText("No Checkpoint"));
    } else if (model.TryFromHere() == TEditResult::Refused) {
        ShowNotice(ScreenText("Checkpoints Full"));
    }
}

void TGameScreen::NoteCheckpointBoard() {
    Screens.Board.Trying = PlayModel().TriedFrom(Screens.Board.TriedFrom) ? 1 : 0;
}

std::string TGameScreen::CursorRunsMessage() const {
    const TPuzzleModel& model = PlayModel();
    const auto& p = model.Puzzle;
    const int x = Screens.Board.CursorX, y = Screens.Board.CursorY;
    if (!Screens.Board.CursorShown || !model.Options.ShowSumCombinations || p.CustomMode || p.RevealCellMode ||
        p.PuzzleCompleted || !model.OnBoard(x, y) || p.PlayerGrid[x][y] == BlackCell)
        return "";
    std::string message;
    for (int direction : {Horizontal, Vertical}) {
        // The clue cell is the first black cell before the cursor along the run.
        int cx = x, cy = y;
        while (model.OnBoard(cx, cy) && p.PlayerGrid[cx][cy] != BlackCell) (direction == Vertical ? cy : cx)--;
        if (!model.OnBoard(cx, cy)) continue;
        std::string list =
            ShiftHeld() ? model.CombinationText(direction, cx, cy) : model.FilteredCombinationText(direction, cx, cy);
        if (list.empty()) continue;
        // One run to a line here; the message line wraps what is too long.
        for (auto at = list.find("\r\n"); at != std::string::npos; at = list.find("\r\n", at)) {
            const bool listBreak = at >= 2 && list.compare(at - 2, 2, ", ") == 0;
            list.replace(at, 2, listBreak ? "" : "   ");
        }
        if (!message.empty()) message += "\r\n";
        message += ScreenText(direction == Vertical ? "Down Combinations" : "Across Combinations") + " " + list;
    }
    return message;
}
