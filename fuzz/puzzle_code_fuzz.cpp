// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle code reader: a refused code says why; an accepted one is the code the
// writer makes for what it read, up to case, dashes, blanks and the look-alikes.
// Generated codes are not generated here: that is the engine's work, not the reader's.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"

namespace {
std::string Normal(std::string_view code) {
    std::string out;
    for (char ch : code) {
        if (ch == ' ' || ch == '-' || ch == '\t' || ch == '\n' || ch == '\r') continue;
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        out += ch == 'O' ? '0' : (ch == 'I' || ch == 'L') ? '1' : ch;
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view code(reinterpret_cast<const char*>(data), size);
    engine::DecodedPuzzleCode decoded;
    std::string error;
    if (!engine::DecodePuzzleCode(code, decoded, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::string again =
        decoded.generated ? engine::GeneratedPuzzleCode(decoded.id) : engine::CluesPuzzleCode(decoded.puzzle);
    // A clue code may carry a grid the checks refuse (a run of ten cells): it has no code
    // of its own, and opening it says why.
    if (again.empty()) {
        engine::Puzzle puzzle;
        if (engine::OpenPuzzleCode(code, puzzle, error) || error.empty()) std::abort();
        return 0;
    }
    if (Normal(again) != Normal(code)) std::abort();
    return 0;
}
