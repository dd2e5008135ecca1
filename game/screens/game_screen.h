// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle play screen, also where a puzzle of the player's own is typed in.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/screens/screen.h"

class TCrossFade;
class TDialogOK;
class TDialogTextInput;
class TDialogYesNo;
class TGenerateScreen;
class TMenu;
class TParticleList;
class VTEndLevelMenu;

// One button of the play screen's aid menu. A toggle shows its State (a
// plain button has none); a key, when given, does the same as a click.
struct TPuzzleAid {
    std::string Name;
    std::function<int()> State;
    std::function<void()> Act;
    int Key = 0;
    // 1: the key acts only with Shift held, for aids that give digits away.
    int Shift = 0;
};

class TGameScreen : public TScreen {
public:
    std::shared_ptr<TMenu> NumberMenu;
    std::shared_ptr<TMenu> CustomNumberMenu;
    std::shared_ptr<TMenu> MainMenu;
    std::shared_ptr<TMenu> PuzzleMenu;
    std::shared_ptr<TMenu> CustomPuzzleMenu;
    std::shared_ptr<TDialogYesNo> RestartInput;
    std::shared_ptr<TDialogYesNo> NewInput;
    std::shared_ptr<TDialogYesNo> QuitInput;
    std::shared_ptr<TDialogTextInput> NameInput;
    std::shared_ptr<TDialogTextInput> SaveGameNameInput;
    std::shared_ptr<TDialogTextInput> VerticalSumInput;
    std::shared_ptr<TDialogTextInput> HorizontalSumInput;
    std::shared_ptr<TDialogOK> OKInput;
    std::shared_ptr<TCrossFade> CrossFade;
    int LastFade = 0;
    int LastImage = 1;
    int ShowingInput = 0;
    int LastMouseZ = 0;
    int LastTime = 0;
    int DidPauseOrSuspend = -1;
    std::shared_ptr<VTEndLevelMenu> endLevelMenu;
    // The aid menu's buttons, top to bottom.
    std::vector<TPuzzleAid> PuzzleAids;
    // Continue sets it to the kept puzzle's time; Start then sets the clock.
    int ResumeElapsedMs = -1;
    // The board as last autosaved (its change count) and when the timer last looked.
    int LastAutosaveChanges = 0;
    int LastAutosaveTime = 0;
    // Escape took an explanation away; it opens nothing until it is let go.
    int SwallowEscape = 0;
    // The overlay that makes the next puzzle or checks a typed-in one.
    std::shared_ptr<TGenerateScreen> GenerateScreen;
    // The sparks over a solved puzzle (none before), and when the last burst went up.
    std::shared_ptr<TParticleList> Fireworks;
    int LastFireworkTime = 0;

    // Passing the puzzle on (game_screen_share.cpp): its code over the paper with
    // "Copy Code" (and Ctrl+C) and "Export"; the question whether its solution is
    // exported too, and the name the pictures of one export share.
    std::shared_ptr<TMenu> ShareMenu;
    std::shared_ptr<TDialogYesNo> ExportInput;
    std::string ExportBaseName;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    // Leaving the board keeps the puzzle in progress.
    int Kill() override;
    // A puzzle being thought over gets no input for minutes; a solved one is
    // only on show.
    int KeepAwake() override;

    // Writes the autosave when the puzzle on the board is one to keep.
    void Autosave();
    // Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z): 1 when the board changed.
    int Undo();
    int Redo();
    static constexpr int AutosaveIntervalMs = 30000;

    // One tick of the wheel: +1 (rolled towards the player) or -1, folded
    // onto the tools of the current mode.
    static int WheelStep(int selected, int step, int customMode);
    // Keeps the paused or suspended time out of the puzzle clock.
    void FreezeTimer();
    // While the cells fall or a dialog covers the board the clock holds still:
    // nobody can play a board they cannot see. Any key or click lands the cells.
    void HoldClockWhileBoardHidden();
    int HeldClockMs = -1;
    void DrawGradeLine(float x, float y);
    void FireworkBurst(int x, int y);

    void CopyCode();
    // Writes the puzzle's pictures (or its solution's) as PNG and SVG into the data
    // folder's exports/: true with the folder and the names in result, false with why not.
    bool WritePictures(bool solution, std::string& result);

private:
    void LoadShareMenu();
    void ManageShareDialog();
    void ManageShareButtons(int live);
    void DrawShareLine();
    // A fresh generating overlay whose refusals of a typed-in puzzle are shown here.
    void NewOverlay();
    void EndOfPuzzle();
    void ManageDialogs();
    // The steps of one Logic tick, in the order it takes them.
    void WatchExplanation();
    void ManageBoard(int custom);
    void MoveBoardAndFireworks(int completed);
    void ManageEndLevelMenu();
    void ManageMainButtons(int completed);
    void AutosaveWhenDue();
    // Every two and a half minutes the next background fades in over the old one.
    void ChangeBackgroundWhenDue();
    void AddPuzzleAids();
    void ManagePuzzleAids();
    // Undo and redo from the keyboard, and in play the cursor, digits,
    // erasure and marks; with act 0 the keys' hits are only used up.
    void BoardKeys(int act);
    void SelectNumbers();
    void SetToggles();
    void OpenClueDialogs();
    // A typed clue that cannot be: the player is told why and asked again. True when refused.
    bool RefuseClue(int direction, int clue);
    // The clue dialog to open again once the refusal is read: 1 + Horizontal or 1 + Vertical, 0 none.
    int RetypeClue = 0;
    void ShowNotice(const std::string& message);
    // "Explain a Step" and H (game_screen_hints.cpp): the hint ladder's next rung.
    void ExplainStep();
    // A click on a cell the shown hint changes: the hint is carried out.
    void ApplyExplainedStep();
    // Any other action puts the shown step away.
    void DismissExplanation(int pressed, int keyed);
    // Checkpoints and "Undo to Last Correct" (game_screen_checkpoints.cpp).
    void AddCheckpointAids();
    void UndoToLastCorrect();
    void ManageCheckpoints(int live);
    void NoteCheckpointBoard();
    // The combinations of the runs through the keyboard cursor; "" when it is not shown.
    std::string CursorRunsMessage() const;
    // The buttons by Tab and Enter (game_screen_focus.cpp).
    void BuildFocusRing();
    void ManageFocus();
    void DropFocus();
    // The end panel's menu the ring was built with.
    const TMenu* FocusEndMenu = nullptr;
};
