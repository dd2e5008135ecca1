// SPDX-License-Identifier: GPL-3.0-or-later
// The save game reader: whatever it accepts must be a puzzle the game can
// write back and read again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/core/model.h"
#include "game/core/save_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string reason;
    auto content = ParseSaveGame(text, reason);
    if (!content) {
        if (reason.empty()) std::abort();  // a refusal always says why
        return 0;
    }
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
    model.Puzzle.IsCustomPuzzle = content->IsCustomPuzzle;
    const std::string written = model.SaveGameText(content->ElapsedMs);
    auto again = ParseSaveGame(written, reason);
    if (!again || model.SaveGameText(again->ElapsedMs) != written) std::abort();
    // The help taken is kept exactly: a revealed puzzle never loads as a fair one.
    if (again->RevealUsed != content->RevealUsed || again->ExplainsUsed != content->ExplainsUsed ||
        again->IsCustomPuzzle != content->IsCustomPuzzle)
        std::abort();
    return 0;
}
