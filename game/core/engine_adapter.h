// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where the game's tables meet the engine's boards.
//
// The engine's board has a row per y and a column per x of the game: rows = height,
// columns = width, cell index y * width + x, its down runs the game's vertical runs and
// its across runs the horizontal ones. Every conversion goes through here.
#include <cstdint>
#include <string>

#include "game/core/core.h"
#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Engine.h"

// The engine's index of game cell (x, y) on a board `width` cells wide, and back.
inline unsigned EngineIndex(int x, int y, int width) { return static_cast<unsigned>(y * width + x); }
inline int GameX(unsigned index, int width) { return static_cast<int>(index) % width; }
inline int GameY(unsigned index, int width) { return static_cast<int>(index) / width; }

// True for an extent the tables and the engine can both hold.
bool EngineSize(int width, int height);

// The board as the engine sees it, made from the tables: black cells and the clues of
// every run, and, with playerDigits, the digits the player has entered. False when the
// tables do not make a board (a white cell outside any run, say).
bool EngineBoard(const TPuzzleState& puzzle, engine::TBoard& board, bool playerDigits);

// The description the engine's check of a typed-in puzzle reads.
TPuzzleDescription EngineDescription(const TPuzzleState& puzzle);
// Checks the typed-in board; with a solution (unique or one of several) it goes to solution.
engine::CustomCheck CheckTypedInBoard(const TPuzzleState& puzzle, TGrid& solution);

// A puzzle of the level (1..3) drawn from seed into solution (digits, BlackCell), or false.
// It is the puzzle that the generated puzzle code of the same size, level and seed names,
// in the game and in tallyfold-engine alike.
bool GenerateSolution(int width, int height, int level, std::uint32_t seed, TGrid& solution);
// The engine's grade of a finished solution grid within level 1..3, one to five stars;
// 0 when the grid is no finished puzzle. Graded in the generator's orientation, so a
// puzzle's stars are those the generator meant.
int GradeSolution(const TGrid& solution, int width, int height, int level);
