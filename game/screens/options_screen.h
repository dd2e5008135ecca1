// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options: volumes, full screen and the aids of play.
#include <memory>
#include <string>

#include "framework/screens/screen.h"
#include "game/screens/text_scale_choice.h"

class TSlider;

class TOptionsScreen : public TScreen {
public:
    std::shared_ptr<TMenu> OptionsMenu;
    std::shared_ptr<TSlider> MusicSlider;
    std::shared_ptr<TSlider> SoundSlider;
    TTextScaleChoice TextScale;
    int LastClickTime = 0;
    float x = 0, y = 0;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    // Lets the player hear the sound volume just chosen.
    virtual int ClickSound();

    // Dragging fires every tick; more clicks than this blur into noise.
    static constexpr int ClickIntervalMs = 250;
};
