// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/PuzzleFile.h"

namespace engine {

// Puzzle codes are what players type to pass a puzzle on, so they are a stable format:
// a code written once must open the same puzzle in every later version.
//
// Characters: the 32 of "0123456789ABCDEFGHJKMNPQRSTVWXYZ" (no I, L, O or U, which are
// read as 1, 1, 0 and refused), case-insensitive; blanks and dashes are ignored.
// The first character is the format: 1..15 a generated puzzle by that generator version,
// G (16) clues written out. Then the payload, five bits a character, most significant bit
// first, padded with zero bits; then two check characters that make the two sums
// S1 = sum of v[i] * a^i and S2 = sum of v[i] * a^(2i) over all characters zero, in
// GF(32) with a = x modulo x^5 + x^2 + 1. That catches every single wrong character and
// every swap of two neighbours, and any two wrong characters within 31 of each other.
//
// Generated: rows (5 bits), columns (5 bits), level (2 bits), seed (32 bits).
// Clues: rows - 2 and columns - 2 (7 bits each), then one bit per cell of rows 1.. and
// columns 1.. in index order (1 = black; row 0 and column 0 are always black), then for
// every black cell in index order, down before across, where white cells follow it,
// its clue (6 bits).

// The generator that codes made today name. GenerateFromCode keeps every version that
// has ever been written into a code.
inline constexpr int kGeneratorVersion = 1;

struct GeneratedPuzzleId {
    int version = kGeneratorVersion;
    unsigned rows = 0;
    unsigned columns = 0;
    int level = 1;
    std::uint32_t seed = 0;
    bool operator==(const GeneratedPuzzleId&) const = default;
};

// The boards a generated code may name: the game's square sizes 6, 7, 9, 12 and 14. The
// generator can take others, but on some (3 x 14, say) it searches for a minute before it
// gives up, and a code must never freeze whoever opens it.
bool CodableBoard(unsigned rows, unsigned columns);

// The code shown to players: groups of four characters joined by dashes. Empty for a
// board CodableBoard refuses or a level other than 1..3.
std::string GeneratedPuzzleCode(const GeneratedPuzzleId& id);

// The code of a puzzle's clues (its digits are not part of it). Empty when the puzzle is
// no grid of runs and clues (see BoardFromPuzzle).
std::string CluesPuzzleCode(const Puzzle& puzzle);

struct DecodedPuzzleCode {
    bool generated = false;
    GeneratedPuzzleId id;  // when generated
    Puzzle puzzle;         // the clues otherwise, its cells empty
};

// False with a message a player understands when the code is mistyped, made by a later
// version, or holds no puzzle. A code that passes is not yet checked for one solution.
bool DecodePuzzleCode(std::string_view code, DecodedPuzzleCode& out, std::string& error);

// Makes the puzzle a generated code names, by the generator version it names, without a
// time limit so that every machine makes the same one. result: one byte a cell as
// GeneratePuzzle gives. False with a message for a version this build does not know.
bool GenerateFromId(const GeneratedPuzzleId& id, std::vector<std::uint8_t>& result, int* tier = nullptr);

// Opens any code: the generated puzzle, or the clues checked for exactly one solution.
// The puzzle comes back solved; false with a message otherwise.
bool OpenPuzzleCode(std::string_view code, Puzzle& puzzle, std::string& error, DecodedPuzzleCode* decoded = nullptr,
                    int* tier = nullptr);

}  // namespace engine
