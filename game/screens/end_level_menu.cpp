// SPDX-License-Identifier: GPL-3.0-or-later
// The end-of-puzzle menu.
#include "game/screens/end_level_menu.h"

#include <algorithm>

#include "framework/widgets/button.h"
#include "framework/widgets/image_bank.h"
#include "game/screens/screen_common.h"

int VTEndLevelMenu::Init(int originX, int originY) {
    Menu = NewScreenMenu(10);
    for (const char* name : {"nextpuzzle", "restartpuzzle", "backtomenu"}) Menu->AddQuick(name, name);
    orgX = originX;
    orgY = originY;
    PositionMenu();
    ScreenPicture("endlevelback");
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
    ScreenPicture("endlevelback")->Draw(static_cast<float>(X), static_cast<float>(Y));
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
