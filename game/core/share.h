// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Passing puzzles on: the code of the puzzle in play, and puzzles opened from a
// code or a puzzle file. Opening checks everything first and changes the model
// only when the puzzle can be played.
#include <cstdint>
#include <string>
#include <string_view>

#include "game/core/core.h"
#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"

class TPuzzleModel;

// The largest puzzle file the game reads: a 14 x 14 board with a comment on every
// line is a few KB; anything near this is no puzzle of ours.
inline constexpr std::int64_t MaxPuzzleFileBytes = 256 * 1024;

// The puzzle in the tables as a puzzle file sees it (a row per y); the white cells
// hold the solution's digits with withSolution, else they are empty.
engine::Puzzle PuzzleFromTables(const TPuzzleState& puzzle, bool withSolution);

// The code of the puzzle in play: the short one of a generated puzzle while the board
// holds what its generator made, else the code of its clues. "" when the board makes
// no puzzle (one being typed in, say).
std::string PuzzleCodeOf(const TPuzzleState& puzzle);

// A puzzle ready for the board: solved, and where it came from.
struct TOpenedPuzzle {
    engine::Puzzle Solved;
    bool Generated = false;
    engine::GeneratedPuzzleId Id;
};

// Each false with a message for the player; nothing is changed then.
bool OpenCodeText(std::string_view code, TOpenedPuzzle& opened, std::string& error);
bool OpenPuzzleText(std::string_view text, TOpenedPuzzle& opened, std::string& error);
// Reads a puzzle file through the core's services: a regular file (not a link,
// folder or pipe) of text, at most MaxPuzzleFileBytes.
bool ReadPuzzleFile(const std::string& path, std::string& text, std::string& error);

// Puts an opened puzzle into the model as a new puzzle to play, its clock
// restarted and no help taken. False (model unchanged) for a board the game
// cannot hold.
bool PlaceOpenedPuzzle(TPuzzleModel& model, const TOpenedPuzzle& opened, std::string& error);
