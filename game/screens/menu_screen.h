// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the title, options, help and best-times screens share.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TButton;

// What the menu screens share: the title picture behind them, their glowing
// header, buttons that grow under the pointer, the fade-in start.
namespace menu_screen {
void LoadBackground(TScreen& screen);
void GlowHeader(TScreen& screen);
std::shared_ptr<TButton> AddButton(const std::shared_ptr<TMenu>& menu, const std::string& picture,
                                   const std::string& name, int enter);
int StartMenuScreen(TScreen& screen);
// Opaque, centred and offset by (x, y); leaves alpha blending on.
void DrawBackground(const TScreen& screen, float x, float y);
// The small "ok" that closes the options and help screens.
std::shared_ptr<TMenu> OkMenu();
}  // namespace menu_screen
