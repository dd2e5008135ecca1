// SPDX-License-Identifier: GPL-3.0-or-later
// The screen set and the way one screen hands over to another.
#include "game/screens/screens.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "game/screens/screen_common.h"

TScreens Screens;

std::shared_ptr<TScreen> ScreenOrExit(TScreenId id) {
    std::shared_ptr<TScreen> screen = id != TScreenId::Exit && Screens.Find ? Screens.Find(id) : nullptr;
    return screen ? screen : Game->ExitScreen;
}

void GoToScreen(TScreenId id) { FadeToScreen(ScreenOrExit(id)); }
