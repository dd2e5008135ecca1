// SPDX-License-Identifier: GPL-3.0-or-later
// The options screen.
#include "game/screens/options_screen.h"
#include "game/screens/session.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/input.h"
#include "framework/screens/fade.h"
#include "framework/text/game_text.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "game/core/options.h"
#include "game/screens/menu_screen.h"
#include "game/screens/screen_common.h"
#include "game/screens/screens.h"
#include "game/screens/widgets.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/system.h"

using namespace menu_screen;

int TOptionsScreen::Load() {
    LoadBackground(*this);
    HeaderLoad("optionsheader", 400, 40, 1);
    Menu = OkMenu();
    // Eight toggles fit above the OK button only 4 pixels apart.
    OptionsMenu = NewScreenMenu(4);
    const std::pair<const char*, int> toggles[] = {{"fullscreen", Game->FullScreen},
                                                   {"showtimer", PlayModel().Options.ShowTimer},
                                                   {"highlighter", PlayModel().Options.ShowHighlighter},
                                                   {"showremainingsum", PlayModel().Options.ShowRemainingSum},
                                                   {"showsumcombinations", PlayModel().Options.ShowSumCombinations},
                                                   {"preventdoublenumbers", PlayModel().Options.PreventDoubleNumbers},
                                                   {"checkruns", PlayModel().Options.CheckRuns},
                                                   {"keeppencilmarks", PlayModel().Options.KeepPencilMarks}};
    for (auto [name, on] : toggles) MenuAddToggle(OptionsMenu, on, name)->SetName(name);
    OptionsMenu->CentreHoriz();
    OptionsMenu->SetY(182);
    MusicSlider = TSlider::CreateSpecial("slider", "marker", 346, 80, 22, "musicslider", 0);
    SoundSlider = TSlider::CreateSpecial("slider", "marker", 346, 136, 22, "soundslider", 0);
    MusicSlider->SetValue(Game->MusicVolume);
    SoundSlider->SetValue(Game->SoundVolume);
    Focus = TFocusRing::Create();
    constexpr int VolumeStep = 5;
    Focus->AddSlider(MusicSlider, VolumeStep, [](int value) { Game->Audio->MusicSetVolume(value, 0); });
    Focus->AddSlider(SoundSlider, VolumeStep, [this](int value) {
        Game->Audio->SoundSetVolume(value, 0);
        ClickSound();
    });
    Focus->AddMenu(OptionsMenu);
    Focus->AddMenu(Menu);
    TextScale.AddTo(*Focus);
    UseSparkleTrail();
    Game->FadeMusic = 0;
    GlowHeader(*this);
    return 0;
}

int TOptionsScreen::Start() { return StartMenuScreen(*this); }

int TOptionsScreen::ClickSound() {
    if (auto ok = Menu->FindButton("ok")) ok->PlayClick();
    return 0;
}

int TOptionsScreen::Logic() {
    TScreen::Logic();
    if (Header) Header->ManageGlow();
    OptionsMenu->Manage(0, 0);
    TextScale.Logic();
    if (Menu->Clicked("ok")) {
        PlayModel().SaveGameOptions();
        Game->Settings->IniUpdate(1);
        GoToScreen(TScreenId::Title);
    }
    if (MusicSlider->Manage()) Game->Audio->MusicSetVolume(MusicSlider->Value, 0);
    if (SoundSlider->Manage()) {
        Game->Audio->SoundSetVolume(SoundSlider->Value, 0);
        const int now = platform::MilliSecs();
        if (now - LastClickTime >= ClickIntervalMs) {
            LastClickTime = now;
            ClickSound();
        }
    }
    struct Aid {
        const char* name;
        int* setting;
    };
    for (auto [name, setting] :
         {Aid{"showtimer", &PlayModel().Options.ShowTimer},
          Aid{"showsumcombinations", &PlayModel().Options.ShowSumCombinations},
          Aid{"preventdoublenumbers", &PlayModel().Options.PreventDoubleNumbers},
          Aid{"showremainingsum", &PlayModel().Options.ShowRemainingSum},
          Aid{"highlighter", &PlayModel().Options.ShowHighlighter}, Aid{"checkruns", &PlayModel().Options.CheckRuns},
          Aid{"keeppencilmarks", &PlayModel().Options.KeepPencilMarks}})
        if (OptionsMenu->Clicked(name)) {
            *setting = *setting ? 0 : 1;
            ToggleSetState(OptionsMenu, OptionsMenu->FindButton(name), *setting);
        }
    if (OptionsMenu->Clicked("fullscreen")) {
        Game->Display->ToggleFullScreen();
        // The switch can be refused (a forced window), so show what the game ended up with.
        ToggleSetState(OptionsMenu, OptionsMenu->FindButton("fullscreen"), Game->FullScreen);
    }
    return 0;
}

int TOptionsScreen::Draw() {
    DrawBackground(*this, x, y);
    for (auto [picture, py] : {std::pair{"music", 93}, std::pair{"sound", 149}}) {
        auto image = ScreenPicture(picture);
        image->image->MidHandle();
        platform::DrawImage(image->image, 242, py);
    }
    MusicSlider->Draw();
    SoundSlider->Draw();
    if (Header) Header->Draw();
    Menu->Draw(0, 0);
    OptionsMenu->Draw(0, 0);
    TextScale.Draw();
    return 0;
}

int TOptionsScreen::SetEscDestination() {
    // Escape keeps the changes in force without writing them; the shut-down saves them.
    Game->DestinationTScreen = ScreenOrExit(TScreenId::Title);
    return 0;
}
