// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The title hub.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TTitleScreen : public TScreen {
public:
    float x = 0, y = 0;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    // The button column: "continue" first while a puzzle in progress is kept.
    virtual void BuildMenu();

    static constexpr int ContinueMenuTop = 186;
    static constexpr int TitleGap = 5;
};
