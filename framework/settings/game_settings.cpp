// SPDX-License-Identifier: GPL-3.0-or-later
// The framework's keys in the settings file and where their values live.
#include <algorithm>

#include "framework/core/game.h"
#include "framework/settings/ini_file.h"
#include "framework/settings/settings.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/display.h"

namespace {
enum class Check { Text, Flag, Percent, Priority, Code, WindowSide, TextScale };

// Where each value lives, in the game object and in its services.
std::string& VersionText(TGame& game) { return game.VersionNumber; }
std::string& SoundDriverText(TGame& game) { return game.Audio->SoundDriver; }
std::string& ProfileNameText(TGame& game) { return game.ProfileName; }
int& MusicSwitch(TGame& game) { return game.Music; }
int& SpeechSwitch(TGame& game) { return game.Speech; }

struct Setting {
    const char* name;
    int& (*number)(TGame&);
    std::string& (*text)(TGame&);
    Check check;
};

#define NUMBER(field) [](TGame& game) -> int& { return game.field; }
#define DISPLAY(field) [](TGame& game) -> int& { return game.Display->field; }

// The framework's keys in the order the file holds them.
const Setting FrameworkKeys[] = {
    {"Version No", nullptr, VersionText, Check::Text},
    {"Full Screen", NUMBER(FullScreen), nullptr, Check::Flag},
    {"Sound", NUMBER(Sound), nullptr, Check::Flag},
    {"Music", MusicSwitch, nullptr, Check::Flag},
    {"Speech", SpeechSwitch, nullptr, Check::Flag},
    {"Sound Volume", NUMBER(SoundVolume), nullptr, Check::Percent},
    {"Music Volume", NUMBER(MusicVolume), nullptr, Check::Percent},
    {"Speech Volume", NUMBER(SpeechVolume), nullptr, Check::Percent},
    {"Fade", NUMBER(Fade), nullptr, Check::Flag},
    {"Particles", NUMBER(Particles), nullptr, Check::Percent},
    {"Portal Splash", NUMBER(PortalSplash), nullptr, Check::Flag},
    {"Portal Splash2", NUMBER(PortalSplash2), nullptr, Check::Flag},
    {"Intro", NUMBER(IntroShow), nullptr, Check::Flag},
    {"VSync", NUMBER(VSync), nullptr, Check::Flag},
    {"Driver", DISPLAY(Driver), nullptr, Check::Flag},
    {"Sound Driver", nullptr, SoundDriverText, Check::Text},
    {"Full Screen Process Priority", DISPLAY(FullScreenProcess), nullptr, Check::Code},
    {"Full Screen Thread Priority", DISPLAY(FullScreenThread), nullptr, Check::Priority},
    {"Windowed Process Priority", DISPLAY(WindowedProcess), nullptr, Check::Code},
    {"Windowed Thread Priority", DISPLAY(WindowedThread), nullptr, Check::Priority},
    {"Profile Name", nullptr, ProfileNameText, Check::Text},
    {"Region", NUMBER(Region), nullptr, Check::Code},
    {"Sub-Region", NUMBER(SubRegion), nullptr, Check::Code},
    {"Window Width", DISPLAY(WindowWidth), nullptr, Check::WindowSide},
    {"Window Height", DISPLAY(WindowHeight), nullptr, Check::WindowSide},
    {"Text And Board Size", DISPLAY(TextScale), nullptr, Check::TextScale},
};

#undef NUMBER
#undef DISPLAY

// A value from the file is only taken within the range its field can hold.
int Checked(Check check, int value) {
    switch (check) {
        case Check::Flag:
            return value != 0 ? 1 : 0;
        case Check::Percent:
            ClampPercent(value);
            return value;
        case Check::Priority:
            return std::clamp(value, -15, 15);
        // 0 (or nonsense) leaves the window at the logical screen's size; the
        // display fits anything larger into the desktop.
        case Check::WindowSide:
            return value >= 100 && value <= 16384 ? value : 0;
        case Check::TextScale:
            return platform::CheckedTextScale(value);
        default:
            return value;
    }
}

// A number's value as the settings file keeps it. Pausing and losing the
// focus switch music and speech off for the time being and remember the
// player's switches; a save in between (a display toggle, a resize) must keep
// the player's choice, not the pause's.
int SavedNumber(TGame& game, const Setting& s) {
    if (game.Paused || game.Suspended) {
        if (s.number == MusicSwitch) return game.PausedMusicState;
        if (s.number == SpeechSwitch) return game.PausedSpeechState;
    }
    return s.number(game);
}
}  // namespace

void TGame::AddSettingsKeys() {
    for (const Setting& s : FrameworkKeys) {
        TSettings::TKey key{s.name, nullptr, nullptr};
        if (s.text == VersionText) {
            // The file always records the running program's version.
            key.Get = [] { return std::string(ProgramVersion); };
            key.Set = [this](const std::string& value) { VersionNumber = value; };
        } else if (s.text) {
            key.Get = [this, &s] { return s.text(*this); };
            key.Set = [this, &s](const std::string& value) { s.text(*this) = value; };
        } else {
            key.Get = [this, &s] { return std::to_string(SavedNumber(*this, s)); };
            key.Set = [this, &s](const std::string& value) { s.number(*this) = Checked(s.check, ReadInt(value)); };
        }
        Settings->AddKey(std::move(key));
    }
}

int TGame::MakeGoodExit() {
    if (Game) Game->Settings->MakeGoodExit();
    return 0;
}
