// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The title hub, the options screen and the help screen.
#include <memory>
#include <string>

#include "framework/screens/screen.h"

class TButton;
class THighScoreScreen;
class TSlider;

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
};

class TOptionsScreen : public TScreen {
public:
    std::shared_ptr<TMenu> OptionsMenu;
    std::shared_ptr<TSlider> MusicSlider;
    std::shared_ptr<TSlider> SoundSlider;
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

class THelpScreen : public TScreen {
public:
    float x = 0, y = 0;
    // The page shown: 0 the rules and the mouse, 1 the keys.
    int Page = 0;
    std::shared_ptr<TMenu> PageMenu;
    // The button that opens the welcome page in the browser.
    std::shared_ptr<TMenu> WelcomeMenu;
    static constexpr int Pages = 3;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
};

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
}  // namespace menu_screen

extern std::shared_ptr<TOptionsScreen> OptionsScreen;
extern std::shared_ptr<THelpScreen> HelpScreen;
extern std::shared_ptr<THighScoreScreen> HighScoreScreen;

// Makes the title, options, help and high score screens; TitleScreen becomes the title.
void CreateMenuScreens();
