// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle file reader: a text it refuses says why; a text it reads writes back
// and reads again to the same puzzle, and a small one that passes the check holds a
// solution that keeps every clue.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    engine::Puzzle puzzle;
    std::vector<engine::SourcePosition> positions;
    std::string error;
    if (!engine::ParsePuzzleText(text, puzzle, positions, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::size_t cells = static_cast<std::size_t>(puzzle.rows) * puzzle.columns;
    if (puzzle.cells.size() != cells || puzzle.clues.size() != cells || positions.size() != cells) std::abort();
    engine::Puzzle again;
    if (!engine::ParsePuzzleText(engine::WritePuzzleText(puzzle, true), again, positions, error) || !(again == puzzle))
        std::abort();
    const std::string code = engine::CluesPuzzleCode(puzzle);
    if (!code.empty()) {
        engine::DecodedPuzzleCode decoded;
        if (!engine::DecodePuzzleCode(code, decoded, error) || decoded.puzzle.cells.size() != cells) std::abort();
    }
    // The search grows fast with open boards; larger ones add time, not cases.
    if (cells > 144) return 0;
    const engine::PuzzleCheck check = engine::CheckPuzzle(puzzle, error, nullptr, 20000);
    if (check != engine::PuzzleCheck::kUnique) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (unsigned i = 0; i < cells; ++i) {
        if (puzzle.cells[i] == engine::kBlack) continue;
        if (puzzle.cells[i] < 1 || puzzle.cells[i] > 9) std::abort();
    }
    for (unsigned i = 0; i < cells; ++i) {
        if (puzzle.cells[i] != engine::kBlack) continue;
        for (int direction : {engine::kDown, engine::kAcross}) {
            const unsigned step = direction == engine::kDown ? puzzle.columns : 1;
            unsigned sum = 0, seen = 0;
            for (unsigned at = i + step; at < cells && puzzle.cells[at] != engine::kBlack; at += step) {
                if (direction == engine::kAcross && at / puzzle.columns != i / puzzle.columns) break;
                const unsigned bit = 1u << puzzle.cells[at];
                if (seen & bit) std::abort();
                seen |= bit;
                sum += static_cast<unsigned>(puzzle.cells[at]);
            }
            if (sum != puzzle.clues[i][static_cast<std::size_t>(direction)]) std::abort();
        }
    }
    return 0;
}
