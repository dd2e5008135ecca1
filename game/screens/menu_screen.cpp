// SPDX-License-Identifier: GPL-3.0-or-later
// The look and the start that the menu screens share.
#include "game/screens/menu_screen.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/widgets/button.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "game/screens/screen_common.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

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
    // Nothing runs on a menu that a pause could stop; P there would only dim it.
    Game->IgnorePauseKey = 1;
    return 0;
}

void DrawBackground(const TScreen& screen, float x, float y) {
    platform::SetBlend(platform::SOLIDBLEND);
    if (screen.Image) platform::DrawImage(screen.Image, 400 + x, 300 + y);
    platform::SetBlend(platform::ALPHABLEND);
}

std::shared_ptr<TMenu> OkMenu() {
    auto menu = NewScreenMenu(10);
    AddButton(menu, "oksmall", "ok", 1);
    menu->Centre();
    menu->SetY(menu->y + 260);
    return menu;
}
}  // namespace menu_screen
