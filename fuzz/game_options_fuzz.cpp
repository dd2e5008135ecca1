// SPDX-License-Identifier: GPL-3.0-or-later
// The aids in config.ini: whatever the file holds, every option comes out 0 or 1,
// and what the game writes back reads in to the same options.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/core/globals.h"
#include "framework/settings/ini_file.h"
#include "game/core/model.h"

namespace {
bool AllSwitches(const TGameOptions& o) {
    for (int v : {o.PreventDoubleNumbers, o.ShowTimer, o.ShowSumCombinations, o.ShowRemainingSum, o.ShowHighlighter,
                  o.FirstRun, o.CheckRuns, o.KeepPencilMarks})
        if (v != 0 && v != 1) return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TPuzzleModel model;
    Resources.GameIni = std::make_shared<TIniFile>();
    model.WriteGameOptions();
    Resources.GameIni->Apply(bytes);
    model.ReadGameOptions();
    if (!AllSwitches(model.Options)) std::abort();
    const TGameOptions read = model.Options;
    model.WriteGameOptions();
    model.ResetGameOptions();
    model.ReadGameOptions();
    const TGameOptions& back = model.Options;
    if (back.PreventDoubleNumbers != read.PreventDoubleNumbers || back.ShowTimer != read.ShowTimer ||
        back.ShowSumCombinations != read.ShowSumCombinations || back.ShowRemainingSum != read.ShowRemainingSum ||
        back.ShowHighlighter != read.ShowHighlighter || back.FirstRun != read.FirstRun ||
        back.CheckRuns != read.CheckRuns || back.KeepPencilMarks != read.KeepPencilMarks)
        std::abort();
    Resources.GameIni.reset();
    return 0;
}
