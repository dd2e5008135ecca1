// SPDX-License-Identifier: GPL-3.0-or-later
// The title hub.
#include "game/screens/title_screen.h"
#include "game/screens/session.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "game/core/autosave.h"
#include "game/screens/menu_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/display.h"

namespace {
// The title shows the version the package and the AppStream file carry.
constexpr const char* VersionNumber = TALLYFOLD_VERSION;
}  // namespace

using namespace menu_screen;

int TTitleScreen::Load() {
    // Only the very first screen starts the music, so coming back here never restarts it.
    if (!Game->CurrentTScreen) {
        Game->Audio->MusicLoad("music.ogg", 1);
        Game->Audio->MusicPlay(1, 0, 0);
    }
    Game->FadeMusic = 1;
    LoadBackground(*this);
    HeaderLoad("logo", 400, 100, 1);
    BuildMenu();
    UseSparkleTrail();
    GlowHeader(*this);
    return 0;
}

void TTitleScreen::BuildMenu() {
    Menu = NewScreenMenu(TitleGap);
    // A puzzle whose write failed gets its next chance whenever the title shows.
    PlayModel().FlushAutosave();
    const int canContinue = PlayModel().AutosaveExists();
    if (canContinue) AddButton(Menu, "continue", "continue", 0);
    AddButton(Menu, "play", "play", 1);
    AddButton(Menu, "daily", "daily", 0);
    AddButton(Menu, "statistics", "statistics", 0);
    AddButton(Menu, "help", "help", 0);
    AddButton(Menu, "options", "options", 0);
    AddButton(Menu, "highscore", "highscore", 0);
    AddButton(Menu, "exit", "exit", 0);
    Menu->Centre();
    // Seven buttons sit 50 pixels below the centre; an eighth would reach up into
    // the logo's subtitle, so the longer column starts just under it instead.
    Menu->SetY(canContinue ? ContinueMenuTop : Menu->y + 50);
    Focus = TFocusRing::Create();
    Focus->AddMenu(Menu);
}

int TTitleScreen::Start() { return StartMenuScreen(*this); }

int TTitleScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    if (Menu->Clicked("continue") && !(Screens.ContinuePuzzle && Screens.ContinuePuzzle())) BuildMenu();
    if (Menu->Clicked("play")) GoToScreen(TScreenId::Play);
    if (Menu->Clicked("daily")) GoToScreen(TScreenId::Daily);
    if (Menu->Clicked("statistics")) GoToScreen(TScreenId::Statistics);
    if (Menu->Clicked("help")) GoToScreen(TScreenId::Help);
    if (Menu->Clicked("options")) GoToScreen(TScreenId::Options);
    if (Menu->Clicked("highscore") && Screens.Find && Screens.Find(TScreenId::HighScores))
        GoToScreen(TScreenId::HighScores);
    if (Menu->Clicked("exit")) FadeToScreen(Game->ExitScreen);
    return 0;
}

int TTitleScreen::Draw() {
    DrawBackground(*this, x, y);
    if (Header) Header->Draw();
    Menu->Draw(0, 0);
    SetTextShadow(2, 2, 0.6f);
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font18);
    DrawTextRight(ScreenText("Version") + VersionNumber, 790, 576, 1, 1);
    if (!SharedData.SavingOff.empty()) {
        std::string note = ScreenText("Nothing Saved");
        if (note.empty()) note = "Nothing is saved this time:";
        DrawTextLeft(note + " " + SharedData.SavingOff, 10, 576, 1, 1);
    }
    return 0;
}

int TTitleScreen::SetEscDestination() {
    Game->DestinationTScreen = Game->ExitScreen;
    return 0;
}
