// SPDX-License-Identifier: GPL-3.0-or-later
// The framework's settings file and the crash markers.
#include "framework/settings/settings.h"

#include "framework/paths/errors.h"
#include "framework/paths/folders.h"
#include "framework/paths/paths.h"
#include "framework/settings/ini_file.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

namespace {
// The marker is a file of its own in our folder; a link or anything else of
// that name is not one of ours.
bool MarkerPresent(const std::string& path) { return platform::IsPlainFile(path); }
}  // namespace

TSettings::TSettings(const TPaths& paths) : Ini(std::make_shared<TIniFile>()), Paths(paths) {}

TSettings::~TSettings() = default;

std::string TSettings::MarkerPath(const std::string& name) const {
    return Paths.UseCorrectPath ? Paths.SubPath + name : Paths.DataPrefix + Paths.DataFolder + name;
}

int TSettings::IniFill() {
    Ini->Clear();
    for (const TKey& key : Keys) Ini->Add(key.Name, key.Get());
    return 0;
}

int TSettings::IniExtract() {
    for (const auto& line : Ini->Lines) {
        for (const TKey& key : Keys) {
            if (line->Name == UpperCase(key.Name)) key.Set(line->Value);
        }
    }
    return 0;
}

int TSettings::IniUpdate(int changed) {
    if (BeforeSave) BeforeSave();
    IniFill();
    // Without the file written the marker would restore defaults over a file
    // that never changed.
    if (Ini->Save() && changed) {
        platform::CreateFile(MarkerPath("inichanged.dat"));
        SettingsChangePending = 1;
        SettingsChangedAt = platform::MilliSecs();
    }
    return 0;
}

int TSettings::ConfirmSettingsChange() {
    // Called after a frame was shown. The change is safe once the game has gone
    // on showing frames with it for a while: a display or sound setting that
    // crashes does so at once.
    if (!SettingsChangePending || platform::MilliSecs() - SettingsChangedAt < SettingsConfirmMs) return 0;
    SettingsChangePending = 0;
    platform::DeleteFile(MarkerPath("inichanged.dat"));
    return 1;
}

int TSettings::MakeGoodExit() {
    if (SharedData.SavingOff.empty()) platform::CreateFile(MarkerPath("goodexit.dat"));
    return 0;
}

int TSettings::CheckGoodExit() {
    // A folder we may not write is left exactly as it is.
    if (!SharedData.SavingOff.empty()) return 0;
    const std::string goodExit = MarkerPath("goodexit.dat");
    const std::string changed = MarkerPath("inichanged.dat");
    if (MarkerPresent(goodExit)) {
        platform::DeleteFile(goodExit);
    } else if (MarkerPresent(changed)) {
        const std::string settings = SettingsFileName(Paths.UseCorrectPath, Paths.SubPath) + ".ini";
        const std::string keep = ReadIniValue(settings, "profile name");
        platform::DeleteFile(settings);
        if (!CopyIniWithValue(Paths.DataPrefix + Paths.DataFolder + "default.ini", settings, "profile name", keep) &&
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
