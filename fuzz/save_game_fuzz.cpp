// SPDX-License-Identifier: GPL-3.0-or-later
// The save game reader: whatever it accepts must be a puzzle the game can
// write back and read again unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/core/core.h"
#include "game/core/save_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string reason;
    auto content = ParseSaveGame(text, reason);
    if (!content) {
        if (reason.empty()) std::abort();  // a refusal always says why
        return 0;
    }
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
    Puzzle.IsCustomPuzzle = content->IsCustomPuzzle;
    const std::string written = SaveGameText(content->ElapsedMs);
    auto again = ParseSaveGame(written, reason);
    if (!again || SaveGameText(again->ElapsedMs) != written) std::abort();
    // The help taken is kept exactly: a revealed puzzle never loads as a fair one.
    if (again->RevealUsed != content->RevealUsed || again->ExplainsUsed != content->ExplainsUsed ||
        again->IsCustomPuzzle != content->IsCustomPuzzle)
        std::abort();
    return 0;
}
