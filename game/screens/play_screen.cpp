// SPDX-License-Identifier: GPL-3.0-or-later
// The play setup screen.
#include "game/screens/play_screen.h"
#include "game/screens/session.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/save_game.h"
#include "game/screens/generate_screen.h"
#include "game/screens/save_manager.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

std::string SizeName(int width) {
    switch (width) {
        case 6:
            return "6x6";
        case 7:
            return "7x7";
        case 12:
            return "12x12";
        case 14:
            return "14x14";
        default:
            return "9x9";
    }
}

std::string DifficultyButtonName(int difficulty) {
    switch (difficulty) {
        case 0:
            return "easy";
        case 2:
            return "hard";
        default:
            return "medium";
    }
}

int TPlayScreen::Load() {
    ChosenDifficulty = DifficultyButtonName(PlayModel().Puzzle.PuzzleDifficulty);
    ChosenSize = SizeName(PlayModel().Puzzle.BoardWidth);
    GenerateScreen = FreshOverlay(GenerateScreen);
    Image = ScreenPicture("playscreen")->image;
    Image->MidHandle();
    HeaderLoad("playoptionsheader", 400, 100, 1);
    SizeMenu = NewScreenMenu(0);
    for (const char* name : {"6x6", "7x7", "9x9", "12x12", "14x14"}) MenuAddRadio(SizeMenu, name, ChosenSize, 0);
    SizeMenu->SetX(165);
    SizeMenu->SetY(230);
    DifficultyMenu = NewScreenMenu(0);
    for (const char* name : {"easy", "medium", "hard"}) MenuAddRadio(DifficultyMenu, name, ChosenDifficulty, 0);
    DifficultyMenu->SetX(465);
    DifficultyMenu->SetY(230);
    MainMenu = NewScreenMenu(0);
    const char* names[][2] = {
        {"play", "playsmall"}, {"custom", "customsmall"}, {"loadgame", "load"}, {"back", "backsmall"}};
    for (auto& [name, picture] : names) {
        auto button = MainMenu->AddQuick(picture, name);
        button->SetName(name);
        button->ScaleOnMOMax = 1.15f;
        if (std::string(name) == "play" || std::string(name) == "custom") button->OKButton = 1;
    }
    MainMenu->MakeRow(15);
    MainMenu->CentreHoriz();
    MainMenu->SetY(500);
    LoadShareMenu();
    Focus = TFocusRing::Create();
    Focus->AddMenu(SizeMenu);
    Focus->AddMenu(DifficultyMenu);
    Focus->AddMenu(MainMenu);
    Focus->AddMenu(ShareMenu);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    SizeLabel = TSprite::Create(ScreenPicture("sizelabel"), 220, 205);
    DifficultyLabel = TSprite::Create(ScreenPicture("difficultylabel"), 560, 205);
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
    Game->IgnorePauseKey = 1;
    PlayModel().Puzzle.CustomMode = 0;
    PlayModel().Puzzle.CustomPuzzleReady = 0;
    return 0;
}

int TPlayScreen::ShowSaveGameManager() {
    auto manager = TSaveGameManager::Create(ScreenText("Choose Savegame"), ScreenPicture("manager")->image, 0, 0, 0,
                                            "dat", Game->ProfilePath, ScreenText("Delete File"));
    StyleChooser(*manager);
    // Names at the left, what each save holds at the right of its row.
    manager->DetailFont = Resources.Font16;
    manager->ListBox->Centred = 0;
    manager->ListBox->RightBorder = 300;
    manager->Start();
    Game->FixedRateLogic->Init();
    SaveGameManager = manager;
    return 0;
}

void StyleChooser(TSaveGameManager& chooser) {
    auto* manager = &chooser;
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
                if (PlayModel().LoadGameNamed(name, &error) == -1) {
                    // A damaged save changes nothing: say why and stay here.
                    MessageDialog = CreateMessageDialog(error);
                    return 0;
                }
                PlayCore().CreateCells(1);
                GoToScreen(TScreenId::Game);
                Game->Mouse->On();
            }
        }
        if (SaveGameManager && SaveGameManager->Active) return 0;
    }
    if (ManageShareDialogs()) return 0;
    GenerateScreen->Logic();
    if (GenerateScreen->Active) return 0;
    // The walk goes first: Enter on a framed button is not also the Play button's key.
    Focus->Manage();
    SizeMenu->Manage(0, 0);
    DifficultyMenu->Manage(0, 0);
    MainMenu->Manage(0, 0);
    if (ManageShareButtons()) return 0;
    // A puzzle opened from a file may have had any size; a new one has the size lit here.
    if (MainMenu->ClickedName == "PLAY" || MainMenu->ClickedName == "CUSTOM")
        PlayModel().Puzzle.BoardWidth = PlayModel().Puzzle.BoardHeight = std::stoi(ChosenSize);
    if (MainMenu->Clicked("play")) {
        Game->Mouse->Off();
        GenerateScreen->Show(1);
        return 0;
    }
    if (MainMenu->Clicked("custom")) {
        PlayModel().Puzzle.CustomMode = 1;
        PlayCore().CustomPuzzle();
        GoToScreen(TScreenId::Game);
        return 0;
    }
    if (MainMenu->Clicked("loadgame")) {
        PlayCore().RestartPuzzle();
        ShowSaveGameManager();
    }
    if (MainMenu->Clicked("back")) GoToScreen(TScreenId::Title);
    for (const char* name : {"6x6", "7x7", "9x9", "12x12", "14x14"})
        if (SizeMenu->Clicked(name)) {
            PlayModel().Puzzle.BoardWidth = PlayModel().Puzzle.BoardHeight = std::stoi(name);
            ChosenSize = name;
            RadioSelect(SizeMenu, ChosenSize, 0);
        }
    const char* levels[] = {"easy", "medium", "hard"};
    for (int k = 0; k < 3; ++k)
        if (DifficultyMenu->Clicked(levels[k])) {
            PlayModel().Puzzle.PuzzleDifficulty = k;
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
    if (SaveGameManager || MessageDialog || CodeInput || FileChooser)
        for (auto& menu : {SizeMenu, DifficultyMenu, MainMenu, ShareMenu}) menu->ClearMouseOver();
    SizeMenu->Draw(0, 0);
    DifficultyMenu->Draw(0, 0);
    // What the lit level asks of the player, under its buttons.
    platform::SetImageFont(Resources.Font18);
    platform::SetColor(255, 255, 255);
    SetTextShadow(1, 1, 0.6f);
    const int lit = ChosenDifficulty == "easy" ? 0 : ChosenDifficulty == "hard" ? 2 : 1;
    DrawTextLinesWithShadow(560, 388, WordWrapLines({DifficultyAsks(lit)}, 290, nullptr, 1), 1, 21);
    MainMenu->Draw(0, 0);
    DrawSharing();
    if (SaveGameManager) SaveGameManager->Draw();
    if (MessageDialog) MessageDialog->Draw();
    GenerateScreen->Draw();
    return 0;
}

int TPlayScreen::SetEscDestination() {
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
