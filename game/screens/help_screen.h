// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help pages and the way to the welcome page.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class THelpScreen : public TScreen {
public:
    float x = 0, y = 0;
    // The page shown: 0 the rules and the mouse, 1 the keys.
    int Page = 0;
    std::shared_ptr<TMenu> PageMenu;
    // The button that opens the welcome page in the browser.
    std::shared_ptr<TMenu> WelcomeMenu;
    static constexpr int Pages = 4;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
};
