// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle play screen: its start, its logic step and the aids.
#include "game/screens/game_screen.h"
#include "game/screens/session.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/text/game_text.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/explain.h"
#include "game/core/options.h"
#include "game/screens/cells.h"
#include "game/screens/end_level_menu.h"
#include "game/screens/generate_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

namespace {
int Rand(int low, int high) { return platform::Rand(low, high); }
float Rndf(float low, float high) { return static_cast<float>(platform::Rnd(low, high)); }
bool HeldDown(int key) { return KeyDown(key) != 0; }
bool CtrlHeld() { return HeldDown(vk::LCONTROL) || HeldDown(vk::RCONTROL) || HeldDown(vk::CONTROL); }
bool ShiftHeld() { return HeldDown(vk::LSHIFT) || HeldDown(vk::RSHIFT) || HeldDown(vk::SHIFT); }
}  // namespace

int TGameScreen::Load() {
    LastImage = Rand(1, 4);
    Image = ScreenPicture("gamescreen" + std::to_string(LastImage))->image;
    Image->MidHandle();
    HeaderLoad("logosmall", 102, 50, 1);
    NewOverlay();
    if (Game->Mouse->ParticleList) Game->Mouse->ParticleList->Clear();
    Game->Mouse->ParticleFunc = nullptr;
    Fireworks = nullptr;
    RestartInput = NewInput = QuitInput = nullptr;
    NameInput = SaveGameNameInput = VerticalSumInput = HorizontalSumInput = nullptr;
    OKInput = nullptr;
    ExportInput = nullptr;
    RetypeClue = 0;
    CrossFade = nullptr;
    Game->FadeMusic = 0;
    ShowingInput = 0;
    endLevelMenu = std::make_shared<VTEndLevelMenu>();
    AddPuzzleAids();
    return 0;
}

void TGameScreen::AddPuzzleAids() {
    PuzzleAids.clear();
    // Every aid has a key; those that give digits away (and so the best time)
    // want Shift as well, so that a slip of the finger costs nothing.
    PuzzleAids.push_back({"showhidemistakes", [] { return PlayModel().Puzzle.ShowMistakes; },
                          [] { PlayCore().ShowHideMistakes(); }, 'M'});
    PuzzleAids.push_back({"showrandomcell", nullptr, [] { PlayCore().ShowRandomCell(); }, 'R', 1});
    PuzzleAids.push_back({"showdesiredcell", nullptr, [] { PlayCore().ShowDesiredCell(); }, 'C', 1});
    PuzzleAids.push_back(
        {"showhideautomarkup", [] { return PlayModel().Puzzle.AutoMarkup; }, [] { PlayCore().ShowHideMarkup(); }, 'A'});
    PuzzleAids.push_back({"showhidesolution", [] { return PlayModel().Puzzle.ShowSolution; },
                          [] { PlayCore().ShowHideSolution(); }, 'S', 1});
    PuzzleAids.push_back({"explainstep", nullptr, [this] { ExplainStep(); }, 'H'});
    AddCheckpointAids();
}

void TGameScreen::ManagePuzzleAids() {
    for (const TPuzzleAid& aid : PuzzleAids) {
        // The hit is taken with or without Shift, so that a press that did not
        // count cannot act later; Ctrl's letters belong to others (Ctrl+C, Ctrl+S).
        const bool pressed = aid.Key != 0 && !CtrlHeld() && KeyHit(aid.Key) && (aid.Shift != 0) == ShiftHeld();
        if (!PuzzleMenu->Clicked(aid.Name) && !pressed) continue;
        aid.Act();
        if (aid.State) SetToggles();
    }
}

int TGameScreen::Kill() {
    Autosave();
    return TScreen::Kill();
}

void TGameScreen::Autosave() {
    if (PlayModel().AutosaveWanted()) {
        PlayModel().WriteAutosave();
        // The write waits for the disk; that time must not come back as a burst of steps.
        if (Game->FixedRateLogic) Game->FixedRateLogic->Init();
    }
    LastAutosaveChanges = PlayModel().EditHistory.Changes;
    LastAutosaveTime = platform::MilliSecs();
}

int TGameScreen::Undo() {
    if (!PlayModel().UndoEdit()) return 0;
    SetToggles();
    return 1;
}

int TGameScreen::Redo() {
    if (!PlayModel().RedoEdit()) return 0;
    SetToggles();
    return 1;
}

int TGameScreen::KeepAwake() { return PlayModel().Puzzle.PuzzleCompleted ? 0 : 1; }

int TGameScreen::Start() {
    TScreen::Start();
    // The board's clock is what P stops.
    Game->IgnorePauseKey = 0;
    if (PlayModel().Puzzle.CustomPuzzleReady == 1) {
        PlayModel().Puzzle.CustomMode = 0;
        PlayModel().Puzzle.CustomPuzzleReady = 0;
        PlayCore().CreateCells(1);
        PlayCore().RestartPuzzle();
        // Accepted with something the player must know: the solution kept is one of several.
        if (!PlayCore().CheckMessage.empty()) ShowNotice(ScreenText(PlayCore().CheckMessage));
    }
    Screens.Board.SelectedNumber = PlayModel().Puzzle.CustomMode ? 10 : 1;
    Screens.Board.OpenClueDialogs = [this] { OpenClueDialogs(); };
    Screens.Board.ApplyExplained = [this] { ApplyExplainedStep(); };
    Screens.Board.Hints.PutAway();
    Screens.Board.CursorX = Screens.Board.CursorY = -1;
    Screens.Board.CursorShown = 0;
    if (ResumeElapsedMs >= 0) {
        // The clock goes on from the kept time once the board is shown.
        PlayModel().Puzzle.TimerStart = platform::MilliSecs() - ResumeElapsedMs;
        PlayModel().Puzzle.TimerStop = 0;
        ResumeElapsedMs = -1;
    }
    LastAutosaveChanges = PlayModel().EditHistory.Changes;
    LastAutosaveTime = platform::MilliSecs();
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    Game->FixedRateLogic->Init();

    const std::string selected = std::to_string(Screens.Board.SelectedNumber);
    NumberMenu = NewScreenMenu(7);
    for (int n = 0; n <= 9; ++n) MenuAddRadio(NumberMenu, std::to_string(n), selected, 0);
    CustomNumberMenu = NewScreenMenu(7);
    for (const char* name : {"0", "10"}) MenuAddRadio(CustomNumberMenu, name, selected, 0);
    for (auto& menu : {NumberMenu, CustomNumberMenu}) {
        menu->CentreVert();
        menu->SetX(730);
    }

    MainMenu = NewScreenMenu(6);
    for (const char* name : {"pause", "savegame", "newpuzzle", "restartpuzzle", "tryfromhere", "backtomenu"})
        MainMenu->AddQuickAuto(name, name);
    MainMenu->SetX(27);
    MainMenu->SetY(100);
    // Six aids fit between the main menu and the timer only with narrower gaps.
    PuzzleMenu = NewScreenMenu(PuzzleAids.size() > 5 ? 4 : 10);
    for (const TPuzzleAid& aid : PuzzleAids) {
        if (aid.State)
            MenuAddToggle(PuzzleMenu, aid.State(), aid.Name);
        else
            PuzzleMenu->AddQuick(aid.Name, aid.Name);
    }
    PuzzleMenu->SetX(27);
    PuzzleMenu->SetY(280);
    CustomPuzzleMenu = NewScreenMenu(10);
    for (const char* name : {"backtomenu", "checkplay"}) CustomPuzzleMenu->AddQuick(name, name);
    CustomPuzzleMenu->SetX(27);
    CustomPuzzleMenu->SetY(100);
    LoadShareMenu();
    BuildFocusRing();

    Game->Mouse->On();
    if (Header) Header->SetGlow(3, 0, 0.25f, 0, 0.5f);
    LastMouseZ = Game->Mouse->z;
    LastTime = 0;
    DidPauseOrSuspend = -1;
    Game->IgnoreEscapeKey = 1;
    LastFade = platform::MilliSecs();
    return 0;
}

void TGameScreen::SetToggles() {
    for (const TPuzzleAid& aid : PuzzleAids)
        if (aid.State)
            if (auto button = PuzzleMenu->FindButton(aid.Name)) ToggleSetState(PuzzleMenu, button, aid.State());
}

void TGameScreen::NewOverlay() {
    GenerateScreen = FreshOverlay(GenerateScreen);
    GenerateScreen->Refused = [this](const std::string& message) { OKInput = CreateMessageDialog(message); };
}

void TGameScreen::FreezeTimer() {
    const int now = platform::MilliSecs();
    if (Game->Paused && LastTime == 0) {
        if (!PlayModel().Puzzle.PuzzleCompleted) PlayModel().Puzzle.TimerStop = LastTime = now;
        DidPauseOrSuspend = 0;
    } else if (Game->Suspended && LastTime == 0) {
        if (!PlayModel().Puzzle.PuzzleCompleted) PlayModel().Puzzle.TimerStop = LastTime = now;
        DidPauseOrSuspend = 1;
    }
    if (PlayModel().Puzzle.TimerStop && LastTime &&
        ((DidPauseOrSuspend == 0 && !Game->Paused) || (DidPauseOrSuspend == 1 && !Game->Suspended))) {
        PlayModel().Puzzle.TimerStart = now - (PlayModel().Puzzle.TimerStop - PlayModel().Puzzle.TimerStart);
        DidPauseOrSuspend = -1;
        LastTime = 0;
        PlayModel().Puzzle.TimerStop = 0;
    }
}

void TGameScreen::FireworkBurst(int bx, int by) {
    const int count = 50 * Game->Particles / 100;
    auto picture = ScreenPicture("particle2");
    for (int k = 0; k < count; ++k) {
        auto particle = Fireworks->AddNew(bx, by, picture, Rndf(-1.5f, 1.5f), Rndf(-2.0f, 0.0f), 0.01f, 1000, 1,
                                          Rand(0, 1) ? 1 : -1, Rndf(0.5f, 3.0f), Rndf(0.3f, 1.0f), 0, 0, 0);
        if (particle) particle->Color = TColor::Create(Rand(100, 255), Rand(100, 255), Rand(100, 255), 1.0f);
    }
}

int TGameScreen::Logic() {
    if (Header) Header->ManageGlow();
    GenerateScreen->Logic();
    if (SwallowEscape && !HeldDown(vk::ESCAPE)) SwallowEscape = 0;
    HoldClockWhileBoardHidden();
    WatchExplanation();
    const int custom = PlayModel().Puzzle.CustomMode;
    if (!custom && !PlayModel().Puzzle.PuzzleCompleted) {
        PlayCore().IsPuzzleCompleted();
        if (PlayModel().Puzzle.PuzzleCompleted) EndOfPuzzle();
    }
    ManageDialogs();
    ManageShareDialog();
    ManageFocus();
    const int completed = PlayModel().Puzzle.PuzzleCompleted;
    // A solved puzzle has nothing left to save: its button says so.
    if (auto save = MainMenu->FindButton("savegame")) {
        save->Disabled = completed && save->ImageDisabled ? 1 : 0;
        save->ClickDisabled = 0;
    }

    if (!completed && !ShowingInput) {
        ManageBoard(custom);
    } else if (completed && !ShowingInput) {
        MainMenu->Manage(0, 0);
    }
    MoveBoardAndFireworks(completed);
    if (completed && !ShowingInput) ManageEndLevelMenu();
    if (!ShowingInput && !GenerateScreen->Active) ManageMainButtons(completed);
    ManageShareButtons(!GenerateScreen->Active);

    const bool boardLive = !completed && !ShowingInput && !GenerateScreen->Active;
    if (boardLive && !custom) ManagePuzzleAids();
    ManageCheckpoints(boardLive);
    BoardKeys(boardLive);
    if (boardLive) SelectNumbers();

    AutosaveWhenDue();
    if (Screens.Board.ConflictShown && platform::MilliSecs() - Screens.Board.ConflictShownTime >= 1000)
        Screens.Board.ConflictShown = Screens.Board.ConflictCellX = Screens.Board.ConflictCellY = 0;
    ChangeBackgroundWhenDue();
    return 0;
}

void TGameScreen::ManageBoard(int custom) {
    Screens.Board.HoverCellX = Screens.Board.HoverCellY = -1;
    if (PlayModel().Options.ShowHighlighter)
        for (auto& cell : Screens.CellList->Items)
            if (cell->IsMouseOver()) {
                Screens.Board.HoverCellX = cell->ArrayLocationX;
                Screens.Board.HoverCellY = cell->ArrayLocationY;
                break;
            }
    Screens.CellList->Manage();
    if (!custom) {
        MainMenu->Manage(0, 0);
        PuzzleMenu->Manage(0, 0);
        NumberMenu->Manage(0, 0);
    } else {
        CustomPuzzleMenu->Manage(0, 0);
        CustomNumberMenu->Manage(0, 0);
    }
}

void TGameScreen::MoveBoardAndFireworks(int completed) {
    if (completed && Fireworks && platform::MilliSecs() - LastFireworkTime >= Rand(250, 750)) {
        LastFireworkTime = platform::MilliSecs();
        FireworkBurst(Rand(100, 700), Rand(100, 500));
    }
    Screens.CellList->Move();
    if (Fireworks) Fireworks->Manage();
}

void TGameScreen::ManageEndLevelMenu() {
    endLevelMenu->Logic(1, 1, 1);
    if (endLevelMenu->Selected == 1) {
        Game->Mouse->Off();
        GenerateScreen->Show(1);
    } else if (endLevelMenu->Selected == 2) {
        RestartInput = CreateYesNoDialog(ScreenText("Restart Puzzle"));
    } else if (endLevelMenu->Selected == 3) {
        // A solved puzzle has nothing left to lose: no question.
        GoToScreen(TScreenId::Play);
    }
}

void TGameScreen::ManageMainButtons(int completed) {
    const bool saveKey = CtrlHeld() && !PlayModel().Puzzle.CustomMode && KeyHit('S');
    if ((MainMenu->Clicked("savegame") || saveKey) && !completed) {
        SaveGameNameInput = CreateSaveNameDialog(1, ScreenText("Enter Save Name"));
        SaveGameNameInput->Start();
    }
    if (MainMenu->Clicked("newpuzzle")) NewInput = CreateYesNoDialog(ScreenText("Create Puzzle"));
    if (MainMenu->Clicked("restartpuzzle")) RestartInput = CreateYesNoDialog(ScreenText("Restart Puzzle"));
    if (MainMenu->Clicked("backtomenu") || CustomPuzzleMenu->Clicked("backtomenu") ||
        // A press and release within one step leaves only the hit behind.
        ((HeldDown(vk::ESCAPE) || KeyHit(vk::ESCAPE)) && !QuitInput && !SwallowEscape)) {
        if (completed)
            GoToScreen(TScreenId::Play);
        else
            QuitInput = CreateYesNoDialog(ScreenText("Exit Playing"));
    }
    if (MainMenu->Clicked("pause")) {
        Game->Paused = 1;
        Game->Pause();
    }
    if (CustomPuzzleMenu->Clicked("checkplay")) {
        Game->Mouse->Off();
        GenerateScreen->Show(1);
    }
}

void TGameScreen::AutosaveWhenDue() {
    if (platform::MilliSecs() - LastAutosaveTime >= AutosaveIntervalMs) {
        if (PlayModel().EditHistory.Changes != LastAutosaveChanges)
            Autosave();
        else
            LastAutosaveTime = platform::MilliSecs();
    }
}

void TGameScreen::ChangeBackgroundWhenDue() {
    if (platform::MilliSecs() - LastFade >= 150000) {
        int next = LastImage + 1;
        if (next == 5) next = 1;
        auto old = Image;
        Image = ScreenPicture("gamescreen" + std::to_string(next))->image;
        Image->MidHandle();
        CrossFade = TCrossFade::Create(old, Image, 2000);
        CrossFade->SetImage1Coords(400, 300);
        CrossFade->SetImage2Coords(400, 300);
        LastImage = next;
        LastFade = platform::MilliSecs();
    }
    if (CrossFade) {
        CrossFade->Manage();
        if (!CrossFade->Anim || !CrossFade->Anim->Active) CrossFade = nullptr;
    }
}
