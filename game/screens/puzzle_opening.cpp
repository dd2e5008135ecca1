// SPDX-License-Identifier: GPL-3.0-or-later
// Opening puzzles from files and codes, from any screen.
#include "game/screens/puzzle_opening.h"

#include <memory>

#include "framework/core/game.h"
#include "framework/core/timing.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/pointer.h"
#include "game/core/share.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/open_puzzle_chooser.h"
#include "game/screens/play_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/input.h"

namespace {

struct TOpening {
    // The command line's file, until it has been opened or refused.
    std::string CommandLinePath;
    // A file waiting for the player's answer to Question.
    std::string AskedPath;
    std::shared_ptr<TDialogOK> Message;
    std::shared_ptr<TDialogYesNo> Question;
};

TOpening& Opening() {
    static TOpening opening;
    return opening;
}

// No file is opened while the screens are changing or a puzzle is being made: the
// overlay's work would put its own puzzle over the opened one.
bool ReadyToOpen() {
    if (!Game || !Game->CurrentTScreen || Game->GameFade->Active || Game->IsClosing()) return false;
    if (Screens.PlayScreen && Screens.PlayScreen->GenerateScreen && Screens.PlayScreen->GenerateScreen->Active)
        return false;
    if (Screens.GameScreen && Screens.GameScreen->GenerateScreen && Screens.GameScreen->GenerateScreen->Active)
        return false;
    // A question or chooser the player has open is answered first; the file waits.
    const auto& setup = Screens.PlayScreen;
    if (setup && Game->CurrentTScreen == setup &&
        (setup->SaveGameManager || setup->MessageDialog || setup->CodeInput || setup->FileChooser))
        return false;
    if (Screens.GameScreen && Game->CurrentTScreen == Screens.GameScreen && Screens.GameScreen->ShowingInput)
        return false;
    return true;
}

bool BoardShowing() { return Screens.GameScreen && Game->CurrentTScreen == Screens.GameScreen; }

void OpenOrExplain(const std::string& path) {
    std::string error;
    if (!OpenPuzzleFile(path, error)) ShowOpeningMessage(error);
}

// A file arrived: opened at once, unless the board holds something the player
// would lose.
void Arrived(const std::string& path) {
    if (BoardShowing() && PlayModel().Puzzle.CustomMode) {
        ShowOpeningMessage(ScreenText("Open File While Typing"));
        return;
    }
    if (BoardShowing() && !PlayModel().Puzzle.PuzzleCompleted && PlayModel().EditHistory.Changes > 0) {
        Opening().AskedPath = path;
        Opening().Question = CreateYesNoDialog(ScreenText("Open File Instead"));
        return;
    }
    OpenOrExplain(path);
}

}  // namespace

void ResetPuzzleOpening() {
    Opening() = TOpening{};
    platform::ClearDroppedFiles();
}

void RequestOpenPuzzleFile(const std::string& path) { Opening().CommandLinePath = path; }

void ShowOpeningMessage(const std::string& text) {
    Opening().Message = CreateMessageDialog(text);
    if (Game && Game->Mouse) Game->Mouse->On();
}

bool ManagePuzzleOpening() {
    TOpening& o = Opening();
    if (o.Message) {
        if (o.Message->Manage() != 0) o.Message = nullptr;
        return true;
    }
    if (o.Question) {
        const int answer = o.Question->Manage();
        if (answer == 0) return true;
        o.Question = nullptr;
        if (answer == 1) OpenOrExplain(o.AskedPath);
        o.AskedPath.clear();
        return o.Message != nullptr;
    }
    if (!ReadyToOpen()) return false;
    if (!o.CommandLinePath.empty()) {
        const std::string path = o.CommandLinePath;
        o.CommandLinePath.clear();
        Arrived(path);
        return o.Message || o.Question;
    }
    std::string dropped;
    if (platform::TakeDroppedFile(dropped)) {
        Arrived(dropped);
        return o.Message || o.Question;
    }
    return false;
}

void DrawPuzzleOpening() {
    if (Opening().Message) Opening().Message->Draw();
    if (Opening().Question) Opening().Question->Draw();
}

bool OpenPuzzleFile(const std::string& path, std::string& error) {
    std::string text;
    TOpenedPuzzle opened;
    const bool ok = ReadPuzzleFile(path, text, error) && OpenPuzzleText(text, opened, error);
    // The check may have kept the solver busy: no burst of steps to make up for it.
    if (Game && Game->FixedRateLogic) Game->FixedRateLogic->Init();
    return ok && PutOpenedPuzzleOnBoard(opened, error);
}

bool PutOpenedPuzzleOnBoard(const TOpenedPuzzle& opened, std::string& error) {
    // The puzzle in progress is kept for Continue before another takes the board.
    if (BoardShowing()) Screens.GameScreen->Autosave();
    if (!PlaceOpenedPuzzle(PlayModel(), opened, error)) return false;
    PlayCore().CreateCells(1);
    StartPuzzleTimer();
    GoToScreen(TScreenId::Game);
    if (Game && Game->Mouse) Game->Mouse->On();
    return true;
}
