// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_screens_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/archive/pak_manager.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/screens/cells.h"
#include "game/screens/game_screen.h"
#include "game/screens/generate_screen.h"
#include "game/screens/help_screen.h"
#include "game/screens/high_score_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/screens.h"
#include "game/screens/session.h"
#include "game/screens/shell.h"
#include "game/screens/title_screen.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace fs = std::filesystem;

void GameScreensFixture::SetUp() {
    GraphicsFixture::SetUp();
    const std::string data = std::string(TALLYFOLD_BIN_DIR) + "/data/";
    if (!fs::exists(data + "resources/data.pak")) GTEST_SKIP() << "the build has not made the game data";
    auto game = std::make_shared<TVellacorGame>();
    game->FixedRateLogic->Create();
    game->FixedRateLogic->Init();
    Game = game;
    Game->ImagePath = data + "graphics/";
    Game->MenuPath = data + "menus/";
    Game->SoundPath = data + "sound/";
    Game->MusicPath = data + "music/";
    Game->TextPath = data + "text/";
    Game->Paths->SubPath = scratch.Folder();
    Game->ProfilePath = scratch.Folder() + "profiles/";
    fs::create_directories(Game->ProfilePath);
    Game->ExitScreen = std::make_shared<TExitScreen>();
    Game->StartTime = now;
    Resources.GameText = TGameText::Create("gametext.txt");
    Resources.PakManager = TPakFileManager::Create(data + "resources/", ".pak");
    CreateArchiveFonts(*Resources.PakManager);
    ResetPlaySession();
    PlayCore().Start();
    PlayModel().LoadHighScoreTables();
    Resources.ImageBank = std::make_shared<TImageBank>();
    CreateGameScreens();
    Game->Mouse->Load("pointer");
    Keys.UsePlatformInput = 0;
    platform::SeedRnd(4242);
    fs::create_directories(TALLYFOLD_ARTIFACTS_DIR);
}

void GameScreensFixture::TearDown() {
    Screens.HighScoreScreen.reset();
    Screens.GameScreen.reset();
    Screens.PlayScreen.reset();
    Screens.TitleScreen.reset();
    Screens.OptionsScreen.reset();
    Screens.HelpScreen.reset();
    Screens.CellList->Clear();
    Screens.Board = TBoardState{};
    Resources.ImageBank.reset();
    Resources.SoundBank.reset();
    Resources.PakManager.reset();
    Resources.GameText.reset();
    PlayModel().ResetHighScoreTables();
    ResetPlaySession();
    GraphicsFixture::TearDown();
}

void GameScreensFixture::Ticks(int n) {
    for (int k = 0; k < n; ++k) {
        Advance(5);
        Delta = 1.0f;
        Game->LogicWrapper();
        // The overlay does its slow work in a frame, as in the real loop.
        if (k % 4 == 3) Frame("");
    }
    Frame("");
}

void GameScreensFixture::Frame(const std::string& shot) {
    platform::SetClsColor(0, 0, 0);
    platform::Cls();
    if (Game->CurrentTScreen) Game->CurrentTScreen->Draw();
    // The keyboard's frame, drawn over the screen as the loop draws it.
    if (Game->CurrentTScreen && Game->CurrentTScreen->Focus) Game->CurrentTScreen->Focus->Draw();
    if (Game->DrawOverScreen) Game->DrawOverScreen();
    Game->ShowPaused();
    Game->GameFade->Draw();
    Game->Mouse->Draw();
    if (!shot.empty()) {
        auto picture = platform::GrabPixmap(0, 0, 800, 600);
        ASSERT_TRUE(picture);
        picture->SavePNG(std::string(TALLYFOLD_ARTIFACTS_DIR) + "/" + ArtifactPrefix + shot + ".png");
    }
    platform::Flip(0);
}

void GameScreensFixture::MoveTo(float x, float y) {
    platform::PostEvent({platform::EventKind::MouseMove, 0, static_cast<int>(x), static_cast<int>(y)});
    Ticks(2);
}

void GameScreensFixture::ClickAt(float x, float y, int button, int settle) {
    MoveTo(x, y);
    platform::PostEvent({platform::EventKind::MouseDown, button, static_cast<int>(x), static_cast<int>(y)});
    Ticks(1);
    platform::PostEvent({platform::EventKind::MouseUp, button, static_cast<int>(x), static_cast<int>(y)});
    Ticks(2);
    if (settle > 0) Ticks(settle);
}

void GameScreensFixture::ClickButton(const std::shared_ptr<TMenu>& menu, const std::string& name, int settle) {
    auto button = menu->FindButton(name);
    ASSERT_TRUE(button) << name;
    ClickAt(button->x + button->w / 2.0f, button->y + button->h / 2.0f, 1, settle);
}

void GameScreensFixture::Steps(int n) {
    for (int k = 0; k < n; ++k) {
        Advance(5);
        Delta = 1.0f;
        Game->LogicWrapper();
    }
}

void GameScreensFixture::Key(int key) {
    Press(key);
    Steps(2);
}

void GameScreensFixture::With(int modifier, int key) {
    platform::PostEvent({platform::EventKind::KeyDown, modifier, 0, 0});
    Steps(1);
    Key(key);
    platform::PostEvent({platform::EventKind::KeyUp, modifier, 0, 0});
    Steps(1);
}
