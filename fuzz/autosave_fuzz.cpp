// SPDX-License-Identifier: GPL-3.0-or-later
// The autosave reader, its two header lines and the puzzle after them: whatever
// it accepts, the game writes back and reads again unchanged, typed-in flag included.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/core/autosave.h"
#include "game/core/core.h"
#include "game/core/save_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    int custom = -1;
    std::string reason;
    auto content = ParseAutosave(bytes, custom, reason);
    if (!content) {
        if (reason.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    if (custom != 0 && custom != 1) std::abort();
    Puzzle = TPuzzleState{};
    Puzzle.BoardWidth = content->BoardWidth;
    Puzzle.BoardHeight = content->BoardHeight;
    Puzzle.PuzzleDifficulty = content->PuzzleDifficulty;
    Puzzle.AutoMarkup = content->AutoMarkup;
    Puzzle.HorizontalSumGrid = content->HorizontalSumGrid;
    Puzzle.VerticalSumGrid = content->VerticalSumGrid;
    Puzzle.PlayerGrid = content->PlayerGrid;
    Puzzle.SolutionGrid = content->SolutionGrid;
    Puzzle.MarkupGrid = content->MarkupGrid;
    Puzzle.RevealUsed = content->RevealUsed;
    Puzzle.ExplainsUsed = content->ExplainsUsed;
    Puzzle.IsCustomPuzzle = custom || content->IsCustomPuzzle;
    Puzzle.TimerStart = 0;
    Puzzle.TimerStop = content->ElapsedMs;  // the clock as it stood
    const std::string written = AutosaveText();
    int again = -1;
    auto back = ParseAutosave(written, again, reason);
    if (!back || again != Puzzle.IsCustomPuzzle || back->RevealUsed != content->RevealUsed ||
        back->PlayerGrid != content->PlayerGrid || back->ElapsedMs != content->ElapsedMs)
        std::abort();
    return 0;
}
