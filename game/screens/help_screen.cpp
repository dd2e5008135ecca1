// SPDX-License-Identifier: GPL-3.0-or-later
// The help pages.
#include "game/screens/help_screen.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "game/core/core.h"
#include "game/screens/menu_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace {
// The version the package and the AppStream file carry.
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
}  // namespace

using namespace menu_screen;

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
    Focus = TFocusRing::Create();
    Focus->UseLeftRight = 0;
    Focus->AddMenu(WelcomeMenu);
    Focus->AddMenu(Menu);
    Focus->AddMenu(PageMenu);
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
    if (Menu->Clicked("ok")) GoToScreen(TScreenId::Title);
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
    const char* const firsts[Pages] = {"Help Message 1", "Help Keys 1", "Help More Keys 1", "Help Explain 1"};
    const char* const seconds[Pages] = {"Help Message 2", "Help Keys 2", "Help More Keys 2", "Help Explain 2"};
    const char* first = firsts[Page % Pages];
    const char* second = seconds[Page % Pages];
    DrawMessage(ScreenText(first), 285, 210, Resources.Font25, 1, 1, 1, 0);
    DrawMessage(ScreenText(second), 285, 410, Resources.Font25, 1, 1, 1, 0);
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
        DrawTextCentred(ScreenText("Welcome Page"), welcome->x + welcome->w / 2.0f,
                        welcome->y + (welcome->h - platform::TextHeight("W")) / 2.0f, 0, 1);
    }
    // Who made the game and under which licences, below the panel.
    platform::SetColor(255, 255, 255);
    platform::SetImageFont(Resources.Font12);
    DrawTextCentred(ReplaceVersion(ScreenText("About")), 400, 583, 1, 1);
    platform::SetImageFont(Resources.Font20);
    const auto back = PageMenu->FindButton("pageback"), next = PageMenu->FindButton("pagenext");
    if (back && next)
        DrawTextCentred(std::to_string(Page + 1) + " / " + std::to_string(Pages), (back->x + back->w + next->x) / 2,
                        back->y + (back->h - platform::TextHeight("1")) / 2.0f, 1, 1);
    return 0;
}

int THelpScreen::SetEscDestination() {
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
