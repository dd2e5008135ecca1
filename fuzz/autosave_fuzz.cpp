// SPDX-License-Identifier: GPL-3.0-or-later
// The autosave reader, its two header lines, the puzzle after them and the edit
// history after that: whatever it accepts, the game writes back and reads again
// unchanged, typed-in flag and undo history included.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "game/core/autosave.h"
#include "game/core/model.h"
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
    TPuzzleModel model;
    model.Puzzle.BoardWidth = content->BoardWidth;
    model.Puzzle.BoardHeight = content->BoardHeight;
    model.Puzzle.PuzzleDifficulty = content->PuzzleDifficulty;
    model.Puzzle.AutoMarkup = content->AutoMarkup;
    model.Puzzle.HorizontalSumGrid = content->HorizontalSumGrid;
    model.Puzzle.VerticalSumGrid = content->VerticalSumGrid;
    model.Puzzle.PlayerGrid = content->PlayerGrid;
    model.Puzzle.SolutionGrid = content->SolutionGrid;
    model.Puzzle.MarkupGrid = content->MarkupGrid;
    model.Puzzle.RevealUsed = content->RevealUsed;
    model.Puzzle.ExplainsUsed = content->ExplainsUsed;
    model.Puzzle.IsCustomPuzzle = custom || content->IsCustomPuzzle;
    model.Puzzle.TimerStart = 0;
    model.Puzzle.TimerStop = content->ElapsedMs;  // the clock as it stood
    if (content->History) model.EditHistory = *content->History;
    const std::string written = model.AutosaveText();
    int again = -1;
    auto back = ParseAutosave(written, again, reason);
    if (!back || again != model.Puzzle.IsCustomPuzzle || back->RevealUsed != content->RevealUsed ||
        back->PlayerGrid != content->PlayerGrid || back->ElapsedMs != content->ElapsedMs)
        std::abort();
    // A history that was taken comes back whole (an empty one is not written at all).
    auto edits = [](const std::optional<TEditHistory>& history) {
        return history ? std::pair(history->Done.size(), history->Undone.size())
                       : std::pair<std::size_t, std::size_t>();
    };
    if (edits(content->History) != edits(back->History)) std::abort();
    return 0;
}
