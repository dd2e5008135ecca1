// SPDX-License-Identifier: GPL-3.0-or-later
// The title hub, the options screen and the help screen.
#include "game/screens/menus.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/options.h"
#include "game/screens/high_score_screen.h"
#include "game/screens/screens.h"
#include "game/screens/shell.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

std::shared_ptr<TOptionsScreen> OptionsScreen;
std::shared_ptr<THelpScreen> HelpScreen;
std::shared_ptr<THighScoreScreen> HighScoreScreen;

namespace {
// The title shows the version the package and the AppStream file carry.
constexpr const char* VersionNumber = TALLYFOLD_VERSION;
// The help screen's page buttons, right of its OK and inside the panel, and
// the welcome page's button as far in from the left.
constexpr int PageMenuX = 588, PageButtonGap = 60, WelcomeMenuX = 64;

// The about line names the version the build was made as.
std::string ReplaceVersion(std::string text) {
    const std::string mark = "%VERSION%";
    if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), VersionNumber);
    return text;
}

std::string Text(const std::string& key) { return Resources.GameText ? Resources.GameText->FindString(key) : std::string(); }
}  // namespace

namespace menu_screen {
void LoadBackground(TScreen& screen) {
    screen.Image = ScreenPicture("titlescreen")->image;
    screen.Image->MidHandle();
}

void GlowHeader(TScreen& screen) {
    if (screen.Header) screen.Header->SetGlow(3, 0, 0.25f, 0, 0.5f);
}

std::shared_ptr<TButton> AddButton(const std::shared_ptr<TMenu>& menu, const std::string& picture,
                                   const std::string& name, int enter) {
    auto button = menu->AddQuick(picture, name);
    button->SetName(name);
    button->ScaleOnMOMax = 1.15f;
    if (enter) button->OKButton = 1;
    return button;
}

int StartMenuScreen(TScreen& screen) {
    screen.TScreen::Start();
    Game->GameFade->Init(FadeTime, 0, nullptr, 0, 0, nullptr);
    Game->Mouse->On();
    Game->FixedRateLogic->Init();
    Game->IgnoreEscapeKey = 0;
    return 0;
}

void DrawBackground(const TScreen& screen, float x, float y) {
    platform::SetBlend(platform::SOLIDBLEND);
    if (screen.Image) platform::DrawImage(screen.Image, 400 + x, 300 + y);
    platform::SetBlend(platform::ALPHABLEND);
}
}  // namespace menu_screen

using namespace menu_screen;

namespace {
// The small "ok" that closes the options and help screens.
std::shared_ptr<TMenu> OkMenu() {
    auto menu = NewScreenMenu(10);
    AddButton(menu, "oksmall", "ok", 1);
    menu->Centre();
    menu->SetY(menu->y + 260);
    return menu;
}
}  // namespace

// ---------------------------------------------------------------- title

int TTitleScreen::Load() {
    // Only the very first screen starts the music, so coming back here never restarts it.
    if (!Game->CurrentTScreen) {
        Game->MusicLoad("music.ogg", 1);
        Game->MusicPlay(1, 0, 0);
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
    Menu = NewScreenMenu(10);
    // A puzzle whose write failed gets its next chance whenever the title shows.
    FlushAutosave();
    const int canContinue = AutosaveExists();
    if (canContinue) AddButton(Menu, "continue", "continue", 0);
    AddButton(Menu, "play", "play", 1);
    AddButton(Menu, "help", "help", 0);
    AddButton(Menu, "options", "options", 0);
    AddButton(Menu, "highscore", "highscore", 0);
    AddButton(Menu, "exit", "exit", 0);
    Menu->Centre();
    // Five buttons sit 50 pixels below the centre; a sixth would reach up into
    // the logo's subtitle, so the longer column starts just under it instead.
    Menu->SetY(canContinue ? ContinueMenuTop : Menu->y + 50);
}

int TTitleScreen::Start() { return StartMenuScreen(*this); }

int TTitleScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    if (Menu->Clicked("continue") && !ContinuePuzzle()) BuildMenu();
    if (Menu->Clicked("play")) FadeToScreen(PlayScreen);
    if (Menu->Clicked("help")) FadeToScreen(HelpScreen);
    if (Menu->Clicked("options")) FadeToScreen(OptionsScreen);
    if (Menu->Clicked("highscore") && HighScoreScreen) FadeToScreen(HighScoreScreen);
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
    DrawTextRight(Text("Version") + VersionNumber, 790, 576, 1, 1);
    if (!SharedData.SavingOff.empty()) {
        std::string note = Text("Nothing Saved");
        if (note.empty()) note = "Nothing is saved this time:";
        DrawTextLeft(note + " " + SharedData.SavingOff, 10, 576, 1, 1);
    }
    return 0;
}

int TTitleScreen::SetEscDestination() {
    Game->DestinationTScreen = Game->ExitScreen;
    return 0;
}

// ---------------------------------------------------------------- options

int TOptionsScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("optionsheader", 400, 40, 1);
    Menu = OkMenu();
    OptionsMenu = NewScreenMenu(10);
    const std::pair<const char*, int> toggles[] = {{"fullscreen", Game->FullScreen},
                                                   {"showtimer", Options.ShowTimer},
                                                   {"highlighter", Options.ShowHighlighter},
                                                   {"showremainingsum", Options.ShowRemainingSum},
                                                   {"showsumcombinations", Options.ShowSumCombinations},
                                                   {"preventdoublenumbers", Options.PreventDoubleNumbers},
                                                   {"checkruns", Options.CheckRuns}};
    for (auto [name, on] : toggles) MenuAddToggle(OptionsMenu, on, name)->SetName(name);
    OptionsMenu->CentreHoriz();
    OptionsMenu->SetY(182);
    MusicSlider = TSlider::CreateSpecial("slider", "marker", 346, 80, 22, "musicslider", 0);
    SoundSlider = TSlider::CreateSpecial("slider", "marker", 346, 136, 22, "soundslider", 0);
    MusicSlider->SetValue(Game->MusicVolume);
    SoundSlider->SetValue(Game->SoundVolume);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    GlowHeader(*this);
    return 0;
}

int TOptionsScreen::Start() { return StartMenuScreen(*this); }

int TOptionsScreen::ClickSound() {
    if (auto ok = Menu->FindButton("ok")) ok->PlayClick();
    return 0;
}

int TOptionsScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    OptionsMenu->Manage(0, 0);
    if (Menu->Clicked("ok")) {
        SaveGameOptions();
        Game->IniUpdate(1);
        FadeToScreen(TitleScreen);
    }
    if (MusicSlider->Manage()) Game->MusicSetVolume(MusicSlider->Value, 0);
    if (SoundSlider->Manage()) {
        Game->SoundSetVolume(SoundSlider->Value, 0);
        const int now = platform::MilliSecs();
        if (now - LastClickTime >= ClickIntervalMs) {
            LastClickTime = now;
            ClickSound();
        }
    }
    struct Aid {
        const char* name;
        int* setting;
    };
    for (auto [name, setting] : {Aid{"showtimer", &Options.ShowTimer},
                                 Aid{"showsumcombinations", &Options.ShowSumCombinations},
                                 Aid{"preventdoublenumbers", &Options.PreventDoubleNumbers},
                                 Aid{"showremainingsum", &Options.ShowRemainingSum},
                                 Aid{"highlighter", &Options.ShowHighlighter},
                                 Aid{"checkruns", &Options.CheckRuns}})
        if (OptionsMenu->Clicked(name)) {
            *setting = *setting ? 0 : 1;
            ToggleSetState(OptionsMenu, OptionsMenu->FindButton(name), *setting);
        }
    if (OptionsMenu->Clicked("fullscreen")) {
        Game->ToggleFullScreen();
        // The switch can be refused (a forced window), so show what the game ended up with.
        ToggleSetState(OptionsMenu, OptionsMenu->FindButton("fullscreen"), Game->FullScreen);
    }
    return 0;
}

int TOptionsScreen::Draw() {
    DrawBackground(*this, x, y);
    for (auto [picture, py] : {std::pair{"music", 93}, std::pair{"sound", 149}}) {
        auto image = ScreenPicture(picture);
        image->image->MidHandle();
        platform::DrawImage(image->image, 242, py);
    }
    MusicSlider->Draw();
    SoundSlider->Draw();
    if (Header) Header->Draw();
    Menu->Draw(0, 0);
    OptionsMenu->Draw(0, 0);
    return 0;
}

int TOptionsScreen::SetEscDestination() {
    // Escape keeps the changes in force without writing them; the shut-down saves them.
    Game->DestinationTScreen = TitleScreen ? TitleScreen : Game->ExitScreen;
    return 0;
}

// ---------------------------------------------------------------- help

int THelpScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("helpheader", 400, 50, 1);
    Menu = OkMenu();
    Page = 0;
    // Page buttons at the panel's lower right, the page number between them.
    PageMenu = NewScreenMenu(0);
    AddButton(PageMenu, "pageback", "pageback", 0);
    AddButton(PageMenu, "pagenext", "pagenext", 0);
    PageMenu->MakeRow(PageButtonGap);
    PageMenu->SetX(PageMenuX);
    PageMenu->SetY(Menu->y);
    // Mirrors the page buttons on the left; its caption is a text, so it does
    // not grow under the pointer as the printed ones do.
    WelcomeMenu = NewScreenMenu(0);
    AddButton(WelcomeMenu, "blanktab", "welcome", 0)->ScaleOnMOMax = 1.0f;
    WelcomeMenu->SetX(WelcomeMenuX);
    WelcomeMenu->SetY(Menu->y);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    GlowHeader(*this);
    return 0;
}

int THelpScreen::Start() { return StartMenuScreen(*this); }

int THelpScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    PageMenu->Manage(0, 0);
    WelcomeMenu->Manage(0, 0);
    if (Menu->Clicked("ok")) FadeToScreen(TitleScreen);
    if (WelcomeMenu->Clicked("welcome")) {
        OpenGetStartedPage(1);
        // Starting the browser can take a moment; no burst of logic after it.
        Game->FixedRateLogic->Init();
    }
    const int back = PageMenu->Clicked("pageback") | KeyHit(platform::vk::LEFT) | KeyHit(platform::vk::PRIOR);
    const int next = PageMenu->Clicked("pagenext") | KeyHit(platform::vk::RIGHT) | KeyHit(platform::vk::NEXT);
    if (back) Page = (Page + Pages - 1) % Pages;
    if (next) Page = (Page + 1) % Pages;
    return 0;
}

int THelpScreen::Draw() {
    DrawBackground(*this, x, y);
    for (auto [picture, px] : {std::pair{"blackback", 400}, std::pair{"helpimage", 165}}) {
        auto image = ScreenPicture(picture);
        image->image->MidHandle();
        platform::DrawImage(image->image, px, 300);
    }
    SetTextShadow(2, 2, 0.6f);
    const char* const firsts[Pages] = {"Help Message 1", "Help Keys 1", "Help Explain 1"};
    const char* const seconds[Pages] = {"Help Message 2", "Help Keys 2", "Help Explain 2"};
    const char* first = firsts[Page % Pages];
    const char* second = seconds[Page % Pages];
    DrawMessage(Text(first), 285, 210, Resources.Font25, 1, 1, 1, 0);
    DrawMessage(Text(second), 285, 410, Resources.Font25, 1, 1, 1, 0);
    if (Page == 0) {
        // A line on each level below the rules, as small as the panel leaves room for.
        platform::SetImageFont(Resources.Font16);
        for (int level = 0; level < 3; ++level)
            DrawTextAligned(DifficultyName(level) + ": " + DifficultyAsks(level), 285, 440 + 17.0f * level, 1, 0, 1);
    }
    if (Header) Header->Draw();
    Menu->Draw(0, 0);
    PageMenu->Draw(0, 0);
    WelcomeMenu->Draw(0, 0);
    if (const auto welcome = WelcomeMenu->FindButton("welcome")) {
        // The ink of the printed captions.
        platform::SetColor(24, 36, 66);
        platform::SetImageFont(Resources.Font20);
        DrawTextCentred(Text("Welcome Page"), welcome->x + welcome->w / 2.0f,
                        welcome->y + (welcome->h - platform::TextHeight("W")) / 2.0f, 0, 1);
    }
    // Who made the game and under which licences, below the panel.
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font12);
    DrawTextCentred(ReplaceVersion(Text("About")), 400, 583, 1, 1);
    platform::SetImageFont(Resources.Font20);
    const auto back = PageMenu->FindButton("pageback"), next = PageMenu->FindButton("pagenext");
    if (back && next)
        DrawTextCentred(std::to_string(Page + 1) + " / " + std::to_string(Pages), (back->x + back->w + next->x) / 2,
                        back->y + (back->h - platform::TextHeight("1")) / 2.0f, 1, 1);
    return 0;
}

int THelpScreen::SetEscDestination() {
    Game->DestinationTScreen = TitleScreen ? TitleScreen : Game->ExitScreen;
    return 0;
}

void CreateMenuScreens() {
    auto title = std::make_shared<TTitleScreen>();
    title->name = "title";
    TitleScreen = title;
    OptionsScreen = std::make_shared<TOptionsScreen>();
    OptionsScreen->name = "options";
    HelpScreen = std::make_shared<THelpScreen>();
    HelpScreen->name = "help";
    HighScoreScreen = std::make_shared<THighScoreScreen>();
    HighScoreScreen->name = "highscores";
}
