// SPDX-License-Identifier: GPL-3.0-or-later
// The options live in the framework's settings file, so their file side is here
// rather than in the core, which knows no files.
#include <memory>
#include <string>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/settings/ini_file.h"
#include "framework/util/strings.h"
#include "game/core/model.h"
#include "game/core/options.h"

namespace {

struct OptionKey {
    const char* name;
    int TGameOptions::*value;
};

// The order in which the keys stand in the file.
const OptionKey OptionKeys[] = {
    {"PreventDoubleNumbers", &TGameOptions::PreventDoubleNumbers},
    {"ShowTimer", &TGameOptions::ShowTimer},
    {"ShowSumCombinations", &TGameOptions::ShowSumCombinations},
    {"ShowRemainingSum", &TGameOptions::ShowRemainingSum},
    {"ShowHighlighter", &TGameOptions::ShowHighlighter},
    {"FirstRun", &TGameOptions::FirstRun},
    {"CheckRuns", &TGameOptions::CheckRuns},
    {"KeepPencilMarks", &TGameOptions::KeepPencilMarks},
};

TIniFile& Ini() {
    if (!Resources.GameIni) Resources.GameIni = std::make_shared<TIniFile>();
    return *Resources.GameIni;
}

}  // namespace

void TPuzzleModel::WriteGameOptions() const {
    TIniFile& ini = Ini();
    ini.Clear();
    for (const OptionKey& key : OptionKeys) ini.Add(key.name, std::to_string(Options.*key.value));
}

void TPuzzleModel::ReadGameOptions() {
    for (const auto& line : Ini().Lines) {
        for (const OptionKey& key : OptionKeys) {
            // Every option is an on/off switch; a hand-edited 5 means on.
            if (line->Name == UpperCase(key.name)) Options.*key.value = ReadInt(line->Value) != 0 ? 1 : 0;
        }
    }
}

int TPuzzleModel::SaveGameOptions() const {
    WriteGameOptions();
    return Ini().Save();
}

void TPuzzleModel::LoadGameOptions() {
    Ini().FileName = (Game ? Game->Paths->SubPath : std::string()) + "config";
    WriteGameOptions();
    // Load rewrites the file; when that fails, the values read before still count.
    Ini().Load();
    ReadGameOptions();
}
