// SPDX-License-Identifier: GPL-3.0-or-later
// The play setup screen, the generating overlay and the puzzle play screen.
#include "game/screens/screens.h"

#include <algorithm>
#include <cmath>

#include "framework/archive/pak_manager.h"
#include "framework/audio/game_sound.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
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
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "game/core/save_game.h"
#include "game/screens/cells.h"
#include "framework/widgets/list_box.h"
#include "game/screens/menus.h"
#include "game/screens/save_manager.h"
#include "game/screens/shell.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

std::shared_ptr<TGameScreen> GameScreen;
std::shared_ptr<TPlayScreen> PlayScreen;
std::shared_ptr<TScreen> TitleScreen;
std::shared_ptr<TGenerateScreen> GenerateScreen;
std::shared_ptr<TParticleList> Fireworks;
int LastFireworkTime = 0;

namespace {
std::string Text(const std::string& key) { return Resources.GameText ? Resources.GameText->FindString(key) : std::string(); }

// From the image bank, else the data archive (the large backgrounds and the
// particles live there), else the picture folder; kept in the bank afterwards.
std::shared_ptr<TGameImage> Picture(const std::string& name) {
    auto found = Resources.ImageBank->Map.find(UpperCase(name));
    if (found != Resources.ImageBank->Map.end()) return found->second;
    if (Resources.PakManager)
        for (const char* ext : {".png", ".jpg"}) {
            auto bytes = Resources.PakManager->GetBinary(name + ext);
            if (bytes.empty()) continue;
            if (auto image = platform::LoadImage(bytes)) {
                auto picture = TGameImage::CreateFromImage(image, UpperCase(name), 1);
                Resources.ImageBank->Map[UpperCase(name)] = picture;
                return picture;
            }
        }
    return Resources.ImageBank->Load(name, "", -1, 1);
}

std::shared_ptr<TGameSound> Sound(const std::string& name) { return Resources.SoundBank ? Resources.SoundBank->Find(name) : nullptr; }

void PlaySound(const std::string& name) {
    static std::shared_ptr<platform::Channel> channel;
    if (!channel) channel = platform::AllocChannel();
    if (auto sound = Sound(name)) Game->GameSoundPlay(channel, sound, 0);
}

std::shared_ptr<TMenu> NewMenu(int gap) { return TMenu::Create("buttonMO", "buttonclick", 0, 0, gap); }

void FadeTo(const std::shared_ptr<TScreen>& destination) {
    Game->DestinationTScreen = destination ? destination : Game->ExitScreen;
    Game->GameFade->Init(FadeTime, 1, nullptr, 0, 0, nullptr);
}

void FreshOverlay() {
    if (GenerateScreen) GenerateScreen->Kill();
    GenerateScreen = std::make_shared<TGenerateScreen>();
    GenerateScreen->Load();
}

int Rand(int low, int high) { return platform::Rand(low, high); }
float Rndf(float low, float high) { return static_cast<float>(platform::Rnd(low, high)); }

bool HeldDown(int key) { return KeyDown(key) != 0; }
bool CtrlHeld() { return HeldDown(vk::LCONTROL) || HeldDown(vk::RCONTROL) || HeldDown(vk::CONTROL); }
bool ShiftHeld() { return HeldDown(vk::LSHIFT) || HeldDown(vk::RSHIFT) || HeldDown(vk::SHIFT); }
}  // namespace

std::shared_ptr<TGameImage> ScreenPicture(const std::string& name) { return Picture(name); }
void FadeToScreen(const std::shared_ptr<TScreen>& destination) { FadeTo(destination); }
std::shared_ptr<TMenu> NewScreenMenu(int gap) { return NewMenu(gap); }

void UseSparkleTrail() {
    Game->Mouse->ParticleFunc = [] {
        auto& mouse = *Game->Mouse;
        mouse.SparkleCounter -= Delta;
        if (mouse.SparkleCounter > 0 || !mouse.ParticleList) return 0;
        mouse.SparkleCounter += static_cast<float>(mouse.SparkleLength);
        int px = mouse.x + Rand(1, std::max(1, mouse.w - 20)) - 5;
        int py = mouse.y + Rand(1, std::max(1, mouse.h - 25)) - 5;
        auto sparkle = mouse.ParticleList->AddNew(px, py, Picture("particle1"), Rndf(-0.05f, 0.05f), 0, 0.0016f,
                                                  1000, 1, Rand(0, 1) ? 1 : -1, Rndf(0.2f, 0.5f), Rndf(0.2f, 0.5f),
                                                  0, 0, 0);
        if (sparkle) {
            sparkle->Color = TColor::Create(Rand(100, 255), Rand(100, 255), Rand(100, 255), 1.0f);
            sparkle->SetFade(200, 300, 1000);
        }
        return 0;
    };
}

// ---------------------------------------------------------------- overlay

int TGenerateScreen::Load() {
    ActivateSound = Sound("buttonclick");
    Channel = platform::AllocChannel();
    FadeIn = TAnimation::Create(500, 0, 0, 0, 0);
    FadeOut = TAnimation::Create(500, 0, 0, 0, 0);
    Active = 0;
    HasGenerated = 0;
    Game->FadeMusic = 0;
    return 0;
}

int TGenerateScreen::Kill() {
    Active = 0;
    return 0;
}

int TGenerateScreen::Show(int playSound) {
    Active = 1;
    MouseState = Game->Mouse->Active;
    if (playSound && ActivateSound) Game->GameSoundPlay(Channel, ActivateSound, 0);
    FadeIn->Reset();
    FadeIn->Start();
    FlushKeys();
    FlushMouse();
    return 0;
}

int TGenerateScreen::Hide() {
    if (!MouseState) Game->Mouse->Off();
    FadeOut->Reset();
    FadeOut->Start();
    FadeOut->Counter = FadeIn->Length[0] - FadeIn->Counter;
    FadeIn->Stop();
    FlushKeys();
    FlushMouse();
    return 0;
}

int TGenerateScreen::Logic() {
    if (!Active) return 0;
    FadeIn->Manage();
    if (FadeOut->Manage() && FadeOut->Finished) Active = 0;
    return 0;
}

int TGenerateScreen::Draw() {
    if (!Active) return 0;
    float dim = 0.5f, alpha = 1.0f;
    if (FadeIn->Active) {
        dim = 0.5f * FadeIn->GetRatioInvSine();
        alpha = FadeIn->GetRatioInv();
    } else if (FadeOut->Active) {
        dim = 0.5f * FadeOut->GetRatioSine();
        alpha = FadeOut->GetRatio();
    }
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(dim);
    platform::DrawRect(0, 0, 800, 600);
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(alpha);
    TextStyle.Alpha = alpha;
    SetTextShadow(3, 3, 0.4f);
    Picture(Puzzle.CustomMode ? "solving" : "generating")->Draw(400, 300);
    platform::SetAlpha(1.0f);
    TextStyle.Alpha = 1.0f;

    // A close that came while the overlay faded in ends the game; the puzzle the
    // player had stays as it was.
    if (!FadeIn->Active && !FadeOut->Active && !HasGenerated && !Game->IsClosing() &&
        !platform::CloseRequestPending()) {
        if (Puzzle.CustomMode) {
            // An accepted puzzle's notice is shown by the play screen as it starts again:
            // a dialog opened here would go with the screen change.
            if (!Core->CheckCustomPuzzle()) {
                Hide();
                if (GameScreen)
                    GameScreen->OKInput = CreateMessageDialog(
                        Text(Core->CheckMessage) + (Core->CheckDetail.empty() ? "" : "\r\n" + Core->CheckDetail));
            }
            HasGenerated = 1;
            Game->Mouse->On();
        } else {
            Core->NewPuzzle();
            HasGenerated = 1;
            Puzzle.CustomMode = 0;
            FadeTo(GameScreen);
            Game->Mouse->On();
            StartPuzzleTimer();
        }
        // The work may have taken long; do not make up for it with a burst of steps.
        Game->FixedRateLogic->Init();
    }
    return 0;
}

// ---------------------------------------------------------------- end menu

int VTEndLevelMenu::Init(int originX, int originY) {
    Menu = NewMenu(10);
    for (const char* name : {"nextpuzzle", "restartpuzzle", "backtomenu"}) Menu->AddQuick(name, name);
    orgX = originX;
    orgY = originY;
    PositionMenu();
    Picture("endlevelback");
    Show = 1;
    return 0;
}

int VTEndLevelMenu::PositionMenu() {
    if (orgX == -1) Menu->Centre();
    return 0;
}

int VTEndLevelMenu::Logic(int allowNext, int allowRestart, int allowBack) {
    Selected = 0;
    if (!Show) return 0;
    Menu->Manage(0, 0);
    if (Menu->Clicked("nextpuzzle") && allowNext) Selected = 1;
    if (Menu->Clicked("restartpuzzle") && allowRestart) Selected = 2;
    if (Menu->Clicked("backtomenu") && allowBack) Selected = 3;
    return 0;
}

int VTEndLevelMenu::Draw(int showNext, int showRestart, int showBack) {
    if (!Show) return 0;
    Picture("endlevelback")->Draw(static_cast<float>(X), static_cast<float>(Y));
    const char* names[] = {"nextpuzzle", "restartpuzzle", "backtomenu"};
    const int shown[] = {showNext, showRestart, showBack};
    bool removed = false;
    for (int k = 0; k < 3; ++k) {
        if (shown[k]) continue;
        if (auto button = Menu->FindButton(names[k])) {
            std::erase(Menu->Items, button);
            removed = true;
        }
    }
    if (removed) Menu->Centre();
    Menu->Draw(0, 0);
    return 0;
}

// ---------------------------------------------------------------- play screen

int TGameScreen::Load() {
    LastImage = Rand(1, 4);
    Image = Picture("gamescreen" + std::to_string(LastImage))->image;
    Image->MidHandle();
    HeaderLoad("logosmall", 102, 50, 1);
    FreshOverlay();
    if (Game->Mouse->ParticleList) Game->Mouse->ParticleList->Clear();
    Game->Mouse->ParticleFunc = nullptr;
    Fireworks = nullptr;
    RestartInput = NewInput = QuitInput = nullptr;
    NameInput = SaveGameNameInput = VerticalSumInput = HorizontalSumInput = nullptr;
    OKInput = nullptr;
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
    PuzzleAids.push_back({"showhidemistakes", [] { return Puzzle.ShowMistakes; }, [] { Core->ShowHideMistakes(); }});
    PuzzleAids.push_back({"showrandomcell", nullptr, [] { Core->ShowRandomCell(); }});
    PuzzleAids.push_back({"showdesiredcell", nullptr, [] { Core->ShowDesiredCell(); }});
    PuzzleAids.push_back({"showhideautomarkup", [] { return Puzzle.AutoMarkup; }, [] { Core->ShowHideMarkup(); }});
    PuzzleAids.push_back({"showhidesolution", [] { return Puzzle.ShowSolution; }, [] { Core->ShowHideSolution(); }});
    PuzzleAids.push_back({"explainstep", nullptr, [this] { ExplainStep(); }, 'H'});
}

void TGameScreen::ExplainStep() {
    const TExplainedStep& shown = Board.Explained;
    const bool live = shown.Kind != TExplainKind::None && shown.Kind != TExplainKind::Stuck &&
                      shown.Changes == EditHistory.Changes;
    if (live) {
        ApplyExplainedStep();
        return;
    }
    Board.Explained = ExplainNextStep();
}

void TGameScreen::ApplyExplainedStep() {
    const TExplainedStep step = Board.Explained;
    Board.Explained = TExplainedStep{};
    ::ApplyExplainedStep(step);
    SetToggles();
}

void TGameScreen::DismissExplanation(int pressed, int keyed) {
    if (Board.Explained.Kind == TExplainKind::None) return;
    const bool escape = Keys.KeyHits[vk::ESCAPE] > 0 || HeldDown(vk::ESCAPE);
    if (escape) {
        ClearKey(vk::ESCAPE);
        SwallowEscape = 1;
    }
    if (escape || pressed || keyed || Board.Explained.Changes != EditHistory.Changes || Puzzle.PuzzleCompleted ||
        ShowingInput)
        Board.Explained = TExplainedStep{};
}

void TGameScreen::ManagePuzzleAids() {
    for (const TPuzzleAid& aid : PuzzleAids) {
        const bool pressed = aid.Key != 0 && KeyHit(aid.Key) && !CtrlHeld();
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
    if (AutosaveWanted()) {
        WriteAutosave();
        // The write waits for the disk; that time must not come back as a burst of steps.
        if (Game->FixedRateLogic) Game->FixedRateLogic->Init();
    }
    LastAutosaveChanges = EditHistory.Changes;
    LastAutosaveTime = platform::MilliSecs();
}

int TGameScreen::Undo() {
    if (!UndoEdit()) return 0;
    SetToggles();
    return 1;
}

int TGameScreen::Redo() {
    if (!RedoEdit()) return 0;
    SetToggles();
    return 1;
}

int TGameScreen::KeepAwake() { return Puzzle.PuzzleCompleted ? 0 : 1; }

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
    if (Puzzle.CustomMode) return;
    for (int k = 0; k < 6; ++k)
        if (moves[k]) MoveCursor(moveKeys[k]);
    // A key pressed and released within one step is never seen held; its hit
    // still chooses the tool.
    if (digit || erase) {
        Board.SelectedNumber = digit ? digit : 0;
        RadioSelect(NumberMenu, std::to_string(Board.SelectedNumber), 0);
    }
    if (!Board.CursorShown || ctrl) return;
    const int x = Board.CursorX, y = Board.CursorY;
    if (digit) UseToolOnCell(x, y, digit, shift ? 0 : 1, shift ? 1 : 0);
    if (erase) UseToolOnCell(x, y, 0, 1, 0);
    if (use) UseToolOnCell(x, y, Board.SelectedNumber, 1, 0);
}

int TGameScreen::Start() {
    TScreen::Start();
    if (Puzzle.CustomPuzzleReady == 1) {
        Puzzle.CustomMode = 0;
        Puzzle.CustomPuzzleReady = 0;
        Core->CreateCells(1);
        Core->RestartPuzzle();
        // Accepted with something the player must know: the solution kept is one of several.
        if (!Core->CheckMessage.empty()) ShowNotice(Text(Core->CheckMessage));
    }
    Board.SelectedNumber = Puzzle.CustomMode ? 10 : 1;
    Board.OpenClueDialogs = [this] { OpenClueDialogs(); };
    Board.ApplyExplained = [this] { ApplyExplainedStep(); };
    Board.Explained = TExplainedStep{};
    Board.CursorX = Board.CursorY = -1;
    Board.CursorShown = 0;
    if (ResumeElapsedMs >= 0) {
        // The clock goes on from the kept time once the board is shown.
        Puzzle.TimerStart = platform::MilliSecs() - ResumeElapsedMs;
        Puzzle.TimerStop = 0;
        ResumeElapsedMs = -1;
    }
    LastAutosaveChanges = EditHistory.Changes;
    LastAutosaveTime = platform::MilliSecs();
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    Game->FixedRateLogic->Init();

    const std::string selected = std::to_string(Board.SelectedNumber);
    NumberMenu = NewMenu(7);
    for (int n = 0; n <= 9; ++n) MenuAddRadio(NumberMenu, std::to_string(n), selected, 0);
    CustomNumberMenu = NewMenu(7);
    for (const char* name : {"0", "10"}) MenuAddRadio(CustomNumberMenu, name, selected, 0);
    for (auto& menu : {NumberMenu, CustomNumberMenu}) {
        menu->CentreVert();
        menu->SetX(730);
    }

    MainMenu = NewMenu(10);
    for (const char* name : {"pause", "savegame", "newpuzzle", "restartpuzzle", "backtomenu"})
        MainMenu->AddQuickAuto(name, name);
    MainMenu->SetX(27);
    MainMenu->SetY(100);
    // Six aids fit between the main menu and the timer only with narrower gaps.
    PuzzleMenu = NewMenu(PuzzleAids.size() > 5 ? 4 : 10);
    for (const TPuzzleAid& aid : PuzzleAids) {
        if (aid.State)
            MenuAddToggle(PuzzleMenu, aid.State(), aid.Name);
        else
            PuzzleMenu->AddQuick(aid.Name, aid.Name);
    }
    PuzzleMenu->SetX(27);
    PuzzleMenu->SetY(280);
    CustomPuzzleMenu = NewMenu(10);
    for (const char* name : {"backtomenu", "checkplay"}) CustomPuzzleMenu->AddQuick(name, name);
    CustomPuzzleMenu->SetX(27);
    CustomPuzzleMenu->SetY(100);

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

void TGameScreen::ShowNotice(const std::string& message) {
    OKInput = CreateMessageDialog(message);
}

namespace {
std::shared_ptr<TDialogTextInput> SumEntryDialog(const std::string& key, int value) {
    auto dialog = CreateSaveNameDialog(1, Text(key));
    dialog->TextInput->NumbersOnly = 1;
    dialog->TextInput->MaxLength = 2;
    dialog->TextInput->Text = value ? std::to_string(value) : std::string();
    // The caption offers "(empty: none)"; the save-name dialog beneath refuses empty text.
    dialog->AllowNull = 1;
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
    const std::string problem = ClueProblem(direction, Board.EditCellX, Board.EditCellY, clue);
    if (problem.empty()) return false;
    ShowNotice(problem);
    RetypeClue = 1 + direction;
    return true;
}

void TGameScreen::OpenClueDialogs() {
    HorizontalSumInput = SumEntryDialog("Enter Horizontal Sum", Puzzle.EnteredHorizontalSum);
}

void TGameScreen::EndOfPuzzle() {
    Board.HoverCellX = Board.HoverCellY = -1;
    Fireworks = std::make_shared<TParticleList>();
    StopPuzzleTimer();
    RemoveAutosave();
    PlaySound("applause");
    const int place = NoBestTimeReason().empty() ? WillEnterHighscoreForSize(Puzzle.TimerStop - Puzzle.TimerStart) : 0;
    if (place != 0) {
        NameInput = CreateHighScoreNameDialog(0, place, Text("Highscore Place"));
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
        Core->RestartPuzzle();
        Core->CreateCells(1);
        SetToggles();
        RemoveAutosave();
    });
    run(NewInput, [&](auto&) {
        // The puzzle on the board is given up: nothing of it is kept from here on.
        ClearEditHistory();
        RemoveAutosave();
        Game->Mouse->Off();
        GenerateScreen->Show(1);
    });
    run(QuitInput, [&](auto&) { FadeTo(PlayScreen); });
    run(NameInput, [&](auto& dialog) {
        Board.HoverCellX = Board.HoverCellY = -1;
        AddHighscoreForSize(dialog->TextInput->Text, Puzzle.PuzzleDifficulty, Puzzle.TimerStop - Puzzle.TimerStart);
        endLevelMenu->Init(-1, -1);
    });
    run(SaveGameNameInput, [&](auto& dialog) {
        std::string error;
        SaveGameNamed(dialog->TextInput->Text, &error);
        // Play goes on either way; a save that did not happen must not look as if it did.
        if (!error.empty()) ShowNotice(error);
    });
    run(VerticalSumInput, [&](auto& dialog) {
        Puzzle.EnteredVerticalSum = TypedNumber(dialog);
        if (RefuseClue(Vertical, Puzzle.EnteredVerticalSum)) return;
        TEditRequest request;
        request.Kind = TEditKind::ClueCell;
        request.X = Board.EditCellX;
        request.Y = Board.EditCellY;
        request.Across = Puzzle.EnteredHorizontalSum;
        request.Down = Puzzle.EnteredVerticalSum;
        ApplyEdit(request);
    });
    run(HorizontalSumInput, [&](auto& dialog) {
        Puzzle.EnteredHorizontalSum = TypedNumber(dialog);
        if (RefuseClue(Horizontal, Puzzle.EnteredHorizontalSum)) return;
        Puzzle.EnteredVerticalSum = Puzzle.VerticalSumGrid[Board.EditCellX][Board.EditCellY];
        VerticalSumInput = SumEntryDialog("Enter Vertical Sum", Puzzle.EnteredVerticalSum);
    });
    if (OKInput) {
        ShowingInput = 1;
        if (OKInput->Manage() == 1) {
            OKInput = nullptr;
            ShowingInput = 0;
            Game->IgnoreEscapeKey = 1;
            FreshOverlay();
            // A refused clue is asked for again, showing what was typed so it can be mended.
            if (RetypeClue == 1 + Horizontal)
                HorizontalSumInput = SumEntryDialog("Enter Horizontal Sum", Puzzle.EnteredHorizontalSum);
            else if (RetypeClue == 1 + Vertical)
                VerticalSumInput = SumEntryDialog("Enter Vertical Sum", Puzzle.EnteredVerticalSum);
            RetypeClue = 0;
        }
    }
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
    const int custom = Puzzle.CustomMode;
    auto visible = [&] { return custom ? CustomNumberMenu : NumberMenu; };
    auto select = [&](int n, const std::shared_ptr<TMenu>& menu) {
        Board.SelectedNumber = n;
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

    const int z = Game->Mouse->z;
    if (z != LastMouseZ) {
        // One step for every notch the wheel turned, however many arrive at once.
        const int step = z < LastMouseZ ? 1 : -1;
        for (int notches = std::abs(z - LastMouseZ); notches > 0; --notches)
            Board.SelectedNumber = WheelStep(Board.SelectedNumber, step, custom);
        LastMouseZ = z;
        RadioSelect(visible(), std::to_string(Board.SelectedNumber), 0);
    }
}

std::string KeepBelowPaper(const std::string& message, const std::shared_ptr<platform::ImageFont>& font) {
    auto lines = SplitLines(message);
    // Lines grow upwards from the bottom one; those whose top stays below the paper.
    const int room = (HelpLineY - (PaperSheet.y + PaperSheet.h)) / HelpLineGap + 1;
    if (static_cast<int>(lines.size()) <= room) return message;
    // The lines after the first are joined and wrapped again across the
    // screen's whole width, which the paper above leaves free.
    std::string body;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!body.empty() && body.back() != ' ') body += ' ';
        body += lines[i];
    }
    platform::SetImageFont(font);
    const auto wrapped = WordWrapLines({body}, HelpLineWidth, nullptr, 1.0f);
    if (static_cast<int>(wrapped.size()) + 1 >= static_cast<int>(lines.size())) return message;
    std::string text = lines[0];
    for (const auto& line : wrapped) text += "\r\n" + line;
    return text;
}

void FireworkInk(int& r, int& g, int& b) {
    const int high = std::max({r, g, b}), low = std::min({r, g, b});
    // A near-grey spark has no hue to deepen: it becomes the game's amber.
    if (high - low < 24) {
        r = 214, g = 120, b = 30;
        return;
    }
    auto deepen = [&](int c) { return 24 + (c - low) * (190 - 24) / (high - low); };
    r = deepen(r), g = deepen(g), b = deepen(b);
}

void DrawFireworks(TParticleList& list) {
    if (list.Count() == 0) return;
    int vx, vy, vw, vh;
    platform::GetViewport(vx, vy, vw, vh);
    const PaperRect paper = PaperSheet;
    const auto items = list.Items();
    // Half the diagonal of the largest spark: rotation turns it within that.
    auto reach = [](const TParticle& p) {
        const float side = p.image ? static_cast<float>(std::max(p.image->w, p.image->h)) : 0.0f;
        return side * std::max(p.ScaleX, p.ScaleY) * 0.75f;
    };
    auto touches = [&](const TParticle& p, int x, int y, int w, int h) {
        const float r = reach(p);
        return p.x + r >= static_cast<float>(x) && p.x - r <= static_cast<float>(x + w) &&
               p.y + r >= static_cast<float>(y) && p.y - r <= static_cast<float>(y + h);
    };
    // Over the dark ground the sparks are light added to it.
    const int bands[4][4] = {{0, 0, ScreenWidth, paper.y},
                             {0, paper.y + paper.h, ScreenWidth, ScreenHeight - paper.y - paper.h},
                             {0, paper.y, paper.x, paper.h},
                             {paper.x + paper.w, paper.y, ScreenWidth - paper.x - paper.w, paper.h}};
    for (const auto& band : bands) {
        if (band[2] <= 0 || band[3] <= 0) continue;
        platform::SetViewport(band[0], band[1], band[2], band[3]);
        for (const auto& p : items)
            if (touches(*p, band[0], band[1], band[2], band[3])) p->Draw();
    }
    // Light added to cream paper burns to white; there they are ink instead.
    platform::SetViewport(paper.x, paper.y, paper.w, paper.h);
    for (const auto& p : items) {
        if (!touches(*p, paper.x, paper.y, paper.w, paper.h)) continue;
        const int light = p->DoLightBlend;
        auto colour = p->Color;
        int r = 255, g = 255, b = 255;
        if (colour) colour->Get(r, g, b);
        FireworkInk(r, g, b);
        p->DoLightBlend = 0;
        p->Color = TColor::Create(r, g, b, 1.0f);
        p->Draw();
        p->DoLightBlend = light;
        p->Color = colour;
    }
    platform::SetViewport(vx, vy, vw, vh);
    platform::SetBlend(platform::ALPHABLEND);
}

void TGameScreen::FireworkBurst(int bx, int by) {
    const int count = 50 * Game->Particles / 100;
    auto picture = Picture("particle2");
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
    {
        // A press on the explained cell or on the aid itself, or the H key, is the
        // second press; anything else puts the explanation away first.
        int pressed = Game->Mouse->GetMh(0) ? 1 : 0;
        for (auto& cell : CellList->Items)
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
    const int custom = Puzzle.CustomMode;
    if (!custom && !Puzzle.PuzzleCompleted) {
        Core->IsPuzzleCompleted();
        if (Puzzle.PuzzleCompleted) EndOfPuzzle();
    }
    ManageDialogs();
    const int completed = Puzzle.PuzzleCompleted;
    // A solved puzzle has nothing left to save: its button says so.
    if (auto save = MainMenu->FindButton("savegame")) {
        save->Disabled = completed && save->ImageDisabled ? 1 : 0;
        save->ClickDisabled = 0;
    }

    if (!completed && !ShowingInput) {
        Board.HoverCellX = Board.HoverCellY = -1;
        if (Options.ShowHighlighter)
            for (auto& cell : CellList->Items)
                if (cell->IsMouseOver()) {
                    Board.HoverCellX = cell->ArrayLocationX;
                    Board.HoverCellY = cell->ArrayLocationY;
                    break;
                }
        CellList->Manage();
        if (!custom) {
            MainMenu->Manage(0, 0);
            PuzzleMenu->Manage(0, 0);
            NumberMenu->Manage(0, 0);
        } else {
            CustomPuzzleMenu->Manage(0, 0);
            CustomNumberMenu->Manage(0, 0);
        }
    } else if (completed && !ShowingInput) {
        MainMenu->Manage(0, 0);
    }

    if (completed && Fireworks && platform::MilliSecs() - LastFireworkTime >= Rand(250, 750)) {
        LastFireworkTime = platform::MilliSecs();
        FireworkBurst(Rand(100, 700), Rand(100, 500));
    }
    CellList->Move();
    if (Fireworks) Fireworks->Manage();

    if (completed && !ShowingInput) {
        endLevelMenu->Logic(1, 1, 1);
        if (endLevelMenu->Selected == 1) {
            Game->Mouse->Off();
            GenerateScreen->Show(1);
        } else if (endLevelMenu->Selected == 2) {
            RestartInput = CreateYesNoDialog(Text("Restart Puzzle"));
        } else if (endLevelMenu->Selected == 3) {
            QuitInput = CreateYesNoDialog(Text("Exit Playing"));
        }
    }

    if (!ShowingInput && !GenerateScreen->Active) {
        if (MainMenu->Clicked("savegame") && !completed) {
            SaveGameNameInput = CreateSaveNameDialog(1, Text("Enter Save Name"));
            SaveGameNameInput->Start();
        }
        if (MainMenu->Clicked("newpuzzle")) NewInput = CreateYesNoDialog(Text("Create Puzzle"));
        if (MainMenu->Clicked("restartpuzzle")) RestartInput = CreateYesNoDialog(Text("Restart Puzzle"));
        if (MainMenu->Clicked("backtomenu") || CustomPuzzleMenu->Clicked("backtomenu") ||
            // A press and release within one step leaves only the hit behind.
            ((HeldDown(vk::ESCAPE) || KeyHit(vk::ESCAPE)) && !QuitInput && !SwallowEscape))
            QuitInput = CreateYesNoDialog(Text("Exit Playing"));
        if (MainMenu->Clicked("pause")) {
            Game->Paused = 1;
            Game->Pause();
        }
        if (CustomPuzzleMenu->Clicked("checkplay")) {
            Game->Mouse->Off();
            GenerateScreen->Show(1);
        }
    }

    const bool boardLive = !completed && !ShowingInput && !GenerateScreen->Active;
    if (boardLive && !custom) ManagePuzzleAids();
    BoardKeys(boardLive);
    if (boardLive) SelectNumbers();

    if (platform::MilliSecs() - LastAutosaveTime >= AutosaveIntervalMs) {
        if (EditHistory.Changes != LastAutosaveChanges)
            Autosave();
        else
            LastAutosaveTime = platform::MilliSecs();
    }

    if (Board.ConflictShown && platform::MilliSecs() - Board.ConflictShownTime >= 1000)
        Board.ConflictShown = Board.ConflictCellX = Board.ConflictCellY = 0;

    if (platform::MilliSecs() - LastFade >= 150000) {
        int next = LastImage + 1;
        if (next == 5) next = 1;
        auto old = Image;
        Image = Picture("gamescreen" + std::to_string(next))->image;
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
    return 0;
}

std::string FinishedMessage() {
    std::string message = Text("Finished Puzzle Message");
    // A time the best times do not take, and help that was counted, are said on
    // the same line, so the player never wonders where the name question went.
    const std::string reason = NoBestTimeReason();
    if (!reason.empty()) message += "\r\n" + Text(reason);
    if (Puzzle.ExplainsUsed > 0) {
        const std::string key = Puzzle.ExplainsUsed == 1 ? "Explained One Step" : "Explained Steps";
        std::string counted = Text(key);
        const auto at = counted.find("{count}");
        if (at != std::string::npos) counted.replace(at, 7, std::to_string(Puzzle.ExplainsUsed));
        message += "\r\n" + counted;
    }
    return message;
}

void TGameScreen::FreezeTimer() {
    const int now = platform::MilliSecs();
    if (Game->Paused && LastTime == 0) {
        if (!Puzzle.PuzzleCompleted) Puzzle.TimerStop = LastTime = now;
        DidPauseOrSuspend = 0;
    } else if (Game->Suspended && LastTime == 0) {
        if (!Puzzle.PuzzleCompleted) Puzzle.TimerStop = LastTime = now;
        DidPauseOrSuspend = 1;
    }
    if (Puzzle.TimerStop && LastTime &&
        ((DidPauseOrSuspend == 0 && !Game->Paused) || (DidPauseOrSuspend == 1 && !Game->Suspended))) {
        Puzzle.TimerStart = now - (Puzzle.TimerStop - Puzzle.TimerStart);
        DidPauseOrSuspend = -1;
        LastTime = 0;
        Puzzle.TimerStop = 0;
    }
}

namespace {

// A five-pointed star of lines from its centre to its outline: filled, or its outline only.
void DrawStar(float cx, float cy, float radius, bool filled) {
    constexpr float kPi = 3.14159265f;
    float px[10], py[10];
    for (int k = 0; k < 10; ++k) {
        const float r = k % 2 ? radius * 0.45f : radius;
        const float angle = -kPi / 2 + static_cast<float>(k) * kPi / 5;
        px[k] = cx + r * std::cos(angle);
        py[k] = cy + r * std::sin(angle);
    }
    for (int k = 0; k < 10; ++k) {
        const int next = (k + 1) % 10;
        platform::DrawLine(px[k], py[k], px[next], py[next]);
        if (!filled) continue;
        for (int step = 1; step < 12; ++step) {
            const float t = static_cast<float>(step) / 12;
            platform::DrawLine(cx, cy, px[k] + t * (px[next] - px[k]), py[k] + t * (py[next] - py[k]));
        }
    }
}

}  // namespace

// The level and the puzzle's grade within it, as lit and dim stars.
void TGameScreen::DrawGradeLine(float x, float y) {
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font25);
    const std::string level = DifficultyName(Puzzle.PuzzleDifficulty);
    DrawTextLeft(level, x, y, 1, 1);
    const float first = x + static_cast<float>(platform::TextWidth(level)) + 20;
    for (int k = 0; k < 5; ++k) {
        const bool lit = k < Puzzle.PuzzleStars;
        if (lit) {
            platform::SetColor(255, 190, 60);
        } else {
            platform::SetColor(200, 200, 210);
        }
        DrawStar(first + 24.0f * static_cast<float>(k), y + 13, 10, lit);
    }
    platform::SetColor(255, 255, 255);
}

int TGameScreen::Draw() {
    platform::Cls();
    platform::SetBlend(platform::ALPHABLEND);
    SetTextShadow(2, 2, 0.6f);
    if (CrossFade)
        CrossFade->Draw();
    else if (Image)
        platform::DrawImage(Image, 400, 300);
    if (Header) Header->Draw();

    Board.Message.clear();
    if (!Game->Paused && !Game->Suspended) CellList->Draw(ShowingInput ? 0 : 1);
    if (Puzzle.RevealCellMode) Board.Message = Text("Click Contents Message");
    if (Puzzle.PuzzleCompleted) Board.Message = FinishedMessage();
    if (Board.Explained.Kind != TExplainKind::None && !Puzzle.PuzzleCompleted) {
        // The reasoning is the point of the aid: it takes the whole line, wrapped.
        platform::SetImageFont(Resources.Font25);
        const auto lines = WordWrapLines({Board.Explained.Sentence}, HelpLineWidth, nullptr, 1.0f);
        Board.Message.clear();
        for (const auto& line : lines) Board.Message += (Board.Message.empty() ? "" : "\r\n") + line;
    }
    DrawMessage(KeepBelowPaper(Board.Message, Resources.Font25), -1, 565, Resources.Font25, 1, 1, 1, 0);

    if (!Puzzle.CustomMode && Options.ShowTimer) {
        platform::SetColor(255, 255, 255);
        platform::SetImageFont(Resources.Font34);
        DrawTextLeft(Text("Time Field") + PuzzleTimerText(), 25, 459, 1, 1);
    }
    FreezeTimer();
    if (!Puzzle.CustomMode && Puzzle.PuzzleStars > 0) DrawGradeLine(25, 505);

    const std::shared_ptr<TDialog> dialogs[] = {RestartInput,      NewInput,         QuitInput,
                                                NameInput,         SaveGameNameInput, VerticalSumInput,
                                                HorizontalSumInput, OKInput};
    const bool questionOpen = std::any_of(std::begin(dialogs), std::end(dialogs), [](const auto& d) { return !!d; });
    if (Puzzle.PuzzleCompleted) {
        NumberMenu->ClearMouseOver();
        PuzzleMenu->ClearMouseOver();
    }
    // Under a question the buttons are out of reach: none may look as if the
    // pointer were on it.
    if (questionOpen)
        for (auto& menu : {MainMenu, NumberMenu, PuzzleMenu, CustomNumberMenu, CustomPuzzleMenu})
            if (menu) menu->ClearMouseOver();
    if (!Puzzle.CustomMode) {
        MainMenu->Draw(0, 0);
        if (!Puzzle.PuzzleCompleted) {
            NumberMenu->Draw(0, 0);
            PuzzleMenu->Draw(0, 0);
        }
    } else {
        CustomNumberMenu->Draw(0, 0);
        CustomPuzzleMenu->Draw(0, 0);
    }
    if (Fireworks) DrawFireworks(*Fireworks);
    // The end panel gives way to the question it asked: two boxes stacked
    // would show the lower one's edges around the upper one.
    if (Puzzle.PuzzleCompleted && !questionOpen) endLevelMenu->Draw(1, 1, 1);
    for (const auto& dialog : dialogs)
        if (dialog) dialog->Draw();
    GenerateScreen->Draw();
    return 0;
}

// ---------------------------------------------------------------- setup screen

std::string SizeName(int width) {
    switch (width) {
        case 6: return "6x6";
        case 7: return "7x7";
        case 12: return "12x12";
        case 14: return "14x14";
        default: return "9x9";
    }
}

std::string DifficultyButtonName(int difficulty) {
    switch (difficulty) {
        case 0: return "easy";
        case 2: return "hard";
        default: return "medium";
    }
}

int TPlayScreen::Load() {
    ChosenDifficulty = DifficultyButtonName(Puzzle.PuzzleDifficulty);
    ChosenSize = SizeName(Puzzle.BoardWidth);
    FreshOverlay();
    Image = Picture("playscreen")->image;
    Image->MidHandle();
    HeaderLoad("playoptionsheader", 400, 100, 1);
    SizeMenu = NewMenu(0);
    for (const char* name : {"6x6", "7x7", "9x9", "12x12", "14x14"}) MenuAddRadio(SizeMenu, name, ChosenSize, 0);
    SizeMenu->SetX(165);
    SizeMenu->SetY(230);
    DifficultyMenu = NewMenu(0);
    for (const char* name : {"easy", "medium", "hard"}) MenuAddRadio(DifficultyMenu, name, ChosenDifficulty, 0);
    DifficultyMenu->SetX(465);
    DifficultyMenu->SetY(230);
    MainMenu = NewMenu(0);
    const char* names[][2] = {{"play", "playsmall"}, {"custom", "customsmall"}, {"loadgame", "load"}, {"back", "backsmall"}};
    for (auto& [name, picture] : names) {
        auto button = MainMenu->AddQuick(picture, name);
        button->SetName(name);
        button->ScaleOnMOMax = 1.15f;
        if (std::string(name) == "play" || std::string(name) == "custom") button->OKButton = 1;
    }
    MainMenu->MakeRow(15);
    MainMenu->CentreHoriz();
    MainMenu->SetY(500);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    SizeLabel = TSprite::Create(Picture("sizelabel"), 220, 205);
    DifficultyLabel = TSprite::Create(Picture("difficultylabel"), 560, 205);
    for (auto& sprite : {Header, SizeLabel, DifficultyLabel})
        if (sprite) sprite->SetGlow(3, 0, 0.25f, 0, 0.5f);
    return 0;
}

int TPlayScreen::Start() {
    TScreen::Start();
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    Game->Mouse->On();
    Game->FixedRateLogic->Init();
    Game->IgnoreEscapeKey = 0;
    Puzzle.CustomMode = 0;
    Puzzle.CustomPuzzleReady = 0;
    return 0;
}

int TPlayScreen::ShowSaveGameManager() {
    auto manager = TSaveGameManager::Create(Text("Choose Savegame"), Picture("manager")->image, 0, 0, 0, "dat",
                                            Game->ProfilePath, Text("Delete File"));
    manager->DrawHighlight = 0;
    manager->DimWhenActive = 1;
    manager->Shadow = TShadow::Create(3, 3, 0.4f);
    manager->SetupCaption(Resources.Font20, TColor::Create(255, 255, 255, 1.0f), TShadow::Create(1, 1, 0.6f), nullptr);
    manager->NavButtonsXPosition = 616;
    manager->ListBox->SetupFont(Resources.Font20, TColor::Create(255, 255, 255, 1.0f), TShadow::Create(1, 1, 0.6f));
    manager->ListBox->SetupBox(TColor::Create(100, 100, 100, 0.5f));
    manager->ListBox->Centred = 1;
    manager->ListBox->HighlightCol = TColor::Create(255, 255, 255, 0.2f);
    manager->ListBox->HighlightUnder = 0;
    manager->ErrorDialogFunc = [](const std::string& text) { return CreateMessageDialog(text); };
    manager->DialogYesNoFunc = [](const std::string& text) { return CreateYesNoDialog(text); };
    manager->Start();
    Game->FixedRateLogic->Init();
    SaveGameManager = manager;
    return 0;
}

int TPlayScreen::Logic() {
    for (auto& sprite : {Header, SizeLabel, DifficultyLabel})
        if (sprite) sprite->ManageGlow();
    if (MessageDialog) {
        int result = MessageDialog->Manage();
        if (result == 1 || result == -1) MessageDialog = nullptr;
        return 0;
    }
    if (SaveGameManager) {
        const int result = SaveGameManager->Manage();
        if (result != 0) {
            const std::string name = SaveGameManager->ListBox->Value;
            SaveGameManager->Kill();
            SaveGameManager = nullptr;
            if (result == 1) {
                std::string error;
                if (LoadGameNamed(name, &error) == -1) {
                    // A damaged save changes nothing: say why and stay here.
                    MessageDialog = CreateMessageDialog(error);
                    return 0;
                }
                Core->CreateCells(1);
                FadeTo(GameScreen);
                Game->Mouse->On();
            }
        }
        if (SaveGameManager && SaveGameManager->Active) return 0;
    }
    GenerateScreen->Logic();
    if (GenerateScreen->Active) return 0;
    SizeMenu->Manage(0, 0);
    DifficultyMenu->Manage(0, 0);
    MainMenu->Manage(0, 0);
    if (MainMenu->Clicked("play")) {
        Game->Mouse->Off();
        GenerateScreen->Show(1);
        return 0;
    }
    if (MainMenu->Clicked("custom")) {
        Puzzle.CustomMode = 1;
        Core->CustomPuzzle();
        FadeTo(GameScreen);
        return 0;
    }
    if (MainMenu->Clicked("loadgame")) {
        Core->RestartPuzzle();
        ShowSaveGameManager();
    }
    if (MainMenu->Clicked("back")) FadeTo(TitleScreen);
    for (const char* name : {"6x6", "7x7", "9x9", "12x12", "14x14"})
        if (SizeMenu->Clicked(name)) {
            Puzzle.BoardWidth = Puzzle.BoardHeight = std::stoi(name);
            ChosenSize = name;
            RadioSelect(SizeMenu, ChosenSize, 0);
        }
    const char* levels[] = {"easy", "medium", "hard"};
    for (int k = 0; k < 3; ++k)
        if (DifficultyMenu->Clicked(levels[k])) {
            Puzzle.PuzzleDifficulty = k;
            ChosenDifficulty = levels[k];
            RadioSelect(DifficultyMenu, ChosenDifficulty, 0);
        }
    return 0;
}

int TPlayScreen::Draw() {
    platform::SetBlend(platform::SOLIDBLEND);
    if (Image) platform::DrawImage(Image, 400 + x, 300 + y);
    platform::SetBlend(platform::ALPHABLEND);
    for (auto& sprite : {Header, SizeLabel, DifficultyLabel})
        if (sprite) sprite->Draw();
    // Under an open chooser or message the buttons are out of reach: none of
    // them may still look as if the pointer were on it.
    if (SaveGameManager || MessageDialog)
        for (auto& menu : {SizeMenu, DifficultyMenu, MainMenu}) menu->ClearMouseOver();
    SizeMenu->Draw(0, 0);
    DifficultyMenu->Draw(0, 0);
    // What the lit level asks of the player, under its buttons.
    platform::SetImageFont(Resources.Font18);
    platform::SetColor(255, 255, 255);
    SetTextShadow(1, 1, 0.6f);
    const int lit = ChosenDifficulty == "easy" ? 0 : ChosenDifficulty == "hard" ? 2 : 1;
    DrawTextLinesWithShadow(560, 388, WordWrapLines({DifficultyAsks(lit)}, 290, nullptr, 1), 1, 21);
    MainMenu->Draw(0, 0);
    if (SaveGameManager) SaveGameManager->Draw();
    if (MessageDialog) MessageDialog->Draw();
    GenerateScreen->Draw();
    return 0;
}

int TPlayScreen::SetEscDestination() {
    Game->DestinationTScreen = TitleScreen ? TitleScreen : Game->ExitScreen;
    return 0;
}

int ContinuePuzzle() {
    int elapsed = 0;
    if (LoadAutosave(&elapsed) != 1) return 0;
    Core->CreateCells(1);
    if (GameScreen) GameScreen->ResumeElapsedMs = elapsed;
    FadeTo(GameScreen);
    Game->Mouse->On();
    return 1;
}

void CreateGameObjects() {
    if (!Resources.ImageBank) Resources.ImageBank = std::make_shared<TImageBank>();
    if (!Resources.SoundBank) Resources.SoundBank = std::make_shared<TSoundBank>();
    InstallCellHooks();
    CoreHooks.CustomPuzzleAccepted = [] { FadeTo(GameScreen); };
    GameScreen = std::make_shared<TGameScreen>();
    GameScreen->name = "game";
    PlayScreen = std::make_shared<TPlayScreen>();
    PlayScreen->name = "play";
    CreateMenuScreens();
}

void LoadSharedResources() {
    Resources.ImageBank->SetPath(Game->ImagePath);
    Resources.SoundBank->SetPath(Game->SoundPath);
    for (const char* name : {"buttonclick", "buttonMO", "applause.ogg"}) Resources.SoundBank->Load(name, 1.0f, 1.0f, "", 0);
    for (const char* name : {"paused", "cell", "cellmo", "bordercell", "bordersumcell", "bordersumcellvmo",
                             "bordersumcellhmo", "cellcursor", "generating", "solving", "music", "sound",
                             "blackback", "input", "inputlong", "inputfield", "sizelabel", "difficultylabel",
                             "helpimage", "manager"})
        Resources.ImageBank->Load(name, "", -1, 1);
    Game->SpritePausedCreate("paused");
    // The window losing the focus may be the last the game sees of the player.
    Game->UserSuspendFunction = [] {
        if (GameScreen && Game->CurrentTScreen == GameScreen) GameScreen->Autosave();
        return 0;
    };
    Game->SpritePaused->SetPosition(400, 300);
    // The large backgrounds and the particles live in the archive only.
    for (const char* file : {"gamescreen1.jpg", "gamescreen2.jpg", "gamescreen3.jpg", "gamescreen4.jpg",
                             "playscreen.jpg", "titlescreen.jpg", "particle1.png", "particle2.png"}) {
        auto image = Resources.PakManager ? Resources.PakManager->GetImage(file, -1) : nullptr;
        if (!image) ShowError(std::string("Error loading bitmap ") + Resources.ResourcePath + "data.pak::" + file, 1);
        const std::string key = UpperCase(platform::StripExt(file));
        Resources.ImageBank->Map[key] = TGameImage::CreateFromImage(image, key, 1);
    }
}

void CreateGameScreens() {
    CreateGameObjects();
    LoadSharedResources();
}

void LoadGameResources() {
    // A black frame while the pictures load.
    platform::SetClsColor(0, 0, 0);
    platform::Cls();
    platform::Flip(Game->FlipSync);
    LoadSharedResources();
    Game->Mouse->Load("pointer");
    if (!Game->Mouse->ParticleList) Game->Mouse->ParticleList = std::make_shared<TParticleList>();
    LoadHighScoreTables();
    Game->DestinationTScreen = TitleScreen;
    TitleScreen->PreStart();
    // The loop then starts suspended and waits for the player to come back.
    if (!platform::Display().WindowIsForeground()) Game->SuspendedEvent = 1;
}
