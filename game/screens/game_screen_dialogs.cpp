// SPDX-License-Identifier: GPL-3.0-or-later
// The play screen's questions: restart, new puzzle, leave, best-time name,
// save name, the clues of a typed-in puzzle, and the end of a solved puzzle.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include "framework/audio/game_sound.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/high_scores.h"
#include "game/core/save_game.h"
#include "game/screens/cells.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/generate_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/audio.h"

namespace {
void PlaySound(const std::string& name) {
    static std::shared_ptr<platform::Channel> channel;
    if (!channel) channel = platform::AllocChannel();
    if (auto sound = Resources.SoundBank ? Resources.SoundBank->Find(name) : nullptr)
        Game->Audio->GameSoundPlay(channel, sound, 0);
}
}  // namespace

void TGameScreen::ShowNotice(const std::string& message) { OKInput = CreateMessageDialog(message); }

namespace {
std::shared_ptr<TDialogTextInput> SumEntryDialog(const std::string& key, int value) {
    auto dialog = CreateSaveNameDialog(1, ScreenText(key));
    dialog->TextInput->NumbersOnly = 1;
    dialog->TextInput->MaxLength = 2;
    dialog->TextInput->Text = value ? std::to_string(value) : std::string();
    // The caption offers "(empty: none)"; the save-name dialog beneath refuses empty text.
    dialog->AllowNull = 1;
    dialog->ErrorCheckFunc = nullptr;
    dialog->Start();
    return dialog;
}

int TypedNumber(const std::shared_ptr<TDialogTextInput>& dialog) {
    try {
        return std::stoi(dialog->TextInput->Text);
    } catch (...) {
        return 0;
    }
}
}  // namespace

bool TGameScreen::RefuseClue(int direction, int clue) {
    const std::string problem =
        PlayModel().ClueProblem(direction, Screens.Board.EditCellX, Screens.Board.EditCellY, clue);
    if (problem.empty()) return false;
    ShowNotice(problem);
    RetypeClue = 1 + direction;
    return true;
}

void TGameScreen::OpenClueDialogs() {
    HorizontalSumInput = SumEntryDialog("Enter Horizontal Sum", PlayModel().Puzzle.EnteredHorizontalSum);
}

void TGameScreen::EndOfPuzzle() {
    Screens.Board.HoverCellX = Screens.Board.HoverCellY = -1;
    Fireworks = std::make_shared<TParticleList>();
    StopPuzzleTimer();
    PlayModel().EndPlayRecord(1);
    PlayModel().RemoveAutosave();
    PlaySound("applause");
    const int place =
        PlayModel().NoBestTimeReason().empty()
            ? PlayModel().WillEnterHighscoreForSize(PlayModel().Puzzle.TimerStop - PlayModel().Puzzle.TimerStart)
            : 0;
    if (place != 0) {
        NameInput = CreateHighScoreNameDialog(0, place, ScreenText("Highscore Place"));
        NameInput->Start();
    } else {
        endLevelMenu->Init(-1, -1);
    }
}

void TGameScreen::ManageDialogs() {
    auto run = [&](auto& dialog, auto onConfirm) {
        if (!dialog) return;
        ShowingInput = 1;
        int result = dialog->Manage();
        if (result != 1 && result != -1) return;
        auto closed = dialog;
        dialog = nullptr;
        ShowingInput = 0;
        Game->IgnoreEscapeKey = 1;
        if (result == 1) onConfirm(closed);
    };
    run(RestartInput, [&](auto&) {
        PlayCore().RestartPuzzle();
        PlayCore().CreateCells(1);
        SetToggles();
        PlayModel().RemoveAutosave();
    });
    run(NewInput, [&](auto&) {
        // The puzzle on the board is given up: nothing of it is kept from here on.
        PlayModel().ClearEditHistory();
        PlayModel().RemoveAutosave();
        Game->Mouse->Off();
        GenerateScreen->Show(1);
    });
    run(QuitInput, [&](auto&) { GoToScreen(TScreenId::Play); });
    run(NameInput, [&](auto& dialog) {
        Screens.Board.HoverCellX = Screens.Board.HoverCellY = -1;
        PlayModel().AddHighscoreForSize(dialog->TextInput->Text, PlayModel().Puzzle.PuzzleDifficulty,
                                        PlayModel().Puzzle.TimerStop - PlayModel().Puzzle.TimerStart);
        endLevelMenu->Init(-1, -1);
    });
    run(SaveGameNameInput, [&](auto& dialog) {
        std::string error;
        PlayModel().SaveGameNamed(dialog->TextInput->Text, &error);
        // Play goes on either way; a save that did not happen must not look as if it did.
        if (!error.empty()) ShowNotice(error);
    });
    run(VerticalSumInput, [&](auto& dialog) {
        PlayModel().Puzzle.EnteredVerticalSum = TypedNumber(dialog);
        if (RefuseClue(Vertical, PlayModel().Puzzle.EnteredVerticalSum)) return;
        TEditRequest request;
        request.Kind = TEditKind::ClueCell;
        request.X = Screens.Board.EditCellX;
        request.Y = Screens.Board.EditCellY;
        request.Across = PlayModel().Puzzle.EnteredHorizontalSum;
        request.Down = PlayModel().Puzzle.EnteredVerticalSum;
        PlayModel().ApplyEdit(request);
    });
    run(HorizontalSumInput, [&](auto& dialog) {
        PlayModel().Puzzle.EnteredHorizontalSum = TypedNumber(dialog);
        if (RefuseClue(Horizontal, PlayModel().Puzzle.EnteredHorizontalSum)) return;
        PlayModel().Puzzle.EnteredVerticalSum =
            PlayModel().Puzzle.VerticalSumGrid[Screens.Board.EditCellX][Screens.Board.EditCellY];
        VerticalSumInput = SumEntryDialog("Enter Vertical Sum", PlayModel().Puzzle.EnteredVerticalSum);
    });
    if (OKInput) {
        ShowingInput = 1;
        if (OKInput->Manage() == 1) {
            OKInput = nullptr;
            ShowingInput = 0;
            Game->IgnoreEscapeKey = 1;
            NewOverlay();
            // A refused clue is asked for again, showing what was typed so it can be mended.
            if (RetypeClue == 1 + Horizontal)
                HorizontalSumInput = SumEntryDialog("Enter Horizontal Sum", PlayModel().Puzzle.EnteredHorizontalSum);
            else if (RetypeClue == 1 + Vertical)
                VerticalSumInput = SumEntryDialog("Enter Vertical Sum", PlayModel().Puzzle.EnteredVerticalSum);
            RetypeClue = 0;
        }
    }
}
