#pragma once
// The title hub, the options screen and the help screen.
#include <memory>

#include "framework/screens/screen.h"

class TSlider;

class TTitleScreen : public TScreen {
public:
    float x = 0, y = 0;

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
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

    int Load() override;
    int Start() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
};

extern std::shared_ptr<TOptionsScreen> OptionsScreen;
extern std::shared_ptr<THelpScreen> HelpScreen;
// Stays empty until the high score screen exists; the title menu then ignores its button.
extern std::shared_ptr<TScreen> HighScoreScreen;

// Makes the title, options and help screens; TitleScreen becomes the title.
void CreateMenuScreens();
