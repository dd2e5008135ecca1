// SPDX-License-Identifier: GPL-3.0-or-later
// The framework settings kept by the game object, and the crash markers.
#include <algorithm>

#include "framework/core/game.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/settings/ini_file.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

namespace {
enum class Check { Text, Flag, Percent, Priority, Code, WindowSide };

// The text values live in the game object and in its services.
std::string* VersionText(TGame& game) { return &game.VersionNumber; }
std::string* SoundDriverText(TGame& game) { return &game.Audio->SoundDriver; }
std::string* ProfileNameText(TGame& game) { return &game.ProfileName; }

struct Setting {
    const char* name;
    int TGame::*number;
    std::string* (*text)(TGame&);
    Check check;
};

// The framework's keys in the order the file holds them.
const Setting Settings[] = {
    {"Version No", nullptr, VersionText, Check::Text},
    {"Full Screen", &TGame::FullScreen, nullptr, Check::Flag},
    {"Sound", &TGame::Sound, nullptr, Check::Flag},
    {"Music", &TGame::Music, nullptr, Check::Flag},
    {"Speech", &TGame::Speech, nullptr, Check::Flag},
    {"Sound Volume", &TGame::SoundVolume, nullptr, Check::Percent},
    {"Music Volume", &TGame::MusicVolume, nullptr, Check::Percent},
    {"Speech Volume", &TGame::SpeechVolume, nullptr, Check::Percent},
    {"Fade", &TGame::Fade, nullptr, Check::Flag},
    {"Particles", &TGame::Particles, nullptr, Check::Percent},
    {"Portal Splash", &TGame::PortalSplash, nullptr, Check::Flag},
    {"Portal Splash2", &TGame::PortalSplash2, nullptr, Check::Flag},
    {"Intro", &TGame::IntroShow, nullptr, Check::Flag},
    {"VSync", &TGame::VSync, nullptr, Check::Flag},
    {"Driver", &TGame::Driver, nullptr, Check::Flag},
    {"Sound Driver", nullptr, SoundDriverText, Check::Text},
    {"Full Screen Process Priority", &TGame::FullScreenProcess, nullptr, Check::Code},
    {"Full Screen Thread Priority", &TGame::FullScreenThread, nullptr, Check::Priority},
    {"Windowed Process Priority", &TGame::WindowedProcess, nullptr, Check::Code},
    {"Windowed Thread Priority", &TGame::WindowedThread, nullptr, Check::Priority},
    {"Profile Name", nullptr, ProfileNameText, Check::Text},
    {"Region", &TGame::Region, nullptr, Check::Code},
    {"Sub-Region", &TGame::SubRegion, nullptr, Check::Code},
    {"Window Width", &TGame::WindowWidth, nullptr, Check::WindowSide},
    {"Window Height", &TGame::WindowHeight, nullptr, Check::WindowSide},
};

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
        default:
            return value;
    }
}

std::string MarkerPath(const TGame& game, const std::string& name) {
    return game.Paths->UseCorrectPath ? game.Paths->SubPath + name
                                      : game.Paths->DataPrefix + game.Paths->DataFolder + name;
}

// The marker is a file of its own in our folder; a link or anything else of
// that name is not one of ours.
bool MarkerPresent(const std::string& path) { return platform::IsPlainFile(path); }
}  // namespace

int TGame::IniFill() {
    Ini->Clear();
    for (const Setting& s : Settings) {
        if (s.text == VersionText)
            Ini->Add(s.name, ProgramVersion);
        else if (s.text)
            Ini->Add(s.name, *s.text(*this));
        else
            Ini->Add(s.name, std::to_string(SavedValue(s.number)));
    }
    return 0;
}

int TGame::SavedValue(int TGame::*field) const {
    // Pausing and losing the focus switch music and speech off for the time
    // being and remember the player's switches; a save in between (a display
    // toggle, a resize) must keep the player's choice, not the pause's.
    if (Paused || Suspended) {
        if (field == &TGame::Music) return PausedMusicState;
        if (field == &TGame::Speech) return PausedSpeechState;
    }
    return this->*field;
}

int TGame::IniExtract() {
    for (const auto& line : Ini->Lines) {
        for (const Setting& s : Settings) {
            if (line->Name != UpperCase(s.name)) continue;
            if (s.text)
                *s.text(*this) = line->Value;
            else
                this->*s.number = Checked(s.check, ReadInt(line->Value));
        }
    }
    return 0;
}

int TGame::IniUpdate(int changed) {
    WindowSizeUnsaved = false;
    IniFill();
    // Without the file written the marker would restore defaults over a file
    // that never changed.
    if (Ini->Save() && changed) {
        platform::CreateFile(MarkerPath(*this, "inichanged.dat"));
        SettingsChangePending = 1;
        SettingsChangedAt = platform::MilliSecs();
    }
    return 0;
}

int TGame::ConfirmSettingsChange() {
    // Called after a frame was shown. The change is safe once the game has gone
    // on showing frames with it for a while: a display or sound setting that
    // crashes does so at once.
    if (!SettingsChangePending || platform::MilliSecs() - SettingsChangedAt < SettingsConfirmMs) return 0;
    SettingsChangePending = 0;
    platform::DeleteFile(MarkerPath(*this, "inichanged.dat"));
    return 1;
}

int TGame::MakeGoodExit() {
    if (Game && SharedData.SavingOff.empty()) platform::CreateFile(MarkerPath(*Game, "goodexit.dat"));
    return 0;
}

int TGame::CheckGoodExit() {
    // A folder we may not write is left exactly as it is.
    if (!SharedData.SavingOff.empty()) return 0;
    const std::string goodExit = MarkerPath(*this, "goodexit.dat");
    const std::string changed = MarkerPath(*this, "inichanged.dat");
    if (MarkerPresent(goodExit)) {
        platform::DeleteFile(goodExit);
    } else if (MarkerPresent(changed)) {
        const std::string settings = SettingsFileName(Paths->UseCorrectPath, Paths->SubPath) + ".ini";
        const std::string keep = ReadIniValue(settings, "profile name");
        platform::DeleteFile(settings);
        if (!CopyIniWithValue(Paths->DataPrefix + Paths->DataFolder + "default.ini", settings, "profile name", keep) &&
            !keep.empty()) {
            // Without the shipped defaults the start-up writes the built-in ones;
            // the player's profile name is all that needs to survive.
            platform::SaveFileAtomic(settings, "PROFILE NAME=" + keep + "\r\n");
        }
        platform::Notify("Default ini file restored!", false);
    }
    platform::DeleteFile(changed);
    return 0;
}
