// SPDX-License-Identifier: GPL-3.0-or-later
// The game's way in for puzzles from elsewhere: any bytes, read as a puzzle file and
// as a puzzle code. A refusal says why and leaves the board alone; an accepted puzzle
// fits the game's tables and its code opens it again, cell for cell. Generated codes
// are left out: opening one is the generator's work, seconds a try.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/core/model.h"
#include "game/core/share.h"

namespace {

void Check(bool accepted, const TOpenedPuzzle& opened, const std::string& error) {
    static TPuzzleModel model;
    const TPuzzleState before = model.Puzzle;
    if (!accepted) {
        if (error.empty()) std::abort();
        return;
    }
    std::string why;
    if (!PlaceOpenedPuzzle(model, opened, why)) {
        // Refused whole: nothing of the board changed.
        if (why.empty() || model.Puzzle.SolutionGrid != before.SolutionGrid ||
            model.Puzzle.BoardWidth != before.BoardWidth)
            std::abort();
        return;
    }
    const TPuzzleState placed = model.Puzzle;
    if (placed.BoardWidth < 2 || placed.BoardWidth > MaxBoardSize || placed.BoardHeight < 2 ||
        placed.BoardHeight > MaxBoardSize)
        std::abort();
    const std::string code = PuzzleCodeOf(placed);
    TOpenedPuzzle again;
    if (code.empty() || !OpenCodeText(code, again, why) || !PlaceOpenedPuzzle(model, again, why)) std::abort();
    if (model.Puzzle.SolutionGrid != placed.SolutionGrid || model.Puzzle.VerticalSumGrid != placed.VerticalSumGrid ||
        model.Puzzle.HorizontalSumGrid != placed.HorizontalSumGrid)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > MaxPuzzleFileBytes) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TOpenedPuzzle opened;
    std::string error;
    Check(OpenPuzzleText(text, opened, error), opened, error);
    engine::DecodedPuzzleCode decoded;
    if (engine::DecodePuzzleCode(text, decoded, error) && decoded.generated) return 0;
    error.clear();
    Check(OpenCodeText(text, opened, error), opened, error);
    return 0;
}
