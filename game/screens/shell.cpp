// SPDX-License-Identifier: GPL-3.0-or-later
// The game object's logic step and shut-down, and the making of the screens.
#include "game/screens/shell.h"
#include "game/screens/session.h"

#include <exception>

#include "framework/archive/pak_manager.h"
#include "framework/audio/sound_bank.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/settings/ini_file.h"
#include "framework/util/strings.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/vt_mouse.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "game/screens/cells.h"
#include "game/screens/daily_screen.h"
#include "game/screens/game_screen.h"
#include "game/screens/help_screen.h"
#include "game/screens/high_score_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/play_screen.h"
#include "game/screens/puzzle_opening.h"
#include "game/screens/screens.h"
#include "game/screens/statistics_screen.h"
#include "game/screens/title_screen.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/system.h"

int TVellacorGame::LogicWrapper() {
    Mouse->ClearMouseHit();
    Mouse->Manage();
    DoPeekEvent();
    ReadKeys();
    CheckCommandQForMac();
    if (InstantExit) return -1;
    if (LogicHeld()) return 0;
    GameFade->Manage();
    if (GameFade->Active && !GameFade->AllowAnim) return 1;
    ScreenChange();
    // A message about a file dropped on the window holds whichever screen is up.
    if (ManagePuzzleOpening()) return 1;
    if (CurrentTScreen) CurrentTScreen->Logic();
    if (Fade == 0) ScreenChange();
    return 1;
}

int TVellacorGame::LogicHeld() {
    return ((Paused || Suspended) && platform::MilliSecs() - Game->StartTime > StartUpGraceMs) ? 1 : 0;
}

void TVellacorGame::ShutDownHook() {
    // The game's own message box cannot be shown any more; what goes wrong now
    // is told by the system's.
    const auto notice = SharedData.NoticeHook;
    SharedData.NoticeHook = [](const std::string&) {};
    // An end without the exit fade (an error, an instant exit) leaves the board
    // without its Kill; the puzzle in progress is kept here then.
    if (Screens.GameScreen && CurrentTScreen == Screens.GameScreen) {
        try {
            Screens.GameScreen->Autosave();
        } catch (const std::exception&) {
            // Ending anyway; the last autosave stands.
        }
    }
    // A puzzle only in memory is lost with the process: the last chance to
    // write it, and the player must hear when that fails too.
    PlayModel().FlushAutosave();
    const std::string unsaved = PlayModel().UnsavedAutosaveReason();
    if (!unsaved.empty() && SharedData.SavingOff.empty())
        platform::Notify(
            "Your puzzle in progress could not be kept, so it is lost: " + FileFaultText(AutosavePath(), unsaved),
            true);
    // A start that failed before the options were read has no first run to finish.
    if (Resources.GameIni && !Resources.GameIni->FileName.empty()) {
        // The welcome page opens only from its button (help screen); leaving the
        // game never starts a browser. The flag stays in the options file as the
        // record that the game has been played.
        PlayModel().Options.FirstRun = 0;
        PlayModel().SaveGameOptions();
    }
    SharedData.NoticeHook = notice;
}

namespace {
std::shared_ptr<TScreen> FindScreen(TScreenId id) {
    switch (id) {
        case TScreenId::Title:
            return Screens.TitleScreen;
        case TScreenId::Play:
            return Screens.PlayScreen;
        case TScreenId::Game:
            return Screens.GameScreen;
        case TScreenId::Options:
            return Screens.OptionsScreen;
        case TScreenId::Help:
            return Screens.HelpScreen;
        case TScreenId::HighScores:
            return Screens.HighScoreScreen;
        case TScreenId::Daily:
            return Screens.DailyScreen;
        case TScreenId::Statistics:
            return Screens.StatisticsScreen;
        case TScreenId::Exit:
            break;
    }
    return nullptr;
}
}  // namespace

int ContinuePuzzle() {
    int elapsed = 0;
    if (PlayModel().LoadAutosave(&elapsed) != 1) return 0;
    PlayCore().CreateCells(1);
    if (Screens.GameScreen) Screens.GameScreen->ResumeElapsedMs = elapsed;
    FadeToScreen(Screens.GameScreen);
    Game->Mouse->On();
    return 1;
}

void CreateGameObjects() {
    if (!Resources.ImageBank) Resources.ImageBank = std::make_shared<TImageBank>();
    if (!Resources.SoundBank) Resources.SoundBank = std::make_shared<TSoundBank>();
    InstallCellHooks();
    PlayModel().Hooks.CustomPuzzleAccepted = [] { FadeToScreen(Screens.GameScreen); };
    ResetPuzzleOpening();
    Screens.GameScreen = std::make_shared<TGameScreen>();
    Screens.GameScreen->name = "game";
    Screens.PlayScreen = std::make_shared<TPlayScreen>();
    Screens.PlayScreen->name = "play";
    auto title = std::make_shared<TTitleScreen>();
    title->name = "title";
    Screens.TitleScreen = title;
    Screens.OptionsScreen = std::make_shared<TOptionsScreen>();
    Screens.OptionsScreen->name = "options";
    Screens.HelpScreen = std::make_shared<THelpScreen>();
    Screens.HelpScreen->name = "help";
    Screens.HighScoreScreen = std::make_shared<THighScoreScreen>();
    Screens.HighScoreScreen->name = "highscores";
    Screens.DailyScreen = std::make_shared<TDailyScreen>();
    Screens.DailyScreen->name = "daily";
    Screens.StatisticsScreen = std::make_shared<TStatisticsScreen>();
    Screens.StatisticsScreen->name = "statistics";
    Screens.Find = FindScreen;
    Screens.ContinuePuzzle = ContinuePuzzle;
}

void LoadSharedResources() {
    Game->DrawOverScreen = DrawPuzzleOpening;
    Resources.ImageBank->SetPath(Game->ImagePath);
    Resources.SoundBank->SetPath(Game->SoundPath);
    for (const char* name : {"buttonclick", "buttonMO", "applause.ogg"})
        Resources.SoundBank->Load(name, 1.0f, 1.0f, "", 0);
    for (const char* name :
         {"paused",           "cell",       "cellmo",     "bordercell", "bordersumcell", "bordersumcellvmo",
          "bordersumcellhmo", "cellcursor", "generating", "solving",    "music",         "sound",
          "blackback",        "input",      "inputlong",  "inputfield", "sizelabel",     "difficultylabel",
          "helpimage",        "manager"})
        Resources.ImageBank->Load(name, "", -1, 1);
    Game->SpritePausedCreate("paused");
    // The window losing the focus may be the last the game sees of the player.
    Game->UserSuspendFunction = [] {
        if (Screens.GameScreen && Game->CurrentTScreen == Screens.GameScreen) Screens.GameScreen->Autosave();
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
    PlayModel().LoadHighScoreTables();
    Game->DestinationTScreen = Screens.TitleScreen;
    Screens.TitleScreen->PreStart();
    // The loop then starts suspended and waits for the player to come back.
    if (!platform::Display().WindowIsForeground()) Game->SuspendedEvent = 1;
}
